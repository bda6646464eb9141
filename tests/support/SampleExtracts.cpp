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

// The year's profit: credit minus debit over the profit-and-loss accounts.
std::int64_t Profit(const TExtractDescription& d, const TExtractYear& year)
{
    std::int64_t profit = 0;
    for (const TExtractEntry& entry : year.Entries) {
        if (!IsBalanceSheet(d, entry.Credit))
            profit += entry.Amount;
        if (!IsBalanceSheet(d, entry.Debit))
            profit -= entry.Amount;
    }
    return profit;
}

// The next year's opening balances: balance-sheet accounts carry their closing balances, the year's
// profit goes to the equity account, and for an owner the drawings and contributions close into capital.
std::map<std::tuple<std::string, std::string, std::string>, std::int64_t> CarryForward(
    const TExtractDescription& d, const TExtractYear& year, const std::string& equity, const std::string& drawings,
    const std::string& contributions)
{
    std::set<std::tuple<std::string, std::string, std::string>> keys;
    for (const auto& [key, amount] : year.Opening)
        keys.insert(key);
    for (const TExtractEntry& e : year.Entries) {
        keys.insert({e.Branch, e.Debit, e.DebitSub});
        keys.insert({e.Branch, e.Credit, e.CreditSub});
    }
    std::map<std::tuple<std::string, std::string, std::string>, std::int64_t> opening;
    std::int64_t toEquity = Profit(d, year);
    for (const auto& key : keys) {
        const auto& [branch, account, sub] = key;
        if (!IsBalanceSheet(d, account))
            continue;
        const std::int64_t closing = ClosingBalance(d, year, branch, account, sub);
        if (account == drawings) {
            toEquity -= closing;
        } else if (account == contributions) {
            toEquity += closing;
        } else if (closing != 0) {
            opening[key] = closing;
        }
    }
    opening[{"00000000", equity, "00000"}] += toEquity;
    return opening;
}

TExtractEntry Entry(TDate date, std::string debit, std::string credit, std::int64_t amount, std::string text)
{
    return {.Date = date, .Debit = std::move(debit), .Credit = std::move(credit), .Amount = amount, .Text = std::move(text)};
}

TDate Day(TDate monthStart, int day)
{
    return TDate::Ymd(monthStart.Year(), monthStart.Month(), std::min(day, DaysInMonth(monthStart.Year(), monthStart.Month())));
}

TExtractDescription Corporation()
{
    TExtractDescription d;
    d.ClientCode = "000101";
    d.ClientNo = 101;
    d.ClientName = "㈱山田髙橋商事";
    d.Corporation = true;
    d.Accounts = {Asset("10100", "現金"), Asset("10300", "普通預金"), Asset("15200", "売掛金"),
                  Asset("18000", "仮払消費税"), Liability("30700", "買掛金"), Liability("32200", "未払金"),
                  Liability("33700", "仮受消費税"), Equity("80100", "資本金", "71"), Equity("85300", "繰越利益剰余金"),
                  Revenue("40100", "商品売上高"), Expense("45100", "仕入高"), Expense("63000", "役員報酬"),
                  Expense("65200", "水道光熱費"), Expense("65400", "通信費"), Expense("66500", "地代家賃"),
                  Expense("66700", "支払手数料"), Revenue("90500", "雑収入"),
                  Account("99900", "99", "", "", "諸口", "1")};
    d.SubAccounts = {{"10300", "00001", "001", "みずほ銀行"}, {"10300", "00002", "002", "ｱｵｿﾞﾗ信用金庫"},
                     {"15200", "00001", "001", "㈱髙橋商店"}, {"15200", "00002", "002", "ｶﾌﾞｼｷｶﾞｲｼｬ ﾀﾅｶ"},
                     {"30700", "00001", "001", "第①物産㈱"}};
    d.Branches = {{"00000000", "000", "本店"}, {"00000002", "010", "大阪支店"}, {"00000003", "020", "髙松営業所"}};
    d.Departments = {{"001", "01", "営業部"}, {"002", "02", "管理部"}};
    d.ManagedDepartments = {{"00000000", "001"}, {"00000000", "002"}, {"00000002", "001"}, {"00000003", "001"}};
    d.Summaries = {{"ｳﾘｱ", "売上,現金回収", "10100", "40100"}, {"ﾔﾁﾝ", "事務所家賃,共益費込み", "66500", "10300"},
                   {"ﾃｽｳ", "振込手数料", "66700", "10300"}};
    TRandom random(101);
    for (int y = 0; y < 3; ++y) {
        TExtractYear year{.Code = 5 + y, .Start = TDate::Ymd(2023 + y, 4, 1), .End = TDate::Ymd(2024 + y, 3, 31)};
        for (int m = 0; m < 12; ++m) {
            const TDate month = AddMonthsClamped(m, year.Start);
            const std::string branch = m % 3 == 0 ? "00000002" : m % 5 == 0 ? "00000003" : "00000000";
            TExtractEntry sale = Entry(Day(month, 10), "15200", "40100", random.Amount(300000, 900000, 1000), "商品売上,掛売り");
            sale.DebitSub = m % 2 == 0 ? "00001" : "00002";
            sale.Branch = branch;
            sale.CreditDepartment = "001";
            year.Entries.push_back(sale);
            TExtractEntry collect = Entry(Day(month, 25), "10300", "15200", sale.Amount, "売掛金回収");
            collect.DebitSub = "00001";
            collect.CreditSub = sale.DebitSub;
            collect.Branch = branch;
            year.Entries.push_back(collect);
            TExtractEntry purchase = Entry(Day(month, 12), "45100", "30700", random.Amount(150000, 400000, 1000), "商品仕入");
            purchase.CreditSub = "00001";
            purchase.DebitDepartment = "001";
            year.Entries.push_back(purchase);
            TExtractEntry pay = Entry(Day(month, 28), "30700", "10300", purchase.Amount, "買掛金支払");
            pay.DebitSub = "00001";
            pay.CreditSub = "00001";
            year.Entries.push_back(pay);
            TExtractEntry rent = Entry(Day(month, 27), "66500", "10300", 120000, "事務所家賃,共益費込み");
            rent.CreditSub = "00002";
            rent.DebitDepartment = "002";
            year.Entries.push_back(rent);
            year.Entries.push_back(Entry(Day(month, 20), "65200", "10100", random.Amount(8000, 30000, 10), "電気代 ｶﾝｻｲﾃﾞﾝﾘｮｸ"));
            year.Entries.push_back(Entry(Day(month, 20), "65400", "10100", random.Amount(5000, 15000, 10), "電話代"));
            TExtractEntry salary = Entry(Day(month, 25), "63000", "10300", 350000, "役員報酬 山田①郎");
            salary.CreditSub = "00001";
            year.Entries.push_back(salary);
            TExtractEntry fee = Entry(Day(month, 25), "66700", "10300", 440, "振込手数料");
            fee.CreditSub = "00001";
            year.Entries.push_back(fee);
            if (m == 6)
                year.Entries.push_back(Entry(Day(month, 15), "10100", "90500", 12345, "雑収入 Ⅲ期分"));
        }
        if (y == 0) {
            year.Opening = {{{"00000000", "10100", "00000"}, 500000}, {{"00000000", "10300", "00001"}, 8000000},
                            {{"00000000", "10300", "00002"}, 2000000}, {{"00000000", "80100", "00000"}, 10000000},
                            {{"00000000", "85300", "00000"}, 500000}};
        } else {
            year.Opening = CarryForward(d, d.Years.front(), "85300", "", "");
        }
        d.Years.insert(d.Years.begin(), year);  // the most recent year first
    }
    return d;
}

// Individuals: calendar years; the owner's drawings and contributions close into the owner's capital.
TExtractDescription Individual(bool realEstate)
{
    TExtractDescription d;
    d.Corporation = false;
    d.BusinessKind = realEstate ? "03" : "01";
    d.ClientCode = realEstate ? "000303" : "000202";
    d.ClientNo = realEstate ? 303 : 202;
    d.ClientName = realEstate ? "ﾔﾏﾀﾞ不動産 山田花子" : "髙橋①商店 髙橋Ⅲ郎";
    const std::string income = "40100";  // 家賃収入 in the real-estate chart, 商品売上高 in the general one
    d.Accounts = {Asset("10100", "現金"), Asset("10300", "普通預金"), Asset("28100", "事業主貸"),
                  Liability("37300", "事業主借"), Equity("80000", "元入金", "71"),
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
        for (int m = 0; m < 12; ++m) {
            const TDate month = AddMonthsClamped(m, year.Start);
            TExtractEntry receipt = Entry(Day(month, 5), "10300", income, random.Amount(200000, 600000, 1000),
                                          realEstate ? "家賃,共益費 ﾒｿﾞﾝ髙橋101" : "売上,現金");
            receipt.DebitSub = "00001";
            year.Entries.push_back(receipt);
            if (!realEstate)
                year.Entries.push_back(Entry(Day(month, 12), "45100", "10100", random.Amount(50000, 150000, 1000), "商品仕入"));
            year.Entries.push_back(Entry(Day(month, 20), "65800", "10100", random.Amount(5000, 50000, 100), "修繕 ①号室"));
            TExtractEntry draw = Entry(Day(month, 25), "28100", "10300", 150000, "生活費,家事関連");
            draw.CreditSub = "00001";
            year.Entries.push_back(draw);
            if (m % 4 == 0)
                year.Entries.push_back(Entry(Day(month, 15), "10100", "37300", 100000, "事業主借入 ｶﾞｲﾌﾞ"));
            if (m == 4)
                year.Entries.push_back(Entry(Day(month, 31), "65000", "28100", 80000, "固定資産税 Ⅲ期"));
        }
        if (y == 0)
            year.Opening = {{{"00000000", "10100", "00000"}, 300000}, {{"00000000", "10300", "00001"}, 2500000},
                            {{"00000000", "80000", "00000"}, 2800000}};
        else
            year.Opening = CarryForward(d, d.Years.front(), "80000", "28100", "37300");
        d.Years.insert(d.Years.begin(), year);
    }
    return d;
}

}  // namespace

std::vector<std::pair<std::string, TExtractDescription>> SampleExtracts()
{
    return {{"corporation", Corporation()}, {"individual-general", Individual(false)},
            {"individual-realestate", Individual(true)}};
}

}  // namespace qz::test
