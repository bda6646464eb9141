#pragma once
// Every statement the journal module sends, in one place. The statement-catalog test prepares each of
// them (JournalStatements below lists them).

#include "db/DbStatements.h"

#include <string_view>
#include <vector>

namespace qz::journal::sql {

// The balance rows of a branch with their account, sub-account, department and branch.
#define QZ_KAMOKU_SZ_COLUMNS                                                                                   \
    "SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE,SI.SNAME,KM.KCODE,KM.USERCODE,KM.REC,KM.GROUPM1,KM.GROUPM2,KM.KNAME," \
    "KM.BLDAC,KM.DAC,KM.DELFLG,KM.TAX_LCODE,KM.TAX_RCODE,KM.FUN_LCODE,KM.FUN_RCODE,KM.HOJOSW,KM.BPFLG,"        \
    "KM.KEIHKUBU,KM.EXT1_A4,KM.EXT1_A3,KM.EXT1_KS,HM.HNAME,HM.REC AS H_REC,HM.TAX_LCODE AS H_TAX_LCODE,"        \
    "HM.TAX_RCODE AS H_TAX_RCODE,HM.BPFLG,HM.SIME,HM.SAITO,HM.CoDATE,HM.GENDO,HM.WARIAISW,HM.WARI1,HM.WARI2,"   \
    "HM.WARI3,HM.TEGATA,HM.YOKKMK,HM.YOKHOJ,HM.ADDRESS,HM.KOUZA,HM.BANK,HM.SITEN,HM.KANKEI,HM.TORIHIK,"        \
    "HM.RIRITU,HM.RIYUU,HM.TANPO,HM.YOUTO,HM.FURIKOMI,HM.KARINAME,HM.KARIDADD,BU.BNAME"
#define QZ_KAMOKU_SZ_JOINS                                                                                     \
    "\nINNER JOIN SISETUMST SI ON (SZ.SCODE = SI.SCODE)"                                                        \
    "\nINNER JOIN BUMONMST  BU ON (SZ.BCODE = BU.BCODE)"                                                        \
    "\nINNER JOIN KAMOKUMST KM ON (SZ.KCODE = KM.KCODE)"                                                        \
    "\nINNER JOIN HOJOMST   HM ON (SZ.KCODE = HM.KCODE AND SZ.HCODE=HM.HCODE)"

inline constexpr std::string_view kCountBranchRows =
    "SELECT COUNT(SZ.SCODE) AS RECCNT FROM KAMOKU_SZ SZ" QZ_KAMOKU_SZ_JOINS "\nWHERE SZ.SCODE=:SCODE";
inline constexpr std::string_view kSelectBranchRows =
    "SELECT " QZ_KAMOKU_SZ_COLUMNS " FROM KAMOKU_SZ SZ" QZ_KAMOKU_SZ_JOINS
    "\nWHERE SZ.SCODE=:SCODE\nORDER BY SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE";

// The balance row of one side of an entry, without and with its department.
inline constexpr std::string_view kSelectSideRow =
    "SELECT " QZ_KAMOKU_SZ_COLUMNS " FROM KAMOKU_SZ SZ" QZ_KAMOKU_SZ_JOINS
    "\nWHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE";
inline constexpr std::string_view kSelectSideRowOfDepartment =
    "SELECT " QZ_KAMOKU_SZ_COLUMNS " FROM KAMOKU_SZ SZ" QZ_KAMOKU_SZ_JOINS
    "\nWHERE SZ.SCODE=:SCODE AND KM.USERCODE=:USERCODE AND SZ.HCODE=:HCODE\nAND SZ.BCODE=:BCODE";

// An account's balance rows without department (more than one: it has sub-accounts), and its department
// rows at account level (more than one: it is kept by department).
inline constexpr std::string_view kCountRowsWithoutDepartment =
    "SELECT COUNT(K.SCODE) FROM KAMOKU_SZ K\nINNER JOIN KAMOKUMST KM ON (K.KCODE=KM.KCODE)\n"
    "WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.BCODE=' ')";
inline constexpr std::string_view kCountDepartmentRows =
    "SELECT COUNT(K.SCODE) FROM KAMOKU_SZ K\nINNER JOIN KAMOKUMST KM ON (K.KCODE=KM.KCODE)\n"
    "WHERE (K.SCODE=:SCODE) AND (KM.USERCODE=:USERCODE) AND (K.HCODE=' ') AND (K.BCODE<>' ')";

#undef QZ_KAMOKU_SZ_COLUMNS
#undef QZ_KAMOKU_SZ_JOINS

// Storing and replacing an entry. The site record of an entry came with data version 6.1; older data
// databases answer 0 for it.
#define QZ_SIWAKE_PARAMS                                                                                       \
    ":HIZUKE,:MNUM,:KESSAN,:SDAYNUM,:MDAYNUM,:DNUM,:SNUM,:SCODE,:L_KGROUP,:L_KCODE,:L_HCODE,:L_BCODE,:L_KNAME,"  \
    ":L_HNAME,:L_BNAME,:L_TAXCODE,:L_TAXUH,:L_TAXDC,:L_NUK,:L_ZEI,:L_RIT,:L_SIKIN,:R_KGROUP,:R_KCODE,:R_HCODE,"  \
    ":R_BCODE,:R_KNAME,:R_HNAME,:R_BNAME,:R_TAXCODE,:R_TAXUH,:R_TAXDC,:R_NUK,:R_ZEI,:R_RIT,:R_SIKIN,:KINGAKU,"   \
    ":ZEIGAKU,:ZEIRITUNO,:AUTCALCU,:TAXCALCU,:OLDRATE,:TEKCODE,:TEKTEXT,:TORCODE,:TORTEXT, :FUSEN1,:FUSEN2,"     \
    ":FUSEN3,:FUSEN4,:FUSEN5,:CTIME,:COMMENT,:AO_COMMENT,:LINKKEY,:LINKKUB,:LINKREC,:LOCALFLG,:Reserve1,"        \
    ":Reserve2,:OPNCODE "

inline constexpr std::string_view kInsertJournal =
    "SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,NEWSITREC FROM SP_SIWAKE_INS(" QZ_SIWAKE_PARAMS ")";
inline constexpr std::string_view kInsertJournalBefore61 =
    "SELECT NEWREC,NEWSWKREC,NEWSDAYNUM,0 AS NEWSITREC FROM SP_SIWAKE_INS(" QZ_SIWAKE_PARAMS ")";
inline constexpr std::string_view kUpdateJournal =
    "SELECT NEWREC,NEWSWKREC,NEWSWKNO,UPREC,NEWSDAYNUM FROM SP_SIWAKE_UPD(:REC,:SWKREC,:SWKNO,:DELFLG," QZ_SIWAKE_PARAMS ")";

#undef QZ_SIWAKE_PARAMS

// The branches of the data set (the conversion's operator, of level 9, may use every one).
inline constexpr std::string_view kSelectBranches = "SELECT SCODE FROM SISETUMST";

}  // namespace qz::journal::sql

namespace qz {

std::vector<TNamedStatement> JournalStatements();

}  // namespace qz
