#include "tests/support/SampleExtracts.h"

#include "common/PeriodCalendar.h"

#include <cstdint>
#include <set>

namespace qz::test {
namespace {

// A small deterministic generator, so every build writes the same samples.
class TRandom {
public:
    explicit TRandom(std::uint32_t seed) : state_(seed) {}
    int Next(int below)
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(below));
    }
    std::int64_t Amount(int minimum, int maximum, int unit) { return (minimum + Next((maximum - minimum) / unit + 1) * unit); }

private:
    std::uint32_t state_;
};

TExtractAccount Account(std::string code, std::string level1, std::string level2, std::string level3, std::string name,
                        std::string side)
{
    return {.Code = code, .UserCode = code.substr(0, 3), .Level1 = std::move(level1), .Level2 = std::move(level2),
            .Level3 = std::move(level3), .Name = std::move(name), .Side = std::move(side)};
}

TExtractAccount Asset(std::string code, std::string name) { return Account(std::move(code), "10", "11", "10", std::move(name), "1"); }
TExtractAccount Liability(std::string code, std::string name) { return Account(std::move(code), "20", "21", "", std::move(name), "2"); }
TExtractAccount Equity(std::string code, std::string name, std::string level3 = "") { return Account(std::move(code), "30", "31", std::move(level3), std::move(name), "2"); }
TExtractAccount Revenue(std::string code, std::string name) { return Account(std::move(code), "40", "", "", std::move(name), "2"); }
TExtractAccount Expense(std::string code, std::string name) { return Account(std::move(code), "50", "", "", std::move(name), "1"); }

bool IsBalanceSheet(const TExtractDescription& d, const std::string& code)
{
    for (const TExtractAccount& a : d.Accounts)
        if (a.Code == code)
            return a.Level1 == "10" || a.Level1 == "20" || a.Level1 == "30";
    return false;
}

// The year's profit per branch: credit minus debit over the profit-and-loss accounts.
std::map<std::string, std::int64_t> ProfitByBranch(const TExtractDescription& d, const TExtractYear& year)
{
    std::map<std::string, std::int64_t> profit;
    for (const TExtractEntry& entry : year.Entries) {
        if (!IsBalanceSheet(d, entry.Credit))
            profit[entry.Branch] += entry.Amount;
        if (!IsBalanceSheet(d, entry.Debit))
            profit[entry.Branch] -= entry.Amount;
    }
    return profit;
}

// The next year's opening balances: balance-sheet accounts carry their closing balances, each branch's
// profit goes to that branch's equity account, and for an owner the drawings and contributions close into
// capital.
std::map<std::tuple<std::string, std::string, std::string>, std::int64_t> CarryForward(
    const TExtractDescription& d, const TExtractYear& year, const std::string& equity, const std::string& drawings,
    const std::string& contributions)
{
    std::set<std::tuple<std::string, std::string, std::string>> keys;
    for (const auto& [key, amount] : year.Opening)
        keys.insert({std::get<0>(key), std::get<1>(key), SubAccountKey(std::get<2>(key))});
    for (const TExtractEntry& e : year.Entries) {
        keys.insert({e.Branch, e.Debit, SubAccountKey(e.DebitSub)});
        keys.insert({e.Branch, e.Credit, SubAccountKey(e.CreditSub)});
    }
    std::map<std::tuple<std::string, std::string, std::string>, std::int64_t> opening;
    std::map<std::string, std::int64_t> toEquity = ProfitByBranch(d, year);
    for (const auto& key : keys) {
        const auto& [branch, account, sub] = key;
        if (!IsBalanceSheet(d, account))
            continue;
        const std::int64_t closing = ClosingBalance(d, year, branch, account, sub);
        if (account == drawings) {
            toEquity[branch] -= closing;
        } else if (account == contributions) {
            toEquity[branch] += closing;
        } else if (closing != 0) {
            opening[key] = closing;
        }
    }
    for (const auto& [branch, amount] : toEquity)
        opening[{branch, equity, kNoSubAccount}] += amount;
    return opening;
}

TDate Day(TDate monthStart, int day)
{
    return TDate::Ymd(monthStart.Year(), monthStart.Month(), std::min(day, DaysInMonth(monthStart.Year(), monthStart.Month())));
}

TExtractEntry Entry(TDate date, std::string branch, std::string debit, std::string debitSub, std::string credit,
                    std::string creditSub, std::int64_t amount, std::string text)
{
    return {.Date = date, .Debit = std::move(debit), .Credit = std::move(credit), .Amount = amount, .Text = std::move(text),
            .DebitSub = std::move(debitSub), .CreditSub = std::move(creditSub), .Branch = std::move(branch)};
}

TExtractEntry WithDepartments(TExtractEntry entry, std::string debit, std::string credit)
{
    entry.DebitDepartment = std::move(debit);
    entry.CreditDepartment = std::move(credit);
    return entry;
}

// A corporation with two branches that hold all its business (the head office record stands for the whole
// company): 大阪支店 sells, buys and pays the salaries and the main rent, 髙松営業所 sells, rents its office
// and saves into an installment deposit (定期積金, an account the conversion merges into その他の預金).
// The electricity bill of the last month is accrued by a closing adjustment and paid in the next year.
// Each month's business comes repeats times.
TExtractDescription Corporation(int repeats)
{
    TExtractDescription d;
    d.ClientCode = "000101";
    d.ClientNo = 101;
    d.ClientName = "㈱山田髙橋商事";
    d.ClientKana = "ヤマダタカハシショウジ";
    d.Corporation = true;
    d.Accounts = {Asset("10100", "現金"), Asset("10300", "普通預金"), Asset("11500", "定期積金"), Asset("15200", "売掛金"),
                  Account("18000", "10", "11", "12", "仮払消費税", "1"), Liability("30700", "買掛金"), Liability("32200", "未払金"),
                  Liability("33700", "仮受消費税"), Equity("80100", "資本金", "71"), Equity("85300", "繰越利益剰余金", "74"),
                  Revenue("40100", "商品売上高"), Expense("45100", "仕入高"), Expense("63000", "役員報酬"),
                  Expense("65200", "水道光熱費"), Expense("65400", "通信費"), Expense("66500", "地代家賃"),
                  Expense("66700", "支払手数料"), Revenue("90500", "雑収入"),
                  Account("99900", "99", "", "", "諸口", "1")};
    d.SubAccounts = {{"10300", "00001", "001", "みずほ銀行"}, {"10300", "00002", "002", "ｱｵｿﾞﾗ信用金庫"},
                     {"15200", "00001", "001", "㈱髙橋商店"}, {"15200", "00002", "002", "ｶﾌﾞｼｷｶﾞｲｼｬ ﾀﾅｶ"},
                     {"30700", "00001", "001", "第①物産㈱"}};
    const std::string osaka = "00000002", takamatsu = "00000003";
    d.Branches = {{kHeadOffice, "000", "本店"}, {osaka, "010", "大阪支店"}, {takamatsu, "020", "髙松営業所"}};
    d.Departments = {{"001", "01", "営業部"}, {"002", "02", "管理部"}};
    d.ManagedDepartments = {{kHeadOffice, "001"}, {kHeadOffice, "002"}, {osaka, "001"}, {osaka, "002"}, {takamatsu, "001"}};
    d.Summaries = {{"ｳﾘｱ", "売上,現金回収", "10100", "40100"}, {"ﾔﾁﾝ", "事務所家賃,共益費込み", "66500", "10300"},
                   {"ﾃｽｳ", "振込手数料", "66700", "10300"}};
    TRandom random(101);
    std::int64_t accrued = 0;  // the electricity bill accrued at the end of the previous year
    for (int y = 0; y < 3; ++y) {
        TExtractYear year{.Code = 5 + y, .Start = TDate::Ymd(2023 + y, 4, 1), .End = TDate::Ymd(2024 + y, 3, 31)};
        auto& entries = year.Entries;
        for (int m = 0; m < 12; ++m) {
            const TDate month = AddMonthsClamped(m, year.Start);
            for (int r = 0; r < repeats; ++r) {
                const std::string customer = m % 2 == 0 ? "00001" : "00002";
                const std::int64_t sale = random.Amount(700000, 1300000, 1000);
                entries.push_back(
                    WithDepartments(Entry(Day(month, 10), osaka, "15200", customer, "40100", "", sale, "商品売上,掛売り"), "", "001"));
                entries.push_back(Entry(Day(month, 25), osaka, "10300", "00001", "15200", customer, sale, "売掛金回収"));
                const std::int64_t purchase = random.Amount(300000, 600000, 1000);
                entries.push_back(
                    WithDepartments(Entry(Day(month, 12), osaka, "45100", "", "30700", "00001", purchase, "商品仕入"), "001", ""));
                entries.push_back(Entry(Day(month, 28), osaka, "30700", "00001", "10300", "00001", purchase, "買掛金支払"));
                entries.push_back(WithDepartments(
                    Entry(Day(month, 27), osaka, "66500", "", "10300", "00001", 120000, "事務所家賃,共益費込み"), "002", ""));
                entries.push_back(Entry(Day(month, 25), osaka, "63000", "", "10300", "00001", 350000, "役員報酬 山田①郎"));
                entries.push_back(Entry(Day(month, 25), osaka, "66700", "", "10300", "00001", 440, "振込手数料"));
                entries.push_back(Entry(Day(month, 5), osaka, "10100", "", "10300", "00001", 30000, "現金引出"));
                entries.push_back(Entry(Day(month, 20), osaka, "65200", "", "10100", "", random.Amount(8000, 30000, 10), "電気代 ｶﾝｻｲﾃﾞﾝﾘｮｸ"));

                const std::int64_t branchSale = random.Amount(250000, 500000, 1000);
                entries.push_back(WithDepartments(
                    Entry(Day(month, 15), takamatsu, "15200", "00002", "40100", "", branchSale, "商品売上,掛売り"), "", "001"));
                entries.push_back(Entry(Day(month, 31), takamatsu, "10300", "00002", "15200", "00002", branchSale, "売掛金回収"));
                entries.push_back(
                    WithDepartments(Entry(Day(month, 27), takamatsu, "66500", "", "10300", "00002", 80000, "営業所家賃"), "001", ""));
                entries.push_back(Entry(Day(month, 10), takamatsu, "11500", "", "10300", "00002", 50000, "定期積金 掛込"));
                entries.push_back(Entry(Day(month, 5), takamatsu, "10100", "", "10300", "00002", 15000, "現金引出"));
                entries.push_back(Entry(Day(month, 20), takamatsu, "65400", "", "10100", "", random.Amount(5000, 15000, 10), "電話代"));
                if (m == 6)
                    entries.push_back(Entry(Day(month, 15), osaka, "10100", "", "90500", "", 12345, "雑収入 Ⅲ期分"));
            }
        }
        if (accrued != 0)
            entries.push_back(Entry(Day(year.Start, 25), osaka, "32200", "", "10300", "00001", accrued, "未払金支払 電気代"));
        accrued = random.Amount(15000, 30000, 10);
        TExtractEntry accrual = Entry(year.End, osaka, "65200", "", "32200", "", accrued, "電気代 未払計上");
        accrual.ClosingAdjustment = true;
        entries.push_back(accrual);
        if (y == 0) {
            year.Opening = {{{osaka, "10100", kNoSubAccount}, 300000},     {{osaka, "10300", "00001"}, 7200000},
                            {{osaka, "80100", kNoSubAccount}, 7000000},    {{osaka, "85300", kNoSubAccount}, 500000},
                            {{takamatsu, "10100", kNoSubAccount}, 200000}, {{takamatsu, "10300", "00002"}, 2000000},
                            {{takamatsu, "11500", kNoSubAccount}, 800000}, {{takamatsu, "80100", kNoSubAccount}, 3000000}};
        } else {
            year.Opening = CarryForward(d, d.Years.front(), "85300", "", "");
        }
        d.Years.insert(d.Years.begin(), year);  // the most recent year first
    }
    return d;
}

// Individuals: calendar years, the head office only; the owner's drawings and contributions close into the
// owner's capital. The owner's private share of the property tax is moved out by a closing adjustment.
TExtractDescription Individual(bool realEstate)
{
    TExtractDescription d;
    d.Corporation = false;
    d.BusinessKind = realEstate ? "03" : "01";
    d.ClientCode = realEstate ? "000303" : "000202";
    d.ClientNo = realEstate ? 303 : 202;
    d.ClientName = realEstate ? "ﾔﾏﾀﾞ不動産 山田花子" : "髙橋①商店 髙橋Ⅲ郎";
    const std::string income = "40100";  // 家賃収入 in the real-estate chart, 商品売上高 in the general one
    d.ClientKana = realEstate ? "ヤマダフドウサン" : "タカハシショウテン";
    d.Accounts = {Asset("10100", "現金"), Asset("10300", "普通預金"), Account("18000", "10", "11", "12", "仮払消費税", "1"),
                  Liability("33700", "仮受消費税"), Account("28100", "10", "13", "", "事業主貸", "1"),
                  Account("37300", "20", "22", "", "事業主借", "2"), Equity("80000", "元入金", "71"),
                  Revenue(income, realEstate ? "家賃収入" : "売上,雑収入"), Expense("65000", "租税公課"),
                  Expense("65800", "修繕費"), Expense("66500", "地代家賃"), Account("99900", "99", "", "", "諸口", "1")};
    if (!realEstate)
        d.Accounts.push_back(Expense("45100", "仕入高"));
    d.SubAccounts = {{"10300", "00001", "001", "ゆうちょ銀行"}, {"10300", "00002", "002", "ﾐﾂﾋﾞｼUFJ"}};
    d.Summaries = {{"ﾔﾁﾝ", realEstate ? "家賃,共益費" : "店舗家賃", realEstate ? "10300" : "66500",
                    realEstate ? income : "10300"},
                   {"ｾｲｶ", "生活費,家事関連", "28100", "10100"}};
    TRandom random(realEstate ? 303 : 202);
    for (int y = 0; y < 3; ++y) {
        TExtractYear year{.Code = 8 + y, .Start = TDate::Ymd(2023 + y, 1, 1), .End = TDate::Ymd(2023 + y, 12, 31)};
        auto& entries = year.Entries;
        for (int m = 0; m < 12; ++m) {
            const TDate month = AddMonthsClamped(m, year.Start);
            entries.push_back(Entry(Day(month, 5), kHeadOffice, "10300", "00001", income, "",
                                    random.Amount(200000, 600000, 1000), realEstate ? "家賃,共益費 ﾒｿﾞﾝ髙橋101" : "売上,振込入金"));
            entries.push_back(Entry(Day(month, 6), kHeadOffice, "10300", "00002", "10300", "00001", realEstate ? 50000 : 200000,
                                    "口座振替"));
            entries.push_back(Entry(Day(month, 7), kHeadOffice, "10100", "", "10300", "00001", 30000, "現金引出"));
            if (!realEstate)
                entries.push_back(Entry(Day(month, 12), kHeadOffice, "45100", "", "10300", "00002",
                                        random.Amount(50000, 150000, 1000), "商品仕入"));
            entries.push_back(Entry(Day(month, 27), kHeadOffice, "66500", "", "10300", "00002", realEstate ? 30000 : 80000,
                                    realEstate ? "地代 駐車場用地" : "店舗家賃"));
            entries.push_back(Entry(Day(month, 20), kHeadOffice, "65800", "", "10100", "", random.Amount(5000, 50000, 100), "修繕 ①号室"));
            entries.push_back(Entry(Day(month, 25), kHeadOffice, "28100", "", "10300", "00001", 150000, "生活費,家事関連"));
            if (m % 4 == 0)
                entries.push_back(Entry(Day(month, 15), kHeadOffice, "10100", "", "37300", "", 100000, "事業主借入 ｶﾞｲﾌﾞ"));
            if (m == 4)
                entries.push_back(Entry(Day(month, 31), kHeadOffice, "65000", "", "37300", "", 80000, "固定資産税 Ⅲ期"));
        }
        TExtractEntry privateShare = Entry(year.End, kHeadOffice, "28100", "", "65000", "", 20000, "固定資産税 家事按分");
        privateShare.ClosingAdjustment = true;
        entries.push_back(privateShare);
        if (y == 0)
            year.Opening = {{{kHeadOffice, "10100", kNoSubAccount}, 300000}, {{kHeadOffice, "10300", "00001"}, 2500000},
                            {{kHeadOffice, "10300", "00002"}, 500000}, {{kHeadOffice, "80000", kNoSubAccount}, 3300000}};
        else
            year.Opening = CarryForward(d, d.Years.front(), "80000", "28100", "37300");
        d.Years.insert(d.Years.begin(), year);
    }
    return d;
}

}  // namespace

std::vector<std::pair<std::string, TExtractDescription>> SampleExtracts()
{
    return {{"corporation", Corporation(1)}, {"individual-general", Individual(false)},
            {"individual-realestate", Individual(true)}};
}

TExtractDescription LargeCorporation(int entriesPerYear)
{
    constexpr int kEntriesOfAYearsRepeat = 15 * 12 + 1;
    return Corporation((entriesPerYear + kEntriesOfAYearsRepeat - 1) / kEntriesOfAYearsRepeat);
}

}  // namespace qz::test
