// Opening balances: the lines the writer stores as the balances at the first input month, and the check
// that the balances the target's year update carried forward agree with the source's opening balances.

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_BalanceSeries.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace qz {

using namespace convert::sql;
using balance_series::IsOfYear;

namespace {

// Columns of both balance files (ZMUCHZAN, ZMBUMZAN).
constexpr std::string_view kNoSubAccount = "00000";
constexpr std::string_view kCatchAllSubAccount = "99999";
constexpr std::string_view kBalanceSheetLevels[] = {"10", "20", "30"};


// Accounts whose carried balance the year update recomputes itself (the profit carried into the next
// year), by name.
constexpr std::string_view kCorporationRecomputed[] = {"繰越利益剰余金"};
constexpr std::string_view kIndividualRecomputed[] = {"事業主貸", "事業主借", "元入金"};

// Decimal text of an amount with two decimals, as the writer's lines carry it; the third and fourth
// decimals follow only when they are not zero, so no part of a yen is dropped.
std::string AmountText(TMoney amount)
{
    const std::int64_t raw = amount.Raw();
    const std::uint64_t magnitude = raw < 0 ? 0 - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    const std::uint64_t scale = TMoney::kScale;
    const std::uint64_t fraction = magnitude % scale;
    const char* sign = raw < 0 ? "-" : "";
    if (fraction % 100 == 0)
        return Format("%s%llu.%02llu", sign, magnitude / scale, fraction / 100);
    return Format("%s%llu.%04llu", sign, magnitude / scale, fraction);
}

// Whole yen with thousands separators, as the mismatch lines show amounts.
std::string YenText(TMoney amount)
{
    const std::int64_t yen = amount.RoundedYen();
    const std::string digits = std::to_string(yen < 0 ? 0 - static_cast<std::uint64_t>(yen) : static_cast<std::uint64_t>(yen));
    std::string text = yen < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

const TZMUCHIWAK* SubAccountOfYear(const std::vector<TZMUCHIWAK>& subAccounts, int year, std::string_view account,
                                   std::string_view code)
{
    for (const TZMUCHIWAK& subAccount : subAccounts)
        if (subAccount.YearCode() == year && subAccount.Text(column::zmuchiwa::kAccount) == account &&
            subAccount.Text(column::zmuchiwa::kSubAccount) == code)
            return &subAccount;
    return nullptr;
}

const std::string& FirstNonEmpty(const std::string& first, const std::string& second)
{
    return Trim(first).empty() ? second : first;
}

// Runs a one-value query; an empty text when there is no row.
std::string QueryText(fb::TStatement& query)
{
    query.Open();
    std::string text = query.Fetch() ? query.AsString(0) : std::string();
    query.Close();
    return text;
}

TMoney QueryMoney(fb::TStatement& query)
{
    query.Open();
    const TMoney value = query.Fetch() ? query.AsMoney(0) : TMoney();
    query.Close();
    return value;
}

// One balance row of the carry-over check: its target codes (no sub-account: empty), the source names and
// both amounts.
struct TCarryOverRow {
    std::string Branch{}, Account{}, SubAccount{};
    TMoney Opening{}, Carried{};
    std::string SourceAccountName{}, SourceSubAccountName{};
};

// The target side of the carry-over check: what the year update carried into the prior year (NENDO 1),
// and the target names the mismatch lines show.
class TCarriedBalances {
public:
    TCarriedBalances(fb::TTransaction& transaction, bool taxExcluded)
        : accountSum_(transaction), subAccountSum_(transaction), branchName_(transaction), accountName_(transaction),
          subAccountName_(transaction)
    {
        accountSum_.Prepare(taxExcluded ? kSumCarriedTaxExcludedOfAccount : kSumCarriedTaxIncludedOfAccount);
        subAccountSum_.Prepare(taxExcluded ? kSumCarriedTaxExcludedOfSubAccount : kSumCarriedTaxIncludedOfSubAccount);
        branchName_.Prepare(kSelectBranchName);
        accountName_.Prepare(kSelectAccountName);
        subAccountName_.Prepare(kSelectSubAccountName);
    }

    // The sub-account's carried balance, or the whole account's for an empty sub-account.
    TMoney Sum(const std::string& branch, const std::string& account, const std::string& subAccount)
    {
        fb::TStatement& sum = subAccount.empty() ? accountSum_ : subAccountSum_;
        sum.SetString("SCODE", branch).SetString("KCODE", account);
        if (!subAccount.empty())
            sum.SetString("HCODE", subAccount);
        return QueryMoney(sum);
    }
    std::string BranchName(const std::string& branch)
    {
        branchName_.SetString("CODE", branch);
        return QueryText(branchName_);
    }
    std::string AccountName(const std::string& account)
    {
        accountName_.SetString("CODE", account);
        return QueryText(accountName_);
    }
    std::string SubAccountName(const std::string& account, const std::string& subAccount)
    {
        subAccountName_.SetString("KCODE", account).SetString("HCODE", subAccount);
        return QueryText(subAccountName_);
    }

private:
    fb::TStatement accountSum_, subAccountSum_, branchName_, accountName_, subAccountName_;
};

std::string MismatchLine(const TCarryOverRow& row, TCarriedBalances& target, bool branches)
{
    std::string line = "  ";
    if (branches)
        line += Format("[%s:%s]", row.Branch, target.BranchName(row.Branch));
    if (row.SubAccount.empty())
        line += Format("[%s:%s]", row.SourceAccountName, target.AccountName(row.Account));
    else
        line += Format("[%s-%s:%s]", row.SourceAccountName, row.SourceSubAccountName,
                       target.SubAccountName(row.Account, row.SubAccount));
    return line + Format(" 期末[%s] 期首[%s]", YenText(row.Carried), YenText(row.Opening));
}

// The carry-over check covers the balance-sheet accounts, except a main account whose branch-numbered
// accounts were merged into it.
bool IsCheckedAccount(const TZMKANJYO& account)
{
    const std::string& level = account.Text(column::zmkanjyo::kLevel1);
    return account.WorkFlag == 0 &&
           std::find(std::begin(kBalanceSheetLevels), std::end(kBalanceSheetLevels), level) != std::end(kBalanceSheetLevels);
}

}  // namespace

std::string TQZaimuIO::ReadKaisiZan(int code, int month, int past)
{
    // Any other month would open every balance at nothing.
    if (month < 1 || month > 12)
        throw std::out_of_range(Format("開始残高：入力開始月(%d)が正しくありません。", month));
    ShowProgress("・開始残高を読込中です。");
    const std::string kind = std::to_string(ZandakaSyubetu);
    const bool departments = DepartmentsInUse();
    const std::string accountLevelDepartment = departments ? "00" : " ";

    TLineBlockBuilder lines;
    const auto addLine = [&](const std::string& scode, const std::string& kcode, const std::string& hcode,
                             const std::string& bcode, int side, TMoney amount) {
        const std::string sideText = std::to_string(side);
        const std::string amountText = AmountText(amount);
        lines.AddLine({{"SCODE", scode}, {"KCODE", kcode}, {"HCODE", hcode}, {"BCODE", bcode},
                       {"TAISHAKU", sideText}, {"KAISIZAN", amountText}});
    };
    const auto hasOwnSubAccounts = [&](const std::string& account) {
        return std::any_of(Zmuchiwa.begin(), Zmuchiwa.end(), [&](const TZMUCHIWAK& subAccount) {
            return subAccount.YearCode() == SentakuNendoCode && subAccount.Text(column::zmuchiwa::kAccount) == account;
        });
    };

    for (const TZMUCHZAN& row : Zmuchzan) {
        if (!IsOfYear(row, code, kind))
            continue;
        // A total line has no account to open: looking it up would count as a code the year lacks and refuse
        // the year's journals.
        const std::string& account = row.Text(column::balance::kAccount);
        if (!YearAccount(account, true) || THxzMakeData::IsTotalLineCode(account))
            continue;
        const std::string fac = Writer.ConvertBranchCode(row.Text(column::balance::kBranch));
        if (BranchesInUse() && fac == " ")
            continue;
        const int side = balance_series::SideOf(Zmkanjyo, code, account);
        const std::string k = Writer.ConvertAccountCode(account);
        if (k.empty())
            continue;
        const std::string& sub = row.Text(column::balance::kSubAccount);
        const TMoney amount = balance_series::AtMonthStart(row, month, side);

        if (Writer.HasSubAccountBalances(fac, k)) {
            if (sub != kNoSubAccount) {
                const TZMUCHIWAK* source = SubAccountOfYear(Zmuchiwa, code, account, sub);
                std::string h = Writer.ConvertSubAccountCode(account, sub, past != 0,
                                                             source ? source->Text(column::zmuchiwa::kUserCode) : sub);
                if (sub == kCatchAllSubAccount && h == " ")
                    h = Writer.AllNineCode;
                addLine(fac, k, h, accountLevelDepartment, side, amount);
                continue;
            }
            // The account's own row goes to the account level. An account merged into an aggregated one
            // (or the aggregated account itself) without sub-accounts of its own also has a sub-account made
            // for it, where its journals land: the balance goes there too, and the writer's remainder on the
            // all-nines sub-account stays what the named sub-accounts leave.
            const std::string own = Writer.LookupSubAccountCode(account, " ", true);
            addLine(fac, k, " ", accountLevelDepartment, side, amount);
            if (own != " " && !hasOwnSubAccounts(account))
                addLine(fac, k, own, accountLevelDepartment, side, amount);
        } else if (sub == kNoSubAccount) {
            addLine(fac, k, " ", " ", side, amount);
            if (!departments)
                continue;
            for (const TZMBUMZAN& part : Zmbumzan)
                if (IsOfYear(part, code, kind) && part.Text(column::balance::kBranch) == row.Text(column::balance::kBranch) &&
                    part.Text(column::balance::kAccount) == account)
                    addLine(fac, k, " ", Writer.ConvertDepartmentCode(part.Text(column::balance::kDepartment)), side,
                            balance_series::AtMonthStart(part, month, side));
        }
    }
    return lines.Text();
}

bool TQZaimuIO::CheckCarryOver(int code, std::vector<std::string>& list)
{
    list.clear();
    const std::string kind = std::to_string(ZandakaSyubetu);
    const std::span<const std::string_view> recomputedNames =
        ChartKind() == kChartCorporation ? std::span<const std::string_view>(kCorporationRecomputed) : kIndividualRecomputed;
    const auto isRecomputed = [&](const std::string& kcode) {
        return std::any_of(recomputedNames.begin(), recomputedNames.end(),
                           [&](std::string_view name) { return SpecialAccountCodes().Get(name).KCode == kcode; });
    };
    // An aggregated account's total holds every account merged into it: no single source row explains it.
    const auto hasMergedAccounts = [&](const std::string& kcode) {
        return std::any_of(Writer.Aggregations.begin(), Writer.Aggregations.end(), [&](const TSYUYAKU& aggregation) {
            return aggregation.SyuyakuCode == kcode && aggregation.MergedAccounts > 0;
        });
    };

    TCarriedBalances target(Transaction(), AccInfo().TAXDEFUH != 0);
    bool agrees = true;
    for (const TZMUCHZAN& row : Zmuchzan) {
        if (!IsOfYear(row, code, kind))
            continue;
        const std::string& account = row.Text(column::balance::kAccount);
        const TZMKANJYO* source = YearAccount(account, false);
        if (!source || !IsCheckedAccount(*source) || THxzMakeData::IsTotalLineCode(account))
            continue;
        const std::string& sub = row.Text(column::balance::kSubAccount);
        TCarryOverRow checked{.Branch = Writer.ConvertBranchCode(row.Text(column::balance::kBranch)),
                              .Account = Writer.ConvertAccountCode(account),
                              .SubAccount = sub != kNoSubAccount ? Writer.FindSubAccountTarget(account, sub) : std::string(),
                              .Opening = row.Amount(column::balance::kOpening)};
        if ((BranchesInUse() && checked.Branch == " ") || checked.Account.empty() || isRecomputed(checked.Account) ||
            hasMergedAccounts(checked.Account))
            continue;
        // A sub-account the selected year no longer has has no target of its own; the account's own row
        // checks the account's total.
        if (sub != kNoSubAccount && Trim(checked.SubAccount).empty())
            continue;
        checked.Carried = target.Sum(checked.Branch, checked.Account, checked.SubAccount);
        // A target kept on the other side holds the same balance with the opposite sign.
        if (checked.Carried == checked.Opening || checked.Carried + checked.Opening == TMoney())
            continue;
        agrees = false;
        checked.SourceAccountName = FirstNonEmpty(source->Text(column::zmkanjyo::kName), source->Text(column::zmkanjyo::kShortName));
        if (sub != kNoSubAccount)
            if (const TZMUCHIWAK* sourceSub = SubAccountOfYear(Zmuchiwa, SentakuNendoCode, account, sub))
                checked.SourceSubAccountName =
                    FirstNonEmpty(sourceSub->Text(column::zmuchiwa::kName), sourceSub->Text(column::zmuchiwa::kSecondName));
        list.push_back(MismatchLine(checked, target, BranchesInUse()));
    }
    return agrees;
}

}  // namespace qz
