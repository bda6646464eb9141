#include "db/ErrorReport.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "db/AccInfo.h"
#include "db/DbErrorText.h"
#include "platform/FileOps.h"
#include "platform/SystemDef.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace qz {
namespace {

bool gFatal = false;
TDbReportHooks gHooks;

constexpr std::string_view kRestartAdvice =
    "\r\r[OK]ボタンを押すとアプリケーションの終了処理に入ります。（[OK]後、何回かメッセージが表示される場合があります）"
    "\rアプリケーションが終了しましたら再起動して下さい。\r";
constexpr std::string_view kLocalModeNote = "\r※注意 共有サーバーのデータ利用時は自動保管されません。\r";
constexpr std::string_view kNetworkLost =
    "何らかの原因でネットワークが物理的に切断されている か Firebirdサービス(RDBMS)との通信が切断されました。";

// The last resort when the front end itself fails to show a message: standard error, so it is not lost.
void Tell(TMessageKind kind, std::string_view text) noexcept
{
    try {
        Ui().ShowMessage(kind, text);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%.*s\n(%s)\n", static_cast<int>(text.size()), text.data(), error.what());
    } catch (...) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
}

std::string DataVersionText()
{
    const TACCINF& info = AccInfo();
    return Format("%d.%d.%d", info.VerMajor, info.VerMinor1, info.VerMinor2);
}

std::string DataDatabaseName()
{
    return gHooks.DataDatabaseName ? gHooks.DataDatabaseName() : std::string();
}

// Writes the lines to every file; a failure is told in one line and does not stop the others.
void LogBestEffort(const std::filesystem::path& folder, const std::vector<std::pair<std::string, bool>>& files,
                   const std::vector<std::string>& lines) noexcept
{
    try {
        std::filesystem::create_directories(folder);
        for (const auto& [name, append] : files)
            WriteCp932Lines((folder / name).string(), lines, append, TUnencodable::Escape);
    } catch (const std::exception& error) {
        Tell(TMessageKind::Error, Format("エラーログを書き込めませんでした。<%s> %s", folder.string(), error.what()));
    }
}

// The SQL error log belongs in the installation's root folder. An installation of the distribution has
// /usr there, which takes no files from the operator: the log then goes to the settings folder with the
// other logs rather than being lost.
std::filesystem::path SqlErrorLogFolder()
{
    const TSystemDef& system = SystemDef();
    std::error_code error;
    if (std::filesystem::is_directory(system.InstallDir, error) && FileCreationRefusal(system.InstallDir))
        return system.LogDir;
    return system.InstallDir;
}

void EnterFatalState(std::string message) noexcept
{
    gFatal = true;
    if (ProgramValues().ConnectionMode == 0)
        message += kLocalModeNote;
    Tell(TMessageKind::Error, message);
    try {
        Ui().EndApplication();
    } catch (const std::exception& error) {
        // Without a front end there is nothing to end; the fatal state stops every further database report.
        std::fprintf(stderr, "%s\n", error.what());
    }
}

}  // namespace

void SetDbReportHooks(TDbReportHooks hooks)
{
    gHooks = std::move(hooks);
}

bool IsDbFatal()
{
    return gFatal;
}

void ResetDbFatalForTests()
{
    gFatal = false;
}

void WriteCp932Lines(const std::string& file, const std::vector<std::string>& lines, bool append, TUnencodable unencodable)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += (unencodable == TUnencodable::Escape ? EncodeCp932Escaped(line) : EncodeCp932(line)) + "\r\n";
    std::ofstream out(file, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!out || !(out << bytes) || !out.flush())
        throw std::runtime_error(Format("ログファイルに書き込めません。<%s>", file));
}

std::string ErrorCodeLine(const fb::TFbError& error)
{
    return Format("ErrCode<%d>  SQLCODE<%d>", error.Code(), error.SqlCode());
}

void ReportDbError(const fb::TFbError& error, std::string_view context, std::string_view message, bool reconnect) noexcept
{
    if (gFatal)
        return;
    try {
        const TSystemDef& system = SystemDef();
        const std::string japanese(DbErrorText(error.Code(), error.SqlCode()));
        const bool consistency = error.Code() == kFbInternalConsistency;
        const bool reconnecting = reconnect && error.Code() == kFbNetworkError;
        // A failed re-attach ends in the fatal state, which tells the operator itself.
        if (!message.empty() && !consistency && !reconnecting)
            ShowMessageDetail(message, Format("IBXエラーコード:%d\n%s\n%s", error.Code(), error.Message(), japanese),
                              TMessageKind::Error);
        const std::vector<std::string> lines = {
            Format("%s,%s,%d,%s,%s,%s,%s", TDateTime::Now().ToText(), system.ComputerName, system.UserCode,
                   "Serial=" + AccInfo().SERIAL, "AppVer=" + std::string(ProgramValues().Edition().ToolVersion),
                   "DBName=" + system.DbHost + ":" + DataDatabaseName(), "DataVer=" + DataVersionText()),
            Format("Error=%s [%d] (%d) %s,%s", context, error.Code(), error.SqlCode(), japanese, error.Message()),
        };
        LogBestEffort(system.LogDir, {{"ErrFbAccess.log", true}, {"ErrFbAccess.txt", false}}, lines);

        if (consistency)
            EnterFatalState(japanese + std::string(kRestartAdvice));
        else if (reconnecting && !(gHooks.Reconnect && gHooks.Reconnect()))
            EnterFatalState(std::string(kNetworkLost) + std::string(kRestartAdvice));
    } catch (const std::exception& failure) {
        Tell(TMessageKind::Error, Format("%s\n%s\n[%s] %s", message, error.Message(), context, failure.what()));
    }
}

void ReportCurrentException(std::string_view context, std::string_view message, bool reconnect) noexcept
{
    const std::string shown = message.empty() ? std::string(context) : std::string(message);
    try {
        throw;
    } catch (const fb::TFbError& error) {
        ReportDbError(error, context, message.empty() ? shown : message, reconnect);
    } catch (const std::exception& error) {
        ShowMessageDetail(shown, error.what(), TMessageKind::Error);
    } catch (...) {
        ShowMessageDetail(shown, "不明な例外", TMessageKind::Error);
    }
}

void ShowMessageDetail(std::string_view message, std::string_view detail, TMessageKind kind) noexcept
{
    if (message.empty() && detail.empty())
        return;
    try {
        std::string text(message);
        if (!detail.empty())
            text += "\n\n[詳細情報]\n" + std::string(detail);
        Tell(kind, text);
    } catch (...) {
        Tell(kind, message);  // the text could not even be put together
    }
}

void ShowSqlError(const fb::TFbError& error, std::string_view message, std::vector<std::string>* list) noexcept
{
    try {
        std::vector<std::string> lines = {std::string(message), ErrorCodeLine(error)};
        if (!list)
            lines.push_back(error.Message());
        lines.emplace_back(DbErrorText(error.Code(), error.SqlCode()));
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        Tell(TMessageKind::Error, text);
        if (list)
            list->insert(list->end(), lines.begin(), lines.end());

        const TSystemDef& system = SystemDef();
        std::vector<std::string> saved = lines;
        saved.push_back("PG_VERSION[" + std::string(ProgramValues().Edition().ToolVersion) + "]");
        saved.push_back("DB_VERSION[" + DataVersionText() + "]");
        saved.push_back("Serial[" + AccInfo().SERIAL + "]");
        saved.push_back("Server[" + system.DbHost + "]");
        saved.push_back("DatabaseName[" + DataDatabaseName() + "]");
        saved.push_back(TDateTime::Now().ToText());
        saved.push_back(system.ComputerName);
        saved.push_back(std::to_string(system.UserCode));
        LogBestEffort(SqlErrorLogFolder(), {{"FB_ERROR.TXT", false}, {"FB_ERROR.LOG", true}}, saved);
    } catch (const std::exception& failure) {
        Tell(TMessageKind::Error, Format("%s\n%s\n%s", message, error.Message(), failure.what()));
    }
}

}  // namespace qz
