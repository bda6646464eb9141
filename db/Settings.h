#pragma once
// The settings registry ACCREG of a data database: values stored as text with one of five type words.

#include "common/Date.h"
#include "common/Money.h"
#include "db/Firebird.h"

#include <string>
#include <string_view>

namespace qz {

inline constexpr std::string_view kRegText = "文字";
inline constexpr std::string_view kRegBool = "論理";
inline constexpr std::string_view kRegDate = "日付";
inline constexpr std::string_view kRegInt = "整数";
inline constexpr std::string_view kRegMoney = "金額";

// A setting's value: Text always holds the stored text (" " for an empty one), the typed member the
// value converted by the type word the caller gave.
struct TRegValue {
    std::string Text;
    bool Bool = false;
    TDate Date;
    std::int64_t Int = 0;
    TMoney Money;

    static TRegValue OfText(std::string_view text);
    static TRegValue OfBool(bool value);
    static TRegValue OfDate(TDate value);
    static TRegValue OfInt(std::int64_t value);
    static TRegValue OfMoney(TMoney value);
};

// Both run in the data database's transaction, joining it when it is active (else starting and finishing
// it themselves), show nothing and pass every error on after rolling back what they started.

// Reads a setting; a missing one is inserted with the default text and the given type word.
TRegValue ReadAccReg(fb::TTransaction& transaction, std::string_view group, std::string_view code,
                     std::string_view typeWord, std::string_view defaultText);
// Writes a setting, inserting it when missing (an existing one keeps its stored type word).
void WriteAccReg(fb::TTransaction& transaction, std::string_view group, std::string_view code,
                 std::string_view typeWord, const TRegValue& value);

}  // namespace qz
