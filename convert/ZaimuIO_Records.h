#pragma once
// Records of the source product's extract files: one record per CSV line, columns typed as the file's
// layout says (integer, text, amount in ten-thousandths, date).

#include "common/Date.h"
#include "common/Money.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qz {

// Column numbers (from 0) of the extract files, named where the conversion picks a column.
namespace column {
inline constexpr std::size_t kNendoCode = 1;  // every file: the internal code of the fiscal year
// CMHONTEN and CMBUMON are ordered by the year code, then by this column (the branch order key, the
// department display code).
inline constexpr std::size_t kOrderKey = 3;

namespace cmkansig {
inline constexpr std::size_t kBumonKetasu = 3;  // department code digits of the year
}
namespace zmkannen {
inline constexpr std::size_t kKana = 4;
inline constexpr std::size_t kName = 5;
inline constexpr std::size_t kPost = 6;
inline constexpr std::size_t kAddress1 = 11;
inline constexpr std::size_t kAddress2 = 12;
inline constexpr std::size_t kFreeCode = 14;      // "1": free account codes in use
inline constexpr std::size_t kJigyouKubun = 30;   // business kind; "03" real estate
inline constexpr std::size_t kHoujinKojin = 31;   // "1" corporation, "2" individual
inline constexpr std::size_t kKamokuKetasu = 34;  // account code digits; 5 or 6 for free codes
inline constexpr std::size_t kHojoKetasu = 36;    // sub-account code digits
inline constexpr std::size_t kOutputTaxRounding = 40;
inline constexpr std::size_t kInputTaxRounding = 41;
inline constexpr std::size_t kTaxDefault = 59;    // tax processing, 1-based
}
namespace zmkesan {
inline constexpr std::size_t kYearNumber = 4;
}
namespace zmuchiwa {
inline constexpr std::size_t kAccount = 2;
inline constexpr std::size_t kSubAccount = 3;
inline constexpr std::size_t kUserCode = 4;
inline constexpr std::size_t kName = 5;
inline constexpr std::size_t kSecondName = 6;   // taken when kName is empty
inline constexpr std::size_t kDebitTax = 8;
inline constexpr std::size_t kCreditTax = 10;
}
// The summary dictionaries.
namespace zmrensou {
inline constexpr std::size_t kAccount = 3;
inline constexpr std::size_t kSide = 4;   // "1" debit, "2" credit
inline constexpr std::size_t kText = 5;
}
namespace zmsiwaji {
inline constexpr std::size_t kDebitAccount = 3;
inline constexpr std::size_t kCreditAccount = 4;
inline constexpr std::size_t kKind = 5;   // 1: a single-transaction summary
inline constexpr std::size_t kText = 7;
inline constexpr std::size_t kDebitSubAccount = 8;
inline constexpr std::size_t kCreditSubAccount = 9;
}
namespace zmryaku {
inline constexpr std::size_t kKana = 2;
inline constexpr std::size_t kText = 3;
}
// Both balance files (ZMUCHZAN per sub-account, ZMBUMZAN per department).
namespace balance {
inline constexpr std::size_t kBranch = 2;
inline constexpr std::size_t kAccount = 3;
inline constexpr std::size_t kSubAccount = 4;   // ZMUCHZAN: "00000" none, "99999" catch-all
inline constexpr std::size_t kDepartment = 4;   // ZMBUMZAN
inline constexpr std::size_t kKind = 5;
inline constexpr std::size_t kOpening = 6;
// The 16 slots of the year: the first series from this column, the second series 16 columns on.
inline constexpr int kSlots = 16;
inline constexpr std::size_t kFirstSeriesOfSlot1 = 7;
// The first-series column of month k (1-11) of the year; its second-series partner lies 16 columns on.
// The quarter and year-end settlement columns are not months.
inline constexpr std::size_t kFirstSeriesOfMonth[] = {7, 8, 9, 11, 12, 13, 15, 16, 17, 19, 20};
inline constexpr std::size_t kSecondSeriesOffset = 16;
}
namespace cmhonten {
inline constexpr std::size_t kCode = 2;
inline constexpr std::size_t kName = 4;
inline constexpr std::size_t kOtherName = 5;
}
namespace cmbumon {
inline constexpr std::size_t kCode = 2;
inline constexpr std::size_t kDisplayCode = 3;  // the target code when department codes have at most 4 digits
inline constexpr std::size_t kName = 4;
inline constexpr std::size_t kOtherName = 5;
}
namespace zmhonkan {
inline constexpr std::size_t kBranch = 2;
inline constexpr std::size_t kDepartment = 3;
}
namespace zmkanjyo {
inline constexpr std::size_t kSystemCode = 2;
inline constexpr std::size_t kUserCode = 3;
inline constexpr std::size_t kLevel1 = 4;
inline constexpr std::size_t kLevel2 = 6;
inline constexpr std::size_t kLevel3 = 8;
inline constexpr std::size_t kShortName = 11;  // taken when kName is empty
inline constexpr std::size_t kName = 12;
inline constexpr std::size_t kSide = 13;       // balance side: "1" debit, "2" credit
inline constexpr std::size_t kDebitTax = 17;
inline constexpr std::size_t kCreditTax = 19;
inline constexpr std::size_t kCostKind = 21;   // "1" fixed, "2" variable
}
namespace zmsiwake {
inline constexpr std::size_t kTaisyakuKubun = 5;  // "1" debit, "2" credit
}
}  // namespace column

// One column value; a rejected line leaves every column at its zero value.
using TExtractValue = std::variant<std::int64_t, std::string, TMoney, TDate>;

class TExtractRecord {
public:
    // The value of a column; a column the record does not have (or of another type) reads as zero/empty.
    std::int64_t Int(std::size_t column) const;
    const std::string& Text(std::size_t column) const;
    TMoney Amount(std::size_t column) const;
    TDate Date(std::size_t column) const;
    std::size_t ColumnCount() const { return values_.size(); }
    bool Empty() const { return values_.empty(); }

    // The year code of every file.
    std::int64_t YearCode() const { return Int(column::kNendoCode); }

    std::vector<TExtractValue>& Values() { return values_; }
    const std::vector<TExtractValue>& Values() const { return values_; }

private:
    std::vector<TExtractValue> values_;
};

// One type per extract file, so a record of one file cannot be taken for another's.
struct Tcmkansig : TExtractRecord {};   // CM/CMKANSIG.CSV  client resources per year
struct Tcmhonten : TExtractRecord {};   // CM/CMHONTEN.CSV  head office and branches
struct TCMBUMON : TExtractRecord {};    // CM/CMBUMON.CSV   departments
struct Ttadatama : TExtractRecord {};   // CM/TADATAMA.CSV  accounting data management
struct TZMKANNEN : TExtractRecord {};   // ZM/ZMKANNEN.CSV  client settings per year
struct TZMHONKAN : TExtractRecord {};   // ZM/ZMHONKAN.CSV  departments managed per branch
struct TZMKANJYO : TExtractRecord {     // ZM/ZMKANJYO.CSV  accounts
    int WorkFlag = 0;                   // 1: a main account that has branch-numbered accounts
};
struct TZMRYAKU : TExtractRecord {};    // ZM/ZMRYAKU.CSV   abbreviation summaries
struct TZMRENSOU : TExtractRecord {};   // ZM/ZMRENSOU.CSV  associative summaries
struct TZMUCHIWAK : TExtractRecord {};  // ZM/ZMUCHIWA.CSV  sub-accounts
struct TZMUCHZAN : TExtractRecord {};   // ZM/ZMUCHZAN.CSV  balances per account and sub-account
struct TZMBUMZAN : TExtractRecord {};   // ZM/ZMBUMZAN.CSV  balances per account and department
struct TZMKESAN : TExtractRecord {};    // ZM/ZMKESAN.CSV   financial statement settings
struct TZMSIWAJI : TExtractRecord {};   // ZM/ZMSIWAJI.CSV  journal dictionary

// One side of a journal entry of ZM/ZMSIWAKE.CSV as the journal conversion reads it: the columns as
// texts, the two dates as "yyyy/mm/dd", the summaries with their commas back.
struct TZMSIWAKE {
    std::vector<std::string> Columns;
    const std::string& Column(std::size_t index) const
    {
        static const std::string empty;
        return index < Columns.size() ? Columns[index] : empty;
    }
};

// How a file is read: its path, its column types for the larger accepted count ("i" integer, "t" text,
// "s" text with ";" turned back into ",", "a" amount, "d" date), the smaller accepted count, whether
// quoted fields are unquoted, the texts of the messages (a count below the smaller one is too few, any
// other count too many), the most lines the file may hold.
struct TExtractFileSpec {
    std::string_view Folder;          // "CM" or "ZM"
    std::string_view FileName;        // as the program names it; found without regard to letter case
    std::string_view Columns;         // one letter per column of the larger count
    std::size_t SmallerCount;
    bool Quoted;
    bool TrailingQuoteVariant;        // ZMRENSOU: a line ending in a quote is unquoted too
    bool Ordered;                     // CMHONTEN, CMBUMON: records in byte order of year code and column 3
    std::string_view TooFewText;      // a count below SmallerCount
    std::string_view TooManyText;     // any other count that is not accepted
    std::string_view MissingText;
    std::string_view DumpTag;         // "[01]" ... of the error log
    std::size_t MaxLines;             // a file with more lines is refused whole
};

namespace extract {
extern const TExtractFileSpec Cmkansig, Cmhonten, Cmbumon, Tadatama, Zmkannen, Zmhonkan, Zmkanjyo, Zmryaku,
    Zmrensou, Zmuchzan, Zmbumzan, Zmkesan, Zmuchiwa, Zmsiwaji;
}

}  // namespace qz
