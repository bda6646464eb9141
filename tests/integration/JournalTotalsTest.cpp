// Journal entries stored through the procedure keep the month and tax totals exactly as the program's
// re-total computes them, and the carry-forward procedures move a known profit.

#include "common/Format.h"
#include "convert/ZaimuIO_Statements.h"
#include "journal/SiwakeStatements.h"
#include "tests/support/StatementCatalog.h"
#include "tests/support/TemplateDatabase.h"
#include "writer/DataKakikomi_Statements.h"
#include "yearupdate/NendoKousin_Statements.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qz::test {
namespace {

struct TSide {
    std::string KCode;
    std::int64_t Net = 0;
    std::int64_t Tax = 0;
    int TaxClass = 0;
    std::string BCode = " ";
    std::string HCode = " ";
};

struct TEntry {
    TDate Date;
    int Slot;
    TSide Debit;
    TSide Credit;
    std::string Text = "売上計上";
    std::string Branch = " ";
};

class JournalTotals : public ::testing::Test {
protected:
    explicit JournalTotals(int chartKind = 11) : data(chartKind) {}
    TRestoredTemplate data;
    fb::TTransaction tr{data.Attachment()};

    void SetUp() override { tr.Start(); }

    std::string FirstCode(std::string_view where)
    {
        fb::TStatement query(tr);
        query.Prepare("SELECT FIRST 1 KCODE FROM KAMOKUMST WHERE " + std::string(where) + " ORDER BY KCODE");
        query.Open();
        EXPECT_TRUE(query.Fetch()) << where;
        return query.AsString(0);
    }

    std::int64_t Post(const TEntry& entry)
    {
        fb::TStatement insert(tr);
        insert.Prepare(journal::sql::kInsertJournal);
        insert.SetDate("HIZUKE", entry.Date).SetInt("MNUM", entry.Slot).SetInt("KESSAN", 0).SetString("SCODE", entry.Branch);
        const auto side = [&](const char* prefix, const TSide& s) {
            const std::string p = prefix;
            insert.SetString(p + "_KCODE", s.KCode).SetString(p + "_HCODE", s.HCode).SetString(p + "_BCODE", s.BCode);
            insert.SetMoney(p + "_NUK", TMoney::FromYen(s.Net)).SetMoney(p + "_ZEI", TMoney::FromYen(s.Tax));
            insert.SetInt(p + "_TAXUH", s.TaxClass);
        };
        side("L", entry.Debit);
        side("R", entry.Credit);
        insert.SetMoney("KINGAKU", TMoney::FromYen(entry.Debit.Net + entry.Debit.Tax));
        insert.SetString("TEKTEXT", entry.Text).SetInt("OPNCODE", 100009999);
        insert.Open();
        EXPECT_TRUE(insert.Fetch());
        return insert.AsInt("NEWREC");
    }

    // The non-zero totals, one text line per row, for comparing two states.
    std::vector<std::string> Totals()
    {
        std::vector<std::string> lines;
        const auto collect = [&](std::string_view sql) {
            fb::TStatement query(tr);
            query.Prepare(sql);
            query.Open();
            while (query.Fetch()) {
                std::string line;
                for (int i = 0; i < query.ColumnCount(); ++i)
                    line += query.AsString(i) + "|";
                lines.push_back(line);
            }
        };
        collect("SELECT SCODE,KCODE,HCODE,BCODE,MNUM,KAR_NUK,KAR_TAX,KAS_NUK,KAS_TAX,KAR_IKKATSU,KAS_IKKATSU FROM KAMOKU_MS "
                "WHERE KAR_NUK<>0 OR KAR_TAX<>0 OR KAS_NUK<>0 OR KAS_TAX<>0 OR KAR_IKKATSU<>0 OR KAS_IKKATSU<>0 "
                "ORDER BY SCODE,KCODE,HCODE,BCODE,MNUM");
        collect("SELECT SCODE,BCODE,KKUBUN,MNUM,KAR,KAS FROM KAMOKU_TAX WHERE KAR<>0 OR KAS<>0 ORDER BY 1,2,3,4");
        collect("SELECT SCODE,SIWAKECOUNT FROM SISETUMST ORDER BY SCODE");
        return lines;
    }

    // The program's own re-total: the procedure it creates, read to its end, dropped again.
    void ReTotal()
    {
        fb::ExecuteImmediate(tr, writer::sql::kCreateReTotalException);
        fb::ExecuteImmediate(tr, writer::sql::kCreateReTotal);
        tr.CommitRetaining();
        fb::TStatement run(tr);
        run.Prepare(writer::sql::kRunReTotal);
        run.Open();
        while (run.Fetch()) {
        }
        run.Close();
        tr.CommitRetaining();
    }

    std::int64_t Amount(std::string_view sql) { return QueryInt(tr, sql); }
};

TEST_F(JournalTotals, TriggerTotalsEqualTheReTotal)
{
    const std::string cash = "10100", sales = FirstCode("BPFLG='P' AND DAC=2 AND GROUPM2 LIKE '4%'");
    const std::string expense = FirstCode("BPFLG='P' AND DAC=1 AND KCODE >= '70000'");
    const std::string paidTax = "18000";
    Post({TDate::Ymd(2025, 4, 10), 1, {cash, 110000}, {sales, 100000, 10000, 1}});
    Post({TDate::Ymd(2025, 5, 20), 2, {expense, 30000, 3000, 2}, {cash, 33000}, "事務用品"});
    Post({TDate::Ymd(2025, 6, 30), 3, {sales, 5000}, {cash, 5000}, "消費税振替"});
    Post({TDate::Ymd(2025, 7, 1), 5, {paidTax, 700}, {cash, 700}, "仮払消費税"});

    // The figures, computed from the entries themselves.
    EXPECT_EQ(Amount("SELECT KAR_NUK FROM KAMOKU_MS WHERE KCODE='10100' AND HCODE=' ' AND BCODE=' ' AND MNUM=1"), 110000);
    EXPECT_EQ(Amount("SELECT KAS_NUK FROM KAMOKU_MS WHERE KCODE='" + sales + "' AND MNUM=1"), 100000);
    EXPECT_EQ(Amount("SELECT KAS_TAX FROM KAMOKU_MS WHERE KCODE='" + sales + "' AND MNUM=1"), 10000);
    EXPECT_EQ(Amount("SELECT KAS FROM KAMOKU_TAX WHERE KKUBUN=1 AND MNUM=1"), 10000);
    EXPECT_EQ(Amount("SELECT KAR FROM KAMOKU_TAX WHERE KKUBUN=2 AND MNUM=2"), 3000);
    EXPECT_EQ(Amount("SELECT KAR_IKKATSU FROM KAMOKU_MS WHERE KCODE='" + sales + "' AND MNUM=3"), 5000);
    EXPECT_EQ(Amount("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE=' '"), 4);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM SIWAKE"), 8);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM SIWAKE2"), 4);
    EXPECT_EQ(Amount("SELECT COUNT(DISTINCT SWKREC) FROM SIWAKE"), 4);

    const std::vector<std::string> byTrigger = Totals();
    ReTotal();
    EXPECT_EQ(Totals(), byTrigger);
    fb::TStatement repair(tr);
    repair.Prepare("SELECT RPCNT FROM SP_SIWAKE_REPAIR");
    repair.Open();
    std::int64_t processed = 0;
    while (repair.Fetch())
        processed = repair.AsInt(0);
    EXPECT_EQ(processed, 8);
    EXPECT_EQ(Totals(), byTrigger);
}

// A past year is written, cleared as the writer clears it, and the next year written from the first
// record number again: nothing of the cleared year may stand in the way.
TEST_F(JournalTotals, ASecondYearAfterAClearStoresFromTheFirstNumberAgain)
{
    const std::string sales = FirstCode("BPFLG='P' AND DAC=2 AND GROUPM2 LIKE '4%'");
    Post({TDate::Ymd(2024, 4, 10), 1, {"10100", 1000}, {sales, 1000}});
    Post({TDate::Ymd(2024, 4, 11), 1, {"10100", 2000}, {sales, 2000}});
    using namespace writer::sql;
    for (const std::string_view clear : {kDeletePastJournals1, kDeletePastJournals2, kDeleteJournals, kClearOpeningBalances,
                                         kClearMonthTotals, kClearTaxTotals, kClearJournalCounts})
        fb::ExecuteImmediate(tr, clear);
    for (const std::string& generator : qz::sql::JournalNumberGenerators())
        fb::ExecuteImmediate(tr, Format(qz::sql::kSetGenerator, generator, 0));
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM SIWAKE2"), 0);

    EXPECT_EQ(Post({TDate::Ymd(2025, 4, 10), 1, {"10100", 3000}, {sales, 3000}}), 1);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM SIWAKE2"), 1);
    EXPECT_EQ(Amount("SELECT KAR_NUK FROM KAMOKU_MS WHERE KCODE='10100' AND HCODE=' ' AND BCODE=' ' AND MNUM=1"), 3000);
}

// Yen that reach no balance row would be lost without a word: such an entry is refused, naming itself
// and the row it misses, both when it is stored and when the totals are computed again.
TEST_F(JournalTotals, AnEntryWithoutItsBalanceRowIsRefused)
{
    const std::string sales = FirstCode("BPFLG='P' AND DAC=2 AND GROUPM2 LIKE '4%'");
    const auto refusal = [&](const TEntry& entry) {
        try {
            Post(entry);
        } catch (const fb::TFbError& error) {
            return error.Message();
        }
        return std::string();
    };
    const std::string noSubAccount = refusal({TDate::Ymd(2025, 4, 10), 1, {"10100", 1000, 0, 0, " ", "777"}, {sales, 1000}});
    EXPECT_NE(noSubAccount.find("KAMOKU_MS"), std::string::npos) << noSubAccount;
    EXPECT_NE(noSubAccount.find("HCODE=[777]"), std::string::npos) << noSubAccount;
    EXPECT_NE(noSubAccount.find("REC="), std::string::npos) << noSubAccount;
    const std::string badTaxClass = refusal({TDate::Ymd(2025, 4, 10), 1, {"10100", 1000}, {sales, 1000, 100, 12}});
    EXPECT_NE(badTaxClass.find("KAMOKU_TAX"), std::string::npos) << badTaxClass;
    const std::string noDepartment = refusal({TDate::Ymd(2025, 4, 10), 1, {"10100", 1000, 0, 0, "99"}, {sales, 1000}});
    EXPECT_NE(noDepartment.find("BCODE=[99]"), std::string::npos) << noDepartment;
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM SIWAKE"), 0);

    // Stored while the trigger is off (as the import run stores), the entry is refused by the re-total.
    fb::ExecuteImmediate(tr, convert::sql::kJournalTriggerInactive);
    tr.CommitRetaining();
    Post({TDate::Ymd(2025, 4, 10), 1, {"10100", 1000, 0, 0, " ", "777"}, {sales, 1000}});
    fb::TStatement repair(tr);
    repair.Prepare("SELECT RPCNT FROM SP_SIWAKE_REPAIR");
    repair.Open();
    try {
        while (repair.Fetch()) {
        }
        ADD_FAILURE() << "the re-total took an entry without its balance row";
    } catch (const fb::TFbError& error) {
        EXPECT_NE(error.Message().find("HCODE=[777]"), std::string::npos) << error.Message();
    }
}

TEST_F(JournalTotals, DepartmentsKeepTheirTaxOnlyWhenDepartmentsAreInUse)
{
    fb::ExecuteImmediate(tr, "INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('10', '営業部')");
    const std::string sales = FirstCode("BPFLG='P' AND DAC=2 AND GROUPM2 LIKE '4%'");
    TSide credit{sales, 200000, 20000, 1, "10"};
    Post({TDate::Ymd(2025, 4, 1), 1, {"10100", 220000, 0, 0, "10"}, credit});
    EXPECT_EQ(Amount("SELECT KAS FROM KAMOKU_TAX WHERE BCODE=' ' AND KKUBUN=1 AND MNUM=1"), 20000);
    fb::ExecuteImmediate(tr, "UPDATE ACCDEF1 SET BUMON = 2");
    Post({TDate::Ymd(2025, 4, 2), 1, {"10100", 110000, 0, 0, "10"}, {sales, 100000, 10000, 1, "10"}});
    EXPECT_EQ(Amount("SELECT KAS FROM KAMOKU_TAX WHERE BCODE='10' AND KKUBUN=1 AND MNUM=1"), 10000);

    // The re-total reads the setting once, so both rows now go to the department.
    const std::vector<std::string> before = Totals();
    ReTotal();
    EXPECT_EQ(Amount("SELECT KAS FROM KAMOKU_TAX WHERE BCODE='10' AND KKUBUN=1 AND MNUM=1"), 30000);
    EXPECT_NE(Totals(), before);
}

TEST_F(JournalTotals, CorrectingAnEntryReplacesItsFigures)
{
    const std::string sales = FirstCode("BPFLG='P' AND DAC=2 AND GROUPM2 LIKE '4%'");
    const std::int64_t rec = Post({TDate::Ymd(2025, 4, 10), 1, {"10100", 1000}, {sales, 1000}});
    fb::TStatement update(tr);
    update.Prepare(journal::sql::kUpdateJournal);
    update.SetInt("REC", rec).SetInt("SWKREC", rec).SetInt("SWKNO", 1).SetInt("DELFLG", 0);
    update.SetDate("HIZUKE", TDate::Ymd(2025, 4, 11)).SetInt("MNUM", 1).SetString("SCODE", " ");
    update.SetString("L_KCODE", "10100").SetMoney("L_NUK", TMoney::FromYen(1500));
    update.SetString("R_KCODE", sales).SetMoney("R_NUK", TMoney::FromYen(1500)).SetMoney("KINGAKU", TMoney::FromYen(1500));
    update.Open();
    ASSERT_TRUE(update.Fetch());
    EXPECT_EQ(update.AsInt("UPREC"), 0);
    EXPECT_EQ(update.AsInt("NEWSWKNO"), 2);
    EXPECT_EQ(Amount("SELECT KAR_NUK FROM KAMOKU_MS WHERE KCODE='10100' AND HCODE=' ' AND MNUM=1"), 1500);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM SIWAKE WHERE DELFLG=2"), 2);
    EXPECT_EQ(Amount("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE=' '"), 1);
}

TEST_F(JournalTotals, ZenkuriCarriesTheProfitIntoRetainedEarnings)
{
    const std::string sales = FirstCode("BPFLG='P' AND DAC=2 AND GROUPM2 LIKE '4%'");
    const std::string expense = FirstCode("BPFLG='P' AND DAC=1 AND KCODE >= '70000'");
    fb::ExecuteImmediate(tr, "UPDATE KAMOKU_SZ SET KISHU_KOMI = 1000000, KISHU_NUKI = 1000000 WHERE KCODE = '85300'");
    Post({TDate::Ymd(2025, 4, 10), 1, {"10100", 550000}, {sales, 500000, 50000, 1}});
    Post({TDate::Ymd(2025, 8, 10), 6, {expense, 200000, 20000, 2}, {"10100", 220000}});

    fb::TStatement carry(tr);
    carry.Prepare(yearupdate::sql::kCarryRetainedEarnings);
    carry.SetString("SCODE", " ").SetInt("ZEIKBN", 1);
    carry.Open();
    ASSERT_TRUE(carry.Fetch());
    EXPECT_EQ(carry.AsString("BCODE"), " ");
    // Tax-excluded: 500,000 - 200,000; tax-included: 550,000 - 220,000.
    EXPECT_EQ(carry.AsInt("KAISIZAN"), 1300000);
    EXPECT_EQ(Amount("SELECT KISHU_KOMI FROM KAMOKU_SZ WHERE KCODE='85300' AND HCODE=' ' AND BCODE=' '"), 1330000);
}

class OwnerCapital : public JournalTotals {
protected:
    OwnerCapital() : JournalTotals(21) {}
};

TEST_F(OwnerCapital, MotoirekinTakesProfitContributionsAndDrawings)
{
    const std::string sales = FirstCode("BPFLG='P' AND DAC=2 AND GROUPM2 LIKE '4%'");
    fb::ExecuteImmediate(tr, "UPDATE KAMOKU_SZ SET KISHU_KOMI = 1000000, KISHU_NUKI = 1000000 WHERE KCODE = '80000'");
    fb::ExecuteImmediate(tr, "UPDATE KAMOKU_SZ SET KISHU_KOMI = 50000, KISHU_NUKI = 50000 WHERE KCODE = '28100'");
    fb::ExecuteImmediate(tr, "UPDATE KAMOKU_SZ SET KISHU_KOMI = 20000, KISHU_NUKI = 20000 WHERE KCODE = '37300'");
    Post({TDate::Ymd(2025, 3, 10), 3, {"10100", 300000}, {sales, 300000}});

    fb::TStatement carry(tr);
    carry.Prepare(yearupdate::sql::kCarryOwnerCapital);
    carry.SetString("SCODE", " ").SetInt("ZEIKBN", 0);
    carry.Open();
    ASSERT_TRUE(carry.Fetch());
    EXPECT_EQ(carry.AsInt("MOTOIREZAN"), 1000000 + 300000 + 20000 - 50000);
    EXPECT_EQ(Amount("SELECT SUM(KISHU_KOMI) FROM KAMOKU_SZ WHERE KCODE IN ('28100','37300')"), 0);
}

}  // namespace
}  // namespace qz::test
