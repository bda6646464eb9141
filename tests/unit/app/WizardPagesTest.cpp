// The wizard's pages without their widgets, on extracts written for each case: the year settings and the
// lists page 1 opens, the special accounts page 3 proposes and refuses, the aggregated-accounts CSV.

#include "app/SyuyakuCsv.h"
#include "app/WizardSpecialAccounts.h"
#include "app/WizardTexts.h"
#include "app/WizardYear.h"
#include "common/ChartKind.h"
#include "common/Cp932.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

using test::TExtractDescription;

TExtractDescription Sample(std::string_view name)
{
    for (auto& [folder, description] : test::SampleExtracts())
        if (folder == name)
            return description;
    throw std::invalid_argument("no sample " + std::string(name));
}

class WizardPages : public ::testing::Test {
protected:
    test::TTempFolder root;
    test::TRecordingUi ui;
    TQZaimuIO io;
    int loads = 0;

    // Each description in its own folder: the context reads a folder it has read before no more.
    TExtractCheck Load(const TExtractDescription& description, bool revised = false)
    {
        const std::filesystem::path folder = root.Path() / ("抽出" + std::to_string(++loads));
        test::WriteExtract(description, folder);
        return LoadExtractFolder(io, folder, revised);
    }

    std::string UserCodeOf(const TExtractDescription& d, std::string_view code)
    {
        for (const test::TExtractAccount& account : d.Accounts)
            if (account.Code == code)
                return account.UserCode;
        return {};
    }
};

TEST_F(WizardPages, TheChosenYearTakesTheYearsBeforeItAndItsPeriod)
{
    const TExtractDescription d = Sample("corporation");
    ASSERT_TRUE(Load(d).Accepted);
    // Loading selects the newest year.
    EXPECT_EQ(io.SentakuNendoCode, d.Years[0].Code);
    EXPECT_EQ(io.ZenkiNendoCode, d.Years[1].Code);
    EXPECT_EQ(io.ZenzenkiNendoCode, d.Years[2].Code);

    const TYearOptions options = SelectFiscalYear(io, 1, kBalanceTaxExcluded);
    EXPECT_EQ(io.SentakuNendoCode, d.Years[1].Code);
    EXPECT_EQ(io.ZenkiNendoCode, d.Years[2].Code);
    EXPECT_EQ(io.ZenzenkiNendoCode, -1);
    EXPECT_EQ(io.Kisyu, d.Years[1].Start);
    EXPECT_EQ(io.Kimatu, d.Years[1].End);
    EXPECT_EQ(io.ZandakaSyubetu, 2);
    EXPECT_EQ(io.HoujinKojin, 1);
    EXPECT_FALSE(options.FreeCodeDigitsOpen);
    EXPECT_FALSE(options.RealEstateChartOpen);

    SelectFiscalYear(io, 2);
    EXPECT_EQ(io.ZenkiNendoCode, -1);
    EXPECT_EQ(io.ZandakaSyubetu, 1);
}

TEST_F(WizardPages, FolderRefusals)
{
    EXPECT_EQ(LoadExtractFolder(io, root.Path(), false).Refusal, kChooseExtractFolderText);

    TExtractDescription d = Sample("corporation");
    d.DBVersion = 0;
    const TExtractCheck revised = Load(d, true);
    EXPECT_FALSE(revised.Accepted);
    EXPECT_EQ(revised.Refusal, " 指定されたフォルダは、QuorvelMendalⅢ(Ver3.2.0.1)の抽出データではありません。");
    EXPECT_TRUE(Load(d, false).Accepted);   // the base edition reads any version
}

TEST_F(WizardPages, OnlyARealEstateOwnerChoosesTheChartAndOnlyLongFreeCodesTheirWidth)
{
    TExtractDescription d = Sample("individual-realestate");
    d.FreeCodes = true;
    d.AccountDigits = 5;
    ASSERT_TRUE(Load(d).Accepted);
    const TYearOptions options = SelectFiscalYear(io, 0);
    EXPECT_TRUE(options.RealEstateChartOpen);
    EXPECT_TRUE(options.FreeCodeDigitsOpen);
    EXPECT_EQ(io.ChartKind(), kChartIndividualRealEstate);   // the list proposes the real-estate chart
    EXPECT_EQ(io.FreeCodeKetasu, 3);
    SetFudosanTaikei(io, kFudosanGeneral);
    SetFreeCodeDigits(io, kFreeCode4);
    EXPECT_EQ(io.ChartKind(), kChartIndividualGeneral);
    EXPECT_EQ(io.FreeCodeKetasu, 4);

    // A four-digit free code needs no choice: the width is the code's own.
    d.AccountDigits = 4;
    d.BusinessKind = "01";
    ASSERT_TRUE(Load(d).Accepted);
    const TYearOptions general = SelectFiscalYear(io, 0);
    EXPECT_FALSE(general.FreeCodeDigitsOpen);
    EXPECT_FALSE(general.RealEstateChartOpen);
    EXPECT_FALSE(io.FreeCodeOver);
    EXPECT_EQ(io.FreeCodeKetasu, 4);
    EXPECT_EQ(io.ChartKind(), kChartIndividualGeneral);
}

TEST_F(WizardPages, SpecialAccountsProposedFromTheSourceChartPassTheirChecks)
{
    for (const std::string_view name : {"corporation", "individual-general"}) {
        const TExtractDescription d = Sample(name);
        ASSERT_TRUE(Load(d).Accepted);
        const std::optional<std::vector<std::string>> codes = ProposeSpecialAccounts(io);
        ASSERT_TRUE(codes);
        const std::span<const TSpecialAccountRow> rows = SpecialAccountRows(io.HoujinKojin);
        ASSERT_EQ(codes->size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ((*codes)[i], UserCodeOf(d, rows[i].DefaultSystemCode)) << name << " " << rows[i].Name;
        EXPECT_FALSE(ValidateSpecialAccounts(io, *codes)) << name;
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(io.TokuteiKamoku[i], rows[i].DefaultSystemCode) << name;
    }
}

TEST_F(WizardPages, SpecialAccountRefusalsStopAtTheFirstRowInError)
{
    TExtractDescription d = Sample("corporation");
    // その他の預金 is an aggregated account of the corporate chart, classified like cash.
    d.Accounts.push_back({.Code = "11300", .UserCode = "113", .Level1 = "10", .Level2 = "11", .Level3 = "10",
                          .Name = "その他の預金"});
    ASSERT_TRUE(Load(d).Accepted);
    const std::vector<std::string> proposed = *ProposeSpecialAccounts(io);
    const auto refusal = [&](std::size_t row, std::string code) {
        std::vector<std::string> codes = proposed;
        codes[row] = std::move(code);
        const auto found = ValidateSpecialAccounts(io, codes);
        return found ? std::to_string(found->Row) + ":" + found->Text : std::string("none");
    };
    EXPECT_EQ(refusal(1, "101"), "0:特定科目は、同じコードを設定できません。");
    EXPECT_EQ(refusal(0, "777"), "0:[現金]のコードを設定してください。");
    EXPECT_EQ(refusal(2, "401"), "2:[401]は分類が違う科目です。");
    EXPECT_EQ(refusal(0, "113"), "0:[113]は集約科目です。特定科目に設定できません。");
    // 諸口 may be an aggregated account.
    EXPECT_EQ(refusal(4, "999"), "none");
}

TEST_F(WizardPages, ASoleProprietorsOwnerAccountsMayBeAggregatedTheOthersNot)
{
    TExtractDescription d = Sample("individual-general");
    d.Accounts.push_back({.Code = "19800", .UserCode = "198", .Level1 = "10", .Level2 = "11", .Level3 = "10",
                          .Name = "他勘定"});
    ASSERT_TRUE(Load(d).Accepted);
    std::vector<std::string> codes = *ProposeSpecialAccounts(io);
    // 元入金, 事業主貸, 事業主借 and 諸口 of the general chart are aggregated accounts.
    EXPECT_FALSE(ValidateSpecialAccounts(io, codes));
    codes[0] = "198";
    const auto refused = ValidateSpecialAccounts(io, codes);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->Text, "[198]は集約科目です。特定科目に設定できません。");
}

TEST_F(WizardPages, AClientOfNeitherKindHasNoSpecialAccounts)
{
    ASSERT_TRUE(Load(Sample("corporation")).Accepted);
    io.NendoIndex = -1;   // no year record
    EXPECT_FALSE(ProposeSpecialAccounts(io));
}

TEST(SyuyakuCsv, TwoHeaderLinesThenTheRowsWithAValueHoldingACommaQuoted)
{
    TSyuyakuRow row;
    row.Cells = {"115", "定期積金", "001", "㈱髙橋,本店", "", "113", "その他の預金", "001", "\"定期\"積金"};
    const std::vector<std::string> lines = SyuyakuCsvLines({row});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "QuorvelMendalⅢ,,,,,Quorvel財務");
    EXPECT_EQ(lines[1], ",科目名,,内訳名,,,科目名,,補助科目名");
    EXPECT_EQ(lines[2], "115,定期積金,001,\"㈱髙橋,本店\",,113,その他の預金,001,\"\"\"定期\"\"積金\"");

    test::TTempFolder folder;
    const std::filesystem::path file = SyuyakuCsvFileName(folder.Path(), "山田/髙橋");
    EXPECT_EQ(file.parent_path(), folder.Path());
    EXPECT_EQ(file.filename().string(), "集約科目(山田_髙橋).CSV");
    SaveSyuyakuCsv(file, {});
    EXPECT_EQ(test::ReadBytes(file), EncodeCp932("QuorvelMendalⅢ,,,,,Quorvel財務\r\n,科目名,,内訳名,,,科目名,,補助科目名\r\n"));
}

}  // namespace
}  // namespace qz
