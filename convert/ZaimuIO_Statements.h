#pragma once
// Every statement the conversion context sends, in one place. The statement-catalog test prepares each
// of them (ConvertStatements below lists them).

#include "db/DbStatements.h"

#include <string_view>
#include <vector>

namespace qz::convert::sql {

// The journal sort table, dumped into the conversion error log.
inline constexpr std::string_view kSelectSortedJournalsForLog =
    "SELECT TEXT FROM ONETIME_SIWAKE ORDER BY JIGYOUNENDONAIBUCD ,TORIHIKIBI,HONSITENNAIBUCD ,"
    "DENPYOUNAIBUCD ,TAISYAKUKUBUN ";

// ---- Opening balances: the check of the balances the year update carried into the prior year (NENDO 1),
// tax-included and tax-excluded, per account and per sub-account; the names of the mismatch lines.
inline constexpr std::string_view kSumCarriedTaxIncludedOfAccount =
    "SELECT SUM(KISHU +KOMIZAN_1 +KOMIZAN_2  +KOMIZAN_3  +KOMIZAN_4  +KOMIZAN_5  +KOMIZAN_6  +KOMIZAN_7  +KOMIZAN_8 +  KOMIZAN_9 +KOMIZAN_10 +KOMIZAN_11 +KOMIZAN_12 +KOMIZAN_13 +KOMIZAN_14 +KOMIZAN_15 +KOMIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND NENDO=1";
inline constexpr std::string_view kSumCarriedTaxIncludedOfSubAccount =
    "SELECT SUM(KISHU +KOMIZAN_1 +KOMIZAN_2  +KOMIZAN_3  +KOMIZAN_4  +KOMIZAN_5  +KOMIZAN_6  +KOMIZAN_7  +KOMIZAN_8 +  KOMIZAN_9 +KOMIZAN_10 +KOMIZAN_11 +KOMIZAN_12 +KOMIZAN_13 +KOMIZAN_14 +KOMIZAN_15 +KOMIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND NENDO=1";
inline constexpr std::string_view kSumCarriedTaxExcludedOfAccount =
    "SELECT SUM(KISHU +NUKIZAN_1 +NUKIZAN_2  +NUKIZAN_3  +NUKIZAN_4  +NUKIZAN_5  +NUKIZAN_6  +NUKIZAN_7  +NUKIZAN_8 +  NUKIZAN_9 +NUKIZAN_10 +NUKIZAN_11 +NUKIZAN_12 +NUKIZAN_13 +NUKIZAN_14 +NUKIZAN_15 +NUKIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND NENDO=1";
inline constexpr std::string_view kSumCarriedTaxExcludedOfSubAccount =
    "SELECT SUM(KISHU +NUKIZAN_1 +NUKIZAN_2  +NUKIZAN_3  +NUKIZAN_4  +NUKIZAN_5  +NUKIZAN_6  +NUKIZAN_7  +NUKIZAN_8 +  NUKIZAN_9 +NUKIZAN_10 +NUKIZAN_11 +NUKIZAN_12 +NUKIZAN_13 +NUKIZAN_14 +NUKIZAN_15 +NUKIZAN_16)  FROM KAKOZAN WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND NENDO=1";
inline constexpr std::string_view kSelectBranchName =
    "SELECT SNAME FROM SISETUMST WHERE SCODE=:CODE";
inline constexpr std::string_view kSelectAccountName =
    "SELECT KNAME FROM KAMOKUMST WHERE KCODE=:CODE";
inline constexpr std::string_view kSelectSubAccountName =
    "SELECT HNAME FROM HOJOMST WHERE KCODE=:KCODE AND HCODE=:HCODE";

// ---- Sub-account code adjustment: the work table ONETIME, which pairs every source sub-account (and every
// source account that becomes a sub-account) with its target account and sub-account code.
inline constexpr std::string_view kRecreateOnetime =
    "RECREATE TABLE ONETIME( OLDKCODE VARCHAR(10) CHARACTER SET ASCII NOT NULL,\n"
    " OLDHCODE VARCHAR(10) CHARACTER SET ASCII NOT NULL,\n"
    " OLDHUSER VARCHAR(10) CHARACTER SET ASCII,\n"
    " NEWKCODE VARCHAR(10) CHARACTER SET ASCII,\n"
    " NEWHCODE VARCHAR(10) CHARACTER SET ASCII,\n"
    " SYUYAKU INTEGER,\n"
    " PRIMARY KEY (OLDKCODE,OLDHCODE) );";
inline constexpr std::string_view kInsertOnetime =
    "INSERT INTO ONETIME( OLDKCODE,OLDHCODE,OLDHUSER,NEWKCODE,NEWHCODE,SYUYAKU) "
    "VALUES(:OLDKCODE,:OLDHCODE,:OLDHUSER,:NEWKCODE,:NEWHCODE,:SYUYAKU )";
inline constexpr std::string_view kSelectOnetimeByOldHUser =
    "SELECT OLDKCODE,OLDHCODE FROM ONETIME ORDER BY OLDKCODE,OLDHUSER";
inline constexpr std::string_view kUpdateOnetimeNewHCode =
    "UPDATE ONETIME SET NEWHCODE=:NEWHCODE WHERE (OLDKCODE=:OLDKCODE) AND (OLDHCODE=:OLDHCODE)  ";
inline constexpr std::string_view kCountOnetimeOfOldKCode = "SELECT COUNT(*) FROM ONETIME WHERE (OLDKCODE=:KCODE)  ";
inline constexpr std::string_view kSelectOnetimeMergedAccounts =
    "SELECT OLDKCODE FROM ONETIME WHERE (OLDKCODE<>:KCODE1) AND (NEWKCODE=:KCODE2) GROUP BY OLDKCODE ";
inline constexpr std::string_view kSelectOnetimeMergedMultiAccounts =
    "SELECT OLDKCODE FROM ONETIME WHERE (OLDKCODE<>:KCODE1) AND (NEWKCODE=:KCODE2) GROUP BY OLDKCODE "
    "HAVING COUNT(OLDKCODE) > 1 ";
inline constexpr std::string_view kSelectOnetimeAccountPairsWithSubAccounts =
    "SELECT OLDKCODE,NEWKCODE FROM ONETIME WHERE (OLDHCODE<>' ') GROUP BY OLDKCODE,NEWKCODE ORDER BY OLDKCODE,NEWKCODE";
inline constexpr std::string_view kSelectOnetimeNewKCodeOfOldKCode =
    "SELECT NEWKCODE FROM ONETIME WHERE OLDKCODE=:OLDKCODE ORDER BY OLDHCODE ";
inline constexpr std::string_view kInsertOnetimeCatchAll =
    "INSERT INTO ONETIME( OLDKCODE,OLDHCODE,NEWKCODE,NEWHCODE,SYUYAKU) VALUES(:OLDKCODE,'99999',:NEWKCODE,:NEWHCODE,0)";
inline constexpr std::string_view kCountOnetimeOfNewCodes =
    "SELECT COUNT(*) FROM ONETIME WHERE (NEWKCODE=:KCODE) AND (NEWHCODE=:HCODE)  ";
inline constexpr std::string_view kSelectOnetimeMaxNewHCode = "SELECT MAX(NEWHCODE) FROM ONETIME WHERE (NEWKCODE=:NEWKCODE)";
inline constexpr std::string_view kSelectOnetimeAccountRows =
    "SELECT OLDKCODE,OLDHCODE,NEWKCODE  FROM ONETIME WHERE (OLDHCODE=' ') OR (SYUYAKU=1)  ORDER BY NEWKCODE,OLDKCODE ";
inline constexpr std::string_view kUpdateOnetimeAccountRowCode =
    "UPDATE ONETIME SET NEWHCODE= :_NewHCODE WHERE OLDKCODE=:_KCODE AND OLDHCODE=:_HCODE ";
inline constexpr std::string_view kSelectOnetimeRowsOfNewKCode =
    "SELECT OLDKCODE,OLDHCODE,NEWKCODE  FROM ONETIME WHERE (NEWKCODE= :_KCODE) ORDER BY OLDKCODE,OLDHUSER ";
inline constexpr std::string_view kCountOnetime = "SELECT COUNT(*) FROM ONETIME ";
inline constexpr std::string_view kSelectOnetimeNewKCodes = "SELECT NEWKCODE FROM ONETIME GROUP BY NEWKCODE";
inline constexpr std::string_view kSelectOnetimeCollisions =
    "SELECT NEWKCODE,NEWHCODE FROM ONETIME GROUP BY NEWKCODE,NEWHCODE HAVING COUNT(*) >1 ORDER BY NEWKCODE";
inline constexpr std::string_view kSelectOnetimeRowsForCollision =
    "SELECT OLDKCODE,OLDHCODE,NEWHCODE FROM ONETIME WHERE NEWKCODE = :_NEWKCODE ORDER BY OLDKCODE,NEWHCODE";
inline constexpr std::string_view kUpdateOnetimeCollisionCode =
    "UPDATE ONETIME SET NEWHCODE= :NEW_HCODE WHERE OLDKCODE=:OLD_KCODE AND OLDHCODE=:OLD_HCODE ";
inline constexpr std::string_view kSelectOnetimeAll =
    "SELECT OLDKCODE,OLDHCODE,OLDHUSER,NEWKCODE,NEWHCODE,SYUYAKU FROM ONETIME ORDER BY NEWKCODE,NEWHCODE ";
inline constexpr std::string_view kDropOnetime = "DROP TABLE ONETIME";

// The aggregated-accounts list: the target account and sub-account a source sub-account went to.
inline constexpr std::string_view kSelectTargetNamesOfSubAccount =
    "SELECT KM.USERCODE, KM.KNAME, HM.HNAME FROM HOJOMST HM INNER JOIN KAMOKUMST KM ON (HM.KCODE = KM.KCODE) "
    "WHERE (HM.KCODE=:KCODE) AND (HM.HCODE=:HCODE) ";

// Departments and branches: a branch gives up a department the extract does not let it manage.
inline constexpr std::string_view kDeleteBranchDepartment = "DELETE FROM SISETUBUM WHERE (SCODE=:SCODE) AND (BCODE=:BCODE) ";

// ---- Journals: the sort table, the conversion's read of it, the single-transaction dictionary
inline constexpr std::string_view kRecreateJournalSortTable =
    "RECREATE TABLE ONETIME_SIWAKE(\n"
    "JigyounendoNaibuCD INTEGER NOT NULL, \n"
    "TORIHIKIBI         CHAR(8)      CHARACTER SET ASCII NOT NULL, \n"
    "HonsitenNaibuCD    CHAR(8)      CHARACTER SET ASCII NOT NULL, \n"
    "DenpyouNaibuCD     CHAR(8)      CHARACTER SET ASCII NOT NULL, \n"
    "TaisyakuKubun      CHAR(1)      CHARACTER SET ASCII NOT NULL, \n"
    "TEXT               VARCHAR(300) CHARACTER SET SJIS_0208 , \n"
    "PRIMARY KEY (JigyounendoNaibuCD,TORIHIKIBI,HonsitenNaibuCD,DenpyouNaibuCD,TaisyakuKubun) );";
inline constexpr std::string_view kDropJournalSortTable = "DROP TABLE ONETIME_SIWAKE";
inline constexpr std::string_view kInsertJournalSortRow =
    "INSERT INTO ONETIME_SIWAKE(JigyounendoNaibuCD,TORIHIKIBI,HonsitenNaibuCD,DenpyouNaibuCD,TaisyakuKubun,TEXT) "
    "VALUES(:JigyounendoNaibuCD,:TORIHIKIBI,:HonsitenNaibuCD,:DenpyouNaibuCD,:TaisyakuKubun,:TEXT) ";
// The rows in the order that puts each entry's debit line directly before its credit line.
inline constexpr std::string_view kSelectSortedJournals =
    "SELECT TEXT FROM ONETIME_SIWAKE ORDER BY JIGYOUNENDONAIBUCD ,TORIHIKIBI ,HONSITENNAIBUCD ,"
    "DENPYOUNAIBUCD ,TAISYAKUKUBUN ";
inline constexpr std::string_view kSelectSubAccountOfAccount =
    "SELECT HCODE FROM HOJOMST WHERE (KCODE=:KCODE) AND (HCODE=:HCODE) ";

// ---- The import run: the first journal date of a year (its first input month), the branches that get
// the summary dictionaries, and the journal trigger, off while the years are imported.
inline constexpr std::string_view kSelectFirstJournalDateOfYear =
    "SELECT TORIHIKIBI FROM ONETIME_SIWAKE WHERE JigyounendoNaibuCD=:JigyounendoNaibuCD ORDER BY TORIHIKIBI ";
inline constexpr std::string_view kSelectBranchCodes = "SELECT SCODE FROM SISETUMST ORDER BY SCODE";
inline constexpr std::string_view kJournalTriggerInactive = "ALTER TRIGGER SIWAKE_AFTER_INSERT INACTIVE ";
inline constexpr std::string_view kJournalTriggerActive = "ALTER TRIGGER SIWAKE_AFTER_INSERT ACTIVE ";

}  // namespace qz::convert::sql

namespace qz {

std::vector<TNamedStatement> ConvertStatements();

}  // namespace qz
