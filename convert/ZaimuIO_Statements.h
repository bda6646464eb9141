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

}  // namespace qz::convert::sql

namespace qz {

std::vector<TNamedStatement> ConvertStatements();

}  // namespace qz
