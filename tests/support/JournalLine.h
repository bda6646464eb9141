#pragma once
// Journal lines in the layout the journal conversion writes for the text import, for the tests of the
// import and of the writer that posts them.

#include <string>
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

}  // namespace qz::test
