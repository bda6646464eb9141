#include "db/Settings.h"

#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "db/DbStatements.h"

namespace qz {
namespace {

// The value of a stored text read by a type word.
TRegValue Convert(std::string text, std::string_view typeWord)
{
    TRegValue value;
    if (text.empty())
        text = " ";
    value.Text = text;
    if (typeWord == kRegText)
        return value;
    if (typeWord == kRegBool)
        value.Bool = TextToBool(text);
    else if (typeWord == kRegDate)
        value.Date = TextToDate(text);
    else if (typeWord == kRegInt)
        value.Int = TryTextToInt(Trim(text)).value_or(0);
    else if (typeWord == kRegMoney)
        value.Money = TextToMoney(text);
    else
        value.Text = "Data Type Error";
    return value;
}

// The text a value is stored as, by the type word.
std::string Encode(const TRegValue& value, std::string_view typeWord)
{
    if (typeWord == kRegBool)
        return BoolToText(value.Bool);
    if (typeWord == kRegDate)
        return FormatDateText(4, TDateTime{value.Date, 0});
    if (typeWord == kRegInt)
        return std::to_string(value.Int);
    if (typeWord == kRegMoney)
        return value.Money.ToText();
    return value.Text;
}

}  // namespace

TRegValue TRegValue::OfText(std::string_view text) { TRegValue v; v.Text = text; return v; }
TRegValue TRegValue::OfBool(bool value) { TRegValue v; v.Bool = value; return v; }
TRegValue TRegValue::OfDate(TDate value) { TRegValue v; v.Date = value; return v; }
TRegValue TRegValue::OfInt(std::int64_t value) { TRegValue v; v.Int = value; return v; }
TRegValue TRegValue::OfMoney(TMoney value) { TRegValue v; v.Money = value; return v; }

TRegValue ReadAccReg(fb::TTransaction& transaction, std::string_view group, std::string_view code,
                     std::string_view typeWord, std::string_view defaultText)
{
    fb::TTransactionScope scope(transaction);
    fb::TStatement select(transaction);
    select.Prepare(sql::kSelectSetting);
    select.SetString("AGROUP", group).SetString("ACODE", code);
    select.Open();
    std::string text;
    if (select.Fetch()) {
        text = select.AsString("ATEXT");
    } else {
        text = defaultText;
        fb::TStatement insert(transaction);
        insert.Prepare(sql::kInsertDefaultSetting);
        insert.SetString("AGROUP", group).SetString("ACODE", code).SetString("ATYPE", typeWord).SetString("ATEXT", text);
        insert.Execute();
    }
    select.Close();
    scope.Commit();
    return Convert(text, typeWord);
}

void WriteAccReg(fb::TTransaction& transaction, std::string_view group, std::string_view code,
                 std::string_view typeWord, const TRegValue& value)
{
    fb::TTransactionScope scope(transaction);
    fb::TStatement count(transaction);
    count.Prepare(sql::kCountSetting);
    count.SetString("AGROUP", group).SetString("ACODE", code);
    count.Open();
    const bool exists = count.Fetch() && count.AsInt("RECCNT") != 0;
    count.Close();
    fb::TStatement write(transaction);
    write.Prepare(exists ? sql::kUpdateSetting : sql::kInsertSetting);
    write.SetString("AGROUP", group).SetString("ACODE", code).SetString("ATEXT", Encode(value, typeWord));
    if (!exists)
        write.SetString("ATYPE", typeWord);
    write.Execute();
    scope.Commit();
}

}  // namespace qz
