// The journal text import on a data database restored from the corporation template, run as the
// conversion runs it: TAB separator, every branch, no lock check, the import log, the voucher number read.

#include "common/Cp932.h"
#include "common/Format.h"
#include "journal/z5SiwakeIO.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/JournalLine.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <tuple>

namespace qz::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCompany = "株式会社テスト商事";

using TLine = TJournalLine;

// One stored row of an entry, found by its summary.
struct TStoredSide {
    std::string KCode, HCode, BCode, BName;
    std::int64_t TaxCode = 0, TaxClass = 0, Net = 0, Tax = 0;
    TMoney Rate;
    std::int64_t Kessan = 0, Fusen1 = 0, AutoCalc = 0, CalcMode = 0, EntryTax = 0;
};

class JournalImport : public TInstallationFixture {
protected:
    fs::path file;
    TRecordingLines status;
    TSiwakeTextIO io;

    void SetUp() override
    {
        TInstallationFixture::SetUp();
        ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
        SetInfo(Format("SHOUGOU='%s'", kCompany));
        file = root.Path() / "仕訳" / "SIWAKE.TXT";
        io.SetTransaction(DM().IBTransactionDAT);
        io.AllBranches = true;
        io.RespectLock = false;
        io.WriteImportLog = true;
        io.ReadVoucherNo = true;
        io.Status = &status;
    }

    // Changes the basic information and reads it again, as the conversion's steps do.
    void SetInfo(const std::string& assignments)
    {
        ExecData("UPDATE ACCDEF1 SET " + assignments);
        ASSERT_TRUE(DM().fnGetAccInfo());
    }

    void WriteFile(const std::vector<std::string>& lines, std::string_view header = kCompany)
    {
        std::string text = std::string(header) + "\r\n";
        for (const std::string& line : lines)
            text += line + "\r\n";
        WriteBytes(file, EncodeCp932(text));
    }

    bool Import(const std::vector<TLine>& lines)
    {
        std::vector<std::string> texts;
        for (const TLine& line : lines)
            texts.push_back(line.Text());
        WriteFile(texts);
        return io.Import(file, "\t");
    }

    std::string FileText() { return DecodeCp932(ReadBytes(file)); }

    std::string ImportLog()
    {
        const TDate today = TDate::Today();
        const fs::path log = file.parent_path() / Format("importlog%02d%02d%02d.txt", today.Year() % 100, today.Month(), today.Day());
        return fs::exists(log) ? DecodeCp932(ReadBytes(log)) : std::string();
    }

    TStoredSide Stored(std::string_view summary, int taishaku)
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::TStatement query(DM().IBTransactionDAT);
        query.Prepare("SELECT KCODE,HCODE,BCODE,BNAME,TAXCODE,TAXUH,NUK,ZEI,RIT,KESSAN,FUSEN1,AUTCALCU,TAXCALCU,ZEIGAKU "
                      "FROM SIWAKE WHERE TEKTEXT=:TEKTEXT AND TAISHAKU=:TAISHAKU");
        query.SetString("TEKTEXT", summary).SetInt("TAISHAKU", taishaku);
        query.Open();
        TStoredSide side;
        if (!query.Fetch()) {
            ADD_FAILURE() << "no stored entry " << summary;
            return side;
        }
        side = {query.AsString("KCODE"), query.AsString("HCODE"), query.AsString("BCODE"), query.AsString("BNAME"),
                query.AsInt("TAXCODE"), query.AsInt("TAXUH"), query.AsMoney("NUK").RoundedYen(),
                query.AsMoney("ZEI").RoundedYen(), query.AsMoney("RIT"), query.AsInt("KESSAN"), query.AsInt("FUSEN1"),
                query.AsInt("AUTCALCU"), query.AsInt("TAXCALCU"), query.AsMoney("ZEIGAKU").RoundedYen()};
        return side;
    }

    std::int64_t Entries() { return QueryData("SELECT COUNT(*) FROM SIWAKE WHERE TAISHAKU=1"); }
};

TLine Summarised(std::string summary, TLine line = {})
{
    line.Summary = "\"" + summary + "\"";
    return line;
}

TEST_F(JournalImport, AFileOfAnotherCompanyOrAlreadyImportedIsRefusedWithNothingWritten)
{
    WriteFile({TLine{}.Text()}, "株式会社よその会社");
    EXPECT_FALSE(io.Import(file, "\t"));
    EXPECT_NE(io.RefusalReason.find("先頭行が会社名"), std::string::npos) << io.RefusalReason;
    EXPECT_EQ(Entries(), 0);
    EXPECT_EQ(FileText().find(".Lock"), std::string::npos);
    EXPECT_EQ(ImportLog(), "");

    // An imported file ends with the lock mark; with the lock check on it is refused the second time.
    ASSERT_TRUE(Import({TLine{}}));
    EXPECT_EQ(Entries(), 1);
    EXPECT_TRUE(FileText().ends_with("\r\n.Lock\r\n")) << FileText();
    io.RespectLock = true;
    EXPECT_FALSE(io.Import(file, "\t"));
    EXPECT_NE(io.RefusalReason.find("取り込み済み"), std::string::npos) << io.RefusalReason;
    EXPECT_EQ(Entries(), 1);
    // Without the check it is imported again, and keeps a single lock mark.
    io.RespectLock = false;
    EXPECT_TRUE(io.Import(file, "\t"));
    EXPECT_EQ(Entries(), 2);
    const std::string text = FileText();
    EXPECT_EQ(text.find(".Lock"), text.rfind(".Lock"));
}

// The header is the line whose first field is the company name: a name that merely begins the entry lines
// does not make them headers.
TEST_F(JournalImport, ACompanyNameThatBeginsTheEntryLinesHidesNone)
{
    SetInfo("SHOUGOU='2025'");
    WriteFile({TLine{}.Text()}, "2025");
    ASSERT_TRUE(io.Import(file, "\t"));
    EXPECT_EQ(io.ImportedCount, 1);
    EXPECT_EQ(Entries(), 1);
}

TEST_F(JournalImport, ALineWhoseFieldsDoNotCountOutIsRejectedAndTheImportGoesOn)
{
    const std::string line = TLine{}.Text();
    const std::string fewer = line.substr(0, line.rfind('\t'));
    const std::string more = line + "\tx";
    WriteFile({fewer, more, line});
    ASSERT_TRUE(io.Import(file, "\t"));
    EXPECT_EQ(io.ImportedCount, 1);
    EXPECT_EQ(io.RejectedCount, 2);
    const std::vector<std::string> expected = {
        "セパレーター(タブ)で区切られた項目(ﾌｨｰﾙﾄﾞ)が足りません。", "// " + fewer,
        "セパレーター(タブ)で区切られた項目(ﾌｨｰﾙﾄﾞ)が多いです。", "// " + more};
    EXPECT_EQ(io.RejectedLines, expected);
    const std::string log = ImportLog();
    const std::regex first(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} (.*) 1行目 W-1:セパレーター\(タブ\)で区切られた項目\(ﾌｨｰﾙﾄﾞ\)が足りません。\r\n)");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(log, match, first)) << log;
    EXPECT_EQ(match[1].str(), file.string());
    EXPECT_NE(log.find(" 2行目 W-1:セパレーター(タブ)で区切られた項目(ﾌｨｰﾙﾄﾞ)が多いです。"), std::string::npos) << log;
}

TEST_F(JournalImport, FieldsAreConvertedAsTheLayoutSays)
{
    SetInfo("TAXDEFUH=1");
    TLine odd = Summarised("変換");
    odd.Kessan = "2";
    odd.Fusen1 = "5";
    odd.AutoCalc = "7";
    odd.CalcMode = "3";
    // 48 single-byte letters, then a double-byte character split by the 50-byte cut, then more.
    const std::string letters(48, 'A');
    TLine longSummary = Summarised(letters + "Bあいうえお");
    TLine quoted = Summarised("");
    quoted.Summary = "\"売上\t'特別'分\"";
    ASSERT_TRUE(Import({odd, longSummary, quoted}));
    ASSERT_EQ(io.ImportedCount, 3) << (io.RejectedLines.empty() ? "" : io.RejectedLines[0]);

    const TStoredSide converted = Stored("変換", 2);
    EXPECT_EQ(converted.Kessan, 0);
    EXPECT_EQ(converted.Fusen1, 0);
    EXPECT_EQ(converted.AutoCalc, 1);
    EXPECT_EQ(converted.CalcMode, 1);  // the data set's default: the amount is tax-exclusive
    EXPECT_EQ(converted.Net, 1000);
    EXPECT_EQ(converted.Tax, 80);     // 1000 × 8 %
    // 49 bytes: the split character became a blank and was trimmed away.
    EXPECT_EQ(Stored(letters + "B", 1).KCode, "10100");
    // A TAB inside quotes stays in the field as a comma; quotes written as ' come back as ".
    EXPECT_EQ(Stored("売上,\"特別\"分", 1).KCode, "10100");
}

TEST_F(JournalImport, AmountsBelowOneAreRejectedWithTheirTexts)
{
    TLine zero = Summarised("ゼロ");
    zero.Amount = "0";
    TLine negative = Summarised("マイナス");
    negative.Amount = "-1";
    ASSERT_TRUE(Import({zero, negative}));
    EXPECT_EQ(Entries(), 0);
    const std::vector<std::string> expected = {"// 金額の設定が不正です。", zero.Text(),
                                               "// 金額にマイナス値が設定されました。", negative.Text()};
    EXPECT_EQ(io.RejectedLines, expected);
    EXPECT_NE(ImportLog().find(" 1行目 E-31:金額の設定が不正です。"), std::string::npos);
}

TEST_F(JournalImport, TaxCategoryRulesOfTheTaxAndSundryAccounts)
{
    const std::string paid = SpecialAccountCodes().Get("仮払消費税").UserCode;
    const std::string received = SpecialAccountCodes().Get("仮受消費税").UserCode;
    const std::string sundry = SpecialAccountCodes().Get("諸口").UserCode;
    ASSERT_FALSE(paid.empty() || received.empty() || sundry.empty());

    TLine paidAsPurchase = Summarised("13");
    paidAsPurchase.Debit = paid, paidAsPurchase.DebitTax = "511", paidAsPurchase.Credit = "101";
    TLine paidAgainstSales = Summarised("14");
    paidAgainstSales.Debit = paid, paidAgainstSales.DebitTax = "711";
    TLine sundryTaxed = Summarised("15");
    sundryTaxed.Debit = sundry, sundryTaxed.DebitTax = "511", sundryTaxed.Credit = "101";
    TLine receivedAsSales = Summarised("23");
    receivedAsSales.Credit = received, receivedAsSales.CreditTax = "110";
    TLine unknown = Summarised("12");
    unknown.DebitTax = "999";
    TLine paidTax = Summarised("仮払");
    paidTax.Debit = paid, paidTax.DebitTax = "711", paidTax.Credit = "101";
    ASSERT_TRUE(Import({paidAsPurchase, paidAgainstSales, sundryTaxed, receivedAsSales, unknown, paidTax}));

    const std::vector<std::string> reasons = {
        "// 仮払消費税の税コードは[700番台,810,910]を使用して下さい。",
        "// 仮受消費税、仮払消費税の相手税コードは[810,910]を使用して下さい。",
        "// 諸口の消費税コードは、[810,910]を使用して下さい。",
        "// 仮受消費税の税コードは[600番台,810,910]を使用して下さい。",
        "// 借方の消費税コードの設定が不正です。",
    };
    ASSERT_EQ(io.RejectedLines.size(), 2 * reasons.size());
    for (std::size_t i = 0; i < reasons.size(); ++i)
        EXPECT_EQ(io.RejectedLines[2 * i], reasons[i]);
    const std::string log = ImportLog();
    for (const std::string_view code : {" 1行目 E-13:", " 2行目 E-14:", " 3行目 E-15:", " 4行目 E-23:", " 5行目 E-12:"})
        EXPECT_NE(log.find(code), std::string::npos) << code;

    // Input tax entered on the tax-paid account is an amount of its own, with no tax computed on it.
    const TStoredSide stored = Stored("仮払", 1);
    EXPECT_EQ(stored.TaxCode, 711);
    EXPECT_EQ(stored.Net, 1000);
    EXPECT_EQ(stored.Tax, 0);
    EXPECT_EQ(stored.CalcMode, 2);
}

// Expected amounts are worked by hand; the data set rounds by truncation (TAXU_HASUU and TAXH_HASUU 0).
TEST_F(JournalImport, NetAndTaxAtEachRateInclusiveAndExclusive)
{
    std::vector<TLine> lines;
    for (const auto& [summary, oldRate, mode, amount] :
         std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
             {"8込", "0", "0", "1000"}, {"5込", "2", "0", "1000"}, {"3込", "1", "0", "1000"},
             {"8抜", "0", "1", "1234"}, {"5抜", "2", "1", "1234"}, {"3抜", "1", "1", "1234"}}) {
        TLine line = Summarised(summary);
        line.OldRate = oldRate, line.CalcMode = mode, line.Amount = amount;
        lines.push_back(line);
    }
    ASSERT_TRUE(Import(lines));
    ASSERT_EQ(io.ImportedCount, 6) << (io.RejectedLines.empty() ? "" : io.RejectedLines[0]);

    struct TExpected {
        std::string Summary;
        std::int64_t Rate, SalesNet, Tax, Gross;
    };
    const TExpected expected[] = {
        {"8込", 8, 926, 74, 1000},  // 1000 × 8/108 = 74.07
        {"5込", 5, 953, 47, 1000},  // 1000 × 5/105 = 47.62
        {"3込", 3, 971, 29, 1000},  // 1000 × 3/103 = 29.13
        {"8抜", 8, 1234, 98, 1332}, // 1234 × 8 % = 98.72
        {"5抜", 5, 1234, 61, 1295}, // 1234 × 5 % = 61.70
        {"3抜", 3, 1234, 37, 1271}, // 1234 × 3 % = 37.02
    };
    for (const TExpected& e : expected) {
        const TStoredSide sales = Stored(e.Summary, 2), cash = Stored(e.Summary, 1);
        EXPECT_EQ(sales.Net, e.SalesNet) << e.Summary;
        EXPECT_EQ(sales.Tax, e.Tax) << e.Summary;
        EXPECT_EQ(sales.Rate, TMoney::FromYen(e.Rate)) << e.Summary;
        EXPECT_EQ(sales.TaxClass, 1) << e.Summary;
        EXPECT_EQ(sales.EntryTax, e.Tax) << e.Summary;
        EXPECT_EQ(cash.Net, e.Gross) << e.Summary;  // both sides carry the same gross
        EXPECT_EQ(cash.Tax, 0) << e.Summary;
        EXPECT_EQ(cash.Rate, TMoney()) << e.Summary;
    }
}

TEST_F(JournalImport, SalesAndPurchasesRoundAsTheDataSetSays)
{
    SetInfo("TAXU_HASUU=2, TAXH_HASUU=1");  // sales round half up, purchases round up
    TLine sales = Summarised("売上5");
    sales.OldRate = "2";
    TLine purchase = Summarised("仕入8");
    purchase.Debit = "673", purchase.Credit = "101";
    TLine exclusivePurchase = Summarised("仕入3抜");
    exclusivePurchase.Debit = "673", exclusivePurchase.Credit = "101", exclusivePurchase.OldRate = "1";
    exclusivePurchase.CalcMode = "1", exclusivePurchase.Amount = "1234";
    ASSERT_TRUE(Import({sales, purchase, exclusivePurchase}));
    ASSERT_EQ(io.ImportedCount, 3) << (io.RejectedLines.empty() ? "" : io.RejectedLines[0]);

    EXPECT_EQ(Stored("売上5", 2).Tax, 48);     // 47.62 rounded half up
    const TStoredSide expense = Stored("仕入8", 1);
    EXPECT_EQ(expense.Tax, 75);                // 74.07 rounded up
    EXPECT_EQ(expense.Net, 925);
    EXPECT_EQ(expense.TaxClass, 2);
    EXPECT_EQ(Stored("仕入3抜", 1).Tax, 38);  // 37.02 rounded up
    EXPECT_EQ(Stored("仕入3抜", 2).Net, 1272);
}

TEST_F(JournalImport, SidesNeedTheirSubAccountAndDepartmentAndTakeTheirNames)
{
    // An account kept in more than one department needs one.
    ExecData("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('10', '営業部')");
    ExecData("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('20', '管理部')");
    ExecData("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, TAX_LCODE, TAX_RCODE, BPFLG) VALUES ('67300', '001', '文具', 810, 810, 'P')");
    ExecData("EXECUTE PROCEDURE SP_HOJO_KAMOKUSZ_INS ' ', '67300', '001'");
    TLine noDepartment = Summarised("部門なし");
    TLine noSubAccount = Summarised("補助なし");
    noSubAccount.Debit = "673", noSubAccount.DebitDept = "10", noSubAccount.Credit = "101", noSubAccount.CreditDept = "10";
    TLine complete = noSubAccount;
    complete.Summary = "\"補助あり\"", complete.DebitSub = "001";
    ASSERT_TRUE(Import({noDepartment, noSubAccount, complete}));

    ASSERT_EQ(io.RejectedLines.size(), 4u) << io.RejectedLines[0];
    EXPECT_EQ(io.RejectedLines[0], "// 借方の部門コードの設定が不正です。");
    EXPECT_EQ(io.RejectedLines[2], "// 借方の補助コードの設定が不正です。");
    const TStoredSide stored = Stored("補助あり", 1);
    EXPECT_EQ(stored.KCode, "67300");
    EXPECT_EQ(stored.HCode, "001");
    EXPECT_EQ(stored.BCode, "10");
    EXPECT_EQ(stored.BName, "営業部");
    EXPECT_EQ(stored.TaxCode, 810);  // the sub-account's own category, not the account's 511
}

TEST_F(JournalImport, EntriesOfUnknownOrOtherBranchesAreWarnings)
{
    TLine unknown = Summarised("支店05");
    unknown.Branch = "05";
    io.AllBranches = false;
    io.BranchCode = "01";
    ASSERT_TRUE(Import({unknown, Summarised("本店")}));
    const std::vector<std::string> expected = {
        "// 本・支店コードが登録されていない または オペレータ権限外の本・支店の仕訳です。", unknown.Text(),
        "// 処理中の本・支店以外の仕訳です。", Summarised("本店").Text()};
    EXPECT_EQ(io.RejectedLines, expected);
    const std::string log = ImportLog();
    EXPECT_NE(log.find(" 1行目 W-3:"), std::string::npos);
    EXPECT_NE(log.find(" 2行目 W-2:"), std::string::npos);
}

// A user code may be another account's system code: the entry goes to the account the user code names.
TEST_F(JournalImport, AUserCodeThatIsAnotherAccountsSystemCodeStaysWithItsAccount)
{
    ExecData("UPDATE KAMOKUMST SET USERCODE='10100' WHERE KCODE='41100'");
    ASSERT_TRUE(DM().fnGetAccInfo());
    TLine line = Summarised("紛らわしい");
    line.Credit = "10100";
    ASSERT_TRUE(Import({line}));
    EXPECT_EQ(Stored("紛らわしい", 1).KCode, "10100");
    EXPECT_EQ(Stored("紛らわしい", 2).KCode, "41100");
}

TEST_F(JournalImport, ProgressIsShownAtTheFirstLineAndEveryFiftieth)
{
    const std::unique_ptr<TProgressDialog> dialog = ui.OpenProgress("当期仕訳登録");
    io.Progress = dialog.get();
    ASSERT_TRUE(Import(std::vector<TLine>(120)));
    const std::vector<std::string> expected = {"当期仕訳登録", "\"1\"件をｲﾝﾎﾟｰﾄ中です…", "\"50\"件をｲﾝﾎﾟｰﾄ中です…",
                                               "\"100\"件をｲﾝﾎﾟｰﾄ中です…"};
    EXPECT_EQ(ui.ProgressTexts, expected);
    // The dialog learns how far the import has come of the file's 120 entry lines.
    const std::vector<std::pair<std::int64_t, std::int64_t>> steps = {{1, 120}, {50, 120}, {100, 120}, {120, 120}};
    EXPECT_EQ(ui.ProgressSteps, steps);
    EXPECT_EQ(status.StatusText, "\"100\"件をｲﾝﾎﾟｰﾄ中です…");
    EXPECT_EQ(ui.EventsProcessed, 3);
}

// A database failure keeps what was committed every 1000 lines, is told like a rejected line, and is
// passed on.
TEST_F(JournalImport, ADatabaseFailureRollsBackToTheLastCommitAndIsPassedOn)
{
    ExecData("DELETE FROM KAMOKU_MS WHERE KCODE='65200'");  // the posting trigger then refuses 652
    std::vector<TLine> lines(1200);
    TLine failing = Summarised("失敗");
    failing.Debit = "652", failing.Credit = "101";
    lines.push_back(failing);
    lines.push_back(TLine{});
    EXPECT_THROW(Import(lines), fb::TFbError);
    EXPECT_EQ(Entries(), 1000);
    ASSERT_GE(io.RejectedLines.size(), 2u);
    const std::string reason = io.RejectedLines[io.RejectedLines.size() - 2];
    EXPECT_TRUE(reason.starts_with("// [IB例外] Code=")) << reason;
    EXPECT_NE(reason.find("KAMOKU_MS"), std::string::npos) << reason;
    EXPECT_EQ(io.RejectedLines.back(), failing.Text());
    EXPECT_NE(ImportLog().find(" 1201行目 E-0:[IB例外] Code="), std::string::npos);
}

// With the posting trigger active, the month and tax totals follow the imported lines. The expected
// totals are computed here from the lines: sales taxed at 8 % inclusive, purchases at 8 % exclusive,
// interest untaxed, all truncated.
TEST_F(JournalImport, TotalsFollowTheImportedLines)
{
    const TJournalMix year = MixedYear(60);
    ASSERT_TRUE(Import(year.Lines));
    ASSERT_EQ(io.ImportedCount, 60) << (io.RejectedLines.empty() ? "" : io.RejectedLines[0]);
    EXPECT_EQ(StoredAccountTotals(DM().IBTransactionDAT), year.Accounts);
    EXPECT_EQ(StoredTaxTotals(DM().IBTransactionDAT), year.Taxes);
    EXPECT_EQ(QueryData("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE=' '"), 60);
}

}  // namespace
}  // namespace qz::test

namespace qz::test {
namespace {

// The journal writer used directly, as an entry screen uses it.
class JournalWriter : public JournalImport {
protected:
    TSiwakeRec Entry(std::string_view debit = "101", std::string_view credit = "411")
    {
        TSiwakeRec rec;
        rec.HIZUKE = TDate::Ymd(2025, 4, 10);
        rec.L.KCODE = debit;
        rec.R.KCODE = credit;
        rec.L.TAXCODE = 910;
        rec.R.TAXCODE = 910;
        rec.KINGAKU = TMoney::FromYen(1000);
        rec.L.NUK = rec.R.NUK = rec.KINGAKU;
        rec.TAXCALCU = 2;
        return rec;
    }

    // The message TestSiwake gives, or "" for a valid entry.
    std::string Verdict(TSiwakeWrite& writer, TSiwakeRec rec)
    {
        int code = 0;
        std::string message;
        const bool valid = writer.TestSiwake(rec, code, message);
        return valid ? std::string() : std::to_string(code) + ":" + message;
    }
};

TEST_F(JournalWriter, TheBranchRowsAndTheDatabaseAnswerAlike)
{
    ExecData("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('10', '営業部')");
    ExecData("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('20', '管理部')");
    ExecData("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('67300', '001', '文具', 'P')");
    ExecData("EXECUTE PROCEDURE SP_HOJO_KAMOKUSZ_INS ' ', '67300', '001'");
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    TSiwakeWrite fromDatabase(DM().IBTransactionDAT, TSiwakeWrite::TMode::Interactive);
    TSiwakeWrite fromRows(DM().IBTransactionDAT, TSiwakeWrite::TMode::Interactive);
    fromRows.GetKamokuArray(" ");

    TSiwakeRec noDepartment = Entry();
    TSiwakeRec noSubAccount = Entry("673", "101");
    noSubAccount.L.BCODE = noSubAccount.R.BCODE = "10";
    TSiwakeRec complete = noSubAccount;
    complete.L.HCODE = "001";
    TSiwakeRec unknown = Entry("999999");
    TSiwakeRec unknownDepartment = complete;
    unknownDepartment.R.BCODE = "30";
    const std::vector<std::pair<TSiwakeRec, std::string>> cases = {
        {noDepartment, "11:借方の部門コードが見つかりません。"},
        {noSubAccount, "11:借方の補助コードを入力してください。"},
        {complete, ""},
        {unknown, "11:借方の科目コードが見つかりません。"},
        {unknownDepartment, "21:貸方の科目コードが見つかりません。"},
    };
    for (const auto& [rec, expected] : cases) {
        EXPECT_EQ(Verdict(fromDatabase, rec), expected);
        EXPECT_EQ(Verdict(fromRows, rec), expected);
    }
    // Both fill the side from its row.
    for (TSiwakeWrite* writer : {&fromDatabase, &fromRows}) {
        TSiwakeRec rec = complete;
        int code = 0;
        std::string message;
        ASSERT_TRUE(writer->TestSiwake(rec, code, message));
        EXPECT_EQ(rec.L.SystemCode, "67300");
        EXPECT_EQ(rec.L.HNAME, "文具");
        EXPECT_EQ(rec.L.BNAME, "営業部");
        EXPECT_EQ(rec.MNUM, 1);
    }
}

TEST_F(JournalWriter, TheIndexLeadsToTheFirstRowOfEachUserCode)
{
    ExecData("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('10', '営業部')");
    ExecData("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, BPFLG) VALUES ('67300', '001', '文具', 'P')");
    ExecData("EXECUTE PROCEDURE SP_HOJO_KAMOKUSZ_INS ' ', '67300', '001'");
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    TSiwakeWrite writer(DM().IBTransactionDAT, TSiwakeWrite::TMode::Import);
    writer.GetKamokuArray(" ");
    ASSERT_NE(writer.KamokuRows(" "), nullptr);
    const TKamokuArray& array = *writer.KamokuRows(" ");
    const std::vector<TKamokuRec>& rows = array.Rows();
    EXPECT_EQ(static_cast<std::int64_t>(rows.size()), QueryInt(DM().IBTransactionDAT, "SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE=' '"));
    const std::vector<std::string> lines = array.IndexLines();
    EXPECT_EQ(static_cast<std::int64_t>(lines.size()),
              QueryInt(DM().IBTransactionDAT, "SELECT COUNT(DISTINCT K.USERCODE) FROM KAMOKU_SZ S JOIN KAMOKUMST K "
                                              "ON K.KCODE=S.KCODE WHERE S.SCODE=' '"));
    for (const std::string& line : lines) {
        const std::string userCode = line.substr(0, line.find('='));
        const std::size_t row = std::stoul(line.substr(line.find('=') + 1));
        ASSERT_LT(row, rows.size()) << line;
        EXPECT_EQ(rows[row].USERCODE, userCode) << line;
        EXPECT_TRUE(row == 0 || rows[row - 1].USERCODE != userCode) << line;
    }
    EXPECT_EQ(array.CountWithoutDepartment("673"), 2);  // the account level and its sub-account
    EXPECT_EQ(array.CountDepartmentRows("673"), 1);
}

TEST_F(JournalWriter, InteractiveWordingOfThePeriodAuditAndAmountChecks)
{
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    TSiwakeWrite writer(DM().IBTransactionDAT, TSiwakeWrite::TMode::Interactive);
    TSiwakeRec outside = Entry();
    outside.HIZUKE = TDate::Ymd(2026, 4, 1);
    EXPECT_EQ(Verdict(writer, outside), "1:日付が会計期間外または、決算区分の指定が不正です。");
    TSiwakeRec zero = Entry();
    zero.KINGAKU = TMoney();
    EXPECT_EQ(Verdict(writer, zero), "31:金額を入力してください。");
    TSiwakeRec negative = Entry();
    negative.KINGAKU = TMoney::FromYen(-5);
    EXPECT_EQ(Verdict(writer, negative), "31:マイナス金額は入力できません。");

    // An audit-locked data set holds back every operator but those of level 9.
    AccInfo().KANSA_LOCK = 1;
    AccInfo().KANSA_DATE = AccInfo().KANSA_FIXDATE = TDate::Ymd(2025, 6, 30);
    TSiwakeRec audited = Entry();
    audited.CTIME = TDateTime::Now();
    EXPECT_EQ(Verdict(writer, Entry()), "");
    SystemDef().UserLevel = 1;
    EXPECT_EQ(Verdict(writer, Entry()), "3:監査済みの日付は入力できません。");
    EXPECT_EQ(Verdict(writer, audited), "2:監査済みの仕訳は訂正できません。");
    TSiwakeRec afterAudit = Entry();
    afterAudit.HIZUKE = TDate::Ymd(2025, 7, 1);
    EXPECT_EQ(Verdict(writer, afterAudit), "");
    SystemDef().UserLevel = 9;
}

TEST_F(JournalWriter, AStoredEntryIsReplacedByItsNextVersion)
{
    fb::TTransactionScope scope(DM().IBTransactionDAT);
    TSiwakeWrite writer(DM().IBTransactionDAT, TSiwakeWrite::TMode::Interactive);
    int code = 0;
    std::string message;
    TSiwakeRec earlier = Entry();  // so that the entry's number and its sequence differ
    ASSERT_TRUE(writer.TestSiwake(earlier, code, message)) << message;
    ASSERT_GT(writer.PutSiwake(earlier), 0);
    TSiwakeRec rec = Entry();
    rec.TEKTEXT = "訂正前";
    ASSERT_TRUE(writer.TestSiwake(rec, code, message)) << message;
    const int first = writer.PutSiwake(rec);
    ASSERT_GT(first, 0);
    EXPECT_GT(rec.SITREC, 0);  // the site record of data version 6.1

    rec.KINGAKU = TMoney::FromYen(1500);
    rec.L.NUK = rec.R.NUK = rec.KINGAKU;
    rec.TEKTEXT = "訂正後";
    rec.CTIME = {TDate::Ymd(2025, 5, 2), 13 * 3600 + 14 * 60 + 15};
    const int second = writer.PutSiwake(rec);
    EXPECT_GT(second, first);
    EXPECT_EQ(rec.SWKNO, 2);
    EXPECT_EQ(QueryInt(DM().IBTransactionDAT, "SELECT COUNT(*) FROM SIWAKE WHERE TEKTEXT='訂正前' AND DELFLG=2"), 2);
    EXPECT_EQ(QueryInt(DM().IBTransactionDAT, "SELECT SUM(NUK) FROM SIWAKE WHERE DELFLG=0"), 2000 + 3000);
    EXPECT_EQ(QueryInt(DM().IBTransactionDAT, "SELECT MIN(EXTRACT(MINUTE FROM CTIME)) FROM SIWAKE WHERE TEKTEXT='訂正後'"), 14);
}

// Data version 6.0 has no site record: the entry is stored through the older form of the statement.
TEST(JournalWriterVersions, ADataSetBefore61StoresWithoutTheSiteRecord)
{
    TRestoredTemplate data(11, {6, 0, 0});
    fb::TTransaction transaction(data.Attachment());
    transaction.Start();
    const TACCINF saved = AccInfo();
    AccInfo().VerMajor = 6;
    AccInfo().VerMinor1 = 0;
    TSiwakeRec rec;
    rec.HIZUKE = TDate::Ymd(2025, 4, 10);
    rec.MNUM = 1;
    rec.L.KCODE = "10100";
    rec.R.KCODE = "41100";
    rec.KINGAKU = rec.L.NUK = rec.R.NUK = TMoney::FromYen(1000);
    TSiwakeWrite older(transaction, TSiwakeWrite::TMode::Import);
    EXPECT_GT(older.PutSiwake(rec), 0);
    EXPECT_EQ(rec.SITREC, 0);
    AccInfo().VerMinor1 = 1;  // the newer form does not prepare here
    TSiwakeWrite newer(transaction, TSiwakeWrite::TMode::Import);
    rec.REC = 0;
    EXPECT_THROW(newer.PutSiwake(rec), fb::TFbError);
    AccInfo() = saved;
}

}  // namespace
}  // namespace qz::test
