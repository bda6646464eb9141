// The account reading and the branch-department pruning on data databases restored from the templates.

#include "common/Format.h"
#include "common/SjisText.h"
#include "tests/support/ConversionFixture.h"
#include "tests/support/ExtractRecords.h"
#include "tests/support/ExtractWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace qz {
namespace {

constexpr int kYear = 7;

TZMKANJYO Account(const test::TAccountColumns& a)
{
    return test::AccountRecord(kYear, a);
}

class CodeConversion : public test::TConversionFixture {
protected:
    CodeConversion() : TConversionFixture(kYear) {}

    const TKMKREC& Target(std::string_view code) const
    {
        const auto& accounts = context.Writer.Accounts;
        const auto found = std::find_if(accounts.begin(), accounts.end(), [&](const TKMKREC& a) { return a.KCODE == code; });
        if (found == accounts.end())
            throw std::invalid_argument("no target account " + std::string(code));
        return *found;
    }
    bool HasError(std::string_view text) const
    {
        return std::find(context.ReadErrors.begin(), context.ReadErrors.end(), text) != context.ReadErrors.end();
    }
};

// ---------------------------------------------------------------------------------------------
// Reading the accounts

TEST_F(CodeConversion, FreeCodesCountUpSkippingTakenCodesAndAccountsTakeTheirSource)
{
    context.FreeCodeSiyou = true;
    context.FreeCodeKetasu = 4;
    context.KamokuKetasu = 4;
    context.Zmkanjyo = {Account({.Code = "10100", .UserCode = "0024", .Name = "現金出納", .DebitTax = "9151", .CreditTax = "8888"}),
                        Account({.Code = "11500", .UserCode = "1150", .Name = "定期預金"}),
                        Account({.Code = "55200", .UserCode = "5520", .Level1 = "50", .Name = "振替", .CostKind = "2"})};
    context.BuildCodeIndex();
    // 11500 is merged into the aggregated account 11300, which gets sub-accounts.
    context.Writer.SubAccountCodes = {{"11500", " ", "", "11300", "0001"}};
    ASSERT_TRUE(context.ReadAccounts()) << context.ReadErrorText();

    EXPECT_EQ(Target("10000").USERCODE, "0017");   // free code 1 with its check digit
    EXPECT_EQ(Target("10100").USERCODE, "0024");   // the source's own code
    EXPECT_EQ(Target("10200").USERCODE, "0031");   // 0024 is taken: free code 3

    const TKMKREC& cash = Target("10100");
    EXPECT_EQ(cash.KNAME + "/" + std::to_string(cash.USE), "現金出納/1");
    EXPECT_EQ(cash.TAX_LCODE * 1000 + cash.TAX_RCODE, 511910);
    EXPECT_EQ(Target("10000").KNAME, "現金");   // the fixed name of a blank cash account

    const TKMKREC& aggregated = Target("11300");
    EXPECT_EQ(aggregated.KNAME + "/" + std::to_string(aggregated.USE) + "/" + aggregated.HOJOSW, "集約科目/1/○");

    const TKMKREC& transfer = Target("55200");
    EXPECT_EQ(transfer.KNAME, "他勘定振替高");
    EXPECT_EQ(transfer.KEIHKUBU, "変");
    EXPECT_EQ(transfer.USERCODE, "5933");   // fixed "593" with its check digit
    EXPECT_EQ(Target("59300").USERCODE, "9937");
}

TEST_F(CodeConversion, ReadingFailsWithAMessageWhenEveryCodeIsTaken)
{
    for (int i = 1; i <= 999; ++i)
        context.Zmkanjyo.push_back(Account({.Code = Format("X%04d", i), .UserCode = Format("%03d", i)}));

    context.FreeCodeSiyou = true;
    EXPECT_FALSE(context.ReadAccounts());
    EXPECT_TRUE(HasError("勘定科目[10000]：フリーコードの空きがありません（001～999がすべて使用済みです）。"))
        << context.ReadErrorText();

    context.FreeCodeSiyou = false;
    context.ReadErrors.clear();
    EXPECT_FALSE(context.ReadAccounts());
    EXPECT_TRUE(HasError("勘定科目[10000]：予備コードの空きがありません（998～001がすべて使用済みです）。"))
        << context.ReadErrorText();
}

// Free codes of five digits are cut to the width the operator chooses: every user code of the data set,
// the fixed ones included, comes out in that width, and no two accounts share one.
TEST_F(CodeConversion, CutFreeCodesGiveEveryUserCodeTheChosenWidth)
{
    test::TTempFolder folder;
    test::TExtractDescription extract;
    extract.FreeCodes = true;
    extract.AccountDigits = 5;
    extract.Years = {{.Code = kYear, .Start = TDate::Ymd(2025, 4, 1), .End = TDate::Ymd(2026, 3, 31)}};
    extract.Accounts = {{.Code = "10100", .UserCode = "10101", .Level1 = "10", .Name = "現金"},
                        {.Code = "41100", .UserCode = "41101", .Level1 = "40", .Name = "売上高", .Side = "2"},
                        {.Code = "59300", .UserCode = "59301", .Level1 = "50", .Name = "振替"}};
    test::WriteExtract(extract, folder.Path());
    context.SetCsvDir(folder.Path());
    context.SentakuNendoCode = kYear;
    TZMKANNEN year;
    context.SelectNendo(kYear, year);
    ASSERT_EQ(context.KamokuKetasu, 5);
    context.FreeCodeSiyou = true;
    context.FreeCodeOver = true;

    for (const int width : {3, 4}) {
        context.FreeCodeKetasu = width;
        context.BuildCodeIndex();
        ASSERT_TRUE(context.ReadAccounts()) << context.ReadErrorText();
        std::set<std::string> codes;
        for (const TKMKREC& account : context.Writer.Accounts) {
            EXPECT_EQ(account.USERCODE.size(), static_cast<std::size_t>(width)) << account.KCODE << " " << account.USERCODE;
            if (width == 4) {
                EXPECT_EQ(context.CheckDigit(account.USERCODE.substr(0, 3)), account.USERCODE) << account.KCODE;
            }
            EXPECT_TRUE(codes.insert(account.USERCODE).second) << account.USERCODE << " twice";
        }
        EXPECT_EQ(Target("10100").USERCODE, width == 3 ? "101" : "1018");   // the standard code, not "10101"
        EXPECT_EQ(Target("59300").USERCODE, width == 3 ? "993" : "9937");
    }
}

// ---------------------------------------------------------------------------------------------
// Departments kept by the branches

class BranchDepartments : public CodeConversion {
protected:
    void SetUp() override
    {
        context.BumonKetasu = 2;
        context.Cmhonten = {test::BranchRecord(kYear, "00000000", "本店"), test::BranchRecord(kYear, "00000010", "大阪支店"),
                            test::BranchRecord(kYear, "00000020", "名古屋支店")};
        // 003 and 004 share their display code: one target department.
        context.Cmbumon = {test::DepartmentRecord(kYear, "001", "01", "営業部"), test::DepartmentRecord(kYear, "002", "02", "製造部"),
                           test::DepartmentRecord(kYear, "003", "03", "総務部"), test::DepartmentRecord(kYear, "004", "03", "経理部")};
    }

    // Writes departments and branches in the order of the import run and lists the branches' pairs.
    std::vector<std::string> ConvertAndListPairs()
    {
        context.BuildCodeIndex();
        EXPECT_EQ(context.Writer.WriteDepartments(context.ReadBumon()), 0) << context.Writer.GetErrorText();
        // Writing the departments paired them with every branch code, branches not written yet included.
        EXPECT_EQ(Count("SELECT COUNT(*) FROM SISETUBUM WHERE SCODE = '01' AND BCODE IN ('01', '02', '03')"), 3);
        const std::string branches = context.ReadSiten();
        EXPECT_EQ(context.Writer.WriteBranches(branches), 0) << context.Writer.GetErrorText();
        fb::TStatement list(transaction);
        list.Prepare("SELECT SCODE, BCODE FROM SISETUBUM WHERE SCODE IN (' ', '01', '02') AND BCODE <> ' ' ORDER BY SCODE, BCODE");
        list.Open();
        std::vector<std::string> pairs;
        while (list.Fetch())
            pairs.push_back(Trim(list.AsString(0)) + "/" + Trim(list.AsString(1)));
        return pairs;
    }
    std::int64_t Count(std::string_view sql) { return test::QueryInt(transaction, sql); }
};

TEST_F(BranchDepartments, BranchesKeepTheDepartmentsTheExtractGivesThem)
{
    context.Zmhonkan = {test::ManagedRecord(kYear, "00000010", "001"), test::ManagedRecord(kYear, "00000020", "002"),
                        test::ManagedRecord(kYear, "00000020", "004")};
    EXPECT_EQ(ConvertAndListPairs(), (std::vector<std::string>{"/00", "/01", "/02", "/03", "01/00", "01/01", "02/00",
                                                               "02/02", "02/03"}));
    EXPECT_TRUE(HasError("部門[03]に複数の部門をまとめました（元の部門コード：003,004）")) << context.ReadErrorText();
    EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(BranchDepartments, WithoutTheManagedDepartmentsBranchesKeepOnlyTheCommonOne)
{
    EXPECT_EQ(ConvertAndListPairs(), (std::vector<std::string>{"/00", "/01", "/02", "/03", "01/00", "02/00"}));
}

TEST_F(BranchDepartments, APairThatCannotBeDeletedIsReportedAndTheOthersGo)
{
    transaction.Start();
    fb::ExecuteImmediate(transaction, "CREATE EXCEPTION E_PAIR_KEPT 'pair kept'");
    transaction.Commit();
    transaction.Start();
    fb::ExecuteImmediate(transaction, "CREATE TRIGGER SISETUBUM_KEEP FOR SISETUBUM ACTIVE BEFORE DELETE POSITION 0 AS BEGIN "
                             "IF (OLD.SCODE = '01' AND OLD.BCODE = '02') THEN EXCEPTION E_PAIR_KEPT; END");
    transaction.Commit();

    EXPECT_EQ(ConvertAndListPairs(), (std::vector<std::string>{"/00", "/01", "/02", "/03", "01/00", "01/02", "02/00"}));
    const auto codeLine = std::find_if(context.ReadErrors.begin(), context.ReadErrors.end(),
                                            [](const std::string& line) { return line.starts_with("ErrCode<"); });
    ASSERT_NE(codeLine, context.ReadErrors.end()) << context.ReadErrorText();
    ASSERT_LT(codeLine + 2, context.ReadErrors.end());
    EXPECT_TRUE(codeLine[1].starts_with("支店別部門：")) << codeLine[1];
    EXPECT_NE(codeLine[1].find("pair kept"), std::string::npos) << codeLine[1];
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_TRUE(ui.LastText().starts_with("支店別部門：" + *codeLine)) << ui.LastText();
}

}  // namespace
}  // namespace qz
