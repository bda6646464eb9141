// convert: the wizard's four pages and its execute step in one command. Every choice the wizard offers is
// an option with the wizard's default; what the wizard refuses is refused with its text before anything
// is written.

#include "app/ExecuteStep.h"
#include "app/ImportedYears.h"
#include "app/SyuyakuCsv.h"
#include "app/WizardDestination.h"
#include "app/WizardTexts.h"
#include "cli/Commands.h"
#include "cli/DryRun.h"
#include "cli/Extract.h"
#include "cli/Reconciliation.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "db/DataModule.h"
#include "platform/SystemDef.h"

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace qz::cli {
namespace {

constexpr TChoice kBalanceChoices[] = {
    {"normal", kBalanceNormal}, {"通常", kBalanceNormal}, {"tax-excluded", kBalanceTaxExcluded}, {"税抜き", kBalanceTaxExcluded}};
constexpr TChoice kFreeCodeChoices[] = {{"3", kFreeCode3}, {"4", kFreeCode4}};
constexpr TChoice kChartChoices[] = {
    {"general", kFudosanGeneral}, {"個人一般", kFudosanGeneral}, {"real-estate", kFudosanRealEstate}, {"個人不動産", kFudosanRealEstate}};

// The choices of the command line, read before anything else happens.
struct TConvertChoices {
    int BalanceKind = kBalanceNormal;
    std::optional<int> FreeCodeDigits;
    std::optional<int> Fudosan;
    std::optional<int> Rec;
    std::vector<std::pair<std::string, std::string>> Specials;   // (slot name or number, code)
    std::optional<fs::path> CsvPath;
    bool DryRun = false;
    bool Keep = false;                                           // the dry run's scratch installation
};

std::optional<int> ReadChoice(const TArguments& arguments, std::string_view option, std::span<const TChoice> choices,
                              std::string& error)
{
    const std::optional<std::string> text = arguments.Value(option);
    if (!text)
        return std::nullopt;
    const std::optional<int> value = ChoiceOf(choices, *text);
    if (!value)
        error = Format("%s には %s のどれかを指定してください（%s）。", option, Spellings(choices), *text);
    return value;
}

std::string ReadChoices(const TArguments& arguments, TConvertChoices& choices)
{
    std::string error;
    choices.BalanceKind = ReadChoice(arguments, "--balance", kBalanceChoices, error).value_or(kBalanceNormal);
    choices.FreeCodeDigits = ReadChoice(arguments, "--free-code-digits", kFreeCodeChoices, error);
    choices.Fudosan = ReadChoice(arguments, "--chart", kChartChoices, error);
    if (const auto rec = arguments.Value("--row")) {
        choices.Rec = TryTextToInt32(*rec);
        if (!choices.Rec || *choices.Rec < 1)
            error = Format("--row にはデータフォルダの番号（REC）を指定してください（%s）。", *rec);
    }
    for (const std::string& special : arguments.Values("--special")) {
        const std::size_t equals = special.find('=');
        if (equals == std::string::npos || equals == 0)
            error = Format("--special は 科目=コード の形で指定してください（%s）。", special);
        else
            choices.Specials.emplace_back(special.substr(0, equals), special.substr(equals + 1));
    }
    if (const auto csv = arguments.Value("--aggregated-csv")) {
        const fs::path path(*csv);
        std::error_code code;
        const fs::path folder = fs::is_directory(path, code) ? path : path.parent_path();
        // Checked now: the list cannot be made again once the conversion is done.
        if (!folder.empty() && !fs::is_directory(folder, code))
            error = Format("--aggregated-csv のフォルダがありません（%s）。", folder.string());
        choices.CsvPath = path;
    }
    choices.DryRun = arguments.Has("--dry-run");
    choices.Keep = arguments.Has("--keep");
    if (choices.Keep && !choices.DryRun)
        error = "--keep は --dry-run と一緒に指定してください。";
    return error;
}

// The slot a --special names: the special account's name without its spaces, or its number from 1.
std::optional<std::size_t> SlotOf(std::span<const TSpecialAccountRow> rows, const std::string& name)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (StripAllSpaces(rows[i].Name) == name)
            return i;
    const std::optional<int> number = TryTextToInt32(name);
    if (number && *number >= 1 && static_cast<std::size_t>(*number) <= rows.size())
        return static_cast<std::size_t>(*number - 1);
    return std::nullopt;
}

std::string SlotNames(std::span<const TSpecialAccountRow> rows)
{
    std::string names;
    for (const TSpecialAccountRow& row : rows)
        names += (names.empty() ? "" : ", ") + StripAllSpaces(row.Name);
    return names;
}

// Everything the run reports, for the text and the JSON summary.
class TConvertReport {
public:
    TConvertReport(TOutput& output, const TQZaimuIO& io, const std::string& folder) : output_(output), io_(io), folder_(folder) {}

    TExtractView View;
    std::optional<TDataFolderRow> Destination;
    std::vector<std::string> SpecialCodes;
    TExecuteResult Result;
    std::vector<TImportedYear> Years;
    std::vector<std::string> RunMessages;   // read messages of the run itself (journal lines)
    std::optional<fs::path> CsvWritten;
    std::string CsvError;
    std::optional<TReconcileRun> Reconciliation;
    bool DryRun = false;
    std::optional<fs::path> Scratch;        // the dry run's installation, while it is there
    const TTerminalUi* Ui = nullptr;

    // Tells a refusal and ends the command.
    int Refuse(const std::string& text)
    {
        output_.Line(TerminalLines(text));
        Summary("refused", text);
        return kExitFailure;
    }

    void Summary(std::string_view result, const std::string& refusal = {})
    {
        if (!output_.Json())
            return;
        TJson json = TJson::Object();
        json.Set("result", result).Set("refusal", refusal.empty() ? TJson() : TJson(refusal));
        AddExtractJson(json, io_, View, folder_);
        json.Set("read_messages", TJson::Texts(ReadMessages()));
        json.Set("destination", Destination ? TJson::Object().Set("rec", Destination->Rec).Set("path", Destination->Path) : TJson());
        json.Set("data_database", Result.DataDatabase.empty() ? TJson() : TJson(Result.DataDatabase));
        TJson years = TJson::Array();
        for (const TImportedYear& year : Years)
            years.Push(TJson::Object().Set("year", year.Name).Set("code", year.Code).Set("label", year.Label).Set("journals", year.Journals));
        json.Set("years_imported", std::move(years));
        json.Set("past_journals_skipped", Result.PastJournalsSkipped);
        json.Set("completion", TJson::Texts(Result.CompletionLines));
        TJson rows = TJson::Array();
        for (const TSyuyakuRow& row : Result.SyuyakuRows)
            rows.Push(TJson::Texts(std::vector<std::string>(row.Cells.begin(), row.Cells.end())));
        json.Set("aggregated_accounts", std::move(rows));
        json.Set("aggregated_csv", CsvWritten ? TJson(CsvWritten->string()) : TJson());
        if (!CsvError.empty())
            json.Set("aggregated_csv_error", CsvError);
        json.Set("error_log", Result.ErrorLogPath.empty() ? TJson() : TJson(Result.ErrorLogPath));
        json.Set("reconciliation", Reconciliation ? ReconcileJson(*Reconciliation) : TJson());
        if (DryRun)
            json.Set("dry_run", true).Set("scratch", Scratch ? TJson(Scratch->string()) : TJson());
        json.Set("messages", Ui ? TJson::Texts(Ui->Messages()) : TJson::Array());
        output_.Summary(json);
    }

    // The read messages before the run and those the run added.
    std::vector<std::string> ReadMessages() const
    {
        std::vector<std::string> all = View.ReadMessages;
        all.insert(all.end(), RunMessages.begin(), RunMessages.end());
        return all;
    }

private:
    TOutput& output_;
    const TQZaimuIO& io_;
    std::string folder_;
};

// The confirmation page's settings (its read messages were printed with the extract), the balance kind and
// the destination's row number.
void PrintSettings(TOutput& output, const TQZaimuIO& io, const TExtractView& view, const TMainFormPaths& paths,
                   const TDataFolderRow& destination, const std::vector<std::string>& codes)
{
    const int journals = view.Journals[static_cast<std::size_t>(view.YearNumber - 1)];
    std::vector<std::string> lines = ConfirmationLines(io, DestinationShown(paths, destination.Path), codes, journals);
    lines.insert(lines.begin() + kJournalCountLineIndex + 1,
                 Format("　　残高の区分　　：%s", io.ZandakaSyubetu == 2 ? "税抜き" : "通常"));
    for (const std::string& line : lines)
        output.Line(line);
    output.Line(Format("　　データフォルダ番号：%04d", destination.Rec));
    output.Line("");
}

// "code name / code name" of an account and its breakdown in the list's cells from `first`; a cell the
// list leaves blank (the account of the row above, no breakdown) is left out.
std::string AccountAndBreakdown(const std::array<std::string, 9>& cells, std::size_t first)
{
    std::string text;
    for (const std::size_t pair : {first, first + 2}) {
        const std::string part = Trim(cells[pair] + " " + cells[pair + 1]);
        if (!part.empty())
            text += (text.empty() ? "" : " / ") + part;
    }
    return text;
}

void PrintConverted(TOutput& output, const TConvertReport& report)
{
    output.Line("");
    output.Line(report.DryRun ? "試行の結果（本番の変換で行うこと）:" : "変換した内容:");
    output.Line(Format("  関与先　　　　: %s %s", report.Result.DataCode, report.Result.Shougou));
    if (report.DryRun)
        output.Line(Format("  変換先　　　　: %s (%04d)（試行のため書き込んでいません）", report.Destination->DisplayPath,
                           report.Destination->Rec));
    else
        output.Line(Format("  データベース　: %s (%04d)", report.Result.DataDatabase, report.Destination->Rec));
    output.Line("  取り込んだ年度:");
    for (const TImportedYear& year : report.Years)
        output.Line(Format("    %s  %s  仕訳 %d 件", year.Name, year.Label, year.Journals));
    if (report.Result.PastJournalsSkipped)
        output.Line("  前々期・前期の仕訳は取り込まれていません。");
    if (!report.RunMessages.empty()) {
        output.Line(Format("  変換中の読込メッセージ（%d件）:", static_cast<int>(report.RunMessages.size())));
        for (const std::string& message : report.RunMessages)
            output.Line("    " + message);
    }
    const std::vector<TSyuyakuRow>& rows = report.Result.SyuyakuRows;
    output.Line(rows.empty() ? std::string("  集約科目: なし") : Format("  集約科目（%d件）:", static_cast<int>(rows.size())));
    for (const TSyuyakuRow& row : rows)
        output.Line("    " + AccountAndBreakdown(row.Cells, 0) + "  →  " + AccountAndBreakdown(row.Cells, 5));
    if (report.CsvWritten)
        output.Line("  集約科目リストを保存しました: " + report.CsvWritten->string());
    if (!report.CsvError.empty())
        output.Line("  集約科目リストを保存できません: " + report.CsvError);
    if (report.Reconciliation)
        PrintReconciliation(output, *report.Reconciliation, false);
}

// Saves the list where the operator asked: a folder gets the name the save dialog proposes.
void SaveCsv(const fs::path& requested, TConvertReport& report, const TQZaimuIO& io)
{
    std::error_code code;
    const std::string tradeName = report.Result.Shougou.empty() ? io.Dtmanage.KanyosakiName : report.Result.Shougou;
    const fs::path file = fs::is_directory(requested, code) ? SyuyakuCsvFileName(requested, tradeName) : requested;
    try {
        SaveSyuyakuCsv(file, report.Result.SyuyakuRows);
        report.CsvWritten = file;
    } catch (const std::exception& error) {
        report.CsvError = error.what();
    }
}

// The first free folder apart from those already tried.
std::optional<TDataFolderRow> FirstFreeRowBut(const TMainFormPaths& paths, const std::set<int>& tried)
{
    const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths);
    if (rows)
        for (const TDataFolderRow& row : *rows)
            if (row.Free && !tried.contains(row.Rec))
                return row;
    return std::nullopt;
}

// The conversion into a scratch installation, its reconciliation, and what a real run would do; the office's
// installation is not written. The scratch goes unless it is kept (--keep) or the conversion failed (its
// error log lies there).
int RunDryRun(TOutput& output, TTerminalUi& ui, TQZaimuIO& io, TConvertReport& report, const TConvertChoices& choices)
{
    report.DryRun = true;
    std::optional<TScratchInstallation> scratch;
    try {
        scratch.emplace(EditionExecutable());
    } catch (const std::exception& error) {
        output.Line("作業用のインストールを作成できません: " + ErrorText(error));
        report.Summary("failure");
        return kExitFailure;
    }
    output.Line("試行: 作業用のインストールに変換します（事務所のデータには書き込みません）: " + scratch->Root().string());
    if (choices.Keep)
        scratch->Keep();
    const TExecuteDestination target = scratch->Destination();
    TExecuteStep step(MainFormPathsOf(SystemDef(), ProgramValues()), ui, ui);
    report.Result = step.ExecuteConversion(io, target, {choices.BalanceKind == kBalanceTaxExcluded});
    ui.Finish();
    report.RunMessages = io.ReadErrors;
    report.Scratch = scratch->Root();
    if (!report.Result.Success()) {
        scratch->Keep();
        output.Line("コンバートに失敗しました（試行）。作業用フォルダを残しました: " + scratch->Root().string());
        if (!report.Result.ErrorLogPath.empty())
            output.Line("エラーログ: " + report.Result.ErrorLogPath);
        report.Summary("failure");
        return kExitFailure;
    }
    if (const auto years = ReadImportedYears(io, "", target.Folder))
        report.Years = *years;
    report.Reconciliation = RunReconciliation(io, "", target.Folder, {io.DroppedYears});
    scratch->RestoreOfficePaths();
    WriteReconciliationFiles(*report.Reconciliation, SystemDef().DocumentsDir);
    if (choices.CsvPath)
        SaveCsv(*choices.CsvPath, report, io);
    PrintConverted(output, report);
    if (scratch->Kept()) {
        output.Line("  作業用フォルダ: " + scratch->Root().string());
    } else {
        report.Result.DataDatabase.clear();
        report.Scratch.reset();
        scratch.reset();
        output.Line("  作業用フォルダを削除しました。");
    }
    report.Summary("success");
    return report.CsvError.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace

int RunConvert(const TArguments& arguments, TOutput& output)
{
    TConvertChoices choices;
    if (const std::string error = ReadChoices(arguments, choices); !error.empty())
        return UsageError(error);
    const std::optional<TInstanceGuard> guard = AcquireGuard(output);
    if (!guard)
        return kExitFailure;

    TTerminalUi ui(output.Human());
    const std::string folder = arguments.Operands.front();
    TQZaimuIO io;
    TConvertReport report(output, io, folder);
    report.Ui = &ui;

    // Page 1: the extract, the year and the lists for it.
    std::string usageError;
    report.View = LoadExtract(io, folder, arguments.Value("--year"), usageError);
    if (!usageError.empty())
        return UsageError(usageError);
    if (!report.View.Accepted)
        return report.Refuse(report.View.Refusal);
    PrintExtract(output, io, report.View);
    if (choices.FreeCodeDigits && !report.View.Options.FreeCodeDigitsOpen)
        return UsageError("--free-code-digits は、フリーコードが５桁または６桁の年度だけ指定できます。");
    if (choices.Fudosan && !report.View.Options.RealEstateChartOpen)
        return UsageError("--chart は、不動産業の個人の年度だけ指定できます。");
    SetBalanceKind(io, choices.BalanceKind);
    SetFreeCodeDigits(io, choices.FreeCodeDigits.value_or(kFreeCode3));
    if (choices.Fudosan)
        SetFudosanTaikei(io, *choices.Fudosan);

    // Page 2: the destination folder.
    TMainFormPaths paths = MainFormPathsOf(SystemDef(), ProgramValues());
    const std::optional<std::vector<TDataFolderRow>> rows = choices.DryRun ? ReadOfficeDataFolders(paths) : ReadDataFolders(paths);
    if (!rows) {
        report.Summary("failure");
        return kExitFailure;
    }
    const TDataFolderRow* destination = nullptr;
    if (choices.Rec) {
        for (const TDataFolderRow& row : *rows)
            if (row.Rec == *choices.Rec)
                destination = &row;
        if (!destination)
            return report.Refuse(Format("データフォルダ %04d は登録されていません。", *choices.Rec));
        if (const std::string refusal = DestinationRefusal(*destination); !refusal.empty())
            return report.Refuse(refusal);
    } else if (!(destination = FirstFreeRow(*rows))) {
        return report.Refuse("空きのデータフォルダがありません。");
    }
    report.Destination = *destination;

    // Page 3: the special accounts.
    std::optional<std::vector<std::string>> codes = ProposeSpecialAccounts(io);
    if (!codes)
        return report.Refuse(std::string(kHoujinKojinUnknownText));
    const std::span<const TSpecialAccountRow> specialRows = SpecialAccountRows(io.HoujinKojin);
    for (const auto& [name, code] : choices.Specials) {
        const std::optional<std::size_t> slot = SlotOf(specialRows, name);
        if (!slot)
            return UsageError(Format("--special の科目は %s または番号 1～%d です（%s）。", SlotNames(specialRows),
                                     static_cast<int>(specialRows.size()), name));
        (*codes)[*slot] = code;
    }
    report.SpecialCodes = *codes;
    if (const auto refusal = ValidateSpecialAccounts(io, *codes)) {
        const std::vector<TSpecialView> views = SpecialViews(io, *codes);
        output.Line(TerminalLines(refusal->Text));
        PrintSpecialAccounts(output, {views[static_cast<std::size_t>(refusal->Row)]}, true);
        report.Summary("refused", refusal->Text);
        return kExitFailure;
    }

    // Page 4: the settings, then the execute step.
    PrintSettings(output, io, report.View, paths, *destination, *codes);
    if (choices.DryRun)
        return RunDryRun(output, ui, io, report, choices);
    TExecuteStep step(paths, ui, ui);
    const TExecuteOptions options{choices.BalanceKind == kBalanceTaxExcluded};
    report.Result = step.ExecuteConversion(io, {destination->Rec, destination->Path}, options);
    // Without --row the first free folder is meant: when another conversion took it first, the next one.
    for (std::set<int> taken; report.Result.ClaimLost && !choices.Rec;) {
        taken.insert(report.Destination->Rec);
        const std::optional<TDataFolderRow> next = FirstFreeRowBut(paths, taken);
        if (!next)
            break;
        report.Destination = *next;
        output.Line(Format("データフォルダ %04d に変換します。", next->Rec));
        report.Result = step.ExecuteConversion(io, {next->Rec, next->Path}, options);
    }
    DM().AccDefDisconnect();   // other processes of the installation may need the registry meanwhile
    ui.Finish();
    report.RunMessages = io.ReadErrors;   // the run starts them afresh: the journal lines it skipped
    if (!report.Result.Success()) {
        output.Line(report.Result.Outcome == TExecuteOutcome::Refused ? "コンバートを行いませんでした。" : "コンバートに失敗しました。");
        if (!report.Result.ErrorLogPath.empty())
            output.Line("エラーログ: " + report.Result.ErrorLogPath);
        report.Summary(report.Result.Outcome == TExecuteOutcome::Refused ? "refused" : "failure");
        return kExitFailure;
    }

    const std::string host = paths.ServerMode ? paths.ServerHost : std::string();
    if (const auto years = ReadImportedYears(io, host, report.Destination->Path))
        report.Years = *years;
    if (choices.CsvPath)
        SaveCsv(*choices.CsvPath, report, io);
    report.Reconciliation = RunReconciliation(io, host, report.Destination->Path, {io.DroppedYears});
    WriteReconciliationFiles(*report.Reconciliation, SystemDef().DocumentsDir);
    PrintConverted(output, report);
    report.Summary("success");
    return report.CsvError.empty() ? kExitSuccess : kExitFailure;
}

}  // namespace qz::cli
