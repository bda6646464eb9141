// The execute step in server mode, against a real Firebird server: the system database and the data
// folders lie on the server, the conversion is built locally and published onto the server.

#include "app/ExecuteStep.h"
#include "common/Format.h"
#include "db/DataModule.h"
#include "db/ErrorReport.h"
#include "db/schema/Installation.h"
#include "platform/SystemDef.h"
#include "tests/support/ExecuteStepSupport.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qz::test {
namespace {

namespace fs = std::filesystem;

class ExecuteStepOnServer : public ::testing::Test {
protected:
    TTempFolder root;
    TScopedEnv env;
    TRecordingUi ui;
    TRecordingLines memo{2};
    TRecordingLines status;
    fs::path common, serverData;
    std::string host;

    void SetUp() override
    {
        const char* server = std::getenv("QZ_TEST_SERVER");
        if (!server || !*server)
            GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
        // The program reaches 127.0.0.1 by path through its own engine; another name of the same server
        // takes the route through the server.
        host = std::string(server) == "127.0.0.1" ? "localhost" : server;
        common = root.Path() / "共有データ";
        serverData = root.Path() / "サーバー（㈱髙橋会計）";
        fs::create_directories(serverData);
        env.Set("QZ_COMMON_APPDATA", common.string()).Set("QZ_DOCUMENTS", (root.Path() / "ドキュメント").string());
        env.Set("TEMP", root.Path().string());
        schema::MakeInstallation(
            {.CommonDataPath = common.string(), .FreeRows = 3, .ServerHost = host, .ServerDataDir = serverData.string()});
        InitSystemPaths(root.Path() / "install" / "bin" / "qzconvert");
        ASSERT_EQ(ProgramValues().ConnectionMode, 1);
        LinkTemplateFolder();
        ResetDbFatalForTests();
    }

    void TearDown() override
    {
        DM().AccDatDisconnect("", false, false);
        DM().AccDefDisconnect();
        ProgramValues().ConnectionMode = 0;
    }

    TExecuteResult Execute(TQZaimuIO& io, int rec)
    {
        TExecuteStep step(MainFormPathsOf(SystemDef(), ProgramValues()), memo, status);
        return step.ExecuteConversion(io, {rec, (serverData / Format("%04d", rec)).string()}, {});
    }

    fs::path LocalWorkingCopy() const { return common / "QuorvelZAI" / "ZAIMU" / "qrvacc.fdb"; }
};

TEST_F(ExecuteStepOnServer, AServerFolderThatHoldsADataDatabaseIsRefused)
{
    const fs::path present = serverData / "0001" / "qrvacc.fdb";
    WriteBytes(present, "another operator's data");
    TQZaimuIO io;
    EXPECT_EQ(Execute(io, 1).Outcome, TExecuteOutcome::Refused);
    EXPECT_EQ(ui.LastText(), "選択したフォルダには他オペレータによって財務データが作成されています。\n"
                             "データ選択画面に戻って、別の場所を選んで下さい。");
    EXPECT_EQ(ReadBytes(present), "another operator's data");
    EXPECT_FALSE(fs::exists(LocalWorkingCopy()));
    EXPECT_TRUE(IsFreeRow(DataListRow(1, host)));
    EXPECT_EQ(ProgramValues().ConnectionMode, 1);
}

TEST_F(ExecuteStepOnServer, AConversionWhosePriorPriorYearWasDroppedIsPublishedOntoTheServer)
{
    TQZaimuIO io;
    // A 4.5 % tax code drops the prior-prior year; the run still completes.
    const TExtractDescription d = ReadSample(io, "individual-general", root.Path(),
                                             [](TExtractDescription& d) { d.Years[2].Entries.front().DebitTax = "1211"; });

    const TExecuteResult result = Execute(io, 2);
    ASSERT_TRUE(result.Success()) << ui.LastText();
    EXPECT_TRUE(result.PastJournalsSkipped);
    EXPECT_EQ(memo.Lines[0], "◎コンバートが完了しました。前々期・前期の仕訳は取り込まれていません。");
    EXPECT_EQ(memo.Lines[1], "  詳細は下記メッセージを参照してください。[終了]ボタンを押して下さい。");
    EXPECT_EQ(ProgramValues().ConnectionMode, 1);
    // Only the server keeps the data set: the local working copy and the transfer backup are gone.
    EXPECT_FALSE(fs::exists(LocalWorkingCopy()));
    EXPECT_FALSE(fs::exists(LocalWorkingCopy().parent_path() / "qrvacc.fbk"));
    const fs::path published = serverData / "0002" / "qrvacc.fdb";
    EXPECT_EQ(result.DataDatabase, host + ":" + published.string());

    ASSERT_TRUE(DM().fnAccDatConnected(host, published.parent_path().string(), false));
    EXPECT_EQ(DM().AccDatDatabaseName(), host + ":" + published.string());
    ASSERT_TRUE(DM().fnGetAccInfo());
    EXPECT_EQ(AccInfo().SHOUGOU, d.ClientName);
    EXPECT_EQ(AccInfo().KISHU, d.Years.front().Start);
    // The current year's journals and the prior year's past journals are on the server, the dropped year's
    // are not.
    const auto count = [](std::string_view table) {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        return QueryInt(DM().IBTransactionDAT, Format("SELECT COUNT(*) FROM %s WHERE TAISHAKU = 1", table));
    };
    EXPECT_EQ(count("SIWAKE"), static_cast<std::int64_t>(d.Years[0].Entries.size()));
    EXPECT_EQ(count("KAKOSIWAKE1"), static_cast<std::int64_t>(d.Years[1].Entries.size()));
    EXPECT_EQ(count("KAKOSIWAKE2"), 0);
    const TDataSentakuRec row = DataListRow(2, host);
    EXPECT_EQ(row.SHOUGOU, d.ClientName);
    EXPECT_EQ(row.DATATYPE, 2);
    EXPECT_EQ(row.KIMATU, d.Years.front().End);
}

}  // namespace
}  // namespace qz::test
