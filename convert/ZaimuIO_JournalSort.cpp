// The journal file sorted through a work table of the data database: the table's primary key returns the
// lines by year, date, branch, voucher and side, so that each entry's debit line comes directly before
// its credit line. The file is read line by line.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/LineReader.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_CsvReader.h"
#include "convert/ZaimuIO_JournalLines.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"

#include <algorithm>
#include <fstream>

namespace qz {

namespace journal_lines {
namespace {
constexpr std::size_t kFewestColumns = 24;
constexpr std::size_t kMostColumns = 25;
constexpr std::string_view kNoSubAccount = "00000";   // the balance files' "no sub-account"
}  // namespace

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
        side.Columns[date] = TQZaimuIO::DateText8(side.Columns[date]);
    for (const std::size_t summary : {kSummary, kSecondSummary})
        std::replace(side.Columns[summary].begin(), side.Columns[summary].end(), ';', ',');
    if (Trim(side.Columns[kSubAccount]) == kNoSubAccount) {
        side.Columns[kSubAccount].clear();
        side.Columns[kSubAccountUser].clear();
    }
    return 0;
}

std::string DecodeLine(std::string_view raw)
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

std::string PairKey(const TZMSIWAKE& side)
{
    std::string key;
    for (const std::size_t column : {kYear, kBranch, kDate, kVoucherCode})
        key += side.Column(column) + '\t';
    return key;
}

bool FormsPair(const TZMSIWAKE& first, const TZMSIWAKE& second)
{
    return first.Column(kSide) == "1" && second.Column(kSide) == "2" && PairKey(first) == PairKey(second);
}

}  // namespace journal_lines

namespace {

namespace fs = std::filesystem;
using namespace convert::sql;
using namespace journal_lines;

// The work table is committed now and then, so that a long file does not keep one ever-growing change
// open; more often costs time (every 1000 rows doubles the fill) and gains nothing.
constexpr int kCommitEvery = 10000;

}  // namespace

void TQZaimuIO::CreateJournalSortTable()
{
    fb::TTransaction& transaction = Transaction();
    fb::ExecuteImmediate(transaction, kRecreateJournalSortTable);
    transaction.CommitRetaining();
}

void TQZaimuIO::DropJournalSortTable()
{
    fb::TTransaction& transaction = Transaction();
    fb::ExecuteImmediate(transaction, kDropJournalSortTable);
    transaction.CommitRetaining();
}

void TQZaimuIO::FillJournalSortTable()
{
    ShowProgress("仕訳をソート中です。");
    const fs::path file = JournalFile();
    if (file.empty())
        return;
    const int years[] = {ZenzenkiNendoCode, ZenkiNendoCode, SentakuNendoCode};
    const auto imported = [&](std::int64_t year) {
        return std::any_of(std::begin(years), std::end(years), [&](int code) { return code != -1 && code == year; });
    };
    fb::TTransaction& transaction = Transaction();
    fb::TStatement insert(transaction);
    insert.Prepare(kInsertJournalSortRow);
    TLineReader reader(file);
    std::string raw;
    int inserted = 0;
    while (reader.Next(raw)) {
        if (Trim(raw).empty() || !imported(YearOf(raw)))
            continue;
        const std::string line = DecodeLine(raw);
        const std::vector<std::string_view> columns = SplitAt(line, ",");
        // Without its key the line cannot be sorted; rows with an empty key would also collide.
        if (columns.size() < kKeyColumns) {
            ReadErrors.push_back(Format("  仕訳 %s：%s", kWrongColumnCountText, line));
            continue;
        }
        insert.SetInt("JigyounendoNaibuCD", YearOf(line));
        insert.SetString("TORIHIKIBI", columns[kDate]);
        insert.SetString("HonsitenNaibuCD", columns[kBranch]);
        insert.SetString("DenpyouNaibuCD", columns[kVoucherCode]);
        insert.SetString("TaisyakuKubun", columns[kSide]);
        insert.SetString("TEXT", line);
        insert.Execute();
        if (++inserted % kCommitEvery == 0)
            transaction.CommitRetaining();
    }
    transaction.CommitRetaining();
}

int TQZaimuIO::ParseJournalLine(int year, std::string_view line)
{
    TZMSIWAKE side;
    const int result = ReadSide(year, line, side);
    if (result != 0)
        return result;
    if (side.Column(kSide) == "1")
        DebitLine = std::move(side);
    else if (side.Column(kSide) == "2")
        CreditLine = std::move(side);
    return 0;
}

}  // namespace qz
