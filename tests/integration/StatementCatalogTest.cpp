// Every statement the program sends (the modules' own constants and the statements of the modules still
// to be written) is prepared against freshly restored templates of each kind and version, and against a
// fresh system database.

#include "common/SjisText.h"
#include "tests/support/StatementCatalog.h"
#include "tests/support/TemplateDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace qz::test {
namespace {

// Preparing a statement that changes metadata proves nothing (preparing "DROP TABLE NO_SUCH_TABLE"
// succeeds): the object such a statement names must be found in the system tables instead.
struct TDdlKind {
    std::string_view Start;
    std::string_view Table;
    std::string_view NameColumn;
};
constexpr TDdlKind kDdlKinds[] = {
    {"DROP TABLE ", "RDB$RELATIONS", "RDB$RELATION_NAME"},
    {"DROP PROCEDURE ", "RDB$PROCEDURES", "RDB$PROCEDURE_NAME"},
    {"DROP EXCEPTION ", "RDB$EXCEPTIONS", "RDB$EXCEPTION_NAME"},
    {"ALTER TRIGGER ", "RDB$TRIGGERS", "RDB$TRIGGER_NAME"},
    {"SET GENERATOR ", "RDB$GENERATORS", "RDB$GENERATOR_NAME"},
};

bool ChangesMetadata(std::string_view sql)
{
    for (const std::string_view start : {"CREATE ", "RECREATE ", "ALTER ", "DROP ", "SET GENERATOR "})
        if (sql.starts_with(start))
            return true;
    return false;
}

// Nothing when the statement's object exists, else why not.
std::optional<std::string> MissingDdlObject(fb::TTransaction& transaction, std::string_view sql)
{
    const std::string text = Trim(sql);
    for (const TDdlKind& kind : kDdlKinds) {
        if (!std::string_view(text).starts_with(kind.Start))
            continue;
        const std::string rest = text.substr(kind.Start.size());
        const std::string name = rest.substr(0, rest.find_first_of(" ;\n"));
        fb::TStatement lookup(transaction);
        lookup.Prepare("SELECT COUNT(*) FROM " + std::string(kind.Table) + " WHERE TRIM(" + std::string(kind.NameColumn) +
                       ") = :NAME");
        lookup.SetString("NAME", name);
        lookup.Open();
        if (lookup.Fetch() && lookup.AsInt(0) == 1)
            return std::nullopt;
        return "no " + name + " in " + std::string(kind.Table);
    }
    return "a statement that changes metadata in a way this test cannot check";
}

// Prepares the statements of one database; returns "NAME: message" for every failure.
std::vector<std::string> PrepareAll(fb::TAttachment& attachment, TStatementDb db, int minor1, int& prepared)
{
    const std::vector<TProgramStatement> statements = ProgramStatements();
    std::vector<std::string> failures;
    prepared = 0;
    fb::TTransaction transaction(attachment);
    for (const TProgramStatement& entry : statements) {
        if (entry.Db != db || !entry.Setup)
            continue;
        transaction.Start();
        fb::ExecuteImmediate(transaction, entry.Sql);
        transaction.Commit();
    }
    transaction.Start();
    for (const TProgramStatement& entry : statements) {
        if (entry.Db != db || entry.Setup || entry.MinMinor1 > minor1)
            continue;
        try {
            if (ChangesMetadata(Trim(entry.Sql))) {
                if (const auto missing = MissingDdlObject(transaction, entry.Sql))
                    failures.push_back(entry.Name + ": " + *missing);
                ++prepared;
                continue;
            }
            fb::TStatement statement(transaction);
            statement.Prepare(entry.Sql);
            ++prepared;
        } catch (const std::exception& error) {
            failures.push_back(entry.Name + ": " + error.what());
        }
    }
    transaction.Rollback();
    return failures;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class DataStatementCatalog : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(DataStatementCatalog, EveryStatementPrepares)
{
    const auto [chartKind, minor1] = GetParam();
    TRestoredTemplate data(chartKind, {6, minor1, 0});
    int prepared = 0;
    const std::vector<std::string> failures = PrepareAll(data.Attachment(), TStatementDb::Data, minor1, prepared);
    EXPECT_TRUE(failures.empty()) << Joined(failures);
    EXPECT_GT(prepared, 300);
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, DataStatementCatalog,
                         ::testing::Values(std::pair{11, 0}, std::pair{21, 0}, std::pair{22, 0}, std::pair{11, 1},
                                           std::pair{21, 1}, std::pair{22, 1}),
                         [](const auto& info) {
                             return "QrvAcc" + std::to_string(info.param.first) + "_6" + std::to_string(info.param.second) + "0";
                         });

TEST(SystemStatementCatalog, EveryStatementPrepares)
{
    TSystemDatabase system;
    int prepared = 0;
    const std::vector<std::string> failures = PrepareAll(system.Attachment(), TStatementDb::System, 1, prepared);
    EXPECT_TRUE(failures.empty()) << Joined(failures);
    EXPECT_GT(prepared, 20);
}

TEST(DataStatementCatalogDdl, AnObjectThatIsNotThereIsFound)
{
    TRestoredTemplate data(11);
    fb::TTransaction transaction(data.Attachment());
    transaction.Start();
    EXPECT_EQ(MissingDdlObject(transaction, "SET GENERATOR SIWAKE07_GEN TO 0"), std::nullopt);
    EXPECT_EQ(MissingDdlObject(transaction, "ALTER TRIGGER SIWAKE_AFTER_INSERT INACTIVE "), std::nullopt);
    EXPECT_NE(MissingDdlObject(transaction, "DROP TABLE NO_SUCH_TABLE"), std::nullopt);
    EXPECT_NE(MissingDdlObject(transaction, "SET GENERATOR SIWAKE100_GEN TO 0"), std::nullopt);
    EXPECT_NE(MissingDdlObject(transaction, "ALTER TABLE SIWAKE ADD X INTEGER"), std::nullopt);  // not checkable
    // Preparing would not have told: the server accepts the text of a drop whatever it names.
    fb::TStatement statement(transaction);
    EXPECT_NO_THROW(statement.Prepare("DROP TABLE NO_SUCH_TABLE"));
}

TEST(DataStatementCatalogVersions, SiteRecordOfJournalsCameWithVersion61)
{
    // The older data version has no NEWSITREC output; the program asks for it only from 6.1 on.
    TRestoredTemplate data(11, {6, 0, 0});
    fb::TTransaction transaction(data.Attachment());
    transaction.Start();
    int checked = 0;
    for (const TProgramStatement& entry : ProgramStatements()) {
        if (entry.MinMinor1 == 1) {
            fb::TStatement statement(transaction);
            EXPECT_THROW(statement.Prepare(entry.Sql), fb::TFbError) << entry.Name;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST(StatementCatalogShape, NamesAreUniqueAndBothDatabasesAreCovered)
{
    std::vector<std::string> names;
    int system = 0, data = 0;
    for (const TProgramStatement& entry : ProgramStatements()) {
        names.push_back(entry.Name);
        (entry.Db == TStatementDb::System ? system : data)++;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    EXPECT_GT(system, 20);
    EXPECT_GT(data, 300);
}

}  // namespace
}  // namespace qz::test

namespace qz::test {
namespace {

std::string WithoutBlanks(std::string_view sql)
{
    std::string squashed;
    for (const char c : sql)
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            squashed += c;
    return squashed;
}

TEST(StatementCatalogShape, AStatementHasOneHome)
{
    // A module that is written takes its statements over; a copy left behind here would be prepared
    // while the code sends another text.
    std::vector<std::string> owned;
    for (const TProgramStatement& entry : ProgramStatements())
        if (!entry.Pending)
            owned.push_back(WithoutBlanks(entry.Sql));
    for (const TCatalogStatement& pending : PendingStatements())
        EXPECT_EQ(std::find(owned.begin(), owned.end(), WithoutBlanks(pending.Sql)), owned.end()) << pending.Name;
}

}  // namespace
}  // namespace qz::test
