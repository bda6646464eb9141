// The code index of the selected year, the department and branch master lines, the check digit and the
// tax-category translation, on a context filled in memory.

#include "common/Format.h"
#include "common/TextHelpers.h"
#include "convert/uQZ_ZaimuIO.h"
#include "tests/support/ExtractRecords.h"
#include "tests/support/RecordingUi.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qz {
namespace {

namespace kanjyo = column::zmkanjyo;
constexpr int kYear = 7;

TZMKANJYO Account(std::string_view code, std::string_view level1, std::string_view side = "1", int year = kYear)
{
    return test::AccountRecord(year, {.Code = code, .Level1 = level1, .Side = side});
}

TCMBUMON Department(std::string_view code, std::string_view display, std::string_view name, std::string_view other = "")
{
    return test::DepartmentRecord(kYear, code, display, name, other);
}

Tcmhonten Branch(std::string_view code, std::string_view name)
{
    return test::BranchRecord(kYear, code, name);
}

std::vector<std::string> Lines(const std::string& block)
{
    std::vector<std::string> lines;
    for (const std::string_view line : SplitAt(block, "\r\n"))
        lines.emplace_back(line);
    return lines;
}

class CodeIndex : public ::testing::Test {
protected:
    TQZaimuIO io;

    void SetUp() override
    {
        io.SentakuNendoCode = kYear;
        io.HoujinKojin = 1;
    }

    const TCCTCODE* Pair(std::string_view code) const
    {
        const auto& pairs = io.Writer.AccountCodes;
        const auto found = std::find_if(pairs.begin(), pairs.end(), [&](const TCCTCODE& pair) { return pair.OldCode == code; });
        return found == pairs.end() ? nullptr : &*found;
    }
    std::string Target(std::string_view code) const
    {
        const TCCTCODE* pair = Pair(code);
        return pair ? pair->NewCode : "(none)";
    }
    int WorkFlag(std::string_view code) const
    {
        for (const TZMKANJYO& account : io.Zmkanjyo)
            if (account.Text(kanjyo::kSystemCode) == code)
                return account.WorkFlag;
        return -1;
    }
};

TEST_F(CodeIndex, CorporationAccountsLandByTheTableAndBranchNumbersOnTheirMainAccount)
{
    io.Zmkanjyo = {Account("11200", "10"),      Account("60100", ""),        Account("11205", "10"),
                   Account("11500", "10"),      Account("39000", "30"),      Account("39900", "30"),
                   Account("41500", "40", "2"), Account("41600", "40", "1"), Account("60200", "60"),
                   Account("11300", "10", "1", kYear - 1)};
    ASSERT_EQ(io.BuildCodeIndex(), 1);

    EXPECT_EQ(io.CountAccounts(), 7);   // the totals 39000-39900 are left out, the unclassified counted
    EXPECT_EQ(io.Writer.AccountCodes.size(), 7u);
    EXPECT_EQ(Target("11205"), "11200");   // 112 is in no row: its main account
    EXPECT_EQ(Target("11200"), "11200");
    EXPECT_EQ(WorkFlag("11205"), 1);
    EXPECT_EQ(WorkFlag("11200"), 1);
    EXPECT_EQ(WorkFlag("11500"), 0);
    EXPECT_EQ(Target("11500"), "11300");
    EXPECT_EQ(Target("41500"), "41400");   // credit side of 415-419
    EXPECT_EQ(Target("41600"), "44400");
    EXPECT_EQ(Target("39000"), "(none)");
    EXPECT_EQ(Target("39900"), "(none)");
    for (const std::string_view code : {"60100", "60200"})
        EXPECT_TRUE(Pair(code) && Pair(code)->NewCode == "99900" && Pair(code)->Unclassified == 1) << code;
    // The index counts every entry, the unclassified ones included, but lists only the classified ones.
    EXPECT_EQ(io.KamokuIndex, (std::vector<std::string>{"KAMOKU_CODE 0 OLDCODE=[11200] NEWCODE=[11200] ",
                                                        "KAMOKU_CODE 2 OLDCODE=[11205] NEWCODE=[11200] ",
                                                        "KAMOKU_CODE 3 OLDCODE=[11500] NEWCODE=[11300] ",
                                                        "KAMOKU_CODE 4 OLDCODE=[41500] NEWCODE=[41400] ",
                                                        "KAMOKU_CODE 5 OLDCODE=[41600] NEWCODE=[44400] "}));
    EXPECT_EQ(Target("11300"), "(none)");   // an account of another year
}

TEST_F(CodeIndex, IndividualChartsSplitBySideAndByTheirOwnRows)
{
    io.HoujinKojin = 2;
    struct TCase {
        std::string_view Business, Side, Expected21000, Expected91000;
    };
    // Chart 21 (general) and 22 (real estate) share the balance-sheet rows; 910 lies in rows of their own.
    for (const TCase& c : {TCase{"01", "2", "21800", "90700"}, TCase{"01", "1", "21700", "90700"},
                           TCase{"03", "2", "21800", "42500"}, TCase{"03", "1", "21700", "44100"}}) {
        io.JigyouKubun = c.Business;
        io.Zmkanjyo = {Account("21000", "20", c.Side), Account("91000", "50", c.Side), Account("10300", "10")};
        io.BuildCodeIndex();
        EXPECT_EQ(Target("21000"), c.Expected21000) << c.Business << "/" << c.Side;
        EXPECT_EQ(Target("91000"), c.Expected91000) << c.Business << "/" << c.Side;
        EXPECT_EQ(Target("10300"), "10200") << c.Business;
    }
}

TEST_F(CodeIndex, MoreThanAHundredDepartmentsShareTheLastCodeWhichIsWrittenOnce)
{
    io.BumonKetasu = 5;
    for (int i = 1; i <= 101; ++i)
        io.Cmbumon.push_back(Department(Format("%05d", i), "", Format("部門%d", i)));
    io.BuildCodeIndex();
    ASSERT_EQ(io.BumonSu, 101);
    const auto& pairs = io.Writer.DepartmentCodes;
    EXPECT_EQ(pairs[0].NewCode, "0001");
    EXPECT_EQ(pairs[98].NewCode, "0099");
    EXPECT_EQ(pairs[99].NewCode, "0100");
    EXPECT_EQ(pairs[100].NewCode, "0100");
    EXPECT_EQ(pairs[100].OldCode, "00101");

    const std::vector<std::string> lines = Lines(io.ReadBumon());
    ASSERT_EQ(lines.size(), 101u);   // the common department and a hundred targets
    EXPECT_EQ(lines.front(), "BCODE=00\tBNAME=共通部門");
    EXPECT_EQ(lines.back(), "BCODE=0100\tBNAME=部門100");
    ASSERT_FALSE(io.ReadErrors.empty());
    EXPECT_EQ(io.ReadErrors.back(), "部門[0100]に複数の部門をまとめました（元の部門コード：00100,00101）");
}

TEST_F(CodeIndex, ShortDepartmentCodesKeepTheirDisplayCodeAndNamesFallBack)
{
    io.BumonKetasu = 3;
    io.Cmbumon = {Department("00000001", "010", "営業部"), Department("00000002", "020", "", "製造"),
                  Department("00000003", "030", "　", " ")};
    io.BuildCodeIndex();
    EXPECT_EQ(Lines(io.ReadBumon()), (std::vector<std::string>{"BCODE=00\tBNAME=共通部門", "BCODE=010\tBNAME=営業部",
                                                               "BCODE=020\tBNAME=製造", "BCODE=030\tBNAME=名称なし"}));
    EXPECT_TRUE(io.ReadErrors.empty());

    io.Cmbumon.clear();
    io.BuildCodeIndex();
    EXPECT_EQ(io.ReadBumon(), "");   // departments not in use
}

TEST_F(CodeIndex, BranchesAreInUseOnlyWithMoreThanOneBranchRecord)
{
    io.BuildCodeIndex();   // no branch record at all (the file missing or its line rejected)
    EXPECT_EQ(io.SitenSu, 0);
    EXPECT_FALSE(io.BranchesInUse());
    EXPECT_EQ(io.ReadSiten(), "");

    io.Cmhonten = {Branch("00000000", "本店")};
    io.BuildCodeIndex();
    EXPECT_FALSE(io.BranchesInUse());
    EXPECT_EQ(io.ReadSiten(), "");

    const std::string longName = "あいうえおかきくけこさしすせそたちつてとな";   // 42 bytes
    io.Cmhonten = {Branch("00000000", "本店"), Branch("00000010", "大阪支店"), Branch("00000020", longName)};
    io.BuildCodeIndex();
    EXPECT_EQ(io.SitenSu, 3);
    EXPECT_EQ(Lines(io.ReadSiten()),
              (std::vector<std::string>{"SCODE= \tSNAME=本店\tBUMEX=0", "SCODE=01\tSNAME=大阪支店\tBUMEX=0",
                                        "SCODE=02\tSNAME=" + longName.substr(0, 60) + "\tBUMEX=0"}));
}

TEST(CheckDigits, AreTheLastDigitOfTheWeightedSum)
{
    TQZaimuIO io;
    test::TRecordingLines status;
    io.StatusPanel = &status;
    EXPECT_EQ(io.CheckDigit("000"), "0000");
    EXPECT_EQ(io.CheckDigit("999"), "9999");   // 9 + 27 + 63 = 99
    EXPECT_EQ(io.CheckDigit("123"), "1238");   // 1 + 6 + 21 = 28
    EXPECT_EQ(io.CheckDigit("001"), "0017");
    EXPECT_TRUE(io.ReadErrors.empty());
    EXPECT_EQ(io.CheckDigit("12"), "0000");
    ASSERT_EQ(io.ReadErrors.size(), 1u);
    EXPECT_EQ(io.ReadErrors[0], "チェックデジット算出ができない。コード3桁<>[12]");
    EXPECT_EQ(status.StatusText, io.ReadErrors[0]);
}

TEST(TaxCodes, TranslateBySpecialAccountAndRateByEdition)
{
    TQZaimuIO io;
    io.HoujinKojin = 1;
    io.TokuteiKamoku[1] = "17000";   // tax paid
    io.TokuteiKamoku[2] = "18000";   // tax received
    EXPECT_EQ(io.MapTaxCode("2115", "41100"), "112");   // first digit added
    EXPECT_EQ(io.MapTaxCode("2115", "18000"), "612");   // R: the tax-received account
    EXPECT_EQ(io.MapTaxCode("9155", "18000"), "511");
    EXPECT_EQ(io.MapTaxCode("9155", "17000"), "711");   // P: the tax-paid account
    EXPECT_EQ(io.MapTaxCode("8888", "10100"), "910");
    EXPECT_EQ(io.MapTaxCode("7111", "10100"), "810");
    // An individual's tax-received account is slot 3; slot 2 is 事業主貸.
    io.HoujinKojin = 2;
    io.TokuteiKamoku[3] = "18000";
    io.TokuteiKamoku[2] = "19000";
    EXPECT_EQ(io.MapTaxCode("2115", "18000"), "612");
    EXPECT_EQ(io.MapTaxCode("2115", "19000"), "112");

    // Rate-sensitive categories: the base edition gives "1" whatever the date, the revised one dates them.
    EXPECT_EQ(io.TaxRateClass("1411", "2015/06/01"), "1");
    EXPECT_EQ(io.TaxRateClass("9151", "2015/06/01"), "0");
    io.RevisedEdition = true;
    EXPECT_EQ(io.TaxRateClass("1411", "2015/06/01"), "2");
    EXPECT_EQ(io.TaxRateClass("9451", "2014/04/01"), "2");
    EXPECT_EQ(io.TaxRateClass("9451", "2014/03/31"), "1");
}

}  // namespace
}  // namespace qz
