// The execute step in server mode, against a real Firebird server: the system database and the data
// folders lie on the server, the conversion is built locally and published onto the server.

#include "app/ConversionRuns.h"
#include "app/ExecuteStep.h"
#include "common/Format.h"
#include "db/DataModule.h"
#include "db/ErrorReport.h"
#include "db/schema/Installation.h"
#include "platform/SystemDef.h"
#include "tests/support/ExecuteStepSupport.h"
#include "tests/support/FileTree.h"
#include "tests/support/PrivateFirebirdServer.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

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

    static const char* TestServer()
    {
        const char* server = std::getenv("QZ_TEST_SERVER");
        return server && *server ? server : nullptr;
    }

    void SetUp() override
    {
        const char* server = TestServer();
        if (!server)
            GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
        // The program reaches 127.0.0.1 by path through its own engine; another name of the same server
        // takes the route through the server.
        Install(std::string(server) == "127.0.0.1" ? "localhost" : server);
    }

    void Install(const std::string& serverHost)
    {
        host = serverHost;
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

// ---- the server stops while the data set is restored onto it

class ExecuteStepWhileTheServerStops : public ExecuteStepOnServer {
protected:
    TTempFolder serverFolder;
    std::optional<TPrivateFirebirdServer> server;

    void SetUp() override
    {
        if (!TestServer())
            GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
        server.emplace(serverFolder.Path());
        Install(server->Host());
    }

    // The folders below the test's folder (common data, documents, the extract) but the server's data folder,
    // which is checked apart; the files right in it are the program's temporary files (TEMP).
    TFileTree OperatorFiles() const
    {
        TFileTree files = ListFileTree(root.Path());
        std::erase_if(files, [&](const auto& file) {
            return file.first.find('/') == std::string::npos || file.first.starts_with(serverData.filename().string());
        });
        return files;
    }

    // What the failed run may add: the database error logs, and the claim record that lets this machine
    // finish the cleanup once the server is back.
    std::set<std::string> MayAdd(int rec) const
    {
        const fs::path settings = fs::path(ProgramValues().CommonDataPath) / ProgramValues().SettingsSubPath;
        const std::string claim = RowLockName(MainFormPathsOf(SystemDef(), ProgramValues()), rec) + ".claim";
        std::set<std::string> files;
        for (const fs::path& file : {settings / "ErrFbAccess.log", settings / "ErrFbAccess.txt", settings / claim})
            files.insert(file.lexically_relative(root.Path()).generic_string());
        return files;
    }

    TRunState StateOfRow(int rec)
    {
        const TMainFormPaths paths = MainFormPathsOf(SystemDef(), ProgramValues());
        const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths);
        EXPECT_TRUE(rows);
        for (const TDataFolderRow& row : rows.value_or(std::vector<TDataFolderRow>{}))
            if (row.Rec == rec)
                return RunStateOf(paths, row);
        ADD_FAILURE() << "no row " << rec;
        return TRunState::Free;
    }
};

TEST_F(ExecuteStepWhileTheServerStops, TheRunFailsCleanlyAndTheRowIsFreedOnceTheServerIsBack)
{
    TQZaimuIO io;
    const TExtractDescription d = ReadSample(io, "individual-general", root.Path());
    const fs::path published = serverData / "0002" / "qrvacc.fdb";
    const TFileTree before = OperatorFiles();
    // Stopped while the restore writes the database on the server.
    bool stopped = false;
    ui.OnProcessEvents = [&] {
        if (!stopped && memo.Lines[0].find("登録中です。") != std::string::npos && fs::exists(published)) {
            server->Kill();
            stopped = true;
        }
    };
    const TExecuteResult failed = Execute(io, 2);
    ui.OnProcessEvents = nullptr;
    ASSERT_TRUE(stopped) << "the restore ended before the server could be stopped";

    EXPECT_EQ(failed.Outcome, TExecuteOutcome::Failed);
    const std::string message = ui.LastText();
    EXPECT_NE(message.find("登録に失敗しました"), std::string::npos) << message;
    EXPECT_NE(message.find("0002"), std::string::npos) << message;
    EXPECT_FALSE(ui.ApplicationEnded);
    EXPECT_EQ(ProgramValues().ConnectionMode, 1);
    EXPECT_FALSE(fs::exists(LocalWorkingCopy()));
    EXPECT_FALSE(fs::exists(LocalWorkingCopy().parent_path() / "qrvacc.fbk"));
    EXPECT_EQ(TreeChanges(before, OperatorFiles(), MayAdd(2)), std::vector<std::string>{});
    // What the server holds cannot be cleaned while it is down.
    EXPECT_TRUE(fs::exists(published));

    server->Start();
    EXPECT_EQ(StateOfRow(2), TRunState::Abandoned);
    // The next run frees the row and removes the partial database first, or it could not take the row.
    TQZaimuIO next;
    ReadSample(next, "individual-general", root.Path());
    const TExecuteResult result = Execute(next, 2);
    ASSERT_TRUE(result.Success()) << ui.LastText();
    EXPECT_NE(std::ranges::find(memo.Lines, "中断されたコンバートのデータフォルダ 0002 を空きに戻しました。"), memo.Lines.end());
    EXPECT_EQ(DataListRow(2, host).SHOUGOU, d.ClientName);
    EXPECT_EQ(StateOfRow(2), TRunState::Used);
    ASSERT_TRUE(DM().fnAccDatConnected(host, published.parent_path().string(), false));
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    EXPECT_EQ(QueryInt(DM().IBTransactionDAT, "SELECT COUNT(*) FROM SIWAKE WHERE TAISHAKU = 1"),
              static_cast<std::int64_t>(d.Years[0].Entries.size()));
}

}  // namespace
}  // namespace qz::test
