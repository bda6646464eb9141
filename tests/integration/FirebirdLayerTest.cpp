// The Firebird layer against a real database created by the embedded engine.

#include "db/DataModule.h"
#include "common/Cp932.h"
#include "db/Firebird.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qz::fb {
namespace {

class FirebirdLayerTest : public ::testing::Test {
protected:
    test::TTempFolder folder;
    TAttachment attachment;

    void SetUp() override
    {
        attachment = TAttachment::Create(ProductConnectParams(folder / "t.fdb"));
        TTransaction ddl(attachment);
        ddl.Start();
        ExecuteImmediate(ddl, "CREATE TABLE T (K VARCHAR(10) NOT NULL PRIMARY KEY, NAME VARCHAR(30), AMOUNT NUMERIC(16,4),"
                              " HIZUKE DATE, N INTEGER)");
        ddl.Commit();
    }
};

TEST_F(FirebirdLayerTest, ExtensionCharactersRoundTripByteForByteThroughParameters)
{
    const std::string name = "㈱①Ⅲ髙～－ｱｲｳ\\";
    TTransaction tr(attachment);
    tr.Start();
    TStatement insert(tr);
    insert.Prepare("INSERT INTO T (K, NAME, AMOUNT, HIZUKE, N) VALUES (:K, :NAME, :AMOUNT, :HIZUKE, :N)");
    insert.SetString("K", "1").SetString("name", name).SetMoney("AMOUNT", *TMoney::Parse("-1234567890.1234"));
    insert.SetDate("HIZUKE", TDate::Ymd(2009, 4, 1)).SetInt("N", 42);
    insert.Execute();
    tr.Commit();

    tr.Start();
    TStatement select(tr);
    select.Prepare("SELECT NAME, OCTET_LENGTH(NAME) AS BYTES, AMOUNT, HIZUKE, N FROM T WHERE K = :K");
    select.SetString("K", "1");
    select.Open();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.AsString("NAME"), name);
    EXPECT_EQ(select.AsInt("BYTES"), static_cast<std::int64_t>(EncodeCp932(name).size()));
    EXPECT_EQ(select.AsMoney("AMOUNT").ToText(), "-1234567890.1234");
    EXPECT_EQ(select.AsDate("HIZUKE"), TDate::Ymd(2009, 4, 1));
    EXPECT_EQ(select.AsInt("N"), 42);
    EXPECT_FALSE(select.Fetch());
}

TEST_F(FirebirdLayerTest, NamedParametersRepeatAndUnassignedOnesAreNull)
{
    TTransaction tr(attachment);
    tr.Start();
    TStatement insert(tr);
    insert.Prepare("INSERT INTO T (K, NAME, N) VALUES (:K, :K, :N)");
    EXPECT_EQ(insert.ParamNames(), (std::vector<std::string>{"K", "K", "N"}));
    insert.SetString("K", "x");
    insert.Execute();
    TStatement select(tr);
    select.Prepare("SELECT NAME, N FROM T WHERE K = 'x'");
    select.Open();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.AsString("NAME"), "x");
    EXPECT_TRUE(select.IsNull("N"));
}

TEST_F(FirebirdLayerTest, ErrorsCarryCodeAndSqlCode)
{
    TTransaction tr(attachment);
    tr.Start();
    TStatement insert(tr);
    insert.Prepare("INSERT INTO T (K) VALUES (:K)");
    insert.SetString("K", "dup");
    insert.Execute();
    try {
        insert.Execute();
        FAIL() << "duplicate key accepted";
    } catch (const TFbError& error) {
        EXPECT_EQ(error.Code(), 335544665);  // unique key violation
        EXPECT_EQ(error.SqlCode(), -803);
        EXPECT_NE(error.Message().find("PRIMARY"), std::string::npos);
    }
    try {
        TStatement bad(tr);
        bad.Prepare("SELECT NOPE FROM T");
        FAIL();
    } catch (const TFbError& error) {
        EXPECT_EQ(error.SqlCode(), -206);
    }
}

TEST_F(FirebirdLayerTest, LargeWholeNumbersAreReadExactly)
{
    TTransaction tr(attachment);
    tr.Start();
    TStatement select(tr);
    select.Prepare("SELECT CAST(9000000000000000001 AS BIGINT) AS BIG, CAST(-12 AS SMALLINT) AS SMALL FROM RDB$DATABASE");
    select.Open();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.AsInt("BIG"), 9000000000000000001LL);
    EXPECT_EQ(select.AsInt("SMALL"), -12);
    EXPECT_THROW(select.AsMoney("BIG"), std::overflow_error);  // no amount of that size: refused, not wrapped
}

// A work table is created, filled, read and dropped in one connection, while the statements that filled
// and read it stay the module's: they must be freed before the drop, or the table is "in use".
TEST_F(FirebirdLayerTest, AWorkTableCanBeDroppedOnceItsStatementsAreFreed)
{
    TTransaction tr(attachment);
    tr.Start();
    ExecuteImmediate(tr, "RECREATE TABLE WORK_T (K INTEGER NOT NULL PRIMARY KEY, TEXT VARCHAR(20))");
    tr.CommitRetaining();
    TStatement fill(tr), read(tr);
    fill.Prepare("INSERT INTO WORK_T (K, TEXT) VALUES (:K, :TEXT)");
    for (int k = 1; k <= 3; ++k) {
        fill.SetInt("K", k).SetString("TEXT", "㈱" + std::to_string(k));
        fill.Execute();
    }
    read.Prepare("SELECT TEXT FROM WORK_T ORDER BY K");
    read.Open();
    std::string texts;
    while (read.Fetch())
        texts += read.AsString(0);
    EXPECT_EQ(texts, "㈱1㈱2㈱3");
    tr.CommitRetaining();
    // The drop itself is only carried out when its transaction commits: that is where "in use" comes.
    EXPECT_THROW(
        {
            ExecuteImmediate(tr, "DROP TABLE WORK_T");
            tr.CommitRetaining();
        },
        TFbError);
    tr.RollbackRetaining();

    fill.Free();
    read.Free();
    ExecuteImmediate(tr, "DROP TABLE WORK_T");
    tr.Commit();
    // A freed statement can be prepared again.
    tr.Start();
    read.Prepare("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'WORK_T'");
    read.Open();
    ASSERT_TRUE(read.Fetch());
    EXPECT_EQ(read.AsInt(0), 0);
}

TEST_F(FirebirdLayerTest, AnUpdateTellsHowManyRowsItChanged)
{
    TTransaction tr(attachment);
    tr.Start();
    TStatement insert(tr), update(tr);
    insert.Prepare("INSERT INTO T (K, N) VALUES (:K, 1)");
    for (const char* key : {"a", "b", "c"}) {
        insert.SetString("K", key);
        insert.Execute();
        EXPECT_EQ(insert.AffectedRows(), 1u);
    }
    update.Prepare("UPDATE T SET N = N + 1 WHERE K >= :K");
    update.SetString("K", "b");
    update.Execute();
    EXPECT_EQ(update.AffectedRows(), 2u);
    update.SetString("K", "z");
    update.Execute();
    EXPECT_EQ(update.AffectedRows(), 0u);
}

TEST(NamedParams, LiteralsAndCommentsAreLeftAlone)
{
    std::vector<std::string> names;
    EXPECT_EQ(TranslateNamedParams("SELECT ':X', \"A:B\" FROM T WHERE A=:a AND B= :B_2 -- :C\n/* :D */", names),
              "SELECT ':X', \"A:B\" FROM T WHERE A=? AND B= ? -- :C\n/* :D */");
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B_2"}));
}

}  // namespace
}  // namespace qz::fb
