#include "bench/JournalFloor.h"

#include "convert/ZaimuIO_Statements.h"
#include "db/DataModule.h"
#include "tests/support/TemplateDatabase.h"

#include <chrono>
#include <string>
#include <variant>

namespace qz::bench {
namespace {

using TClock = std::chrono::steady_clock;
constexpr int kCommitEveryRows = 2000;

// The columns of SIWAKE the floor copies (the time stamps aside) and how each is read and bound.
enum class TKind { Int, Text, Money, Date };
struct TColumn {
    const char* Name;
    TKind Kind;
};
constexpr TColumn kColumns[] = {
    {"REC", TKind::Int}, {"SWKREC", TKind::Int}, {"SWKNO", TKind::Int}, {"SITREC", TKind::Int}, {"DELFLG", TKind::Int},
    {"TAISHAKU", TKind::Int}, {"HIZUKE", TKind::Date}, {"MNUM", TKind::Int}, {"KESSAN", TKind::Int},
    {"SDAYNUM", TKind::Int}, {"MDAYNUM", TKind::Int}, {"DNUM", TKind::Int}, {"SNUM", TKind::Int}, {"SCODE", TKind::Text},
    {"KGROUP", TKind::Text}, {"KCODE", TKind::Text}, {"HCODE", TKind::Text}, {"BCODE", TKind::Text},
    {"KNAME", TKind::Text}, {"HNAME", TKind::Text}, {"BNAME", TKind::Text}, {"TAXCODE", TKind::Int},
    {"TAXUH", TKind::Int}, {"TAXDC", TKind::Int}, {"NUK", TKind::Money}, {"ZEI", TKind::Money}, {"RIT", TKind::Money},
    {"SIKIN", TKind::Int}, {"AITE_KCODE", TKind::Text}, {"AITE_HCODE", TKind::Text}, {"AITE_BCODE", TKind::Text},
    {"KINGAKU", TKind::Money}, {"ZEIGAKU", TKind::Money}, {"ZEIRITUNO", TKind::Int}, {"AUTCALCU", TKind::Int},
    {"TAXCALCU", TKind::Int}, {"OLDRATE", TKind::Int}, {"TEKCODE", TKind::Int}, {"TEKTEXT", TKind::Text},
    {"TORCODE", TKind::Int}, {"TORTEXT", TKind::Text}, {"FUSEN1", TKind::Int}, {"FUSEN2", TKind::Int},
    {"FUSEN3", TKind::Int}, {"FUSEN4", TKind::Int}, {"FUSEN5", TKind::Int}, {"COMMENT", TKind::Text},
    {"AO_COMMENT", TKind::Text}, {"LOCALFLG", TKind::Int}, {"RESERVE1", TKind::Int}, {"RESERVE2", TKind::Int},
    {"OPNCODE", TKind::Int},
};

using TValue = std::variant<std::monostate, std::int64_t, std::string, TMoney, TDate>;

std::string ColumnList(std::string_view prefix)
{
    std::string list;
    for (const TColumn& column : kColumns)
        list += (list.empty() ? "" : ",") + std::string(prefix) + column.Name;
    return list;
}

TValue ReadValue(const fb::TStatement& query, const TColumn& column)
{
    if (query.IsNull(column.Name))
        return {};
    switch (column.Kind) {
    case TKind::Int: return query.AsInt(column.Name);
    case TKind::Text: return query.AsString(column.Name);
    case TKind::Money: return query.AsMoney(column.Name);
    case TKind::Date: return query.AsDate(column.Name);
    }
    return {};
}

void BindValue(fb::TStatement& insert, const char* name, const TValue& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        insert.SetInt(name, *number);
    else if (const auto* text = std::get_if<std::string>(&value))
        insert.SetString(name, *text);
    else if (const auto* money = std::get_if<TMoney>(&value))
        insert.SetMoney(name, *money);
    else if (const auto* date = std::get_if<TDate>(&value))
        insert.SetDate(name, *date);
    else
        insert.SetNull(name);
}

}  // namespace

TJournalFloor MeasureJournalFloor(const std::filesystem::path& database, const std::vector<std::string_view>& tables)
{
    fb::TAttachment source = fb::TAttachment::Attach(ProductConnectParams(database.string()));
    fb::TTransaction read(source);
    read.Start();

    test::TRestoredTemplate target(11);
    fb::TTransaction write(target.Attachment());
    write.Start();
    fb::ExecuteImmediate(write, convert::sql::kJournalTriggerInactive);
    write.CommitRetaining();
    fb::TStatement insert(write);
    insert.Prepare("INSERT INTO SIWAKE (" + ColumnList("") + ",UTIME) VALUES (" + ColumnList(":") + ",CURRENT_TIMESTAMP)");

    std::vector<TValue> values(std::size(kColumns));
    TClock::duration inserting{};
    TJournalFloor floor;
    for (const std::string_view table : tables) {
        fb::TStatement rows(read);
        rows.Prepare("SELECT " + ColumnList("") + " FROM " + std::string(table) + " ORDER BY REC");
        rows.Open();
        while (rows.Fetch()) {
            for (std::size_t i = 0; i < std::size(kColumns); ++i)
                values[i] = ReadValue(rows, kColumns[i]);
            // The past-journal tables number their rows from 1 again: one table of them all needs new numbers.
            values[0] = std::int64_t{floor.Rows + 1};
            const auto begin = TClock::now();
            for (std::size_t i = 0; i < std::size(kColumns); ++i)
                BindValue(insert, kColumns[i].Name, values[i]);
            insert.Execute();
            if (++floor.Rows % kCommitEveryRows == 0)
                write.CommitRetaining();
            inserting += TClock::now() - begin;
        }
    }
    const auto begin = TClock::now();
    write.Commit();
    inserting += TClock::now() - begin;
    floor.Seconds = std::chrono::duration<double>(inserting).count();
    return floor;
}

}  // namespace qz::bench
