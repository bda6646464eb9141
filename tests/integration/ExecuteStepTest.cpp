// The execute step on a real local installation: what it refuses before writing anything, what a failure
// leaves behind (the operator's files, a free registry row), and what a conversion registers.

#include "app/ConversionRuns.h"
#include "app/ExecuteStep.h"
#include "common/Cp932.h"
#include "common/Format.h"
#include "db/DataModule.h"
#include "db/ErrorReport.h"
#include "platform/SystemDef.h"
#include "tests/support/ExecuteStepSupport.h"
#include "tests/support/InstallationFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qz {
namespace {

namespace fs = std::filesystem;

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class ExecuteStepLocal : public test::TInstallationFixture {
protected:
    test::TRecordingLines memo{2};
    test::TRecordingLines status;

    void SetUp() override
    {
        TInstallationFixture::SetUp();
        test::LinkTemplateFolder();
    }

    fs::path Folder(int rec) const { return fs::path(SystemDef().SysDbDir) / Format("%04d", rec); }

    TExecuteResult Execute(TQZaimuIO& io, int rec, const fs::path& folder)
    {
        TExecuteStep step(MainFormPathsOf(SystemDef(), ProgramValues()), memo, status);
        return step.ExecuteConversion(io, {rec, folder.string()}, {});
    }
};

TEST_F(ExecuteStepLocal, AFolderThatHoldsADataDatabaseIsRefusedBeforeAnythingIsWritten)
{
    const std::string before = test::ReadBytes(dataFolder / "qrvacc.fdb");
    TQZaimuIO io;
    const TExecuteResult result = Execute(io, 1, dataFolder);
    EXPECT_EQ(result.Outcome, TExecuteOutcome::Refused);
    EXPECT_EQ(ui.LastText(), "選択したフォルダには他オペレータによって財務データが作成されています。\n"
                             "データ選択画面に戻って、別の場所を選んで下さい。");
    EXPECT_EQ(test::ReadBytes(dataFolder / "qrvacc.fdb"), before);
    EXPECT_TRUE(test::IsFreeRow(test::DataListRow(1)));
    EXPECT_EQ(memo.Lines, (std::vector<std::string>{"", ""}));
}

// Two conversions that both saw the row free: the one that comes second is refused before it writes
// anything, whether the first still runs (its lock), is in the middle of its claim (an open transaction of
// another attachment) or has claimed the row already.
TEST_F(ExecuteStepLocal, ARowAnotherConversionClaimedIsRefusedBeforeAnythingIsWritten)
{
    TQZaimuIO io;
    test::ReadSample(io, "corporation", root.Path());
    const TMainFormPaths paths = MainFormPathsOf(SystemDef(), ProgramValues());
    const auto expectRefused = [&](std::string_view situation) {
        ui.Messages.clear();
        const TExecuteResult result = Execute(io, 2, Folder(2));
        EXPECT_EQ(result.Outcome, TExecuteOutcome::Refused) << situation;
        EXPECT_TRUE(result.ClaimLost) << situation;
        EXPECT_EQ(ui.LastText(), "選択したフォルダは他のコンバートで使用中です。\nデータ選択画面に戻って、別の場所を選んで下さい。")
            << situation;
        EXPECT_FALSE(fs::exists(Folder(2) / "qrvacc.fdb")) << situation;
        EXPECT_EQ(memo.Lines, (std::vector<std::string>{"", ""})) << situation;
    };
    {
        const std::optional<TNamedLock> running = TNamedLock::TryAcquire(RowLockName(paths, 2));
        ASSERT_TRUE(running);
        expectRefused("running");
        EXPECT_TRUE(test::IsFreeRow(test::DataListRow(2)));
        DM().AccDefDisconnect();
    }

    const std::string system = (fs::path(SystemDef().SysDbDir) / ProgramValues().SysDbFileName).string();
    fb::TAttachment other = fb::TAttachment::Attach(ConnectParamsFor(system));
    {
        fb::TTransaction claim(other);
        claim.Start();
        fb::ExecuteImmediate(claim, "UPDATE DATALIST SET ENTTEXT='他のコンバート' WHERE REC=2");
        expectRefused("claiming");
        claim.Commit();
    }
    expectRefused("claimed");
    EXPECT_EQ(test::DataListRow(2).ENTTEXT, "他のコンバート");
}

TEST_F(ExecuteStepLocal, AFailedTemplateRestoreFreesTheRowAndLeavesNoDatabase)
{
    // A stale period on the free row shows that the reset really ran on the chosen row.
    ASSERT_TRUE(DM().fnAccDefConnected("", TOnFailure::Report));
    {
        fb::TTransactionScope scope(DM().IBTransactionDEF);
        fb::ExecuteImmediate(DM().IBTransactionDEF, "UPDATE DATALIST SET KISHU = '2020-04-01' WHERE REC IN (3, 4, 5)");
        scope.Commit();
    }
    fs::remove(TExecuteStep::TemplateFolder());
    test::WriteBytes(Folder(3) / "顧客メモ.txt", "memo");
    fs::remove_all(Folder(4));

    TQZaimuIO io;
    EXPECT_EQ(Execute(io, 3, Folder(3)).Outcome, TExecuteOutcome::Failed);
    EXPECT_EQ(memo.Lines[0], "・新規データの作成に失敗しました。");
    EXPECT_NE(Joined(memo.Lines).find("テンプレートファイルがありません。"), std::string::npos);
    EXPECT_TRUE(test::IsFreeRow(test::DataListRow(3)));
    EXPECT_EQ(test::ReadBytes(Folder(3) / "顧客メモ.txt"), "memo");
    EXPECT_FALSE(fs::exists(Folder(3) / "qrvacc.fdb"));

    // A folder the run made goes again.
    EXPECT_EQ(Execute(io, 4, Folder(4)).Outcome, TExecuteOutcome::Failed);
    EXPECT_TRUE(test::IsFreeRow(test::DataListRow(4)));
    EXPECT_FALSE(fs::exists(Folder(4)));
    EXPECT_EQ(test::DataListRow(5).KISHU, TDate::Ymd(2020, 4, 1));
}

TEST_F(ExecuteStepLocal, AConversionCompletesTheRowWithTheNewDataSet)
{
    TQZaimuIO io;
    const test::TExtractDescription d = test::ReadSample(io, "corporation", root.Path());
    const TExecuteResult result = Execute(io, 2, Folder(2));
    ASSERT_TRUE(result.Success()) << Joined(memo.Lines) << ui.LastText();
    EXPECT_FALSE(result.PastJournalsSkipped);
    EXPECT_EQ(memo.Lines[0], "◎コンバートが完了しました。[終了]ボタンを押して下さい。");
    EXPECT_TRUE(result.ErrorLogPath.empty());
    EXPECT_EQ(result.DataDatabase, (Folder(2) / "qrvacc.fdb").string());

    // The row says what the new data database itself holds, and the version of the data set.
    ASSERT_TRUE(DM().fnAccDatConnected("", Folder(2).string(), false));
    ASSERT_TRUE(DM().fnGetAccInfo());
    const TACCINF& info = AccInfo();
    const TDataSentakuRec row = test::DataListRow(2);
    EXPECT_EQ(row.SHOUGOU, d.ClientName);
    EXPECT_EQ(row.SHOUGOU, info.SHOUGOU);
    EXPECT_EQ(row.ENTTEXT, info.ENTTEXT);
    EXPECT_EQ(row.DATACODE, info.SCODE1);
    EXPECT_EQ(row.DATATYPE, 1);
    EXPECT_EQ(row.CODETYPE, info.CODETYPE);
    EXPECT_EQ(row.NENDO, info.NENDO);
    EXPECT_EQ(row.KISHU, d.Years.front().Start);
    EXPECT_EQ(row.KIMATU, d.Years.front().End);
    EXPECT_EQ(row.NETDRIVE, 0);
    EXPECT_EQ(std::tie(row.VER_MAJOR, row.VER_MINOR1, row.VER_MINOR2),
              std::tie(info.VerMajor, info.VerMinor1, info.VerMinor2));
    EXPECT_EQ(row.VER_TEXT, "14版");
    EXPECT_EQ(result.Shougou, d.ClientName);
    EXPECT_EQ(result.Kisyu, d.Years.front().Start);

    // The installment savings are folded into the target's other deposits: the list names them.
    const auto savings = std::ranges::find(d.Accounts, std::string("11500"), &test::TExtractAccount::Code)->UserCode;
    EXPECT_TRUE(std::ranges::any_of(result.SyuyakuRows, [&](const TSyuyakuRow& r) { return r.Cells[0] == savings; }))
        << result.SyuyakuRows.size();
}

TEST_F(ExecuteStepLocal, AFailedImportFreesTheRowAndRemovesOnlyWhatTheRunMade)
{
    TQZaimuIO io;
    // A 4.5 % tax code in the current year stops the conversion.
    test::ReadSample(io, "corporation", root.Path(),
                     [](test::TExtractDescription& d) { d.Years.front().Entries.front().DebitTax = "1211"; });
    test::WriteBytes(Folder(6) / "顧客メモ.txt", "memo");

    const TExecuteResult result = Execute(io, 6, Folder(6));
    EXPECT_EQ(result.Outcome, TExecuteOutcome::Failed);
    EXPECT_TRUE(test::IsFreeRow(test::DataListRow(6)));
    EXPECT_EQ(test::ReadBytes(Folder(6) / "顧客メモ.txt"), "memo");
    EXPECT_FALSE(fs::exists(Folder(6) / "qrvacc.fdb"));
    ASSERT_FALSE(result.ErrorLogPath.empty());
    EXPECT_TRUE(fs::is_regular_file(result.ErrorLogPath));
    EXPECT_EQ(status.StatusText, "マイドキュメントに\"Quorvel_ConvertError.log\"を作成しました。");
    EXPECT_NE(std::find(memo.Lines.begin(), memo.Lines.end(), "当期仕訳に4.5％または、6.0％の消費税が含まれています。"),
              memo.Lines.end());
}

}  // namespace
}  // namespace qz
