#include "app/AppStatements.h"

namespace qz {

std::vector<TNamedStatement> AppStatements()
{
    using enum TStatementDb;
    return {QZ_NAMED_STATEMENT(System, app::sql::kSelectDataListForGrid),
            QZ_NAMED_STATEMENT(System, app::sql::kClaimDataListRow),
            QZ_NAMED_STATEMENT(System, app::sql::kCompleteDataList),
            QZ_NAMED_STATEMENT(System, app::sql::kResetDataList),
            QZ_NAMED_STATEMENT(Data, app::sql::kCountCurrentJournals),
            QZ_NAMED_STATEMENT(Data, app::sql::kCountPriorJournals),
            QZ_NAMED_STATEMENT(Data, app::sql::kCountPriorPriorJournals)};
}

}  // namespace qz
