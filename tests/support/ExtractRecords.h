#pragma once
// Records of the extract made in memory, as the reader would make them from a line: for tests that fill
// the conversion context directly instead of writing an extract folder.

#include "common/TextHelpers.h"
#include "convert/ZaimuIO_Records.h"

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qz::test {

// Texts of some columns of a record, by column number.
using TColumnTexts = std::map<std::size_t, std::string_view>;

// A column's value from its text, typed as the reader types the column ("i" integer, "a" amount, "d" date
// as yyyy/mm/dd, "s"/"t" text); an empty text is the zero value. A text the column cannot hold is a
// mistake of the test and throws.
inline TExtractValue ColumnValue(char type, std::string_view text)
{
    const auto parsed = [&](auto value) {
        if (!value)
            throw std::invalid_argument("column text '" + std::string(text) + "' is not of type " + type);
        return TExtractValue(*value);
    };
    switch (type) {
    case 'i': return text.empty() ? TExtractValue(std::int64_t{0}) : parsed(TryTextToInt(text));
    case 'a': return text.empty() ? TExtractValue(TMoney()) : parsed(TMoney::Parse(text));
    case 'd': return text.empty() ? TExtractValue(TDate()) : parsed(TDate::Parse(text));
    default: return std::string(text);
    }
}

// A record of the file with the year code and the given column texts; every other column empty.
template <typename TRecord>
TRecord MakeRecord(const TExtractFileSpec& spec, int year, const TColumnTexts& columns)
{
    if (!columns.empty() && columns.rbegin()->first >= spec.Columns.size())
        throw std::out_of_range("column " + std::to_string(columns.rbegin()->first) + " beyond the file's columns");
    const std::string yearText = std::to_string(year);
    TRecord record;
    for (std::size_t c = 0; c < spec.Columns.size(); ++c) {
        const auto given = columns.find(c);
        const std::string_view text = c == column::kNendoCode ? yearText : given == columns.end() ? "" : given->second;
        record.Values().push_back(ColumnValue(spec.Columns[c], text));
    }
    return record;
}

// The columns of an account (ZMKANJYO) the conversion reads; a debit-side balance-sheet account unless
// told otherwise.
struct TAccountColumns {
    std::string_view Code = {}, UserCode = {}, Level1 = "10", Name = {}, Side = "1", DebitTax = {}, CreditTax = {}, CostKind = {};
};

inline TZMKANJYO AccountRecord(int year, const TAccountColumns& a)
{
    using namespace column::zmkanjyo;
    return MakeRecord<TZMKANJYO>(extract::Zmkanjyo, year,
                                 {{kSystemCode, a.Code}, {kUserCode, a.UserCode}, {kLevel1, a.Level1}, {kName, a.Name},
                                  {kSide, a.Side}, {kDebitTax, a.DebitTax}, {kCreditTax, a.CreditTax}, {kCostKind, a.CostKind}});
}

inline TZMUCHIWAK SubAccountRecord(int year, std::string_view account, std::string_view code, std::string_view userCode,
                                   std::string_view name)
{
    using namespace column::zmuchiwa;
    return MakeRecord<TZMUCHIWAK>(extract::Zmuchiwa, year,
                                  {{kAccount, account}, {kSubAccount, code}, {kUserCode, userCode}, {kName, name}});
}

inline Tcmhonten BranchRecord(int year, std::string_view code, std::string_view name)
{
    return MakeRecord<Tcmhonten>(extract::Cmhonten, year, {{column::cmhonten::kCode, code}, {column::cmhonten::kName, name}});
}

inline TCMBUMON DepartmentRecord(int year, std::string_view code, std::string_view displayCode, std::string_view name,
                                 std::string_view otherName = {})
{
    using namespace column::cmbumon;
    return MakeRecord<TCMBUMON>(extract::Cmbumon, year,
                                {{kCode, code}, {kDisplayCode, displayCode}, {kName, name}, {kOtherName, otherName}});
}

// A branch managing a department (ZMHONKAN).
inline TZMHONKAN ManagedRecord(int year, std::string_view branch, std::string_view department)
{
    return MakeRecord<TZMHONKAN>(extract::Zmhonkan, year,
                                 {{column::zmhonkan::kBranch, branch}, {column::zmhonkan::kDepartment, department}});
}

}  // namespace qz::test
