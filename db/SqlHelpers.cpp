#include "db/SqlHelpers.h"

#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "db/DataModule.h"


namespace qz {
namespace {

fb::TTransaction& DefaultTransaction(std::string_view database, bool snapshot)
{
    if (database == "ACCDEF")
        return DM().IBTransactionDEF;
    return snapshot ? DM().IBTransactionDATSS : DM().IBTransactionDAT;
}

std::int64_t TextToInt(std::string_view text)
{
    return TryTextToInt(Trim(text)).value_or(0);
}

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
        value.Int = TextToInt(text);
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

std::unique_ptr<fb::TStatement> NewQuery(std::string_view database, bool snapshot)
{
    try {
        return std::make_unique<fb::TStatement>(DefaultTransaction(database, snapshot));
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<fb::TStatement> NewSQL(std::string_view database)
{
    return NewQuery(database, false);
}

std::unique_ptr<fb::TStatement> NewStoredProc(std::string_view database, std::string_view procedure)
{
    try {
        fb::TTransaction& transaction = DefaultTransaction(database, false);
        fb::TTransactionScope scope(transaction);
        fb::TStatement parameters(transaction);
        parameters.Prepare("SELECT RDB$PARAMETER_NAME FROM RDB$PROCEDURE_PARAMETERS "
                           "WHERE RDB$PROCEDURE_NAME = :NAME AND RDB$PARAMETER_TYPE = 0 ORDER BY RDB$PARAMETER_NUMBER");
        parameters.SetString("NAME", UpperAscii(procedure));
        parameters.Open();
        std::string list;
        while (parameters.Fetch())
            list += (list.empty() ? ":" : ",:") + Trim(parameters.AsString(0));
        parameters.Close();
        // A prepared statement belongs to the attachment, so it outlives this transaction.
        auto statement = std::make_unique<fb::TStatement>(transaction);
        statement->Prepare("SELECT * FROM " + std::string(procedure) + (list.empty() ? "" : "(" + list + ")"));
        scope.Commit();
        return statement;
    } catch (...) {
        return nullptr;
    }
}

TRegValue TRegValue::OfText(std::string_view text) { TRegValue v; v.Text = text; return v; }
TRegValue TRegValue::OfBool(bool value) { TRegValue v; v.Bool = value; return v; }
TRegValue TRegValue::OfDate(TDate value) { TRegValue v; v.Date = value; return v; }
TRegValue TRegValue::OfInt(std::int64_t value) { TRegValue v; v.Int = value; return v; }
TRegValue TRegValue::OfMoney(TMoney value) { TRegValue v; v.Money = value; return v; }

TRegValue ReadAccReg(std::string_view group, std::string_view code, std::string_view typeWord,
                     std::string_view defaultText)
{
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    fb::TStatement select(DM().IBTransactionDAT);
    select.Prepare("SELECT ATYPE,ATEXT FROM ACCREG WHERE AGROUP=:AGROUP AND ACODE=:ACODE ");
    select.SetString("AGROUP", group).SetString("ACODE", code);
    select.Open();
    std::string text;
    if (select.Fetch()) {
        text = select.AsString("ATEXT");
    } else {
        text = defaultText;
        fb::TStatement insert(DM().IBTransactionDAT);
        insert.Prepare("INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT) VALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)");
        insert.SetString("AGROUP", group).SetString("ACODE", code).SetString("ATYPE", typeWord).SetString("ATEXT", text);
        insert.Execute();
    }
    select.Close();
    scope.Commit();
    return Convert(text, typeWord);
}

void WriteAccReg(std::string_view group, std::string_view code, std::string_view typeWord, const TRegValue& value)
{
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    fb::TStatement count(DM().IBTransactionDAT);
    count.Prepare("SELECT COUNT(AGROUP) AS RECCNT FROM ACCREG\nWHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)");
    count.SetString("AGROUP", group).SetString("ACODE", code);
    count.Open();
    const bool exists = count.Fetch() && count.AsInt("RECCNT") != 0;
    count.Close();
    fb::TStatement write(DM().IBTransactionDAT);
    if (exists)
        write.Prepare("UPDATE ACCREG SET ATEXT=:ATEXT\nWHERE AGROUP=:AGROUP AND ACODE=:ACODE");
    else
        write.Prepare("INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT)\nVALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)");
    write.SetString("AGROUP", group).SetString("ACODE", code).SetString("ATEXT", Encode(value, typeWord));
    if (!exists)
        write.SetString("ATYPE", typeWord);
    write.Execute();
    scope.Commit();
}

}  // namespace qz
