// Backup and restore through the services API and through the command-line tool, and the worker that
// sequences them, on real databases.

#include "common/Cp932.h"
#include "common/Format.h"
#include "db/BackupRestore.h"
#include "tests/support/InstallationFixture.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;

class BackupRestoreTest : public test::TInstallationFixture {
protected:
    fs::path Database() const { return dataFolder / "qrvacc.fdb"; }
    fs::path Folder(int rec) const { return fs::path(SystemDef().SysDbDir) / Format("%04d", rec); }

    // Marks the data database so a copy can be recognised: a journal count and an operation.
    void Mark()
    {
        ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
        ExecData("UPDATE SISETUMST SET SIWAKECOUNT = 321");
        ExecData("INSERT INTO OPINF (JOBNAME) VALUES ('確認')");
        DM().AccDatDisconnect("", false, false);
    }

    std::int64_t CountIn(const fs::path& folder, std::string_view sql)
    {
        EXPECT_TRUE(DM().fnAccDatConnected("", folder.string(), false));
        const std::int64_t value = QueryData(sql);
        DM().AccDatDisconnect("", false, false);
        return value;
    }
};

TEST_F(BackupRestoreTest, ServicesBackupThenRestoreKeepsEveryRowAndEmptiesTheHistory)
{
    Mark();
    const fs::path backup = root.Path() / "copy.fbk";
    ASSERT_TRUE(BackupFDB(DM(), TServiceProtocol::Local, "", false, backup.string(), Database().string()));
    EXPECT_TRUE(fs::exists(backup));
    EXPECT_FALSE(fs::exists(dataFolder / "qrvacc.fb_"));  // moved away from the temporary name
    const fs::path target = Folder(2) / "qrvacc.fdb";
    ASSERT_TRUE(RestoreFDB(DM(), TServiceProtocol::Local, "", true, backup.string(), target.string()));
    EXPECT_EQ(CountIn(Folder(2), "SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = ' '"), 321);
    EXPECT_EQ(CountIn(Folder(2), "SELECT COUNT(*) FROM KAMOKUMST"), 400);
    EXPECT_EQ(CountIn(Folder(2), "SELECT COUNT(*) FROM OPINF"), 0);
}

TEST_F(BackupRestoreTest, ABackupPathEqualToTheTemporaryOneIsNotMoved)
{
    const fs::path backup = dataFolder / "QRVACC.FB_";
    ASSERT_TRUE(BackupFDB(DM(), TServiceProtocol::Local, "", false, backup.string(), Database().string()));
    // Compared without regard to case: the file written under the temporary name stays as it is.
    EXPECT_TRUE(fs::exists(dataFolder / "qrvacc.fb_"));
}

TEST_F(BackupRestoreTest, ToolBackupThenRestoreKeepsEveryRow)
{
    Mark();
    const fs::path backup = root.Path() / "tool.fbk";
    ASSERT_TRUE(BackupFDBByTool(DM(), "", true, backup.string(), Database().string()));
    const fs::path target = Folder(3) / "qrvacc.fdb";
    ASSERT_TRUE(RestoreFDBByTool(DM(), "", true, backup.string(), target.string()));
    EXPECT_EQ(CountIn(Folder(3), "SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = ' '"), 321);
    EXPECT_EQ(CountIn(Folder(3), "SELECT COUNT(*) FROM OPINF"), 0);
}

TEST_F(BackupRestoreTest, TheToolReplacesAnExistingDatabaseOnlyWhenAsked)
{
    // The data database of folder 0001 is restored over with the template of another chart.
    ASSERT_TRUE(RestoreFDBByTool(DM(), "", true, (test::TemplateFolder() / "QrvAcc21.610").string(), Database().string()));
    EXPECT_EQ(CountIn(dataFolder, "SELECT DATATYPE FROM ACCDEF1"), 2);
    EXPECT_FALSE(RestoreFDBByTool(DM(), "", false, (test::TemplateFolder() / "QrvAcc11.610").string(), Database().string()));
    EXPECT_TRUE(ui.LastText().starts_with("レストア中にエラーが発生しました。")) << ui.LastText();
    EXPECT_EQ(CountIn(dataFolder, "SELECT DATATYPE FROM ACCDEF1"), 2);

    // The tool's own message names the database as the file system spells it.
    const fs::path client = root.Path() / "顧客（髙橋①）" / "qrvacc.fdb";
    fs::create_directories(client.parent_path());
    ASSERT_TRUE(RestoreFDBByTool(DM(), "", true, (test::TemplateFolder() / "QrvAcc11.610").string(), client.string()));
    EXPECT_FALSE(RestoreFDBByTool(DM(), "", false, (test::TemplateFolder() / "QrvAcc11.610").string(), client.string()));
    EXPECT_NE(ui.LastText().find(client.string()), std::string::npos) << ui.LastText();
}

TEST_F(BackupRestoreTest, AToolLogWithErrorTurnsIntoTheFailureMessage)
{
    const fs::path broken = root.Path() / "broken.fbk";
    test::WriteBytes(broken, "this is not a backup");
    EXPECT_FALSE(RestoreFDBByTool(DM(), "", true, broken.string(), (Folder(4) / "qrvacc.fdb").string()));
    ASSERT_FALSE(ui.Messages.empty());
    const std::string text = ui.LastText();
    EXPECT_TRUE(text.starts_with("レストア中にエラーが発生しました。\r")) << text;
    EXPECT_NE(text.find("ERROR"), std::string::npos);
    EXPECT_FALSE(RestoreFDBByTool(DM(), "", true, (root.Path() / "missing.fbk").string(), (Folder(4) / "qrvacc.fdb").string()));
}

TEST_F(BackupRestoreTest, ThePasswordStaysOffTheCommandLine)
{
    const std::vector<std::string> arguments = GbakArguments(TGbakAction::Backup, "/tmp/gbak.log", "/d/qrvacc.fdb", "/d/qrvacc.fbk");
    EXPECT_EQ(arguments, (std::vector<std::string>{"-b", "-g", "-user", "HOLDEX", "-y", "/tmp/gbak.log", "/d/qrvacc.fdb",
                                                   "/d/qrvacc.fbk"}));
    for (const std::string& argument : GbakArguments(TGbakAction::RestoreReplacing, "l", "b", "d"))
        EXPECT_EQ(argument.find("vostar"), std::string::npos);
}

TEST_F(BackupRestoreTest, TheWorkerCopiesAndWritesTheInformationBlock)
{
    Mark();
    TBackupRestoreThread thread(DM());
    thread.Operation = TBackupRestoreThread::TOperation::Copy;
    thread.Method = TBackupRestoreThread::TMethod::Tool;
    thread.DatabasePath = Database().string();
    thread.TargetPath = (Folder(5) / "qrvacc.fdb").string();
    thread.BackupPath = (root.Path() / "worker.fbk").string();
    thread.Replace = true;
    thread.WriteMarker = true;
    thread.Marker.SHOUGOU = "㈱山田商事";
    thread.Marker.SIWAKE = 321;
    thread.Resume();
    thread.WaitFor();
    EXPECT_TRUE(thread.Terminated());
    EXPECT_TRUE(thread.Result) << thread.ErrorCode << " " << thread.ErrorMessage;
    EXPECT_FALSE(thread.ErrorFlag);
    EXPECT_EQ(CountIn(Folder(5), "SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = ' '"), 321);
    const std::string bytes = test::ReadBytes(thread.BackupPath);
    EXPECT_NE(bytes.find(EncodeCp932("\r\nSHOUGOU=㈱山田商事\r\n")), std::string::npos);
    EXPECT_NE(bytes.find("SIWAKE=321\r\n"), std::string::npos);
}

TEST_F(BackupRestoreTest, AFailureInsideTheWorkerEndsAsItsFailure)
{
    // The information block cannot hold a character CP932 lacks; the worker must hand that back as its
    // failure instead of letting the exception end the program.
    TBackupRestoreThread thread(DM());
    thread.Operation = TBackupRestoreThread::TOperation::Backup;
    thread.DatabasePath = Database().string();
    thread.BackupPath = (root.Path() / "marked.fbk").string();
    thread.WriteMarker = true;
    thread.Marker.SHOUGOU = "絵文字😀商事";
    thread.Resume();
    thread.WaitFor();
    EXPECT_TRUE(thread.Terminated());
    EXPECT_FALSE(thread.Result);
    EXPECT_TRUE(thread.ErrorFlag);
    EXPECT_EQ(thread.ErrorContext, "BackupDatabase");
    EXPECT_EQ(thread.ErrorCode, "100");
    EXPECT_NE(thread.ErrorMessage2.find("U+1F600"), std::string::npos);
}

TEST_F(BackupRestoreTest, TheWorkerRefusesOtherFilesAndDatabasesInUse)
{
    TBackupRestoreThread wrongName(DM());
    wrongName.Operation = TBackupRestoreThread::TOperation::Restore;
    wrongName.DatabasePath = (Folder(6) / "other.fdb").string();
    wrongName.BackupPath = (root.Path() / "x.fbk").string();
    wrongName.Resume();
    wrongName.WaitFor();
    EXPECT_FALSE(wrongName.Result);
    EXPECT_EQ(wrongName.ErrorCode, "201");
    EXPECT_EQ(wrongName.ErrorContext, "RestoreDatabase");
    EXPECT_FALSE(fs::exists(Folder(6) / "other.fdb"));

    // Someone else holds the data database (the program's own connection does not count: it is closed
    // for the check).
    fb::TAttachment other = fb::TAttachment::Attach(ProductConnectParams(Database().string()));
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    TBackupRestoreThread inUse(DM());
    inUse.Operation = TBackupRestoreThread::TOperation::Restore;
    inUse.DatabasePath = Database().string();
    inUse.BackupPath = (root.Path() / "x.fbk").string();
    inUse.Resume();
    inUse.WaitFor();
    EXPECT_EQ(inUse.ErrorCode, "202");
    EXPECT_EQ(inUse.ErrorMessage, "このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。");
    EXPECT_TRUE(DM().IBDatabaseDAT.Connected());  // reopened after the check
}

TEST_F(BackupRestoreTest, ServerBackupAndRestoreOntoTheServer)
{
    const char* host = std::getenv("QZ_TEST_SERVER");
    if (!host || !*host)
        GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
    Mark();
    ProgramValues().ConnectionMode = 1;
    const fs::path backup = root.Path() / "server.fbk";
    const fs::path target = Folder(7) / "qrvacc.fdb";
    EXPECT_TRUE(BackupFDB(DM(), TServiceProtocol::TCP, host, true, backup.string(), Database().string()));
    EXPECT_TRUE(RestoreFDBByTool(DM(), host, true, backup.string(), target.string()));
    EXPECT_TRUE(DM().fnAccDatConnected(host, Folder(7).string(), false));
    EXPECT_TRUE(DM().AccDatInConnection(TDatabaseKind::Data, host, true, Folder(7).string()));
    EXPECT_EQ(QueryData("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = ' '"), 321);
    DM().AccDatDisconnect("", false, false);
    ProgramValues().ConnectionMode = 0;
}

}  // namespace
}  // namespace qz
