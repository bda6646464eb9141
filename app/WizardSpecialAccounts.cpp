#include "app/WizardSpecialAccounts.h"

#include "app/WizardTexts.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "db/schema/StandardCharts.h"

#include <algorithm>

namespace qz {
namespace {

namespace kanjyo = column::zmkanjyo;

constexpr TSpecialAccountRow kCorporationRows[] = {
    {"101110", "現　　　　　金", "10100"},
    {"101112", "仮 払 消 費 税", "18000"},
    {"2021", "仮 受 消 費 税", "33700"},
    {"303174", "繰越利益剰余金", "85300"},
    {"99", "諸　　　　　口", "99900"},
};
constexpr TSpecialAccountRow kIndividualRows[] = {
    {"101110", "現　　　　　金", "10100"},
    {"101112", "仮 払 消 費 税", "18000"},
    {"1013", "事　業　主　貸", "28100"},
    {"2021", "仮 受 消 費 税", "33700"},
    {"2022", "事　業　主　借", "37300"},
    {"303171", "元　　入　　金", "80000"},
    {"99", "諸　　　　　口", "99900"},
};

constexpr std::string_view kRetainedEarnings = "303174";
constexpr std::string_view kRetainedEarningsCode = "85300";
// Special accounts that may be aggregated accounts: 諸口 for every client, the owner's accounts of a
// sole proprietor too. A sole proprietor may not take 19800 or 27800 for the others either.
constexpr std::string_view kCorporationMayAggregate[] = {"諸口"};
constexpr std::string_view kIndividualMayAggregate[] = {"元入金", "事業主貸", "事業主借", "諸口"};
constexpr std::string_view kIndividualRefused[] = {"19800", "27800"};

template <typename List>
bool Contains(const List& list, std::string_view value)
{
    return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

std::string JoinedClassification(const TZMKANJYO& account)
{
    return Trim(account.Text(kanjyo::kLevel1)) + Trim(account.Text(kanjyo::kLevel2)) +
           Trim(account.Text(kanjyo::kLevel3));
}

std::string NameOf(const TZMKANJYO& account)
{
    const std::string& name = account.Text(kanjyo::kName);
    return name.empty() ? account.Text(kanjyo::kShortName) : name;
}

TSpecialCandidate CandidateOf(const TZMKANJYO& account)
{
    return {TQZaimuIO::ClassificationName(JoinedClassification(account)), account.Text(kanjyo::kUserCode),
            NameOf(account)};
}

const TZMKANJYO* YearAccountOfUserCode(const TQZaimuIO& io, std::string_view code)
{
    for (const TZMKANJYO& account : io.Zmkanjyo)
        if (account.YearCode() == io.SentakuNendoCode && account.Text(kanjyo::kUserCode) == code)
            return &account;
    return nullptr;
}

bool InStandardChart(int chartKind, std::string_view code)
{
    const auto chart = schema::StandardChart(chartKind);
    return std::any_of(chart.begin(), chart.end(), [&](const schema::TChartRow& row) { return row.KCode == code; });
}

bool IsAggregation(const THxzMakeData& writer, std::string_view code)
{
    return std::any_of(writer.Aggregations.begin(), writer.Aggregations.end(),
                       [&](const TSYUYAKU& entry) { return entry.SyuyakuCode == code; });
}

// Whether the account stored for a row is an aggregated account the row may not take.
bool RefusedAsAggregation(const TQZaimuIO& io, std::string_view name, std::string_view systemCode)
{
    if (io.HoujinKojin == 2)
        return !Contains(kIndividualMayAggregate, name) &&
               (IsAggregation(io.Writer, systemCode) || Contains(kIndividualRefused, systemCode));
    return !Contains(kCorporationMayAggregate, name) && IsAggregation(io.Writer, systemCode);
}

}  // namespace

std::span<const TSpecialAccountRow> SpecialAccountRows(int houjinKojin)
{
    if (houjinKojin == 2)
        return kIndividualRows;
    return kCorporationRows;
}

std::optional<std::vector<std::string>> ProposeSpecialAccounts(TQZaimuIO& io)
{
    const bool hasYear = io.NendoIndex >= 0 && io.NendoIndex < static_cast<int>(io.Zmkannen.size());
    const std::string kind = hasYear ? io.KannenAt(static_cast<std::size_t>(io.NendoIndex)).Text(column::zmkannen::kHoujinKojin)
                                     : std::string();
    if (kind != "1" && kind != "2")
        return std::nullopt;
    io.HoujinKojin = kind == "1" ? 1 : 2;
    std::vector<std::string> codes;
    for (const TSpecialAccountRow& row : SpecialAccountRows(io.HoujinKojin))
        codes.push_back(io.UserCodeOf(row.DefaultSystemCode));
    return codes;
}

std::vector<TSpecialCandidate> SpecialAccountCandidates(const TQZaimuIO& io, const TSpecialAccountRow& row,
                                                        std::string& notice)
{
    std::vector<TSpecialCandidate> candidates;
    if (row.Classification == kRetainedEarnings) {
        if (const TZMKANJYO* account = io.YearAccount(kRetainedEarningsCode, false))
            candidates.push_back(CandidateOf(*account));
        else
            notice = kNoRetainedEarningsText;
        return candidates;
    }
    const int chartKind = io.ChartKind();
    for (const TZMKANJYO& account : io.Zmkanjyo)
        if (account.YearCode() == io.SentakuNendoCode &&
            JoinedClassification(account).find(row.Classification) != std::string::npos &&
            !Trim(NameOf(account)).empty() && InStandardChart(chartKind, account.Text(kanjyo::kSystemCode)))
            candidates.push_back(CandidateOf(account));
    return candidates;
}

std::optional<TSpecialAccountRefusal> ValidateSpecialAccounts(TQZaimuIO& io, const std::vector<std::string>& codes)
{
    const std::span<const TSpecialAccountRow> rows = SpecialAccountRows(io.HoujinKojin);
    io.Writer.BuildAggregationTable(io.ChartKind());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int slot = static_cast<int>(i);
        const std::string code = i < codes.size() ? codes[i] : std::string();
        const std::string name = StripAllSpaces(rows[i].Name);
        for (std::size_t other = 0; other < rows.size(); ++other)
            if (other != i && (other < codes.size() ? codes[other] : std::string()) == code)
                return TSpecialAccountRefusal{slot, std::string(kSameSpecialCodeText)};
        const int found = io.CheckAccountClass(rows[i].Classification, code);
        if (found == 2)
            return TSpecialAccountRefusal{slot, Format(kSetSpecialCodeFormat, name)};
        if (found == 1)
            return TSpecialAccountRefusal{slot, Format(kWrongClassFormat, code)};
        io.SetSpecialAccount(slot, code);
        if (RefusedAsAggregation(io, name, YearAccountOfUserCode(io, code)->Text(kanjyo::kSystemCode)))
            return TSpecialAccountRefusal{slot, Format(kAggregatedSpecialFormat, code)};
    }
    return std::nullopt;
}

}  // namespace qz
