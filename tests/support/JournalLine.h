#pragma once
// Journal lines in the layout the journal conversion writes for the text import, for the tests of the
// import and of the writer that posts them.

#include "db/Firebird.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qz::test {

// A line of the journal file in the layout the journal conversion writes, its fields by name. The default
// entry is cash (101, outside the tax) against miscellaneous sales (411, taxable sales through its account).
struct TJournalLine {
    std::string Date = "2025/04/10";
    std::string Kessan = "0";
    std::string Dnum = "1";
    std::string Branch;
    std::string Debit = "101", DebitSub, DebitDept, DebitTax = "0";
    std::string Credit = "411", CreditSub, CreditDept, CreditTax = "0";
    std::string Amount = "1000";
    std::string Tax = "0";
    std::string AutoCalc = "1";
    std::string CalcMode = "0";
    std::string OldRate = "0";
    std::string Summary = "\"売上\"";
    std::string Fusen1 = "0";

    std::vector<std::string> Fields() const
    {
        return {Date,   Kessan,    Dnum,       "",        Branch,   "",      Debit,   DebitSub,  DebitDept, DebitTax,
                "",     Credit,    CreditSub,  CreditDept, CreditTax, Amount, Tax,     "0",       AutoCalc,  CalcMode,
                OldRate, Summary,  "\"\"",     Fusen1,    "0",       "\"\"",  "",      "",        "",        "2025/05/01"};
    }
    std::string Text() const
    {
        std::string text;
        for (const std::string& field : Fields())
            text += (text.empty() ? "" : "\t") + field;
        return text;
    }
};

// Balance totals by (user code or tax class, balance slot).
using TTotalsKey = std::pair<std::string, int>;
using TAccountTotals = std::map<TTotalsKey, std::array<std::int64_t, 4>>;  // debit net, debit tax, credit net, credit tax
using TTaxTotals = std::map<TTotalsKey, std::array<std::int64_t, 2>>;       // debit, credit

// A year of entries from 2025-04-01 on, every sixth day, named "合計0", "合計1", ...: cash sales with the
// tax included, purchases paid in cash with the tax excluded, interest received; with the totals the
// balance tables must show for them, worked out here from the amounts and the 8 % of those dates.
struct TJournalMix {
    std::vector<TJournalLine> Lines;
    TAccountTotals Accounts;
    TTaxTotals Taxes;
};
TJournalMix MixedYear(int count);

// What the balance tables hold, every row that is not all zero.
TAccountTotals StoredAccountTotals(fb::TTransaction& transaction);
TTaxTotals StoredTaxTotals(fb::TTransaction& transaction);

}  // namespace qz::test
