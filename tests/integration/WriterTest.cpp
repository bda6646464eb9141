// The target writer on a data database restored from the corporation template: what each step leaves in
// the tables, checked against the rules and against sums the test works out itself.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/LineBlock.h"
#include "convert/ZaimuIO_Statements.h"
#include "db/AccInfo.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/JournalLine.h"
#include "tests/support/PastAmounts.h"
#include "writer/uQZ_DataKakikomi.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

namespace fs = std::filesystem;

class WriterTest : public test::TInstallationFixture {
protected:
    THxzMakeData writer;
    test::TRecordingLines lines{3};

    void SetUp() override
    {
        TInstallationFixture::SetUp();
        ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
        ASSERT_TRUE(DM().fnGetAccInfo());
        writer.SetTransaction(DM().IBTransactionDAT);
        writer.AllNineCode = "999";
        writer.ProgressList = &lines;
        writer.StatusControl = &lines;
    }

    std::string Text(std::string_view sql)
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::TStatement query(DM().IBTransactionDAT);
        query.Prepare(sql);
        query.Open();
        return query.Fetch() ? (query.IsNull(0) ? "NULL" : query.AsString(0)) : "(none)";
    }
    std::int64_t Count(std::string_view sql) { return QueryData(sql); }
};

std::string Block(std::initializer_list<std::initializer_list<TBlockItem>> lines)
{
    TLineBlockBuilder builder;
    for (const auto& line : lines)
        builder.AddLine(line);
    return builder.Text();
}

// ---------------------------------------------------------------------------------------------
// Line blocks

TEST(LineBlock, ValuesAreReadByKeyAndCannotSplitTheirLine)
{
    TLineBlockBuilder builder;
    builder.AddLine({{"KCODE", "10100"}, {"KNAME", "現金\t小口\r\n"}}).AddLine({{"KCODE", "10200"}, {"NOTE", "a=b"}});
    const std::vector<TBlockLine> read = ReadLineBlock(builder.Text());
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].Value("KNAME"), "現金 小口  ");  // a TAB, CR or LF in a value becomes a blank
    EXPECT_EQ(read[0].Value("MISSING"), "");
    EXPECT_EQ(read[1].Value("NOTE"), "a=b");
    EXPECT_TRUE(ReadLineBlock("").empty());
    EXPECT_EQ(ReadLineBlock("K=1\r\n").size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Basic information and fiscal period

TEST_F(WriterTest, BasicInformationWritesTheFixedValuesWhateverTheRecordHolds)
{
    TACCINF info = AccInfo();
    info.NENDO = 0;
    info.SHOUGOU = "㈱髙橋商店";
    info.KANSA_LOCK = 1;
    info.CONVERT = 0;
    ASSERT_EQ(writer.WriteBasicInfo(info), 0) << writer.GetErrorText();
    EXPECT_EQ(Text("SELECT NENDO FROM ACCDEF1"), "1");
    EXPECT_EQ(Text("SELECT SHOUGOU FROM ACCDEF1"), "㈱髙橋商店");
    EXPECT_EQ(Text("SELECT KANSA_LOCK FROM ACCDEF1"), "0");
    EXPECT_EQ(Text("SELECT CONVERT FROM ACCDEF1"), "1");
    EXPECT_EQ(Text("SELECT KANSA_FIXDATE FROM ACCDEF1"), "NULL");
    EXPECT_EQ(Text("SELECT SERIAL FROM ACCDEF1"), "Merovantide");
    EXPECT_EQ(lines.Lines[0], "・基本情報を書込中です。");
}

TEST_F(WriterTest, AnIndividualsPeriodIsTheCalendarYear)
{
    AccInfo().KISHU = TDate::Ymd(2009, 4, 15);
    ASSERT_EQ(writer.WriteFiscalPeriod(21, 1), 0);
    EXPECT_EQ(Text("SELECT KISHU FROM ACCDEF1"), "2009/01/01");
    EXPECT_EQ(Text("SELECT KIMATU FROM ACCDEF1"), "2009/12/31");
    EXPECT_EQ(Text("SELECT KAISI FROM ACCDEF1"), "2009/04/01");
    EXPECT_EQ(Text("SELECT SIME * 100 + KAISINO FROM ACCDEF1"), "9904");
    AccInfo().KISHU = TDate::Ymd(2009, 4, 15);
    ASSERT_EQ(writer.WriteFiscalPeriod(21, 3), 0);
    EXPECT_EQ(Text("SELECT KAISINO FROM ACCDEF1"), "6");
    EXPECT_EQ(Text("SELECT KAISI FROM ACCDEF1"), "2009/06/01");
    // A start-period number past December names no month: the first day of input is the zero date.
    AccInfo().KISHU = TDate::Ymd(2009, 11, 1);
    ASSERT_EQ(writer.WriteFiscalPeriod(21, 4), 0);
    EXPECT_EQ(Text("SELECT KAISI FROM ACCDEF1"), "1899/12/30");

    // A corporation's period is written as it stands.
    AccInfo().KISHU = TDate::Ymd(2025, 4, 1);
    AccInfo().KIMATU = TDate::Ymd(2026, 3, 31);
    AccInfo().KAISI = TDate::Ymd(2025, 7, 1);
    AccInfo().KAISINO = 4;
    ASSERT_EQ(writer.WriteFiscalPeriod(11, 3), 0);
    EXPECT_EQ(Text("SELECT KAISI FROM ACCDEF1"), "2025/07/01");
    EXPECT_EQ(Text("SELECT KAISINO FROM ACCDEF1"), "4");
}

// ---------------------------------------------------------------------------------------------
// Accounts, sub-accounts and special accounts

TEST_F(WriterTest, AccountsCanExchangeUserCodesAndLoseEverySpace)
{
    writer.LoadAccountTable(400);
    ASSERT_EQ(writer.Accounts.size(), 400u);
    for (TKMKREC& account : writer.Accounts) {
        account.USERCODE = account.StdCode;
        account.KNAME = "科目";
    }
    // 現金 (10100) and 当座預金 (10200) swap their user codes; names carry blanks of both widths.
    writer.Accounts[1].USERCODE = "102";
    writer.Accounts[2].USERCODE = "101";
    writer.Accounts[1].KNAME = " 手 許　現金 ";
    ASSERT_EQ(writer.WriteAccounts(), 0) << writer.GetErrorText();
    EXPECT_EQ(Text("SELECT USERCODE FROM KAMOKUMST WHERE KCODE = '10100'"), "102");
    EXPECT_EQ(Text("SELECT USERCODE FROM KAMOKUMST WHERE KCODE = '10200'"), "101");
    EXPECT_EQ(Text("SELECT KNAME FROM KAMOKUMST WHERE KCODE = '10100'"), "手許現金");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM KAMOKUMST WHERE USERCODE STARTING WITH 'A'"), 0);
}

TEST_F(WriterTest, TheAccountTableComesFromTheStandardChartAndTheTemplate)
{
    writer.LoadAccountTable(400);
    const auto find = [&](std::string_view code) {
        return *std::find_if(writer.Accounts.begin(), writer.Accounts.end(), [&](const TKMKREC& a) { return a.KCODE == code; });
    };
    EXPECT_EQ(find("55200").StdCode, "593");
    EXPECT_EQ(find("59300").StdCode, "993");
    EXPECT_EQ(find("21800").DAC, 1);
    EXPECT_EQ(find("10100").HOJOSW, "－");
    EXPECT_EQ(writer.Accounts.front().KCODE, "10000");
    EXPECT_THROW(writer.LoadAccountTable(123), std::invalid_argument);
}

TEST_F(WriterTest, SubAccountsTheirAllNinesCompletionAndTheMark)
{
    const std::string block = Block({
        {{"KCODE", "10200"}, {"HCODE", "001"}, {"HKANA", "ｷﾞﾝｺｳ"}, {"HNAME", "㈱髙橋銀行"}, {"TAX_LCODE", "x"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
        {{"KCODE", "10200"}, {"HCODE", "999"}, {"HNAME", "別名"}, {"TAX_LCODE", "910"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
        {{"KCODE", "10200"}, {"HCODE", "002"}, {"HNAME", "第二銀行"}, {"TAX_LCODE", "910"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
        {{"KCODE", "13100"}, {"HCODE", "001"}, {"HNAME", "得意先"}, {"TAX_LCODE", "910"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
        {{"KCODE", "13100"}, {"HCODE", "001"}, {"HNAME", "得意先（改）"}, {"TAX_LCODE", "910"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
    });
    ASSERT_EQ(writer.WriteSubAccounts(block), 0) << writer.GetErrorText();
    EXPECT_EQ(Text("SELECT TAX_LCODE FROM HOJOMST WHERE KCODE = '10200' AND HCODE = '001'"), "910");  // "x" is no category
    EXPECT_EQ(Text("SELECT HNAME FROM HOJOMST WHERE KCODE = '10200' AND HCODE = '999'"), "その他");  // named so on insert
    EXPECT_EQ(Text("SELECT HNAME FROM HOJOMST WHERE KCODE = '13100' AND HCODE = '001'"), "得意先（改）");  // an update keeps the line's
    // The completion gave 13100 its "その他"; an account without sub-accounts got none.
    EXPECT_EQ(Text("SELECT HNAME FROM HOJOMST WHERE KCODE = '13100' AND HCODE = '999'"), "その他");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM HOJOMST WHERE KCODE = '10100' AND HCODE <> ' '"), 0);
    // The mark comes when an account already holds two rows as one of its lines is written: 10200 got it at
    // its second line, 13100 at its second line (its own row and sub-account 001).
    EXPECT_EQ(Text("SELECT HOJOSW FROM KAMOKUMST WHERE KCODE = '10200'"), "○");
    EXPECT_EQ(Text("SELECT HOJOSW FROM KAMOKUMST WHERE KCODE = '13100'"), "○");
    EXPECT_NE(Text("SELECT HOJOSW FROM KAMOKUMST WHERE KCODE = '10100'"), "○");
    // Balance rows exist for every new sub-account, and the inventory accounts carry their names.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM KAMOKU_SZ WHERE KCODE = '13100' AND HCODE = '999'"), 1);
    EXPECT_EQ(Text("SELECT KNAME FROM KAMOKUMST WHERE KCODE = '49700'"), "期首商品製品棚卸高");
    EXPECT_EQ(Text("SELECT KNAME FROM KAMOKUMST WHERE KCODE = '49800'"), "期末商品製品棚卸高");
}

TEST_F(WriterTest, SpecialAccountsSwapAndNoteAccountsFindTheFirstFreeAccount)
{
    // 仮払消費税 takes the note account 割引手形's code; 現金 and 諸口 exchange theirs.
    const std::string block = Block({{{"KCODE", "30500"}, {"KNAME", "仮払消費税"}},
                                     {{"KCODE", "99900"}, {"KNAME", "現金"}},
                                     {{"KCODE", "10100"}, {"KNAME", "諸口"}}});
    ASSERT_EQ(writer.WriteSpecialAccounts(11, block), 0) << writer.GetErrorText();
    EXPECT_EQ(Text("SELECT KCODE FROM ACCDEF2 WHERE KNAME = '現金'"), "99900");
    EXPECT_EQ(Text("SELECT KCODE FROM ACCDEF2 WHERE KNAME = '諸口'"), "10100");
    EXPECT_EQ(Text("SELECT KCODE FROM ACCDEF2 WHERE KNAME = '受取手形'"), "15100");
    // 30500 is taken: 割引手形 goes to the next free account of group 2100, which leaves none for 裏書手形.
    EXPECT_EQ(Text("SELECT KCODE FROM ACCDEF2 WHERE KNAME = '割引手形'"), "30600");
    EXPECT_EQ(Text("SELECT KCODE FROM ACCDEF2 WHERE KNAME = '裏書手形'"), "(none)");
    EXPECT_EQ(SpecialAccountCodes().Get("現金").KCode, "99900");
    EXPECT_EQ(SpecialAccountCodes().Get("仮払消費税").UserCode, "305");
}

// ---------------------------------------------------------------------------------------------
// Departments, branches and dictionaries

TEST_F(WriterTest, DepartmentsLoseTheirSpacesAndTheHeadOfficeIsUpdated)
{
    ASSERT_EQ(writer.WriteDepartments(Block({{{"BCODE", "01"}, {"BNAME", " 営 業　部 "}}})), 0) << writer.GetErrorText();
    EXPECT_EQ(Text("SELECT BNAME FROM BUMONMST WHERE BCODE = '01'"), "営業部");
    EXPECT_EQ(lines.Lines[0], "・部門 [01]営 業　部 を書込中です。");
    ASSERT_EQ(writer.WriteBranches(Block({{{"SCODE", " "}, {"SNAME", "本社"}, {"BUMEX", "1"}},
                                          {{"SCODE", "01"}, {"SNAME", "大阪支店"}, {"BUMEX", "x"}}})),
              0)
        << writer.GetErrorText();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SISETUMST"), 2);
    EXPECT_EQ(Text("SELECT SNAME FROM SISETUMST WHERE SCODE = ' '"), "本店");  // the template's row, not replaced
    EXPECT_EQ(Text("SELECT BUMEX FROM SISETUMST WHERE SCODE = '01'"), "0");
}

TEST_F(WriterTest, DictionariesKeepTheirLimitsAndBindTheirSides)
{
    TLineBlockBuilder associations, singles, abbreviations;
    for (int i = 0; i < 3500; ++i) {
        associations.AddLine({{"CREC", "1"}, {"TEXT", "借方摘要"}, {"KAR_KCODE", "10100"}, {"KAS_KCODE", "41100"}});
        singles.AddLine({{"TEXT", "単一"}, {"KAR_KCODE", "10100"}});
    }
    for (int i = 0; i < 10; ++i)
        associations.AddLine({{"CREC", "2"}, {"TEXT", "貸方摘要"}, {"KAR_KCODE", "00000"}, {"KAS_KCODE", "10200"}, {"KAS_HCODE", "001"}});
    abbreviations.AddLine({{"KANA", "ｱｲｳ"}, {"TEXT", "三文字"}}).AddLine({{"KANA", "ｱｲ"}, {"TEXT", "二文字"}}).AddLine({{"KANA", "ｱｲｳｴ"}, {"TEXT", "四文字"}});
    // 10200's sub-account 001 has its own credit category.
    ExecData("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, TAX_LCODE, TAX_RCODE, BPFLG) VALUES ('10200', '001', '銀行', 910, 511, 'B')");
    ASSERT_EQ(writer.WriteAssocSummaries(" ", associations.Text()), 0) << writer.GetErrorText();
    ASSERT_EQ(writer.WriteSingleSummaries(" ", singles.Text()), 0) << writer.GetErrorText();
    ASSERT_EQ(writer.WriteAbbrevSummaries(" ", abbreviations.Text()), 0) << writer.GetErrorText();

    const auto entries = [&](std::string_view sort) {
        return Count("SELECT COUNT(*) FROM TEKDIC T JOIN TEKDICTI I ON I.CREC = T.CREC WHERE I.SCODE = ' ' AND I.SORTCODE = '" +
                     std::string(sort) + "'");
    };
    EXPECT_EQ(entries("47"), 2999);
    EXPECT_EQ(entries("48"), 10);
    EXPECT_EQ(entries("49"), 3000);
    EXPECT_EQ(Text("SELECT TEXT FROM TEKDICTI WHERE SCODE = ' ' AND SORTCODE = '47'"), "連想摘要借方");
    // The debit side of a credit line names no account of the chart: NULL and 910. The credit side takes
    // the sub-account's own category.
    EXPECT_EQ(Text("SELECT KAR_KCODE FROM TEKDIC WHERE TEXT = '貸方摘要'"), "NULL");
    EXPECT_EQ(Text("SELECT KAR_TAXCODE FROM TEKDIC WHERE TEXT = '貸方摘要'"), "910");
    EXPECT_EQ(Text("SELECT KAS_TAXCODE FROM TEKDIC WHERE TEXT = '貸方摘要'"), "511");
    EXPECT_EQ(Text("SELECT KAR_TAXCODE FROM TEKDIC WHERE TEXT = '借方摘要' ROWS 1"), "910");
    EXPECT_EQ(Text("SELECT MIN(KANA) FROM TEKDIC WHERE TEXT = '借方摘要'"), "0001");
    EXPECT_EQ(Text("SELECT KANA FROM TEKDIC WHERE TEXT = '三文字'"), "ｱｲｳ");
    EXPECT_EQ(Text("SELECT KANA FROM TEKDIC WHERE TEXT = '二文字'"), "");
    EXPECT_EQ(Text("SELECT KANA FROM TEKDIC WHERE TEXT = '四文字'"), "");
}

// ---------------------------------------------------------------------------------------------
// Opening balances

class OpeningBalances : public WriterTest {
protected:
    void SetUp() override
    {
        WriterTest::SetUp();
        ASSERT_EQ(writer.WriteSubAccounts(Block({{{"KCODE", "13100"}, {"HCODE", "001"}, {"HNAME", "得意先"}, {"BPFLG", "B"}}})), 0);
    }
    std::int64_t Opening(std::string_view kcode, std::string_view hcode = " ", std::string_view bcode = " ")
    {
        return Count("SELECT KISHU_KOMI FROM KAMOKU_SZ WHERE SCODE = ' ' AND KCODE = '" + std::string(kcode) +
                     "' AND HCODE = '" + std::string(hcode) + "' AND BCODE = '" + std::string(bcode) + "'");
    }
    static std::string Line(std::string_view kcode, std::string_view hcode, std::string_view amount, std::string_view side)
    {
        return Block({{{"SCODE", " "}, {"KCODE", kcode}, {"HCODE", hcode}, {"BCODE", " "}, {"KAISIZAN", amount}, {"TAISHAKU", side}}});
    }
};

TEST_F(OpeningBalances, SignsRemaindersAndTheStartOfTheYear)
{
    AccInfo().KAISINO = 1;
    AccInfo().KAISI = AccInfo().KISHU;
    ExecData("UPDATE KAMOKU_SZ SET KISHU_KOMI = 777, KISHU_NUKI = 777 WHERE KCODE = '41100'");
    std::string block = Line("21800", " ", "100000", "2") + "\r\n" + Line("19800", " ", "3000", "1") + "\r\n" +
                        Line("13100", " ", "500000", "1") + "\r\n" + Line("13100", "001", "300000", "1");
    ASSERT_EQ(writer.WriteOpeningBalances(block, " "), 0) << writer.GetErrorText();
    EXPECT_EQ(Opening("21800"), -100000);   // a credit balance of a contra-asset account
    EXPECT_EQ(Opening("19800"), 3000);      // its debit balance keeps its sign
    EXPECT_EQ(Opening("13100", "999"), 200000);
    EXPECT_EQ(Opening("13100", " "), 0);
    EXPECT_EQ(Opening("13100", "001"), 300000);
    EXPECT_EQ(Opening("41100"), 0);         // input from the period start: P accounts open at nothing
    EXPECT_EQ(Count("SELECT COUNT(*) FROM KAKOZAN WHERE KOMIZAN_1 <> 0 OR KOMIZAN_8 <> 0"), 0);
}

TEST_F(OpeningBalances, AnAmountThatIsNoNumberFailsTheStepInsteadOfOpeningAtNothing)
{
    AccInfo().KAISINO = 1;
    EXPECT_EQ(writer.WriteOpeningBalances(Line("10100", " ", "5000", "1") + "\r\n" + Line("13100", " ", "5,000", "1"), " "), 1);
    EXPECT_NE(writer.GetErrorText().find("[5,000]"), std::string::npos) << writer.GetErrorText();
    EXPECT_NE(writer.GetErrorText().find("KCODE=[13100]"), std::string::npos) << writer.GetErrorText();
}

TEST_F(OpeningBalances, LaterInputFillsTheSlotThatClosesTheMonthBefore)
{
    AccInfo().KAISINO = 7;
    AccInfo().KAISI = TDate::Ymd(2025, 10, 1);
    ExecData("UPDATE KAMOKU_SZ SET KISHU_KOMI = 777, KISHU_NUKI = 777 WHERE KCODE = '41100'");
    ASSERT_EQ(writer.WriteOpeningBalances(Line("10100", " ", "5000", "1") + "\r\n" + Line("13100", " ", "500000", "1") + "\r\n" +
                                              Line("13100", "001", "300000", "1"),
                                          " "),
              0)
        << writer.GetErrorText();
    const auto past = [&](std::string_view column, std::string_view kcode, std::string_view hcode) {
        return Count("SELECT " + std::string(column) + " FROM KAKOZAN WHERE NENDO = 0 AND SCODE = ' ' AND BCODE = ' ' AND KCODE = '" +
                     std::string(kcode) + "' AND HCODE = '" + std::string(hcode) + "'");
    };
    EXPECT_EQ(past("KOMIZAN_8", "10100", " "), 5000);
    EXPECT_EQ(past("NUKIZAN_8", "10100", " "), 5000);
    EXPECT_EQ(past("KOMIZAN_7", "10100", " "), 0);
    EXPECT_EQ(past("KOMIZAN_8", "13100", "999"), 200000);
    EXPECT_EQ(past("KOMIZAN_8", "13100", " "), 0);  // the account-level past balances are cleared
    EXPECT_EQ(Opening("41100"), 777);                // input starts later: P accounts keep theirs
}

TEST_F(OpeningBalances, DepartmentsKeepWhatTheNamedOnesDoNotExplainInTheCommonOne)
{
    AccInfo().KAISINO = 1;
    AccInfo().BUMON = 1;
    ASSERT_EQ(writer.WriteDepartments(Block({{{"BCODE", "00"}, {"BNAME", "共通部門"}}, {{"BCODE", "01"}, {"BNAME", "営業"}},
                                             {{"BCODE", "02"}, {"BNAME", "製造"}}})),
              0);
    const auto line = [](std::string_view bcode, std::string_view amount) {
        return Block({{{"SCODE", " "}, {"KCODE", "10100"}, {"HCODE", " "}, {"BCODE", bcode}, {"KAISIZAN", amount}, {"TAISHAKU", "1"}}});
    };
    ASSERT_EQ(writer.WriteOpeningBalances(line(" ", "800000") + "\r\n" + line("01", "200000") + "\r\n" + line("02", "100000"), "00"), 0)
        << writer.GetErrorText();
    EXPECT_EQ(Opening("10100", " ", "00"), 500000);
    EXPECT_EQ(Opening("10100", " ", " "), 0);
    EXPECT_EQ(Opening("10100", " ", "01"), 200000);
}

TEST_F(OpeningBalances, ABalanceWithoutItsRowFailsNamingTheLine)
{
    AccInfo().KAISINO = 1;
    EXPECT_EQ(writer.WriteOpeningBalances(Line("10100", "123", "5000", "1"), " "), 1);
    const std::string errors = writer.GetErrorText();
    EXPECT_NE(errors.find("開始残高:"), std::string::npos) << errors;
    EXPECT_NE(errors.find("HCODE=[123]"), std::string::npos) << errors;
}

// ---------------------------------------------------------------------------------------------
// Journals

TEST_F(WriterTest, AYearWithUnconvertedCodesIsNotPosted)
{
    const fs::path file = root.Path() / "SIWAKE.TXT";
    test::WriteBytes(file, "x\r\n");
    writer.AccountLookupError = kLookupAccountMissing;
    EXPECT_EQ(writer.PostJournals(file, "", "当期"), 10);
    EXPECT_EQ(test::ReadBytes(file), "x\r\n");
    EXPECT_TRUE(writer.Errors.empty());
}

// The year's work file as the journal conversion leaves it: the company's name, then the entries.
class JournalPosting : public WriterTest {
protected:
    static constexpr std::string_view kCompany = "株式会社髙橋商店";
    fs::path file;

    void SetUp() override
    {
        WriterTest::SetUp();
        {
            fb::TTransactionScope scope(DM().IBTransactionDAT);
            fb::TStatement update(DM().IBTransactionDAT);
            update.Prepare("UPDATE ACCDEF1 SET SHOUGOU = :SHOUGOU");
            update.SetString("SHOUGOU", kCompany).Execute();
            scope.Commit();
        }
        ASSERT_TRUE(DM().fnGetAccInfo());
        // The import run stores with the totals trigger off: every total below is the re-total's.
        ExecData(convert::sql::kJournalTriggerInactive);
        file = root.Path() / "作業" / "SIWAKE1.TXT";
    }

    void WriteFile(const std::vector<test::TJournalLine>& entries)
    {
        std::string text = std::string(kCompany) + "\r\n";
        for (const test::TJournalLine& entry : entries)
            text += entry.Text() + "\r\n";
        test::WriteBytes(file, EncodeCp932(text));
    }
};

TEST_F(JournalPosting, AYearIsPostedAndTotalledFromItsLines)
{
    const test::TJournalMix year = test::MixedYear(60);
    WriteFile(year.Lines);
    ASSERT_EQ(writer.PostJournals(file, "", "当期"), 0) << writer.GetErrorText();
    EXPECT_FALSE(fs::exists(file));  // the work file is used up
    EXPECT_EQ(lines.Lines.back(), "当期仕訳\"60件\"を取り込みました。");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SIWAKE WHERE DELFLG = 0"), 120);
    EXPECT_EQ(Count("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = ' '"), 60);
    EXPECT_EQ(test::StoredAccountTotals(DM().IBTransactionDAT), year.Accounts);
    EXPECT_EQ(test::StoredTaxTotals(DM().IBTransactionDAT), year.Taxes);
    // The re-total's procedure and exception are gone again.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = 'ONETIME_PRCOC'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM RDB$EXCEPTIONS WHERE RDB$EXCEPTION_NAME = 'ONETIME_PRCOC_ERR'"), 0);
}

TEST_F(JournalPosting, RejectedLinesAreCountedAndLoggedInTheDocuments)
{
    test::TJournalLine good, unknownAccount;
    unknownAccount.Debit = "987";
    unknownAccount.Summary = "\"不明な科目\"";
    WriteFile({good, unknownAccount, good});
    EXPECT_EQ(writer.PostJournals(file, "", "前期"), 1);
    const std::string errors = writer.GetErrorText();
    EXPECT_NE(errors.find("\"2件\"を取り込みました。"), std::string::npos) << errors;
    EXPECT_NE(errors.find("\"1件\"の取り込みに失敗しました。"), std::string::npos) << errors;
    EXPECT_NE(errors.find("SIWAKE_ERR2.LOG"), std::string::npos) << errors;
    const std::string log = DecodeCp932(test::ReadBytes(fs::path(SystemDef().DocumentsDir) / "SIWAKE_ERR2.LOG"));
    EXPECT_NE(log.find("不明な科目"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(WriterTest, ClearingADroppedYearLeavesNoPastAmountAndResetsTheNumbersAndTheSetting)
{
    // What a rolled-forward year leaves: past balances in every year slot, the closed year's figures beside
    // the movements, opening balances, tax totals.
    ExecData("UPDATE KAKOZAN SET KISHU = 1, KOMIZAN_3 = 2, NUKIZAN_16 = 3, IKKATSU_5 = 4, HAIBUN_12 = 5 WHERE KCODE = '10100'");
    ExecData("UPDATE KAMOKU_MS SET BYOSAN = 6, KAR_NUK = 7, KAS_IKKATSU = 8 WHERE KCODE = '10100'");
    ExecData("UPDATE KAMOKU_SZ SET KISHU_KOMI = 9, KISHU_NUKI = 10 WHERE KCODE = '10100'");
    ExecData("UPDATE KAMOKU_TAX SET KAR = 11, KAS = 12");
    ExecData("UPDATE SISETUMST SET SIWAKECOUNT = 5");
    ExecData("SET GENERATOR SIWAKE07_GEN TO 42");
    ASSERT_EQ(Count("SELECT COUNT(DISTINCT NENDO) FROM KAKOZAN WHERE KCODE = '10100' AND KOMIZAN_3 <> 0"), 3);
    const char* const tables[] = {"KAKOZAN", "KAMOKU_MS", "KAMOKU_SZ", "KAMOKU_TAX"};
    for (const char* table : tables)
        ASSERT_FALSE(test::NonZeroMoneyColumns(DM().IBTransactionDAT, table).empty()) << table;

    ASSERT_EQ(writer.DeletePastJournals(), 0) << writer.GetErrorText();
    for (const char* table : tables)
        EXPECT_EQ(test::NonZeroMoneyColumns(DM().IBTransactionDAT, table), std::vector<std::string>{}) << table;
    EXPECT_EQ(Count("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE = ' '"), 0);
    EXPECT_EQ(Count("SELECT GEN_ID(SIWAKE07_GEN, 0) FROM RDB$DATABASE"), 0);
    EXPECT_EQ(Text("SELECT ATEXT FROM ACCREG WHERE AGROUP = '基本設定' AND ACODE = '過去明細取り込み'"), "0");
}

// ---------------------------------------------------------------------------------------------
// Code lookups

class CodeLookups : public WriterTest {
protected:
    void SetUp() override
    {
        WriterTest::SetUp();
        writer.LoadAccountTable(400);
        for (TKMKREC& account : writer.Accounts)
            account.USERCODE = account.StdCode;
        writer.AccountCodes = {{"10100", "10100"}, {"10150", "10100"}, {"13100", "13100"}, {"13200", "13100"},
                               {"41100", "41100"}, {"99900", "99900"}};
        writer.SubAccountCodes = {{"13100", "001  ", "", "13100", "001"},
                                  {"13100", "99999", "", "13100", "000"},
                                  {"13200", "005", "", "13100", "005"},
                                  {"41100", "777", "", "41100", "999"}};
    }
};

TEST_F(CodeLookups, AccountsAndUserCodes)
{
    EXPECT_EQ(writer.ConvertAccountCode("A12"), "99900");
    EXPECT_EQ(writer.ConvertAccountCode("10150"), "10100");
    EXPECT_EQ(writer.ConvertToUserCode("10150"), "101");
    EXPECT_EQ(writer.ConvertToUserCode("A7"), "999");
    EXPECT_EQ(writer.AccountLookupError, 0);

    EXPECT_EQ(writer.ConvertAccountCode("39500"), "");  // a total line of the source: told quietly
    EXPECT_EQ(writer.AccountLookupError, kLookupAccountMissing);
    EXPECT_EQ(lines.StatusText, "");
    EXPECT_EQ(writer.ConvertAccountCode("12345"), "");
    EXPECT_EQ(writer.ConvertAccountCode("12345"), "");
    EXPECT_EQ(lines.StatusText, "[12345]科目コードが見つからない");
    EXPECT_EQ(writer.MissingCodes, "  [\"395\"]\r\n  [\"123\"]");  // each code once
    EXPECT_EQ(writer.ConvertToUserCode("55555"), "Error[55555]");
    EXPECT_EQ(writer.AccountLookupError, kLookupUserCodeMissing);
}

TEST_F(CodeLookups, BranchesAndDepartmentsFollowTheirUse)
{
    writer.BranchCodes = {{"00000002", "01"}};
    writer.DepartmentCodes = {{"0003", "05"}};
    AccInfo().SITEN = 0;
    AccInfo().BUMON = 0;
    EXPECT_EQ(writer.ConvertBranchCode("00000002"), " ");
    EXPECT_EQ(writer.ConvertDepartmentCode("0003"), " ");
    AccInfo().SITEN = 1;
    AccInfo().BUMON = 1;
    EXPECT_EQ(writer.ConvertBranchCode("00000002"), "01");
    EXPECT_EQ(writer.ConvertBranchCode("00000009"), " ");
    EXPECT_EQ(writer.ConvertDepartmentCode("0003"), "05");
    EXPECT_EQ(writer.ConvertDepartmentCode("0009"), "00");
    EXPECT_EQ(writer.ConvertDepartmentCode(""), "00");
}

TEST_F(CodeLookups, SubAccounts)
{
    EXPECT_EQ(writer.ConvertSubAccountCode("13100", "001", false, "x"), "001");   // trailing blanks in the table
    EXPECT_EQ(writer.ConvertSubAccountCode("13100", "", false, "x"), "000");      // the account without sub-account
    EXPECT_EQ(writer.ConvertSubAccountCode("10100", "", false, "x"), " ");        // an account without sub-accounts
    EXPECT_EQ(writer.SubAccountLookupError, 0);
    EXPECT_FALSE(writer.HasSubAccountSource("10100"));
    EXPECT_FALSE(writer.HasSubAccountSource("A1"));  // an A-code stands for 99900, which has none yet
    writer.SubAccountCodes.push_back({"A9", "1", "", "99900", "001"});
    EXPECT_TRUE(writer.HasSubAccountSource("A1"));
    EXPECT_TRUE(writer.HasSubAccountSource("99900"));

    // 41100 has sub-accounts but no entry for the account without one: its all-nines sub-account takes it,
    // so the entry is not posted without a sub-account the account requires.
    EXPECT_EQ(writer.ConvertSubAccountCode("41100", "", false, "x"), "999");
    EXPECT_EQ(writer.SubAccountLookupError, 0);

    writer.SkipSubAccountCodes[0] = "13100";
    EXPECT_EQ(writer.ConvertSubAccountCode("13100", "001", false, "x"), " ");
    writer.SkipSubAccountCodes[0].clear();
    EXPECT_EQ(writer.ConvertSubAccountCode("13100", "404", true, "得意先"), " ");
    EXPECT_EQ(writer.SubAccountLookupError, kLookupSubAccountMissing);
    EXPECT_EQ(lines.StatusText, "過去：MendalⅢ科目内訳[\"13100\"-\"404\"(得意先)]が存在しない。");
    EXPECT_EQ(writer.SubAccountMessageBudget, 99);
    EXPECT_EQ(writer.LookupSubAccountCode("13200", "-", false), "005");  // merged into another account
    EXPECT_EQ(writer.LookupSubAccountCode("13100", "-", false), "-");
}

TEST_F(CodeLookups, AggregatedAccounts)
{
    writer.BuildAggregationTable(11);
    EXPECT_EQ(writer.Aggregations.size(), 44u);
    writer.BuildAggregationTable(5);  // another data type leaves the list as it is
    EXPECT_EQ(writer.Aggregations.size(), 44u);
    EXPECT_FALSE(writer.IsActiveAggregation("99900"));
    writer.Aggregations.back().MergedMulti = 1;   // 55200
    EXPECT_TRUE(writer.IsActiveAggregation("55200"));
    writer.BuildAggregationTable(22);
    EXPECT_EQ(writer.Aggregations.size(), 27u);
}

}  // namespace
}  // namespace qz
