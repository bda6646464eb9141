#include "db/DbStatements.h"

#include "common/Format.h"

namespace qz {

std::vector<std::string> sql::JournalNumberGenerators()
{
    std::vector<std::string> generators = {"SIWAKE_REC_GEN"};
    for (int branch = 0; branch <= 99; ++branch)
        generators.push_back(Format("SIWAKE%02d_GEN", branch));
    return generators;
}

std::vector<TNamedStatement> DbStatements()
{
    using enum TStatementDb;
    using namespace sql;
    std::vector<TNamedStatement> statements = {
        {"kProcedureInputs/System", System, std::string(kProcedureInputs)},
        {"kProcedureInputs/Data", Data, std::string(kProcedureInputs)},
        QZ_NAMED_STATEMENT(Data, kSelectSetting),
        QZ_NAMED_STATEMENT(Data, kInsertDefaultSetting),
        QZ_NAMED_STATEMENT(Data, kCountSetting),
        QZ_NAMED_STATEMENT(Data, kUpdateSetting),
        QZ_NAMED_STATEMENT(Data, kInsertSetting),
        QZ_NAMED_STATEMENT(System, kFileOperation),
        QZ_NAMED_STATEMENT(System, kDirectoryTest),
        QZ_NAMED_STATEMENT(System, kLongToShortFileName),
        QZ_NAMED_STATEMENT(Data, kSelectBasicInformation),
        QZ_NAMED_STATEMENT(Data, kSelectDataVersion),
        QZ_NAMED_STATEMENT(Data, kSelectTotalName),
        QZ_NAMED_STATEMENT(Data, kSelectTotalPlusName),
        QZ_NAMED_STATEMENT(Data, kCountTableFields),
        QZ_NAMED_STATEMENT(Data, kSelectSpecialAccount),
        QZ_NAMED_STATEMENT(Data, kSelectUserCode),
        QZ_NAMED_STATEMENT(Data, kSelectTusinId),
        QZ_NAMED_STATEMENT(Data, kSelectJournalCountOfBranch),
        QZ_NAMED_STATEMENT(Data, kSumJournalCounts),
        QZ_NAMED_STATEMENT(Data, kCountChangedJournals),
        QZ_NAMED_STATEMENT(Data, kCountChangedJournalsOfBranch),
        QZ_NAMED_STATEMENT(Data, kDeleteOperationHistory),
        QZ_NAMED_STATEMENT(System, kSelectDataListByRec),
        QZ_NAMED_STATEMENT(System, kSelectDataListExByRec),
        QZ_NAMED_STATEMENT(System, kSelectChildDataListByRec),
        QZ_NAMED_STATEMENT(System, kSelectDataListByPath),
        QZ_NAMED_STATEMENT(System, kSelectDataListExByPath),
        QZ_NAMED_STATEMENT(System, kSelectChildDataListOfRec),
        QZ_NAMED_STATEMENT(System, kUpdateDataList),
        QZ_NAMED_STATEMENT(System, kUpdateDataListEx),
        QZ_NAMED_STATEMENT(System, kCountChildDataListRow),
        QZ_NAMED_STATEMENT(System, kUpdateChildDataList),
        QZ_NAMED_STATEMENT(System, kInsertChildDataList),
        QZ_NAMED_STATEMENT(System, kCountChildDataListOfRec),
        QZ_NAMED_STATEMENT(System, kSelectRecOfPath),
        QZ_NAMED_STATEMENT(System, kSelectRecOfPathEx),
        QZ_NAMED_STATEMENT(System, kCountRowsOfPath),
        QZ_NAMED_STATEMENT(System, kSelectSharePathOfRec),
        QZ_NAMED_STATEMENT(System, kSelectPathOfRec),
        QZ_NAMED_STATEMENT(System, kSelectChildPathsOfRec),
    };
    // Resetting the journal numbers, as the writer and the year update do.
    for (const std::string& generator : JournalNumberGenerators())
        statements.push_back({"kSetGenerator(" + generator + ")", Data, Format(kSetGenerator, generator, 0)});
    return statements;
}

}  // namespace qz
