#include "convert/ZaimuIO_Statements.h"

namespace qz {

std::vector<TNamedStatement> ConvertStatements()
{
    using enum TStatementDb;
    return {QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSortedJournalsForLog),
            // Journals
            QZ_NAMED_STATEMENT(Data, convert::sql::kRecreateJournalSortTable),
            QZ_NAMED_STATEMENT(Data, convert::sql::kDropJournalSortTable),
            QZ_NAMED_STATEMENT(Data, convert::sql::kInsertJournalSortRow),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSortedJournals),
            QZ_NAMED_STATEMENT(Data, convert::sql::kSelectSubAccountOfAccount)};
}

}  // namespace qz
