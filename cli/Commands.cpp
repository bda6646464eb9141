#include "cli/Commands.h"

#include "app/ConversionRuns.h"
#include "app/MainFormPaths.h"
#include "app/WizardDestination.h"
#include "app/WizardTexts.h"
#include "cli/Extract.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "db/DataModule.h"
#include "db/Firebird.h"
#include "db/schema/Installation.h"
#include "platform/InstanceGuard.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"

#include <clocale>
#include <cstdio>

namespace qz::cli {

// The edition follows the program's name as the wizard's does, without the "-cli" of the command-line
// converter: qzconvert2-cli is the revised edition.
std::filesystem::path EditionExecutable()
{
    const std::filesystem::path executable = CurrentExecutable();
    std::string name = executable.filename().string();
    if (constexpr std::string_view suffix = "-cli"; UpperAscii(name).ends_with(UpperAscii(suffix)))
        name.resize(name.size() - suffix.size());
    return executable.parent_path() / name;
}

// The wizard does not run beside the target program or another tool of the family, and neither do the
// commands that write: two conversions could take the same free folder.
std::optional<TInstanceGuard> AcquireGuard(TOutput& output)
{
    TInstanceGuard guard = TInstanceGuard::Acquire();
    if (!guard.Refused())
        return guard;
    output.Line(guard.RefusalText());
    if (output.Json())
        output.Summary(TJson::Object().Set("result", "refused").Set("refusal", guard.RefusalText()));
    return std::nullopt;
}

std::string_view ProgramName()
{
    return IsRevisedEditionExecutable(EditionExecutable()) ? "qzconvert2-cli" : "qzconvert-cli";
}

std::string VersionText()
{
    const bool revised = IsRevisedEditionExecutable(EditionExecutable());
    return std::string(ProgramName()) + " " + std::string(EditionValues(revised).ToolVersion);
}

int UsageError(const std::string& text)
{
    TTerminal(stderr).Line(std::string(ProgramName()) + ": " + text);
    return kExitUsage;
}

std::string ErrorText(const std::exception& error)
{
    if (const auto* fbError = dynamic_cast<const fb::TFbError*>(&error))
        return Format("%s (ErrCode<%d>  SQLCODE<%d>)", fbError->Message(), fbError->Code(), fbError->SqlCode());
    return error.what();
}

namespace {

// ---- inspect

std::string_view OpenOrClosed(bool open, std::string_view open_text)
{
    return open ? open_text : std::string_view("選べません");
}

void PrintYearChoices(TOutput& output, const TQZaimuIO& io, const TExtractView& view)
{
    const TJigyouNendo& year = io.Dtmanage.Nendo[static_cast<std::size_t>(view.YearNumber - 1)];
    output.Line("");
    output.Line(Format("選択した事業年度: %d  %s", view.YearNumber, year.Label));
    output.Line(Format("  法人個人区分　: %s", io.HoujinKojin == 2 ? "個人" : io.HoujinKojin == 1 ? "法人" : "不明"));
    output.Line(Format("  科目体系　　　: %s (%d)", ChartKindName(io.ChartKind()), io.ChartKind()));
    output.Line(Format("  フリーコード　: %s",
                       OpenOrClosed(view.Options.FreeCodeDigitsOpen, "３桁（--free-code-digits 3|4 で選べます）")));
    output.Line(Format("  不動産の体系　: %s",
                       OpenOrClosed(view.Options.RealEstateChartOpen, "個人不動産（--chart general|real-estate で選べます）")));
}

// ---- destinations

// How long a command waits for the system database while another process of this machine holds it: a
// batch's workers and the operator's own commands take turns at a local installation's registry.
constexpr std::chrono::seconds kSystemDatabaseWait{60};

struct TRunStateName {
    TRunState State;
    std::string_view Key;    // --json
    std::string_view Shown;  // the text's column
};
constexpr TRunStateName kRunStateNames[] = {
    {TRunState::Free, "free", "空き"},
    {TRunState::Used, "used", "使用"},
    {TRunState::Running, "running", "変換中"},
    {TRunState::Abandoned, "abandoned", "中断"},
};

const TRunStateName& NameOf(TRunState state)
{
    for (const TRunStateName& name : kRunStateNames)
        if (name.State == state)
            return name;
    return kRunStateNames[1];
}

TJson DestinationJson(const TDataFolderRow& row, TRunState state)
{
    return TJson::Object()
        .Set("rec", row.Rec)
        .Set("free", row.Free)
        .Set("state", NameOf(state).Key)
        .Set("code", row.Code)
        .Set("name", row.Name)
        .Set("period", row.Period)
        .Set("path", row.Path)
        .Set("display_path", row.DisplayPath);
}

struct TCommandEntry {
    std::string_view Name;
    int (*Run)(const TArguments&, TOutput&);
};

constexpr TCommandEntry kCommandTable[] = {
    {"target-init", RunTargetInit},
    {"inspect", RunInspect},
    {"destinations", RunDestinations},
    {"convert", RunConvert},
    {"batch", RunBatch},
    {"verify", RunVerify},
};

// destinations --reset REC: an abandoned row freed again. Beside the target program nothing is written;
// the tools' lock is not needed, the row's own lock tells whether a run holds it.
int ResetDestination(const std::string& text, TOutput& output)
{
    const std::optional<int> rec = TryTextToInt32(text);
    if (!rec || *rec < 1)
        return UsageError(Format("--reset にはデータフォルダの番号（REC）を指定してください（%s）。", text));
    TTerminalUi ui(output.Human());
    std::string refusal;
    if (TNamedLock::IsHeldElsewhere(kTargetProgramLock))
        refusal = "Quorvel 財務が起動しています。";
    else
        refusal = ResetAbandonedRun(MainFormPathsOf(SystemDef(), ProgramValues()), *rec);
    output.Line(refusal.empty() ? Format("データフォルダ %04d を空きに戻しました。", *rec) : TerminalLines(refusal));
    if (output.Json())
        output.Summary(TJson::Object()
                           .Set("result", refusal.empty() ? "success" : "refused")
                           .Set("rec", *rec)
                           .Set("refusal", refusal.empty() ? TJson() : TJson(refusal))
                           .Set("messages", TJson::Texts(ui.Messages())));
    return refusal.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace

void TOutput::Summary(const TJson& json)
{
    const std::string text = json.Dump() + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

int RunTargetInit(const TArguments& arguments, TOutput& output)
{
    schema::TInstallationOptions options;
    if (const auto rows = arguments.Value("--rows")) {
        const std::optional<int> count = TryTextToInt32(*rows);
        if (!count)
            return UsageError(Format("--rows には数を指定してください（%s）。", *rows));
        options.FreeRows = *count;
    }
    options.Replace = arguments.Has("--replace");
    options.ServerHost = arguments.Value("--server").value_or("");
    options.ServerDataDir = arguments.Value("--server-dir").value_or("");
    if (options.ServerHost.empty() != options.ServerDataDir.empty())
        return UsageError("--server と --server-dir は一緒に指定してください。");
    const std::optional<TInstanceGuard> guard = AcquireGuard(output);
    if (!guard)
        return kExitFailure;
    try {
        options.CommonDataPath = ShellFolderPath(CSIDL_COMMON_APPDATA);
        const schema::TInstallation installation = schema::MakeInstallation(options);
        output.Line("変換先のインストールを作成しました。");
        output.Line("  設定フォルダ　　　　: " + installation.SettingsFolder);
        output.Line("  システムデータベース: " + installation.SysDbConnection);
        output.Line("  接続ファイル　　　　: " + installation.ConnectionFile);
        output.Line(Format("  データフォルダ　　　: %d 件（%s）", options.FreeRows, installation.SysDbDir));
        return kExitSuccess;
    } catch (const std::exception& error) {
        output.Line("インストールを作成できません: " + ErrorText(error));
        return kExitFailure;
    }
}

int RunInspect(const TArguments& arguments, TOutput& output)
{
    TTerminalUi ui(output.Human());
    const std::string folder = arguments.Operands.front();
    TQZaimuIO io;
    std::string usageError;
    const TExtractView view = LoadExtract(io, folder, arguments.Value("--year"), usageError);
    if (!usageError.empty())
        return UsageError(usageError);
    std::optional<std::vector<std::string>> codes;
    if (view.Accepted)
        codes = ProposeSpecialAccounts(io);
    const std::vector<TSpecialView> specials = codes ? SpecialViews(io, *codes) : std::vector<TSpecialView>();

    if (!output.Json()) {
        if (!view.Accepted) {
            output.Line(TerminalLines(view.Refusal));
            return kExitFailure;
        }
        PrintExtract(output, io, view);
        PrintYearChoices(output, io, view);
        if (codes)
            PrintSpecialAccounts(output, specials, true);
        else
            output.Line(std::string(kHoujinKojinUnknownText));
        return kExitSuccess;
    }
    TJson json = TJson::Object();
    AddExtractJson(json, io, view, folder);
    json.Set("refusal", view.Refusal.empty() ? TJson() : TJson(view.Refusal));
    if (view.Accepted) {
        json.Set("selected_year", TJson::Object()
                                      .Set("number", view.YearNumber)
                                      .Set("kind", io.HoujinKojin == 2 ? "individual" : "corporation")
                                      .Set("chart_kind", io.ChartKind())
                                      .Set("free_code_digits_open", view.Options.FreeCodeDigitsOpen)
                                      .Set("real_estate_chart_open", view.Options.RealEstateChartOpen)
                                      .Set("special_accounts", SpecialAccountsJson(specials))
                                      .Set("special_accounts_refusal",
                                           codes ? TJson() : TJson(kHoujinKojinUnknownText)));
    }
    output.Summary(json);
    return view.Accepted ? kExitSuccess : kExitFailure;
}

int RunDestinations(const TArguments& arguments, TOutput& output)
{
    if (const auto rec = arguments.Value("--reset"))
        return ResetDestination(*rec, output);
    TTerminalUi ui(output.Human());
    const TMainFormPaths paths = MainFormPathsOf(SystemDef(), ProgramValues());
    const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths);
    if (!rows) {
        if (output.Json())
            output.Summary(TJson::Object().Set("result", "failure").Set("messages", TJson::Texts(ui.Messages())));
        return kExitFailure;
    }
    const TDataFolderRow* firstFree = FirstFreeRow(*rows);
    const int freeCount = static_cast<int>(std::count_if(rows->begin(), rows->end(), [](const auto& row) { return row.Free; }));
    std::vector<TRunState> states;
    std::string abandoned;
    for (const TDataFolderRow& row : *rows) {
        states.push_back(RunStateOf(paths, row));
        if (states.back() == TRunState::Abandoned)
            abandoned += Format(abandoned.empty() ? "%04d" : "、%04d", row.Rec);
    }
    if (output.Json()) {
        TJson list = TJson::Array();
        for (std::size_t i = 0; i < rows->size(); ++i)
            list.Push(DestinationJson((*rows)[i], states[i]));
        output.Summary(TJson::Object()
                           .Set("result", "success")
                           .Set("system_folder", SystemDef().SysDbDir)
                           .Set("rows", std::move(list))
                           .Set("free", freeCount)
                           .Set("first_free", firstFree ? TJson(firstFree->Rec) : TJson()));
        return kExitSuccess;
    }
    output.Line("変換先のデータフォルダ（" + SystemDef().SysDbDir + "）:");
    output.Line("  REC   状態  コード      データ名 / 会計期間 / データフォルダ");
    for (std::size_t i = 0; i < rows->size(); ++i) {
        const TDataFolderRow& row = (*rows)[i];
        std::string line = Format("  %04d  %s  %-10s  ", row.Rec, std::string(NameOf(states[i]).Shown), row.Code);
        if (!row.Free)
            line += row.Name + "  " + row.Period + "  ";
        output.Line(line + row.DisplayPath);
    }
    output.Line(firstFree ? Format("空き %d 件、最初の空き: %04d", freeCount, firstFree->Rec) : std::string("空きのデータフォルダがありません。"));
    if (!abandoned.empty())
        output.Line("コンバート中のまま中断されたデータフォルダ: " + abandoned + "（destinations --reset REC で空きに戻せます）");
    return kExitSuccess;
}

int Main(int argc, char** argv)
{
    std::setlocale(LC_CTYPE, "");
    const TParseResult parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    TTerminal errors(stderr);
    if (!parsed.Arguments) {
        errors.Line(std::string(ProgramName()) + ": " + parsed.Error);
        errors.Line(UsageText(ProgramName()));
        return kExitUsage;
    }
    const TArguments& arguments = *parsed.Arguments;
    if (arguments.Command == "help" || arguments.Command == "version") {
        TTerminal(stdout).Line(arguments.Command == "help" ? UsageText(ProgramName()) : VersionText());
        return kExitSuccess;
    }
    const bool json = arguments.Has("--json");
    TTerminal human(json ? stderr : stdout);
    TOutput output(human, json);
    try {
        InitSystemPaths(EditionExecutable());
        DM().SetSystemDatabaseWait(kSystemDatabaseWait);
        for (const TCommandEntry& command : kCommandTable)
            if (command.Name == arguments.Command)
                return command.Run(arguments, output);
    } catch (const std::exception& error) {
        errors.Line(std::string(ProgramName()) + ": " + ErrorText(error));
        return kExitFailure;
    }
    return kExitUsage;
}

}  // namespace qz::cli
