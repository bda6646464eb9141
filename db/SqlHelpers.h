#pragma once
// SQL objects bound to the system or the data database, and the settings registry ACCREG of a data
// database (values stored as text with one of five type words).

#include "common/Date.h"
#include "common/Money.h"
#include "db/Firebird.h"

#include <memory>
#include <string>
#include <string_view>

namespace qz {

// The database name "ACCDEF" selects the system database, any other name the data database. Each
// returns nothing when the object cannot be created.
std::unique_ptr<fb::TStatement> NewQuery(std::string_view database, bool snapshot);
std::unique_ptr<fb::TStatement> NewSQL(std::string_view database);

// A selectable stored procedure: the statement "SELECT * FROM name(:P1, ...)" prepared with its inputs.
std::unique_ptr<fb::TStatement> NewStoredProc(std::string_view database, std::string_view procedure);

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

// Reads a setting; a missing one is inserted with the default text and the given type word.
// Errors are passed on after rolling back what this call started.
TRegValue ReadAccReg(std::string_view group, std::string_view code, std::string_view typeWord,
                     std::string_view defaultText);
// Writes a setting, inserting it when missing (an existing one keeps its stored type word).
void WriteAccReg(std::string_view group, std::string_view code, std::string_view typeWord, const TRegValue& value);

}  // namespace qz
