// The conversion context on extracts written by the extract writer.

#include "common/Base64.h"
#include "common/Cp932.h"
#include "common/LineReader.h"
#include "convert/uQZ_ZaimuIO.h"
#include "platform/SystemDef.h"
#include "tests/support/ExtractWriter.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qz {
namespace {

namespace fs = std::filesystem;

class ZaimuIOTest : public ::testing::Test {
protected:
    test::TTempFolder folder;
    test::TTempFolder documents;
    test::TScopedEnv env;
    test::TExtractDescription extract;
    TQZaimuIO context;

    void SetUp() override
    {
        env.Set("QZ_DOCUMENTS", documents.Path().string());
        extract.SubDigits = 6;
        extract.DepartmentDigits = 3;
        extract.Years = {{.Code = 7, .Start = TDate::Ymd(2025, 4, 1), .End = TDate::Ymd(2026, 3, 31)},
                         {.Code = 6, .Start = TDate::Ymd(2024, 4, 1), .End = TDate::Ymd(2025, 3, 31)}};
        extract.Accounts = {{.Code = "10100", .UserCode = "101", .Level1 = "10", .Name = "現金"},
                            {.Code = "41100", .UserCode = "411", .Level1 = "40", .Name = "売上高", .Side = "2"}};
        extract.Years[0].Entries = {{.Date = TDate::Ymd(2025, 4, 10), .Debit = "10100", .Credit = "41100", .Amount = 1000, .Text = "売上"},
                                    {.Date = TDate::Ymd(2025, 5, 10), .Debit = "10100", .Credit = "41100", .Amount = 2000, .Text = "売上,現金"}};
        extract.Years[1].Entries = {{.Date = TDate::Ymd(2024, 6, 1), .Debit = "10100", .Credit = "41100", .Amount = 500, .Text = "前期"}};
        test::WriteExtract(extract, folder.Path());
    }
};

TEST_F(ZaimuIOTest, ReadsEveryFileOnceAndTheSameFolderNotAgain)
{
    const std::string summary = context.SetCsvDir(folder.Path());
    EXPECT_NE(summary.find("関与先名            :㈱山田商事"), std::string::npos);
    EXPECT_EQ(context.SentakuNendoCode, 0);
    EXPECT_EQ(context.Zmkanjyo.size(), 4u);   // two accounts in two years
    EXPECT_EQ(context.Zmkannen.size(), 2u);
    EXPECT_EQ(TQZaimuIO::UpperBound(context.Zmkannen), 1);
    EXPECT_EQ(TQZaimuIO::UpperBound(context.Zmryaku), -1);
    EXPECT_EQ(context.ReadErrorText(), "");

    test::WriteBytes(folder.Path() / "ZM" / "ZMKANJYO.CSV", "");
    EXPECT_EQ(context.SetCsvDir(folder.Path()), "");
    EXPECT_EQ(context.Zmkanjyo.size(), 4u);  // not read again
}

TEST_F(ZaimuIOTest, SelectingAYearSetsTheDigits)
{
    context.SetCsvDir(folder.Path());
    context.SentakuNendoCode = 6;
    TZMKANNEN year;
    context.SelectNendo(6, year);
    EXPECT_EQ(context.NendoIndex, 0);  // the oldest year is written first
    EXPECT_EQ(year.YearCode(), 6);
    EXPECT_EQ(context.KamokuKetasu, 3);
    EXPECT_EQ(context.HojoKetasu, 4);
    EXPECT_EQ(context.HojoKetasuMoto, 6);
    EXPECT_EQ(context.BumonKetasu, 3);

    TZMKANNEN untouched;
    context.SelectNendo(99, untouched);
    EXPECT_EQ(context.NendoIndex, 0);
    EXPECT_TRUE(untouched.Empty());
}

TEST_F(ZaimuIOTest, DigitColumnsThatAreNoNumbersAreConversionErrors)
{
    test::TExtractDescription bad = extract;
    bad.Years.resize(1);
    test::TTempFolder badFolder;
    test::WriteExtract(bad, badFolder.Path());
    // Column 34 of the year record made non-numeric.
    std::string line = "1,7";
    for (int c = 2; c < 64; ++c)
        line += c == 34 ? ",abc" : ",0";
    test::WriteBytes(badFolder.Path() / "ZM" / "ZMKANNEN.CSV", line + "\r\n");
    context.SetCsvDir(badFolder.Path());
    TZMKANNEN year;
    EXPECT_THROW(context.SelectNendo(7, year), TConversionError);
    EXPECT_EQ(context.NendoIndex, -1);
    // The context stays usable.
    context.SetCsvDir(folder.Path());
    context.SelectNendo(7, year);
    EXPECT_EQ(context.NendoIndex, 1);
}

TEST_F(ZaimuIOTest, AManifestWithABadClientCodeLeavesTheContextUsable)
{
    test::TTempFolder badFolder;
    test::WriteExtract(extract, badFolder.Path());
    test::WriteBytes(badFolder.Path() / "dtmanage.inf", "[KanyosakiInf]\r\nKanyosakiCode=12,x\r\n");
    EXPECT_THROW(context.SetCsvDir(badFolder.Path()), TConversionError);
    EXPECT_NO_THROW(context.SetCsvDir(folder.Path()));
    EXPECT_EQ(context.Zmkannen.size(), 2u);
    // The bad folder, once repaired, is read when chosen again.
    test::WriteExtract(extract, badFolder.Path());
    EXPECT_NE(context.SetCsvDir(badFolder.Path()), "");
}

TEST_F(ZaimuIOTest, CountsTheDebitLinesOfTheSelectedYear)
{
    context.SetCsvDir(folder.Path());
    context.SentakuNendoCode = 7;
    EXPECT_EQ(context.CountJournalLines(), 2);
    context.SentakuNendoCode = 6;
    EXPECT_EQ(context.CountJournalLines(), 1);
    // The year column is a number to the conversion, so "006" is year 6 as well.
    {
        std::ofstream journal(folder.Path() / "ZM" / "ZMSIWAKE.CSV", std::ios::binary | std::ios::app);
        journal << "1,006,00000000,00000001,0,1,x,20240501\r\n";
    }
    EXPECT_EQ(context.CountJournalLines(), 2);
    // A line beyond the reader's limit is no entry, and the count goes on after it.
    {
        std::ofstream journal(folder.Path() / "ZM" / "ZMSIWAKE.CSV", std::ios::binary | std::ios::app);
        journal << "1,6,00000000,00000002,0,1," << std::string(kMaxLineBytes, 'x') << "\r\n"
                << "1,6,00000000,00000003,0,1,x,20240502\r\n";
    }
    EXPECT_EQ(context.CountJournalLines(), 3);
    fs::remove(folder.Path() / "ZM" / "ZMSIWAKE.CSV");
    EXPECT_EQ(context.CountJournalLines(), 0);
    EXPECT_EQ(TQZaimuIO::DateText8("20250401"), "2025/04/01");
    // Taken apart at CP932 bytes: a character cut there is a blank, never half a UTF-8 sequence.
    EXPECT_EQ(TQZaimuIO::DateText8("202年0401"), "202 / 0/40");
}

TEST_F(ZaimuIOTest, TheErrorLogHoldsThePlainHeadAndTheDoublyEncodedDump)
{
    InitSystemPaths("/opt/qz/bin/qzconvert");
    context.SetCsvDir(folder.Path());
    context.KamokuIndex = {"101=10100"};
    context.TokuteiKamoku[2] = "18000";
    context.WriteErrorLog("変換に失敗しました。\r\n詳細");
    const std::string bytes = test::ReadBytes(documents.Path() / "Quorvel_ConvertError.log");
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", start);
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_GT(lines.size(), 40u);
    EXPECT_EQ(DecodeCp932(lines[0]), "変換に失敗しました。");
    EXPECT_EQ(lines[3], "FileVersion=1.0.11");
    EXPECT_EQ(DecodeCp932(lines[5]), "-----科目index -------");
    EXPECT_EQ(lines[6], "101=10100");
    const auto decoded = [&](std::size_t i) {
        const auto once = DecodeBase64(lines[i]);
        EXPECT_TRUE(once);
        const auto twice = DecodeBase64(*once);
        EXPECT_TRUE(twice);
        return DecodeCp932(*twice);
    };
    EXPECT_EQ(decoded(9), "//現事業年度配列番号=-1");
    EXPECT_EQ(decoded(9 + 24), "//補助数=0");  // written twice
    EXPECT_EQ(decoded(9 + 25 + 2), "//特定科目[2]=18000");
    bool manifest = false, accounts = false, journals = false;
    for (std::size_t i = 9; i < lines.size(); ++i) {
        const std::string text = decoded(i);
        manifest = manifest || text == "[INI]KanyosakiName=㈱山田商事";
        accounts = accounts || text.starts_with("[07]1,7,41100,411");
        journals = journals || text.starts_with("[15]");
    }
    EXPECT_TRUE(manifest);
    EXPECT_TRUE(accounts);
    EXPECT_FALSE(journals);  // no data database attached
}

TEST(ZaimuIOEmptyFolder, TheErrorLogOfAnEmptyFolderHasNoFileLines)
{
    test::TTempFolder folder, documents;
    test::TScopedEnv env;
    env.Set("QZ_DOCUMENTS", documents.Path().string());
    TQZaimuIO context;
    context.SetCsvDir(folder.Path());
    EXPECT_EQ(context.ReadErrors.size(), 14u);  // one missing-file message per file
    context.WriteErrorLog("x");
    const std::string bytes = test::ReadBytes(documents.Path() / "Quorvel_ConvertError.log");
    std::size_t lines = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 7u + 25u + 7u);  // plain head, the settings, the seven special accounts
}

TEST(ZaimuIOEmptyFolder, AnUnwritableLogIsShownNotRaised)
{
    test::TScopedEnv env;
    env.Set("QZ_DOCUMENTS", "/proc/no-such-folder");
    test::TRecordingUi ui;
    TQZaimuIO context;
    EXPECT_NO_THROW(context.WriteErrorLog("x"));
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_TRUE(ui.LastText().starts_with("エラーログ:"));
}

TEST(ZaimuIOInputMonth, AnInputMonthStartsTheDayAfterTheClosingDateOfTheMonthBefore)
{
    const auto start = [](int n, int closingDay, TDate first) { return TQZaimuIO::InputMonthStart(n, closingDay, first); };
    // The first month starts on the year's first day when that follows a closing date.
    EXPECT_EQ(start(1, 99, TDate::Ymd(2025, 4, 1)), TDate::Ymd(2025, 4, 1));
    EXPECT_EQ(start(1, 20, TDate::Ymd(2025, 6, 21)), TDate::Ymd(2025, 6, 21));
    EXPECT_EQ(start(4, 99, TDate::Ymd(2025, 4, 1)), TDate::Ymd(2025, 7, 1));
    // Closing on the 20th: month 1 runs 21 June - 20 July, month 2 to 20 August, month 3 starts 21 August.
    EXPECT_EQ(start(3, 20, TDate::Ymd(2025, 6, 21)), TDate::Ymd(2025, 8, 21));
    // Month end in a leap year's February; a closing day that is none counts from the first day itself.
    EXPECT_EQ(TQZaimuIO::ClosingDate(10, 99, TDate::Ymd(2023, 4, 1)), TDate::Ymd(2024, 2, 29));
    EXPECT_EQ(TQZaimuIO::ClosingDate(-1, 99, TDate::Ymd(2025, 4, 1)), TDate::Ymd(2025, 3, 31));
    EXPECT_EQ(TQZaimuIO::ClosingDate(3, 30, TDate::Ymd(2025, 4, 1)), TDate::Ymd(2025, 4, 1));
}

}  // namespace
}  // namespace qz
