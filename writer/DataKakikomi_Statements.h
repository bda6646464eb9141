#pragma once
// Every statement the writer sends, in one place. The statement-catalog test prepares each of them
// (WriterStatements below lists them, the formats filled in as the writer fills them).

#include "db/DbStatements.h"

#include <string>
#include <string_view>
#include <vector>

namespace qz::writer::sql {

// Basic information and fiscal period.
inline constexpr std::string_view kUpdateBasicInformation =
    "UPDATE ACCDEF1 SET ENTTEXT=:ENTTEXT, TANTOU=:TANTOU, DATATYPE=:DATATYPE, CODETYPE=:CODETYPE, SCODE1=:SCODE1,SCODE2=:SCODE2, SKANA=:SKANA, SHOUGOU=:SHOUGOU, POST=:POST, ADD1=:ADD1, ADD2=:ADD2, TEL=:TEL, AO_ADD1=:AO_ADD1, AO_ADD2=:AO_ADD2, AO_KANA=:AO_KANA, AO_SIMEI=:AO_SIMEI, AO_GYOUSHU=:AO_GYOUSHU, AO_YAGO=:AO_YAGO, AO_KANYU=:AO_KANYU, AO_TEL=:AO_TEL, AO_SHOKUGYO1=:AO_SHOKUGYO1, AO_SHOKUGYO2=:AO_SHOKUGYO2, NENDO=:NENDO, KISHU=:KISHU, KIMATU=:KIMATU, KAISI=:KAISI, SIME=:SIME, KAISINO=:KAISINO, KANSA_FIXDATE=:KANSA_FIXDATE, KANSA_DATE=:KANSA_DATE, CALCU=:CALCU, TAXU_HASUU=:TAXU_HASUU, TAXH_HASUU=:TAXH_HASUU, TAXDEFUH=:TAXDEFUH, TAXKANNI=:TAXKANNI, TAXJIGYOU=:TAXJIGYOU, GENKAPRINT=:GENKAPRINT, KANSA_LOCK=:KANSA_LOCK, SDAI_HASUU1=:SDAI_HASUU1, SDAI_HASUU2=:SDAI_HASUU2, SDAI_HASUU3=:SDAI_HASUU3, Convert=:Convert, Shouhyou=:Shouhyou, Siten=:Siten, Bumon=:Bumon, GENKA_USE=:GENKA_USE,HOJO_INS_MODE=1,SERIAL='Merovantide'  WHERE REC=1 ";
inline constexpr std::string_view kUpdateFiscalPeriod =
    "UPDATE ACCDEF1 SET  NENDO=:NENDO, KISHU=:KISHU, KIMATU=:KIMATU, KAISI=:KAISI, SIME=:SIME, KAISINO=:KAISINO WHERE REC=1 ";
inline constexpr std::string_view kUpdateTaxDefault =
    "UPDATE ACCDEF1 SET TAXDEFUH= :TAXDEFUH WHERE REC=1 ";

// Accounts.
inline constexpr std::string_view kSetTemporaryUserCode =
    "UPDATE KAMOKUMST SET USERCODE=:USERCODE  WHERE KCODE=:KCODE";
inline constexpr std::string_view kUpdateAccount =
    "UPDATE KAMOKUMST SET USERCODE=:USERCODE,KNAME=:KNAME,USE=:USE,HOJOSW=:HOJOSW,TAX_LCODE=:TAX_LCODE,TAX_RCODE=:TAX_RCODE ,KEIHKUBU=:KEIHKUBU WHERE KCODE=:KCODE ";
inline constexpr std::string_view kRenameAccount =
    "UPDATE KAMOKUMST SET KNAME=:KNAME WHERE KCODE=:KCODE";
inline constexpr std::string_view kSelectAccountAttributes =
    "SELECT GROUPM1,GROUPM2,BLDAC,DAC,TAX_LCODE,TAX_RCODE,FUN_LCODE,FUN_RCODE,HOJOSW,BPFLG,KEIHKUBU FROM KAMOKUMST WHERE KCODE = :SYSCODE ";
inline constexpr std::string_view kCountAccount =
    "SELECT COUNT(*) FROM KAMOKUMST WHERE KCODE = :KCODE";

// Sub-accounts.
inline constexpr std::string_view kCountSubAccountsOfAccount =
    "SELECT COUNT(*) FROM HOJOMST WHERE KCODE =:SYSCODE";
inline constexpr std::string_view kMarkAccountWithSubAccounts =
    "UPDATE KAMOKUMST SET HOJOSW='○' WHERE KCODE =:SYSCODE ";
inline constexpr std::string_view kCountSubAccount =
    "SELECT COUNT(*) FROM HOJOMST WHERE KCODE=:KCODE AND HCODE=:HCODE";
inline constexpr std::string_view kUpdateSubAccount =
    "UPDATE HOJOMST SET HNAME=:HNAME,TAX_LCODE=:TAX_LCODE,TAX_RCODE=:TAX_RCODE,BPFLG=:BPFLG WHERE KCODE=:OLD_KCODE AND HCODE=:OLD_HCODE";
inline constexpr std::string_view kInsertSubAccount =
    "INSERT INTO HOJOMST(KCODE,HCODE,HKANA,HNAME,TAX_LCODE,TAX_RCODE,BPFLG) VALUES(:KCODE,:HCODE,:HKANA,:HNAME,:TAX_LCODE,:TAX_RCODE,:BPFLG)";
inline constexpr std::string_view kSelectAccountsWithSubAccounts =
    "SELECT KCODE FROM HOJOMST WHERE HCODE<>' ' GROUP BY KCODE ORDER BY KCODE ";
inline constexpr std::string_view kCountAllNineSubAccount =
    "SELECT COUNT(*) FROM HOJOMST WHERE KCODE =:KCODE AND HCODE= :HCODE ";
inline constexpr std::string_view kSelectAccountTaxAndSide =
    "SELECT TAX_LCODE,TAX_RCODE,BPFLG FROM KAMOKUMST WHERE KCODE =:SYSCODE ";
inline constexpr std::string_view kCreateSubAccountBalances =
    "SELECT OUT_SCODE,OUT_KCODE,OUT_HCODE FROM SP_HOJO_KAMOKUSZ_INS( :PSCODE,:PKCODE,:PHCODE )";

// Special accounts.
inline constexpr std::string_view kDeleteNoteAccount =
    "DELETE FROM ACCDEF2 WHERE KCODE= :KCODE ";
inline constexpr std::string_view kSetSpecialAccountCode =
    "UPDATE ACCDEF2 SET KCODE=:KCODE WHERE KNAME=:KNAME";
inline constexpr std::string_view kInsertNoteAccount =
    " INSERT INTO ACCDEF2(KCODE,KNAME,KGROUP,HYOUJYUN) VALUES(:NEWCODE, :NEWNAME,'',0)";

// Departments, branches and dictionaries.
inline constexpr std::string_view kInsertDepartment =
    "INSERT INTO BUMONMST(BCODE,BNAME) VALUES(:BCODE,:BNAME)";
inline constexpr std::string_view kInsertBranch =
    "INSERT INTO SISETUMST(SCODE,SNAME,BUMEX,XSTR1,XSTR2,XSTR3,XSTR4,XSTR5,XSTR6,XSTR7) VALUES(:SCODE,:SNAME,:BUMEX,:XSTR1,:XSTR2,:XSTR3,:XSTR4,:XSTR5,:XSTR6,:XSTR7)";
inline constexpr std::string_view kUpdateHeadOffice =
    "UPDATE SISETUMST SET XSTR1=:XSTR1,XSTR2=:XSTR2,XSTR3=:XSTR3,XSTR4=:XSTR4,XSTR5=:XSTR5,XSTR6=:XSTR6,XSTR7=:XSTR7 WHERE SCODE=' ' ";
inline constexpr std::string_view kSelectDictionaryTitle =
    "SELECT CREC  FROM TEKDICTI WHERE(SCODE=:SCODE) AND (SORTCODE=:SORTCODE)";
inline constexpr std::string_view kUpdateDictionaryTitle =
    "UPDATE TEKDICTI SET TEXT= :TEXT WHERE CREC= :CREC";
inline constexpr std::string_view kSelectAccountDebitTax =
    "SELECT TAX_LCODE FROM KAMOKUMST WHERE KCODE=:KamokuNaibuCD";
inline constexpr std::string_view kSelectAccountCreditTax =
    "SELECT TAX_RCODE FROM KAMOKUMST WHERE KCODE=:KamokuNaibuCD";
inline constexpr std::string_view kSelectSubAccountDebitTax =
    "SELECT TAX_LCODE FROM HOJOMST WHERE KCODE=:KamokuNaibuCD AND HCODE=:HCODE ";
inline constexpr std::string_view kSelectSubAccountCreditTax =
    "SELECT TAX_RCODE FROM HOJOMST WHERE KCODE=:KamokuNaibuCD AND HCODE=:HCODE ";
inline constexpr std::string_view kInsertDictionaryEntry =
    "INSERT INTO TEKDIC(TEKCODE,CREC,KANA,FNUM,TEXT,SCODE,\"ROW\",COL,KAR_KCODE,KAR_HCODE,KAR_BCODE,KAR_TAXCODE,KAS_KCODE,KAS_HCODE,KAS_BCODE,KAS_TAXCODE,WAITFLG,TAXOLD,TAXNUM,MOVEMENT,HAIBUN) VALUES(:TEKCODE,:CREC,:KANA,0,:TEXT,:SCODE,0,0,:KAR_KCODE,:KAR_HCODE,NULL,:KAR_TAXCODE,:KAS_KCODE,:KAS_HCODE,NULL,:KAS_TAXCODE,0,0,0,0,0)";

// Opening balances.
inline constexpr std::string_view kSelectAccountGroupAndSide =
    "SELECT GROUPM0,DAC FROM KAMOKUMST WHERE KCODE=:KCODE";
inline constexpr std::string_view kAddOpeningBalance =
    "UPDATE KAMOKU_SZ SET KISHU_KOMI=KISHU_KOMI+:KISHU_KOMI ,KISHU_NUKI=KISHU_NUKI+:KISHU_NUKI WHERE(SCODE=:SCODE)and(KCODE=:KCODE)and(HCODE=:HCODE)and(BCODE=:BCODE)";
inline constexpr std::string_view kSelectBalanceAccountsWithSubAccounts =
    "SELECT SCODE,KCODE FROM KAMOKU_SZ WHERE HCODE<>' ' GROUP BY SCODE,KCODE ";
inline constexpr std::string_view kCountSubAccountBalances =
    "SELECT COUNT(*) FROM KAMOKU_SZ WHERE (SCODE=:SCODE) AND (KCODE=:KCODE) AND (HCODE<>' ')";
inline constexpr std::string_view kSumAccountLevelOpening =
    "SELECT SUM(KISHU_KOMI) AS GOKEI FROM KAMOKU_SZ WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=' ' ";
inline constexpr std::string_view kSumNamedSubAccountOpening =
    "SELECT SUM(KISHU_KOMI) AS GOKEI FROM KAMOKU_SZ WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE<>' ' AND HCODE<>:ALL9";
inline constexpr std::string_view kSetOpeningBalance =
    "UPDATE KAMOKU_SZ SET KISHU_KOMI=:KISHU_KOMI ,KISHU_NUKI=:KISHU_NUKI  WHERE(SCODE=:SCODE)and(KCODE=:KCODE)and(HCODE=:HCODE)and(BCODE=:BCODE)";
inline constexpr std::string_view kClearPastBalancesOfRow =
    "UPDATE KAKOZAN SET KISHU=0,  KOMIZAN_1=0,KOMIZAN_2=0,KOMIZAN_3=0,KOMIZAN_4=0,KOMIZAN_5=0,KOMIZAN_6=0,KOMIZAN_7=0,KOMIZAN_8=0,  KOMIZAN_9=0,KOMIZAN_10=0,KOMIZAN_11=0,KOMIZAN_12=0,KOMIZAN_13=0,KOMIZAN_14=0,KOMIZAN_15=0,KOMIZAN_16=0,  NUKIZAN_1=0,NUKIZAN_2=0,NUKIZAN_3=0,NUKIZAN_4=0,NUKIZAN_5=0,NUKIZAN_6=0,NUKIZAN_7=0,NUKIZAN_8=0,    NUKIZAN_9=0,NUKIZAN_10=0,NUKIZAN_11=0,NUKIZAN_12=0,NUKIZAN_13=0,NUKIZAN_14=0,NUKIZAN_15=0,NUKIZAN_16=0 WHERE (SCODE=:SCODE) AND (KCODE=:KCODE) AND (HCODE=' ') AND (BCODE=:BCODE) AND (NENDO=0) ";
inline constexpr std::string_view kSelectBalanceAccounts =
    "SELECT SCODE,KCODE FROM KAMOKU_SZ  GROUP BY SCODE,KCODE";
inline constexpr std::string_view kSelectAllDepartmentOpening =
    "SELECT KISHU_KOMI  FROM KAMOKU_SZ  WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=' ' AND BCODE=' ' ";
inline constexpr std::string_view kSumNamedDepartmentOpening =
    "SELECT SUM(KISHU_KOMI) AS GOKEI FROM KAMOKU_SZ WHERE SCODE=:SCODE AND KCODE=:KCODE AND BCODE<>' ' AND BCODE<>'00' ";
inline constexpr std::string_view kClearProfitAndLossOpening =
    "UPDATE KAMOKU_SZ SET KISHU_KOMI=0,KISHU_NUKI=0 WHERE KCODE IN ( SELECT KCODE FROM KAMOKUMST WHERE BPFLG='P' ) ";

// Journals.
inline constexpr std::string_view kUnlinkVoucher =
    "UPDATE SIWAKE2 SET LINKKEY='',LINKKUB=9,LINKREC=0 WHERE SWKREC=(SELECT SWKREC FROM SIWAKE WHERE (DNUM=:DNUM) AND (TAISHAKU=1) ) ";
inline constexpr std::string_view kClearVoucherNumbers =
    "UPDATE SIWAKE  SET DNUM=0  ";
inline constexpr std::string_view kRunReTotal =
    "SELECT RPCNT FROM ONETIME_PRCOC";
inline constexpr std::string_view kDropReTotal =
    "DROP PROCEDURE ONETIME_PRCOC ;";

// Clearing past journals.
inline constexpr std::string_view kDeletePastJournals1 =
    "DELETE FROM KAKOSIWAKE1 ";
inline constexpr std::string_view kDeletePastJournals2 =
    "DELETE FROM KAKOSIWAKE2 ";
inline constexpr std::string_view kDeleteJournals =
    "DELETE FROM SIWAKE ";
inline constexpr std::string_view kClearOpeningBalances =
    "UPDATE KAMOKU_SZ SET KISHU_KOMI=0 ,KISHU_NUKI=0  ";
inline constexpr std::string_view kClearMonthTotals =
    "UPDATE KAMOKU_MS SET KAR_NUK=0 ,KAR_TAX=0 ,KAS_NUK=0 ,KAS_TAX=0 ,KAR_IKKATSU=0 ,KAS_IKKATSU=0 ";
inline constexpr std::string_view kClearTaxTotals =
    "UPDATE KAMOKU_TAX SET KAR=0 ,KAS=0  ";
inline constexpr std::string_view kClearJournalCounts =
    "UPDATE SISETUMST SET SIWAKECOUNT=0";
// What the year update of a dropped year left: the past balances of every year slot, and the closed
// year's monthly figures it kept beside the new year's movements.
inline constexpr std::string_view kClearPastBalances =
    "UPDATE KAKOZAN SET KISHU=0,KOMIZAN_1=0,NUKIZAN_1=0,IKKATSU_1=0,HAIBUN_1=0,KOMIZAN_2=0,NUKIZAN_2=0,IKKATSU_2=0,HAIBUN_2=0,KOMIZAN_3=0,NUKIZAN_3=0,IKKATSU_3=0,HAIBUN_3=0,KOMIZAN_4=0,NUKIZAN_4=0,IKKATSU_4=0,HAIBUN_4=0,KOMIZAN_5=0,NUKIZAN_5=0,IKKATSU_5=0,HAIBUN_5=0,KOMIZAN_6=0,NUKIZAN_6=0,IKKATSU_6=0,HAIBUN_6=0,KOMIZAN_7=0,NUKIZAN_7=0,IKKATSU_7=0,HAIBUN_7=0,KOMIZAN_8=0,NUKIZAN_8=0,IKKATSU_8=0,HAIBUN_8=0,KOMIZAN_9=0,NUKIZAN_9=0,IKKATSU_9=0,HAIBUN_9=0,KOMIZAN_10=0,NUKIZAN_10=0,IKKATSU_10=0,HAIBUN_10=0,KOMIZAN_11=0,NUKIZAN_11=0,IKKATSU_11=0,HAIBUN_11=0,KOMIZAN_12=0,NUKIZAN_12=0,IKKATSU_12=0,HAIBUN_12=0,KOMIZAN_13=0,NUKIZAN_13=0,IKKATSU_13=0,HAIBUN_13=0,KOMIZAN_14=0,NUKIZAN_14=0,IKKATSU_14=0,HAIBUN_14=0,KOMIZAN_15=0,NUKIZAN_15=0,IKKATSU_15=0,HAIBUN_15=0,KOMIZAN_16=0,NUKIZAN_16=0,IKKATSU_16=0,HAIBUN_16=0,TRIGGER_SWITCH=1";
inline constexpr std::string_view kClearPriorYearFigures =
    "UPDATE KAMOKU_MS SET BYOSAN=0 ";

// A format: the group and the start code of the note account.
inline constexpr std::string_view kSelectFirstFreeNoteCode =
    "SELECT MIN(KCODE) FROM KAMOKUMST WHERE ((GROUPM0 = '%s' ) AND (KCODE >= '%s')) "
    "AND (KCODE NOT IN (SELECT KCODE FROM ACCDEF2))";

// The re-total of the journal totals, created for one run and dropped again. A journal row whose balance or
// tax row is missing stops it with the row named (an update that finds no row would lose its yen), through
// an exception created and dropped with the procedure.
inline constexpr std::string_view kCreateReTotalException =
    "RECREATE EXCEPTION ONETIME_PRCOC_ERR '集計先の残高行がありません。'";
inline constexpr std::string_view kDropReTotalException = "DROP EXCEPTION ONETIME_PRCOC_ERR";
inline constexpr std::string_view kCreateReTotal =
    "RECREATE PROCEDURE ONETIME_PRCOC RETURNS ( RPCNT INTEGER ) AS "
    "DECLARE VARIABLE vREC INTEGER; "
    "DECLARE VARIABLE vTAISHAKU INTEGER; DECLARE VARIABLE vMNUM INTEGER; "
    "DECLARE VARIABLE vSCODE VARCHAR(6) CHARACTER SET ASCII; DECLARE VARIABLE vKCODE VARCHAR(6) CHARACTER SET ASCII; "
    "DECLARE VARIABLE vHCODE VARCHAR(6) CHARACTER SET ASCII; DECLARE VARIABLE vBCODE VARCHAR(6) CHARACTER SET ASCII; "
    "DECLARE VARIABLE vTAXUH INTEGER; DECLARE VARIABLE vNUK NUMERIC(16,4); DECLARE VARIABLE vZEI NUMERIC(16,4); "
    "DECLARE VARIABLE vKINGAKU NUMERIC(16,4); DECLARE VARIABLE vSiwakeCnt INTEGER; DECLARE VARIABLE vUseBumon INTEGER; "
    "DECLARE VARIABLE vFUSEN5 INTEGER; "
    "BEGIN "
    "  RPCNT = 0; "
    "  SELECT BUMON FROM ACCDEF1 WHERE REC=1 INTO :vUseBumon; "
    "  SUSPEND; "
    "  UPDATE KAMOKU_MS  SET KAR_NUK =0, KAR_TAX =0, KAS_NUK =0, KAS_TAX =0, KAR_IKKATSU =0, KAS_IKKATSU =0; "
    "  UPDATE KAMOKU_TAX SET KAR=0, KAS=0; "
    "  UPDATE SIWAKE SET FUSEN5=9 WHERE (DELFLG=0) AND (TEKTEXT='消費税振替') ; "
    "  FOR SELECT REC, TAISHAKU,  MNUM,  SCODE,  KCODE,  HCODE,  BCODE,  TAXUH,  NUK,  ZEI ,KINGAKU  ,FUSEN5 "
    "      FROM SIWAKE  WHERE (DELFLG=0) "
    "      INTO :vREC, :vTAISHAKU, :vMNUM, :vSCODE, :vKCODE, :vHCODE, :vBCODE, :vTAXUH, :vNUK, :vZEI, :vKINGAKU, :vFUSEN5 "
    "  DO BEGIN "
    "    RPCNT = RPCNT + 1; "
    "    IF (vTAISHAKU = 1) THEN "
    "      UPDATE KAMOKU_MS SET KAR_NUK = KAR_NUK + :vNUK, KAR_TAX = KAR_TAX + :vZEI, "
    "        KAR_IKKATSU = KAR_IKKATSU + IIF(:vFUSEN5 = 9, :vKINGAKU, 0) "
    "        WHERE (SCODE = :vSCODE) AND (KCODE = :vKCODE) AND (HCODE = :vHCODE) AND (BCODE = :vBCODE) AND (MNUM = :vMNUM); "
    "    ELSE IF (vTAISHAKU = 2) THEN "
    "      UPDATE KAMOKU_MS SET KAS_NUK = KAS_NUK + :vNUK, KAS_TAX = KAS_TAX + :vZEI, "
    "        KAS_IKKATSU = KAS_IKKATSU + IIF(:vFUSEN5 = 9, :vKINGAKU, 0) "
    "        WHERE (SCODE = :vSCODE) AND (KCODE = :vKCODE) AND (HCODE = :vHCODE) AND (BCODE = :vBCODE) AND (MNUM = :vMNUM); "
    "    IF (ROW_COUNT = 0) THEN "
    "      EXCEPTION ONETIME_PRCOC_ERR '仕訳 REC=' || vREC || ': 残高行(KAMOKU_MS)がありません SCODE=[' || vSCODE "
    "        || '] KCODE=[' || vKCODE || '] HCODE=[' || vHCODE || '] BCODE=[' || vBCODE || '] MNUM=' || vMNUM; "
    "    IF (vUseBumon <> 2) THEN vBCODE = ' '; "
    "    IF (vTAISHAKU = 1) THEN "
    "      UPDATE KAMOKU_TAX SET KAR = KAR + :vZEI "
    "        WHERE (SCODE = :vSCODE) AND (BCODE = :vBCODE) AND (KKUBUN = :vTAXUH) AND (MNUM = :vMNUM); "
    "    ELSE IF (vTAISHAKU = 2) THEN "
    "      UPDATE KAMOKU_TAX SET KAS = KAS + :vZEI "
    "        WHERE (SCODE = :vSCODE) AND (BCODE = :vBCODE) AND (KKUBUN = :vTAXUH) AND (MNUM = :vMNUM); "
    "    IF (ROW_COUNT = 0) THEN "
    "      EXCEPTION ONETIME_PRCOC_ERR '仕訳 REC=' || vREC || ': 消費税集計行(KAMOKU_TAX)がありません SCODE=[' || vSCODE "
    "        || '] BCODE=[' || vBCODE || '] 税区分=' || vTAXUH || ' MNUM=' || vMNUM; "
    "    IF (f_IsDivisibleBy(RPCNT, 5000) = 1) THEN SUSPEND; "
    "  END "
    "  FOR SELECT SCODE FROM SISETUMST ORDER BY SCODE INTO :vSCODE DO "
    "  BEGIN "
    "    SELECT COUNT(REC) FROM SIWAKE WHERE SCODE=:vSCODE AND DELFLG=0 AND TAISHAKU=1 INTO :vSiwakeCnt; "
    "    UPDATE SISETUMST SET SIWAKECOUNT=:vSiwakeCnt WHERE SCODE=:vSCODE; "
    "  END "
    "  SUSPEND; "
    "END";

// The past balance of a slot (1 to 16): added to, or set.
std::string AddPastBalanceOfSlot(int slot);
std::string SetPastBalanceOfSlot(int slot);

}  // namespace qz::writer::sql

namespace qz {

std::vector<TNamedStatement> WriterStatements();

}  // namespace qz
