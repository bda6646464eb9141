#include "cli/Extract.h"

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "platform/SystemDef.h"

namespace qz::cli {
namespace {

std::vector<std::string> SummaryLines(const std::string& summary)
{
    std::vector<std::string> lines;
    for (const std::string_view line : SplitAt(summary, "\r\n"))
        lines.emplace_back(line);
    return lines;
}

}  // namespace

TExtractView LoadExtract(TQZaimuIO& io, const std::string& folder, const std::optional<std::string>& year,
                         std::string& usageError)
{
    TExtractView view;
    io.RevisedEdition = ProgramValues().IsRevisedEdition;
    try {
        const TExtractCheck check = LoadExtractFolder(io, folder, io.RevisedEdition);
        view.Accepted = check.Accepted;
        view.Refusal = check.Refusal;
        view.Summary = check.Summary;
    } catch (const std::exception& error) {   // a manifest or year record whose codes are no numbers
        view.Refusal = error.what();
    }
    view.ReadMessages = view.Accepted ? ExtractReadMessages(io) : io.ReadErrors;
    if (!view.Accepted)
        return view;
    const int years = io.Dtmanage.NendoCount;
    for (int i = 0; i < years; ++i)
        view.Journals.push_back(io.CountJournalLines(io.Dtmanage.Nendo[static_cast<std::size_t>(i)].Code));
    view.YearNumber = 1;
    if (year) {
        const std::optional<int> number = TryTextToInt32(*year);
        if (!number || *number < 1 || *number > years) {
            usageError = Format("--year には事業年度の番号 1～%d を指定してください（1 が最新）。", years);
            view.Accepted = false;
            return view;
        }
        view.YearNumber = *number;
    }
    try {
        view.Options = SelectFiscalYear(io, view.YearNumber - 1);
    } catch (const std::exception& error) {
        view.Accepted = false;
        view.Refusal = error.what();
    }
    return view;
}

void PrintExtract(TOutput& output, const TQZaimuIO& io, const TExtractView& view)
{
    output.Line("抽出データ: " + io.CsvDir.string());
    for (const std::string& line : SummaryLines(view.Summary))
        output.Line(line);
    output.Line("");
    output.Line("事業年度と仕訳数:");
    for (std::size_t i = 0; i < view.Journals.size(); ++i) {
        const TJigyouNendo& year = io.Dtmanage.Nendo[i];
        output.Line(Format("  %s%d  %s  (内部コード %d)  仕訳 %d 件", static_cast<int>(i) + 1 == view.YearNumber ? "*" : " ",
                           static_cast<int>(i) + 1, year.Label, year.Code, view.Journals[i]));
    }
    if (view.ReadMessages.empty()) {
        output.Line("読込メッセージ: なし");
    } else {
        output.Line(Format("読込メッセージ（%d件）:", static_cast<int>(view.ReadMessages.size())));
        for (const std::string& message : view.ReadMessages)
            output.Line("  " + message);
    }
}

void AddExtractJson(TJson& json, const TQZaimuIO& io, const TExtractView& view, const std::string& folder)
{
    json.Set("extract", folder).Set("accepted", view.Accepted);
    const Tdtmanage& manifest = io.Dtmanage;
    json.Set("client", TJson::Object().Set("code", manifest.KanyosakiCodeText).Set("name", manifest.KanyosakiName));
    TJson years = TJson::Array();
    for (std::size_t i = 0; i < view.Journals.size(); ++i) {
        const TJigyouNendo& year = manifest.Nendo[i];
        years.Push(TJson::Object()
                       .Set("number", static_cast<int>(i) + 1)
                       .Set("code", year.Code)
                       .Set("label", year.Label)
                       .Set("start", year.Start.ToText())
                       .Set("end", year.End.ToText())
                       .Set("journals", view.Journals[i])
                       .Set("selected", static_cast<int>(i) + 1 == view.YearNumber));
    }
    json.Set("years", std::move(years));
    json.Set("read_messages", TJson::Texts(view.ReadMessages));
}

std::vector<TSpecialView> SpecialViews(const TQZaimuIO& io, const std::vector<std::string>& codes)
{
    std::vector<TSpecialView> views;
    const std::span<const TSpecialAccountRow> rows = SpecialAccountRows(io.HoujinKojin);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        TSpecialView view;
        view.Row = &rows[i];
        view.Code = i < codes.size() ? codes[i] : std::string();
        view.Candidates = SpecialAccountCandidates(io, rows[i], view.Notice);
        views.push_back(std::move(view));
    }
    return views;
}

void PrintSpecialAccounts(TOutput& output, const std::vector<TSpecialView>& views, bool withCandidates)
{
    output.Line("　　[特定科目]");
    for (std::size_t i = 0; i < views.size(); ++i) {
        const TSpecialView& view = views[i];
        output.Line(Format("　　%d　%s [%s]", static_cast<int>(i) + 1, view.Row->Name, view.Code));
        if (!withCandidates)
            continue;
        std::string candidates;
        for (const TSpecialCandidate& candidate : view.Candidates)
            candidates += Format("%s%s %s", candidates.empty() ? "" : ", ", candidate.Code, candidate.Name);
        output.Line("　　　　候補: " + (candidates.empty() ? std::string("なし") : candidates));
        if (!view.Notice.empty())
            output.Line("　　　　" + view.Notice);
    }
}

TJson SpecialAccountsJson(const std::vector<TSpecialView>& views)
{
    TJson json = TJson::Array();
    for (std::size_t i = 0; i < views.size(); ++i) {
        const TSpecialView& view = views[i];
        TJson candidates = TJson::Array();
        for (const TSpecialCandidate& candidate : view.Candidates)
            candidates.Push(TJson::Object()
                                .Set("code", candidate.Code)
                                .Set("name", candidate.Name)
                                .Set("class", candidate.ClassName));
        json.Push(TJson::Object()
                      .Set("slot", static_cast<int>(i) + 1)
                      .Set("name", StripAllSpaces(view.Row->Name))
                      .Set("classification", view.Row->Classification)
                      .Set("code", view.Code)
                      .Set("candidates", std::move(candidates)));
    }
    return json;
}

}  // namespace qz::cli
