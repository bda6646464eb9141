#include "db/DataModule.h"

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/Ui.h"
#include "db/DataSentakuList.h"
#include "db/ErrorReport.h"
#include "db/SqlHelpers.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/SystemDef.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace qz {
namespace {

constexpr std::string_view kLocalHost = "127.0.0.1";
constexpr std::string_view kDataInfoFile = "qrvacc.inf";

fb::TConnectParams ParamsFor(const std::string& database)
{
    return {.Database = database, .User = SystemDef().DbUser, .Password = SystemDef().DbPassword};
}

bool ServerMode()
{
    return ProgramValues().ConnectionMode == 1;
}

// The folder's data-information record: whether the data is in use, and by whom.
void WriteDataInfo(const std::string& folder, bool inUse)
{
    TIniFile info((fs::path(folder) / std::string(kDataInfoFile)).string());
    info.WriteString("DATASTS", "INUSE", inUse ? "1" : "0");
    info.WriteString("DATASTS", "OPCODE", inUse ? std::to_string(SystemDef().UserCode) : "0");
    info.WriteString("DATASTS", "COMPUTER", inUse ? SystemDef().ComputerName : "");
    info.WriteString("DATAINFO", "SHOUGOU", AccInfo().SHOUGOU);
}

// Closes an attachment, rolling back what is open on it; errors are ignored (the connection may be gone).
void ForceDetach(fb::TAttachment& attachment, std::initializer_list<fb::TTransaction*> transactions)
{
    for (fb::TTransaction* transaction : transactions) {
        if (!transaction->Active())
            continue;
        try {
            transaction->Rollback();
        } catch (...) {
        }
    }
    for (int attempt = 0; attempt < 5 && attachment.Connected(); ++attempt) {
        try {
            attachment.Detach();
        } catch (...) {
        }
    }
    if (attachment.Connected())
        attachment = fb::TAttachment();
}

}  // namespace

TDM& DM()
{
    static TDM dm;
    return dm;
}

TDM::TDM() = default;

std::string TDM::DatabaseName(const std::string& host, const std::string& folder, const std::string& file)
{
    const std::string path = (fs::path(folder) / file).string();
    if (ServerMode() && !host.empty() && host != kLocalHost)
        return host + ":" + path;
    return path;
}

std::string TDM::HostOrDefault(const std::string& host)
{
    if (!host.empty())
        return host;
    if (!SystemDef().DbHost.empty())
        return SystemDef().DbHost;
    return ServerMode() ? ProgramValues().ServerHost : std::string();
}

bool TDM::fnAccDefConnected(const std::string& host, int reportFlag)
{
    if (IBDatabaseDEF.Connected())
        return true;
    const std::string useHost = HostOrDefault(host);
    try {
        IBDatabaseDEF = fb::TAttachment::Attach(
            ParamsFor(DatabaseName(useHost, SystemDef().SysDbDir, ProgramValues().SysDbFileName)));
        accDefHost_ = useHost;
        return IBDatabaseDEF.Connected();
    } catch (const fb::TFbError& error) {
        if (reportFlag != 1)
            throw;
        ReportDbError(error, "TDM.fnAccDefConnected", "システムデータベースの接続処理に失敗しました。", false);
    } catch (const std::exception& error) {
        if (reportFlag != 1)
            throw;
        ShowMessageDetail("システムデータベースの接続処理に失敗しました。", error.what(), TMessageKind::Error);
    }
    return false;
}

void TDM::AccDefDisconnect()
{
    ForceDetach(IBDatabaseDEF, {&IBTransactionDEF});
}

void TDM::CloseData()
{
    ForceDetach(IBDatabaseDAT, {&IBTransactionDAT, &IBTransactionDATSS, &IBTransactionDATStable, &IBTransactionDAT_Thread});
}

bool TDM::fnAccDatConnected(const std::string& host, const std::string& folder, bool updateInfo)
{
    static constexpr std::string_view kMessage =
        "ユーザーデータベースの接続処理に失敗しました。\rDBファイルが削除、破損 または 使用中の可能性がありますので接続パスを確認して下さい。";
    CloseData();
    accDatHost_ = HostOrDefault(host);
    accDatFolder_ = folder.empty() ? SystemDef().DataDir : folder;
    accDatHasParams_ = true;
    try {
        IBDatabaseDAT = fb::TAttachment::Attach(
            ParamsFor(DatabaseName(accDatHost_, accDatFolder_, ProgramValues().DataDbFileName)));
        if (updateInfo && !ServerMode())
            WriteDataInfo(accDatFolder_, true);
        return IBDatabaseDAT.Connected();
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TDM.fnAccDatConnected", kMessage, false);
    } catch (const std::exception& error) {
        ShowMessageDetail(kMessage, error.what(), TMessageKind::Error);
    }
    return false;
}

bool TDM::AccDatDisconnect(const std::string& folder, bool markFree, bool updateList)
{
    const std::string useFolder = folder.empty() ? accDatFolder_ : folder;
    try {
        if ((markFree || updateList) && !ServerMode() && !useFolder.empty())
            WriteDataInfo(useFolder, false);
        if (updateList && fnAccDefConnected("", 1)) {
            TDataSentakuListCtl list;
            list.SetLocation(ProgramValues().ConnectionMode);
            TDataSentakuRec record;
            if (list.ResolveFolder(useFolder, record)) {
                list.CopyBasicInformation(AccInfo(), record);
                list.UpdateDataListRecord(record, true);
            }
        }
    } catch (const std::exception& error) {
        ShowMessageDetail("データ情報の更新に失敗しました。", error.what(), TMessageKind::Error);
    }
    CloseData();
    return true;
}

// Another process holding a database file makes the embedded engine refuse it with its lock error.
bool TDM::ProbeInUseLocally(const std::string& database)
{
    try {
        fb::TAttachment probe = fb::TAttachment::Attach(ParamsFor(database));
        probe.Detach();
        return false;
    } catch (const fb::TFbError& error) {
        return error.Code() == 335544344 && error.Message().find("lock") != std::string::npos;
    }
}

bool TDM::AccDatInConnection(int kind, const std::string& host, bool keepConnection, const std::string& folder)
{
    const std::string file = kind == 0 ? ProgramValues().SysDbFileName : ProgramValues().DataDbFileName;
    const std::string useHost = HostOrDefault(host);
    const bool remote = ServerMode() && !useHost.empty() && useHost != kLocalHost;
    const std::string path = (fs::path(folder) / file).string();
    const std::string wanted = LowerAscii(remote ? ServerLongToShortFileName(path) : path);

    fb::TAttachment& own = kind == 0 ? IBDatabaseDEF : IBDatabaseDAT;
    const bool reopen = !keepConnection && own.Connected();
    if (reopen)
        kind == 0 ? AccDefDisconnect() : CloseData();
    bool inUse = false;
    try {
        // The server lists the attachments of everyone to an administrator. The embedded engine knows only
        // this process's attachments (listed to SYSDBA, which it trusts locally); a file held by another
        // process shows itself by refusing a probe attachment.
        fb::TService service = remote ? fb::TService::Attach(useHost, SystemDef().DbUser, SystemDef().DbPassword, true)
                                      : fb::TService::Attach("", "SYSDBA", "");
        for (const std::string& attached : service.AttachedDatabases())
            inUse = inUse || LowerAscii(remote ? attached : fs::path(attached).lexically_normal().string()) ==
                                 (remote ? wanted : LowerAscii(fs::path(path).lexically_normal().string()));
        if (!inUse && !remote && fs::exists(path))
            inUse = ProbeInUseLocally(path);
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TDM.AccDatInConnection", "データベースの使用情報の取得に失敗しました。", false);
    }
    if (reopen) {
        if (kind == 0)
            fnAccDefConnected(accDefHost_, 1);
        else
            fnAccDatConnected(accDatHost_, accDatFolder_, false);
    }
    return inUse;
}

bool TDM::ServerFileOperation(const std::string& mode, const std::string& path1, const std::string& path2)
{
    const std::string upper = UpperAscii(mode);
    const bool fileMode = upper == "FEXIST" || upper == "FCOPY" || upper == "FDEL";
    const bool folderMode = upper == "DEXIST" || upper == "MKDIR" || upper == "RMDIR";
    if ((!fileMode && !folderMode) || Trim(path1).empty() || (upper == "FCOPY" && Trim(path2).empty()))
        return false;
    fb::TTransactionScope scope(IBTransactionDEF);
    try {
        fb::TStatement statement(IBTransactionDEF);
        if (fileMode) {
            statement.Prepare("SELECT WBOOL FROM FILEOPERATION(:MODE,:FILEPATH1,:FILEPATH2)");
            statement.SetString("FILEPATH2", path2);
        } else {
            statement.Prepare("SELECT WBOOL FROM DIRECTORYTEST(:MODE,:FILEPATH1)");
        }
        statement.SetString("MODE", upper).SetString("FILEPATH1", path1);
        statement.Open();
        const bool done = statement.Fetch() && statement.AsInt("WBOOL") == 1;
        statement.Close();
        scope.Commit();
        return done;
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TDM.ServerFileOperation", Format("サーバーへのファイル操作(%s)に失敗しました。", mode), true);
        scope.Rollback();
        return false;
    }
}

std::string TDM::ServerLongToShortFileName(const std::string& longName)
{
    const bool wasAttached = IBDatabaseDEF.Connected();
    std::string shortName = longName;
    if (!fnAccDefConnected("", 1))
        return shortName;
    {
        fb::TTransactionScope scope(IBTransactionDEF);
        try {
            fb::TStatement statement(IBTransactionDEF);
            statement.Prepare("SELECT SHORTNAME FROM LONGTOSHORTFILENAME(:LONGNAME)");
            statement.SetString("LONGNAME", longName);
            statement.Open();
            if (statement.Fetch())
                shortName = statement.AsString(0);
            statement.Close();
            scope.Commit();
        } catch (const fb::TFbError& error) {
            ReportDbError(error, "TDM.ServerLongToShortFileName",
                          "サーバーからのファイル名の変換(LongToShort)に失敗しました。", true);
        }
    }
    if (!wasAttached)
        AccDefDisconnect();
    return shortName;
}

bool TDM::DirectoryExistsAt(TFileLocation location, const std::string& path)
{
    if (location == TFileLocation::Local) {
        std::error_code error;
        return fs::is_directory(path, error);
    }
    return ServerFileOperation("DExist", path, "");
}

bool TDM::MakeDirectoryAt(TFileLocation location, const std::string& path)
{
    if (location == TFileLocation::Local) {
        std::error_code error;
        fs::create_directories(path, error);
        return fs::is_directory(path, error);
    }
    return ServerFileOperation("MkDir", path, "");
}

bool TDM::FileExistsAt(TFileLocation location, const std::string& path)
{
    if (location == TFileLocation::Local) {
        std::error_code error;
        return fs::is_regular_file(path, error);
    }
    return ServerFileOperation("FExist", path, "");
}

bool TDM::DeleteFileAt(TFileLocation location, const std::string& path)
{
    if (location == TFileLocation::Local) {
        std::error_code error;
        return IsRemovableDir(path) && fs::is_regular_file(path, error) && fs::remove(path, error);
    }
    return ServerFileOperation("FDel", path, "");
}

bool TDM::MoveFileAt(TFileLocation location, const std::string& from, const std::string& to)
{
    if (location == TFileLocation::Local) {
        std::error_code error;
        fs::rename(from, to, error);
        return !error;
    }
    return ServerFileOperation("FCopy", from, to) && ServerFileOperation("FDel", from, "");
}

std::string TDM::ShortNameAt(TFileLocation location, const std::string& path)
{
    return location == TFileLocation::Local ? path : ServerLongToShortFileName(path);
}

std::string TDM::fnGetAccTotalName(const std::string& group, const std::string& column)
{
    std::string name;
    fb::TTransactionScope scope(IBTransactionDAT);
    try {
        fb::TStatement statement(IBTransactionDAT);
        statement.Prepare(Format("SELECT %s FROM ACCTOTALNAME\nWHERE KGROUP=:KGROUP", column));
        statement.SetString("KGROUP", group);
        statement.Open();
        while (statement.Fetch())
            name = statement.AsString(0);
        statement.Close();
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TDM.fnGetAccTotalName", "集計名称の取得に失敗しました。", true);
    }
    scope.Commit();
    return name;
}

bool TDM::fnExistence_Table(const std::string& table)
{
    fb::TTransactionScope scope(IBTransactionDAT);
    try {
        fb::TStatement statement(IBTransactionDAT);
        statement.Prepare("SELECT Count(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=:Table_NAME");
        statement.SetString("Table_NAME", table);
        statement.Open();
        const bool exists = statement.Fetch() && statement.AsInt(0) > 0;
        statement.Close();
        scope.Commit();
        return exists;
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TDM.fnExistence_Table", "テーブルの存在情報の取得に失敗しました。", true);
        return false;
    }
}

namespace {

int CountWith(fb::TTransaction& transaction, const std::string& sql, const std::optional<std::string>& branch,
              const char* context)
{
    fb::TTransactionScope scope(transaction);
    try {
        fb::TStatement statement(transaction);
        statement.Prepare(sql);
        if (branch)
            statement.SetString("SCODE", *branch);
        statement.Open();
        const int count = statement.Fetch() ? static_cast<int>(statement.AsInt("SWKCNT")) : 0;
        statement.Close();
        scope.Commit();
        return count;
    } catch (const fb::TFbError& error) {
        ReportDbError(error, context, "", true);
        return 0;
    }
}

}  // namespace

int TDM::GetYukouSiwakeCount(const std::optional<std::string>& branch)
{
    return CountWith(IBTransactionDAT,
                     branch ? "SELECT SIWAKECOUNT AS SWKCNT FROM SISETUMST\nWHERE (SCODE=:SCODE)"
                            : "SELECT SUM(SIWAKECOUNT) AS SWKCNT FROM SISETUMST",
                     branch, "TDM.GetYukouSiwakeCount");
}

int TDM::GetUpDelSiwakeCount(const std::optional<std::string>& branch)
{
    std::string sql = "SELECT COUNT(REC) AS SWKCNT FROM SIWAKE\nWHERE (DELFLG IN (1,2) AND TAISHAKU=1)";
    if (branch)
        sql += "\nAND (SCODE=:SCODE)";
    return CountWith(IBTransactionDAT, sql, branch, "TDM.GetUpDelSiwakeCount");
}

int TDM::GetSiwakeCount(const std::optional<std::string>& branch)
{
    return GetYukouSiwakeCount(branch) + GetUpDelSiwakeCount(branch);
}

TSpecialCode TDM::SetSystemCode(const std::string& accountName)
{
    TSpecialCode codes;
    fb::TTransactionScope scope(IBTransactionDAT);
    try {
        fb::TStatement statement(IBTransactionDAT);
        statement.Prepare("SELECT A.KCODE,K.USERCODE FROM ACCDEF2 A\nINNER JOIN KAMOKUMST K ON (A.KCODE=K.KCODE)\n"
                          "WHERE A.KNAME=:NAME");
        statement.SetString("NAME", accountName);
        statement.Open();
        if (statement.Fetch())
            codes = {statement.AsString("KCODE"), statement.AsString("USERCODE")};
        statement.Close();
        scope.Commit();
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TDM.SetSystemCode", "", true);
    }
    return codes;
}

std::string TDM::UserCodeOf(const std::string& systemCode)
{
    std::string userCode;
    fb::TTransactionScope scope(IBTransactionDAT);
    fb::TStatement statement(IBTransactionDAT);
    statement.Prepare("SELECT USERCODE FROM KAMOKUMST\nWHERE KCODE=:KCODE");
    statement.SetString("KCODE", systemCode);
    statement.Open();
    if (statement.Fetch())
        userCode = statement.AsString(0);
    statement.Close();
    scope.Commit();
    return userCode;
}

void TDM::SetGeneratorValue(const std::string& generator, std::int64_t value)
{
    fb::TTransactionScope scope(IBTransactionDAT);
    try {
        fb::ExecuteImmediate(IBTransactionDAT, Format("SET GENERATOR %s TO %d", generator, value));
        scope.Commit();
    } catch (const fb::TFbError& error) {
        scope.Rollback();
        ReportDbError(error, "TDM.SetGeneratorValue", "", true);
        throw;
    }
}

std::optional<std::pair<std::string, std::string>> TDM::ReadTusinId(int rec)
{
    if (!fnExistence_Table("TUSIN_ID"))
        return std::nullopt;
    std::optional<std::pair<std::string, std::string>> entry;
    fb::TTransactionScope scope(IBTransactionDAT);
    try {
        fb::TStatement statement(IBTransactionDAT);
        statement.Prepare("SELECT REC,HOLDER,PASWORD FROM TUSIN_ID\nWHERE REC=:REC");
        statement.SetInt("REC", rec);
        statement.Open();
        if (statement.Fetch())
            entry = std::pair{statement.AsString("HOLDER"), statement.AsString("PASWORD")};
        statement.Close();
    } catch (const fb::TFbError& error) {
        ReportDbError(error, "TDM.ReadTusinId", "", true);
    }
    scope.Commit();
    return entry;
}

bool TDM::Reconnect()
{
    AccDefDisconnect();
    const bool system = fnAccDefConnected(accDefHost_, 1);
    CloseData();
    const bool data = !accDatHasParams_ || fnAccDatConnected(accDatHost_, accDatFolder_, false);
    return system && data;
}

}  // namespace qz
