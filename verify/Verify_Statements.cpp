#include "verify/Verify_Statements.h"

namespace qz {

std::vector<TNamedStatement> VerifyStatements()
{
    using enum TStatementDb;
    return {QZ_NAMED_STATEMENT(Data, verify::sql::kSelectAccounts),
            QZ_NAMED_STATEMENT(Data, verify::sql::kSumOpeningBalances),
            QZ_NAMED_STATEMENT(Data, verify::sql::kSumSlotMovements),
            QZ_NAMED_STATEMENT(Data, verify::sql::kSumSlotTax),
            QZ_NAMED_STATEMENT(Data, verify::sql::kSumPastBalances),
            QZ_NAMED_STATEMENT(Data, verify::sql::kSumCurrentJournals),
            QZ_NAMED_STATEMENT(Data, verify::sql::kSumPriorJournals),
            QZ_NAMED_STATEMENT(Data, verify::sql::kSumPriorPriorJournals)};
}

}  // namespace qz
