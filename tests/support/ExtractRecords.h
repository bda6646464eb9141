#pragma once
// Records of the extract made in memory, as the reader would make them from a line: for tests that fill
// the conversion context directly instead of writing an extract folder.

#include "convert/ZaimuIO_Records.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace qz::test {

// A record of the file with the year code and the given column texts; every other column empty (0 for an
// integer column).
template <typename TRecord>
TRecord MakeRecord(const TExtractFileSpec& spec, int year,
                   std::initializer_list<std::pair<std::size_t, std::string_view>> columns)
{
    TRecord record;
    for (std::size_t c = 0; c < spec.Columns.size(); ++c) {
        std::string text = c == column::kNendoCode ? std::to_string(year) : std::string();
        for (const auto& [index, value] : columns)
            if (index == c)
                text = value;
        if (spec.Columns[c] == 'i')
            record.Values().emplace_back(std::int64_t{text.empty() ? 0 : std::stoll(text)});
        else
            record.Values().emplace_back(std::move(text));
    }
    return record;
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
