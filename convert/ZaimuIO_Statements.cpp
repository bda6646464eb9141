#include "convert/ZaimuIO_Statements.h"

namespace qz {

std::vector<TNamedStatement> ConvertStatements()
{
    using enum TStatementDb;
    return {QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSortedJournalsForLog),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxIncludedOfAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxIncludedOfSubAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxExcludedOfAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSumCarriedTaxExcludedOfSubAccount),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectBranchName),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectAccountName),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSubAccountName)};
}

}  // namespace qz
