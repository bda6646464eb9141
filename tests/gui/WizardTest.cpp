// The wizard driven through its real widgets (offscreen) on a real local installation restored from the
// build's templates: what each page refuses, and a whole conversion of a sample extract.

#include "tests/gui/WizardTests.h"

#include "tests/gui/WizardDriver.h"
#include "app/QtDialogs.h"

#include "app/MainForm.h"
#include "app/WizardTexts.h"
#include "common/Format.h"
#include "convert/ZaimuIO_Manifest.h"
#include "db/DataModule.h"
#include "platform/SystemDef.h"
#include "tests/support/ExecuteStepSupport.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <tuple>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::Click;
using test::Find;
using test::MemoLines;
using test::Sample;
using test::TModalAnswerer;
using test::TypeCode;

// The description with an account under another system code, everywhere the extract names it.
test::TExtractDescription Renamed(test::TExtractDescription d, const std::string& from, const std::string& to)
{
    const auto rename = [&](std::string& code) {
        if (code == from)
            code = to;
    };
    for (test::TExtractAccount& account : d.Accounts)
        rename(account.Code);
    for (test::TExtractSubAccount& sub : d.SubAccounts)
        rename(sub.Account);
    for (test::TExtractSummary& summary : d.Summaries) {
        rename(summary.DebitAccount);
        rename(summary.CreditAccount);
    }
    for (test::TExtractYear& year : d.Years) {
        decltype(year.Opening) opening;
        for (const auto& [key, amount] : year.Opening) {
            auto [branch, account, sub] = key;
            rename(account);
            opening[{branch, account, sub}] += amount;
        }
        year.Opening = std::move(opening);
        for (test::TExtractEntry& entry : year.Entries) {
            rename(entry.Debit);
            rename(entry.Credit);
        }
    }
    return d;
}

}  // namespace

struct WizardTest::TInstallation {
    test::TTempFolder root;
    test::TScopedEnv env;
    fs::path extracts = root.Path() / "抽出データ（髙橋）";
};

WizardTest::WizardTest() = default;
WizardTest::~WizardTest() = default;

void WizardTest::Install(bool revisedEdition)
{
    installation_ = std::make_unique<TInstallation>();
    TInstallation& i = *installation_;
    test::MakeWizardInstallation(i.root.Path(), i.env, revisedEdition);
}

fs::path WizardTest::WriteExtract(const test::TExtractDescription& d, const std::string& name)
{
    const fs::path folder = installation_->extracts / name;
    test::WriteExtract(d, folder);
    return folder;
}

void WizardTest::cleanup()
{
    DM().AccDatDisconnect("", false, false);
    DM().AccDefDisconnect();
    installation_.reset();
}

void WizardTest::theRevisedEditionRefusesWhatIsNoExtractOfItsVersion()
{
    Install(true);
    test::TExtractDescription older = Sample("corporation");
    older.DBVersion = 2;
    const fs::path olderFolder = WriteExtract(older, "旧版");
    const fs::path goodFolder = WriteExtract(Sample("corporation"), "関与先①");
    const fs::path plainFolder = installation_->extracts / "ただのフォルダ";
    fs::create_directories(plainFolder);

    TModalAnswerer answerer;
    TMainForm form;
    fs::path picked;
    form.ChooseFolder = [&](const QString&) { return FromUtf8(picked.string()); };
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* folderEdit = Find<QLineEdit>(form, "ED_M3CSVDIR");
    auto* next = Find<QPushButton>(form, "BTN_NEXT");
    auto* panel = Find<QLabel>(form, "MSGPANEL");

    // Typing a folder that is no extract: once the typing pauses the page empties the box.
    folderEdit->setFocus();
    test::TypeText(*folderEdit, FromUtf8(plainFolder.string()));
    QTRY_VERIFY_WITH_TIMEOUT(folderEdit->text().isEmpty(), 3000);
    QVERIFY(!next->isEnabled());

    // F3 picks an extract of another source version: said in the status panel, "next" stays off.
    picked = olderFolder;
    QTest::keyClick(&form, Qt::Key_F3);
    QCOMPARE(panel->text(), FromUtf8(kExtractVersionRefusalText));
    QVERIFY(!next->isEnabled());
    QVERIFY(Find<QLineEdit>(form, "ED_KANYOSAKI")->text().isEmpty());

    picked = goodFolder;
    QTest::keyClick(&form, Qt::Key_F3);
    QVERIFY(next->isEnabled());
    QVERIFY(panel->text().isEmpty());
    QCOMPARE(folderEdit->text(), FromUtf8(goodFolder.string()));
    QCOMPARE(Find<QLineEdit>(form, "ED_KANYOSAKI")->text(), FromUtf8(Sample("corporation").ClientName));
    // The folder is remembered for the next start.
    QCOMPARE(ReadDefaultExtractDir(), goodFolder.string());
    QVERIFY(answerer.Texts.isEmpty());
}

void WizardTest::thePagesRefuseWhatTheyMustAndASampleIsConverted()
{
    Install(false);
    // Folder 2 holds another client's data.
    QVERIFY(DM().fnAccDefConnected("", TOnFailure::Report));
    {
        fb::TTransactionScope scope(DM().IBTransactionDEF);
        fb::ExecuteImmediate(DM().IBTransactionDEF, "UPDATE DATALIST SET ENTTEXT = '㈱他社' WHERE REC = 2");
        scope.Commit();
    }
    DM().AccDefDisconnect();
    test::TExtractDescription d = Sample("corporation");
    // その他の預金 is an aggregated account of the corporate chart, classified like cash.
    d.Accounts.push_back({.Code = "11300", .UserCode = "113", .Level1 = "10", .Level2 = "11", .Level3 = "10",
                          .Name = "その他の預金"});
    d.ExtraLines.insert({"ZMKANJYO.CSV", "壊れた行"});
    const fs::path extract = WriteExtract(d, "関与先①");

    TModalAnswerer answerer;
    TMainForm form;
    form.ChooseFolder = [&](const QString&) { return FromUtf8(extract.string()); };
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // Page 1: "next" without an extract is refused; then the extract with its years and read messages.
    Click(form, "BTN_NEXT");
    QCOMPARE(answerer.Last(), FromUtf8(kChooseExtractFolderText).replace("\r", "\n"));
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageExtract));
    Click(form, "SBTN_SANSHO");
    auto* years = Find<QComboBox>(form, "CB_JIGYONENDO");
    QCOMPARE(years->count(), static_cast<int>(d.Years.size()));
    QCOMPARE(form.Context().SentakuNendoCode, d.Years[0].Code);
    years->setCurrentIndex(2);
    QCOMPARE(form.Context().SentakuNendoCode, d.Years[2].Code);
    QCOMPARE(form.Context().ZenkiNendoCode, -1);
    years->setCurrentIndex(0);
    QCOMPARE(form.Context().ZenzenkiNendoCode, d.Years[2].Code);
    QVERIFY(!Find<QComboBox>(form, "CB_FUDOSAN")->isEnabled());
    QVERIFY(Find<QLabel>(form, "LB_READMSG")->text().startsWith("1件"));
    QVERIFY(Find<QPushButton>(form, "BTN_READMSG")->isEnabled());

    // Page 2: the first free folder is selected; the arrow keys pass over the used one, "next" refuses it.
    Click(form, "BTN_NEXT");
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageDestination));
    auto* folders = Find<TPerfectGrid>(form, "PerfectGrid1");
    QCOMPARE(folders->currentRow(), 0);
    QCOMPARE(folders->CellText(1, 1), std::string("㈱他社"));
    QTest::keyClick(folders, Qt::Key_Down);
    QCOMPARE(folders->currentRow(), 2);
    const QRect usedRow = folders->visualItemRect(folders->item(1, 1));
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, usedRow.center());
    QCOMPARE(folders->currentRow(), 2);
    // Should the used row become the current one all the same, "next" refuses it.
    folders->selectionModel()->setCurrentIndex(folders->model()->index(1, 0), QItemSelectionModel::NoUpdate);
    QCOMPARE(folders->currentRow(), 1);
    Click(form, "BTN_NEXT");
    QCOMPARE(answerer.Last(), FromUtf8(kRowInUseText));
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageDestination));
    folders->setCurrentCell(0, 0);
    Click(form, "BTN_NEXT");
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageSpecialAccounts));

    // Page 3: the proposed codes, their candidates, and the refusals of "next" typed into the grid.
    auto* specials = Find<TPerfectGrid>(form, "PerfectGrid2");
    auto* candidates = Find<TPerfectGrid>(form, "PerfectGrid3");
    QCOMPARE(specials->rowCount(), 5);
    const QString cash = QString::fromStdString(specials->CellText(0, 2));
    QCOMPARE(cash, QStringLiteral("101"));
    QVERIFY(candidates->rowCount() > 0);
    const auto refusal = [&](int row, const QString& code) {
        const QString before = QString::fromStdString(specials->CellText(row, 2));
        if (!TypeCode(*specials, row, code))
            return QStringLiteral("no editor");
        if (QString::fromStdString(specials->CellText(row, 2)) != code)
            return "typed " + QString::fromStdString(specials->CellText(row, 2));
        Click(form, "BTN_NEXT");
        const QString text = answerer.Last() + "@" + QString::number(specials->currentRow());
        TypeCode(*specials, row, before);
        return text;
    };
    QCOMPARE(refusal(1, cash), FromUtf8(kSameSpecialCodeText) + "@0");
    QCOMPARE(refusal(2, "401"), QStringLiteral("[401]は分類が違う科目です。@2"));
    QCOMPARE(refusal(0, "113"), QStringLiteral("[113]は集約科目です。特定科目に設定できません。@0"));
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageSpecialAccounts));

    // Page 4: the settings with the journal count and the read message, before anything is written.
    const qsizetype boxes = answerer.Texts.size();
    Click(form, "BTN_NEXT");
    QCOMPARE(answerer.Texts.size(), boxes);
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageConfirmation));
    QCOMPARE(Find<QPushButton>(form, "BTN_NEXT")->text(), QStringLiteral("実行(&N) "));
    const QStringList settings = MemoLines(form, "MemoA");
    QVERIFY(settings.contains("　　関与先名　　　：" + FromUtf8(d.ClientName)));
    // The count replaced the line that said it was being read.
    QCOMPARE(settings.filter("　　仕訳数").size(), 1);
    QCOMPARE(settings.at(7), FromUtf8(Format("　　仕訳数　　　　：%d 件", static_cast<int>(d.Years[0].Entries.size()))));
    QVERIFY(settings.contains("　　　　現　　　　　金 [101]"));
    QVERIFY(settings.filter("[読込メッセージ]　1件").size() == 1);
    QVERIFY(!fs::exists(fs::path(SystemDef().SysDbDir) / "0001" / "qrvacc.fdb"));

    // The run: the list of aggregated accounts opens, the folder's row shows the client.
    Click(form, "BTN_NEXT");
    const QStringList progress = MemoLines(form, "MemoB");
    QCOMPARE(progress.first(), QStringLiteral("◎コンバートが完了しました。[終了]ボタンを押して下さい。"));
    QCOMPARE(progress.at(1), QString());   // kept for a second completion line
    QCOMPARE(answerer.ListRows.size(), std::size_t{1});
    QVERIFY(answerer.ListRows[0] > 0);
    QCOMPARE(Find<QPushButton>(form, "BTN_CANCEL")->text(), QStringLiteral("終了 "));
    QVERIFY(Find<QPushButton>(form, "BTN_BACK")->isEnabled());
    QVERIFY(!Find<QPushButton>(form, "BTN_NEXT")->isEnabled());
    const TDataSentakuRec registered = test::DataListRow(1);
    QVERIFY(!registered.ENTTEXT.empty());
    QCOMPARE(folders->CellText(0, 0), registered.DATACODE);
    QCOMPARE(folders->CellText(0, 1), registered.SHOUGOU);
    QCOMPARE(folders->CellText(0, 1), d.ClientName);
    QVERIFY(fs::exists(fs::path(SystemDef().SysDbDir) / "0001" / "qrvacc.fdb"));

    // The reconciliation of what was written: every yen and every entry of the three years arrived.
    auto* reconcile = Find<QPushButton>(form, "BTN_RECONCILE");
    QVERIFY(reconcile->isVisible());
    const QStringList afterRun = MemoLines(form, "MemoB");
    QCOMPARE(afterRun.filter("[照合] 突合結果: 差異なし").size(), 1);
    Click(form, "BTN_RECONCILE");
    QCOMPARE(answerer.Reports.size(), 1);
    QVERIFY(answerer.Reports[0].startsWith("突合結果: 差異なし"));
    for (std::size_t year = 0; year < d.Years.size(); ++year)
        QVERIFY(answerer.Reports[0].contains(FromUtf8(Format("元 %d 件", static_cast<int>(d.Years[year].Entries.size())))));

    // After the run "back" starts over on page 1.
    Click(form, "BTN_BACK");
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageExtract));
    QVERIFY(!reconcile->isVisible());
    QCOMPARE(form.Context().SentakuNendoCode, d.Years[0].Code);
}

void WizardTest::aRunningConversionKeepsItsWindowAndItsExtract()
{
    Install(false);
    // The ordinary deposits are the one account the general chart folds; kept as deposits, nothing is folded.
    const fs::path extract = WriteExtract(Renamed(Sample("individual-general"), "10300", "10200"), "個人①");
    TModalAnswerer answerer;
    TMainForm form;
    int picks = 0;
    form.ChooseFolder = [&](const QString&) {
        ++picks;
        return FromUtf8(extract.string());
    };
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    Click(form, "SBTN_SANSHO");
    for (int page = 0; page < 3; ++page)
        Click(form, "BTN_NEXT");
    QCOMPARE(form.CurrentPage(), int(TMainForm::kPageConfirmation));

    // While the run keeps the window alive, the operator tries to close it and to pick another extract.
    bool tried = false;
    bool closed = true;
    QTimer during;
    during.setInterval(0);
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (tried || !form.RunActive())
            return;
        tried = true;
        closed = form.close();
        QTest::keyClick(&form, Qt::Key_F3);
    });
    during.start();
    Click(form, "BTN_NEXT");
    during.stop();

    QVERIFY(tried);
    QVERIFY(!closed);
    QVERIFY(answerer.Texts.contains("コンバートの実行中は終了できません。\nコンバートが終わるまでお待ちください。"));
    QCOMPARE(picks, 1);
    QVERIFY(!form.RunActive());
    QVERIFY(form.isVisible());
    QVERIFY(MemoLines(form, "MemoB").first().startsWith("◎コンバートが完了しました。"));
    // Nothing was folded: the list does not open.
    QVERIFY(answerer.ListRows.empty());
    QVERIFY(form.close());
}

}  // namespace qz
