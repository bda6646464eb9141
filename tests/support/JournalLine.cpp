#include "tests/support/JournalLine.h"

#include "common/Date.h"
#include "common/Format.h"

namespace qz::test {

TJournalMix MixedYear(int count)
{
    TJournalMix mix;
    for (int i = 0; i < count; ++i) {
        const TDate date(TDate::Ymd(2025, 4, 1).Serial() + 6 * i);
        const int month = (date.Year() * 12 + date.Month()) - (2025 * 12 + 4);
        const int slot = month + month / 3 + 1;  // a settlement slot follows every third month
        TJournalLine line;
        line.Summary = Format("\"合計%d\"", i);
        line.Date = date.ToText();
        line.Dnum = std::to_string(i + 1);
        const std::int64_t amount = 1000 + 37 * i;
        line.Amount = std::to_string(amount);
        if (i % 3 == 0) {  // cash sale, tax included
            const std::int64_t tax = amount * 8 / 108;
            mix.Accounts[{"101", slot}][0] += amount;
            mix.Accounts[{"411", slot}][2] += amount - tax;
            mix.Accounts[{"411", slot}][3] += tax;
            mix.Taxes[{"1", slot}][1] += tax;
        } else if (i % 3 == 1) {  // purchase paid in cash, tax excluded
            line.Debit = "673", line.Credit = "101", line.CalcMode = "1";
            const std::int64_t tax = amount * 8 / 100;
            mix.Accounts[{"673", slot}][0] += amount;
            mix.Accounts[{"673", slot}][1] += tax;
            mix.Accounts[{"101", slot}][2] += amount + tax;
            mix.Taxes[{"2", slot}][0] += tax;
        } else {  // interest received
            line.Credit = "900";
            mix.Accounts[{"101", slot}][0] += amount;
            mix.Accounts[{"900", slot}][2] += amount;
        }
        mix.Lines.push_back(line);
    }
    return mix;
}

TAccountTotals StoredAccountTotals(fb::TTransaction& transaction)
{
    fb::TTransactionScope scope(transaction);
    TAccountTotals totals;
    fb::TStatement query(transaction);
    query.Prepare("SELECT K.USERCODE,M.MNUM,M.KAR_NUK,M.KAR_TAX,M.KAS_NUK,M.KAS_TAX FROM KAMOKU_MS M "
                  "JOIN KAMOKUMST K ON K.KCODE=M.KCODE WHERE M.KAR_NUK<>0 OR M.KAR_TAX<>0 OR M.KAS_NUK<>0 OR M.KAS_TAX<>0");
    query.Open();
    while (query.Fetch())
        totals[{query.AsString(0), static_cast<int>(query.AsInt(1))}] = {
            query.AsMoney(2).RoundedYen(), query.AsMoney(3).RoundedYen(), query.AsMoney(4).RoundedYen(), query.AsMoney(5).RoundedYen()};
    return totals;
}

TTaxTotals StoredTaxTotals(fb::TTransaction& transaction)
{
    fb::TTransactionScope scope(transaction);
    TTaxTotals totals;
    fb::TStatement query(transaction);
    query.Prepare("SELECT KKUBUN,MNUM,KAR,KAS FROM KAMOKU_TAX WHERE KAR<>0 OR KAS<>0");
    query.Open();
    while (query.Fetch())
        totals[{query.AsString(0), static_cast<int>(query.AsInt(1))}] = {query.AsMoney(2).RoundedYen(), query.AsMoney(3).RoundedYen()};
    return totals;
}

}  // namespace qz::test
