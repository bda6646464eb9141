// The reconciliation: the source's balances and journal entries read from the extract the way the
// conversion reads them, the target's read back from its own tables grouped in the database, both per
// branch, account and slot (balances) or per month (journals), and every place where they differ.

#include "verify/Reconcile.h"

#include "common/Format.h"
#include "common/LineReader.h"
#include "common/PeriodCalendar.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_BalanceSeries.h"
#include "convert/ZaimuIO_JournalLines.h"
#include "db/DataModule.h"
#include "verify/Verify_Statements.h"
#include "yearupdate/NendoKousin_Steps.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_map>

namespace qz {
namespace {

using namespace verify::sql;
namespace fs = std::filesystem;

constexpr int kSlots = column::balance::kSlots;
constexpr std::string_view kNoSubAccount = "00000";

// What differs between the years a conversion takes.
struct TYearKind {
    std::string_view Name;
    int Nendo;                        // KAKOZAN's year slot once the run is done; 0 the current year
    std::string_view Journals;        // the statement that sums its journal table
};
constexpr TYearKind kYearKinds[] = {
    {"当期", 0, kSumCurrentJournals}, {"前期", 1, kSumPriorJournals}, {"前々期", 2, kSumPriorPriorJournals}};

constexpr std::string_view kSettlementNames[] = {"第1四半期決算", "第2四半期決算", "第3四半期決算", "期末決算"};

// Per slot: [0] the opening, [n] slot n.
using TSlots = std::array<TMoney, kSlots + 1>;
// Target branch (trimmed; empty for the head office) and account.
using TAccountKey = std::pair<std::string, std::string>;

struct TSourceBalance {
    TSlots AtSlotEnd{};               // [0] the opening, [n] the balance at the end of slot n
    std::set<std::string> Accounts;   // "code name" of the source accounts summed here
};

struct TTargetBalance {
    TSlots Movements{};               // [0] the opening, [n] the movement of slot n, on the account's side
};

// Per calendar month: the source's entries, and the target's debit and credit rows.
struct TMonthJournals {
    int SourceCount = 0;
    TMoney SourceAmount;
    std::array<int, 2> TargetCount{};
    std::array<TMoney, 2> TargetAmount{};
};
using TMonthKey = std::pair<int, int>;   // calendar year and month; (0, 0) for no date

bool IsZero(const TSlots& slots)
{
    return std::all_of(slots.begin(), slots.end(), [](TMoney amount) { return amount == TMoney(); });
}

std::string CodeOf(std::string text)
{
    return Trim(text);
}

// The month a slot closes and its name: a month slot by its calendar month, a settlement slot by its kind.
struct TSlotMonth {
    int Month = 0;                    // 1-12 of the fiscal year
    bool Settlement = false;
};
TSlotMonth SlotMonth(int slot)
{
    const int quarter = (slot - 1) / 4;
    const int inQuarter = (slot - 1) % 4;   // 3: the quarter's settlement
    return {quarter * 3 + std::min(inQuarter, 2) + 1, inQuarter == 3};
}

// A balance slot is named after the calendar month of its closing date (with a closing day, the month of
// the year's first closing after its first day, and so on).
struct TCalendarMonth {
    int Year = 0, Month = 0;
};
TCalendarMonth CalendarMonthOf(TDate start, int closingDay, int monthOfYear)
{
    const TDate closing = ClosingDate(monthOfYear - 1, closingDay, start);
    return {closing.Year(), closing.Month()};
}

std::string MonthName(int year, int month)
{
    return year == 0 ? std::string("日付なし") : Format("%d年%d月", year, month);
}

// The writer's lookups tell the operator of every code they miss; the reconciliation only asks, so it
// leaves the writer's counters, list and status as it found them.
class TQuietLookups {
public:
    explicit TQuietLookups(THxzMakeData& writer)
        : writer_(writer), account_(writer.AccountLookupError), subAccount_(writer.SubAccountLookupError),
          missing_(writer.MissingCodes), status_(writer.StatusControl)
    {
        writer.StatusControl = nullptr;
    }
    ~TQuietLookups()
    {
        writer_.AccountLookupError = account_;
        writer_.SubAccountLookupError = subAccount_;
        writer_.MissingCodes = missing_;
        writer_.StatusControl = status_;
    }
    TQuietLookups(const TQuietLookups&) = delete;
    TQuietLookups& operator=(const TQuietLookups&) = delete;

private:
    THxzMakeData& writer_;
    int account_, subAccount_;
    std::string missing_;
    TStatusCaption* status_;
};

// The target's accounts: name and balance side.
struct TTargetAccount {
    std::string Name;
    std::int64_t Dac = 0;
};

class TReconciler {
public:
    TReconciler(TQZaimuIO& io, fb::TTransaction& data, const TReconcileOptions& options)
        : io_(io), data_(data), options_(options), taxExcluded_(io.ZandakaSyubetu == 2)
    {
    }

    TReconciliation Run()
    {
        TReconciliation result;
        result.ClientCode = io_.Dtmanage.KanyosakiCodeText;
        result.ClientName = io_.Dtmanage.KanyosakiName;
        result.Made = TDate::Today();
        result.TaxExcluded = taxExcluded_;
        BuildIndex();
        ReadTargetAccounts();
        const std::vector<TYearPlan> years = PlanYears();
        ReadSourceJournals(years);
        for (const TYearPlan& year : years)
            result.Years.push_back(ReconcileYear(year, result));
        return result;
    }

private:
    struct TYearPlan {
        const TYearKind* Kind = nullptr;
        int Code = -1;
        TDate Start{}, End{};
        int ClosingDay = kMonthEndClosingDay;
        int FirstMonth = 1;           // the first input month
        std::string NotTaken{};       // why the run does not take the year at all
    };

    // The account index of the selected year, built again as the run built it (without its progress line).
    void BuildIndex()
    {
        TProgressLines* memo = io_.LogMemo;
        io_.LogMemo = nullptr;
        io_.BuildCodeIndex();
        io_.LogMemo = memo;
    }

    void ReadTargetAccounts()
    {
        fb::TStatement query(data_);
        query.Prepare(kSelectAccounts);
        query.Open();
        while (query.Fetch())
            accounts_[CodeOf(query.AsString(0))] = {query.AsString(1), query.AsInt(2)};
    }

    const TJigyouNendo* ManifestEntry(int code) const
    {
        const int count = std::clamp(io_.Dtmanage.NendoCount, 0, static_cast<int>(io_.Dtmanage.Nendo.size()));
        for (int i = 0; i < count; ++i)
            if (io_.Dtmanage.Nendo[static_cast<std::size_t>(i)].Code == code)
                return &io_.Dtmanage.Nendo[static_cast<std::size_t>(i)];
        return nullptr;
    }

    // The years the run takes, with the first input month of each as the run works it out: the selected
    // year's and a year without an older one before it from their own data, a prior year written on top of
    // the prior-prior year from its first month.
    std::vector<TYearPlan> PlanYears() const
    {
        const int codes[] = {io_.SentakuNendoCode, io_.ZenkiNendoCode, io_.ZenzenkiNendoCode};
        std::vector<TYearPlan> plans;
        for (std::size_t i = 0; i < std::size(kYearKinds); ++i) {
            if (codes[i] == -1)
                continue;
            TYearPlan plan{&kYearKinds[i], codes[i]};
            if (const TJigyouNendo* entry = ManifestEntry(codes[i])) {
                plan.Start = entry->Start;
                plan.End = entry->End;
                plan.ClosingDay = entry->Simebi;
            }
            const bool olderTaken = i == 1 && io_.ZenzenkiNendoCode != -1;
            plan.FirstMonth = olderTaken ? 1 : io_.FirstInputMonthOfExtract(codes[i], plan.Start.Month());
            plans.push_back(plan);
        }
        if (plans.front().FirstMonth != 1)
            for (std::size_t i = 1; i < plans.size(); ++i)
                plans[i].NotTaken = "当期の入力開始月が期首ではないため、過年度は取り込みません。";
        return plans;
    }

    TReconciledYear ReconcileYear(const TYearPlan& plan, TReconciliation& result)
    {
        TReconciledYear year{.Name = std::string(plan.Kind->Name), .Code = plan.Code, .Start = plan.Start, .End = plan.End};
        if (!plan.NotTaken.empty()) {
            year.Reason = plan.NotTaken;
            return year;
        }
        const std::map<TAccountKey, TTargetBalance> target = TargetBalances(*plan.Kind);
        std::map<TMonthKey, TMonthJournals>& journals = journals_[plan.Code];
        ReadTargetJournals(*plan.Kind, journals);
        const bool held = plan.Kind->Nendo == 0 || !target.empty() ||
                          std::any_of(journals.begin(), journals.end(), [](const auto& month) {
                              return month.second.TargetCount[0] + month.second.TargetCount[1] > 0;
                          });
        if (!held) {
            year.Reason = DropReason(plan.Code);
            return year;
        }
        year.Compared = true;
        CompareBalances(plan, SourceBalances(plan, result), target, year, result);
        CompareJournals(plan, journals, year, result);
        return year;
    }

    std::string DropReason(int code) const
    {
        for (const TDroppedYear& dropped : options_.DroppedYears)
            if (dropped.Code == code)
                return dropped.Reason;
        return "変換先にこの年度のデータがありません（取込の中止、または過年度残高のクリア）。";
    }

    // ---- Balances

    int Sign(const std::string& account) const
    {
        const auto found = accounts_.find(account);
        if (found == accounts_.end())
            throw std::runtime_error(Format("変換先に勘定科目[%s]がありません。", account));
        return yearupdate::BalanceSign(found->second.Dac, account);
    }

    std::string SourceAccountText(int year, const std::string& account) const
    {
        for (const TZMKANJYO& record : io_.Zmkanjyo)
            if (record.YearCode() == year && record.Text(column::zmkanjyo::kSystemCode) == account) {
                const std::string& name = record.Text(column::zmkanjyo::kName);
                return Trim(account + " " + (Trim(name).empty() ? record.Text(column::zmkanjyo::kShortName) : name));
            }
        return account;
    }

    // The account rows ("no sub-account": the account's total, its sub-accounts and departments included) of
    // the year and balance kind, per target branch and account, on the target account's side.
    std::map<TAccountKey, TSourceBalance> SourceBalances(const TYearPlan& plan, TReconciliation& result)
    {
        TQuietLookups quiet(io_.Writer);
        const std::string kind = std::to_string(io_.ZandakaSyubetu);
        std::map<TAccountKey, TSourceBalance> balances;
        std::set<std::string> leftOut;
        for (const TZMUCHZAN& row : io_.Zmuchzan) {
            if (!balance_series::IsOfYear(row, plan.Code, kind) || row.Text(column::balance::kSubAccount) != kNoSubAccount)
                continue;
            const std::string& account = row.Text(column::balance::kAccount);
            const int side = balance_series::SideOf(io_.Zmkanjyo, plan.Code, account);
            const std::string target = io_.Writer.ConvertAccountCode(account);
            if (target.empty()) {
                if (HoldsAmounts(row, side) && leftOut.insert(account).second)
                    result.LeftOut.push_back(LeftOutAccount(plan, account, balance_series::AtSlotEnd(row, kSlots, side)));
                continue;
            }
            // With branches in use the head office's row stands for the whole company.
            const std::string branch = io_.Writer.ConvertBranchCode(row.Text(column::balance::kBranch));
            if (io_.BranchesInUse() && branch == " ")
                continue;
            const int toTarget = Sign(target) * (side == 2 ? -1 : 1);
            TSourceBalance& balance = balances[{CodeOf(branch), target}];
            balance.Accounts.insert(SourceAccountText(plan.Code, account));
            for (int slot = 0; slot <= kSlots; ++slot) {
                const TMoney amount = balance_series::AtSlotEnd(row, slot, side);
                balance.AtSlotEnd[static_cast<std::size_t>(slot)] += toTarget < 0 ? -amount : amount;
            }
        }
        return balances;
    }

    static bool HoldsAmounts(const TExtractRecord& row, int side)
    {
        for (int slot = 0; slot <= kSlots; ++slot)
            if (balance_series::AtSlotEnd(row, slot, side) != TMoney())
                return true;
        return false;
    }

    TLeftOutAccount LeftOutAccount(const TYearPlan& plan, const std::string& account, TMoney closing) const
    {
        const bool inChart = io_.YearAccount(account, false) != nullptr;
        return {std::string(plan.Kind->Name), account, Trim(SourceAccountText(plan.Code, account).substr(account.size())),
                inChart ? "合計・計算行の科目は変換しません。" : "当期の科目にないため変換しません。", closing};
    }

    std::map<TAccountKey, TTargetBalance> TargetBalances(const TYearKind& kind)
    {
        std::map<TAccountKey, TTargetBalance> balances = kind.Nendo == 0 ? CurrentBalances() : PastBalances(kind.Nendo);
        std::erase_if(balances, [](const auto& entry) { return IsZero(entry.second.Movements); });
        return balances;
    }

    // The current year: KAMOKU_SZ's opening and KAMOKU_MS's movements; without tax, the year's tax in the two
    // tax accounts, as the year update carries them.
    std::map<TAccountKey, TTargetBalance> CurrentBalances()
    {
        std::map<TAccountKey, TTargetBalance> balances;
        const int view = taxExcluded_ ? 1 : 0;
        {
            fb::TStatement query(data_);
            query.Prepare(kSumOpeningBalances);
            query.Open();
            while (query.Fetch())
                balances[{CodeOf(query.AsString(0)), CodeOf(query.AsString(1))}].Movements[0] += query.AsMoney(2 + view);
        }
        {
            fb::TStatement query(data_);
            query.Prepare(kSumSlotMovements);
            query.Open();
            while (query.Fetch()) {
                const std::string account = CodeOf(query.AsString(1));
                const TMoney debitLessCredit = query.AsMoney(3 + view);
                if (debitLessCredit == TMoney())
                    continue;
                TSlots& slots = balances[{CodeOf(query.AsString(0)), account}].Movements;
                slots[CheckedSlot(query.AsInt(2))] += Sign(account) < 0 ? -debitLessCredit : debitLessCredit;
            }
        }
        if (taxExcluded_)
            AddYearTax(balances);
        return balances;
    }

    void AddYearTax(std::map<TAccountKey, TTargetBalance>& balances)
    {
        const std::string received = SpecialAccountCodes().Get("仮受消費税").KCode;
        const std::string paid = SpecialAccountCodes().Get("仮払消費税").KCode;
        fb::TStatement query(data_);
        query.Prepare(kSumSlotTax);
        query.Open();
        while (query.Fetch()) {
            const bool isReceived = query.AsInt(2) == 1;
            const TMoney debitLessCredit = query.AsMoney(3);
            const std::string& account = isReceived ? received : paid;
            if (debitLessCredit == TMoney() || Trim(account).empty())
                continue;
            balances[{CodeOf(query.AsString(0)), CodeOf(account)}].Movements[CheckedSlot(query.AsInt(1))] +=
                isReceived ? -debitLessCredit : debitLessCredit;
        }
    }

    // A past year: KAKOZAN of its year slot, the opening and each slot's movement on the account's side.
    std::map<TAccountKey, TTargetBalance> PastBalances(int nendo)
    {
        std::map<TAccountKey, TTargetBalance> balances;
        fb::TStatement query(data_);
        query.Prepare(kSumPastBalances);
        query.SetInt("NENDO", nendo);
        query.Open();
        const int firstSlotColumn = taxExcluded_ ? 3 + kSlots : 3;
        while (query.Fetch()) {
            TSlots& slots = balances[{CodeOf(query.AsString(0)), CodeOf(query.AsString(1))}].Movements;
            slots[0] += query.AsMoney(2);
            for (int slot = 1; slot <= kSlots; ++slot)
                slots[static_cast<std::size_t>(slot)] += query.AsMoney(firstSlotColumn + slot - 1);
        }
        return balances;
    }

    static std::size_t CheckedSlot(std::int64_t slot)
    {
        if (slot < 1 || slot > kSlots)
            throw std::runtime_error(Format("変換先の月番号(%d)が正しくありません。", slot));
        return static_cast<std::size_t>(slot);
    }

    // Per branch and account, the slots from the one closing the month before the first input month (the
    // balance input starts from) to the year-end settlement. A difference is told where it appears or
    // changes.
    void CompareBalances(const TYearPlan& plan, const std::map<TAccountKey, TSourceBalance>& source,
                         const std::map<TAccountKey, TTargetBalance>& target, TReconciledYear& year, TReconciliation& result)
    {
        std::set<TAccountKey> keys;
        for (const auto& [key, balance] : source)
            if (!IsZero(balance.AtSlotEnd))
                keys.insert(key);
        for (const auto& entry : target)
            keys.insert(entry.first);
        const int firstSlot = SlotOfMonth(plan.FirstMonth) + 1;
        static const TSourceBalance kNoSource;
        static const TTargetBalance kNoTarget;
        for (const TAccountKey& key : keys) {
            const auto sourceFound = source.find(key);
            const auto targetFound = target.find(key);
            const TSourceBalance& from = sourceFound != source.end() ? sourceFound->second : kNoSource;
            const TSlots& movements = (targetFound != target.end() ? targetFound->second : kNoTarget).Movements;
            ++year.Accounts;
            TMoney targetBalance, told;
            for (int slot = 0; slot <= kSlots; ++slot) {
                targetBalance += movements[static_cast<std::size_t>(slot)];
                if (slot < firstSlot - 1)
                    continue;
                ++year.Months;
                const TMoney sourceBalance = from.AtSlotEnd[static_cast<std::size_t>(slot)];
                const TMoney difference = targetBalance - sourceBalance;
                if (difference != TMoney() && difference != told) {
                    result.Differences.push_back(BalanceDifference(plan, key, from, slot, firstSlot, sourceBalance, targetBalance));
                    ++year.BalanceDifferences;
                }
                told = difference;
            }
        }
    }

    TReconcileDifference BalanceDifference(const TYearPlan& plan, const TAccountKey& key, const TSourceBalance& from,
                                           int slot, int firstSlot, TMoney source, TMoney target) const
    {
        TReconcileDifference difference{.Kind = TDifferenceKind::Balance, .Year = std::string(plan.Kind->Name), .Slot = slot,
                                        .Branch = key.first, .AccountCode = key.second, .Source = source, .Target = target};
        const auto account = accounts_.find(key.second);
        difference.AccountName = account != accounts_.end() ? account->second.Name : std::string();
        for (const std::string& text : from.Accounts)
            difference.SourceAccounts += (difference.SourceAccounts.empty() ? "" : "、") + text;
        if (slot == 0) {
            difference.Period = "期首";
            return difference;
        }
        const TSlotMonth month = SlotMonth(slot);
        const TCalendarMonth calendar = CalendarMonthOf(plan.Start, plan.ClosingDay, month.Month);
        difference.CalendarYear = calendar.Year;
        difference.CalendarMonth = calendar.Month;
        difference.Period = month.Settlement ? std::string(kSettlementNames[(slot - 1) / 4])
                                             : MonthName(calendar.Year, calendar.Month);
        if (slot == firstSlot - 1)
            difference.Period += "（開始残高）";
        return difference;
    }

    // ---- Journals

    // One pass over the journal file for every year taken: the entries (a debit and a credit line with the
    // same key, as the conversion pairs them) per calendar month of the entry's date, counted with their
    // amounts (a negative amount is the same entry the other way round).
    void ReadSourceJournals(const std::vector<TYearPlan>& years)
    {
        struct TEntry {
            bool Debit = false, Credit = false;
            TMoney Amount;
            TMonthKey Month{};
        };
        const fs::path file = io_.JournalFile();
        if (file.empty())
            return;
        std::map<int, std::unordered_map<std::string, TEntry>> entries;
        for (const TYearPlan& year : years)
            if (year.NotTaken.empty())
                entries[year.Code];
        TLineReader reader(file);
        std::string raw;
        TZMSIWAKE side;
        while (reader.Next(raw)) {
            const auto year = entries.find(static_cast<int>(journal_lines::YearOf(raw)));
            if (year == entries.end() || journal_lines::ReadSide(year->first, journal_lines::DecodeByColumn(raw), side) != 0)
                continue;
            TEntry& entry = year->second[journal_lines::PairKey(side)];
            const std::string& sideCode = side.Column(journal_lines::kSide);
            if (sideCode == "2") {
                entry.Credit = true;
            } else if (sideCode == "1") {
                entry.Debit = true;
                const TMoney amount = TMoney::Parse(side.Column(journal_lines::kAmount)).value_or(TMoney());
                entry.Amount = amount < TMoney() ? -amount : amount;
                const std::optional<TDate> date = TDate::Parse(side.Column(journal_lines::kDate));
                entry.Month = date ? TMonthKey{date->Year(), date->Month()} : TMonthKey{};
            }
        }
        for (const auto& [code, ofYear] : entries) {
            std::map<TMonthKey, TMonthJournals>& months = journals_[code];
            for (const auto& [key, entry] : ofYear) {
                if (!entry.Debit || !entry.Credit)
                    continue;
                TMonthJournals& month = months[entry.Month];
                ++month.SourceCount;
                month.SourceAmount += entry.Amount;
            }
        }
    }

    void ReadTargetJournals(const TYearKind& kind, std::map<TMonthKey, TMonthJournals>& months)
    {
        fb::TStatement query(data_);
        query.Prepare(kind.Journals);
        query.Open();
        while (query.Fetch()) {
            const std::int64_t side = query.AsInt(2);
            if (side != 1 && side != 2)
                continue;
            TMonthJournals& month = months[{static_cast<int>(query.AsInt(0)), static_cast<int>(query.AsInt(1))}];
            month.TargetCount[static_cast<std::size_t>(side - 1)] += static_cast<int>(query.AsInt(3));
            month.TargetAmount[static_cast<std::size_t>(side - 1)] += query.AsMoney(4);
        }
    }

    void CompareJournals(const TYearPlan& plan, const std::map<TMonthKey, TMonthJournals>& months, TReconciledYear& year,
                         TReconciliation& result) const
    {
        for (const auto& [key, month] : months) {
            year.SourceEntries += month.SourceCount;
            year.SourceAmount += month.SourceAmount;
            year.TargetEntries += month.TargetCount[0];
            year.TargetAmount += month.TargetAmount[0];
            const auto differs = [&](std::size_t side) {
                return month.TargetCount[side] != month.SourceCount || month.TargetAmount[side] != month.SourceAmount;
            };
            // An entry missing or changed as a whole shows on both sides alike: one difference.
            const bool alike = month.TargetCount[0] == month.TargetCount[1] && month.TargetAmount[0] == month.TargetAmount[1];
            if (differs(0) && differs(1) && alike) {
                AddJournalDifference(plan, key, month, 0, "借方・貸方", year, result);
                continue;
            }
            if (differs(0))
                AddJournalDifference(plan, key, month, 0, "借方", year, result);
            if (differs(1))
                AddJournalDifference(plan, key, month, 1, "貸方", year, result);
        }
    }

    static void AddJournalDifference(const TYearPlan& plan, const TMonthKey& key, const TMonthJournals& month, std::size_t side,
                                     std::string_view sideName, TReconciledYear& year, TReconciliation& result)
    {
        result.Differences.push_back({.Kind = TDifferenceKind::Journals, .Year = std::string(plan.Kind->Name),
                                      .CalendarYear = key.first, .CalendarMonth = key.second,
                                      .Period = MonthName(key.first, key.second), .Side = std::string(sideName),
                                      .Source = month.SourceAmount, .Target = month.TargetAmount[side],
                                      .SourceCount = month.SourceCount, .TargetCount = month.TargetCount[side]});
        ++year.JournalDifferences;
    }

    TQZaimuIO& io_;
    fb::TTransaction& data_;
    const TReconcileOptions& options_;
    bool taxExcluded_;
    std::map<std::string, TTargetAccount> accounts_;
    std::map<int, std::map<TMonthKey, TMonthJournals>> journals_;   // per year code
};

}  // namespace

int TReconciliation::AccountsCompared() const
{
    int accounts = 0;
    for (const TReconciledYear& year : Years)
        accounts += year.Accounts;
    return accounts;
}

int TReconciliation::MonthsCompared() const
{
    int months = 0;
    for (const TReconciledYear& year : Years)
        months += year.Months;
    return months;
}

TReconciliation Reconcile(TQZaimuIO& io, fb::TTransaction& data, const TReconcileOptions& options)
{
    // Another client's data set would differ everywhere: that is a wrong data set, not a list of differences.
    const std::string dataClient = Trim(AccInfo().SCODE1);
    const std::string extractClient = Trim(io.Dtmanage.KanyosakiCodeText);
    if (dataClient != extractClient)
        throw std::runtime_error(Format("変換先のデータは別の関与先のものです。（データ：%s、抽出データ：%s）", dataClient, extractClient));
    fb::TTransactionScope scope(data);
    TReconciliation result = TReconciler(io, data, options).Run();
    scope.Commit();
    return result;
}

TReconciliation ReconcileDataFolder(TQZaimuIO& io, const std::string& host, const std::string& folder,
                                    const TReconcileOptions& options)
{
    TDM& dm = DM();
    if (!dm.fnAccDatConnected(host, folder, false) || !dm.fnGetAccInfo()) {
        dm.AccDatDisconnect("", false, false);
        throw std::runtime_error(Format("変換先のデータベースに接続できません。<%s>", folder));
    }
    try {
        TReconciliation result = Reconcile(io, dm.IBTransactionDAT, options);
        dm.AccDatDisconnect("", false, false);
        return result;
    } catch (...) {
        dm.AccDatDisconnect("", false, false);
        throw;
    }
}

}  // namespace qz
