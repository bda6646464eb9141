#include "app/WizardDestination.h"

#include "app/AppStatements.h"
#include "app/ExecuteStep.h"
#include "app/WizardTexts.h"
#include "common/Format.h"
#include "common/Gengo.h"
#include "common/SjisText.h"
#include "common/Ui.h"
#include "db/DataModule.h"
#include "db/DbErrorText.h"
#include "db/ErrorReport.h"

namespace qz {
namespace {

TDataFolderRow RowOf(const fb::TStatement& query, const TMainFormPaths& paths)
{
    TDataFolderRow row;
    row.Rec = static_cast<int>(query.AsInt("REC"));
    row.Path = query.AsString("PASNAME");
    row.DisplayPath = DisplayPath(UpperAscii(row.Path), paths.SystemRootKey);
    const std::string name = query.AsString("ENTTEXT");
    row.Free = Trim(name).empty();
    if (row.Free)
        return row;
    row.Code = query.AsString("DATACODE");
    row.Name = name;
    row.InProgress = name == TExecuteStep::kInProgressText;
    row.Period = EraShortDate(query.AsDate("KISHU")) + "～" + EraShortDate(query.AsDate("KIMATU"));
    // A folder outside the installation's own folder is shared data of another installation.
    if (row.DisplayPath == UpperAscii(row.Path)) {
        row.Name = kSharedFolderText;
        row.Period = "-";
    }
    return row;
}

void ShowReadFailure()
{
    try {
        throw;
    } catch (const fb::TFbError& error) {
        ShowError(std::string(DbErrorText(error.Code(), error.SqlCode())) + "\n" + error.Message());
    } catch (const std::exception& error) {
        ShowError(error.what());
    } catch (...) {
        ShowError("不明な例外");
    }
}

}  // namespace

std::string EraShortDate(TDate date)
{
    const TWarekiRec wareki = ToWareki(date);
    return Format("%02d/%02d/%02d", wareki.Year, wareki.Month, wareki.Day);
}

std::optional<std::vector<TDataFolderRow>> ReadDataFolders(const TMainFormPaths& paths)
{
    TDM& dm = DM();
    if (!dm.fnAccDefConnected(paths.ServerHost, TOnFailure::Report))
        return std::nullopt;
    std::optional<std::vector<TDataFolderRow>> rows;
    fb::TTransaction& transaction = dm.IBTransactionDEF;
    try {
        fb::TTransactionScope scope(transaction);
        fb::TStatement query(transaction);
        query.Prepare(app::sql::kSelectDataListForGrid);
        query.Open();
        std::vector<TDataFolderRow> read;
        while (query.Fetch())
            read.push_back(RowOf(query, paths));
        query.Close();
        scope.Commit();
        rows = std::move(read);
    } catch (...) {
        ShowReadFailure();
    }
    dm.AccDefDisconnect();
    return rows;
}

const TDataFolderRow* FirstFreeRow(const std::vector<TDataFolderRow>& rows)
{
    for (const TDataFolderRow& row : rows)
        if (row.Free)
            return &row;
    return nullptr;
}

std::string DestinationRefusal(const TDataFolderRow& row)
{
    return row.Free ? std::string() : std::string(kRowInUseText);
}

}  // namespace qz
