#pragma once
// Every statement the next-year update sends, in one place. The statement-catalog test prepares each of
// them (YearUpdateStatements below lists them, the built ones for every variant the update builds).

#include "db/DbStatements.h"

#include <string>
#include <string_view>
#include <vector>

namespace qz::yearupdate::sql {

// Past balances: the year slots move on by one.
inline constexpr std::string_view kSelectPastBalancesOfYear1 =
    "SELECT * FROM KAKOZAN\nWHERE (NENDO=1)\nORDER BY NENDO,SCODE,BCODE,KCODE,HCODE";
inline constexpr std::string_view kSelectPastBalancesOfYears0And1 =
    "SELECT * FROM KAKOZAN\nWHERE (NENDO IN (0,1))\nORDER BY NENDO,SCODE,BCODE,KCODE,HCODE";
// Every slot of a row from the values of the row one year younger.
std::string ShiftPastBalancesStatement();
// Empties the slot of the year being worked on.
std::string ClearCurrentPastBalancesStatement();

// Carrying the balances forward.
inline constexpr std::string_view kClearBudgets = "UPDATE KAMOKU_MS SET BYOSAN=0,RYOSAN=0";
// The month rows with their account, except those of the suspense account (諸口) whose system code is
// formatted in.
std::string MonthRowsStatement(bool medical, std::string_view suspenseAccount);
inline constexpr std::string_view kSelectOpeningOfGroup =
    "SELECT * FROM KAMOKU_SZ\nWHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND BCODE=:BCODE\n"
    "ORDER BY SCODE,KCODE,HCODE,BCODE";
inline constexpr std::string_view kSelectPastOpeningOfGroup =
    "SELECT KISHU FROM KAKOZAN\nWHERE NENDO=1 AND SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND BCODE=:BCODE";
inline constexpr std::string_view kSelectTaxOfGroup =
    "SELECT SCODE,BCODE,KKUBUN,MNUM,KAR,KAS\nFROM KAMOKU_TAX\n"
    "WHERE (SCODE=:SCODE) AND (BCODE=:BCODE) AND (KKUBUN=:KKUBUN)\nORDER BY SCODE,BCODE,KKUBUN,MNUM";
// The closed year's figures of a group from the slot of its first month of input (1-16) on.
std::string CarryPastBalancesStatement(int firstSlot);
inline constexpr std::string_view kUpdateBudgetOfMonth =
    "UPDATE KAMOKU_MS SET BYOSAN=:YOSAN\n"
    "WHERE (SCODE=:SCODE) AND (KCODE=:KCODE) AND (HCODE=:HCODE) AND (BCODE=:BCODE) AND (MNUM=:MNUM)";
inline constexpr std::string_view kUpdateNewOpening =
    "UPDATE KAMOKU_SZ SET KAISIZAN=0,KISHU_KOMI=:KISHU_KOMI,KISHU_NUKI=:KISHU_NUKI\n"
    "WHERE (SCODE=:SCODE) AND (KCODE=:KCODE) AND (HCODE=:HCODE) AND (BCODE=:BCODE)";
inline constexpr std::string_view kSelectBranches = "SELECT SCODE FROM SISETUMST\nORDER BY SCODE";
inline constexpr std::string_view kCarryRetainedEarnings = "SELECT BCODE,KAISIZAN FROM SP_ZENKURI(:SCODE,'',:ZEIKBN)";
inline constexpr std::string_view kCarryOwnerCapital = "SELECT BCODE,MOTOIREZAN FROM SP_MOTOIREKIN_KURIIRE(:SCODE,:ZEIKBN)";
// A format: the system code of the account that takes the profit.
inline constexpr std::string_view kCarryRetainedEarningsTo = "SELECT BCODE,KAISIZAN FROM SP_ZENKURI(:SCODE,'%s',:ZEIKBN)";
inline constexpr std::string_view kClearProfitAndLossOpenings =
    "UPDATE KAMOKU_SZ SET KAISIZAN=0,KISHU_KOMI=0,KISHU_NUKI=0\n"
    "WHERE SCODE=:SCODE AND KCODE IN (SELECT KCODE FROM KAMOKUMST WHERE BPFLG='P')";

// The year's amounts.
inline constexpr std::string_view kSelectBranchesWithDepartments = "SELECT SCODE,BUMEX,0 AS MB_JIGYOU FROM SISETUMST\nORDER BY SCODE";
inline constexpr std::string_view kSelectBranchesWithDepartmentsMedical =
    "SELECT SCODE,BUMEX,MB_JIGYOU FROM SISETUMST\nORDER BY SCODE";
inline constexpr std::string_view kClearMonthAmountsOfBranch =
    "UPDATE KAMOKU_MS SET KAR_NUK=0,KAR_TAX=0,KAS_NUK=0,KAS_TAX=0,BYOSOKU=0,KAR_IKKATSU=0,KAS_IKKATSU=0\n"
    "WHERE SCODE=:SCODE";

// Consumption tax.
inline constexpr std::string_view kClearTaxAmounts = "UPDATE KAMOKU_TAX SET KAR=0,KAS=0";
inline constexpr std::string_view kUpdateTaxPeriod =
    "UPDATE TAX_KAZEIHOUSIKI SET KIKAN_KAISI=:KIKAN_KAISI,KIKAN_SYURYO=:KIKAN_SYURYO,"
    "TEISYUTUBI=:TEISYUTUBI,SINKOKUBI=:SINKOKUBI,SIDOUBI=:SIDOUBI,"
    "TYUUKAN_NOUFU=0,TYUUKAN_JOUTO=0,KOUJYOZEI_18A=0,KOUJYOZEI_18B=0,KOUJYOZEI_19A=0,KOUJYOZEI_19B=0,"
    "KIJYUNKIKANURI=:KIJYUNKIKANURI\nWHERE REC=:REC";
inline constexpr std::string_view kDeleteTaxWorksheet = "DELETE FROM TAX_GENSOKU";
inline constexpr std::string_view kDeleteSimplifiedTaxWorksheet = "DELETE FROM TAX_KANI";

// Settlement documents.
inline constexpr std::string_view kUpdateSettlementDates =
    "UPDATE KESSAN SET HOUKOKUHIDUKE=:HOUKOKUHIDUKE,KANSAHIDUKE=:KANSAHIDUKE\nWHERE REC=:REC";
inline constexpr std::string_view kDeleteChangedAccounts = "DELETE FROM KES_HENDOUKAMOKU";
inline constexpr std::string_view kUpdateBlueReturn = "UPDATE AO_SINKOKU SET HIZUKE=:HIZUKE,KISHU=:KISHU,KIMATU=:KIMATU,TEGAKI=0";
inline constexpr std::string_view kClearBlueReturnBalances = "UPDATE EXTERKS SET AO_KISHUZAN=0,AO_KIMATUZAN=0";
inline constexpr std::string_view kResetFacilitySetting =
    "UPDATE SISETREG SET RTEXT= :RTEXT WHERE (RGROUP= :RGROUP) AND (RCODE LIKE :RCODE) AND (RTYPE=:RTYPE) ";
inline constexpr std::string_view kResetSetting = "UPDATE ACCREG SET ATEXT=:ATEXT WHERE AGROUP=:AGROUP AND ACODE=:ACODE";

// Fixed assets and their ledger.
inline constexpr std::string_view kDeleteWrittenOffAssets = "DELETE FROM KS_SISAN\nWHERE MATUMISYOUKIN=0\nAND SCODE=:SCODE";
inline constexpr std::string_view kSelectAssetsOfBranch =
    "SELECT REC,GSHOUHOU,TAIYOUYY,SYOURITU,KISOKIN,MATUMISYOUKIN FROM KS_SISAN\nWHERE SCODE=:SCODE\nORDER BY REC";
inline constexpr std::string_view kUpdateAssetYear =
    "UPDATE KS_SISAN SET KISYUBOKA=:KISYUBOKA,SYOUKYAKU=:SYOUKYAKU,MATUMISYOUKIN=:MATUMISYOUKIN\nWHERE REC=:REC";
inline constexpr std::string_view kSelectLastLedgerRec = "SELECT COALESCE(MAX(REC),0) FROM KS_DAICHO";
inline constexpr std::string_view kDeleteLedgerLineOfYear = "DELETE FROM KS_DAICHO\nWHERE SISANREC=:SISANREC AND NENDO=:NENDO";
inline constexpr std::string_view kInsertLedgerLine =
    "INSERT INTO KS_DAICHO(REC,SISANREC,NENDO,KISYUBOKA,SYOUKYAKU,KIMATUBOKA)\n"
    "VALUES(:REC,:SISANREC,:NENDO,:KISYUBOKA,:SYOUKYAKU,:KIMATUBOKA)";

// Employee numbers.
inline constexpr std::string_view kSelectEmployees =
    "SELECT SCODE,BCODE,MNUM,NUM1 FROM ACCDEF5\nWHERE MNUM>=-15 AND MNUM<=16\nORDER BY SCODE,BCODE,MNUM";
inline constexpr std::string_view kUpdateEmployeesOfMonth = "UPDATE ACCDEF5 SET NUM1=:NUM1\nWHERE SCODE=:SCODE AND BCODE=:BCODE AND MNUM=:MNUM";
inline constexpr std::string_view kUpdateEmployeesOfYear =
    "UPDATE ACCDEF5 SET NUM1=:NUM1\nWHERE SCODE=:SCODE AND BCODE=:BCODE AND (MNUM>=1 AND MNUM<=16)";

// Reports of medical corporations.
inline constexpr std::string_view kSelectBranchesExcept = "SELECT SCODE FROM SISETUMST\nWHERE SCODE<>:SCODE\nORDER BY SCODE";
inline constexpr std::string_view kRunAttachedStatementsYearUp = "EXECUTE PROCEDURE SP_MDT_YEARUPPROC :PSCODE";
inline constexpr std::string_view kClearAuditReport =
    "UPDATE MSD_HOUKOKU\nSET MDTEXT1='',MDTEXT2='',MDTEXT3='',MDNOTE=''\n"
    "WHERE (MDGROUP='監事監査報告書') AND (MDCODE=:MDCODE)";
inline constexpr std::string_view kClearReportAmounts = "UPDATE MSD_HOUKOKU_LO1 SET KINGAKU=0";

// Journals.
inline constexpr std::string_view kDeletePastJournals2 = "DELETE FROM KAKOSIWAKE2";
inline constexpr std::string_view kMovePastJournals1To2 =
    "INSERT INTO KAKOSIWAKE2\nSELECT * FROM KAKOSIWAKE1\nWHERE (DELFLG=0) AND (MNUM<17)\nORDER BY REC";
inline constexpr std::string_view kDeletePastJournals1 = "DELETE FROM KAKOSIWAKE1";
inline constexpr std::string_view kMoveJournalsToPast1 =
    "INSERT INTO KAKOSIWAKE1\nSELECT * FROM SIWAKE\nWHERE (DELFLG=0) AND (MNUM<17)\nORDER BY REC";
inline constexpr std::string_view kDeleteJournals = "DELETE FROM SIWAKE";
inline constexpr std::string_view kClearJournalCounts = "UPDATE SISETUMST SET SIWAKECOUNT=0";

// Basic information and history.
inline constexpr std::string_view kUpdateBasicInformation =
    "UPDATE ACCDEF1\n"
    "SET zzKISHU=:zzKISHU,zKISHU=:zKISHU,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,KAISI=:KAISI,SIME=:SIME,KAISINO=1,"
    "KANSA_FIXDATE=:KANSA_FIXDATE,KANSA_DATE=:KANSA_DATE,KANSA_LOCK=0,KESSAN_KIKAN=:KESSAN_KIKAN,"
    "CASHFLOW_KIKAN1=:CASHFLOW_KIKAN1,CASHFLOW_KIKAN2=:CASHFLOW_KIKAN2,KURIKOSI1=:KURIKOSI1,KURIKOSI2=:KURIKOSI2\n"
    "WHERE REC=1";
inline constexpr std::string_view kDeleteHistoryExceptJob = "DELETE FROM OPINF\nWHERE JOBNAME<>:JOBNAME";

}  // namespace qz::yearupdate::sql

namespace qz {

// The statements above as the catalog test prepares them (the built ones for every variant).
std::vector<TNamedStatement> YearUpdateStatements();

}  // namespace qz
