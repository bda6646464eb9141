// The code tables of one conversion and the lookups that convert every source code through them.

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "db/schema/StandardCharts.h"
#include "writer/DataKakikomi_Statements.h"
#include "writer/uQZ_DataKakikomi.h"

#include <algorithm>
#include <span>

namespace qz {

using namespace writer::sql;

namespace {

// The aggregated accounts (集約科目) of each chart: accounts into which others may be merged.
constexpr std::string_view kAggregationsCorporation[] = {
    "11300", "15500", "16900", "21700", "21800", "23100", "24500", "25500", "27700", "28500", "27800",
    "29500", "34300", "37600", "38100", "80100", "80400", "80700", "81100", "83000", "85700", "86000",
    "87100", "87400", "87800", "89000", "41400", "42600", "44400", "46300", "49400", "49500", "49800",
    "52300", "55800", "63000", "91300", "96200", "93700", "94800", "98100", "99900", "49700", "55200"};
constexpr std::string_view kAggregationsIndividualGeneral[] = {
    "10200", "11300", "13400", "14300", "15400", "16900", "19300", "37000", "21700", "21800",
    "23100", "24300", "25200", "27700", "28200", "27800", "29500", "34200", "37600", "80000",
    "41100", "42500", "44100", "45700", "49100", "49800", "50400", "51500", "52300", "55500",
    "69400", "95600", "90700", "94600", "97400", "28100", "37300", "49700", "54300", "99900"};
constexpr std::string_view kAggregationsIndividualRealEstate[] = {
    "10200", "11300", "13400", "14300", "15400", "16900", "19300", "19800", "21700", "21800",
    "23100", "24300", "25200", "27700", "28200", "27800", "29500", "34200", "37600", "80000",
    "40400", "42500", "44100", "69700", "28100", "37300", "99900"};

std::span<const std::string_view> AggregationsOf(int dataType)
{
    switch (dataType) {
    case kChartCorporation: return kAggregationsCorporation;
    case kChartIndividualGeneral: return kAggregationsIndividualGeneral;
    case kChartIndividualRealEstate: return kAggregationsIndividualRealEstate;
    default: return {};
    }
}

// The chart of accounts of a table size: 400 accounts for a corporation, 250 and 180 for the charts of a
// sole proprietor.
int ChartKindOfSize(int size)
{
    switch (size) {
    case 400: return kChartCorporation;
    case 250: return kChartIndividualGeneral;
    case 180: return kChartIndividualRealEstate;
    default: throw std::invalid_argument(Format("no standard chart has %d accounts", size));
    }
}

std::string FirstThree(std::string_view code)
{
    return std::string(code.substr(0, 3));
}

constexpr std::string_view kSundryAccount = "99900";
constexpr std::string_view kAccountWithoutSubAccount = "99999";

}  // namespace

void THxzMakeData::BuildAggregationTable(int dataType)
{
    const std::span<const std::string_view> codes = AggregationsOf(dataType);
    if (codes.empty())
        return;
    Aggregations.clear();
    for (const std::string_view code : codes)
        Aggregations.push_back({std::string(code)});
}

void THxzMakeData::LoadAccountTable(int size)
{
    const std::span<const schema::TChartRow> chart = schema::StandardChart(ChartKindOfSize(size));
    Accounts.assign(chart.size(), TKMKREC{});
    fb::TStatement attributes(Transaction());
    attributes.Prepare(kSelectAccountAttributes);
    for (std::size_t i = 0; i < chart.size(); ++i) {
        TKMKREC& account = Accounts[i];
        account.KCODE = chart[i].KCode;
        account.StdCode = chart[i].StdCode;
        account.HOJOSW = "－";
        account.KEIHKUBU = "－";
        attributes.SetString("SYSCODE", account.KCODE);
        attributes.Open();
        if (attributes.Fetch()) {
            account.GROUPM1 = attributes.AsString("GROUPM1");
            account.GROUPM2 = attributes.AsString("GROUPM2");
            account.BLDAC = static_cast<int>(attributes.AsInt("BLDAC"));
            account.DAC = static_cast<int>(attributes.AsInt("DAC"));
            account.TAX_LCODE = static_cast<int>(attributes.AsInt("TAX_LCODE"));
            account.TAX_RCODE = static_cast<int>(attributes.AsInt("TAX_RCODE"));
            account.FUN_LCODE = static_cast<int>(attributes.AsInt("FUN_LCODE"));
            account.FUN_RCODE = static_cast<int>(attributes.AsInt("FUN_RCODE"));
            account.BPFLG = attributes.AsString("BPFLG");
            account.KEIHKUBU = attributes.AsString("KEIHKUBU");
        }
        attributes.Close();
    }
}

bool THxzMakeData::IsTotalLineCode(std::string_view code)
{
    const auto number = TryTextToInt(code);
    return number && ((*number >= 39000 && *number <= 39900) || (*number >= 98600 && *number <= 99400) ||
                      (*number >= 99500 && *number <= 99800));
}

void THxzMakeData::AddMissingCode(const std::string& entry)
{
    for (const std::string_view line : SplitAt(MissingCodes, "\r\n"))
        if (line == entry)
            return;
    MissingCodes += (MissingCodes.empty() ? "" : "\r\n") + entry;
}

void THxzMakeData::SetStatus(const std::string& text)
{
    if (StatusControl)
        StatusControl->SetCaption(text);
}

std::string THxzMakeData::ConvertAccountCode(std::string_view code)
{
    if (code.starts_with("A"))
        return std::string(kSundryAccount);
    for (const TCCTCODE& pair : AccountCodes)
        if (pair.OldCode == code)
            return pair.NewCode;
    AccountLookupError = kLookupAccountMissing;
    AddMissingCode(Format("  [\"%s\"]", FirstThree(code)));
    // A total or computed line has no target by design: not worth the status line.
    if (!IsTotalLineCode(code))
        SetStatus(Format("[%s]科目コードが見つからない", code));
    return {};
}

std::string THxzMakeData::ConvertToUserCode(std::string_view code)
{
    const std::string_view source = code.starts_with("A") ? kSundryAccount : code;
    for (const TCCTCODE& pair : AccountCodes) {
        if (pair.OldCode != source)
            continue;
        for (const TKMKREC& account : Accounts)
            if (account.KCODE == pair.NewCode)
                return account.USERCODE;
    }
    AccountLookupError = kLookupUserCodeMissing;
    AddMissingCode(Format("  [\"%s\"]", FirstThree(code)));
    SetStatus(Format("[%s]ユーザーコードに変換できない。", code));
    return "Error[" + std::string(code) + "]";
}

std::string THxzMakeData::ConvertBranchCode(std::string_view code) const
{
    if (AccInfo().SITEN != 0)
        for (const TCCTCODE& pair : BranchCodes)
            if (pair.OldCode == code)
                return pair.NewCode;
    return " ";
}

std::string THxzMakeData::ConvertDepartmentCode(std::string_view code) const
{
    if (AccInfo().BUMON == 0)
        return " ";
    if (!code.empty())
        for (const TCCTCODE& pair : DepartmentCodes)
            if (pair.OldCode == code)
                return pair.NewCode;
    return "00";  // the common department
}

bool THxzMakeData::HasSubAccountSource(std::string_view account) const
{
    const auto any = [&](auto predicate) { return std::any_of(SubAccountCodes.begin(), SubAccountCodes.end(), predicate); };
    const auto targetsSundry = [](const TCCTHCODE& entry) { return entry.NewKCode == kSundryAccount; };
    if (account.starts_with("A"))
        return any(targetsSundry);
    if (any([&](const TCCTHCODE& entry) { return entry.OldKCode == account; }))
        return true;
    return account == kSundryAccount && any(targetsSundry);
}

std::string THxzMakeData::FindSubAccountTarget(std::string_view account, std::string_view subAccount) const
{
    for (const TCCTHCODE& entry : SubAccountCodes)
        if (entry.OldKCode == account && entry.OldHCode == subAccount)
            return entry.NewHCode;
    return {};
}

std::string THxzMakeData::ConvertSubAccountCode(std::string_view account, std::string_view subAccount, bool pastYear,
                                                std::string_view description)
{
    if (std::find(SkipSubAccountCodes.begin(), SkipSubAccountCodes.end(), account) != SkipSubAccountCodes.end())
        return " ";
    if (subAccount.empty() && !HasSubAccountSource(account))
        return " ";
    if (subAccount.empty()) {
        const std::string target = ConvertAccountCode(account);
        for (const TCCTHCODE& entry : SubAccountCodes)
            if (entry.OldKCode == account && entry.OldHCode == kAccountWithoutSubAccount && entry.NewKCode == target)
                return entry.NewHCode;
        // No entry stands for the account without sub-account (an account merged into one that has
        // sub-accounts): the all-nines sub-account below takes it, so the entry is not left without one.
    }
    for (const TCCTHCODE& entry : SubAccountCodes)
        if (entry.OldKCode == account && (entry.OldHCode == subAccount || Trim(entry.OldHCode) == subAccount))
            return entry.NewHCode;
    const std::string target = ConvertAccountCode(account);
    for (const TCCTHCODE& entry : SubAccountCodes)
        if (entry.NewKCode == target && entry.NewHCode == AllNineCode)
            return AllNineCode;
    SubAccountLookupError = kLookupSubAccountMissing;
    AddMissingCode(Format("  [\"%s\"-\"%s\"]", FirstThree(account), description));
    SetStatus(Format(pastYear ? "過去：MendalⅢ科目内訳[\"%s\"-\"%s\"(%s)]が存在しない。"
                              : "当期：MendalⅢ科目内訳[\"%s\"-\"%s\"(%s)]が存在しない。",
                     account, subAccount, description));
    if (SubAccountMessageBudget > 0)
        --SubAccountMessageBudget;
    return " ";
}

bool THxzMakeData::IsActiveAggregation(std::string_view kcode) const
{
    return std::any_of(Aggregations.begin(), Aggregations.end(),
                       [&](const TSYUYAKU& aggregation) { return aggregation.SyuyakuCode == kcode && aggregation.MergedMulti > 0; });
}

std::string THxzMakeData::LookupSubAccountCode(std::string_view account, std::string_view defaultCode, bool flag) const
{
    for (const TCCTHCODE& entry : SubAccountCodes)
        if (entry.OldKCode == account && (entry.OldKCode != entry.NewKCode || (flag && IsActiveAggregation(account))))
            return entry.NewHCode;
    return std::string(defaultCode);
}

}  // namespace qz
