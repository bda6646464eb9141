// The year update of a past year inside the import run: the worker thread rolls the data set into the next
// year in a table-stable transaction of its own while this thread keeps the operator's window alive.

#include "common/Ui.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "db/ErrorReport.h"
#include "db/Settings.h"
#include "yearupdate/z5NendoKousin.h"

namespace qz {

bool TQZaimuIO::RunYearUpdate()
{
    ShowStatus("期末残高の更新中です。");
    // The worker holds the tables in a transaction of its own: everything written so far is committed first,
    // and this thread does not touch the database until the worker has ended.
    Transaction().Commit();
    // The past journals move on with the year (the pending value of "過去明細取り込み").
    AccInfo().KakoMeisai = 1;
    bool succeeded = false;
    {
        const std::unique_ptr<TProgressDialog> dialog = Ui().OpenProgress("期末残高の更新");
        dialog->SetInfo("期末残高の更新を開始します。");
        TNendoKousinThread worker(DM(), dialog.get(), AccInfo().TAXDEFUH);
        worker.Resume();
        worker.WaitFor();   // polls every 500 ms, keeping the front end alive and the dialog current
        succeeded = worker.Succeeded();
        if (!worker.ErrorMessage().empty()) {
            ShowMessageDetail(worker.ErrorMessage(), worker.ErrorDetail(), TMessageKind::Error);
            // The box goes; the operator's lines keep why the year was dropped.
            if (LogMemo) {
                LogMemo->AppendLine(worker.ErrorMessage());
                LogMemo->AppendLine(worker.ErrorDetail());
            }
        }
    }
    if (succeeded)
        WriteAccReg(Transaction(), "基本設定", "過去明細取り込み", kRegInt, TRegValue::OfInt(1));
    Transaction();
    return succeeded;
}

}  // namespace qz
