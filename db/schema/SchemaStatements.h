#pragma once
// Every statement the builder of the product's databases sends (the schema scripts aside), in one place.
// The statement-catalog test prepares each of them (SchemaStatements below lists them).

#include "db/DbStatements.h"

#include <string_view>
#include <vector>

namespace qz::schema::sql {

// The template contents of a data database.
inline constexpr std::string_view kInsertNumber = "INSERT INTO SYS_NUMBERS (N) VALUES (:N)";
inline constexpr std::string_view kInsertAllDepartment = "INSERT INTO BUMONMST (BCODE, BNAME) VALUES (' ', '全部門')";
inline constexpr std::string_view kInsertHeadOffice = "INSERT INTO SISETUMST (SCODE, SNAME) VALUES (' ', '本店')";
inline constexpr std::string_view kInsertChartAccount =
    "INSERT INTO KAMOKUMST (KCODE, USERCODE, STDCODE, KNAME, USE, GROUPM0, GROUPM1, GROUPM2, BLDAC, DAC,"
    " TAX_LCODE, TAX_RCODE, FUN_LCODE, FUN_RCODE, HOJOSW, BPFLG, KEIHKUBU)"
    " VALUES (:KCODE, :STDCODE, :STDCODE, :KNAME, 1, :GROUPM0, :GROUPM1, :GROUPM2, :BLDAC, :DAC,"
    " :TAX_LCODE, :TAX_RCODE, :FUN_LCODE, :FUN_RCODE, '', :BPFLG, :KEIHKUBU)";
inline constexpr std::string_view kInsertAccountLevel =
    "INSERT INTO HOJOMST (KCODE, HCODE, HNAME, TAX_LCODE, TAX_RCODE, BPFLG)"
    " VALUES (:KCODE, ' ', :KNAME, :TAX_LCODE, :TAX_RCODE, :BPFLG)";
inline constexpr std::string_view kInsertBasicInformation =
    "INSERT INTO ACCDEF1 (REC, GROUPID, DATATYPE, CODETYPE, NENDO, KISHU, KIMATU, KAISI, SIME, KAISINO,"
    " SERIAL, ENTTEXT, SHOUGOU, NEW_TAX_RATE1, NEW_TAX_RATE2, NEW_TAX_RATE3, CHG_DAYS1, CHG_DAYS2,"
    " CHG_DAYS3, CASHFLOWSW, KESSAN_KIKAN, CASHFLOW_KIKAN1, CASHFLOW_KIKAN2)"
    " VALUES (1, 10000, :DATATYPE, :CODETYPE, 1, :KISHU, :KIMATU, :KISHU, 99, 1, '', '', '',"
    " 3, 5, 8, :CHG1, :CHG2, :CHG3, 0, -1, -1, -1)";
inline constexpr std::string_view kInsertSpecialAccount =
    "INSERT INTO ACCDEF2 (KNAME, KCODE, KGROUP, HYOUJYUN) VALUES (:KNAME, :KCODE, '', 1)";
inline constexpr std::string_view kInsertTotalName =
    "INSERT INTO ACCTOTALNAME (KGROUP, TOTALNAME, PLUSNAME) VALUES (:KGROUP, :NAME, :NAME)";
inline constexpr std::string_view kInsertDataVersion =
    "INSERT INTO ACCVERSION (MAJOR, MINOR1, MINOR2) VALUES (:MAJOR, :MINOR1, :MINOR2)";
// Tables the product keeps exactly one row in.
inline constexpr std::string_view kSingleRowInserts[] = {
    "INSERT INTO TAX_KAZEIHOUSIKI (REC) VALUES (1)", "INSERT INTO KESSAN (REC) VALUES (1)",
    "INSERT INTO AO_SINKOKU (REC) VALUES (1)",       "INSERT INTO EXTERKS (REC) VALUES (1)",
    "INSERT INTO TUSIN_ID (REC, HOLDER, PASWORD) VALUES (1, '', '')",
    "INSERT INTO MSD_HOUKOKU_LO1 (REC) VALUES (1)",
};
inline constexpr std::string_view kInsertAuditReportItem =
    "INSERT INTO MSD_HOUKOKU (MDGROUP, MDCODE) VALUES ('監事監査報告書', :MDCODE)";
inline constexpr std::string_view kInsertTemplateHistory = "INSERT INTO OPINF (JOBNAME) VALUES ('テンプレート作成')";

// The system database.
inline constexpr std::string_view kInsertFreeDataFolder =
    "INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, PASNAME, NENDO) VALUES (:REC, 10000, '', :PASNAME, 1)";
inline constexpr std::string_view kInsertConversionOperator =
    "INSERT INTO OPERATOR (USERCODE, GROUPID, USERNAME, USERLEVEL) VALUES (100009999, 10000, 'コンバート', 9)";

}  // namespace qz::schema::sql

namespace qz::schema {

std::vector<TNamedStatement> SchemaStatements();

}  // namespace qz::schema
