// The code index of the selected year: which target branch, department and account each source code
// lands on; and the reading of every target account (user code, name, marks, tax categories).

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_AccountMaps.h"
#include "convert/ZaimuIO_StepFailure.h"
#include "convert/uQZ_ZaimuIO.h"

#include <algorithm>
#include <optional>

namespace qz {
namespace {

namespace kanjyo = column::zmkanjyo;

constexpr std::string_view kHeadOffice = "00000000";
constexpr std::string_view kSundryAccount = "99900";
constexpr std::size_t kDepartmentLimit = 100;    // the target numbers at most this many departments
constexpr std::size_t kAccountNameBytes = 28;
constexpr int kLowestCounterCode = 1;             // free and spare codes run through "001"-"999"
constexpr int kHighestCounterCode = 999;

// Totals and computed lines get no index entry; a code that is no number reads as 0 and gets none either.
bool IsCountable(const TZMKANJYO& account)
{
    const std::string& code = account.Text(kanjyo::kSystemCode);
    return TryTextToInt32(code).value_or(0) != 0 && !THxzMakeData::IsTotalLineCode(code);
}

bool IsBlank(std::string_view text)
{
    return TrimWide(text).empty();
}

std::string Part(std::string_view text, std::size_t from, std::size_t count)
{
    return from < text.size() ? std::string(text.substr(from, count)) : std::string();
}

// Where a classified source account lands. A branch-numbered account that no row names becomes its main
// account, and is marked: its sub-accounts and balances go with the main account.
std::string TargetAccountCode(TZMKANJYO& account, int chartKind)
{
    const std::string& code = account.Text(kanjyo::kSystemCode);
    const std::string main = Part(code, 0, 3);
    const int branchNo = TryTextToInt32(Part(code, 3, 2)).value_or(0);
    if (auto mapped = MappedAccountCode(chartKind, TryTextToInt32(main).value_or(0), account.Text(kanjyo::kSide)))
        return *mapped;
    if (branchNo == 0)
        return code;
    account.WorkFlag = 1;
    return main + "00";
}

void BuildBranchCodes(TQZaimuIO& io)
{
    io.Writer.BranchCodes.clear();
    for (const Tcmhonten& branch : io.Cmhonten) {
        if (branch.YearCode() != io.SentakuNendoCode)
            continue;
        const std::string& code = branch.Text(column::cmhonten::kCode);
        const int ordinal = static_cast<int>(io.Writer.BranchCodes.size());
        io.Writer.BranchCodes.push_back({code, code == kHeadOffice ? std::string(" ") : Format("%2.2d", ordinal)});
    }
    io.SitenSu = static_cast<int>(io.Writer.BranchCodes.size());
}

// Departments are numbered "0001"... when their own codes are too long for the target; beyond the
// hundredth they all land on the hundredth (ReadBumon lists them).
void BuildDepartmentCodes(TQZaimuIO& io)
{
    std::vector<TCCTCODE>& pairs = io.Writer.DepartmentCodes;
    pairs.clear();
    for (const TCMBUMON& department : io.Cmbumon) {
        if (department.YearCode() != io.SentakuNendoCode)
            continue;
        const std::size_t i = pairs.size();
        std::string target = i >= kDepartmentLimit ? pairs[kDepartmentLimit - 1].NewCode
                             : io.BumonKetasu < 5  ? department.Text(column::cmbumon::kDisplayCode)
                                                   : Format("%04d", static_cast<int>(i) + 1);
        pairs.push_back({department.Text(column::cmbumon::kCode), std::move(target)});
    }
    io.BumonSu = static_cast<int>(pairs.size());
}

// Unclassified accounts go to the sundry account; classified ones by the chart's table, totals not at all.
void BuildAccountCodes(TQZaimuIO& io)
{
    const int chartKind = io.ChartKind();
    std::vector<TCCTCODE>& pairs = io.Writer.AccountCodes;
    pairs.clear();
    pairs.reserve(static_cast<std::size_t>(io.CountAccounts()));
    io.Writer.BuildAggregationTable(chartKind);
    io.KamokuIndex.clear();
    for (TZMKANJYO& account : io.Zmkanjyo) {
        if (account.YearCode() != io.SentakuNendoCode)
            continue;
        const std::string& code = account.Text(kanjyo::kSystemCode);
        if (!TQZaimuIO::IsClassified(account)) {
            pairs.push_back({code, std::string(kSundryAccount), 1});
        } else if (IsCountable(account)) {
            std::string target = TargetAccountCode(account, chartKind);
            io.KamokuIndex.push_back(
                Format("KAMOKU_CODE %d OLDCODE=[%s] NEWCODE=[%s] ", static_cast<int>(pairs.size()), code, target));
            pairs.push_back({code, std::move(target), 0});
        }
    }
}

// A main account with branch-numbered accounts of the year is marked as well.
void MarkMainAccounts(TQZaimuIO& io)
{
    const auto ofYear = [&](const TZMKANJYO& account) { return account.YearCode() == io.SentakuNendoCode; };
    for (const TZMKANJYO& account : io.Zmkanjyo) {
        const std::string& code = account.Text(kanjyo::kSystemCode);
        if (!ofYear(account) || code.size() < 5 || code.substr(3, 2) == "00")
            continue;
        const std::string main = code.substr(0, 3) + "00";
        const auto parent = std::find_if(io.Zmkanjyo.begin(), io.Zmkanjyo.end(), [&](const TZMKANJYO& candidate) {
            return ofYear(candidate) && candidate.Text(kanjyo::kSystemCode) == main;
        });
        if (parent != io.Zmkanjyo.end())
            parent->WorkFlag = 1;
    }
}

int ChartSizeOf(int chartKind)
{
    switch (chartKind) {
    case kChartCorporation: return 400;
    case kChartIndividualGeneral: return 250;
    default: return 180;
    }
}

// A set of chart kinds of the tables below, written as their numbers ("21 22").
bool AppliesTo(std::string_view charts, int chartKind)
{
    const std::string kind = std::to_string(chartKind);
    for (const std::string_view item : SplitAt(charts, " "))
        if (item == kind)
            return true;
    return false;
}

constexpr std::string_view kEveryChart = "11 21 22";
constexpr std::string_view kIndividualCharts = "21 22";
constexpr int kKeepUse = -1;

// Names (and use) the target product fixes whatever the source calls the account.
struct TFixedName {
    std::string_view Charts;
    std::string_view Code;
    std::string_view Name;
    int Use;
    bool OnlyWhenBlank;
};
constexpr TFixedName kFixedNames[] = {
    {kEveryChart, "10000", "現金", kKeepUse, true},
    {"11", "55200", "他勘定振替高", kKeepUse, false},
    {"21", "54300", "他勘定振替高", kKeepUse, false},
    {kEveryChart, "59300", "", 0, false},
    {kEveryChart, "59600", "", 0, false},
    {kEveryChart, "59900", "", 0, false},
    {kIndividualCharts, "19800", "", 0, false},
    {kIndividualCharts, "27800", "", 0, false},
    {kIndividualCharts, "37000", "貸倒引当金", 1, false},
};

// User codes the target product fixes, given after the pass, in this order.
struct TFixedUserCode {
    std::string_view Charts;
    std::string_view Code;
    std::string_view UserCode;
};
constexpr TFixedUserCode kFixedUserCodes[] = {
    {"11", "59300", "993"},
    {"11", "59600", "994"},
    {"11", "59900", "995"},
    {"11", "55200", "593"},
    {kIndividualCharts, "19800", "991"},
    {kIndividualCharts, "27800", "992"},
    {kIndividualCharts, "37000", "198"},
    {"21", "59300", "993"},
    {"21", "59600", "994"},
    {"21", "54300", "593"},
};

// The user codes one reading of the accounts gives out: taken codes, and the two counters that find free
// ones (free codes count up from "001", spare codes down from "998").
class TUserCodes {
public:
    explicit TUserCodes(TQZaimuIO& io) : io_(io)
    {
        io_.FreeCodeCounter = 0;
        io_.SpareCodeCounter = kHighestCounterCode;
    }

    // A code no target account has yet and no classified source account of the year uses.
    bool IsFree(std::string_view code) const
    {
        const auto taken = [&](const TKMKREC& account) { return account.USERCODE == code; };
        if (std::any_of(io_.Writer.Accounts.begin(), io_.Writer.Accounts.end(), taken))
            return false;
        return std::none_of(io_.Zmkanjyo.begin(), io_.Zmkanjyo.end(), [&](const TZMKANJYO& account) {
            return account.YearCode() == io_.SentakuNendoCode && TQZaimuIO::IsClassified(account) &&
                   account.Text(kanjyo::kUserCode) == code;
        });
    }

    // A 3-digit code of the target, with its check digit when user codes carry one.
    std::string OfWidth(std::string_view code) { return io_.UserCodesCarryCheckDigit() ? io_.CheckDigit(code) : std::string(code); }

    // Nothing, with a read message naming the account, once every code is taken.
    std::optional<std::string> NextFree(std::string_view account)
    {
        auto code = Next(io_.FreeCodeCounter, +1, io_.FreeCodeKetasu == 4);
        if (!code)
            io_.ReadErrors.push_back(Format("勘定科目[%s]：フリーコードの空きがありません（001～999がすべて使用済みです）。", account));
        return code;
    }
    std::optional<std::string> NextSpare(std::string_view account)
    {
        auto code = Next(io_.SpareCodeCounter, -1, io_.UserCodesCarryCheckDigit());
        if (!code)
            io_.ReadErrors.push_back(Format("勘定科目[%s]：予備コードの空きがありません（998～001がすべて使用済みです）。", account));
        return code;
    }

private:
    // Moves the counter until its code is free; gives up once the counter has left the code range, so a
    // chart without a free code ends instead of counting for ever.
    std::optional<std::string> Next(int& counter, int step, bool checkDigit)
    {
        for (counter += step; counter >= kLowestCounterCode && counter <= kHighestCounterCode; counter += step) {
            const std::string plain = Format("%03d", counter);
            std::string code = checkDigit ? io_.CheckDigit(plain) : plain;
            if (IsFree(code))
                return code;
        }
        return std::nullopt;
    }

    TQZaimuIO& io_;
};

bool IsAggregated(const THxzMakeData& writer, std::string_view code)
{
    const bool listed = std::any_of(writer.Aggregations.begin(), writer.Aggregations.end(),
                                    [&](const TSYUYAKU& aggregation) { return aggregation.SyuyakuCode == code; });
    return listed && std::any_of(writer.AccountCodes.begin(), writer.AccountCodes.end(),
                                 [&](const TCCTCODE& pair) { return pair.NewCode == code; });
}

bool HasSubAccounts(const THxzMakeData& writer, std::string_view code)
{
    return std::any_of(writer.SubAccountCodes.begin(), writer.SubAccountCodes.end(),
                       [&](const TCCTHCODE& entry) { return entry.NewKCode == code; });
}

void ApplyFixedName(TKMKREC& account, int chartKind)
{
    for (const TFixedName& fixed : kFixedNames) {
        if (fixed.Code != account.KCODE || !AppliesTo(fixed.Charts, chartKind))
            continue;
        if (!fixed.OnlyWhenBlank || account.KNAME.empty())
            account.KNAME = fixed.Name;
        if (fixed.Use != kKeepUse)
            account.USE = fixed.Use;
    }
}

// The marks of an account: sub-accounts of aggregated accounts and of the free codes' own accounts, none
// for the special accounts whose sub-accounts are not converted, and the cost kind.
void ApplyMarks(const TQZaimuIO& io, TKMKREC& account, bool fromSource, std::string_view costFlag)
{
    const bool aggregated = IsAggregated(io.Writer, account.KCODE);
    const bool hasSubAccounts = HasSubAccounts(io.Writer, account.KCODE);
    if (!fromSource && aggregated) {
        account.USE = 1;
        if (IsBlank(account.KNAME))
            account.KNAME = "集約科目";
        if (hasSubAccounts)
            account.HOJOSW = "○";
    } else if (!fromSource && io.FreeCodeSiyou && hasSubAccounts) {
        account.HOJOSW = "○";
        account.USE = 1;
        if (IsBlank(account.KNAME))
            account.KNAME = "名称なし";
    } else if (fromSource && aggregated && hasSubAccounts) {
        account.HOJOSW = "○";
    }
    const auto skips = io.SpecialSubAccountSkips();
    if (std::find(skips.begin(), skips.end(), account.KCODE) != skips.end())
        account.HOJOSW = "×";
    if (account.GROUPM2 >= "5000" && account.GROUPM2 < "7000") {
        if (costFlag == "1")
            account.KEIHKUBU = "固";
        else if (costFlag == "2")
            account.KEIHKUBU = "変";
    }
}

int TaxCategory(const TQZaimuIO& io, const TZMKANJYO* source, std::size_t column, std::string_view code)
{
    const std::string tax = source ? source->Text(column) : std::string();
    return TryTextToInt32(io.MapTaxCode(tax, code)).value_or(0);
}

// The user code of a target account the selected year does not use; nothing when none is left.
std::optional<std::string> UnusedAccountUserCode(TQZaimuIO& io, TUserCodes& codes, const TKMKREC& account)
{
    if (!io.FreeCodeSiyou) {
        std::string code = codes.OfWidth(account.StdCode);
        if (codes.IsFree(code))
            return code;
        return codes.NextSpare(account.KCODE);
    }
    if (io.FreeCodeOver)
        return codes.OfWidth(account.StdCode);
    return codes.NextFree(account.KCODE);
}

// Reads one target account from the selected year's source account with its system code. False when it
// could not be given a user code.
bool ReadAccount(TQZaimuIO& io, TUserCodes& codes, TKMKREC& account, int chartKind)
{
    const TZMKANJYO* source = io.YearAccount(account.KCODE, true);
    std::string costFlag;
    if (source) {
        const std::string& name = source->Text(kanjyo::kName);
        account.KNAME = name.empty() ? source->Text(kanjyo::kShortName) : name;
        if (IsBlank(account.KNAME))
            account.KNAME = "名称なし";
        account.USE = 1;
        costFlag = source->Text(kanjyo::kCostKind);
        // Free codes too long for the target give way to the standard codes, in the chosen width.
        account.USERCODE = io.FreeCodeOver ? codes.OfWidth(account.StdCode) : source->Text(kanjyo::kUserCode);
    } else {
        account.KNAME.clear();
        account.USE = 0;
        const auto code = UnusedAccountUserCode(io, codes, account);
        if (!code)
            return false;
        account.USERCODE = *code;
    }
    const TZMKANJYO* taxSource = io.YearAccount(account.KCODE, false);
    account.TAX_LCODE = TaxCategory(io, taxSource, kanjyo::kDebitTax, account.KCODE);
    account.TAX_RCODE = TaxCategory(io, taxSource, kanjyo::kCreditTax, account.KCODE);
    ApplyFixedName(account, chartKind);
    account.KNAME = CutSjis(account.KNAME, kAccountNameBytes);
    ApplyMarks(io, account, source != nullptr, costFlag);
    return true;
}

bool ApplyFixedUserCodes(TQZaimuIO& io, TUserCodes& codes, int chartKind)
{
    for (const TFixedUserCode& fixed : kFixedUserCodes) {
        if (!AppliesTo(fixed.Charts, chartKind))
            continue;
        auto account = std::find_if(io.Writer.Accounts.begin(), io.Writer.Accounts.end(),
                                    [&](const TKMKREC& candidate) { return candidate.KCODE == fixed.Code; });
        if (account == io.Writer.Accounts.end())
            continue;
        account->USERCODE.clear();
        std::optional<std::string> code = codes.OfWidth(fixed.UserCode);
        const bool taken = std::any_of(io.Writer.Accounts.begin(), io.Writer.Accounts.end(),
                                       [&](const TKMKREC& other) { return other.USERCODE == *code; });
        if (taken)
            code = codes.NextSpare(account->KCODE);
        if (!code)
            return false;
        account->USERCODE = *code;
    }
    return true;
}

}  // namespace

int TQZaimuIO::CountAccounts() const
{
    return static_cast<int>(std::count_if(Zmkanjyo.begin(), Zmkanjyo.end(), [&](const TZMKANJYO& account) {
        return account.YearCode() == SentakuNendoCode && (!IsClassified(account) || IsCountable(account));
    }));
}

int TQZaimuIO::BuildCodeIndex()
{
    ShowProgress("勘定科目の索引を作成中です。");
    BuildBranchCodes(*this);
    BuildDepartmentCodes(*this);
    BuildAccountCodes(*this);
    MarkMainAccounts(*this);
    return 1;
}

bool TQZaimuIO::ReadAccounts()
{
    try {
        ShowProgress("・勘定科目を読込中です。");
        const int chartKind = ChartKind();
        Writer.LoadAccountTable(ChartSizeOf(chartKind));
        TUserCodes codes(*this);
        for (TKMKREC& account : Writer.Accounts)
            if (!ReadAccount(*this, codes, account, chartKind))
                return false;
        return ApplyFixedUserCodes(*this, codes, chartKind);
    } catch (...) {
        RecordStepFailure("勘定科目読込：", ReadErrors);
        return false;
    }
}

}  // namespace qz
