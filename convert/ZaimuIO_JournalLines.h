#pragma once
// The lines of the extract's journal file ZM/ZMSIWAKE.CSV: one line per side of an entry, shared by the
// sort table that orders them and the conversion that pairs them.

#include "convert/ZaimuIO_Records.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qz::journal_lines {

// Columns of a line.
inline constexpr std::size_t kYear = 1;
inline constexpr std::size_t kBranch = 2;
inline constexpr std::size_t kVoucherCode = 3;   // first character "2": a closing-adjustment entry, then its month
inline constexpr std::size_t kSide = 5;          // "1" debit, "2" credit
inline constexpr std::size_t kVoucherNo = 6;
inline constexpr std::size_t kDate = 7;
inline constexpr std::size_t kSecondDate = 8;
inline constexpr std::size_t kDepartment = 10;
inline constexpr std::size_t kAccount = 13;
inline constexpr std::size_t kSubAccountUser = 14;
inline constexpr std::size_t kSubAccount = 15;
inline constexpr std::size_t kTax = 16;
inline constexpr std::size_t kAmount = 17;
inline constexpr std::size_t kSummary = 21;
inline constexpr std::size_t kSecondSummary = 22;
inline constexpr std::size_t kKeyColumns = 8;    // the sort key's columns all lie before column 8

// Results of reading a side.
inline constexpr int kTooFewColumns = 254;
inline constexpr int kTooManyColumns = 253;
inline constexpr int kOtherYear = 255;

inline constexpr std::string_view kWrongColumnCountText = "項目数が不正な仕訳行";

// Column 1 as a number (0 when it is none); it comes before any quoted text of the line.
std::int64_t YearOf(std::string_view line);

// One side of an entry of the year (0), or why the line is none: the columns with the dates as
// "yyyy/mm/dd", the summaries with their commas back, "00000" in the sub-account column read as no
// sub-account (it is the balance files' mark, never a sub-account code).
int ReadSide(int year, std::string_view line, TZMSIWAKE& side);

// A raw line of the file decoded column by column, so that a broken double-byte pair cannot swallow a comma.
std::string DecodeLine(std::string_view raw);

// What the two sides of one entry share: the year, branch, date and voucher (no two lines of the file share
// it with the same side: the sort table's key refuses them).
std::string PairKey(const TZMSIWAKE& side);
// Whether two sides form one entry: a debit "1" followed by a credit "2" with the same key.
bool FormsPair(const TZMSIWAKE& first, const TZMSIWAKE& second);

}  // namespace qz::journal_lines
