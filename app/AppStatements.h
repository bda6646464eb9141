#pragma once
// Every statement the front end's engine part sends, in one place. The statement-catalog test prepares
// each of them (AppStatements below lists them).

#include "db/DbStatements.h"

#include <string_view>
#include <vector>

namespace qz::app::sql {

// The destination's row of the data-folder registry while a conversion runs: marked in progress, completed
// with the new data set's basic information and version, or reset after a failure.
inline constexpr std::string_view kMarkDataListInProgress =
    "UPDATE DATALIST SET ENTTEXT= :ENTTEXT ,KISHU= :KISHU,KIMATU= :KIMATU WHERE REC=:REC ";
inline constexpr std::string_view kCompleteDataList =
    "UPDATE DATALIST SET ENTTEXT=:ENTTEXT,DATACODE=:SCODE1,SHOUGOU=:SHOUGOU,NETDRIVE=0,DATATYPE=:DATATYPE,"
    "CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,"
    "VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT WHERE REC=:REC ";
inline constexpr std::string_view kResetDataList = "UPDATE DATALIST SET ENTTEXT='',KISHU=NULL ,KIMATU=NULL WHERE REC=:REC ";

}  // namespace qz::app::sql

namespace qz {

std::vector<TNamedStatement> AppStatements();

}  // namespace qz
