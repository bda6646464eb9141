#include "db/SqlHelpers.h"

#include "common/Format.h"
#include "common/SjisText.h"
#include "db/DbStatements.h"
#include "db/ErrorReport.h"

namespace qz {
namespace {

fb::TTransaction& DefaultTransaction(TDM& dm, std::string_view database, bool snapshot)
{
    if (database == "ACCDEF")
        return dm.IBTransactionDEF;
    return snapshot ? dm.IBTransactionDATSS : dm.IBTransactionDAT;
}

}  // namespace

std::unique_ptr<fb::TStatement> NewQuery(TDM& dm, std::string_view database, bool snapshot)
{
    return std::make_unique<fb::TStatement>(DefaultTransaction(dm, database, snapshot));
}

std::unique_ptr<fb::TStatement> NewSQL(TDM& dm, std::string_view database)
{
    return NewQuery(dm, database, false);
}

std::unique_ptr<fb::TStatement> NewStoredProc(TDM& dm, std::string_view database, std::string_view procedure)
{
    fb::TTransaction& transaction = DefaultTransaction(dm, database, false);
    try {
        fb::TTransactionScope scope(transaction);
        fb::TStatement parameters(transaction);
        parameters.Prepare(sql::kProcedureInputs);
        parameters.SetString("NAME", UpperAscii(procedure));
        parameters.Open();
        std::string list;
        while (parameters.Fetch())
            list += (list.empty() ? ":" : ",:") + Trim(parameters.AsString(0));
        parameters.Close();
        // A prepared statement belongs to the attachment, so it outlives this transaction.
        auto statement = std::make_unique<fb::TStatement>(transaction);
        statement->Prepare("SELECT * FROM " + std::string(procedure) + (list.empty() ? "" : "(" + list + ")"));
        scope.Commit();
        return statement;
    } catch (...) {
        ReportCurrentException("NewStoredProc", Format("ストアドプロシージャ(%s)の準備に失敗しました。", procedure), true);
        return nullptr;
    }
}

}  // namespace qz
