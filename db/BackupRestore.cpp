#include "db/BackupRestore.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/Utf8.h"
#include "common/Ui.h"
#include "db/DbStatements.h"
#include "db/ErrorReport.h"
#include "db/Firebird.h"
#include "platform/ChildProcess.h"
#include "platform/SystemDef.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qz {
namespace {

constexpr std::string_view kLocalHost = "127.0.0.1";

bool Contains(const std::string& path, const std::string& fileName)
{
    return LowerAscii(path).find(LowerAscii(fileName)) != std::string::npos;
}

fb::TService ServiceFor(TServiceProtocol protocol, const std::string& host)
{
    return fb::TService::Attach(protocol == TServiceProtocol::Local ? std::string() : host, SystemDef().DbUser,
                                SystemDef().DbPassword);
}

const auto kKeepAlive = [](const std::string&) { Ui().ProcessEvents(); };

// Attaches a restored data database and empties its operation history (the caller detaches it again).
bool EmptyOperationHistory(TDM& dm, TServiceProtocol protocol, const std::string& host, const std::string& databasePath)
{
    std::string useHost = host;
    if (ProgramValues().ConnectionMode == 1 && protocol == TServiceProtocol::Local && host.empty())
        useHost = std::string(kLocalHost);
    if (!dm.fnAccDatConnected(useHost, fs::path(databasePath).parent_path().string(), false))
        return false;
    fb::TTransactionScope scope(dm.IBTransactionDAT);
    fb::ExecuteImmediate(dm.IBTransactionDAT, sql::kDeleteOperationHistory);
    scope.Commit();
    return true;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();)
        if (!NextCodePoint(text, at))
            return false;
    return true;
}

// The tool runs in a UTF-8 locale, so the file names in its log are UTF-8 (its own texts are ASCII); a log
// that is not UTF-8 is read as CP932.
std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return IsUtf8(bytes) ? bytes : DecodeCp932(bytes);
}

// Runs the tool hidden and waits for it. Returns the log text, or nothing after showing why it failed.
std::optional<std::string> RunTool(const std::vector<std::string>& arguments, const fs::path& log,
                                   std::string_view startFailure, std::string_view errorPrefix)
{
    // An old log that cannot be removed makes the tool refuse its -y file, which the log check then reports.
    std::error_code ignored;
    fs::remove(log, ignored);
    int status = 0;
    try {
        status = RunChildProcess({.Program = ProgramInFolderOrPath(SystemDef().ProgramPath, "gbak"),
                                  .Arguments = arguments,
                                  .Environment = {{"ISC_PASSWORD", SystemDef().DbPassword},
                                                  {std::string(kFirebirdToolLocale.first), std::string(kFirebirdToolLocale.second)}},
                                  .WhileWaiting = [] { Ui().ProcessEvents(); }});
    } catch (const std::exception& error) {
        ShowMessageDetail(startFailure, error.what(), TMessageKind::Error);
        return std::nullopt;
    }
    const std::string text = fs::exists(log) ? ReadText(log) : std::string();
    // The tool writes "ERROR" into its log when it fails; a failing exit status counts the same, so a
    // failure never passes as success.
    if (text.find("ERROR") != std::string::npos || status != 0) {
        ShowError(std::string(errorPrefix) + text + (status != 0 ? Format("(exit %d)", status) : std::string()));
        return std::nullopt;
    }
    return text;
}

}  // namespace

bool BackupFDB(TDM& dm, TServiceProtocol protocol, const std::string& host, bool direct, const std::string& backupPath,
               const std::string& databasePath)
{
    const fs::path temporary =
        fs::path(databasePath).parent_path() / fs::path("qrvacc.fbk").replace_extension(".fb_");
    const std::string written = direct ? backupPath : temporary.string();
    try {
        fb::TService service = ServiceFor(protocol, host);
        service.Backup(databasePath, written, {}, kKeepAlive);
        service.Detach();
        if (!direct && LowerAscii(written) != LowerAscii(backupPath)) {
            const TFileLocation location = protocol == TServiceProtocol::Local ? TFileLocation::Local : TFileLocation::Server;
            if (dm.FileExistsAt(location, backupPath))
                dm.DeleteFileAt(location, backupPath);
            if (!dm.MoveFileAt(location, written, backupPath))
                throw std::runtime_error("データベースバックアップファイルのMoveに失敗しました。");
        }
        return true;
    } catch (...) {
        ReportCurrentException("TDM.BackupFDB", "データベースのバックアップに失敗しました。", false);
    }
    return false;
}

bool RestoreFDB(TDM& dm, TServiceProtocol protocol, const std::string& host, bool replace, const std::string& backupPath,
                const std::string& databasePath)
{
    bool done = false;
    try {
        fb::TService service = ServiceFor(protocol, host);
        service.Restore(backupPath, databasePath,
                        {.Replace = true, .DeactivateIndexes = !replace, .PageBuffers = 4096, .PageSize = 16384},
                        kKeepAlive);
        service.Detach();
        done = !Contains(databasePath, ProgramValues().DataDbFileName) ||
               EmptyOperationHistory(dm, protocol, host, databasePath);
    } catch (...) {
        ReportCurrentException("TDM.RestoreFDB", "データベースのリストアに失敗しました。", false);
    }
    dm.AccDatDisconnect("", false, false);
    return done;
}

std::vector<std::string> GbakArguments(TGbakAction action, const std::string& logPath, const std::string& source,
                                       const std::string& target)
{
    // gbak 3 refuses to restore over an existing database with "-r" alone; "-rep" replaces it.
    std::vector<std::string> arguments;
    switch (action) {
    case TGbakAction::Backup: arguments = {"-b", "-g"}; break;
    case TGbakAction::Restore: arguments = {"-r", "-bu", "4096", "-p", "16384"}; break;
    case TGbakAction::RestoreReplacing: arguments = {"-rep", "-bu", "4096", "-p", "16384"}; break;
    }
    arguments.insert(arguments.end(), {"-user", SystemDef().DbUser, "-y", logPath, source, target});
    return arguments;
}

bool BackupFDBByTool(TDM& dm, const std::string& host, bool direct, const std::string& backupPath,
                     const std::string& databasePath)
{
    if (host == kLocalHost)
        return BackupFDB(dm, TServiceProtocol::Local, "", direct, backupPath, databasePath);
    const fs::path log = fs::path(SystemDef().TempDir) / "gbak.log";
    const std::string database = host.empty() ? databasePath : host + ":" + databasePath;
    return RunTool(GbakArguments(TGbakAction::Backup, log.string(), database, backupPath), log,
                   "バックアップツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。",
                   "バックアップ中にエラーが発生しました。\r")
        .has_value();
}

bool RestoreFDBByTool(TDM& dm, const std::string& host, bool replace, const std::string& backupPath,
                      const std::string& databasePath)
{
    if (host == kLocalHost)
        return RestoreFDB(dm, TServiceProtocol::Local, "", replace, backupPath, databasePath);
    std::error_code error;
    if (!fs::is_regular_file(backupPath, error))
        return false;
    const fs::path log = fs::path(SystemDef().TempDir) / "gbak.log";
    fs::create_directories(log.parent_path(), error);
    const std::string database = host.empty() ? databasePath : host + ":" + databasePath;
    if (!RunTool(GbakArguments(replace ? TGbakAction::RestoreReplacing : TGbakAction::Restore, log.string(), backupPath,
                               database), log,
                 "レストアツール(gbak.exe)が起動出来ませんでした。\r処理を終了します。",
                 "レストア中にエラーが発生しました。\r"))
        return false;
    if (!Contains(databasePath, ProgramValues().DataDbFileName))
        return true;
    bool done = false;
    try {
        done = EmptyOperationHistory(dm, TServiceProtocol::TCP, host, databasePath);
    } catch (...) {
        ReportCurrentException("TDM.RestoreFDB", "データベースのリストアに失敗しました。", false);
    }
    dm.AccDatDisconnect("", false, false);
    return done;
}

void AppendBackupMarker(const std::string& backupPath, const TBackupMarker& marker)
{
    const std::vector<std::string> lines = {
        "## QZCONVERT BACKUP INFORMATION", "SHOUGOU=" + marker.SHOUGOU, "KISHU=" + marker.KISHU,
        "KIMATU=" + marker.KIMATU, Format("SIWAKE=%d", marker.SIWAKE), Format("TOTALSIWAKE=%d", marker.TOTALSIWAKE),
        "DATAVARSION=" + marker.DATAVARSION, Format("GASSAN=%d", marker.GASSAN)};
    WriteCp932Lines(backupPath, lines, true, TUnencodable::Refuse);
}

// ---------------------------------------------------------------------------------------------

TBackupRestoreThread::~TBackupRestoreThread()
{
    if (worker_.joinable()) {
        WaitFor();
        worker_.join();
    }
}

void TBackupRestoreThread::Resume()
{
    worker_ = std::thread([this] {
        try {
            Execute();
        } catch (...) {
            // Execute guards its steps; this only catches what even recording a failure could not handle.
            Result = false;
            ErrorFlag = true;
        }
        std::lock_guard lock(mutex_);
        terminated_ = true;
        changed_.notify_all();
    });
}

bool TBackupRestoreThread::Terminated() const
{
    std::lock_guard lock(mutex_);
    return terminated_;
}

void TBackupRestoreThread::WaitFor()
{
    for (;;) {
        std::deque<std::function<void()>> work;
        {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::milliseconds(500), [this] { return terminated_ || !pending_.empty(); });
            work.swap(pending_);
            if (work.empty() && terminated_)
                return;
        }
        for (auto& task : work)
            task();
        Ui().ProcessEvents();
    }
}

bool TBackupRestoreThread::Synchronize(const std::function<bool()>& work)
{
    bool result = false;
    bool done = false;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back([&] {
            bool value = false;
            try {
                value = work();
            } catch (...) {
                ReportCurrentException("TBackupRestoreThread", "データベースの保存・復元処理に失敗しました。", false);
            }
            std::lock_guard inner(mutex_);
            result = value;
            done = true;
            changed_.notify_all();
        });
        changed_.notify_all();
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done; });
    return result;
}

void TBackupRestoreThread::Fail(std::string context, std::string code, std::string message, std::string message2)
{
    ErrorContext = std::move(context);
    ErrorCode = std::move(code);
    ErrorMessage = std::move(message);
    ErrorMessage2 = std::move(message2);
}

template <typename Step>
bool TBackupRestoreThread::Guarded(const char* context, const char* code, const char* message, Step step)
{
    try {
        return step();
    } catch (const std::exception& error) {
        Fail(context, code, message, error.what());
    } catch (...) {
        Fail(context, code, message, "不明な例外");
    }
    return false;
}

bool TBackupRestoreThread::DoBackup(const std::string& database)
{
    static constexpr const char* kContext = "BackupDatabase";
    static constexpr const char* kStopped = "データベースの保存処理を中止しました。";
    const std::string& sysName = ProgramValues().SysDbFileName;
    const std::string& dataName = ProgramValues().DataDbFileName;
    if (!Contains(database, sysName) && !Contains(database, dataName)) {
        Fail(kContext, "101", "指定されたファイルはホルデクス財務用のデータではありません。", kStopped);
        return false;
    }
    return Guarded(kContext, "100", kStopped, [&] {
        const bool remote = !Host.empty() && Host != kLocalHost;
        const bool done = Synchronize([&] {
            if (Method == TMethod::Tool)
                return BackupFDBByTool(dm_, Host, remote, BackupPath, database);
            return BackupFDB(dm_, remote ? TServiceProtocol::TCP : TServiceProtocol::Local, remote ? Host : "", remote,
                             BackupPath, database);
        });
        if (!done) {
            Fail(kContext, "100", kStopped);
            return false;
        }
        if (WriteMarker)
            AppendBackupMarker(BackupPath, Marker);
        return true;
    });
}

bool TBackupRestoreThread::DoRestore(const std::string& database)
{
    static constexpr const char* kContext = "RestoreDatabase";
    static constexpr const char* kStopped = "データベースの復元処理を中止しました。";
    const bool system = Contains(database, ProgramValues().SysDbFileName);
    if (!system && !Contains(database, ProgramValues().DataDbFileName)) {
        Fail(kContext, "201", "指定されたファイルはホルデクス財務用のデータではありません。", kStopped);
        return false;
    }
    return Guarded(kContext, "200", kStopped, [&] {
        const bool inUse = Synchronize([&] {
            return dm_.AccDatInConnection(system ? TDatabaseKind::System : TDatabaseKind::Data, Host, false,
                                          fs::path(database).parent_path().string());
        });
        if (inUse) {
            Fail(kContext, "202", "このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。", kStopped);
            return false;
        }
        const bool remote = !Host.empty() && Host != kLocalHost;
        const bool done = Synchronize([&] {
            if (Method == TMethod::Tool)
                return RestoreFDBByTool(dm_, Host, Replace, BackupPath, database);
            return RestoreFDB(dm_, remote ? TServiceProtocol::TCP : TServiceProtocol::Local, remote ? Host : "", Replace,
                              BackupPath, database);
        });
        if (!done)
            Fail(kContext, "200", kStopped);
        return done;
    });
}

void TBackupRestoreThread::Execute()
{
    switch (Operation) {
    case TOperation::Backup: Result = DoBackup(DatabasePath); break;
    case TOperation::Restore: Result = DoRestore(DatabasePath); break;
    case TOperation::Copy: Result = DoBackup(DatabasePath) && DoRestore(TargetPath); break;
    case TOperation::CopyInPlace: Result = DoBackup(DatabasePath) && DoRestore(DatabasePath); break;
    }
    ErrorFlag = !Result;
}

}  // namespace qz
