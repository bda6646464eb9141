#include "app/MainForm.h"

#include "app/Confirmation.h"
#include "app/ExecuteStep.h"
#include "app/PerfectGrid.h"
#include "app/QtDialogs.h"
#include "app/ReconcileForm.h"
#include "app/SyuyakuKamoku.h"
#include "app/WizardSpecialAccounts.h"
#include "app/WizardTexts.h"
#include "app/WizardYear.h"
#include "common/Format.h"
#include "convert/ZaimuIO_Manifest.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "platform/SystemDef.h"
#include "verify/Reconcile.h"
#include "verify/ReconcileReport.h"
#include "report/Fonts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace qz {
namespace {

// Hints: the status panel shows them while their control has the focus.
constexpr std::string_view kExtractDirHint = " [F3:参照]ボタンでフォルダを選択できます。";
constexpr std::string_view kYearHint = " コンバートを行う事業年度を選択してください。";
constexpr std::string_view kBalanceHint = " QuorvelMendalⅢの「残高登録の条件設定」と同じ区分を設定してください。";
constexpr std::string_view kFolderGridHint =
    "コンバート先を選択し【次へ】ボタンをクリックしてください。　【↑↓】キー：未登録行に移動します。";
constexpr std::string_view kSpecialGridHint = "【↑↓】キー：セルを移動し右側コード表から該当するコードを入力します。";
constexpr std::string_view kCandidateGridHint = "特定科目を設定し【次へ】ボタンをクリックしてください。";
constexpr std::string_view kConfirmationHint = "設定内容を確認し よろしければ【実行】ボタンをクリックしてください。";
constexpr std::string_view kCountingJournalsText = "　仕訳件数を取得中、しばらくお待ちください。";
constexpr std::string_view kRunActiveText = "コンバートの実行中は終了できません。";
constexpr std::string_view kRunActiveSecondLine = "コンバートが終わるまでお待ちください。";

constexpr std::string_view kNextCaption = "次へ(&N) ＞";
constexpr std::string_view kExecuteCaption = "実行(&N) ";
constexpr std::string_view kCancelCaption = "キャンセル ";
constexpr std::string_view kEndCaption = "終了 ";

constexpr int kLocalFolderRows = 500;
constexpr int kServerFolderRows = 120;
constexpr int kKeyDown = Qt::Key_Down;

// Destination grid columns; the fifth holds the full path and is hidden.
constexpr int kFolderPathColumn = 4;
// Special-account grid columns: the classification the account must have is hidden.
constexpr int kSpecialClassColumn = 0;
constexpr int kSpecialNameColumn = 1;
constexpr int kSpecialCodeColumn = 2;
constexpr int kCandidateCodeColumn = 1;

constexpr int kSettingsMemoHeight = 330;
constexpr int kRunningSettingsMemoHeight = 250;
constexpr int kFailedSettingsMemoHeight = 150;
constexpr int kKeepAliveMs = 30000;
constexpr int kTypingDelayMs = 500;

void SetHint(QWidget* widget, std::string_view hint)
{
    widget->setProperty("hint", FromUtf8(hint));
}

QComboBox* MakeList(const char* name, std::initializer_list<const char*> items)
{
    auto* list = new QComboBox;
    list->setObjectName(name);
    for (const char* item : items)
        list->addItem(QString::fromUtf8(item));
    return list;
}

QLabel* MakeLabel(std::string_view text, const char* name = nullptr)
{
    auto* label = new QLabel(FromUtf8(text));
    if (name)
        label->setObjectName(name);
    return label;
}

// Sets a control's value without its change handler: the handlers stand for the operator's choices.
template <typename Widget, typename Set>
void Quietly(Widget* widget, Set set)
{
    const QSignalBlocker blocker(widget);
    set(widget);
}

// Holds the run-active state for the length of a run, however it ends.
class TRunActiveScope {
public:
    explicit TRunActiveScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TRunActiveScope() { flag_ = false; }
    TRunActiveScope(const TRunActiveScope&) = delete;
    TRunActiveScope& operator=(const TRunActiveScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent), io_(std::make_unique<TQZaimuIO>())
{
    setObjectName("TMainForm");
    setWindowTitle(FromUtf8(kMainFormCaption));
    paths_ = MainFormPathsOf(SystemDef(), ProgramValues());
    ChooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("MendalⅢ抽出データ"), start);
    };

    pages_ = new QStackedWidget;
    pages_->setObjectName("PageControl");
    pages_->addWidget(BuildExtractPage());
    pages_->addWidget(BuildDestinationPage());
    pages_->addWidget(BuildSpecialAccountsPage());
    pages_->addWidget(BuildConfirmationPage());

    msgPanel_ = new QLabel;
    msgPanel_->setObjectName("MSGPANEL");
    msgPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    msgPanel_->setMinimumHeight(24);
    statusCaption_ = std::make_unique<TPanelCaption>(*msgPanel_);

    cancelButton_ = new QPushButton(FromUtf8(kCancelCaption));
    cancelButton_->setObjectName("BTN_CANCEL");
    backButton_ = new QPushButton(QStringLiteral("＜　戻る(&P)"));
    backButton_->setObjectName("BTN_BACK");
    nextButton_ = new QPushButton(FromUtf8(kNextCaption));
    nextButton_->setObjectName("BTN_NEXT");
    reconcileButton_ = new QPushButton(QStringLiteral("照合結果(&R)"));
    reconcileButton_->setObjectName("BTN_RECONCILE");
    reconcileButton_->setVisible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reconcileButton_);
    buttons->addStretch();
    for (QPushButton* button : {cancelButton_, backButton_, nextButton_}) {
        button->setMinimumWidth(110);
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addWidget(msgPanel_);
    layout->addLayout(buttons);

    typingTimer_.setSingleShot(true);
    typingTimer_.setInterval(kTypingDelayMs);
    keepAliveTimer_.setInterval(kKeepAliveMs);
    ConnectHandlers();

    // The caption names the edition's version once start-up is done.
    setWindowTitle(FromUtf8(MainCaption(ProgramValues())));
    const qreal scale = (screen() ? screen()->logicalDotsPerInch() : 96.0) / 96.0;
    resize(static_cast<int>(850 * scale), static_cast<int>(660 * scale));
}

TMainForm::~TMainForm() = default;

QWidget* TMainForm::PageWithHeading(std::string_view heading, QLayout* content)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QLabel* title = MakeLabel(heading);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    title->setFont(font);
    layout->addWidget(title);
    layout->addLayout(content, 1);
    return page;
}

QWidget* TMainForm::BuildExtractPage()
{
    extractDirEdit_ = new QLineEdit;
    extractDirEdit_->setObjectName("ED_M3CSVDIR");
    SetHint(extractDirEdit_, kExtractDirHint);
    browseButton_ = new QPushButton(QStringLiteral("F3:参照"));
    browseButton_->setObjectName("SBTN_SANSHO");
    browseButton_->setFocusPolicy(Qt::NoFocus);
    clientEdit_ = new QLineEdit;
    clientEdit_->setObjectName("ED_KANYOSAKI");
    clientEdit_->setReadOnly(true);
    yearList_ = new QComboBox;
    yearList_->setObjectName("CB_JIGYONENDO");
    SetHint(yearList_, kYearHint);
    balanceList_ = MakeList("CB_KISHUZAN", {"通常", "税抜き"});
    SetHint(balanceList_, kBalanceHint);
    codeDigitsList_ = MakeList("CB_CODEKETASUU", {"３桁", "４桁"});
    codeDigitsLabel_ = MakeLabel("フリーコード桁数", "LB_CODEKETASUU");
    fudosanList_ = MakeList("CB_FUDOSAN", {"個人一般", "個人不動産"});
    fudosanLabel_ = MakeLabel("科目体系", "LB_FUDOSAN");
    readMessageLabel_ = MakeLabel("", "LB_READMSG");
    readMessageButton_ = new QPushButton(QStringLiteral("内容を表示"));
    readMessageButton_->setObjectName("BTN_READMSG");

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(extractDirEdit_, 1);
    folderRow->addWidget(browseButton_);
    auto* messageRow = new QHBoxLayout;
    messageRow->addWidget(readMessageLabel_, 1);
    messageRow->addWidget(readMessageButton_);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(14);
    int row = 0;
    const auto addRow = [&](QWidget* label, auto* field) {
        grid->addWidget(label, row, 0);
        if constexpr (std::is_base_of_v<QLayout, std::remove_pointer_t<decltype(field)>>)
            grid->addLayout(field, row, 1);
        else
            grid->addWidget(field, row, 1);
        ++row;
    };
    addRow(MakeLabel("抽出データフォルダ"), folderRow);
    addRow(MakeLabel("関与先名"), clientEdit_);
    addRow(MakeLabel("事業年度"), yearList_);
    addRow(MakeLabel("期首残高の区分"), balanceList_);
    addRow(codeDigitsLabel_, codeDigitsList_);
    addRow(fudosanLabel_, fudosanList_);
    addRow(MakeLabel("読込メッセージ"), messageRow);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return PageWithHeading(Page1Heading(ProgramValues()), grid);
}

QWidget* TMainForm::BuildDestinationPage()
{
    folderGrid_ = new TPerfectGrid;
    folderGrid_->setObjectName("PerfectGrid1");
    folderGrid_->SetColumns({QStringLiteral("コード"), QStringLiteral("データ名"), QStringLiteral("会計期間"),
                             QStringLiteral("データフォルダ"), QString()},
                            {60, 300, 150, 150, 0});
    folderGrid_->setColumnHidden(kFolderPathColumn, true);
    SetHint(folderGrid_, kFolderGridHint);
    auto* layout = new QVBoxLayout;
    layout->addWidget(folderGrid_);
    return PageWithHeading(kPage2Heading, layout);
}

QWidget* TMainForm::BuildSpecialAccountsPage()
{
    specialGrid_ = new TPerfectGrid;
    specialGrid_->setObjectName("PerfectGrid2");
    specialGrid_->SetColumns({QString(), QStringLiteral("特　定　科　目"), QStringLiteral("コード")}, {0, 180, 80});
    specialGrid_->setColumnHidden(kSpecialClassColumn, true);
    specialGrid_->SetColumnEditable(kSpecialCodeColumn);
    specialGrid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    specialGrid_->setFont(JapaneseFont(TFontFace::Gothic, 11, true));
    SetHint(specialGrid_, kSpecialGridHint);

    candidateGrid_ = new TPerfectGrid;
    candidateGrid_->setObjectName("PerfectGrid3");
    candidateGrid_->SetColumns({QStringLiteral("分  類"), QStringLiteral("コード"), QStringLiteral("勘 定 科 目 名")},
                               {110, 50, 150});
    candidateGrid_->SetColumnGroups({{0, 2, QStringLiteral("MendalⅢ")}});
    SetHint(candidateGrid_, kCandidateGridHint);

    auto* layout = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(specialGrid_);
    left->addStretch();
    layout->addLayout(left);
    layout->addWidget(candidateGrid_, 1);
    return PageWithHeading(kPage3Heading, layout);
}

QWidget* TMainForm::BuildConfirmationPage()
{
    const auto makeMemo = [](const char* name) {
        auto* memo = new QPlainTextEdit;
        memo->setObjectName(name);
        memo->setReadOnly(true);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        SetHint(memo, kConfirmationHint);
        return memo;
    };
    settingsMemo_ = makeMemo("MemoA");
    settingsMemo_->setFixedHeight(kSettingsMemoHeight);
    progressMemo_ = makeMemo("MemoB");
    settingsLines_ = std::make_unique<TMemoLines>(*settingsMemo_);
    progressLines_ = std::make_unique<TMemoLines>(*progressMemo_);
    auto* layout = new QVBoxLayout;
    layout->addWidget(settingsMemo_);
    layout->addWidget(progressMemo_, 1);
    return PageWithHeading(kPage4Heading, layout);
}

void TMainForm::ConnectHandlers()
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            ShowHintOf(now);
    });
    connect(browseButton_, &QPushButton::clicked, this, &TMainForm::ChooseExtractFolder);
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, this, &TMainForm::ChooseExtractFolder);
    connect(extractDirEdit_, &QLineEdit::textChanged, this, &TMainForm::ExtractDirTyped);
    connect(&typingTimer_, &QTimer::timeout, this, &TMainForm::LoadTypedExtractFolder);
    connect(yearList_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!runActive_)
            SelectYear(index);
    });
    connect(balanceList_, &QComboBox::currentIndexChanged, this, [this](int item) {
        if (!runActive_ && io_->SentakuNendoCode != -1)
            SetBalanceKind(*io_, item);
    });
    connect(codeDigitsList_, &QComboBox::currentIndexChanged, this, [this](int item) {
        if (!runActive_)
            SetFreeCodeDigits(*io_, item);
    });
    connect(readMessageButton_, &QPushButton::clicked, this, &TMainForm::ShowReadMessages);
    connect(specialGrid_, &TPerfectGrid::CellGotFocus, this, [this](int row, int) { ShowCandidates(row); });
    connect(candidateGrid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { TakeCandidate(row); });
    connect(nextButton_, &QPushButton::clicked, this, &TMainForm::Next);
    connect(backButton_, &QPushButton::clicked, this, &TMainForm::Back);
    connect(cancelButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(reconcileButton_, &QPushButton::clicked, this, &TMainForm::ShowReconciliation);
    connect(&keepAliveTimer_, &QTimer::timeout, this, [] { QCoreApplication::processEvents(); });
}

void TMainForm::ShowHintOf(QWidget* focused)
{
    msgPanel_->setText(FromUtf8(StatusTextOfHint(focused->property("hint").toString().toStdString())));
}

int TMainForm::CurrentPage() const
{
    return pages_->currentIndex();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    ShowPage(kPageExtract);
    InitPage1();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // The run works on this form's context and keeps window messages flowing: closing now would free
    // what the run is writing with.
    if (runActive_) {
        event->ignore();
        ShowMessageBox(this, TMessageKind::Warning, kRunActiveText, kRunActiveSecondLine);
        return;
    }
    event->accept();
}

void TMainForm::ShowError(std::string_view text)
{
    Ui().ShowMessage(TMessageKind::Error, text);
}

void TMainForm::SetWaitCursor(bool waiting)
{
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TMainForm::ShowPage(TPage page)
{
    pages_->setCurrentIndex(page);
}

// ---- Page 1

void TMainForm::InitPage1()
{
    Quietly(clientEdit_, [](QLineEdit* edit) { edit->clear(); });
    Quietly(yearList_, [](QComboBox* list) { list->clear(); });
    // A fresh context: nothing of an earlier choice or run is carried into the next conversion.
    io_ = std::make_unique<TQZaimuIO>();
    reconciliation_.reset();
    reconcileButton_->setVisible(false);
    io_->RevisedEdition = ProgramValues().IsRevisedEdition;
    paths_.ExtractDir = ReadDefaultExtractDir();
    LoadExtractFolder(true);
    Quietly(extractDirEdit_, [this](QLineEdit* edit) { edit->setText(FromUtf8(paths_.ExtractDir)); });
}

void TMainForm::ChooseExtractFolder()
{
    if (runActive_ || CurrentPage() != kPageExtract)
        return;
    const QString folder = ChooseFolder(FromUtf8(paths_.ExtractDir));
    if (folder.isEmpty())
        return;
    typingTimer_.stop();
    Quietly(extractDirEdit_, [&](QLineEdit* edit) { edit->setText(folder); });
    paths_.ExtractDir = folder.toStdString();
    LoadExtractFolder(false);
    RememberExtractDir();
}

void TMainForm::ExtractDirTyped(const QString& text)
{
    if (runActive_)
        return;
    paths_.ExtractDir = text.toStdString();
    typingTimer_.start();
}

void TMainForm::LoadTypedExtractFolder()
{
    if (runActive_)
        return;
    LoadExtractFolder(false);
    RememberExtractDir();
}

void TMainForm::RememberExtractDir()
{
    try {
        SaveExtractDir(paths_.ExtractDir);
    } catch (const std::exception& error) {
        // Only the next start's proposal is lost; the operator is told without a box on every keystroke.
        msgPanel_->setText(FromUtf8(Format("　抽出フォルダを記憶できません。%s", error.what())));
    }
}

void TMainForm::LoadExtractFolder(bool firstLoad)
{
    Quietly(clientEdit_, [](QLineEdit* edit) { edit->clear(); });
    Quietly(yearList_, [](QComboBox* list) { list->clear(); });
    readMessages_.clear();
    const bool revised = ProgramValues().IsRevisedEdition;
    TExtractCheck check;
    try {
        check = qz::LoadExtractFolder(*io_, paths_.ExtractDir, revised);
    } catch (const std::exception& error) {   // a manifest or year record whose codes are no numbers
        io_->SentakuNendoCode = -1;
        check.Refusal = error.what();
        if (!firstLoad)
            ShowError(check.Refusal);
    }
    if (check.Accepted) {
        readMessages_ = ExtractReadMessages(*io_);
        clientEdit_->setText(FromUtf8(io_->Dtmanage.KanyosakiName));
        Quietly(yearList_, [this](QComboBox* list) {
            for (int i = 0; i < io_->Dtmanage.NendoCount; ++i)
                list->addItem(FromUtf8(io_->Dtmanage.Nendo[static_cast<std::size_t>(i)].Label));
            list->setCurrentIndex(0);
        });
        SelectYear(0);
        if (revised) {
            nextButton_->setEnabled(true);
            if (msgPanel_->text() == FromUtf8(kExtractVersionRefusalText))
                msgPanel_->clear();
        }
    } else if (revised && check.Refusal == kExtractVersionRefusalText) {
        // An extract of another source version: said in the status panel, only "next" is blocked.
        nextButton_->setEnabled(false);
        if (!firstLoad && !extractDirEdit_->text().isEmpty()) {
            msgPanel_->setText(FromUtf8(check.Refusal));
        } else {
            msgPanel_->clear();
            paths_.ExtractDir.clear();
        }
    } else if (revised) {
        Quietly(extractDirEdit_, [](QLineEdit* edit) { edit->clear(); });
        nextButton_->setEnabled(false);
        extractDirEdit_->setFocus();
    }
    UpdateReadMessageCount();
}

void TMainForm::SelectYear(int index)
{
    TYearOptions options;
    try {
        options = SelectFiscalYear(*io_, index, balanceList_->currentIndex());
    } catch (const std::exception& error) {   // digit columns of the year record that are no numbers
        io_->SentakuNendoCode = -1;
        ShowError(error.what());
        return;
    }
    codeDigitsList_->setEnabled(options.FreeCodeDigitsOpen);
    codeDigitsLabel_->setEnabled(options.FreeCodeDigitsOpen);
    if (options.FreeCodeDigitsOpen)
        Quietly(codeDigitsList_, [](QComboBox* list) { list->setCurrentIndex(kFreeCode3); });
    fudosanList_->setEnabled(options.RealEstateChartOpen);
    fudosanLabel_->setEnabled(options.RealEstateChartOpen);
    Quietly(fudosanList_, [&](QComboBox* list) {
        list->setCurrentIndex(options.RealEstateChartOpen ? kFudosanRealEstate : kFudosanNone);
    });
}

void TMainForm::UpdateReadMessageCount()
{
    const int count = static_cast<int>(readMessages_.size());
    readMessageLabel_->setText(count == 0 ? QStringLiteral("なし")
                                          : FromUtf8(Format("%d件（読み込めなかったものはコンバートされません）", count)));
    readMessageButton_->setEnabled(count > 0);
}

void TMainForm::ShowReadMessages()
{
    QDialog dialog(this);
    dialog.setObjectName("ReadMessages");
    dialog.setWindowTitle(QStringLiteral("読込メッセージ"));
    auto* text = new QPlainTextEdit;
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    for (const std::string& message : readMessages_)
        text->appendPlainText(FromUtf8(message));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.resize(640, 360);
    dialog.exec();
}

void TMainForm::NextFromExtract()
{
    if (io_->SentakuNendoCode == -1) {
        ShowError(kChooseExtractFolderText);
        extractDirEdit_->setFocus();
        return;
    }
    if (!FillDataFolderGrid())
        return;
    SetFudosanTaikei(*io_, fudosanList_->isEnabled() ? fudosanList_->currentIndex() : kFudosanNone);
    ShowPage(kPageDestination);
    folderGrid_->setFocus();
    MoveToFreeRow(0, kKeyDown);
}

// ---- Page 2

bool TMainForm::FillDataFolderGrid()
{
    const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths_);
    if (!rows)
        return false;
    int rowCount = paths_.ServerMode ? kServerFolderRows : kLocalFolderRows;
    for (const TDataFolderRow& row : *rows)
        rowCount = std::max(rowCount, row.Rec);
    folderGrid_->setRowCount(rowCount);
    folderGrid_->Clear();
    folderRows_.assign(static_cast<std::size_t>(rowCount), std::nullopt);
    // A row without a registered folder has no path to convert into: it cannot be chosen either.
    for (int row = 0; row < rowCount; ++row)
        folderGrid_->SetRowEnabled(row, false);
    for (const TDataFolderRow& row : *rows) {
        if (row.Rec < 1)
            continue;
        const int gridRow = row.Rec - 1;
        folderGrid_->SetKey(gridRow, row.Rec);
        const std::string* cells[] = {&row.Code, &row.Name, &row.Period, &row.DisplayPath, &row.Path};
        for (int column = 0; column < 5; ++column)
            folderGrid_->SetCellText(gridRow, column, *cells[column]);
        folderGrid_->SetRowEnabled(gridRow, row.Free);
        folderRows_[static_cast<std::size_t>(gridRow)] = row;
    }
    return true;
}

void TMainForm::MoveToFreeRow(int row, int key)
{
    const int found = folderGrid_->EnabledRowFrom(row, key == kKeyDown ? 1 : -1);
    if (found < 0)
        return;
    folderGrid_->setCurrentCell(found, 0);
    folderGrid_->scrollToItem(folderGrid_->item(found, 0));
}

void TMainForm::NextFromDestination()
{
    const int row = folderGrid_->currentRow();
    const bool known = row >= 0 && static_cast<std::size_t>(row) < folderRows_.size() && folderRows_[static_cast<std::size_t>(row)];
    if (!known || !folderGrid_->RowEnabled(row) || !DestinationRefusal(*folderRows_[static_cast<std::size_t>(row)]).empty()) {
        ShowError(kRowInUseText);
        return;
    }
    destinationRow_ = row;
    const TDataFolderRow& folder = *folderRows_[static_cast<std::size_t>(row)];
    if (paths_.ServerMode) {
        paths_.ServerDataPath = folder.Path;
        SystemDef().DataDir = (std::filesystem::path(ProgramValues().CommonDataPath) / ProgramValues().SettingsSubPath).string();
    } else {
        SystemDef().DataDir = folder.Path;
    }
    const std::optional<std::vector<std::string>> codes = ProposeSpecialAccounts(*io_);
    if (!codes) {
        ShowError(kHoujinKojinUnknownText);
        SystemDef().DataDir.clear();
        return;
    }
    const std::span<const TSpecialAccountRow> rows = SpecialAccountRows(io_->HoujinKojin);
    specialGrid_->setRowCount(static_cast<int>(rows.size()));
    specialGrid_->Clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int gridRow = static_cast<int>(i);
        specialGrid_->SetCellText(gridRow, kSpecialClassColumn, rows[i].Classification);
        specialGrid_->SetCellText(gridRow, kSpecialNameColumn, rows[i].Name);
        specialGrid_->SetCellText(gridRow, kSpecialCodeColumn, (*codes)[i]);
    }
    // The grid is as high as its rows: no empty space under the last special account.
    const int frame = 2 * specialGrid_->frameWidth();
    specialGrid_->setFixedHeight(specialGrid_->horizontalHeader()->sizeHint().height() +
                                 specialGrid_->rowHeight(0) * specialGrid_->rowCount() + frame + 3);
    specialGrid_->setFixedWidth(specialGrid_->ColumnWidthSum() + frame);
    ShowPage(kPageSpecialAccounts);
    specialGrid_->setFocus();
    specialGrid_->setCurrentCell(0, kSpecialCodeColumn);
    ShowCandidates(0);
}

// ---- Page 3

void TMainForm::ShowCandidates(int row)
{
    if (msgPanel_->text() == FromUtf8(kNoRetainedEarningsText))
        msgPanel_->clear();
    candidateGrid_->setRowCount(0);
    const std::span<const TSpecialAccountRow> rows = SpecialAccountRows(io_->HoujinKojin);
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size())
        return;
    std::string notice;
    const std::vector<TSpecialCandidate> candidates = SpecialAccountCandidates(*io_, rows[static_cast<std::size_t>(row)], notice);
    if (!notice.empty())
        msgPanel_->setText(FromUtf8(notice));
    candidateGrid_->setRowCount(static_cast<int>(candidates.size()));
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const int gridRow = static_cast<int>(i);
        candidateGrid_->SetCellText(gridRow, 0, candidates[i].ClassName);
        candidateGrid_->SetCellText(gridRow, kCandidateCodeColumn, candidates[i].Code);
        candidateGrid_->SetCellText(gridRow, 2, candidates[i].Name);
    }
}

void TMainForm::TakeCandidate(int candidateRow)
{
    const int row = specialGrid_->currentRow();
    if (row < 0 || candidateRow < 0)
        return;
    specialGrid_->SetCellText(row, kSpecialCodeColumn, candidateGrid_->CellText(candidateRow, kCandidateCodeColumn));
}

std::vector<std::string> TMainForm::SpecialCodes() const
{
    std::vector<std::string> codes;
    for (int row = 0; row < specialGrid_->rowCount(); ++row)
        codes.push_back(specialGrid_->CellText(row, kSpecialCodeColumn));
    return codes;
}

void TMainForm::NextFromSpecialAccounts()
{
    const std::vector<std::string> codes = SpecialCodes();
    if (const std::optional<TSpecialAccountRefusal> refusal = ValidateSpecialAccounts(*io_, codes)) {
        ShowError(refusal->Text);
        specialGrid_->setFocus();
        specialGrid_->setCurrentCell(refusal->Row, kSpecialCodeColumn);
        return;
    }
    BuildConfirmation();
}

// ---- Page 4

void TMainForm::BuildConfirmation()
{
    const std::vector<std::string> codes = SpecialCodes();
    const TDataFolderRow& folder = *folderRows_[static_cast<std::size_t>(destinationRow_)];
    settingsLines_->Clear();
    progressLines_->Clear();
    progressLines_->AppendLine("");
    progressLines_->AppendLine("");
    settingsMemo_->setFixedHeight(kSettingsMemoHeight);
    std::vector<std::string> lines = ConfirmationLines(*io_, DestinationShown(paths_, folder.Path), codes, std::nullopt);
    lines.push_back("");
    for (std::string& line : ReadMessageLines("[読込メッセージ]", readMessages_))
        lines.push_back(std::move(line));
    for (const std::string& line : lines)
        settingsLines_->AppendLine(line);

    nextButton_->setText(FromUtf8(kExecuteCaption));
    ShowPage(kPageConfirmation);
    msgPanel_->setText(FromUtf8(kCountingJournalsText));
    backButton_->setEnabled(false);
    nextButton_->setEnabled(false);
    SetWaitCursor(true);
    QCoreApplication::processEvents();
    settingsLines_->SetLine(static_cast<int>(kJournalCountLineIndex), JournalCountLine(io_->CountJournalLines()));
    msgPanel_->setText(FromUtf8(StatusTextOfHint(kConfirmationHint)));
    backButton_->setEnabled(true);
    nextButton_->setEnabled(true);
    SetWaitCursor(false);
}

void TMainForm::ExecuteConversion()
{
    const TRunActiveScope active(runActive_);
    for (QPlainTextEdit* memo : {settingsMemo_, progressMemo_})
        memo->setProperty("hint", QString());
    SetWaitCursor(true);
    for (QPushButton* button : {cancelButton_, backButton_, nextButton_})
        button->setEnabled(false);
    settingsMemo_->setFixedHeight(kRunningSettingsMemoHeight);
    msgPanel_->clear();
    keepAliveTimer_.start();

    const TDataFolderRow& folder = *folderRows_[static_cast<std::size_t>(destinationRow_)];
    TExecuteStep step(paths_, *progressLines_, *statusCaption_);
    const TExecuteResult result = step.ExecuteConversion(*io_, {folder.Rec, folder.Path},
                                                         {balanceList_->currentIndex() == kBalanceTaxExcluded});
    if (result.Outcome == TExecuteOutcome::Refused) {
        // Nothing was written: the operator goes back and chooses another folder.
        backButton_->setEnabled(true);
        nextButton_->setEnabled(true);
    } else if (result.Success()) {
        ShowCompletedRow(result);
        backButton_->setEnabled(true);
        cancelButton_->setText(FromUtf8(kEndCaption));
        // What the run itself could not read (journal lines it skipped) stays on the page.
        progressLines_->AppendLine("");
        for (const std::string& line : ReadMessageLines("[変換中の読込メッセージ]", io_->ReadErrors))
            progressLines_->AppendLine(line);
        ReconcileCompletedRun(folder.Path);
    } else {
        settingsMemo_->setFixedHeight(kFailedSettingsMemoHeight);
    }
    SetWaitCursor(false);
    cancelButton_->setEnabled(true);
    progressMemo_->moveCursor(QTextCursor::End);
    progressMemo_->ensureCursorVisible();
    keepAliveTimer_.stop();

    if (result.Success() && !result.SyuyakuRows.empty()) {
        TFSHUYAKUKAMOKU list(this);
        list.Fill(result.SyuyakuRows, result.Shougou);
        list.exec();
    }
}

void TMainForm::ShowCompletedRow(const TExecuteResult& result)
{
    const int row = destinationRow_;
    folderGrid_->SetCellText(row, 0, result.DataCode);
    folderGrid_->SetCellText(row, 1, result.Shougou);
    folderGrid_->SetCellText(row, 2, EraShortDate(result.Kisyu) + "～" + EraShortDate(result.Kimatu));
    // The folder now holds data: the grid offers it no more.
    folderGrid_->SetRowEnabled(row, false);
    if (auto& folder = folderRows_[static_cast<std::size_t>(row)])
        folder->Free = false;
}

void TMainForm::ReconcileCompletedRun(const std::string& folder)
{
    // The proof that every yen arrived: the new data set read back against the extract.
    progressLines_->AppendLine("");
    try {
        const std::string host = paths_.ServerMode ? paths_.ServerHost : std::string();
        reconciliation_ = std::make_unique<TReconciliation>(ReconcileDataFolder(*io_, host, folder, {io_->DroppedYears}));
        progressLines_->AppendLine("　　[照合] " + SummaryLine(*reconciliation_));
        reconcileButton_->setVisible(true);
    } catch (const std::exception& error) {
        reconciliation_.reset();
        progressLines_->AppendLine(Format("　　[照合] 照合できませんでした。%s", error.what()));
    }
}

void TMainForm::ShowReconciliation()
{
    if (!reconciliation_)
        return;
    TFReconcileReport report(*reconciliation_, this);
    report.exec();
}

// ---- The buttons

void TMainForm::Next()
{
    switch (CurrentPage()) {
    case kPageExtract: NextFromExtract(); break;
    case kPageDestination: NextFromDestination(); break;
    case kPageSpecialAccounts: NextFromSpecialAccounts(); break;
    case kPageConfirmation: ExecuteConversion(); break;
    default: break;
    }
}

void TMainForm::Back()
{
    switch (CurrentPage()) {
    case kPageDestination:
        ShowPage(kPageExtract);
        InitPage1();
        break;
    case kPageSpecialAccounts:
        ShowPage(kPageDestination);
        folderGrid_->setFocus();
        break;
    case kPageConfirmation: {
        DM().AccDefDisconnect();
        cancelButton_->setText(FromUtf8(kCancelCaption));
        nextButton_->setText(FromUtf8(kNextCaption));
        const bool runnable = nextButton_->isEnabled();
        nextButton_->setEnabled(true);
        if (runnable) {
            ShowPage(kPageSpecialAccounts);
            specialGrid_->setFocus();
        } else {
            ShowPage(kPageExtract);
            InitPage1();
        }
        break;
    }
    default: break;
    }
}

}  // namespace qz
