#include "db/DataModule.h"

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/Ui.h"
#include "db/DataSentakuList.h"
#include "db/DbStatements.h"
#include "db/ErrorReport.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/SystemDef.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace qz {
namespace {

constexpr std::string_view kLocalHost = "127.0.0.1";
constexpr std::string_view kDataInfoFile = "qrvacc.inf";
constexpr std::string_view kSystemConnectFailed = "システムデータベースの接続処理に失敗しました。";
constexpr std::string_view kSystemHeldElsewhere =
    "他のプログラムがシステムデータベースを使用中です。そのプログラムを終了してから、もう一度実行して下さい。";

bool ServerMode()
{
    return ProgramValues().ConnectionMode == 1;
}

// The embedded engine's refusal of a database file that another process holds.
bool IsHeldByAnotherProcess(const fb::TFbError& error)
{
    return error.Code() == kFbIoError && error.Message().find("lock") != std::string::npos;
}

// Attaches, waiting up to `wait` while another process holds the file.
fb::TAttachment AttachWaiting(const fb::TConnectParams& params, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        try {
            return fb::TAttachment::Attach(params);
        } catch (const fb::TFbError& error) {
            if (!IsHeldByAnotherProcess(error) || std::chrono::steady_clock::now() >= deadline)
                throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
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

// Closes an attachment, rolling back what is open on it. Errors are ignored on purpose: this runs when
// the caller is done with the connection or after it was lost, the transactions' work is either committed
// already or abandoned, and a connection that cannot be detached is gone on the server's side anyway.
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

// The number of a count statement's SWKCNT column, of one branch or of all.
int JournalCount(fb::TTransaction& transaction, std::string_view sql, const std::optional<std::string>& branch,
                 std::string_view context)
{
    return RunReported(transaction, context, "", 0, [&] {
        fb::TStatement statement(transaction);
        statement.Prepare(sql);
        if (branch)
            statement.SetString("SCODE", *branch);
        statement.Open();
        return statement.Fetch() ? static_cast<int>(statement.AsInt("SWKCNT")) : 0;
    });
}

}  // namespace

fb::TConnectParams ConnectParamsFor(const std::string& database)
{
    const TSystemDef& system = SystemDef();
    return {.Database = database, .User = system.DbUser, .Password = system.DbPassword, .Charset = system.DbCharset};
}

fb::TConnectParams ProductConnectParams(const std::string& database)
{
    return {.Database = database,
            .User = std::string(kProductDbUser),
            .Password = std::string(kProductDbPassword),
            .Charset = std::string(kProductDbCharset)};
}

TDM& DM()
{
    static TDM dm;
    return dm;
}

TDM::TDM()
{
    SetDbReportHooks({.DataDatabaseName = [this] { return AccDatDatabaseName(); }, .Reconnect = [this] { return Reconnect(); }});
}

TDM::~TDM()
{
    SetDbReportHooks({});
}

std::string TDM::AccDatDatabaseName() const
{
    return accDatHasParams_ ? DatabaseName(accDatHost_, accDatFolder_, ProgramValues().DataDbFileName) : std::string();
}

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

bool TDM::fnAccDefConnected(const std::string& host, TOnFailure onFailure)
{
    if (IBDatabaseDEF.Connected())
        return true;
    const std::string useHost = HostOrDefault(host);
    try {
        IBDatabaseDEF = AttachWaiting(
            ConnectParamsFor(DatabaseName(useHost, SystemDef().SysDbDir, ProgramValues().SysDbFileName)), systemWait_);
        accDefHost_ = useHost;
        return IBDatabaseDEF.Connected();
    } catch (const fb::TFbError& error) {
        if (onFailure == TOnFailure::PassOn)
            throw;
        // Another process holding the file is something the operator can end: say so.
        ReportDbError(error, "TDM.fnAccDefConnected",
                      IsHeldByAnotherProcess(error) ? Format("%s\r%s", kSystemConnectFailed, kSystemHeldElsewhere)
                                                    : std::string(kSystemConnectFailed),
                      false);
    } catch (...) {
        if (onFailure == TOnFailure::PassOn)
            throw;
        ReportCurrentException("TDM.fnAccDefConnected", kSystemConnectFailed, false);
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
        IBDatabaseDAT = fb::TAttachment::Attach(ConnectParamsFor(AccDatDatabaseName()));
        if (updateInfo && !ServerMode())
            WriteDataInfo(accDatFolder_, true);
        return IBDatabaseDAT.Connected();
    } catch (...) {
        ReportCurrentException("TDM.fnAccDatConnected", kMessage, false);
    }
    return false;
}

bool TDM::AccDatDisconnect(const std::string& folder, bool markFree, bool updateList)
{
    const std::string useFolder = folder.empty() ? accDatFolder_ : folder;
    try {
        if ((markFree || updateList) && !ServerMode() && !useFolder.empty())
            WriteDataInfo(useFolder, false);
        if (updateList && fnAccDefConnected("", TOnFailure::Report)) {
            TDataSentakuListCtl list(IBTransactionDEF);
            list.SetLocation(static_cast<TFileLocation>(ProgramValues().ConnectionMode));
            TDataSentakuRec record;
            if (list.ResolveFolder(useFolder, record)) {
                list.CopyBasicInformation(AccInfo(), record);
                list.UpdateDataListRecord(record, true);
            }
        }
    } catch (...) {
        ReportCurrentException("TDM.AccDatDisconnect", "データ情報の更新に失敗しました。", false);
    }
    CloseData();
    return true;
}

// Another process holding a database file makes the embedded engine refuse it with its lock error; the
// refusal is the answer, any other failure of the probe is not.
bool TDM::ProbeInUseLocally(const std::string& database)
{
    try {
        fb::TAttachment probe = fb::TAttachment::Attach(ConnectParamsFor(database));
        probe.Detach();
        return false;
    } catch (const fb::TFbError& error) {
        if (IsHeldByAnotherProcess(error))
            return true;
        throw;
    }
}

bool TDM::AccDatInConnection(TDatabaseKind kind, const std::string& host, bool keepConnection, const std::string& folder)
{
    const bool system = kind == TDatabaseKind::System;
    const std::string file = system ? ProgramValues().SysDbFileName : ProgramValues().DataDbFileName;
    const std::string useHost = HostOrDefault(host);
    const bool remote = ServerMode() && !useHost.empty() && useHost != kLocalHost;
    const std::string path = (fs::path(folder) / file).string();
    const std::string wanted = LowerAscii(remote ? ServerLongToShortFileName(path) : path);

    fb::TAttachment& own = system ? IBDatabaseDEF : IBDatabaseDAT;
    const bool reopen = !keepConnection && own.Connected();
    if (reopen)
        system ? AccDefDisconnect() : CloseData();
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
    } catch (...) {
        ReportCurrentException("TDM.AccDatInConnection", "データベースの使用情報の取得に失敗しました。", false);
    }
    if (reopen) {
        if (system)
            fnAccDefConnected(accDefHost_, TOnFailure::Report);
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
    return RunReported(IBTransactionDEF, "TDM.ServerFileOperation", Format("サーバーへのファイル操作(%s)に失敗しました。", mode),
                       false, [&] {
                           fb::TStatement statement(IBTransactionDEF);
                           statement.Prepare(fileMode ? sql::kFileOperation : sql::kDirectoryTest);
                           if (fileMode)
                               statement.SetBytes("FILEPATH2", path2);
                           statement.SetString("MODE", upper).SetBytes("FILEPATH1", path1);
                           statement.Open();
                           return statement.Fetch() && statement.AsInt("WBOOL") == 1;
                       });
}

std::string TDM::ServerLongToShortFileName(const std::string& longName)
{
    const bool wasAttached = IBDatabaseDEF.Connected();
    std::string shortName = longName;
    if (!fnAccDefConnected("", TOnFailure::Report))
        return shortName;
    shortName = RunReported(IBTransactionDEF, "TDM.ServerLongToShortFileName",
                            "サーバーからのファイル名の変換(LongToShort)に失敗しました。", shortName, [&] {
                                fb::TStatement statement(IBTransactionDEF);
                                statement.Prepare(sql::kLongToShortFileName);
                                statement.SetBytes("LONGNAME", longName);
                                statement.Open();
                                return statement.Fetch() ? statement.AsString(0) : longName;
                            });
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

std::string TDM::fnGetAccTotalName(const std::string& group, TTotalNameColumn column)
{
    return RunReported(IBTransactionDAT, "TDM.fnGetAccTotalName", "集計名称の取得に失敗しました。", std::string(), [&] {
        fb::TStatement statement(IBTransactionDAT);
        statement.Prepare(column == TTotalNameColumn::TotalName ? sql::kSelectTotalName : sql::kSelectTotalPlusName);
        statement.SetString("KGROUP", group);
        statement.Open();
        std::string name;
        while (statement.Fetch())
            name = statement.AsString(0);  // the last row wins
        return name;
    });
}

bool TDM::fnExistence_Table(const std::string& table)
{
    return RunReported(IBTransactionDAT, "TDM.fnExistence_Table", "テーブルの存在情報の取得に失敗しました。", false, [&] {
        fb::TStatement statement(IBTransactionDAT);
        statement.Prepare(sql::kCountTableFields);
        statement.SetString("Table_NAME", table);
        statement.Open();
        return statement.Fetch() && statement.AsInt(0) > 0;
    });
}

int TDM::GetYukouSiwakeCount(const std::optional<std::string>& branch)
{
    return JournalCount(IBTransactionDAT, branch ? sql::kSelectJournalCountOfBranch : sql::kSumJournalCounts, branch,
                        "TDM.GetYukouSiwakeCount");
}

int TDM::GetUpDelSiwakeCount(const std::optional<std::string>& branch)
{
    return JournalCount(IBTransactionDAT, branch ? sql::kCountChangedJournalsOfBranch : sql::kCountChangedJournals, branch,
                        "TDM.GetUpDelSiwakeCount");
}

int TDM::GetSiwakeCount(const std::optional<std::string>& branch)
{
    return GetYukouSiwakeCount(branch) + GetUpDelSiwakeCount(branch);
}

TSpecialCode TDM::SetSystemCode(const std::string& accountName)
{
    return RunReported(IBTransactionDAT, "TDM.SetSystemCode", "", TSpecialCode{},
                       [&] { return ReadSpecialCode(IBTransactionDAT, accountName); });
}

TSpecialCode ReadSpecialCode(fb::TTransaction& transaction, std::string_view accountName)
{
    fb::TStatement statement(transaction);
    statement.Prepare(sql::kSelectSpecialAccount);
    statement.SetString("NAME", accountName);
    statement.Open();
    return statement.Fetch() ? TSpecialCode{statement.AsString("KCODE"), statement.AsString("USERCODE")} : TSpecialCode{};
}

std::string TDM::UserCodeOf(const std::string& systemCode)
{
    fb::TTransactionScope scope(IBTransactionDAT);
    fb::TStatement statement(IBTransactionDAT);
    statement.Prepare(sql::kSelectUserCode);
    statement.SetString("KCODE", systemCode);
    statement.Open();
    const std::string userCode = statement.Fetch() ? statement.AsString(0) : std::string();
    statement.Close();
    scope.Commit();
    return userCode;
}

void TDM::SetGeneratorValue(const std::string& generator, std::int64_t value)
{
    try {
        fb::TTransactionScope scope(IBTransactionDAT);
        fb::ExecuteImmediate(IBTransactionDAT, Format(sql::kSetGenerator, generator, value));
        scope.Commit();
    } catch (...) {
        ReportCurrentException("TDM.SetGeneratorValue", "", true);
        throw;
    }
}

std::optional<std::pair<std::string, std::string>> TDM::ReadTusinId(int rec)
{
    using TEntry = std::optional<std::pair<std::string, std::string>>;
    if (!fnExistence_Table("TUSIN_ID"))
        return std::nullopt;
    return RunReported(IBTransactionDAT, "TDM.ReadTusinId", "", TEntry{}, [&] {
        fb::TStatement statement(IBTransactionDAT);
        statement.Prepare(sql::kSelectTusinId);
        statement.SetInt("REC", rec);
        statement.Open();
        return statement.Fetch() ? TEntry{{statement.AsString("HOLDER"), statement.AsString("PASWORD")}} : TEntry{};
    });
}

bool TDM::Reconnect()
{
    AccDefDisconnect();
    const bool system = fnAccDefConnected(accDefHost_, TOnFailure::Report);
    CloseData();
    const bool data = !accDatHasParams_ || fnAccDatConnected(accDatHost_, accDatFolder_, false);
    return system && data;
}

}  // namespace qz
