#include "journal/SiwakeStatements.h"

namespace qz {

std::vector<TNamedStatement> JournalStatements()
{
    using enum TStatementDb;
    TNamedStatement insert = QZ_NAMED_STATEMENT(Data, journal::sql::kInsertJournal);
    insert.MinMinor1 = 1;
    return {
        QZ_NAMED_STATEMENT(Data, journal::sql::kCountBranchRows),
        QZ_NAMED_STATEMENT(Data, journal::sql::kSelectBranchRows),
        QZ_NAMED_STATEMENT(Data, journal::sql::kSelectSideRow),
        QZ_NAMED_STATEMENT(Data, journal::sql::kSelectSideRowOfDepartment),
        QZ_NAMED_STATEMENT(Data, journal::sql::kCountRowsWithoutDepartment),
        QZ_NAMED_STATEMENT(Data, journal::sql::kCountDepartmentRows),
        insert,
        QZ_NAMED_STATEMENT(Data, journal::sql::kInsertJournalBefore61),
        QZ_NAMED_STATEMENT(Data, journal::sql::kUpdateJournal),
        QZ_NAMED_STATEMENT(Data, journal::sql::kSelectBranches),
    };
}

}  // namespace qz
