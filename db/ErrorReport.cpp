#include "db/ErrorReport.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "db/AccInfo.h"
#include "db/DataModule.h"
#include "db/DbErrorText.h"
#include "platform/SystemDef.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace qz {
namespace {

bool gFatal = false;

constexpr std::string_view kRestartAdvice =
    "\r\r[OK]ボタンを押すとアプリケーションの終了処理に入ります。（[OK]後、何回かメッセージが表示される場合があります）"
    "\rアプリケーションが終了しましたら再起動して下さい。\r";
constexpr std::string_view kLocalModeNote = "\r※注意 共有サーバーのデータ利用時は自動保管されません。\r";
constexpr std::string_view kNetworkLost =
    "何らかの原因でネットワークが物理的に切断されている か Firebirdサービス(RDBMS)との通信が切断されました。";

std::string DataVersionText()
{
    const TACCINF& info = AccInfo();
    return Format("%d.%d.%d", info.VerMajor, info.VerMinor1, info.VerMinor2);
}

std::string DataDatabaseName()
{
    return (std::filesystem::path(DM().AccDatFolder()) / ProgramValues().DataDbFileName).string();
}

void EnterFatalState(std::string message)
{
    gFatal = true;
    if (ProgramValues().ConnectionMode == 0)
        message += kLocalModeNote;
    ShowError(message);
    Ui().EndApplication();
}

}  // namespace

bool IsDbFatal()
{
    return gFatal;
}

void ResetDbFatalForTests()
{
    gFatal = false;
}

void WriteLogLines(const std::string& file, const std::vector<std::string>& lines, bool append)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += EncodeCp932(line) + "\r\n";
    std::ofstream out(file, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!out || !(out << bytes) || !out.flush())
        throw std::runtime_error(Format("ログファイルに書き込めません。<%s>", file));
}

std::string ErrorCodeLine(const fb::TFbError& error)
{
    return Format("ErrCode<%d>  SQLCODE<%d>", error.Code(), error.SqlCode());
}

void ReportDbError(const fb::TFbError& error, std::string_view context, std::string_view message, bool reconnect)
{
    if (gFatal)
        return;
    const TSystemDef& system = SystemDef();
    const std::string japanese(DbErrorText(error.Code(), error.SqlCode()));
    const std::vector<std::string> lines = {
        Format("%s,%s,%d,%s,%s,%s,%s", TDateTime::Now().ToText(), system.ComputerName, system.UserCode,
               "Serial=" + AccInfo().SERIAL, "AppVer=" + std::string(ProgramValues().Edition().ToolVersion),
               "DBName=" + system.DbHost + ":" + DataDatabaseName(), "DataVer=" + DataVersionText()),
        Format("Error=%s [%d] (%d) %s,%s", context, error.Code(), error.SqlCode(), japanese, error.Message()),
    };
    const std::filesystem::path logDir = system.LogDir;
    std::filesystem::create_directories(logDir);
    WriteLogLines((logDir / "ErrFbAccess.log").string(), lines, true);
    WriteLogLines((logDir / "ErrFbAccess.txt").string(), lines, false);

    if (error.Code() == kFbInternalConsistency) {
        EnterFatalState(japanese + std::string(kRestartAdvice));
        return;
    }
    if (!message.empty() && error.Code() != kFbNetworkError)
        ShowMessageDetail(message,
                          Format("IBXエラーコード:%d\n%s\n%s", error.Code(), error.Message(), japanese),
                          TMessageKind::Error);
    if (reconnect && error.Code() == kFbNetworkError && !DM().Reconnect())
        EnterFatalState(std::string(kNetworkLost) + std::string(kRestartAdvice));
}

void ShowMessageDetail(std::string_view message, std::string_view detail, TMessageKind kind)
{
    if (message.empty() && detail.empty())
        return;
    std::string text(message);
    if (!detail.empty())
        text += "\n\n[詳細情報]\n" + std::string(detail);
    Ui().ShowMessage(kind, text);
}

void ShowSqlError(const fb::TFbError& error, std::string_view message, std::vector<std::string>* list)
{
    std::vector<std::string> lines = {std::string(message), ErrorCodeLine(error)};
    if (!list)
        lines.push_back(error.Message());
    lines.emplace_back(DbErrorText(error.Code(), error.SqlCode()));
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    ShowError(text);
    if (list)
        list->insert(list->end(), lines.begin(), lines.end());

    const TSystemDef& system = SystemDef();
    const TACCINF& info = AccInfo();
    std::vector<std::string> saved = lines;
    saved.push_back("PG_VERSION[" + std::string(ProgramValues().Edition().ToolVersion) + "]");
    saved.push_back("DB_VERSION[" + DataVersionText() + "]");
    saved.push_back("Serial[" + info.SERIAL + "]");
    saved.push_back("Server[" + system.DbHost + "]");
    saved.push_back("DatabaseName[" + DataDatabaseName() + "]");
    saved.push_back(TDateTime::Now().ToText());
    saved.push_back(system.ComputerName);
    saved.push_back(std::to_string(system.UserCode));
    const std::filesystem::path root = system.InstallDir;
    WriteLogLines((root / "FB_ERROR.TXT").string(), saved, false);
    WriteLogLines((root / "FB_ERROR.LOG").string(), saved, true);
}

}  // namespace qz
