#pragma once
// The wizard's main form: four pages on a stack whose tabs the operator never sees, moved through only by
// the three buttons at the bottom, and the status panel MSGPANEL that shows the focused control's hint
// and the pages' short messages. Page 1 chooses the extract and its fiscal year, page 2 the destination
// data folder, page 3 confirms the special accounts, page 4 lists the settings and runs the conversion.
// What the pages decide lives in qz_app_core; this class puts it on the screen.

#include "app/MainFormPaths.h"
#include "app/QtUi.h"
#include "app/WizardDestination.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace qz {

class TPerfectGrid;
class TQZaimuIO;   // convert/uQZ_ZaimuIO.h, which moc cannot read
struct TExecuteResult;
struct TReconciliation;   // verify/Reconcile.h

class TMainForm final : public QWidget {
    Q_OBJECT
public:
    enum TPage { kPageExtract = 0, kPageDestination = 1, kPageSpecialAccounts = 2, kPageConfirmation = 3 };

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The folder picker of "F3:参照": the chosen folder, or an empty text when the operator cancelled.
    // The real picker unless replaced.
    std::function<QString(const QString& start)> ChooseFolder;

    int CurrentPage() const;
    // True from "実行" until the run has ended: the window cannot be closed and page 1 does not react.
    bool RunActive() const { return runActive_; }
    const TQZaimuIO& Context() const { return *io_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Building the window.
    QWidget* BuildExtractPage();
    QWidget* BuildDestinationPage();
    QWidget* BuildSpecialAccountsPage();
    QWidget* BuildConfirmationPage();
    QWidget* PageWithHeading(std::string_view heading, QLayout* content);
    void ConnectHandlers();
    void ShowHintOf(QWidget* focused);

    // Page 1.
    void InitPage1();
    void ChooseExtractFolder();
    void ExtractDirTyped(const QString& text);
    void LoadTypedExtractFolder();
    void LoadExtractFolder(bool firstLoad);
    void RememberExtractDir();
    void SelectYear(int index);
    void ShowReadMessages();
    void UpdateReadMessageCount();
    void NextFromExtract();

    // Page 2.
    bool FillDataFolderGrid();
    void MoveToFreeRow(int row, int key);
    void NextFromDestination();

    // Page 3.
    void ShowCandidates(int row);
    void TakeCandidate(int candidateRow);
    std::vector<std::string> SpecialCodes() const;   // the codes of the special-account grid, top down
    void NextFromSpecialAccounts();

    // Page 4.
    void BuildConfirmation();
    void ExecuteConversion();
    void ShowCompletedRow(const TExecuteResult& result);
    void ReconcileCompletedRun(const std::string& folder);
    void ShowReconciliation();

    void Next();
    void Back();
    void ShowPage(TPage page);
    void SetWaitCursor(bool waiting);
    void ShowError(std::string_view text);

    TMainFormPaths paths_;
    std::unique_ptr<TQZaimuIO> io_;
    std::vector<std::string> readMessages_;     // what the extract's readers could not read
    std::vector<std::optional<TDataFolderRow>> folderRows_;   // by destination grid row
    int destinationRow_ = -1;
    bool shownOnce_ = false;
    bool runActive_ = false;
    QTimer typingTimer_;
    QTimer keepAliveTimer_;

    QStackedWidget* pages_ = nullptr;
    QLabel* msgPanel_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* backButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* reconcileButton_ = nullptr;   // after a completed run: the reconciliation's report
    std::unique_ptr<TReconciliation> reconciliation_;
    // Page 1.
    QLineEdit* extractDirEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QLineEdit* clientEdit_ = nullptr;
    QComboBox* yearList_ = nullptr;
    QComboBox* balanceList_ = nullptr;
    QLabel* codeDigitsLabel_ = nullptr;
    QComboBox* codeDigitsList_ = nullptr;
    QLabel* fudosanLabel_ = nullptr;
    QComboBox* fudosanList_ = nullptr;
    QLabel* readMessageLabel_ = nullptr;
    QPushButton* readMessageButton_ = nullptr;
    // Pages 2 and 3.
    TPerfectGrid* folderGrid_ = nullptr;
    TPerfectGrid* specialGrid_ = nullptr;
    TPerfectGrid* candidateGrid_ = nullptr;
    // Page 4.
    QPlainTextEdit* settingsMemo_ = nullptr;
    QPlainTextEdit* progressMemo_ = nullptr;
    std::unique_ptr<TMemoLines> settingsLines_;
    std::unique_ptr<TMemoLines> progressLines_;
    std::unique_ptr<TPanelCaption> statusCaption_;
};

}  // namespace qz
