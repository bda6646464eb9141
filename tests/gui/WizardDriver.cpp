#include "tests/gui/WizardDriver.h"

#include "db/ErrorReport.h"
#include "db/schema/Installation.h"
#include "platform/SystemDef.h"
#include "tests/support/ExecuteStepSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>

namespace qz::test {

void MakeWizardInstallation(const std::filesystem::path& root, TScopedEnv& env, bool revisedEdition)
{
    const std::filesystem::path common = root / "共有データ（㈱髙橋会計）";
    env.Set("QZ_COMMON_APPDATA", common.string()).Set("QZ_DOCUMENTS", (root / "ドキュメント").string());
    env.Set("TEMP", root.string());
    schema::MakeInstallation({.CommonDataPath = common.string(), .FreeRows = 10});
    InitSystemPaths(root / "install" / "bin" / (revisedEdition ? "qzconvert2" : "qzconvert"));
    LinkTemplateFolder();
    ResetDbFatalForTests();
}

TExtractDescription Sample(std::string_view name)
{
    for (auto& [folder, description] : SampleExtracts())
        if (folder == name)
            return description;
    qFatal("no sample %.*s", static_cast<int>(name.size()), name.data());
}

TModalAnswerer::TModalAnswerer()
{
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &TModalAnswerer::Answer);
    timer_.start();
}

void TModalAnswerer::Answer()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || dynamic_cast<TProgressWindow*>(modal) || !modal->isVisible())
        return;
    if (Seen)
        Seen(*modal);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Texts << (box->informativeText().isEmpty() ? box->text() : box->text() + "\n" + box->informativeText());
        box->done(QMessageBox::Ok);
    } else if (auto* summary = modal->findChild<QPlainTextEdit*>("MEMO_SUMMARY")) {
        Reports << summary->toPlainText();
        modal->close();
    } else if (auto* grid = modal->findChild<TPerfectGrid*>()) {
        ListRows.push_back(grid->rowCount());
        modal->close();
    }
}

QWidget* FindWidget(const QWidget& form, const char* name)
{
    QWidget* widget = form.findChild<QWidget*>(name);
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

void Click(const QWidget& form, const char* button)
{
    QTest::mouseClick(Find<QPushButton>(form, button), Qt::LeftButton);
}

void TypeText(QWidget& widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, &widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

bool TypeCode(TPerfectGrid& grid, int row, const QString& code)
{
    grid.setFocus();
    grid.setCurrentCell(row, 2);
    grid.editItem(grid.item(row, 2));
    // Closed editors linger until they are deleted: the open one is the visible one.
    QLineEdit* editor = nullptr;
    for (QLineEdit* open : grid.viewport()->findChildren<QLineEdit*>())
        if (open->isVisible())
            editor = open;
    if (!editor)
        return false;
    editor->selectAll();
    TypeText(*editor, code);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();   // the grid takes the editor's text in its next turn
    return true;
}

QStringList MemoLines(const QWidget& form, const char* memo)
{
    return Find<QPlainTextEdit>(form, memo)->toPlainText().split('\n');
}

}  // namespace qz::test
