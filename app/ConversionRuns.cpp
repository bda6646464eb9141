#include "app/ConversionRuns.h"

#include "app/ExecuteStep.h"
#include "common/Format.h"
#include "db/DataModule.h"
#include "platform/InstanceGuard.h"
#include "platform/SystemDef.h"

#include <cstdint>
#include <filesystem>

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
    return Format("QZCONVERT_ROW_%016llx_%d", static_cast<unsigned long long>(StableHash(SystemDatabaseConnection(paths))), rec);
}

TRunState RunStateOf(const TMainFormPaths& paths, const TDataFolderRow& row)
{
    if (row.Free)
        return TRunState::Free;
    if (!row.InProgress)
        return TRunState::Used;
    if (paths.ServerMode || TNamedLock::IsHeldElsewhere(RowLockName(paths, row.Rec)))
        return TRunState::Running;
    return TRunState::Abandoned;
}

std::string ResetAbandonedRun(const TMainFormPaths& paths, int rec)
{
    if (paths.ServerMode)
        return "サーバーのデータフォルダは、他の端末で実行中のコンバートと区別できないためリセットできません。";
    // Held while the row is looked at and reset, so that no conversion can claim it meanwhile.
    const std::optional<TNamedLock> lock = TNamedLock::TryAcquire(RowLockName(paths, rec));
    if (!lock)
        return Format("データフォルダ %04d はコンバート中です。", rec);
    const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths);
    if (!rows)
        return "データリストを読み込めません。";
    const TDataFolderRow* row = FindRow(*rows, rec);
    if (!row)
        return Format("データフォルダ %04d は登録されていません。", rec);
    if (!row->InProgress)
        return Format("データフォルダ %04d はコンバート中のまま残されたデータフォルダではありません。", rec);
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

}  // namespace qz
