// The journal conversion on a restored corporation template: a journal file written line by line, sorted
// through the work table and converted into the work file, which is read back with the journal import's
// own splitter and line reader.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/LineReader.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_JournalLines.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/Settings.h"
#include "journal/SiwakeLine.h"
#include "tests/support/ConversionFixture.h"
#include "tests/support/ExtractRecords.h"

#include <gtest/gtest.h>

#include <memory>

namespace qz {
namespace {

namespace fs = std::filesystem;

struct TSide {
    std::string Account;
    std::string Tax = "9901";
    std::string Sub = "";
};

struct TEntry {
    TSide Debit, Credit;
    std::string Amount = "1000";
    std::string Text = "売上";
    std::string Date = "20250410";
    std::string Voucher = "";   // the internal voucher code; numbered when empty
    int Year = 7;
};

// The two lines of an entry in ZMSIWAKE.CSV (25 columns, the summary quoted).
std::vector<std::string> LinesOf(const TEntry& entry, int number)
{
    const std::string voucher = entry.Voucher.empty() ? Format("1%07d", number) : entry.Voucher;
    std::vector<std::string> lines;
    for (const auto& [mark, side] : {std::pair{"1", &entry.Debit}, std::pair{"2", &entry.Credit}}) {
        std::vector<std::string> columns(25);
        columns[0] = "101";
        columns[1] = std::to_string(entry.Year);
        columns[2] = "00000000";
        columns[3] = voucher;
        columns[4] = "0";
        columns[5] = mark;
        columns[6] = std::to_string(number);
        columns[7] = columns[8] = entry.Date;
        columns[13] = side->Account;
        columns[15] = side->Sub;
        columns[16] = side->Tax;
        columns[17] = entry.Amount;
        columns[21] = "\"" + entry.Text + "\"";
        std::string line = columns[0];
        for (std::size_t i = 1; i < columns.size(); ++i)
            line += "," + columns[i];
        lines.push_back(line);
    }
    return lines;
}

// One template for the suite: each test's transaction rolls its work back.
class JournalConversion : public test::TConversionFixture {
protected:
    static inline std::unique_ptr<test::TRestoredTemplate> data;
    static void SetUpTestSuite() { data = std::make_unique<test::TRestoredTemplate>(kChartCorporation); }
    static void TearDownTestSuite() { data.reset(); }

    JournalConversion() : TConversionFixture(7, data->Attachment()) {}

    test::TTempFolder folder;
    std::string vouchers;   // the "DNUM=" list of the last conversion

    void SetUp() override
    {
        transaction.Start();
        context.CsvDir = folder.Path();
        context.ZenkiNendoCode = 6;
        AccInfo().SHOUGOU = "㈱髙橋商店";
        AccInfo().KIMATU = TDate::Ymd(2026, 3, 31);
        AccInfo().SITEN = 0;
        AccInfo().BUMON = 0;
        THxzMakeData& writer = context.Writer;
        for (const std::string code : {"10100", "10300", "15200", "24100", "41100", "66500", "99900"}) {
            writer.AccountCodes.push_back({code, code});
            TKMKREC account;
            account.KCODE = code;
            account.USERCODE = code.substr(0, 3);
            writer.Accounts.push_back(account);
        }
        writer.SubAccountCodes = {{"10300", "00001", "001", "10300", "001"}};
        SpecialAccountCodes().Set("仮払消費税", {"15200", "152"});
        SpecialAccountCodes().Set("仮受消費税", {"24100", "241"});
        SpecialAccountCodes().Set("諸口", {"99900", "999"});
    }

    void WriteJournalFile(const std::vector<std::string>& raw)
    {
        std::string bytes;
        for (const std::string& line : raw)
            bytes += EncodeCp932(line) + "\r\n";
        test::WriteBytes(folder.Path() / "ZM" / "ZMSIWAKE.CSV", bytes);
    }
    void WriteEntries(const std::vector<TEntry>& entries)
    {
        std::vector<std::string> raw;
        for (std::size_t i = 0; i < entries.size(); ++i)
            for (const std::string& line : LinesOf(entries[i], static_cast<int>(i) + 1))
                raw.push_back(line);
        WriteJournalFile(raw);
    }

    // The entry lines of the work file, split as the journal import splits them.
    std::vector<std::vector<std::string>> Convert()
    {
        context.CreateJournalSortTable();
        context.FillJournalSortTable();
        const fs::path file = folder.Path() / "SIWAKE.TXT";
        vouchers = context.ConvertJournals(7, 0, "当期", file);
        const std::string bytes = test::ReadBytes(file);
        const std::vector<std::string_view> raw = SplitAt(bytes, "\r\n");
        EXPECT_EQ(DecodeCp932(raw.front()), AccInfo().SHOUGOU);
        EXPECT_EQ(raw.back(), "");
        std::vector<std::vector<std::string>> entries;
        for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
            std::vector<std::string> fields = SplitSiwakeFields(raw[i], "\t");
            EXPECT_EQ(fields.size(), static_cast<std::size_t>(kSiwakeFieldCount)) << DecodeCp932(raw[i]);
            for (std::string& field : fields)
                field = DecodeCp932(field);
            entries.push_back(std::move(fields));
        }
        return entries;
    }
    bool Listed(std::string_view text) const
    {
        return std::any_of(lines.Lines.begin(), lines.Lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }
};

// Field numbers (from 0) of a work-file line.
constexpr std::size_t kClosingFlag = 1, kPairNumber = 2, kDebitUser = 6, kDebitSub = 7, kDebitCategory = 9,
                      kCreditUser = 11, kCreditCategory = 14, kAmount = 15, kProcessingKind = 19, kRateKind = 20,
                      kSummary = 21;

TEST_F(JournalConversion, ClosingEntriesOfAnotherMonthAreListedAndKeepTheirNumber)
{
    WriteEntries({{.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "100"},
                  {.Debit = {"66500"}, .Credit = {"10100"}, .Amount = "200", .Date = "20250930", .Voucher = "20900001"},
                  {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "300", .Date = "20251001"},
                  {.Debit = {"66500"}, .Credit = {"10100"}, .Amount = "400", .Date = "20260331", .Voucher = "20300001"}});
    const auto entries = Convert();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1][kPairNumber], "3");
    EXPECT_EQ(entries[1][kAmount], "300");
    EXPECT_EQ(entries[2][kClosingFlag], "1");   // the end month's closing entry
    EXPECT_EQ(entries[0][kClosingFlag], "0");
    EXPECT_TRUE(Listed("2025/09/30 伝票[2/20900001] 借方[66500] 貸方[10100] 金額[200]"));
    EXPECT_TRUE(Listed("当期仕訳：決算月以外の決算整理仕訳 1件を取り込みませんでした。"));
}

TEST_F(JournalConversion, ANegativeAmountIsTheEntryTheOtherWayRound)
{
    WriteEntries({{.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "-5000"}});
    const auto entries = Convert();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0][kDebitUser], "411");
    EXPECT_EQ(entries[0][kCreditUser], "101");
    EXPECT_EQ(entries[0][kAmount], "05000");
    EXPECT_EQ(BuildSiwakeRec(entries[0], {}).KINGAKU, TMoney::FromYen(5000));
}

TEST_F(JournalConversion, TaxCodesCategoriesAndRateKinds)
{
    WriteEntries({// a rate-sensitive code dated after the change (the first by date)
                  {.Debit = {"66500", "9451"}, .Credit = {"10100"}, .Date = "20150601"},
                  // a "0…" code that translates to nothing takes the category of its "9…" form
                  {.Debit = {"66500", "0151"}, .Credit = {"10100"}},
                  // 5 % against 3 %: outside the tax
                  {.Debit = {"66500", "9151"}, .Credit = {"41100", "0411"}},
                  // the tax accounts keep their own categories, their other side takes none
                  {.Debit = {"15200", "0111"}, .Credit = {"41100", "0111"}},
                  {.Debit = {"10100", "9999"}, .Credit = {"24100"}, .Text = "消費税振替"}});
    context.RevisedEdition = false;
    auto entries = Convert();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0][kRateKind], "1");   // the base edition does not look at the date
    EXPECT_EQ(entries[1][kDebitCategory], context.MapTaxCode("9151", "66500"));
    EXPECT_NE(entries[1][kDebitCategory], "810");
    EXPECT_EQ(entries[2][kDebitCategory] + entries[2][kCreditCategory], "910910");
    EXPECT_EQ(entries[2][kProcessingKind] + entries[2][kRateKind], "20");
    EXPECT_EQ(entries[3][kDebitCategory], "910");
    EXPECT_EQ(entries[3][kCreditCategory], "810");
    EXPECT_EQ(vouchers, "DNUM=5");
    EXPECT_EQ(ReadAccReg(transaction, "基本設定", "一括税抜処理", kRegInt, "0").Int, 1);

    context.RevisedEdition = true;
    entries = Convert();
    EXPECT_EQ(entries[0][kRateKind], "2");
}

TEST_F(JournalConversion, SummariesAreCutOnWholeCharacters)
{
    const std::string twelve = "ああああああああああああ";   // 24 bytes
    WriteEntries({{.Debit = {"10100"}, .Credit = {"41100"}, .Text = twelve + "漢字"},
                  {.Debit = {"10100"}, .Credit = {"41100"}, .Text = "振込,\"至急\"\tA"}});
    const auto entries = Convert();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0][kSummary], twelve + " ");
    EXPECT_EQ(BuildSiwakeRec(entries[1], {}).TEKTEXT, "振込,\"至急\"A");
}

TEST_F(JournalConversion, UnsupportedRatesStopTheYearAndAreListedUpTo99)
{
    std::vector<TEntry> entries(150, {.Debit = {"66500", "9251"}, .Credit = {"10100"}});
    WriteEntries(entries);
    const auto written = Convert();
    EXPECT_EQ(written.size(), 1u);
    ASSERT_EQ(context.CodeWork.size(), 100u);
    EXPECT_EQ(context.CodeWork[0], "  日付       借方(借消) 貸方(貸消) 金額          摘要");
    EXPECT_EQ(context.CodeWork[99], "  2025/04/10  665(9251)  101(    ) 1000 \"売上\"");
    EXPECT_EQ(context.Writer.AccountLookupError + context.Writer.SubAccountLookupError, kLookupUnsupportedRate);
}

TEST_F(JournalConversion, OneUnpairedLineIsSkippedAloneAndCounted)
{
    std::vector<std::string> raw;
    for (int i = 1; i <= 4; ++i)
        for (const std::string& line : LinesOf({.Debit = {"10100"}, .Credit = {"41100"}, .Amount = std::to_string(i * 100)}, i))
            raw.push_back(line);
    raw.erase(raw.begin() + 3);   // the credit line of the second entry
    raw.push_back("101,7,00000000,19999999,0,1,1,20250410,20250410");   // too few columns
    WriteJournalFile(raw);
    const auto entries = Convert();
    ASSERT_EQ(entries.size(), 3u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i][kPairNumber], std::to_string(i + 1));
        EXPECT_EQ(entries[i][kDebitUser] + "/" + entries[i][kCreditUser], "101/411");
    }
    EXPECT_EQ(entries[1][kAmount], "300");
    EXPECT_TRUE(Listed("当期仕訳：借方・貸方の対にならない仕訳行 1件を取り込みませんでした。"));
    EXPECT_TRUE(Listed("当期仕訳：項目数が不正な仕訳行 1件を取り込みませんでした。"));
    EXPECT_NE(context.ReadErrorText().find(raw[2]), std::string::npos);
}

TEST_F(JournalConversion, LinesTheSortTableCannotHoldAreListedAndTheOthersConverted)
{
    std::string kanji;
    for (int k = 0; k < 150; ++k)
        kanji += "売";   // a line within 300 characters, though beyond 300 bytes
    const std::vector<TEntry> entries = {
        {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "100"},
        {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "200", .Text = std::string(300, 'x')},   // over 300 characters
        {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "300", .Voucher = "123456789"},           // a 9-character key
        {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "400", .Date = "２０２５０４１０"},         // a key ASCII cannot hold
        {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "500", .Text = kanji},
    };
    std::vector<std::string> raw;
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (const std::string& line : LinesOf(entries[i], static_cast<int>(i) + 1))
            raw.push_back(line);
    raw.push_back(raw[0]);                                            // the first entry's debit line again
    raw.push_back("101,7," + std::string(kMaxLineBytes, '0'));        // beyond the reader's limit
    WriteJournalFile(raw);

    const auto converted = Convert();
    ASSERT_EQ(converted.size(), 2u);
    EXPECT_EQ(converted[0][kAmount], "100");
    EXPECT_EQ(converted[1][kAmount], "500");
    const std::string errors = context.ReadErrorText();
    for (const std::size_t refused : {2, 3, 4, 5, 6, 7})
        EXPECT_NE(errors.find(std::string(journal_lines::kUnsortableLineText) + "：" + raw[refused]), std::string::npos)
            << raw[refused];
    EXPECT_NE(errors.find(std::string(journal_lines::kDuplicateLineText) + "：" + raw[0]), std::string::npos) << errors;
    EXPECT_NE(errors.find(LineTooLongText(raw.size(), kMaxLineBytes)), std::string::npos) << errors;
}

TEST_F(JournalConversion, AmountsTheImportRefusesAreSkippedAndListed)
{
    WriteEntries({{.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "0"},
                  {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "千円"},
                  {.Debit = {"10100"}, .Credit = {"41100"}, .Amount = "700"}});
    const auto entries = Convert();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0][kAmount], "700");
    EXPECT_TRUE(Listed("当期仕訳：金額が0または数値でない仕訳 2件を取り込みませんでした。"));
}

TEST_F(JournalConversion, FiveZerosInTheSubAccountColumnMeanNoSubAccount)
{
    WriteEntries({{.Debit = {"10100", "9901", "00000"}, .Credit = {"41100"}},
                  {.Debit = {"10300", "9901", "00001"}, .Credit = {"41100"}}});
    const auto entries = Convert();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0][kDebitSub], " ");
    EXPECT_EQ(entries[1][kDebitSub], "001");
    EXPECT_EQ(context.Writer.SubAccountLookupError, 0);
    EXPECT_EQ(context.Writer.MissingCodes, "");
}

TEST(JournalLines, ASideIsReadOnlyFromALineOfItsYearWithItsColumns)
{
    TQZaimuIO context;
    const std::vector<std::string> sides = LinesOf({.Debit = {"10100", "9901", "00000"}, .Credit = {"41100"}, .Text = "振込,手数料"}, 1);
    ASSERT_EQ(context.ParseJournalLine(7, sides[0]), 0);
    EXPECT_EQ(context.DebitLine.Column(7), "2025/04/10");
    EXPECT_EQ(context.DebitLine.Column(21), "振込,手数料");
    EXPECT_EQ(context.DebitLine.Column(15), "");
    EXPECT_TRUE(context.CreditLine.Columns.empty());
    EXPECT_EQ(context.ParseJournalLine(6, sides[1]), 255);
    EXPECT_EQ(context.ParseJournalLine(7, sides[1].substr(0, sides[1].size() - 2)), 254);   // 23 columns
    EXPECT_EQ(context.ParseJournalLine(7, sides[1] + ","), 253);
    EXPECT_TRUE(context.CreditLine.Columns.empty());
}

TEST_F(JournalConversion, DictionaryBlocksCarryTargetCodes)
{
    context.Writer.AccountCodes.push_back({"52100", "66500"});   // merged into another account
    context.Writer.SubAccountCodes.push_back({"10300", "00002", "002", "10300", "002"});
    fb::ExecuteImmediate(transaction, "INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('10300', '001', '銀行', 'B')");
    const auto associative = [](int year, std::string_view account, std::string_view side, std::string_view text) {
        using namespace column::zmrensou;
        return test::MakeRecord<TZMRENSOU>(extract::Zmrensou, year, {{kAccount, account}, {kSide, side}, {kText, text}});
    };
    context.Zmrensou = {associative(7, "52100", "1", "家賃"), associative(7, "10100", "2", "現金"),
                        associative(6, "10100", "1", "前期"), associative(7, "10100", "1", "  ")};
    const std::vector<TBlockLine> rensou = ReadLineBlock(context.BuildRensouBlock());
    ASSERT_EQ(rensou.size(), 2u);
    EXPECT_EQ(rensou[0].Value("CREC") + rensou[0].Value("KAR_KCODE") + "|" + rensou[0].Value("KAR_HCODE") + "|" +
                  rensou[0].Value("KAS_KCODE"),
              "166500| |");
    EXPECT_EQ(rensou[1].Value("CREC") + rensou[1].Value("KAS_KCODE") + rensou[1].Value("KAR_KCODE"), "210100");

    const auto siwaji = [](std::string_view debit, std::string_view debitSub, std::string_view credit,
                           std::string_view creditSub, std::string_view kind) {
        using namespace column::zmsiwaji;
        return test::MakeRecord<TZMSIWAJI>(extract::Zmsiwaji, 7,
                                           {{kDebitAccount, debit}, {kCreditAccount, credit}, {kKind, kind},
                                            {kText, "振込"}, {kDebitSubAccount, debitSub}, {kCreditSubAccount, creditSub}});
    };
    context.Zmsiwaji = {siwaji("10300", "00001", "52100", "00002", "1"), siwaji("10300", "00001", "10100", "", "0")};
    const std::vector<TBlockLine> single = ReadLineBlock(context.BuildSiwajiBlock());
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].Value("KAR_KCODE") + "/" + single[0].Value("KAR_HCODE"), "10300/001");
    EXPECT_EQ(single[0].Value("KAS_KCODE") + "/" + single[0].Value("KAS_HCODE"), "66500/ ");   // no such sub-account

    using namespace column::zmryaku;
    context.Zmryaku = {test::MakeRecord<TZMRYAKU>(extract::Zmryaku, 7, {{kKana, "ﾌﾘ"}, {kText, "振込"}})};
    EXPECT_EQ(context.BuildRyakuBlock(), "TEKCODE=0\tKANA=ﾌﾘ\tTEXT=振込");
}

}  // namespace
}  // namespace qz
