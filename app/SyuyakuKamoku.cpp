#include "app/SyuyakuKamoku.h"

#include "app/PerfectGrid.h"
#include "app/QtDialogs.h"
#include "app/SyuyakuCsv.h"
#include "convert/uQZ_ZaimuIO.h"
#include "platform/SystemDef.h"
#include "report/Fonts.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <exception>

namespace qz {
namespace {

constexpr const char* kCaption = "集約科目リスト";
constexpr const char* kNotice =
    "※この画面を閉じると、集約科目の表示はできません。　ファイル保存または、印刷を行ってください。";

constexpr std::array kColumnWidths{45, 120, 45, 120, 25, 40, 120, 40, 120};
// The grid is wider than its columns by the room of the frame and the vertical scroll bar.
constexpr int kGridExtraWidth = 21;
constexpr int kGridMinimumHeight = 360;

// ---- The printed list. Units are tenths of a millimetre from the paper's top-left corner; a text's y is
// the top of its line.

constexpr const char* kPrintTitle = "集約科目一覧表";
constexpr int kTitlePoints = 16;
constexpr int kTextPoints = 10;
constexpr int kRowsPerPage = 47;
// Rules run across the printed columns, from the first column's left edge to 2 cm before the paper's edge.
constexpr double kRuleLeft = 150;
constexpr double kRuleRight = 2000;
constexpr double kHeadRuleWidth = 3;  // 0.3 mm
constexpr double kRowRuleWidth = 1;   // 0.1 mm

enum class TAlign { Left, Centre };

struct THeadText {
    const char* Text;
    double X;
    double Y;
    TAlign Align;
};

constexpr std::array kHeadTexts{
    THeadText{"MendalⅢ", 600, 350, TAlign::Centre},
    THeadText{"Quorvel財務", 1500, 350, TAlign::Centre},
    THeadText{"-->>", 1050, 370, TAlign::Centre},
    THeadText{"科　目　名", 240, 390, TAlign::Left},
    THeadText{"内　訳　名", 690, 390, TAlign::Left},
    THeadText{"科　目　名", 1190, 390, TAlign::Left},
    THeadText{"補助科目名", 1640, 390, TAlign::Left},
};
constexpr std::array kHeadRules{340.0, 430.0, 2800.0};

// A printed column: the grid column it shows and where it starts. A text ends where the next column
// starts (the last at the rules' end), so that a long name cannot run over its neighbour.
struct TPrintColumn {
    std::size_t Cell;
    double X;
};

constexpr std::array kPrintColumns{
    TPrintColumn{0, 150},  TPrintColumn{1, 240},  TPrintColumn{2, 600},  TPrintColumn{3, 700},
    TPrintColumn{5, 1110}, TPrintColumn{6, 1200}, TPrintColumn{7, 1560}, TPrintColumn{8, 1650},
};

double RowTop(int rowOnPage)  // 1-based
{
    return 50.0 * rowOnPage + 405;
}

// Sized in the painter's units, so that the page's scale does not apply the printer's resolution twice.
QFont PrintFont(int points)
{
    QFont font = JapaneseFont(TFontFace::Mincho, points);
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(qRound(points * 254.0 / 72.0));
    return font;
}

void DrawText(QPainter& painter, double x, double y, const QString& text, TAlign align)
{
    const int flags = Qt::AlignTop | Qt::TextDontClip | (align == TAlign::Centre ? Qt::AlignHCenter : Qt::AlignLeft);
    painter.drawText(QRectF(x, y, 0, 0), flags, text);
}

void DrawRule(QPainter& painter, double y, double width)
{
    painter.setPen(QPen(Qt::black, width));
    painter.drawLine(QPointF(kRuleLeft, y), QPointF(kRuleRight, y));
}

void PaintPageHead(QPainter& painter, const QString& tradeName)
{
    painter.setFont(PrintFont(kTitlePoints));
    DrawText(painter, 1050, 180, QString::fromUtf8(kPrintTitle), TAlign::Centre);
    painter.setFont(PrintFont(kTextPoints));
    DrawText(painter, 160, 290, tradeName, TAlign::Left);
    for (const THeadText& head : kHeadTexts)
        DrawText(painter, head.X, head.Y, QString::fromUtf8(head.Text), head.Align);
    for (const double y : kHeadRules)
        DrawRule(painter, y, kHeadRuleWidth);
}

void PaintRow(QPainter& painter, const TSyuyakuRow& row, int rowOnPage)
{
    const double top = RowTop(rowOnPage);
    for (std::size_t i = 0; i < kPrintColumns.size(); ++i) {
        const double right = i + 1 < kPrintColumns.size() ? kPrintColumns[i + 1].X : kRuleRight;
        const double width = right - kPrintColumns[i].X;
        const QString text = painter.fontMetrics().elidedText(FromUtf8(row.Cells[kPrintColumns[i].Cell]),
                                                              Qt::ElideRight, qRound(width));
        DrawText(painter, kPrintColumns[i].X, top, text, TAlign::Left);
    }
    if (rowOnPage < kRowsPerPage)
        DrawRule(painter, top + 40, kRowRuleWidth);
}

}  // namespace

void PrepareSyuyakuPrinter(QPrinter& printer)
{
    printer.setDocName(QString::fromUtf8(kPrintTitle));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setCopyCount(1);
}

void PaintSyuyakuList(QPainter& painter, QPrinter& printer, const std::vector<TSyuyakuRow>& rows,
                      std::string_view tradeName)
{
    // With the full page the device's origin is the paper's corner.
    const double dotsPerUnit = printer.resolution() / 254.0;
    painter.setTransform(QTransform::fromScale(dotsPerUnit, dotsPerUnit));
    const QString name = FromUtf8(tradeName);

    PaintPageHead(painter, name);  // also the empty list gets its page
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int rowOnPage = static_cast<int>(i % kRowsPerPage) + 1;
        if (i > 0 && rowOnPage == 1) {
            printer.newPage();
            PaintPageHead(painter, name);
        }
        PaintRow(painter, rows[i], rowOnPage);
    }
}

TFSHUYAKUKAMOKU::TFSHUYAKUKAMOKU(QWidget* parent) : QDialog(parent), grid_(new TPerfectGrid(this))
{
    setWindowTitle(QString::fromUtf8(kCaption));
    ChooseSaveFile = [this](const std::filesystem::path& proposed) { return ChooseWithDialog(proposed); };
    const std::string& documents = SystemDef().DocumentsDir;
    saveFolder_ = documents.empty() ? SystemDef().ProgramPath : documents;

    auto* notice = new QLabel(QString::fromUtf8(kNotice), this);
    notice->setObjectName("LBL_NOTICE");

    grid_->setObjectName("GRID");
    grid_->SetColumns(QStringList(static_cast<qsizetype>(kColumnWidths.size())),
                      std::vector<int>(kColumnWidths.begin(), kColumnWidths.end()));
    grid_->SetColumnGroups({{0, 3, "MendalⅢ"}, {5, 8, "Quorvel財務"}});
    grid_->SetCaptionSpans({{0, 1, "科目"}, {2, 3, "内訳"}, {5, 6, "科目"}, {7, 8, "補助"}});
    grid_->setFixedWidth(grid_->ColumnWidthSum() + kGridExtraWidth);
    grid_->setMinimumHeight(kGridMinimumHeight);
    grid_->setWordWrap(false);  // one line a row; the CSV file carries the whole names

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(AddButton("BTN_SAVE", "ﾌｧｲﾙ保存", &TFSHUYAKUKAMOKU::SaveClicked));
    buttons->addWidget(AddButton("BTN_PREVIEW", "プレビュー", &TFSHUYAKUKAMOKU::PreviewClicked));
    printButton_ = AddButton("BTN_PRINT", "印刷", &TFSHUYAKUKAMOKU::PrintClicked);
    buttons->addWidget(printButton_);
    buttons->addWidget(AddButton("BTN_CLOSE", "閉じる", &TFSHUYAKUKAMOKU::reject));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice);
    layout->addWidget(grid_);
    layout->addLayout(buttons);
}

TFSHUYAKUKAMOKU::~TFSHUYAKUKAMOKU() = default;

QPushButton* TFSHUYAKUKAMOKU::AddButton(const char* objectName, const char* caption,
                                         void (TFSHUYAKUKAMOKU::*clicked)())
{
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);  // Enter must not save or close by accident
    connect(button, &QPushButton::clicked, this, clicked);
    return button;
}

int TFSHUYAKUKAMOKU::Fill(const std::vector<TSyuyakuRow>& rows, std::string tradeName)
{
    rows_ = rows;
    tradeName_ = std::move(tradeName);
    grid_->Clear();
    grid_->setRowCount(static_cast<int>(rows_.size()));
    for (std::size_t row = 0; row < rows_.size(); ++row)
        for (std::size_t column = 0; column < kColumnWidths.size(); ++column)
            grid_->SetCellText(static_cast<int>(row), static_cast<int>(column), rows_[row].Cells[column]);
    return grid_->rowCount();
}

void TFSHUYAKUKAMOKU::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    proposedFile_ = SyuyakuCsvFileName(saveFolder_, tradeName_);
    printButton_->setFocus();
}

std::filesystem::path TFSHUYAKUKAMOKU::ChooseWithDialog(const std::filesystem::path& proposed)
{
    const QString file = QFileDialog::getSaveFileName(this, QString(), FromUtf8(proposed.string()), "*.CSV");
    return file.isEmpty() ? std::filesystem::path() : std::filesystem::path(file.toStdString());
}

bool TFSHUYAKUKAMOKU::SaveTo(const std::filesystem::path& file)
{
    saveFolder_ = file.parent_path();
    proposedFile_ = SyuyakuCsvFileName(saveFolder_, tradeName_);
    try {
        SaveSyuyakuCsv(file, rows_);
        return true;
    } catch (const std::exception& error) {
        ShowMessageBox(this, TMessageKind::Error, error.what());
        return false;
    }
}

void TFSHUYAKUKAMOKU::SaveClicked()
{
    const std::filesystem::path file = ChooseSaveFile(proposedFile_);
    if (!file.empty())
        SaveTo(file);
}

void TFSHUYAKUKAMOKU::PreviewClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    PrepareSyuyakuPrinter(printer);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        QPainter painter(target);
        PaintSyuyakuList(painter, *target, rows_, tradeName_);
    });
    preview.exec();
}

void TFSHUYAKUKAMOKU::PrintClicked()
{
    QPrinter printer(QPrinter::HighResolution);
    PrepareSyuyakuPrinter(printer);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter(&printer);
    if (!painter.isActive()) {
        ShowMessageBox(this, TMessageKind::Error, "印刷を開始できません。");
        return;
    }
    PaintSyuyakuList(painter, printer, rows_, tradeName_);
}

}  // namespace qz
