#pragma once
// Every statement the front end's engine part sends, in one place. The statement-catalog test prepares
// each of them (AppStatements below lists them).

#include "db/DbStatements.h"

#include <string_view>
#include <vector>

namespace qz::app::sql {

// The data folders of the installation, for the destination grid.
inline constexpr std::string_view kSelectDataListForGrid =
    "SELECT REC,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,KISHU,KIMATU,DATACODE FROM DATALIST ORDER BY REC";

// The destination's row of the data-folder registry while a conversion runs: claimed (marked in progress
// only while it is still free, so that of two conversions choosing the same row one takes it), completed
// with the new data set's basic information and version, or reset after a failure.
inline constexpr std::string_view kClaimDataListRow =
    "UPDATE DATALIST SET ENTTEXT= :ENTTEXT ,KISHU= :KISHU,KIMATU= :KIMATU WHERE REC=:REC "
    "AND (ENTTEXT IS NULL OR ENTTEXT='')";
inline constexpr std::string_view kCompleteDataList =
    "UPDATE DATALIST SET ENTTEXT=:ENTTEXT,DATACODE=:SCODE1,SHOUGOU=:SHOUGOU,NETDRIVE=0,DATATYPE=:DATATYPE,"
    "CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,"
    "VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT WHERE REC=:REC ";
inline constexpr std::string_view kResetDataList = "UPDATE DATALIST SET ENTTEXT='',KISHU=NULL ,KIMATU=NULL WHERE REC=:REC ";

// The journal entries a completed conversion holds per year (one debit row per entry): the current year,
// the prior year and the prior-prior year.
inline constexpr std::string_view kCountCurrentJournals =
    "SELECT COUNT(REC) FROM SIWAKE WHERE DELFLG=0 AND TAISHAKU=1";
inline constexpr std::string_view kCountPriorJournals =
    "SELECT COUNT(REC) FROM KAKOSIWAKE1 WHERE DELFLG=0 AND TAISHAKU=1";
inline constexpr std::string_view kCountPriorPriorJournals =
    "SELECT COUNT(REC) FROM KAKOSIWAKE2 WHERE DELFLG=0 AND TAISHAKU=1";

}  // namespace qz::app::sql

namespace qz {

std::vector<TNamedStatement> AppStatements();

}  // namespace qz
