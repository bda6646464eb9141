// Past balances and the carry-forward: the year slots of KAKOZAN move on by one, every balance group of
// the closed year is written into its past-year row and opens the new year at its closing balance, the
// profit goes into the retained earnings (or the owner's capital), and the year's amounts are cleared.

#include "common/Format.h"
#include "common/PeriodCalendar.h"
#include "common/SjisText.h"
#include "yearupdate/NendoKousin_Statements.h"
#include "yearupdate/NendoKousin_Steps.h"

#include <array>
#include <optional>
#include <stdexcept>

namespace qz::yearupdate {

using namespace sql;

namespace {

constexpr int kSlots = 16;
using TSlotAmounts = std::array<std::int64_t, kSlots + 1>;  // index 1-16, whole yen

// Parameter or column names of one kind for every slot ("KOMIZAN_1" ... "KOMIZAN_16"), made once.
std::array<std::string, kSlots + 1> SlotNames(std::string_view pattern)
{
    std::array<std::string, kSlots + 1> names;
    for (int slot = 1; slot <= kSlots; ++slot)
        names[slot] = Format(pattern, slot);
    return names;
}

std::int64_t Yen(const fb::TStatement& row, int column)
{
    return row.AsMoney(column).RoundedYen();
}

TMoney Money(std::int64_t yen)
{
    return TMoney::FromYen(yen);
}

bool AnyAmount(const TSlotAmounts& amounts)
{
    for (int slot = 1; slot <= kSlots; ++slot)
        if (amounts[slot] != 0)
            return true;
    return false;
}

// An update that finds no row would drop its amounts without a word: that fails the update instead.
void ExecuteKeepingAmounts(fb::TStatement& update, bool holdsAmounts, std::string_view what)
{
    update.Execute();
    if (holdsAmounts && update.AffectedRows() == 0)
        throw std::runtime_error(Format("%sの更新先の行がありません。", what));
}

std::string KeyText(std::string_view scode, std::string_view bcode, std::string_view kcode, std::string_view hcode)
{
    return Format("SCODE=[%s] BCODE=[%s] KCODE=[%s] HCODE=[%s]", scode, bcode, kcode, hcode);
}

// ---------------------------------------------------------------------------------------------------
// The year slots move on: NENDO 1 to 2 (and 0 to 1 when the year's balances begin after its first month).

struct TPastRow {
    int Nendo = 0;
    std::string Scode, Bcode, Kcode, Hcode;
    std::int64_t Kishu = 0;
    TSlotAmounts Komi{}, Nuki{}, Ikkatsu{}, Haibun{};

    bool HoldsAmounts() const
    {
        return Kishu != 0 || AnyAmount(Komi) || AnyAmount(Nuki) || AnyAmount(Ikkatsu) || AnyAmount(Haibun);
    }
};

const auto kKomi = SlotNames("KOMIZAN_%d");
const auto kNuki = SlotNames("NUKIZAN_%d");
const auto kIkkatsu = SlotNames("IKKATSU_%d");
const auto kHaibun = SlotNames("HAIBUN_%d");

// Read completely before the first update, so every row is copied with the values it held when the step
// began, whatever the cursor would show of the rows updated meanwhile.
std::vector<TPastRow> ReadPastRows(fb::TTransaction& tr, std::string_view sql)
{
    fb::TStatement select(tr);
    select.Prepare(sql);
    select.Open();
    std::array<int, kSlots + 1> komi{}, nuki{}, ikkatsu{}, haibun{};
    for (int slot = 1; slot <= kSlots; ++slot) {
        komi[slot] = select.ColumnIndex(kKomi[slot]);
        nuki[slot] = select.ColumnIndex(kNuki[slot]);
        ikkatsu[slot] = select.ColumnIndex(kIkkatsu[slot]);
        haibun[slot] = select.ColumnIndex(kHaibun[slot]);
    }
    std::vector<TPastRow> rows;
    while (select.Fetch()) {
        TPastRow& row = rows.emplace_back();
        row.Nendo = static_cast<int>(select.AsInt("NENDO"));
        row.Scode = KeyCode(select.AsString("SCODE"));
        row.Bcode = KeyCode(select.AsString("BCODE"));
        row.Kcode = select.AsString("KCODE");
        row.Hcode = KeyCode(select.AsString("HCODE"));
        row.Kishu = Yen(select, select.ColumnIndex("KISHU"));
        for (int slot = 1; slot <= kSlots; ++slot) {
            row.Komi[slot] = Yen(select, komi[slot]);
            row.Nuki[slot] = Yen(select, nuki[slot]);
            row.Ikkatsu[slot] = Yen(select, ikkatsu[slot]);
            row.Haibun[slot] = Yen(select, haibun[slot]);
        }
    }
    return rows;
}

void BindPastKey(fb::TStatement& update, int nendo, std::string_view scode, std::string_view bcode, std::string_view kcode,
                 std::string_view hcode)
{
    update.SetInt("NENDO", nendo).SetString("SCODE", scode).SetString("BCODE", bcode).SetString("KCODE", kcode).SetString("HCODE", hcode);
}

// ---------------------------------------------------------------------------------------------------
// The carry-forward, one balance group (branch, account, sub-account, department) at a time.

struct TGroupKey {
    std::string Scode, Kcode, Hcode, Bcode;
    bool operator==(const TGroupKey&) const = default;
};

// A slot outside the year would take its amounts nowhere.
int CheckedSlot(std::int64_t mnum, const TGroupKey& key)
{
    if (mnum < 1 || mnum > kSlots)
        throw std::runtime_error(Format("月番号(%d)が正しくありません。%s", mnum, KeyText(key.Scode, key.Bcode, key.Kcode, key.Hcode)));
    return static_cast<int>(mnum);
}

struct TGroup {
    TGroupKey Key;
    int Sign = 1;
    bool ProfitAndLoss = false;
    std::int64_t OpeningKomi = 0, OpeningNuki = 0, PastKishu = 0;
    TSlotAmounts Komi{}, Nuki{}, Haibun{};

    std::int64_t ClosingKomi() const { return Sum(OpeningKomi, Komi); }
    std::int64_t ClosingNuki() const { return Sum(OpeningNuki, Nuki); }

    static std::int64_t Sum(std::int64_t opening, const TSlotAmounts& months)
    {
        for (int slot = 1; slot <= kSlots; ++slot)
            opening += months[slot];
        return opening;
    }
};

const auto kCarryKomi = SlotNames("KOMIZAN%d");
const auto kCarryNuki = SlotNames("NUKIZAN%d");
const auto kCarryIkkatsu = SlotNames("IKKATSU%d");
const auto kCarryHaibun = SlotNames("HAIBUN%d");

class TCarryForward {
public:
    TCarryForward(fb::TTransaction& tr, const TYearUpdateInputs& in)
        : in_(in), firstSlot_(SlotOfMonth(in.StartNo) + 1), opening_(tr), pastOpening_(tr), tax_(tr), past_(tr), budget_(tr),
          newOpening_(tr)
    {
        if (in.StartNo < 1 || in.StartNo > 12)
            throw std::runtime_error(Format("開始月番号(%d)が正しくありません。", in.StartNo));
        opening_.Prepare(kSelectOpeningOfGroup);
        pastOpening_.Prepare(kSelectPastOpeningOfGroup);
        tax_.Prepare(kSelectTaxOfGroup);
        past_.Prepare(CarryPastBalancesStatement(firstSlot_));
        budget_.Prepare(kUpdateBudgetOfMonth);
        newOpening_.Prepare(kUpdateNewOpening);
    }

    void Run(fb::TTransaction& tr)
    {
        fb::TStatement rows(tr);
        rows.Prepare(MonthRowsStatement(in_.Medical, in_.SuspenseAccount));
        rows.Open();
        std::optional<TGroup> group;
        while (rows.Fetch()) {
            TGroupKey key{KeyCode(rows.AsString("SCODE")), rows.AsString("KCODE"), KeyCode(rows.AsString("HCODE")),
                          KeyCode(rows.AsString("BCODE"))};
            if (in_.BranchesInUse && key.Scode == " ")
                continue;
            if (!group || !(group->Key == key)) {
                if (group)
                    Write(*group);
                group = Start(std::move(key), rows.AsInt("DAC"), Trim(rows.AsString("BPFLG")) == "P");
            }
            AddMonth(*group, rows);
        }
        if (group)
            Write(*group);
    }

private:
    TGroup Start(TGroupKey key, std::int64_t dac, bool profitAndLoss)
    {
        TGroup group;
        group.Key = std::move(key);
        group.Sign = BalanceSign(dac, group.Key.Kcode);
        group.ProfitAndLoss = profitAndLoss;
        BindGroup(opening_, group.Key);
        opening_.Open();
        if (opening_.Fetch()) {
            // Profit-and-loss accounts start the year from nothing.
            if (!profitAndLoss) {
                group.OpeningKomi = opening_.AsMoney("KISHU_KOMI").RoundedYen();
                group.OpeningNuki = opening_.AsMoney("KISHU_NUKI").RoundedYen();
            }
            for (int month = 1; month <= 12; ++month)
                group.Haibun[SlotOfMonth(month) + 1] = opening_.AsMoney(Format("HAIBUN%02d", month)).RoundedYen();
        }
        opening_.Close();
        BindGroup(pastOpening_, group.Key);
        pastOpening_.Open();
        if (pastOpening_.Fetch())
            group.PastKishu = pastOpening_.AsMoney("KISHU").RoundedYen();
        pastOpening_.Close();
        AddConsumptionTax(group);
        return group;
    }

    // The tax of the year stands in the two consumption-tax accounts only when the balances are seen
    // without tax: the tax-included figures of the other accounts already hold it. It is added once, to
    // the account's own row (not again to each of its sub-accounts).
    void AddConsumptionTax(TGroup& group)
    {
        const bool received = group.Key.Kcode == in_.ReceivedTaxAccount, paid = group.Key.Kcode == in_.PaidTaxAccount;
        if ((!received && !paid) || group.Key.Hcode != " ")
            return;
        tax_.SetString("SCODE", group.Key.Scode).SetString("BCODE", group.Key.Bcode).SetInt("KKUBUN", received ? 1 : 2);
        tax_.Open();
        while (tax_.Fetch()) {
            const int slot = CheckedSlot(tax_.AsInt("MNUM"), group.Key);
            const std::int64_t debit = tax_.AsMoney("KAR").RoundedYen(), credit = tax_.AsMoney("KAS").RoundedYen();
            group.Nuki[slot] += received ? credit - debit : debit - credit;
        }
        tax_.Close();
    }

    static void AddMonth(TGroup& group, const fb::TStatement& row)
    {
        const int slot = CheckedSlot(row.AsInt("MNUM"), group.Key);
        const auto yen = [&](std::string_view column) { return row.AsMoney(column).RoundedYen(); };
        const std::int64_t debitKomi = yen("KAR_NUK") + yen("KAR_TAX"), creditKomi = yen("KAS_NUK") + yen("KAS_TAX");
        const std::int64_t debitNuki = yen("KAR_NUK") - yen("KAR_IKKATSU"), creditNuki = yen("KAS_NUK") - yen("KAS_IKKATSU");
        group.Komi[slot] += group.Sign * (debitKomi - creditKomi);
        group.Nuki[slot] += group.Sign * (debitNuki - creditNuki);
    }

    // The opening balance the past-year row keeps: the group's opening when the year's balances begin with
    // its first month; else the row already holds the months before the first month of input (moved there
    // from the year being worked on), and its own opening stays.
    std::int64_t PastOpening(const TGroup& group) const
    {
        if (in_.StartNo != 1)
            return group.PastKishu;
        return in_.TaxMethod == 0 ? group.OpeningKomi : group.OpeningNuki;
    }

    void Write(const TGroup& group)
    {
        const TGroupKey& key = group.Key;
        const std::int64_t kishu = PastOpening(group);
        BindPastKey(past_, 1, key.Scode, key.Bcode, key.Kcode, key.Hcode);
        past_.SetMoney("KISHU", Money(kishu));
        for (int slot = firstSlot_; slot <= kSlots; ++slot) {
            past_.SetMoney(kCarryKomi[slot], Money(group.Komi[slot])).SetMoney(kCarryNuki[slot], Money(group.Nuki[slot]));
            past_.SetMoney(kCarryIkkatsu[slot], TMoney()).SetMoney(kCarryHaibun[slot], Money(group.Haibun[slot]));
        }
        const bool pastAmounts = kishu != 0 || AnyAmount(group.Komi) || AnyAmount(group.Nuki);
        ExecuteKeepingAmounts(past_, pastAmounts, "過去残高(KAKOZAN) " + KeyText(key.Scode, key.Bcode, key.Kcode, key.Hcode));

        // The budgets were all cleared: only the months with a figure need writing.
        const TSlotAmounts& figures = in_.TaxMethod == 0 ? group.Komi : group.Nuki;
        for (int slot = 1; slot <= kSlots; ++slot) {
            if (figures[slot] == 0)
                continue;
            BindGroup(budget_, key);
            budget_.SetInt("MNUM", slot).SetMoney("YOSAN", Money(figures[slot]));
            budget_.Execute();
        }

        // A profit-and-loss account keeps its opening until the profit is carried: when the year's balances
        // begin after its first month, the opening holds the profit of the months before.
        if (group.ProfitAndLoss)
            return;
        BindGroup(newOpening_, key);
        newOpening_.SetMoney("KISHU_KOMI", Money(group.ClosingKomi())).SetMoney("KISHU_NUKI", Money(group.ClosingNuki()));
        ExecuteKeepingAmounts(newOpening_, group.ClosingKomi() != 0 || group.ClosingNuki() != 0,
                              "開始残高(KAMOKU_SZ) " + KeyText(key.Scode, key.Bcode, key.Kcode, key.Hcode));
    }

    static void BindGroup(fb::TStatement& statement, const TGroupKey& key)
    {
        statement.SetString("SCODE", key.Scode).SetString("KCODE", key.Kcode).SetString("HCODE", key.Hcode).SetString("BCODE", key.Bcode);
    }

    const TYearUpdateInputs& in_;
    int firstSlot_;
    fb::TStatement opening_, pastOpening_, tax_, past_, budget_, newOpening_;
};

// The procedures of the template post the year's profit (the profit-and-loss accounts' openings and
// movements) into the opening balance of the retained earnings (or of the owner's capital); what they
// return is not needed. The profit-and-loss accounts then open the new year at nothing.
void CarryProfit(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    std::string sql;
    switch (in.DataType) {
    case 1: sql = kCarryRetainedEarnings; break;
    case 2: sql = kCarryOwnerCapital; break;
    case 3: sql = Format(kCarryRetainedEarningsTo, in.RetainedEarningsAccount); break;
    default: throw std::runtime_error(Format("データタイプ(%d)が正しくありません。", in.DataType));
    }
    fb::TStatement carry(tr), clear(tr);
    carry.Prepare(sql);
    clear.Prepare(kClearProfitAndLossOpenings);
    for (const std::string& scode : BranchCodes(tr, kSelectBranches, in.BranchesInUse)) {
        carry.SetString("SCODE", scode).SetInt("ZEIKBN", in.TaxMethod);
        carry.Open();
        while (carry.Fetch()) {
        }
        carry.Close();
        clear.SetString("SCODE", scode);
        clear.Execute();
    }
}

}  // namespace

int BalanceSign(std::int64_t dac, std::string_view kcode)
{
    switch (dac) {
    case 1: case 4: return 1;
    case 2: case 3: return -1;
    }
    throw std::runtime_error(Format("勘定科目[%s]の貸借区分(DAC=%d)が正しくありません。", kcode, dac));
}

void ShiftPastBalances(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    const std::vector<TPastRow> rows =
        ReadPastRows(tr, in.StartNo == 1 ? kSelectPastBalancesOfYear1 : kSelectPastBalancesOfYears0And1);
    fb::TStatement shift(tr);
    shift.Prepare(ShiftPastBalancesStatement());
    for (const TPastRow& row : rows) {
        BindPastKey(shift, row.Nendo + 1, row.Scode, row.Bcode, row.Kcode, row.Hcode);
        shift.SetMoney("KISHU", Money(row.Kishu));
        for (int slot = 1; slot <= kSlots; ++slot) {
            shift.SetMoney(kKomi[slot], Money(row.Komi[slot])).SetMoney(kNuki[slot], Money(row.Nuki[slot]));
            shift.SetMoney(kIkkatsu[slot], Money(row.Ikkatsu[slot])).SetMoney(kHaibun[slot], Money(row.Haibun[slot]));
        }
        ExecuteKeepingAmounts(shift, row.HoldsAmounts(),
                              Format("過去残高(KAKOZAN NENDO=%d) ", row.Nendo + 1) + KeyText(row.Scode, row.Bcode, row.Kcode, row.Hcode));
    }
    ExecuteStatement(tr, ClearCurrentPastBalancesStatement());
}

void CarryBalancesForward(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    ExecuteStatement(tr, kClearBudgets);
    TCarryForward(tr, in).Run(tr);
    CarryProfit(tr, in);
}

void ClearYearAmounts(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    fb::TStatement clear(tr);
    clear.Prepare(kClearMonthAmountsOfBranch);
    for (const std::string& scode :
         BranchCodes(tr, in.Medical ? kSelectBranchesWithDepartmentsMedical : kSelectBranchesWithDepartments)) {
        clear.SetString("SCODE", scode);
        clear.Execute();
    }
}

void ExecuteStatement(fb::TTransaction& tr, std::string_view sql)
{
    fb::TStatement statement(tr);
    statement.Prepare(sql);
    statement.Execute();
}

std::string KeyCode(std::string code)
{
    return code.empty() ? std::string(" ") : code;
}

std::vector<std::string> BranchCodes(fb::TTransaction& tr, std::string_view sql, bool skipBlank)
{
    fb::TStatement select(tr);
    select.Prepare(sql);
    return BranchCodes(select, skipBlank);
}

std::vector<std::string> BranchCodes(fb::TStatement& select, bool skipBlank)
{
    select.Open();
    std::vector<std::string> codes;
    while (select.Fetch()) {
        std::string code = KeyCode(select.AsString(0));
        if (!(skipBlank && code == " "))
            codes.push_back(std::move(code));
    }
    select.Close();
    return codes;
}

}  // namespace qz::yearupdate
