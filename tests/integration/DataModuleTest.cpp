// The data module, the settings registry, error reporting and the data-folder registry against a real
// installation: a system database with free rows and a data database restored from a template.

#include "common/Base64.h"
#include "common/Cp932.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"
#include "platform/ShellFolders.h"
#include "db/DataModule.h"
#include "db/DataSentakuList.h"
#include "db/DbErrorText.h"
#include "db/ErrorReport.h"
#include "db/Settings.h"
#include "db/SqlHelpers.h"
#include "db/schema/Installation.h"
#include "db/schema/TemplateBuilder.h"
#include "platform/SystemDef.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/Permissions.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;

using DataModuleTest = test::TInstallationFixture;

TEST_F(DataModuleTest, ConnectionStringsByModeAndHost)
{
    ProgramValues().ConnectionMode = 0;
    EXPECT_EQ(TDM::DatabaseName("dbhost", "/srv/DATA", "qrvacc.fdb"), "/srv/DATA/qrvacc.fdb");
    ProgramValues().ConnectionMode = 1;
    EXPECT_EQ(TDM::DatabaseName("dbhost", "/srv/DATA", "qrvacc.fdb"), "dbhost:/srv/DATA/qrvacc.fdb");
    EXPECT_EQ(TDM::DatabaseName("127.0.0.1", "/srv/DATA", "qrvacc.fdb"), "/srv/DATA/qrvacc.fdb");
    ProgramValues().ConnectionMode = 0;
}

TEST_F(DataModuleTest, SystemDatabaseIsAttachedOnceDataDatabaseAlwaysAnew)
{
    ASSERT_TRUE(DM().fnAccDefConnected("", TOnFailure::Report));
    auto* system = DM().IBDatabaseDEF.Raw();
    EXPECT_TRUE(DM().fnAccDefConnected("", TOnFailure::Report));
    EXPECT_EQ(DM().IBDatabaseDEF.Raw(), system);  // untouched

    const auto connectionId = [] {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        return test::QueryInt(DM().IBTransactionDAT, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE");
    };
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    const std::int64_t first = connectionId();
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    EXPECT_NE(connectionId(), first);  // detached and attached again
    EXPECT_EQ(DM().AccDatFolder(), dataFolder.string());
}

TEST_F(DataModuleTest, AMissingDataDatabaseIsReportedAndLogged)
{
    EXPECT_FALSE(DM().fnAccDatConnected("", (root.Path() / "none").string(), false));
    ASSERT_FALSE(ui.Messages.empty());
    EXPECT_TRUE(ui.LastText().starts_with("ユーザーデータベースの接続処理に失敗しました。"));
    EXPECT_NE(ui.LastText().find("[詳細情報]"), std::string::npos);
    const fs::path log = fs::path(SystemDef().LogDir) / "ErrFbAccess.log";
    EXPECT_TRUE(fs::exists(log));
    EXPECT_TRUE(fs::exists(fs::path(SystemDef().LogDir) / "ErrFbAccess.txt"));
}

TEST_F(DataModuleTest, BasicInformationSpecialAccountsAndSettings)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    ExecData("DELETE FROM ACCREG WHERE ACODE = '合算データ数'");
    ASSERT_TRUE(DM().fnGetAccInfo());
    const TACCINF& info = AccInfo();
    EXPECT_EQ(info.DATATYPE, 1);
    EXPECT_EQ(info.DataTypeName, "法人");
    EXPECT_EQ(info.KISHU, TDate::Ymd(2025, 4, 1));
    EXPECT_EQ(info.VerMajor * 100 + info.VerMinor1 * 10 + info.VerMinor2, 610);
    EXPECT_EQ(info.TotalNames.at("5880"), "当期製品製造原価");
    EXPECT_TRUE(info.HasKurikosi);
    EXPECT_EQ(SpecialAccountCodes().Get("現金").KCode, "10100");
    EXPECT_EQ(SpecialAccountCodes().Get("現金").UserCode, "101");
    EXPECT_EQ(SpecialAccountCodes().Get("事業主貸").KCode, "");  // not a corporation's account
    // The missing setting was created with its default.
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    EXPECT_EQ(test::QueryInt(DM().IBTransactionDAT, "SELECT COUNT(*) FROM ACCREG WHERE ACODE = '合算データ数' AND ATEXT = '0'"), 1);
}

TEST_F(DataModuleTest, AnUnknownDataTypeIsRefused)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    ExecData("UPDATE ACCDEF1 SET DATATYPE = 4");
    EXPECT_FALSE(DM().fnGetAccInfo());
    EXPECT_EQ(ui.LastText(), "このプログラムでは、該当のデータタイプを処理することが出来ません。(DataType=4)");
}

TEST_F(DataModuleTest, ALockConflictFailsAtOnceWithTheNoWaitText)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    // Another attachment works in a table-stable transaction, as the next-year update does.
    fb::TAttachment other = fb::TAttachment::Attach(ProductConnectParams((dataFolder / "qrvacc.fdb").string()));
    fb::TTransaction otherTransaction(other, fb::TTransactionKind::TableStable);
    otherTransaction.Start();
    fb::ExecuteImmediate(otherTransaction, "UPDATE ACCDEF1 SET TANTOU = 1");
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    try {
        fb::ExecuteImmediate(DM().IBTransactionDAT, "UPDATE ACCDEF1 SET TANTOU = 2");
        FAIL() << "the second update did not conflict";
    } catch (const fb::TFbError& error) {
        EXPECT_EQ(DbErrorText(error.Code(), error.SqlCode()), "（NO WAIT トランザクションのロックが衝突しています）");
    }
}

TEST_F(DataModuleTest, SettingsRoundTripByType)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    fb::TTransaction& tr = DM().IBTransactionDAT;
    EXPECT_EQ(ReadAccReg(tr, "テスト", "新規", kRegInt, "42").Int, 42);
    EXPECT_EQ(ReadAccReg(tr, "テスト", "新規", kRegInt, "7").Int, 42);  // stored now, the default no longer counts

    WriteAccReg(tr, "テスト", "論理", kRegBool, TRegValue::OfBool(true));
    EXPECT_EQ(ReadAccReg(tr, "テスト", "論理", kRegText, "").Text, "TRUE");
    WriteAccReg(tr, "テスト", "論理", kRegText, TRegValue::OfText("true"));
    EXPECT_TRUE(ReadAccReg(tr, "テスト", "論理", kRegBool, "").Bool);
    WriteAccReg(tr, "テスト", "論理", kRegText, TRegValue::OfText("yes"));
    EXPECT_FALSE(ReadAccReg(tr, "テスト", "論理", kRegBool, "").Bool);

    WriteAccReg(tr, "テスト", "日付", kRegDate, TRegValue::OfDate(TDate()));
    EXPECT_EQ(ReadAccReg(tr, "テスト", "日付", kRegText, "x").Text, " ");  // stored empty, read as a blank
    EXPECT_TRUE(ReadAccReg(tr, "テスト", "日付", kRegDate, "").Date.IsZero());
    WriteAccReg(tr, "テスト", "日付", kRegDate, TRegValue::OfDate(TDate::Ymd(2026, 3, 31)));
    EXPECT_EQ(ReadAccReg(tr, "テスト", "日付", kRegDate, "").Date, TDate::Ymd(2026, 3, 31));

    WriteAccReg(tr, "テスト", "金額", kRegMoney, TRegValue::OfMoney(*TMoney::Parse("-1234567.8912")));
    EXPECT_EQ(ReadAccReg(tr, "テスト", "金額", kRegMoney, "").Money.ToText(), "-1234567.8912");
    EXPECT_EQ(ReadAccReg(tr, "テスト", "金額", "不明", "").Text, "Data Type Error");
}

TEST_F(DataModuleTest, SettingsJoinTheCallersTransaction)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    fb::TTransaction& tr = DM().IBTransactionDAT;
    DM().IBTransactionDAT.Start();
    WriteAccReg(tr, "テスト", "巻戻し", kRegInt, TRegValue::OfInt(5));
    EXPECT_TRUE(DM().IBTransactionDAT.Active());
    DM().IBTransactionDAT.Rollback();
    EXPECT_EQ(ReadAccReg(tr, "テスト", "巻戻し", kRegInt, "0").Int, 0);
}

TEST_F(DataModuleTest, ReportDbErrorLogsAndEntersTheFatalStateOnAConsistencyError)
{
    ReportDbError(fb::TFbError(335544345, -901, "lock conflict on no wait transaction"), "TDM.Test", "更新に失敗しました。", false);
    const std::string log = test::ReadBytes(fs::path(SystemDef().LogDir) / "ErrFbAccess.log");
    EXPECT_NE(log.find(EncodeCp932("Error=TDM.Test [335544345] (-901) （NO WAIT トランザクションのロックが衝突しています）")),
              std::string::npos);
    EXPECT_NE(ui.LastText().find("IBXエラーコード:335544345"), std::string::npos);
    EXPECT_FALSE(IsDbFatal());

    ReportDbError(fb::TFbError(335544333, -902, "internal consistency check"), "TDM.Test", "x", false);
    EXPECT_TRUE(IsDbFatal());
    EXPECT_TRUE(ui.ApplicationEnded);
    EXPECT_TRUE(ui.LastText().starts_with("（isc 内部のソフトウェア一貫性チェック）"));
    const std::size_t shown = ui.Messages.size();
    ReportDbError(fb::TFbError(335544345, -901, "again"), "TDM.Test", "y", false);
    EXPECT_EQ(ui.Messages.size(), shown);  // once fatal, nothing more is shown
    // The text file holds only the last error; the log file keeps both.
    EXPECT_EQ(test::ReadBytes(fs::path(SystemDef().LogDir) / "ErrFbAccess.txt").find("335544345"), std::string::npos);
}

TEST_F(DataModuleTest, ServerFileOperationWithoutAPathSendsNothing)
{
    EXPECT_FALSE(DM().ServerFileOperation("fcopy", "/tmp/a", " "));
    EXPECT_FALSE(DM().ServerFileOperation("FDEL", "", ""));
    EXPECT_FALSE(DM().ServerFileOperation("UNKNOWN", "/tmp/a", ""));
    EXPECT_FALSE(DM().IBDatabaseDEF.Connected());  // no statement, so no attachment either
}

TEST_F(DataModuleTest, InConnectionSeesTheDataDatabaseWhileAttached)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    EXPECT_TRUE(DM().AccDatInConnection(TDatabaseKind::Data, "", true, dataFolder.string()));
    DM().AccDatDisconnect("", false, false);
    EXPECT_FALSE(DM().AccDatInConnection(TDatabaseKind::Data, "", true, dataFolder.string()));
}

TEST_F(DataModuleTest, JournalCountsAndGenerators)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    ExecData("UPDATE SISETUMST SET SIWAKECOUNT = 12");
    EXPECT_EQ(DM().GetYukouSiwakeCount(std::nullopt), 12);
    EXPECT_EQ(DM().GetYukouSiwakeCount(std::string(" ")), 12);
    EXPECT_EQ(DM().GetSiwakeCount(std::nullopt), 12);
    DM().SetGeneratorValue("SIWAKE07_GEN", 0);
    EXPECT_THROW(DM().SetGeneratorValue("NO_SUCH_GEN", 0), fb::TFbError);
    EXPECT_EQ(DM().UserCodeOf("85300"), "853");
    EXPECT_TRUE(DM().fnExistence_Table("TUSIN_ID"));
    EXPECT_FALSE(DM().fnExistence_Table("NO_SUCH_TABLE"));
}

TEST_F(DataModuleTest, DataListRowsByFolder)
{
    ASSERT_TRUE(DM().fnAccDefConnected("", TOnFailure::Report));
    TDataSentakuListCtl list(DM().IBTransactionDEF);
    const std::string folder7 = (fs::path(SystemDef().SysDbDir) / "0007").string();
    EXPECT_EQ(FolderNumberOf(folder7).Rec, 7);
    EXPECT_EQ(FolderNumberOf("C:\\QuorvelZAI\\data\\0012\\sub").SubFolder, "sub");
    TDataSentakuRec record;
    ASSERT_TRUE(list.ResolveFolder(folder7, record));
    EXPECT_EQ(record.REC, 7);
    EXPECT_EQ(record.PASNAME, folder7);

    record.SHOUGOU = "㈱山田商事";
    record.KISHU = TDate::Ymd(2025, 4, 1);
    EXPECT_TRUE(list.UpdateDataListRecord(record, true));
    TDataSentakuRec reread;
    reread.REC = 7;
    ASSERT_TRUE(list.GetDataListRecord(TDataListKey::Rec, reread, true));
    EXPECT_EQ(reread.SHOUGOU, "㈱山田商事");
    EXPECT_EQ(reread.KISHU, TDate::Ymd(2025, 4, 1));

    TDataSentakuRec unnumbered = record;
    unnumbered.REC = 0;
    unnumbered.SHOUGOU = "書かれない";
    EXPECT_FALSE(list.UpdateDataListRecord(unnumbered, true));

    TDataSentakuRec child = record;
    child.GASSAN = 10;
    child.ROWNO = 2;
    child.PASNAME = folder7 + "/子会社";
    EXPECT_TRUE(list.UpdateDataListRecord(child, true));
    EXPECT_EQ(list.GetDataListChildRecord(record).size(), 1u);
    EXPECT_TRUE(list.UpdateDataListRecord(child, true));  // the second time it is an update
    EXPECT_EQ(list.GetDataListChildRecord(record).size(), 1u);
}

TEST_F(DataModuleTest, DataPlacesOnlyOnAServer)
{
    TDataSentakuListCtl list(DM().IBTransactionDEF);
    list.SetDataPlace(3);
    EXPECT_EQ(list.Table(), "DATALIST");  // local mode forces place 0
    list.SetLocation(TFileLocation::Server);
    list.SetDataPlace(3);
    EXPECT_EQ(list.Table(), "DATALIST_EX");
    EXPECT_EQ(list.DataPlace(), 3);
}

TEST_F(DataModuleTest, DisconnectingWithListUpdateRefreshesTheRow)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::TStatement update(DM().IBTransactionDAT);
        update.Prepare("UPDATE ACCDEF1 SET SHOUGOU = :SHOUGOU, SCODE1 = '000123'");
        update.SetString("SHOUGOU", "髙橋商店");
        update.Execute();
        scope.Commit();
    }
    ASSERT_TRUE(DM().fnGetAccInfo());
    DM().AccDatDisconnect("", true, true);
    ASSERT_TRUE(DM().fnAccDefConnected("", TOnFailure::Report));
    TDataSentakuListCtl list(DM().IBTransactionDEF);
    TDataSentakuRec record;
    record.REC = 1;
    ASSERT_TRUE(list.GetDataListRecord(TDataListKey::Rec, record, true));
    EXPECT_EQ(record.SHOUGOU, "髙橋商店");
    EXPECT_EQ(record.DATACODE, "000123");
    EXPECT_EQ(record.KISHU, TDate::Ymd(2025, 4, 1));
}

}  // namespace
}  // namespace qz

namespace qz {
namespace {

using DataModuleHelpers = test::TInstallationFixture;

TEST_F(DataModuleHelpers, FactoriesGiveStatementsOnTheRightDatabase)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    ASSERT_TRUE(DM().fnAccDefConnected("", TOnFailure::Report));
    const auto procedure = NewStoredProc(DM(), "ACCDAT", "SP_HOJO_KAMOKUSZ_INS");
    ASSERT_TRUE(procedure);
    EXPECT_EQ(procedure->ParamNames(), (std::vector<std::string>{"PSCODE", "PKCODE", "PHCODE"}));

    // Each statement prepares what only its own database holds: DATALIST is the system database's,
    // ACCDEF1 the data database's.
    const auto rows = [](fb::TStatement& statement, fb::TTransaction& transaction, std::string_view sql) {
        fb::TTransactionScope scope(transaction);
        statement.Prepare(sql);
        statement.Open();
        return statement.Fetch() ? statement.AsInt(0) : -1;
    };
    const auto data = NewSQL(DM(), "ACCDAT");
    EXPECT_EQ(rows(*data, DM().IBTransactionDAT, "SELECT COUNT(*) FROM ACCDEF1"), 1);
    EXPECT_THROW(data->Prepare("SELECT COUNT(*) FROM DATALIST"), fb::TFbError);
    const auto system = NewQuery(DM(), "ACCDEF", false);
    EXPECT_EQ(rows(*system, DM().IBTransactionDEF, "SELECT COUNT(*) FROM DATALIST"), 10);
    EXPECT_THROW(system->Prepare("SELECT COUNT(*) FROM ACCDEF1"), fb::TFbError);
    const auto snapshot = NewQuery(DM(), "ACCDAT", true);
    EXPECT_EQ(rows(*snapshot, DM().IBTransactionDATSS, "SELECT COUNT(*) FROM ACCDEF1"), 1);

    // A procedure that does not exist is reported, not silently missing.
    EXPECT_FALSE(NewStoredProc(DM(), "ACCDAT", "NO_SUCH_PROCEDURE"));
    EXPECT_NE(ui.LastText().find("NO_SUCH_PROCEDURE"), std::string::npos);
}

TEST(DataModuleOnServer, SystemDatabaseAndFileOperationsOnTheServer)
{
    const char* host = std::getenv("QZ_TEST_SERVER");
    if (!host || !*host)
        GTEST_SKIP() << "no Firebird server: QZ_TEST_SERVER is not set (scripts/test.sh starts one on 127.0.0.1)";
    test::TTempFolder common, serverRoot;
    const fs::path serverData = serverRoot.Path() / "財務データ（㈱髙橋）";
    fs::create_directories(serverData);
    test::TScopedEnv env;
    env.Set("QZ_COMMON_APPDATA", common.Path().string()).Set("QZ_DOCUMENTS", (common.Path() / "docs").string());
    schema::MakeInstallation({.CommonDataPath = common.Path().string(), .FreeRows = 3, .ServerHost = host,
                              .ServerDataDir = serverData.string()});
    InitSystemPaths("/opt/qz/bin/qzconvert");
    ASSERT_EQ(ProgramValues().ConnectionMode, 1);
    test::TRecordingUi ui;
    ASSERT_TRUE(DM().fnAccDefConnected(host, TOnFailure::Report));
    const std::string folder = (serverData / "0009").string();
    EXPECT_FALSE(DM().DirectoryExistsAt(TFileLocation::Server, folder));
    EXPECT_TRUE(DM().MakeDirectoryAt(TFileLocation::Server, folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(DM().FileExistsAt(TFileLocation::Server, (serverData / "qrvaccdef.fdb").string()));
    EXPECT_EQ(DM().ShortNameAt(TFileLocation::Server, folder), folder);
    // The services manager of the server sees the system database this program holds.
    EXPECT_TRUE(DM().AccDatInConnection(TDatabaseKind::System, host, true, serverData.string()));
    DM().AccDefDisconnect();
    EXPECT_FALSE(DM().AccDatInConnection(TDatabaseKind::System, host, true, serverData.string()));
    ProgramValues().ConnectionMode = 0;
}

}  // namespace
}  // namespace qz

namespace qz {
namespace {

using ErrorFiles = test::TInstallationFixture;

TEST_F(ErrorFiles, ShowSqlErrorShowsAndSavesTheDetails)
{
    fs::create_directories(SystemDef().InstallDir);
    ShowSqlError(fb::TFbError(335544665, -803, "violation of PRIMARY or UNIQUE KEY constraint"), "登録に失敗しました。");
    const std::string shown = ui.LastText();
    EXPECT_TRUE(shown.starts_with("登録に失敗しました。\nErrCode<335544665>  SQLCODE<-803>\nviolation of PRIMARY"));
    EXPECT_NE(shown.find("（同じコードが登録されています。"), std::string::npos);
    const fs::path install = SystemDef().InstallDir;
    const std::string saved = DecodeCp932(test::ReadBytes(install / "FB_ERROR.TXT"));
    EXPECT_NE(saved.find("PG_VERSION[1.0.11]\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Serial["), std::string::npos);
    ShowSqlError(fb::TFbError(335544665, -803, "again"), "二回目", nullptr);
    const std::string log = DecodeCp932(test::ReadBytes(install / "FB_ERROR.LOG"));
    EXPECT_NE(log.find("登録に失敗しました。"), std::string::npos);
    EXPECT_NE(log.find("二回目"), std::string::npos);
    EXPECT_EQ(DecodeCp932(test::ReadBytes(install / "FB_ERROR.TXT")).find("登録に失敗しました。"), std::string::npos);

    std::vector<std::string> list;
    ShowSqlError(fb::TFbError(335544665, -803, "server text"), "一覧へ", &list);
    EXPECT_EQ(ui.LastText().find("server text"), std::string::npos);  // with a list, the server's text stays out
    EXPECT_EQ(list.front(), "一覧へ");
}

// An installation of the distribution has /usr for its folder: the log goes with the other logs instead.
TEST_F(ErrorFiles, AnInstallationFolderThatTakesNoFilesSendsTheSqlErrorLogToTheSettingsFolder)
{
    const fs::path install = SystemDef().InstallDir;
    fs::create_directories(install);
    fs::permissions(install, fs::perms::owner_read | fs::perms::owner_exec);
    {
        const test::TPermissionsBindRoot bound;
        if (bound.Failed())
            GTEST_SKIP() << "running as root without the right to give up the permission overrides";
        ShowSqlError(fb::TFbError(335544665, -803, "violation of PRIMARY or UNIQUE KEY constraint"), "登録に失敗しました。");
    }
    fs::permissions(install, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(install / "FB_ERROR.TXT"));
    EXPECT_NE(DecodeCp932(test::ReadBytes(fs::path(SystemDef().LogDir) / "FB_ERROR.LOG")).find("登録に失敗しました。"),
              std::string::npos);
    ASSERT_EQ(ui.Messages.size(), 1u) << ui.LastText();   // the error itself, and no failure to write its log
}

TEST_F(ErrorFiles, SharedDataInUseByAnotherOperatorIsRefused)
{
    TDataSentakuListCtl list(DM().IBTransactionDEF);
    TDataSentakuRec record;
    record.PASNAME = dataFolder.string();
    record.NETDRIVE = 0;
    EXPECT_TRUE(list.CheckSharedDataState(record));
    record.NETDRIVE = 1;
    EXPECT_TRUE(list.CheckSharedDataState(record));
    test::WriteBytes(dataFolder / "qrvacc.inf", "[DATASTS]\r\nINUSE=1\r\nOPCODE=100001234\r\nCOMPUTER=PC-2\r\n");
    EXPECT_FALSE(list.CheckSharedDataState(record));
    EXPECT_NE(ui.LastText().find("共有データは現在使用されています。"), std::string::npos);
    EXPECT_NE(ui.LastText().find("　100001234"), std::string::npos);
}

}  // namespace
}  // namespace qz

namespace qz {
namespace {

using ErrorLogWithDatabase = test::TInstallationFixture;

TEST_F(ErrorLogWithDatabase, TheJournalSortTableJoinsTheErrorLog)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::ExecuteImmediate(DM().IBTransactionDAT, convert::sql::kRecreateJournalSortTable);
        scope.Commit();
    }
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::TStatement insert(DM().IBTransactionDAT);
        insert.Prepare(convert::sql::kInsertJournalSortRow);
        insert.SetInt("JigyounendoNaibuCD", 7).SetString("TORIHIKIBI", "20250410");
        insert.SetString("HonsitenNaibuCD", "00000000").SetString("DenpyouNaibuCD", "10000001");
        insert.SetString("TaisyakuKubun", "1").SetString("TEXT", "101,7,00000000,㈱髙橋");
        insert.Execute();
        scope.Commit();
    }
    TQZaimuIO context;
    context.WriteErrorLog("x");
    const std::string bytes = test::ReadBytes(fs::path(ShellFolderPath(CSIDL_PERSONAL)) / "Quorvel_ConvertError.log");
    const std::string lastLine = bytes.substr(bytes.rfind("\r\n", bytes.size() - 3) + 2, std::string::npos);
    const auto once = DecodeBase64(lastLine.substr(0, lastLine.size() - 2));
    ASSERT_TRUE(once);
    const auto twice = DecodeBase64(*once);
    ASSERT_TRUE(twice);
    EXPECT_EQ(DecodeCp932(*twice), "[15]101,7,00000000,㈱髙橋");
}

}  // namespace
}  // namespace qz

namespace qz {
namespace {

// Reporting an error never throws and never hides it; nothing is committed after a caught error.
class ErrorPolicy : public test::TInstallationFixture {
protected:
    // A folder path that cannot be created: its parent is a file.
    std::string UnwritableFolder()
    {
        test::WriteBytes(root.Path() / "plain-file", "x");
        return (root.Path() / "plain-file" / "logs").string();
    }
    std::size_t Count(std::string_view start) const
    {
        std::size_t n = 0;
        for (const auto& message : ui.Messages)
            n += message.Text.starts_with(start) ? 1 : 0;
        return n;
    }
};

TEST_F(ErrorPolicy, AnUnwritableLogFolderIsToldAfterTheErrorItself)
{
    SystemDef().LogDir = UnwritableFolder();
    EXPECT_FALSE(DM().fnAccDatConnected("", (root.Path() / "none").string(), false));
    ASSERT_EQ(ui.Messages.size(), 2u);
    EXPECT_TRUE(ui.Messages[0].Text.starts_with("ユーザーデータベースの接続処理に失敗しました。"));
    EXPECT_TRUE(ui.Messages[1].Text.starts_with("エラーログを書き込めませんでした。"));
    EXPECT_EQ(ui.Messages[1].Text.find('\n'), std::string::npos);  // one line

    const std::string install = SystemDef().InstallDir;
    SystemDef().InstallDir = UnwritableFolder();
    ShowSqlError(fb::TFbError(335544665, -803, "violation"), "登録に失敗しました。");
    EXPECT_EQ(Count("登録に失敗しました。"), 1u);
    EXPECT_EQ(Count("エラーログを書き込めませんでした。"), 2u);
    SystemDef().InstallDir = install;
}

TEST_F(ErrorPolicy, AnEncodingRefusalIsReportedAndNothingIsWritten)
{
    ASSERT_TRUE(DM().fnAccDefConnected("", TOnFailure::Report));
    TDataSentakuListCtl list(DM().IBTransactionDEF);
    TDataSentakuRec record;
    ASSERT_TRUE(list.ResolveFolder((fs::path(SystemDef().SysDbDir) / "0003").string(), record));
    record.SHOUGOU = "山田商事";
    ASSERT_TRUE(list.UpdateDataListRecord(record, true));

    record.SHOUGOU = "絵文字😀商事";  // CP932 has no such character
    record.ENTTEXT = "変更";
    EXPECT_FALSE(list.UpdateDataListRecord(record, true));
    EXPECT_TRUE(ui.LastText().starts_with("データリストの更新に失敗しました。"));
    EXPECT_NE(ui.LastText().find("U+1F600"), std::string::npos);
    EXPECT_FALSE(DM().IBTransactionDEF.Active());

    TDataSentakuRec reread;
    reread.REC = record.REC;
    ASSERT_TRUE(list.GetDataListRecord(TDataListKey::Rec, reread, true));
    EXPECT_EQ(reread.SHOUGOU, "山田商事");
    EXPECT_EQ(reread.ENTTEXT, "");
}

TEST_F(ErrorPolicy, WorkThatFailsHalfwayIsRolledBackAndReported)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    const bool done = RunReported(DM().IBTransactionDAT, "Test.Halfway", "途中で失敗しました。", false, [] {
        fb::ExecuteImmediate(DM().IBTransactionDAT, "UPDATE ACCDEF1 SET TANTOU = 77");
        throw std::runtime_error("after the update");
        return true;
    });
    EXPECT_FALSE(done);
    EXPECT_TRUE(ui.LastText().starts_with("途中で失敗しました。"));
    EXPECT_NE(ui.LastText().find("after the update"), std::string::npos);
    EXPECT_EQ(QueryData("SELECT TANTOU FROM ACCDEF1"), 0);

    // Inside the caller's transaction the caller decides: nothing is committed or rolled back here.
    DM().IBTransactionDAT.Start();
    RunReported(DM().IBTransactionDAT, "Test.Joined", "x", false, [] {
        fb::ExecuteImmediate(DM().IBTransactionDAT, "UPDATE ACCDEF1 SET TANTOU = 78");
        throw std::runtime_error("y");
        return true;
    });
    ASSERT_TRUE(DM().IBTransactionDAT.Active());
    EXPECT_EQ(test::QueryInt(DM().IBTransactionDAT, "SELECT TANTOU FROM ACCDEF1"), 78);
    DM().IBTransactionDAT.Rollback();
}

TEST_F(ErrorPolicy, ALostConnectionIsToldWhenNoReattachIsTried)
{
    ReportDbError(fb::TFbError(kFbNetworkError, -902, "Error writing data to the connection."), "TDM.Test",
                  "読込に失敗しました。", false);
    EXPECT_TRUE(ui.LastText().starts_with("読込に失敗しました。"));
    EXPECT_FALSE(IsDbFatal());
}

TEST_F(ErrorPolicy, ProgrammingMistakesAreNotDatabaseErrors)
{
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    fb::TStatement statement(DM().IBTransactionDAT);
    statement.Prepare("SELECT TANTOU FROM ACCDEF1 WHERE REC = :REC");
    EXPECT_THROW(statement.SetInt("NO_SUCH", 1), std::logic_error);
    statement.SetInt("REC", 1);
    statement.Open();
    EXPECT_THROW(statement.AsInt("TANTOU"), std::logic_error);  // no row fetched yet
    ASSERT_TRUE(statement.Fetch());
    EXPECT_THROW(statement.AsInt("NO_SUCH"), std::logic_error);
    EXPECT_THROW(statement.AsDate("TANTOU"), std::logic_error);
    fb::TStatement unprepared(DM().IBTransactionDAT);
    EXPECT_THROW(unprepared.Execute(), std::logic_error);
}

}  // namespace
}  // namespace qz
