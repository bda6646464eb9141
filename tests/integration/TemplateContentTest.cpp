// What a restored template holds, and what the schema does when the conversion adds masters.

#include "common/SjisText.h"
#include "convert/ZaimuIO_Statements.h"
#include "db/schema/StandardCharts.h"
#include "tests/support/TemplateDatabase.h"
#include "writer/DataKakikomi_Statements.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

class TemplateContent : public ::testing::TestWithParam<int> {};

TEST_P(TemplateContent, HoldsTheChartBasicRowAndBalanceRows)
{
    const int kind = GetParam();
    TRestoredTemplate data(kind);
    fb::TTransaction tr(data.Attachment());
    tr.Start();
    const std::int64_t accounts = static_cast<std::int64_t>(schema::StandardChart(kind).size());
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKUMST"), accounts);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM HOJOMST WHERE HCODE = ' '"), accounts);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM ACCDEF1 WHERE REC = 1"), 1);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM SISETUMST WHERE SCODE = ' '"), 1);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM BUMONMST WHERE BCODE = ' '"), 1);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_SZ"), accounts);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_MS"), accounts * 16);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAKOZAN"), accounts * 3);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_TAX"), 10 * 16);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM TEKDICTI WHERE SCODE = ' ' AND SORTCODE IN ('47','48','49','50')"), 4);
    EXPECT_EQ(QueryInt(tr, "SELECT DATATYPE * 10 + CODETYPE FROM ACCDEF1"), kind == 11 ? 11 : kind == 21 ? 21 : 22);
    EXPECT_EQ(QueryInt(tr, "SELECT MAJOR * 100 + MINOR1 * 10 + MINOR2 FROM ACCVERSION"), 610);
    // Every special account points at an account of the chart.
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM ACCDEF2 A LEFT JOIN KAMOKUMST K ON K.KCODE = A.KCODE WHERE K.KCODE IS NULL"), 0);
}

INSTANTIATE_TEST_SUITE_P(AllCharts, TemplateContent, ::testing::Values(11, 21, 22));

class SchemaBehaviour : public ::testing::Test {
protected:
    TRestoredTemplate data{11};
    fb::TTransaction tr{data.Attachment()};
    std::int64_t accounts = 0;

    void SetUp() override
    {
        tr.Start();
        accounts = QueryInt(tr, "SELECT COUNT(*) FROM KAMOKUMST");
    }
    void Exec(std::string_view sql) { fb::ExecuteImmediate(tr, sql); }
};

TEST_F(SchemaBehaviour, ANewBranchGetsBalanceRowsAndDictionaryTitles)
{
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('00', '共通部門')");
    Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('01', '大阪支店', 1)");
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE = '01'"), accounts * 2);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_MS WHERE SCODE = '01'"), accounts * 2 * 16);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAKOZAN WHERE SCODE = '01'"), accounts * 2 * 3);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_TAX WHERE SCODE = '01'"), 2 * 10 * 16);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM TEKDICTI WHERE SCODE = '01' AND SORTCODE BETWEEN '47' AND '50'"), 4);
}

TEST_F(SchemaBehaviour, ANewDepartmentGetsBalanceRowsInEveryBranch)
{
    Exec("INSERT INTO SISETUMST (SCODE, SNAME) VALUES ('01', '支店')");
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('10', '営業部')");
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_SZ WHERE BCODE = '10'"), accounts * 2);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_MS WHERE BCODE = '10' AND SCODE = ' '"), accounts * 16);
}

// The conversion writes the departments, prunes the pairs of the branches that do not manage them, and
// only then writes the branches: a pruned pair must stay pruned.
TEST_F(SchemaBehaviour, BranchesManageTheDepartmentsThePruningLeaves)
{
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('00', '共通部門')");
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('01', '営業部')");
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('02', '製造部')");
    // Branch 01 manages department 01 only, branch 02 department 02 only; the common department stays.
    fb::TStatement prune(tr);
    prune.Prepare(convert::sql::kDeleteBranchDepartment);
    for (const auto& [branch, department] : {std::pair{"01", "02"}, std::pair{"02", "01"}}) {
        prune.SetString("SCODE", branch).SetString("BCODE", department);
        prune.Execute();
    }
    Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('01', '大阪支店', 1)");
    Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('02', '名古屋支店', 1)");
    fb::TStatement list(tr);
    list.Prepare("SELECT SCODE, BCODE FROM SISETUBUM WHERE SCODE IN (' ', '01', '02') AND BCODE <> ' ' ORDER BY SCODE, BCODE");
    list.Open();
    std::vector<std::string> pairs;
    while (list.Fetch())
        pairs.push_back(Trim(list.AsString(0)) + "/" + Trim(list.AsString(1)));
    EXPECT_EQ(pairs, (std::vector<std::string>{"/00", "/01", "/02", "01/00", "01/01", "02/00", "02/02"}));
}

TEST_F(SchemaBehaviour, SubAccountBalanceRowsComeFromTheProcedure)
{
    Exec("INSERT INTO SISETUMST (SCODE, SNAME) VALUES ('01', '支店')");
    fb::TStatement insert(tr);
    insert.Prepare(writer::sql::kInsertSubAccount);
    insert.SetString("KCODE", "10200").SetString("HCODE", "001").SetString("HNAME", "㈱①Ⅲ髙～銀行");
    insert.SetInt("TAX_LCODE", 910).SetInt("TAX_RCODE", 910).SetString("BPFLG", "B");
    insert.Execute();
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_SZ WHERE KCODE = '10200' AND HCODE = '001'"), 0);

    fb::TStatement procedure(tr);
    procedure.Prepare(writer::sql::kCreateSubAccountBalances);
    procedure.SetString("PSCODE", " ").SetString("PKCODE", "10200").SetString("PHCODE", "001");
    procedure.Open();
    int rows = 0;
    while (procedure.Fetch()) {
        EXPECT_EQ(procedure.AsString("OUT_HCODE"), "001");
        ++rows;
    }
    EXPECT_EQ(rows, 2);  // head office and branch
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAMOKU_MS WHERE KCODE = '10200' AND HCODE = '001'"), 2 * 16);
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(*) FROM KAKOZAN WHERE KCODE = '10200' AND HCODE = '001'"), 2 * 3);

    // The extension characters are stored byte for byte in the SJIS_0208 column.
    fb::TStatement name(tr);
    name.Prepare("SELECT HNAME, OCTET_LENGTH(HNAME) AS BYTES FROM HOJOMST WHERE KCODE = '10200' AND HCODE = '001'");
    name.Open();
    ASSERT_TRUE(name.Fetch());
    EXPECT_EQ(name.AsString("HNAME"), "㈱①Ⅲ髙～銀行");
    EXPECT_EQ(name.AsInt("BYTES"), 14);
}

TEST_F(SchemaBehaviour, KakozanUpdatesWorkWithAndWithoutTheSwitch)
{
    Exec("UPDATE KAKOZAN SET KOMIZAN_8 = KOMIZAN_8 + 1500 WHERE NENDO = 0 AND KCODE = '10100' AND HCODE = ' '");
    Exec("UPDATE KAKOZAN SET KISHU = 700, TRIGGER_SWITCH = 1 WHERE NENDO = 1 AND KCODE = '10100' AND HCODE = ' '");
    EXPECT_EQ(QueryInt(tr, "SELECT KOMIZAN_8 FROM KAKOZAN WHERE NENDO = 0 AND KCODE = '10100' AND HCODE = ' '"), 1500);
    EXPECT_EQ(QueryInt(tr, "SELECT KISHU FROM KAKOZAN WHERE NENDO = 1 AND KCODE = '10100' AND HCODE = ' '"), 700);
    EXPECT_EQ(QueryInt(tr, "SELECT SUM(TRIGGER_SWITCH) FROM KAKOZAN"), 0);
}

TEST_F(SchemaBehaviour, GeneratorsResetAndTheDivisibilityFunction)
{
    EXPECT_GT(QueryInt(tr, "SELECT GEN_ID(SIWAKE_REC_GEN, 5) FROM RDB$DATABASE"), 0);
    EXPECT_GT(QueryInt(tr, "SELECT GEN_ID(SIWAKE42_GEN, 3) FROM RDB$DATABASE"), 0);
    Exec("SET GENERATOR SIWAKE_REC_GEN TO 0");
    Exec("SET GENERATOR SIWAKE42_GEN TO 0");
    EXPECT_EQ(QueryInt(tr, "SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), 0);
    EXPECT_EQ(QueryInt(tr, "SELECT GEN_ID(SIWAKE42_GEN, 0) FROM RDB$DATABASE"), 0);
    EXPECT_EQ(QueryInt(tr, "SELECT GEN_ID(SIWAKE99_GEN, 0) FROM RDB$DATABASE"), 0);
    EXPECT_EQ(QueryInt(tr, "SELECT f_IsDivisibleBy(10000,5000) FROM RDB$DATABASE"), 1);
    EXPECT_EQ(QueryInt(tr, "SELECT f_IsDivisibleBy(10001,5000) FROM RDB$DATABASE"), 0);
}

TEST_F(SchemaBehaviour, DictionaryEntriesAreNumberedByTheDatabase)
{
    const std::int64_t crec = QueryInt(tr, "SELECT CREC FROM TEKDICTI WHERE SCODE = ' ' AND SORTCODE = '50'");
    Exec("INSERT INTO TEKDIC (CREC, KANA, TEXT, SCODE) VALUES (" + std::to_string(crec) + ", 'ABC', '現金売上', ' ')");
    Exec("INSERT INTO TEKDIC (CREC, KANA, TEXT, SCODE) VALUES (" + std::to_string(crec) + ", 'DEF', '振込手数料', ' ')");
    EXPECT_EQ(QueryInt(tr, "SELECT COUNT(DISTINCT TEKCODE) FROM TEKDIC"), 2);
}

}  // namespace
}  // namespace qz::test
