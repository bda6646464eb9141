#include "app/ConversionRuns.h"

#include "app/ExecuteStep.h"
#include "common/Format.h"
#include "db/DataModule.h"
#include "platform/InstanceGuard.h"
#include "platform/SystemDef.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qz {
namespace {

// FNV-1a: the same text gives the same name in every build and process of the program.
std::uint64_t StableHash(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string SystemDatabaseConnection(const TMainFormPaths& paths)
{
    const std::string file = (fs::path(SystemDef().SysDbDir) / ProgramValues().SysDbFileName).lexically_normal().string();
    return paths.ServerMode ? paths.ServerHost + ":" + file : file;
}

// The lock names of one installation's rows share this beginning.
std::string InstallationRunPrefix(const TMainFormPaths& paths)
{
    return Format("QZCONVERT_ROW_%016llx_", static_cast<unsigned long long>(StableHash(SystemDatabaseConnection(paths))));
}

// The claim records lie in the installation's settings folder of this machine, which outlives a restart
// (the lock folder does not).
fs::path ClaimRecordFolder()
{
    return fs::path(ProgramValues().CommonDataPath) / ProgramValues().SettingsSubPath;
}

fs::path ClaimRecordPath(const TMainFormPaths& paths, int rec)
{
    return ClaimRecordFolder() / (RowLockName(paths, rec) + ".claim");
}

// The data database the record names, or nothing without a record.
std::optional<std::string> ReadClaimRecord(const TMainFormPaths& paths, int rec)
{
    std::ifstream in(ClaimRecordPath(paths, rec), std::ios::binary);
    std::string database;
    if (!in || !std::getline(in, database) || database.empty())
        return std::nullopt;
    return database;
}

bool HasClaimRecords(const TMainFormPaths& paths)
{
    const std::string prefix = InstallationRunPrefix(paths);
    std::error_code error;
    for (fs::directory_iterator it(ClaimRecordFolder(), error), end; !error && it != end; it.increment(error))
        if (it->path().filename().string().starts_with(prefix))
            return true;
    return false;
}

// The database the run left is removed before the row is freed, so that no other run can take the row
// while the database is still there.
std::string ResetServerRow(const TMainFormPaths& paths, int rec, const std::string& database)
{
    const bool deleted = DeleteServerDataDatabase(paths.ServerHost, database);
    const bool reset = deleted && ResetDataListRow(paths.ServerHost, rec);
    DM().AccDefDisconnect();
    if (!deleted)
        return Format("データフォルダ %04d のデータベースをサーバーから削除できません。<%s>", rec, database);
    if (!reset)
        return "データリストの更新に失敗しました。";
    RemoveClaimRecord(paths, rec);
    return {};
}

const TDataFolderRow* FindRow(const std::vector<TDataFolderRow>& rows, int rec)
{
    for (const TDataFolderRow& row : rows)
        if (row.Rec == rec)
            return &row;
    return nullptr;
}

}  // namespace

std::string RowLockName(const TMainFormPaths& paths, int rec)
{
    return InstallationRunPrefix(paths) + std::to_string(rec);
}

TRunState RunStateOf(const TMainFormPaths& paths, const TDataFolderRow& row)
{
    if (row.Free)
        return TRunState::Free;
    if (!row.InProgress)
        return TRunState::Used;
    if (TNamedLock::IsHeldElsewhere(RowLockName(paths, row.Rec)))
        return TRunState::Running;
    if (paths.ServerMode && !ReadClaimRecord(paths, row.Rec))
        return TRunState::Running;   // another machine's run, as far as this machine can tell
    return TRunState::Abandoned;
}

std::string ResetAbandonedRun(const TMainFormPaths& paths, int rec)
{
    // Held while the row is looked at and reset, so that no conversion can claim it meanwhile.
    const std::optional<TNamedLock> lock = TNamedLock::TryAcquire(RowLockName(paths, rec));
    if (!lock)
        return Format("データフォルダ %04d はコンバート中です。", rec);
    const std::optional<std::string> claimed = paths.ServerMode ? ReadClaimRecord(paths, rec) : std::nullopt;
    if (paths.ServerMode && !claimed)
        return "サーバーのデータフォルダは、他の端末で実行中のコンバートと区別できないためリセットできません。";
    const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths);
    if (!rows)
        return "データリストを読み込めません。";
    const TDataFolderRow* row = FindRow(*rows, rec);
    if (!row || !row->InProgress) {
        // The claim is gone from the row: a record kept now would later mark another machine's run as ours.
        if (claimed)
            RemoveClaimRecord(paths, rec);
        return row ? Format("データフォルダ %04d はコンバート中のまま残されたデータフォルダではありません。", rec)
                   : Format("データフォルダ %04d は登録されていません。", rec);
    }
    if (claimed)
        return ResetServerRow(paths, rec, *claimed);
    const bool reset = ResetDataListRow(paths.ServerHost, rec);
    DM().AccDefDisconnect();
    if (!reset)
        return "データリストの更新に失敗しました。";
    // The run found no data database here when it claimed the row (it refuses a folder holding one), so
    // the one there now is its own, unfinished.
    const fs::path database = fs::path(row->Path) / ProgramValues().DataDbFileName;
    std::error_code error;
    if (fs::exists(database, error) && !fs::remove(database, error))
        return Format("データフォルダ %04d は空きに戻しましたが、データベースを削除できません。<%s>\n%s", rec, database.string(),
                      error.message());
    return {};
}

void WriteClaimRecord(const TMainFormPaths& paths, int rec, const std::string& serverDatabase)
{
    const fs::path record = ClaimRecordPath(paths, rec);
    std::error_code error;
    fs::create_directories(record.parent_path(), error);
    std::ofstream out(record, std::ios::binary | std::ios::trunc);
    if (!out || !(out << serverDatabase << '\n') || !out.flush())
        throw std::runtime_error(Format("コンバートの記録を書き込めません。<%s>", record.string()));
}

bool RemoveClaimRecord(const TMainFormPaths& paths, int rec)
{
    const fs::path record = ClaimRecordPath(paths, rec);
    std::error_code error;
    if (fs::remove(record, error) || !error)
        return true;
    ShowError(Format("コンバートの記録を削除できません。<%s>\n%s", record.string(), error.message()));
    return false;
}

void FinishAbandonedServerRuns(const TMainFormPaths& paths, TProgressLines& memo)
{
    if (!paths.ServerMode || !HasClaimRecords(paths))
        return;
    const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths);
    if (!rows)
        return;
    for (const TDataFolderRow& row : *rows) {
        std::error_code error;
        // The reset looks at the row again under its lock; a running conversion of ours refuses it.
        if (fs::exists(ClaimRecordPath(paths, row.Rec), error) && ResetAbandonedRun(paths, row.Rec).empty())
            memo.AppendLine(Format("中断されたコンバートのデータフォルダ %04d を空きに戻しました。", row.Rec));
    }
}

}  // namespace qz
