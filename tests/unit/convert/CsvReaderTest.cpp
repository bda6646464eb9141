// The extract readers: the unquoting rule with its quirks, column counts and their messages, typed
// columns, the ordering of branches and departments, and bad input.

#include "common/Cp932.h"
#include "convert/ZaimuIO_CsvReader.h"
#include "tests/support/ExtractWriter.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace qz {
namespace {

using test::TExtractDescription;

TEST(UnquoteLine, RemovesTheQuotesAndHidesTheCommas)
{
    EXPECT_EQ(UnquoteLine("1,2,\"a,b\",c"), "1,2,a;b,c");
    // No quote followed by a comma closes the field: only the opening quote goes.
    EXPECT_EQ(UnquoteLine("1,\"a,b,c\""), "1,a,b,c\"");
    EXPECT_EQ(UnquoteLine("1,\"abc,d"), "1,abc,d");
    EXPECT_EQ(UnquoteLine("\"a,b\",c"), "\"a,b\",c");        // a quote at the very start is not recognised
    // A quoted text holding a quote followed by a comma is cut there.
    EXPECT_EQ(UnquoteLine("x,\"say \"\"hi\"\",there\",y"), "x,say \"\"hi\",there\",y");
    EXPECT_EQ(UnquoteLine("no quotes,here"), "no quotes,here");
}

class ExtractReading : public ::testing::Test {
protected:
    test::TTempFolder folder;
    TExtractDescription extract;
    std::vector<std::string> errors;

    void SetUp() override
    {
        extract.Years = {{.Code = 7, .Start = TDate::Ymd(2025, 4, 1), .End = TDate::Ymd(2026, 3, 31)}};
        extract.Accounts = {{.Code = "10100", .UserCode = "101", .Level1 = "10", .Name = "現金"},
                            {.Code = "41100", .UserCode = "411", .Level1 = "40", .Name = "売上高,雑収入", .Side = "2"}};
    }

    void Write() { test::WriteExtract(extract, folder.Path()); }
};

TEST_F(ExtractReading, AQuotedNameKeepsItsCommaAfterReading)
{
    Write();
    const auto accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(accounts[1].Text(12), "売上高,雑収入");
    EXPECT_EQ(accounts[1].Text(2), "41100");
    EXPECT_EQ(accounts[1].YearCode(), 7);
    EXPECT_EQ(accounts[1].WorkFlag, 0);
}

TEST_F(ExtractReading, ColumnCountsAndTheirMessages)
{
    const std::string base24 = "1,7,10200,102,10,,,,,,,,預金,1,,,,9901,,9901,,,,0";  // 24 columns
    extract.ExtraLines = {{"ZMKANJYO.CSV", EncodeCp932(base24 + ",x,y")},        // 26: too many as well
                          {"ZMKANJYO.CSV", EncodeCp932(base24 + ",x,y,z")},      // 27: too many
                          {"ZMKANJYO.CSV", EncodeCp932("1,7,10300,103")},        // 4: too few
                          {"ZMKANJYO.CSV", EncodeCp932(base24)}};
    Write();
    const auto accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    ASSERT_EQ(accounts.size(), 6u);
    EXPECT_TRUE(accounts[2].Empty());
    EXPECT_TRUE(accounts[3].Empty());
    EXPECT_TRUE(accounts[4].Empty());
    EXPECT_EQ(accounts[2].YearCode(), 0);  // an empty slot matches no year
    EXPECT_EQ(accounts[5].Text(12), "預金");
    EXPECT_EQ(accounts[5].Text(24), "");   // the optional last column of the smaller count
    // No count that is not accepted goes unheard, not even the one between the two limits of the messages.
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "ZM勘定科目（項目数>26）：" + base24 + ",x,y");
    EXPECT_EQ(errors[1], "ZM勘定科目（項目数>26）：" + base24 + ",x,y,z");
    EXPECT_EQ(errors[2], "ZM勘定科目（項目数<25）：1,7,10300,103");
}

TEST_F(ExtractReading, AnOverlongLineIsRefusedAloneAndAFileOfTooManyLinesWhole)
{
    const std::string base24 = "1,7,10200,102,10,,,,,,,,預金,1,,,,9901,,9901,,,,0";
    extract.ExtraLines = {{"ZMKANJYO.CSV", std::string(kMaxLineBytes + 1, 'x')}, {"ZMKANJYO.CSV", EncodeCp932(base24)}};
    Write();
    auto accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    ASSERT_EQ(accounts.size(), 4u);
    EXPECT_TRUE(accounts[2].Empty());
    EXPECT_EQ(accounts[3].Text(12), "預金");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("ZM勘定科目[ZMKANJYO.CSV]：3行目"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(std::to_string(kMaxLineBytes)), std::string::npos) << errors[0];

    // One line more than a file of its kind may hold: nothing of it is taken, and the message says why.
    const std::size_t limit = extract::Zmkanjyo.MaxLines;
    std::string lines;
    for (std::size_t i = 0; i <= limit; ++i)
        lines += EncodeCp932(base24) + "\r\n";
    test::WriteBytes(folder.Path() / "ZM" / "ZMKANJYO.CSV", lines);
    errors.clear();
    accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    EXPECT_TRUE(accounts.empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(std::to_string(limit + 1) + "行目"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(std::to_string(limit) + "行"), std::string::npos) << errors[0];
}

TEST_F(ExtractReading, TrailingQuotedFieldDiffersBetweenAbbreviationsAndAssociations)
{
    extract.ExtraLines = {{"ZMRYAKU.CSV", EncodeCp932("1,7,ｱｲｳ,振込,\"手数,料\"")},
                          {"ZMRENSOU.CSV", EncodeCp932("1,7,0001,10100,41100,\"振込,手数料\"")}};
    Write();
    const auto abbreviations = ReadExtract<TZMRYAKU>(folder.Path(), extract::Zmryaku, errors);
    ASSERT_EQ(abbreviations.size(), 1u);
    EXPECT_TRUE(abbreviations[0].Empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "ZM略号摘要（項目数>5）：1,7,ｱｲｳ,振込,\"手数,料\"");
    errors.clear();
    const auto associations = ReadExtract<TZMRENSOU>(folder.Path(), extract::Zmrensou, errors);
    ASSERT_EQ(associations.size(), 1u);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(associations[0].Text(5), "振込,手数料");
}

TEST_F(ExtractReading, BranchesComeOutByYearThenOrderKey)
{
    extract.Years.push_back({.Code = 6, .Start = TDate::Ymd(2024, 4, 1), .End = TDate::Ymd(2025, 3, 31)});
    extract.Branches = {{"00000000", "B", "本店"}, {"00000002", "A", "大阪支店"}, {"00000003", "ｱ", "名古屋支店"},
                        {"00000004", "亜", "髙松支店"}};
    Write();
    const auto branches = ReadExtract<Tcmhonten>(folder.Path(), extract::Cmhonten, errors);
    ASSERT_EQ(branches.size(), 8u);
    // Year 6 first; within a year the CP932 bytes of column 3: "A" < "B" < 亜 (0x88) < ｱ (0xB1).
    std::vector<std::string> order;
    for (const auto& branch : branches)
        order.push_back(std::to_string(branch.YearCode()) + branch.Text(3));
    EXPECT_EQ(order, (std::vector<std::string>{"6A", "6B", "6亜", "6ｱ", "7A", "7B", "7亜", "7ｱ"}));
}

TEST_F(ExtractReading, MissingAndEmptyFiles)
{
    extract.OmittedFiles = {"ZMRYAKU.CSV"};
    Write();
    const auto missing = ReadExtract<TZMRYAKU>(folder.Path(), extract::Zmryaku, errors);
    EXPECT_TRUE(missing.empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "ZM略号摘要[ZMRYAKU.CSV]ファイルが無い");
    errors.clear();
    const std::filesystem::path notAFile = folder.Path() / "ZM" / "ZMRYAKU.CSV";
    std::filesystem::create_directory(notAFile);
    EXPECT_TRUE(ReadExtract<TZMRYAKU>(folder.Path(), extract::Zmryaku, errors).empty());
    EXPECT_EQ(errors, (std::vector<std::string>{"ZM略号摘要[ZMRYAKU.CSV]ファイルが無い（" + notAFile.string() +
                                                " はファイルではありません）"}));
    errors.clear();
    const auto empty = ReadExtract<TZMHONKAN>(folder.Path(), extract::Zmhonkan, errors);  // written empty
    EXPECT_TRUE(empty.empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(ExtractReading, TypedColumnsAndBrokenBytes)
{
    // An amount that is no number reads 0 and is told; broken Shift-JIS bytes become blanks instead of
    // stopping the read.
    std::string line = "1,7,00000000,10100,00000,1,abc";
    for (int i = 0; i < 32; ++i)
        line += ",5";
    extract.ExtraLines = {{"ZMUCHZAN.CSV", line}, {"ZMKANJYO.CSV", "1,7,10400,104,10,,,,,,,,\x82!\x88\x9F,1,,,,9901,,9901,,,,0"}};
    Write();
    const auto balances = ReadExtract<TZMUCHZAN>(folder.Path(), extract::Zmuchzan, errors);
    ASSERT_FALSE(balances.empty());
    const auto& last = balances.back();
    EXPECT_EQ(last.Amount(6).Raw(), 0);
    EXPECT_EQ(last.Amount(7), TMoney::FromYen(5));
    EXPECT_EQ(last.Amount(38), TMoney::FromYen(5));
    EXPECT_EQ(errors, (std::vector<std::string>{"ZM科目内訳残高[ZMUCHZAN.CSV]（7列目：金額ではありません）：" + line}));
    errors.clear();
    const auto accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(accounts.back().Text(12), "  亜");

    const auto management = ReadExtract<Ttadatama>(folder.Path(), extract::Tadatama, errors);
    ASSERT_EQ(management.size(), 1u);
    EXPECT_EQ(management[0].Date(2), TDate::Ymd(2025, 4, 1));
    EXPECT_EQ(management[0].Date(3), TDate::Ymd(2026, 3, 31));
}

TEST_F(ExtractReading, CellsThatAreNotWhatTheirColumnNeedsAreToldOneByOne)
{
    // Column 0 (an integer) holds "+100", column 5 " 100" is text, column 6 an amount with a blank in
    // front, column 7 is empty: read as 0 without a word.
    std::string line = "+100,7,00000000,10100,00000,1, 100,";
    for (int i = 0; i < 31; ++i)
        line += ",5";
    extract.ExtraLines = {{"ZMUCHZAN.CSV", line}};
    Write();
    const auto balances = ReadExtract<TZMUCHZAN>(folder.Path(), extract::Zmuchzan, errors);
    const auto& last = balances.back();
    EXPECT_EQ(last.Int(0), 0);
    EXPECT_EQ(last.Amount(6), TMoney());
    EXPECT_EQ(last.Amount(7), TMoney());
    EXPECT_EQ(last.Amount(8), TMoney::FromYen(5));
    const std::string label = "ZM科目内訳残高[ZMUCHZAN.CSV]";
    EXPECT_EQ(errors, (std::vector<std::string>{label + "（1列目：整数ではありません）：" + line,
                                                label + "（7列目：金額ではありません）：" + line}));
}

TEST_F(ExtractReading, AnAmountTooLargeForTheMoneyTypeRejectsItsRecord)
{
    // 922337203685478 yen is beyond the ten-thousandths the money type holds; the largest 64-bit number
    // even more so. Neither may wrap round into a wrong balance.
    const auto lineWith = [](std::string_view opening) {
        std::string line = "1,7,00000000,10100,00000,1," + std::string(opening);
        for (int i = 0; i < 32; ++i)
            line += ",5";
        return line;
    };
    extract.ExtraLines = {{"ZMUCHZAN.CSV", lineWith("922337203685478")},
                          {"ZMUCHZAN.CSV", lineWith("-9223372036854775807")},
                          {"ZMUCHZAN.CSV", lineWith("922337203685477")}};
    Write();
    const auto balances = ReadExtract<TZMUCHZAN>(folder.Path(), extract::Zmuchzan, errors);
    ASSERT_GE(balances.size(), 3u);
    const std::size_t n = balances.size();
    EXPECT_TRUE(balances[n - 3].Empty());
    EXPECT_TRUE(balances[n - 2].Empty());
    EXPECT_EQ(balances[n - 1].Amount(6), TMoney::FromYen(922337203685477));
    const std::string label = "ZM科目内訳残高[ZMUCHZAN.CSV]";
    EXPECT_EQ(errors, (std::vector<std::string>{label + "（7列目：金額が大きすぎます）：" + lineWith("922337203685478"),
                                                label + "（7列目：金額が大きすぎます）：" + lineWith("-9223372036854775807")}));
}

// Every file, one line: each text column ends in a lone lead byte right before its comma. The comma must
// still separate the columns, and the lead byte become a blank.
TEST(ExtractFiles, ALeadByteBeforeACommaNeverSwallowsTheComma)
{
    for (const TExtractFileSpec* spec : {&extract::Cmkansig, &extract::Cmhonten, &extract::Cmbumon, &extract::Tadatama,
                                         &extract::Zmkannen, &extract::Zmhonkan, &extract::Zmkanjyo, &extract::Zmryaku,
                                         &extract::Zmrensou, &extract::Zmuchzan, &extract::Zmbumzan, &extract::Zmkesan,
                                         &extract::Zmuchiwa, &extract::Zmsiwaji}) {
        std::string line;
        for (std::size_t c = 0; c < spec->Columns.size(); ++c) {
            const char type = spec->Columns[c];
            line += c == 0 ? "" : ",";
            line += type == 'i' ? "7" : type == 'a' ? "5" : type == 'd' ? "20250401" : EncodeCp932("名") + "\x82";
        }
        test::TTempFolder folder;
        test::WriteBytes(folder.Path() / std::string(spec->Folder) / std::string(spec->FileName), line + "\r\n");
        std::vector<std::string> errors;
        const std::vector<TExtractRecord> records = ReadExtractFile(folder.Path(), *spec, errors);
        EXPECT_TRUE(errors.empty()) << spec->FileName << ": " << (errors.empty() ? "" : errors.front());
        ASSERT_EQ(records.size(), 1u) << spec->FileName;
        ASSERT_EQ(records[0].ColumnCount(), spec->Columns.size()) << spec->FileName;
        for (std::size_t c = 0; c < spec->Columns.size(); ++c) {
            const char type = spec->Columns[c];
            if (type == 't' || type == 's') {
                EXPECT_EQ(records[0].Text(c), "名 ") << spec->FileName << " column " << c;
            } else if (type == 'i') {
                EXPECT_EQ(records[0].Int(c), 7) << spec->FileName << " column " << c;
            }
        }
    }
}

// The unquoting rule of the source product, one field at a time, exactly as the reader used to apply it.
std::string UnquoteStepByStep(std::string line, bool trailingVariant)
{
    while (line.find(",\"") != std::string::npos) {
        const bool trailing = trailingVariant && !line.empty() && line.back() == '"';
        if (trailing)
            line += ',';
        line = UnquoteLine(line);
        if (trailing && !line.empty())
            line.pop_back();
    }
    return line;
}

TEST(UnquoteFields, OnePassGivesWhatTheRuleGivesStepByStep)
{
    // Lines made of the characters the rule looks at, short enough that every quirk turns up often:
    // fields quoted at the start, quotes inside quotes, unclosed quotes, quotes that reopen a field
    // after unquoting, lines ending in a quote.
    std::mt19937 random(20261208);
    const std::string alphabet = ",\",\"ab;";
    for (int n = 0; n < 200000; ++n) {
        std::string line(random() % 24, ' ');
        for (char& c : line)
            c = alphabet[random() % alphabet.size()];
        for (const bool variant : {false, true})
            ASSERT_EQ(UnquoteFields(line, variant), UnquoteStepByStep(line, variant)) << "line: " << line << " variant " << variant;
    }
    // Raw Shift-JIS bytes pass untouched, and a long run of quoted fields still comes out right.
    const std::string kanji = EncodeCp932("売上高");
    EXPECT_EQ(UnquoteFields("1,\"" + kanji + ",x\",2", false), "1," + kanji + ";x,2");
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += ",\"a,b\"";
    EXPECT_EQ(UnquoteFields(many, false), UnquoteStepByStep(many, false));
}

TEST(ExtractFiles, NamesMatchWithoutRegardToCase)
{
    test::TTempFolder folder;
    test::WriteBytes(folder.Path() / "cm" / "CmKanSig.csv", "1,7,,2,0,0\r\n");
    std::vector<std::string> errors;
    const auto resources = ReadExtract<Tcmkansig>(folder.Path(), extract::Cmkansig, errors);
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0].Text(3), "2");
    EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace qz
