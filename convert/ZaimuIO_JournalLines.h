#pragma once
// The lines of the extract's journal file ZM/ZMSIWAKE.CSV: one line per side of an entry, shared by the
// sort table that orders them and the conversion that pairs them.

#include "convert/ZaimuIO_Records.h"

#include <cstdint>
#include <functional>
#include <optional>
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

// "yyyymmdd" as "yyyy/mm/dd", taken apart at CP932 byte positions whatever the text holds (a character
// split there becomes a blank, so that a broken date never becomes broken text).
std::string SlashedDate8(std::string_view text);

// Column 1 as a number (0 when it is none); it comes before any quoted text of the line.
std::int64_t YearOf(std::string_view line);

// One side of an entry of the year (0), or why the line is none: the columns with the dates as
// "yyyy/mm/dd", the summaries with their commas back, "00000" in the sub-account column read as no
// sub-account (it is the balance files' mark, never a sub-account code).
int ReadSide(int year, std::string_view line, TZMSIWAKE& side);

// The raw line decoded column by column, so that a broken double-byte pair cannot swallow a comma.
std::string DecodeByColumn(std::string_view raw);

// A raw line of the journal file as the sort table takes it: the line decoded column by column and the
// key's columns of the decoded line.
struct TJournalSortRow {
    std::int64_t Year = 0;
    std::string Date, Branch, VoucherCode, Side;
    std::string Line;
};
// Nothing when the line lacks the key's columns: it cannot be sorted, and rows with an empty key would
// also collide.
std::optional<TJournalSortRow> JournalSortRow(std::string_view raw);

// What the two sides of one entry share: the year, branch, date and voucher (no two lines of the file share
// it with the same side: the sort table's key refuses them).
std::string PairKey(const TZMSIWAKE& side);

// Whether the sort table's columns hold the row: each key text at most 8 ASCII characters (the side 1), the
// line at most 300 characters. The database would refuse any other row, and with it the whole run.
bool FitsSortTable(const TJournalSortRow& row);
inline constexpr std::string_view kUnsortableLineText = "日付・本支店・伝票・貸借の項目または行が長すぎる仕訳行";
inline constexpr std::string_view kDuplicateLineText = "日付・本支店・伝票・貸借が他の行と重なる仕訳行";

// Why a row of the sorted journal took no part in an entry: its column count, no partner, or a year column
// that reads as another year once the line is unquoted (a quoted year: the row was sorted by the raw text).
enum class TLineFault { WrongColumnCount, Unpaired, UnreadableYear };

// Pairs the sorted rows of one year into entries: a debit line "1" directly followed by the credit line
// "2" of the same year, branch, date and voucher code. A row that forms no pair with the next one is left
// out alone, so one stray line cannot shift every later entry.
class TJournalPairing {
public:
    using TOnPair = std::function<void(TZMSIWAKE&& debit, TZMSIWAKE&& credit)>;
    using TOnLeftOut = std::function<void(TLineFault fault, const std::string& row)>;

    TJournalPairing(int year, TOnPair onPair, TOnLeftOut onLeftOut);
    // False once the rows of later years begin (the rows come sorted by year).
    bool Take(const std::string& row);
    // A debit line still waiting for its credit line is left out.
    void Finish();

private:
    struct TRow {
        std::string Text;
        TZMSIWAKE Side;
    };
    static bool FormsPair(const TZMSIWAKE& first, const TZMSIWAKE& second);

    int year_;
    TOnPair onPair_;
    TOnLeftOut onLeftOut_;
    std::optional<TRow> pending_;   // a debit line waiting for its credit line
};

}  // namespace qz::journal_lines
