#include "app/PerfectGrid.h"
#include "app/SyuyakuKamoku.h"
#include "common/Cp932.h"
#include "convert/uQZ_ZaimuIO.h"
#include "platform/SystemDef.h"
#include "tests/gui/GuiTests.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <numeric>
#include <utility>

namespace fs = std::filesystem;
using qz::TFSHUYAKUKAMOKU;
using qz::TSyuyakuRow;

namespace {

// Three breakdowns of one source account folded into one target account, as the conversion hands them
// over (the repeated account left blank).
std::vector<TSyuyakuRow> ThreeBreakdowns()
{
    return {
        TSyuyakuRow{{"510", "旅費交通費", "1", "電車代", "", "731", "旅費交通費", "1", "電車代"}},
        TSyuyakuRow{{"", "", "2", "ﾀｸｼｰ代", "", "", "", "2", "ﾀｸｼｰ代"}},
        TSyuyakuRow{{"", "", "3", "髙速①～", "", "", "", "3", "髙速①～"}},
    };
}

const std::vector<std::string> kHeaderLines = {"QuorvelMendalⅢ,,,,,Quorvel財務",
                                               ",科目名,,内訳名,,,科目名,,補助科目名"};

std::string Cp932Lines(std::vector<std::string> lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += qz::EncodeCp932(line) + "\r\n";
    return bytes;
}

std::string ReadFile(const fs::path& file)
{
    QFile in(QString::fromStdString(file.string()));
    return in.open(QIODevice::ReadOnly) ? in.readAll().toStdString() : std::string();
}

fs::path PathOf(const QTemporaryDir& dir)
{
    return fs::path(dir.path().toStdString());
}

void Click(TFSHUYAKUKAMOKU& form, const char* button)
{
    QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
}

int PdfPageCount(const fs::path& pdf)
{
    const std::string bytes = ReadFile(pdf);
    int pages = 0;
    for (std::size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
        pages += bytes.compare(at, 12, "/Type /Pages") != 0;
    return pages;
}

}  // namespace

void SyuyakuListTest::fillShowsRowsUnderBothHeaderRows()
{
    TFSHUYAKUKAMOKU form;
    const std::vector<TSyuyakuRow> rows = ThreeBreakdowns();
    QCOMPARE(form.Fill(rows, "山田商店"), 3);

    qz::TPerfectGrid& grid = form.Grid();
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 9; ++column)
            QCOMPARE(grid.CellText(row, column), rows[std::size_t(row)].Cells[std::size_t(column)]);

    const QStringList groups = {"MendalⅢ", "MendalⅢ", "MendalⅢ", "MendalⅢ", "",
                                "Quorvel財務", "Quorvel財務", "Quorvel財務", "Quorvel財務"};
    const QStringList captions = {"科目", "科目", "内訳", "内訳", "", "科目", "科目", "補助", "補助"};
    const std::vector<int> widths = {45, 120, 45, 120, 25, 40, 120, 40, 120};
    for (int column = 0; column < 9; ++column) {
        QCOMPARE(grid.ColumnGroup(column), groups[column]);
        QCOMPARE(grid.ColumnCaption(column), captions[column]);
        QCOMPARE(grid.columnWidth(column), widths[std::size_t(column)]);
    }
    QCOMPARE(grid.width(), std::accumulate(widths.begin(), widths.end(), 0) + 21);

    form.show();
    QCOMPARE(form.focusWidget(), form.findChild<QPushButton*>("BTN_PRINT"));

    QCOMPARE(form.Fill({}, "山田商店"), 0);
    QCOMPARE(grid.rowCount(), 0);
}

void SyuyakuListTest::saveButtonWritesTheCsvAndMovesTheFolder()
{
    QTemporaryDir temp;
    const fs::path documents = PathOf(temp) / "書類";
    const fs::path folder = PathOf(temp) / "集約科目の保存先";
    fs::create_directories(folder);
    const std::string savedDocuments = std::exchange(qz::SystemDef().DocumentsDir, documents.string());
    TFSHUYAKUKAMOKU form;
    qz::SystemDef().DocumentsDir = savedDocuments;
    QCOMPARE(form.SaveFolder(), documents);
    form.Fill(ThreeBreakdowns(), "山田商店");
    std::vector<fs::path> proposed;
    fs::path chosen = folder / "一覧.CSV";
    form.ChooseSaveFile = [&](const fs::path& file) {
        proposed.push_back(file);
        return chosen;
    };
    form.show();

    Click(form, "BTN_SAVE");
    QCOMPARE(proposed.at(0), documents / "集約科目(山田商店).CSV");
    std::vector<std::string> lines = kHeaderLines;
    lines.insert(lines.end(), {"510,旅費交通費,1,電車代,,731,旅費交通費,1,電車代", ",,2,ﾀｸｼｰ代,,,,2,ﾀｸｼｰ代",
                               ",,3,髙速①～,,,,3,髙速①～"});
    QCOMPARE(ReadFile(chosen), Cp932Lines(lines));
    QCOMPARE(form.SaveFolder(), folder);

    // The next save proposes the folder just used; an empty list leaves the two header lines.
    chosen = folder / "空.CSV";
    form.Fill({}, "山田商店");
    Click(form, "BTN_SAVE");
    QCOMPARE(proposed.at(1).parent_path(), folder);
    QCOMPARE(ReadFile(chosen), Cp932Lines(kHeaderLines));
}

void SyuyakuListTest::failedSaveIsShownAndStillMovesTheFolder()
{
    QTemporaryDir temp;
    const fs::path missing = PathOf(temp) / "無い";
    TFSHUYAKUKAMOKU form;
    form.Fill(ThreeBreakdowns(), "山田商店");
    form.ChooseSaveFile = [&](const fs::path&) { return missing / "一覧.CSV"; };
    form.show();

    // The box is modal: answer it from inside its own event loop.
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            icon = box->icon();
            text = box->text();
            box->done(QMessageBox::Ok);
        }
    });
    Click(form, "BTN_SAVE");
    QCOMPARE(icon, QMessageBox::Critical);
    QVERIFY2(text.contains("一覧.CSV"), qPrintable(text));
    QVERIFY(!fs::exists(missing));
    QCOMPARE(form.SaveFolder(), missing);
}

void SyuyakuListTest::printStartsANewPageAfterEvery47Rows()
{
    const std::vector<std::pair<int, int>> rowsAndPages = {{0, 1}, {47, 1}, {48, 2}, {95, 3}};
    for (const auto& [rowCount, pages] : rowsAndPages) {
        QTemporaryDir temp;
        const fs::path pdf = PathOf(temp) / "一覧.pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        qz::PrepareSyuyakuPrinter(printer);
        {
            QPainter painter(&printer);
            QVERIFY(painter.isActive());
            const std::vector<TSyuyakuRow> rows(std::size_t(rowCount), ThreeBreakdowns().front());
            qz::PaintSyuyakuList(painter, printer, rows, "山田商店");
        }
        QCOMPARE(PdfPageCount(pdf), pages);
        // A4 portrait: 210 x 297 mm in points.
        QVERIFY(ReadFile(pdf).find("/MediaBox [0 0 595") != std::string::npos);
    }
}
