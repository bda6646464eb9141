#pragma once
// Every statement the database layer sends, in one place. The statement-catalog test prepares each
// of them against the product's databases (DbStatements below lists them).

#include <string>
#include <string_view>
#include <vector>

namespace qz {

// A statement of the program as the catalog test prepares it.
enum class TStatementDb { System, Data };
struct TNamedStatement {
    std::string Name;
    TStatementDb Db;
    std::string Sql;
    int MinMinor1 = 0;  // data version 6.x the statement needs (the site record of journals came with 6.1)
};

// The catalog entry of a statement constant, named after the constant.
#define QZ_NAMED_STATEMENT(db, constant) ::qz::TNamedStatement{#constant, db, std::string(constant)}

namespace sql {

// Inputs of a selectable stored procedure, to build "SELECT * FROM name(:P1, ...)" for it.
inline constexpr std::string_view kProcedureInputs =
    "SELECT RDB$PARAMETER_NAME FROM RDB$PROCEDURE_PARAMETERS "
    "WHERE RDB$PROCEDURE_NAME = :NAME AND RDB$PARAMETER_TYPE = 0 ORDER BY RDB$PARAMETER_NUMBER";

// Settings registry ACCREG of a data database.
inline constexpr std::string_view kSelectSetting = "SELECT ATYPE,ATEXT FROM ACCREG WHERE AGROUP=:AGROUP AND ACODE=:ACODE ";
inline constexpr std::string_view kInsertDefaultSetting =
    "INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT) VALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)";
inline constexpr std::string_view kCountSetting =
    "SELECT COUNT(AGROUP) AS RECCNT FROM ACCREG\nWHERE (AGROUP=:AGROUP) AND (ACODE=:ACODE)";
inline constexpr std::string_view kUpdateSetting = "UPDATE ACCREG SET ATEXT=:ATEXT\nWHERE AGROUP=:AGROUP AND ACODE=:ACODE";
inline constexpr std::string_view kInsertSetting =
    "INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT)\nVALUES(:AGROUP,:ACODE,:ATYPE,:ATEXT)";

// Server-side file operations of the system database.
inline constexpr std::string_view kFileOperation = "SELECT WBOOL FROM FILEOPERATION(:MODE,:FILEPATH1,:FILEPATH2)";
inline constexpr std::string_view kDirectoryTest = "SELECT WBOOL FROM DIRECTORYTEST(:MODE,:FILEPATH1)";
inline constexpr std::string_view kLongToShortFileName = "SELECT SHORTNAME FROM LONGTOSHORTFILENAME(:LONGNAME)";

// Basic information of a data database.
inline constexpr std::string_view kSelectBasicInformation = "SELECT * FROM ACCDEF1";
inline constexpr std::string_view kSelectDataVersion =
    "SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION\nORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC";
inline constexpr std::string_view kSelectTotalName = "SELECT TOTALNAME FROM ACCTOTALNAME\nWHERE KGROUP=:KGROUP";
inline constexpr std::string_view kSelectTotalPlusName = "SELECT PLUSNAME FROM ACCTOTALNAME\nWHERE KGROUP=:KGROUP";
inline constexpr std::string_view kCountTableFields =
    "SELECT Count(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=:Table_NAME";
inline constexpr std::string_view kSelectSpecialAccount =
    "SELECT A.KCODE,K.USERCODE FROM ACCDEF2 A\nINNER JOIN KAMOKUMST K ON (A.KCODE=K.KCODE)\nWHERE A.KNAME=:NAME";
inline constexpr std::string_view kSelectUserCode = "SELECT USERCODE FROM KAMOKUMST\nWHERE KCODE=:KCODE";
inline constexpr std::string_view kSelectTusinId = "SELECT REC,HOLDER,PASWORD FROM TUSIN_ID\nWHERE REC=:REC";
// A format: the generator's name and its new value.
inline constexpr std::string_view kSetGenerator = "SET GENERATOR %s TO %d";
// The generators that number the journals: SIWAKE_REC_GEN and one per branch, SIWAKE00_GEN to SIWAKE99_GEN.
std::vector<std::string> JournalNumberGenerators();

// Journal counts, of one branch or of all.
inline constexpr std::string_view kSelectJournalCountOfBranch = "SELECT SIWAKECOUNT AS SWKCNT FROM SISETUMST\nWHERE (SCODE=:SCODE)";
inline constexpr std::string_view kSumJournalCounts = "SELECT SUM(SIWAKECOUNT) AS SWKCNT FROM SISETUMST";
inline constexpr std::string_view kCountChangedJournals =
    "SELECT COUNT(REC) AS SWKCNT FROM SIWAKE\nWHERE (DELFLG IN (1,2) AND TAISHAKU=1)";
inline constexpr std::string_view kCountChangedJournalsOfBranch =
    "SELECT COUNT(REC) AS SWKCNT FROM SIWAKE\nWHERE (DELFLG IN (1,2) AND TAISHAKU=1)\nAND (SCODE=:SCODE)";

// A restored data database starts without an operation history.
inline constexpr std::string_view kDeleteOperationHistory = "DELETE FROM OPINF";

// The registry of data folders: DATALIST, DATALIST_EX (one set of rows per data place on a server) and
// CHILD_DATALIST.
#define QZ_DATALIST_COLUMNS                                                                                  \
    "ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,KISHU,KIMATU,DATALOCK,KYOYULOCK,TANTOU,"     \
    "VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,UPDATE_LOCK,GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3"
#define QZ_DATALIST_SET                                                                                      \
    "SET PASNAME=:PASNAME,ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU,NETDRIVE=:NETDRIVE,\n"                          \
    "DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,\n"                    \
    "DATALOCK=:DATALOCK,KYOYULOCK=:KYOYULOCK,TANTOU=:TANTOU,\n"                                            \
    "VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,\n"             \
    "UPDATE_LOCK=:UPDATE_LOCK,GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,"                 \
    "YOBI1=:YOBI1,YOBI2=:YOBI2,YOBI3=:YOBI3"

inline constexpr std::string_view kSelectDataListByRec =
    "SELECT REC,0 AS ROWNO," QZ_DATALIST_COLUMNS "\nFROM DATALIST\nWHERE (REC=:REC) AND (GROUPID=:GROUPID)";
inline constexpr std::string_view kSelectDataListExByRec =
    "SELECT REC,0 AS ROWNO," QZ_DATALIST_COLUMNS
    "\nFROM DATALIST_EX\nWHERE (REC=:REC) AND (GROUPID=:GROUPID)\nAND (DATAPLACEREC=:DATAPLACEREC)";
inline constexpr std::string_view kSelectChildDataListByRec =
    "SELECT REC,ROWNO," QZ_DATALIST_COLUMNS "\nFROM CHILD_DATALIST\nWHERE (REC=:REC) AND (ROWNO=:ROWNO) AND (GROUPID=:GROUPID)";
inline constexpr std::string_view kSelectDataListByPath =
    "SELECT REC,0 AS ROWNO," QZ_DATALIST_COLUMNS "\nFROM DATALIST\nWHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)";
inline constexpr std::string_view kSelectDataListExByPath =
    "SELECT REC,0 AS ROWNO," QZ_DATALIST_COLUMNS
    "\nFROM DATALIST_EX\nWHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)\nAND (DATAPLACEREC=:DATAPLACEREC)";
inline constexpr std::string_view kSelectChildDataListOfRec =
    "SELECT REC,ROWNO," QZ_DATALIST_COLUMNS "\nFROM CHILD_DATALIST\nWHERE (REC=:REC) AND (GROUPID=:GROUPID)\nORDER BY PASNAME";
inline constexpr std::string_view kUpdateDataList = "UPDATE DATALIST\n" QZ_DATALIST_SET "\nWHERE (REC=:REC)";
inline constexpr std::string_view kUpdateDataListEx =
    "UPDATE DATALIST_EX\n" QZ_DATALIST_SET "\nWHERE (REC=:REC)\nAND (DATAPLACEREC=:DATAPLACEREC)";
inline constexpr std::string_view kCountChildDataListRow =
    "SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST\nWHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID";
inline constexpr std::string_view kUpdateChildDataList =
    "UPDATE CHILD_DATALIST SET ENTTEXT=:ENTTEXT,SHOUGOU=:SHOUGOU,PASNAME=:PASNAME,NETDRIVE=:NETDRIVE,"
    "DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,NENDO=:NENDO,KISHU=:KISHU,KIMATU=:KIMATU,"
    "DATALOCK=:DATALOCK,TANTOU=:TANTOU,VER_MAJOR=:VER_MAJOR,VER_MINOR1=:VER_MINOR1,"
    "VER_MINOR2=:VER_MINOR2,VER_TEXT=:VER_TEXT,KYOYULOCK=:KYOYULOCK,UPDATE_LOCK=:UPDATE_LOCK,"
    "GASSAN=:GASSAN,DATACODE=:DATACODE,DATA_STATUS=:DATA_STATUS,YOBI1=:YOBI1,YOBI2=:YOBI2,"
    "YOBI3=:YOBI3\nWHERE REC=:REC AND ROWNO=:ROWNO AND GROUPID=:GROUPID";
inline constexpr std::string_view kInsertChildDataList =
    "INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,SHOUGOU,PASNAME,NETDRIVE,DATATYPE,CODETYPE,NENDO,\n"
    "KISHU,KIMATU,DATALOCK,TANTOU,VER_MAJOR,VER_MINOR1,VER_MINOR2,VER_TEXT,KYOYULOCK,UPDATE_LOCK,"
    "GASSAN,DATACODE,DATA_STATUS,YOBI1,YOBI2,YOBI3)\n"
    "VALUES(:REC,:ROWNO,:GROUPID,:ENTTEXT,:SHOUGOU,:PASNAME,:NETDRIVE,:DATATYPE,:CODETYPE,:NENDO,"
    ":KISHU,:KIMATU,:DATALOCK,:TANTOU,:VER_MAJOR,:VER_MINOR1,:VER_MINOR2,:VER_TEXT,:KYOYULOCK,"
    ":UPDATE_LOCK,:GASSAN,:DATACODE,:DATA_STATUS,:YOBI1,:YOBI2,:YOBI3)";
inline constexpr std::string_view kCountChildDataListOfRec =
    "SELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST\nWHERE (REC=:REC) AND (GROUPID=:GROUPID)";
inline constexpr std::string_view kSelectRecOfPath = "SELECT REC FROM DATALIST\nWHERE (PASNAME=:PASNAME)";
inline constexpr std::string_view kSelectRecOfPathEx =
    "SELECT REC FROM DATALIST_EX\nWHERE (PASNAME=:PASNAME)\nAND (DATAPLACEREC=:DATAPLACEREC)";
inline constexpr std::string_view kCountRowsOfPath =
    "SELECT COUNT(REC) AS RECCNT FROM DATALIST\nWHERE (GROUPID=:GROUPID1) AND (UPPER(PASNAME)=:PASNAME1)\n"
    "UNION\nSELECT COUNT(REC) AS RECCNT FROM CHILD_DATALIST\nWHERE (GROUPID=:GROUPID2) AND (UPPER(PASNAME)=:PASNAME2)";
inline constexpr std::string_view kSelectSharePathOfRec = "SELECT REC,PASNAME,NETDRIVE,KYOYULOCK FROM DATALIST\nWHERE REC=:REC";
inline constexpr std::string_view kSelectPathOfRec = "SELECT PASNAME FROM DATALIST\nWHERE (REC=:REC)";
inline constexpr std::string_view kSelectChildPathsOfRec = "SELECT PASNAME FROM CHILD_DATALIST\nWHERE (REC=:REC)";

#undef QZ_DATALIST_COLUMNS
#undef QZ_DATALIST_SET

}  // namespace sql

// The statements above as the catalog test prepares them (formats filled in as the program fills them).
std::vector<TNamedStatement> DbStatements();

}  // namespace qz
