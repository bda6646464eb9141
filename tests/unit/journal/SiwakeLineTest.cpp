// Lines of the journal text file: fields split on their bytes with quoted parts, and the entry they make.

#include "common/SjisText.h"
#include "journal/SiwakeLine.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

using TFields = std::vector<std::string>;

TEST(SiwakeFields, QuotedPartsKeepTheirSeparatorsAsCommas)
{
    EXPECT_EQ(SplitSiwakeFields("a\tb\t\tc", "\t"), (TFields{"a", "b", "", "c"}));
    EXPECT_EQ(SplitSiwakeFields("\"x\ty\tz\"\tw", "\t"), (TFields{"x,y,z", "w"}));
    EXPECT_EQ(SplitSiwakeFields("\"\"\t\"a\"", "\t"), (TFields{"", "a"}));
    EXPECT_EQ(SplitSiwakeFields("\"\tb\"\tc", "\t"), (TFields{",b", "c"}));  // a lone quote opens
    EXPECT_EQ(SplitSiwakeFields("\"open\tto the end", "\t"), (TFields{"open,to the end"}));
    EXPECT_EQ(SplitSiwakeFields("a,b", ""), TFields{});
}

TEST(SiwakeFields, CleaningRemovesLineBreaksAndRestoresQuotes)
{
    EXPECT_EQ(CleanSiwakeText("a\tb\r\nc'd'"), "abc\"d\"");
}

TFields Layout()
{
    TFields fields(kSiwakeFieldCount);
    fields[0] = "2015/06/01";
    fields[2] = "17";
    fields[15] = "1234.99";
    fields[20] = "2";
    return fields;
}

TEST(SiwakeRecord, AmountsAreCutToWholeYenAndTheVoucherNumberIsAnOption)
{
    TFields fields = Layout();
    const TSiwakeRec withoutVoucher = BuildSiwakeRec(fields, {});
    EXPECT_EQ(withoutVoucher.KINGAKU, TMoney::FromYen(1234));
    EXPECT_EQ(withoutVoucher.DNUM, 0);
    EXPECT_EQ(withoutVoucher.SCODE, " ");
    EXPECT_EQ(withoutVoucher.OLDRATE, 2);  // the old 5 % is valid in 2015
    fields[15] = "0100000";                 // the journal conversion writes a swapped amount so
    fields[0] = "2013/12/01";
    const TSiwakeRec withVoucher = BuildSiwakeRec(fields, {.ReadVoucherNo = true, .DefaultTaxCalc = 0, .OperatorCode = 100009999});
    EXPECT_EQ(withVoucher.KINGAKU, TMoney::FromYen(100000));
    EXPECT_EQ(withVoucher.DNUM, 17);
    EXPECT_EQ(withVoucher.OLDRATE, 0);  // before the 8 % began code 2 means nothing
    EXPECT_EQ(withVoucher.OPNCODE, 100009999);
}

TEST(SiwakeRecord, TextsAreCutToTheirColumns)
{
    TFields fields = Layout();
    fields[21] = std::string(49, 'a') + "漢字";
    fields[22] = "  取引先  ";
    fields[25] = std::string(99, 'c') + "長い";
    fields[26] = "短い";
    const TSiwakeRec rec = BuildSiwakeRec(fields, {});
    EXPECT_EQ(rec.TEKTEXT, std::string(49, 'a'));
    EXPECT_EQ(rec.TORTEXT, "取引先");
    EXPECT_EQ(SjisLength(rec.COMMENT), 99u);
    EXPECT_EQ(rec.AO_COMMENT, "短い");
}

TEST(SiwakeRecord, AnEntryBetweenUntaxedCategoriesCarriesNoTax)
{
    TSiwakeRec rec;
    rec.L.TAXCODE = 810;
    rec.R.TAXCODE = 110;
    MarkUntaxedEntry(rec);
    EXPECT_EQ(rec.TAXCALCU, 0);
    rec.R.TAXCODE = 910;
    MarkUntaxedEntry(rec);
    EXPECT_EQ(rec.TAXCALCU, 2);
}

}  // namespace
}  // namespace qz
