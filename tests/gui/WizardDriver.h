#pragma once
// What drives the wizard through its real widgets, for the GUI tests and the screenshot tool: a fresh
// installation to convert into, the sample extracts, the widgets by name, and an answerer for the modal
// windows the wizard opens.

#include "app/PerfectGrid.h"
#include "app/QtDialogs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/SampleExtracts.h"

#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

class QWidget;

namespace qz::test {

// A fresh local installation below root (a folder with a Japanese name) with ten free data folders and the
// build's templates, the program started as the base or the revised edition.
void MakeWizardInstallation(const std::filesystem::path& root, TScopedEnv& env, bool revisedEdition);

TExtractDescription Sample(std::string_view name);

// Answers every modal window the wizard opens while it is driven: message boxes are read and confirmed,
// the aggregated-accounts list is counted and closed, the reconciliation report's summary read and the
// report closed. The progress dialog is left alone. Seen, when set,
// gets each window first (the screenshot tool takes its picture there).
class TModalAnswerer : public QObject {
public:
    TModalAnswerer();

    QStringList Texts;           // "text" or "text\nsecond line" of each box
    std::vector<int> ListRows;   // the rows of each aggregated-accounts list shown
    QStringList Reports;         // the summary of each reconciliation report shown
    std::function<void(QWidget&)> Seen;

    QString Last() const { return Texts.isEmpty() ? QString() : Texts.last(); }

private:
    void Answer();
    QTimer timer_;
};

QWidget* FindWidget(const QWidget& form, const char* name);
template <typename T>
T* Find(const QWidget& form, const char* name)
{
    return static_cast<T*>(FindWidget(form, name));
}

void Click(const QWidget& form, const char* button);
// Types the text key by key, also characters no key of a Latin keyboard gives.
void TypeText(QWidget& widget, const QString& text);
// Types a code into a cell of the special-account grid through the grid's own editor.
bool TypeCode(TPerfectGrid& grid, int row, const QString& code);
QStringList MemoLines(const QWidget& form, const char* memo);

}  // namespace qz::test
