#pragma once
// The Japanese era table (元号) and the conversion of a date into an era date.

#include "common/Date.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// Fixed table entry: era name, one-letter abbreviation, start date "yyyy/mm/dd", first calendar year.
struct TGengo2Rec {
    std::string_view Name;
    char Letter;
    std::string_view StartDate;
    int FirstYear;
};

// Runtime era entry with the start date as a date.
struct TGengoRec {
    std::string Name;
    char Letter;
    TDate StartDate;
    int FirstYear;
};

// A date in era form.
struct TWarekiRec {
    std::string Name;
    char Letter = '\0';
    std::int16_t Year = 0;
    std::int16_t Month = 0;
    std::int16_t Day = 0;
};

// Newest era first.
std::span<const TGengo2Rec> GengoTable();
const std::vector<TGengoRec>& GengoList();

TWarekiRec ToWareki(TDate date);

}  // namespace qz
