// The consumption-tax categories and the tax of a journal entry. Expected amounts are worked by hand.

#include "common/ChartKind.h"
#include "db/schema/StandardCharts.h"
#include "journal/TaxCategories.h"

#include <gtest/gtest.h>

#include <limits>

namespace qz {
namespace {

TEST(TaxCategoryTable, KnowsEveryCategoryTheRulesAndTheStandardChartsUse)
{
    std::vector<int> used = {110, 111, 112, 113, 114, 115, 310, 311, 312, 313, 314, 315, 610, 611, 612, 613, 614, 615,
                             620, 630, 631, 632, 633, 634, 635, 640, 711, 712, 713, 721, 722, 723, 724, 725, 726,
                             731, 732, 733, 761, 762, 763, 771, 772, 773, 774, 775, 776, 810, 910};
    for (const int chart : kChartKinds)
        for (const schema::TChartRow& row : schema::StandardChart(chart))
            used.insert(used.end(), {row.TaxLCode, row.TaxRCode});
    for (const int code : used) {
        const TTaxCategory* category = FindTaxCategory(code);
        ASSERT_NE(category, nullptr) << code;
        // The posting procedure keeps tax totals only for classes 0 to 9.
        EXPECT_GE(category->TAXUH, 0) << code;
        EXPECT_LE(category->TAXUH, 9) << code;
        EXPECT_GE(category->TAXDC, 0) << code;
        EXPECT_LE(category->TAXDC, 2) << code;
    }
    for (const int unknown : {0, 100, 116, 120, 512, 616, 714, 727, 999})
        EXPECT_EQ(FindTaxCategory(unknown), nullptr) << unknown;
}

TEST(TaxCategoryRules, ClassedSalesCategoriesFollowTheTaxation)
{
    for (const auto& [plain, classed] : {std::pair{110, 113}, {310, 313}, {610, 613}, {630, 633}}) {
        EXPECT_EQ(NormaliseTaxCategory(plain, true, 3), classed);
        EXPECT_EQ(NormaliseTaxCategory(classed, false, 3), plain);
        EXPECT_EQ(NormaliseTaxCategory(classed, true, 3), classed);
    }
    EXPECT_EQ(NormaliseTaxCategory(511, true, 3), 511);
    EXPECT_EQ(NormaliseTaxCategory(711, false, 0), 711);
    EXPECT_EQ(NormaliseTaxCategory(640, true, 2), 640);
}

TEST(TaxCategoryRules, TaxAccountsTakeOnlyTheirOwnCategories)
{
    EXPECT_TRUE(CheckTaxAccountRule(TTaxAccount::TaxPaid, 726, false).Allowed);
    EXPECT_EQ(CheckTaxAccountRule(TTaxAccount::TaxPaid, 511, false).Text, kTaxPaidAccountRule);
    EXPECT_FALSE(CheckTaxAccountRule(TTaxAccount::TaxPaid, 610, true).Allowed);

    const TAccountRule general = CheckTaxAccountRule(TTaxAccount::TaxReceived, 612, false);
    EXPECT_TRUE(general.Allowed);
    EXPECT_EQ(general.Text, kGeneralTaxationNotice);
    const TAccountRule simplified = CheckTaxAccountRule(TTaxAccount::TaxReceived, 630, true);
    EXPECT_TRUE(simplified.Allowed);
    EXPECT_EQ(simplified.Text, kSimplifiedTaxationNotice);
    EXPECT_EQ(CheckTaxAccountRule(TTaxAccount::TaxReceived, 612, true).Text, "");
    EXPECT_EQ(CheckTaxAccountRule(TTaxAccount::TaxReceived, 711, false).Text, kTaxReceivedAccountRule);
    EXPECT_FALSE(CheckTaxAccountRule(TTaxAccount::TaxReceived, 711, false).Allowed);
    EXPECT_TRUE(CheckTaxAccountRule(TTaxAccount::Other, 511, false).Allowed);
}

TEST(TaxRates, TheRateOfTheDateOrOfTheOldRateCode)
{
    EXPECT_EQ(TaxRateOf(TDate::Ymd(1989, 3, 31), 0), std::nullopt);
    EXPECT_EQ(TaxRateOf(TDate::Ymd(1989, 4, 1), 0), TMoney::FromYen(3));
    EXPECT_EQ(TaxRateOf(TDate::Ymd(1997, 3, 31), 0), TMoney::FromYen(3));
    EXPECT_EQ(TaxRateOf(TDate::Ymd(1997, 4, 1), 0), TMoney::FromYen(5));
    EXPECT_EQ(TaxRateOf(TDate::Ymd(2014, 3, 31), 0), TMoney::FromYen(5));
    EXPECT_EQ(TaxRateOf(TDate::Ymd(2014, 4, 1), 0), TMoney::FromYen(8));
    EXPECT_EQ(TaxRateOf(TDate::Ymd(2015, 1, 1), 1), TMoney::FromYen(3));
    EXPECT_EQ(TaxRateOf(TDate::Ymd(2015, 1, 1), 2), TMoney::FromYen(5));
    EXPECT_EQ(TaxRateOf(TDate::Ymd(1996, 1, 1), 2), std::nullopt);
}

TTaxInput Sale(std::int64_t amount, int mode, TDate date)
{
    TTaxInput input;
    input.Amount = TMoney::FromYen(amount);
    input.DebitCategory = 910;
    input.CreditCategory = 110;
    input.CalcMode = mode;
    input.Date = date;
    return input;
}

TEST(EntryTax, EachTaxedSideRoundsAsItsKindAndBothCarryTheSameGross)
{
    TTaxInput input = Sale(1000, 0, TDate::Ymd(2015, 6, 1));
    input.DebitCategory = 511;   // a purchase against a sale, rounded up
    input.PurchaseRounding = 1;  // the sale is truncated
    const std::optional<TEntryTax> inclusive = ComputeEntryTax(input);
    ASSERT_TRUE(inclusive);
    EXPECT_EQ(inclusive->Debit.Tax, TMoney::FromYen(75));  // 74.07 up
    EXPECT_EQ(inclusive->Credit.Tax, TMoney::FromYen(74));
    EXPECT_EQ(inclusive->Debit.Net + inclusive->Debit.Tax, inclusive->Credit.Net + inclusive->Credit.Tax);

    input.CalcMode = 1;  // one tax for the entry, rounded as its debit side
    const std::optional<TEntryTax> exclusive = ComputeEntryTax(input);
    ASSERT_TRUE(exclusive);
    EXPECT_EQ(exclusive->Debit.Tax, TMoney::FromYen(80));
    EXPECT_EQ(exclusive->Credit.Tax, TMoney::FromYen(80));
    EXPECT_EQ(exclusive->Credit.Net, TMoney::FromYen(1000));
}

TEST(EntryTax, AGivenTaxIsTakenAsItIs)
{
    TTaxInput input = Sale(1000, 0, TDate::Ymd(2015, 6, 1));
    input.Automatic = false;
    input.GivenTax = TMoney::FromYen(50);
    const std::optional<TEntryTax> tax = ComputeEntryTax(input);
    ASSERT_TRUE(tax);
    EXPECT_EQ(tax->Credit.Net, TMoney::FromYen(950));
    EXPECT_EQ(tax->Credit.Tax, TMoney::FromYen(50));
    input.GivenTax = TMoney::FromYen(1001);  // more tax than the amount
    EXPECT_EQ(ComputeEntryTax(input), std::nullopt);
}

TEST(EntryTax, WhatCannotBeComputed)
{
    EXPECT_EQ(ComputeEntryTax(Sale(1000, 0, TDate::Ymd(1988, 6, 1))), std::nullopt);  // before the tax
    TTaxInput unknownRounding = Sale(1000, 0, TDate::Ymd(2015, 6, 1));
    unknownRounding.SalesRounding = 3;
    EXPECT_EQ(ComputeEntryTax(unknownRounding), std::nullopt);
    EXPECT_EQ(ComputeEntryTax(Sale(1000, 4, TDate::Ymd(2015, 6, 1))), std::nullopt);
    // The largest amount the money type holds leaves no room for the tax added to a tax-exclusive amount.
    const std::int64_t largest = std::numeric_limits<std::int64_t>::max() / TMoney::kScale;
    EXPECT_EQ(ComputeEntryTax(Sale(largest, 1, TDate::Ymd(2015, 6, 1))), std::nullopt);
    EXPECT_TRUE(ComputeEntryTax(Sale(largest, 0, TDate::Ymd(2015, 6, 1))));   // tax-inclusive: the gross is the amount

    // Without a taxed side nothing needs a rate: the amount is the net of both sides.
    TTaxInput untaxed = Sale(1000, 0, TDate::Ymd(1988, 6, 1));
    untaxed.CreditCategory = 130;
    const std::optional<TEntryTax> tax = ComputeEntryTax(untaxed);
    ASSERT_TRUE(tax);
    EXPECT_EQ(tax->Credit.Net, TMoney::FromYen(1000));
    EXPECT_EQ(tax->Credit.Rate, TMoney());
    const std::optional<TEntryTax> noTax = ComputeEntryTax(Sale(1000, 2, TDate::Ymd(2015, 6, 1)));
    ASSERT_TRUE(noTax);
    EXPECT_EQ(noTax->Credit.Tax, TMoney());
}

}  // namespace
}  // namespace qz
