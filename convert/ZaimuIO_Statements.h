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

// Departments and branches: a branch gives up a department the extract does not let it manage.
inline constexpr std::string_view kDeleteBranchDepartment = "DELETE FROM SISETUBUM WHERE (SCODE=:SCODE) AND (BCODE=:BCODE) ";

}  // namespace qz::convert::sql

namespace qz {

std::vector<TNamedStatement> ConvertStatements();

}  // namespace qz
