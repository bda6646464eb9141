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
#include <stdexcept>

namespace qz {

namespace {

namespace fs = std::filesystem;
using namespace convert::sql;
using namespace journal_lines;

// The work table is committed now and then, so that a long file does not keep one ever-growing change
// open; more often costs time (every 1000 rows doubles the fill) and gains nothing.
constexpr int kCommitEvery = 10000;
constexpr std::int64_t kUniqueKeyViolation = 335544665;   // isc_unique_key_violation

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
    if (file.empty()) {
        // The file was there when the extract was read: it has gone (or become a folder) since.
        if (!journalFileAtRead_.empty())
            throw std::runtime_error(Format("仕訳ファイルを読み込めません。<%s>\n"
                                            "抽出データのフォルダが移動・削除されていないか確認して、もう一度コンバートして下さい。",
                                            journalFileAtRead_.string()));
        return;
    }
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
    const auto refused = [&](std::size_t lineNumber) {
        ReadErrors.push_back(Format("  仕訳 %s：%s", file.filename().string(), LineTooLongText(lineNumber, kMaxLineBytes)));
    };
    while (reader.NextWithin(raw, refused)) {
        if (Trim(raw).empty() || !imported(YearOf(raw)))
            continue;
        const std::optional<TJournalSortRow> row = JournalSortRow(raw);
        if (!row) {
            ReadErrors.push_back(Format("  仕訳 %s：%s", kWrongColumnCountText, DecodeByColumn(raw)));
            continue;
        }
        // A row the table cannot take is left out and told, as a line of a wrong column count is: the
        // database would refuse it and fail the whole run.
        if (!FitsSortTable(*row)) {
            ReadErrors.push_back(Format("  仕訳 %s：%s", kUnsortableLineText, row->Line));
            continue;
        }
        insert.SetInt("JigyounendoNaibuCD", row->Year);
        insert.SetString("TORIHIKIBI", row->Date);
        insert.SetString("HonsitenNaibuCD", row->Branch);
        insert.SetString("DenpyouNaibuCD", row->VoucherCode);
        insert.SetString("TaisyakuKubun", row->Side);
        insert.SetString("TEXT", row->Line);
        try {
            insert.Execute();
        } catch (const fb::TFbError& error) {
            // The key is the table's primary key: a second line with the same key is a damaged file. The
            // refused insert leaves the transaction as it was.
            if (error.Code() != kUniqueKeyViolation)
                throw;
            ReadErrors.push_back(Format("  仕訳 %s：%s", kDuplicateLineText, row->Line));
            continue;
        }
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
