#include "db/schema/SchemaScript.h"
#include "db/schema/StandardCharts.h"

#include <gtest/gtest.h>

#include <set>

namespace qz::schema {
namespace {

TEST(SchemaScript, SplitsAtTheTerminatorAndHonoursSetTerm)
{
    const std::string script = "-- header\nCREATE TABLE A (X INTEGER);\nSET TERM ^ ;\n"
                               "CREATE PROCEDURE P AS\nBEGIN\n  X = 1;\nEND^\nSET TERM ; ^\nDROP TABLE A;\n";
    const auto statements = SplitScript(script, {});
    ASSERT_EQ(statements.size(), 3u);
    EXPECT_EQ(statements[0], "-- header\nCREATE TABLE A (X INTEGER)");
    EXPECT_EQ(statements[1], "CREATE PROCEDURE P AS\nBEGIN\n  X = 1;\nEND");
    EXPECT_EQ(statements[2], "DROP TABLE A");
}

TEST(SchemaScript, VersionLinesBelongToTheNewerSetOnly)
{
    const std::string script = "SELECT 1\n  , 2 --@610\nFROM T;\n";
    EXPECT_EQ(SplitScript(script, {6, 0, 0}).front(), "SELECT 1\nFROM T");
    EXPECT_EQ(SplitScript(script, {6, 1, 0}).front(), "SELECT 1\n  , 2 \nFROM T");
    EXPECT_THROW(SplitScript("SELECT 1", {}), std::runtime_error);
}

TEST(StandardCharts, HoldTheChartsInTheirSizes)
{
    EXPECT_EQ(StandardChart(11).size(), 400u);
    EXPECT_EQ(StandardChart(21).size(), 250u);
    EXPECT_EQ(StandardChart(22).size(), 180u);
    EXPECT_THROW(StandardChart(12), std::invalid_argument);
    EXPECT_EQ(StandardChart(11).front().KCode, "10000");
    EXPECT_EQ(StandardChart(21).front().KCode, "10100");
    EXPECT_EQ(StandardChart(22).back().KCode, "99900");
    EXPECT_EQ(ChartKindOf(1, 1), 11);
    EXPECT_EQ(ChartKindOf(2, 2), 22);
    EXPECT_EQ(ChartKindOf(3, 1), 0);
}

TEST(StandardCharts, RowsFollowTheRulesTheConversionRelies)
{
    for (int kind : {11, 21, 22}) {
        std::set<std::string> codes;
        for (const TChartRow& row : StandardChart(kind)) {
            EXPECT_TRUE(codes.insert(row.KCode).second) << kind << " " << row.KCode;
            EXPECT_TRUE(row.BpFlg == "B" || row.BpFlg == "P") << row.KCode;
            EXPECT_GE(row.Dac, 1);
            EXPECT_LE(row.Dac, 4);
            // Cost accounts, and only they, carry the 5000-6999 large group.
            const bool costGroup = row.GroupM2 >= "5000" && row.GroupM2 < "7000";
            EXPECT_EQ(costGroup, row.KCode[0] == '5') << row.KCode;
            EXPECT_TRUE(row.KeihKubu.empty() || costGroup) << row.KCode;
        }
    }
    const auto find = [](int kind, std::string_view code) {
        for (const TChartRow& row : StandardChart(kind))
            if (row.KCode == code)
                return row;
        return TChartRow{};
    };
    EXPECT_EQ(find(11, "10100").KName, "現金");
    EXPECT_EQ(find(11, "85300").KName, "繰越利益剰余金");
    EXPECT_EQ(find(11, "15100").GroupM0, "1130");
    EXPECT_EQ(find(11, "30500").GroupM0, "2100");
    EXPECT_EQ(find(21, "28100").KName, "事業主貸");
    EXPECT_EQ(find(22, "80000").KName, "元入金");
    EXPECT_EQ(find(11, "99900").KName, "諸口");
}

}  // namespace
}  // namespace qz::schema
