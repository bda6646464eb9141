// verify: the reconciliation of a client converted earlier, from its extract and its data database (a row of
// the installation or the database file), with the year and balance kind the conversion was given.

#include "app/WizardDestination.h"
#include "cli/Commands.h"
#include "cli/Extract.h"
#include "cli/Reconciliation.h"
#include "common/Format.h"
#include "common/TextHelpers.h"
#include "db/DataModule.h"
#include "platform/SystemDef.h"
#include "verify/ReconcileReport.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace qz::cli {
namespace {

constexpr TChoice kBalanceChoices[] = {
    {"normal", kBalanceNormal}, {"通常", kBalanceNormal}, {"tax-excluded", kBalanceTaxExcluded}, {"税抜き", kBalanceTaxExcluded}};
constexpr int kRealEstateCodeType = 2;   // ACCDEF1.CODETYPE of a data set on the real-estate chart

// The converted data set: the host it lies on (empty: locally) and its folder.
struct TDataSet {
    std::string Host;
    std::string Folder;
};

// --row: the row's folder, which must hold a conversion.
std::optional<TDataSet> DataSetOfRow(int rec, std::string& refusal)
{
    const TMainFormPaths paths = MainFormPathsOf(SystemDef(), ProgramValues());
    const std::optional<std::vector<TDataFolderRow>> rows = ReadDataFolders(paths);
    if (!rows) {
        refusal = "データフォルダの一覧を読めません。";
        return std::nullopt;
    }
    for (const TDataFolderRow& row : *rows) {
        if (row.Rec != rec)
            continue;
        if (row.Free) {
            refusal = Format("データフォルダ %04d には変換したデータがありません。", rec);
            return std::nullopt;
        }
        return TDataSet{paths.ServerMode ? paths.ServerHost : std::string(), row.Path};
    }
    refusal = Format("データフォルダ %04d は登録されていません。", rec);
    return std::nullopt;
}

// --data: the data database file (or the folder that holds it), on this machine.
std::optional<TDataSet> DataSetOfFile(const fs::path& path, std::string& refusal)
{
    std::error_code error;
    const bool folder = fs::is_directory(path, error);
    const fs::path file = folder ? path / ProgramValues().DataDbFileName : path;
    if (file.filename() != ProgramValues().DataDbFileName || !fs::is_regular_file(file, error)) {
        refusal = Format("データベース %s がありません（%s）。", ProgramValues().DataDbFileName, path.string());
        return std::nullopt;
    }
    return TDataSet{"", file.parent_path().string()};
}

// The chart the data set was built on: a sole proprietor in real estate may have been converted onto the
// general chart, which the extract alone does not tell.
bool TakeChartOfDataSet(TQZaimuIO& io, const TYearOptions& options, const TDataSet& data)
{
    if (!options.RealEstateChartOpen)
        return true;
    TDM& dm = DM();
    const bool read = dm.fnAccDatConnected(data.Host, data.Folder, false) && dm.fnGetAccInfo();
    if (read)
        SetFudosanTaikei(io, AccInfo().CODETYPE == kRealEstateCodeType ? kFudosanRealEstate : kFudosanGeneral);
    dm.AccDatDisconnect("", false, false);
    return read;
}

int Refuse(TOutput& output, const std::string& text)
{
    output.Line(TerminalLines(text));
    if (output.Json())
        output.Summary(TJson::Object().Set("result", "failed").Set("refusal", text));
    return kExitFailure;
}

}  // namespace

int RunVerify(const TArguments& arguments, TOutput& output)
{
    const std::optional<std::string> row = arguments.Value("--row");
    const std::optional<std::string> data = arguments.Value("--data");
    if (row.has_value() == data.has_value())
        return UsageError("verify には --row REC または --data FILE のどちらか一つを指定してください。");
    std::optional<int> rec;
    if (row && (!(rec = TryTextToInt32(*row)) || *rec < 1))
        return UsageError(Format("--row にはデータフォルダの番号（REC）を指定してください（%s）。", *row));
    int balanceKind = kBalanceNormal;
    if (const auto text = arguments.Value("--balance")) {
        const std::optional<int> kind = ChoiceOf(kBalanceChoices, *text);
        if (!kind)
            return UsageError(Format("--balance には %s のどれかを指定してください（%s）。", Spellings(kBalanceChoices), *text));
        balanceKind = *kind;
    }

    TTerminalUi ui(output.Human());
    TQZaimuIO io;
    std::string usageError;
    const TExtractView view = LoadExtract(io, arguments.Operands.front(), arguments.Value("--year"), usageError);
    if (!usageError.empty())
        return UsageError(usageError);
    if (!view.Accepted)
        return Refuse(output, view.Refusal);
    SetBalanceKind(io, balanceKind);

    std::string refusal;
    const std::optional<TDataSet> dataSet = rec ? DataSetOfRow(*rec, refusal) : DataSetOfFile(*data, refusal);
    if (!dataSet)
        return Refuse(output, refusal);
    if (!TakeChartOfDataSet(io, view.Options, *dataSet))
        return Refuse(output, "変換先のデータベースに接続できません。");

    TReconcileRun run = RunReconciliation(io, dataSet->Host, dataSet->Folder, {});
    ui.Finish();
    const std::optional<std::string> out = arguments.Value("--out");
    WriteReconciliationFiles(run, out ? fs::path(*out) : fs::path(SystemDef().DocumentsDir));
    PrintReconciliation(output, run, true);
    if (output.Json()) {
        TJson json = ReconcileJson(run);
        json.Set("summary", run.Report ? TJson::Texts(SummaryLines(*run.Report)) : TJson::Array());
        json.Set("messages", TJson::Texts(ui.Messages()));
        output.Summary(json);
    }
    return run.Clean() ? kExitSuccess : kExitFailure;
}

}  // namespace qz::cli
