#include "convert/ZaimuIO_JournalLines.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "common/Utf8.h"
#include "convert/ZaimuIO_CsvReader.h"

#include <algorithm>
#include <iterator>

namespace qz::journal_lines {
namespace {

constexpr std::size_t kFewestColumns = 24;
constexpr std::size_t kMostColumns = 25;
constexpr std::string_view kNoSubAccount = "00000";   // the balance files' "no sub-account"

}  // namespace

std::string DecodeByColumn(std::string_view raw)
{
    std::string line;
    line.reserve(raw.size() + raw.size() / 2);
    bool first = true;
    for (const std::string_view column : SplitAt(raw, ",")) {
        if (!first)
            line += ',';
        line += DecodeCp932(column);
        first = false;
    }
    return line;
}

std::string SlashedDate8(std::string_view text)
{
    return Format("%s/%s/%s", MidSjis(text, 0, 4), MidSjis(text, 4, 2), MidSjis(text, 6, 2));
}

std::int64_t YearOf(std::string_view line)
{
    const std::size_t first = line.find(',');
    if (first == std::string_view::npos)
        return 0;
    const std::size_t second = line.find(',', first + 1);
    return TryTextToInt(line.substr(first + 1, second == std::string_view::npos ? second : second - first - 1)).value_or(0);
}

int ReadSide(int year, std::string_view line, TZMSIWAKE& side)
{
    const std::string unquoted = UnquoteFields(line, false);
    const std::vector<std::string_view> columns = SplitAt(unquoted, ",");
    if (columns.size() < kFewestColumns)
        return kTooFewColumns;
    if (columns.size() > kMostColumns)
        return kTooManyColumns;
    if (TryTextToInt(columns[kYear]).value_or(0) != year)
        return kOtherYear;
    side.Columns.assign(columns.begin(), columns.end());
    for (const std::size_t date : {kDate, kSecondDate})
        side.Columns[date] = SlashedDate8(side.Columns[date]);
    for (const std::size_t summary : {kSummary, kSecondSummary})
        std::replace(side.Columns[summary].begin(), side.Columns[summary].end(), ';', ',');
    if (Trim(side.Columns[kSubAccount]) == kNoSubAccount) {
        side.Columns[kSubAccount].clear();
        side.Columns[kSubAccountUser].clear();
    }
    return 0;
}

std::optional<TJournalSortRow> JournalSortRow(std::string_view raw)
{
    TJournalSortRow row;
    row.Line = DecodeByColumn(raw);
    const std::vector<std::string_view> columns = SplitAt(row.Line, ",");
    if (columns.size() < kKeyColumns)
        return std::nullopt;
    row.Year = YearOf(row.Line);
    row.Date = columns[kDate];
    row.Branch = columns[kBranch];
    row.VoucherCode = columns[kVoucherCode];
    row.Side = columns[kSide];
    return row;
}

bool FitsSortTable(const TJournalSortRow& row)
{
    constexpr std::size_t kKeyCharacters = 8, kSideCharacters = 1, kLineCharacters = 300;
    const auto fits = [](std::string_view text, std::size_t characters) {
        return text.size() <= characters && std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    return fits(row.Date, kKeyCharacters) && fits(row.Branch, kKeyCharacters) && fits(row.VoucherCode, kKeyCharacters) &&
           fits(row.Side, kSideCharacters) && CodePointCount(row.Line) <= kLineCharacters;
}

TJournalPairing::TJournalPairing(int year, TOnPair onPair, TOnLeftOut onLeftOut)
    : year_(year), onPair_(std::move(onPair)), onLeftOut_(std::move(onLeftOut))
{
}

bool TJournalPairing::Take(const std::string& row)
{
    const std::int64_t year = YearOf(row);
    if (year != year_)
        return year < year_;
    TRow current{row, {}};
    const int result = ReadSide(year_, row, current.Side);
    if (result != 0) {
        onLeftOut_(result == kOtherYear ? TLineFault::UnreadableYear : TLineFault::WrongColumnCount, row);
        return true;
    }
    if (pending_ && FormsPair(pending_->Side, current.Side)) {
        TZMSIWAKE debit = std::move(pending_->Side);
        pending_.reset();
        onPair_(std::move(debit), std::move(current.Side));
        return true;
    }
    // Only the first row is left out: the second may begin the next pair.
    if (pending_)
        onLeftOut_(TLineFault::Unpaired, pending_->Text);
    pending_ = std::move(current);
    return true;
}

void TJournalPairing::Finish()
{
    if (pending_)
        onLeftOut_(TLineFault::Unpaired, pending_->Text);
    pending_.reset();
}

std::string PairKey(const TZMSIWAKE& side)
{
    std::string key;
    for (const std::size_t column : {kYear, kBranch, kDate, kVoucherCode})
        key += side.Column(column) + '\t';
    return key;
}

bool TJournalPairing::FormsPair(const TZMSIWAKE& first, const TZMSIWAKE& second)
{
    return first.Column(kSide) == "1" && second.Column(kSide) == "2" && PairKey(first) == PairKey(second);
}

}  // namespace qz::journal_lines
