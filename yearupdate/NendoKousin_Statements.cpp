#include "yearupdate/NendoKousin_Statements.h"

#include "common/Format.h"
#include "common/PeriodCalendar.h"

namespace qz {

namespace yearupdate::sql {

namespace {

constexpr std::string_view kPastBalanceKey =
    "WHERE (NENDO=:NENDO)AND(SCODE=:SCODE)AND(BCODE=:BCODE)AND(KCODE=:KCODE)AND(HCODE=:HCODE)";

}  // namespace

std::string ShiftPastBalancesStatement()
{
    std::string sql = "UPDATE KAKOZAN SET KISHU=:KISHU,";
    for (int slot = 1; slot <= 16; ++slot)
        sql += Format("KOMIZAN_%d=:KOMIZAN_%d,NUKIZAN_%d=:NUKIZAN_%d,IKKATSU_%d=:IKKATSU_%d,HAIBUN_%d=:HAIBUN_%d,", slot, slot,
                      slot, slot, slot, slot, slot, slot);
    return sql + "TRIGGER_SWITCH=1\n" + std::string(kPastBalanceKey);
}

std::string ClearCurrentPastBalancesStatement()
{
    std::string sql = "UPDATE KAKOZAN SET KISHU=0,";
    for (int slot = 1; slot <= 16; ++slot)
        sql += Format("KOMIZAN_%d=0,NUKIZAN_%d=0,IKKATSU_%d=0,HAIBUN_%d=0,", slot, slot, slot, slot);
    return sql + "TRIGGER_SWITCH=1\nWHERE (NENDO=0)";
}

std::string MonthRowsStatement(bool medical, std::string_view suspenseAccount)
{
    return Format("SELECT MS.SCODE,MS.BCODE,MS.KCODE,MS.HCODE,MS.MNUM,MS.KAR_NUK,MS.KAR_TAX,MS.KAS_NUK,MS.KAS_TAX,"
                  "MS.BYOSAN,MS.BYOSOKU,MS.RYOSAN,MS.KAR_IKKATSU,MS.KAS_IKKATSU,%s"
                  "KM.GROUPM0,KM.USERCODE,KM.DAC,KM.BPFLG\n"
                  "FROM KAMOKU_MS MS\n"
                  "INNER JOIN SISETUMST SI ON(MS.SCODE=SI.SCODE)\n"
                  "INNER JOIN BUMONMST  BU ON(MS.BCODE=BU.BCODE)\n"
                  "INNER JOIN KAMOKUMST KM ON(MS.KCODE=KM.KCODE)\n"
                  "INNER JOIN HOJOMST   HM ON(MS.KCODE=HM.KCODE AND MS.HCODE=HM.HCODE)\n"
                  "WHERE (MS.KCODE<>'%s')\n"
                  "ORDER BY MS.SCODE,MS.KCODE,MS.HCODE,MS.BCODE,MS.MNUM",
                  medical ? "SI.BUMEX,SI.MB_JIGYOU," : "SI.BUMEX,0 AS MB_JIGYOU,", suspenseAccount);
}

std::string CarryPastBalancesStatement(int firstSlot)
{
    std::string sql = "UPDATE KAKOZAN SET KISHU=:KISHU,";
    for (int slot = firstSlot; slot <= 16; ++slot)
        sql += Format("KOMIZAN_%d=:KOMIZAN%d,NUKIZAN_%d=:NUKIZAN%d,IKKATSU_%d=:IKKATSU%d,HAIBUN_%d=:HAIBUN%d,", slot, slot,
                      slot, slot, slot, slot, slot, slot);
    return sql + "TRIGGER_SWITCH=1\n" + std::string(kPastBalanceKey);
}

}  // namespace yearupdate::sql

std::vector<TNamedStatement> YearUpdateStatements()
{
    using enum TStatementDb;
    using namespace yearupdate::sql;
    std::vector<TNamedStatement> statements = {
        QZ_NAMED_STATEMENT(Data, kSelectPastBalancesOfYear1),
        QZ_NAMED_STATEMENT(Data, kSelectPastBalancesOfYears0And1),
        {"ShiftPastBalancesStatement()", Data, ShiftPastBalancesStatement()},
        {"ClearCurrentPastBalancesStatement()", Data, ClearCurrentPastBalancesStatement()},
        QZ_NAMED_STATEMENT(Data, kClearBudgets),
        {"MonthRowsStatement(false)", Data, MonthRowsStatement(false, "99900")},
        QZ_NAMED_STATEMENT(Data, kSelectOpeningOfGroup),
        QZ_NAMED_STATEMENT(Data, kSelectPastOpeningOfGroup),
        QZ_NAMED_STATEMENT(Data, kSelectTaxOfGroup),
        QZ_NAMED_STATEMENT(Data, kUpdateBudgetOfMonth),
        QZ_NAMED_STATEMENT(Data, kUpdateNewOpening),
        QZ_NAMED_STATEMENT(Data, kSelectBranches),
        QZ_NAMED_STATEMENT(Data, kCarryRetainedEarnings),
        QZ_NAMED_STATEMENT(Data, kCarryOwnerCapital),
        {"kCarryRetainedEarningsTo", Data, Format(kCarryRetainedEarningsTo, "85300")},
        QZ_NAMED_STATEMENT(Data, kClearProfitAndLossOpenings),
        QZ_NAMED_STATEMENT(Data, kSelectBranchesWithDepartments),
        QZ_NAMED_STATEMENT(Data, kSelectBranchesWithDepartmentsMedical),
        QZ_NAMED_STATEMENT(Data, kClearMonthAmountsOfBranch),
        QZ_NAMED_STATEMENT(Data, kClearTaxAmounts),
        QZ_NAMED_STATEMENT(Data, kUpdateTaxPeriod),
        QZ_NAMED_STATEMENT(Data, kDeleteTaxWorksheet),
        QZ_NAMED_STATEMENT(Data, kDeleteSimplifiedTaxWorksheet),
        QZ_NAMED_STATEMENT(Data, kUpdateSettlementDates),
        QZ_NAMED_STATEMENT(Data, kDeleteChangedAccounts),
        QZ_NAMED_STATEMENT(Data, kUpdateBlueReturn),
        QZ_NAMED_STATEMENT(Data, kClearBlueReturnBalances),
        QZ_NAMED_STATEMENT(Data, kResetFacilitySetting),
        QZ_NAMED_STATEMENT(Data, kResetSetting),
        QZ_NAMED_STATEMENT(Data, kDeleteWrittenOffAssets),
        QZ_NAMED_STATEMENT(Data, kSelectAssetsOfBranch),
        QZ_NAMED_STATEMENT(Data, kUpdateAssetYear),
        QZ_NAMED_STATEMENT(Data, kSelectLastLedgerRec),
        QZ_NAMED_STATEMENT(Data, kDeleteLedgerLineOfYear),
        QZ_NAMED_STATEMENT(Data, kInsertLedgerLine),
        QZ_NAMED_STATEMENT(Data, kSelectEmployees),
        QZ_NAMED_STATEMENT(Data, kUpdateEmployeesOfMonth),
        QZ_NAMED_STATEMENT(Data, kUpdateEmployeesOfYear),
        QZ_NAMED_STATEMENT(Data, kSelectBranchesExcept),
        QZ_NAMED_STATEMENT(Data, kRunAttachedStatementsYearUp),
        QZ_NAMED_STATEMENT(Data, kClearAuditReport),
        QZ_NAMED_STATEMENT(Data, kClearReportAmounts),
        QZ_NAMED_STATEMENT(Data, kDeletePastJournals2),
        QZ_NAMED_STATEMENT(Data, kMovePastJournals1To2),
        QZ_NAMED_STATEMENT(Data, kDeletePastJournals1),
        QZ_NAMED_STATEMENT(Data, kMoveJournalsToPast1),
        QZ_NAMED_STATEMENT(Data, kDeleteJournals),
        QZ_NAMED_STATEMENT(Data, kClearJournalCounts),
        QZ_NAMED_STATEMENT(Data, kUpdateBasicInformation),
        QZ_NAMED_STATEMENT(Data, kDeleteHistoryExceptJob),
    };
    // The medical select differs only in its branch columns, which every template has.
    statements.push_back({"MonthRowsStatement(true)", Data, MonthRowsStatement(true, "99900")});
    for (int month = 1; month <= 12; ++month) {
        const int slot = SlotOfMonth(month) + 1;
        statements.push_back({Format("CarryPastBalancesStatement(%d)", slot), Data, CarryPastBalancesStatement(slot)});
    }
    // Other modules send some of the same short texts under the same constant names.
    for (TNamedStatement& statement : statements)
        statement.Name = "yearupdate::" + statement.Name;
    return statements;
}

}  // namespace qz
