#include "convert/ZaimuIO_Statements.h"

namespace qz {

std::vector<TNamedStatement> ConvertStatements()
{
    using enum TStatementDb;
    return {QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSortedJournalsForLog),
            QZ_NAMED_STATEMENT(Data, convert::sql::kDeleteBranchDepartment)};
}

}  // namespace qz
