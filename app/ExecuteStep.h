#pragma once
// The execute step without its window: creates the destination's data database from the template,
// registers the conversion in the destination's DATALIST row, runs the import, completes or resets the
// row, publishes the data set to the database server in server mode, and cleans up. The wizard's last
// page and the command-line converter both run it; what the operator sees goes to the lower memo (line 0
// is the progress line), the status caption and the message boxes of Ui().

#include "app/MainFormPaths.h"
#include "common/Date.h"
#include "common/Ui.h"
#include "convert/uQZ_ZaimuIO.h"
#include "platform/InstanceGuard.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qz {

// The chosen DATALIST row and its data folder (in server mode the folder as the server sees it).
struct TExecuteDestination {
    int Rec = 0;
    std::string Folder;
};

struct TExecuteOptions {
    bool TaxExcludedBalances = false;   // the opening balances are tax-excluded ("税抜き")
};

enum class TExecuteOutcome {
    Completed,
    Refused,   // the destination already holds a data database, could not be checked or written to, or another
               // conversion took the row first: nothing was written
    Failed,    // the row is free again and nothing the run created is left
};

struct TExecuteResult {
    TExecuteOutcome Outcome = TExecuteOutcome::Failed;
    bool Success() const { return Outcome == TExecuteOutcome::Completed; }

    bool ClaimLost = false;   // refused because another conversion holds the row
    bool PastJournalsSkipped = false;
    std::vector<std::string> CompletionLines;   // as the progress line shows them
    std::vector<TSyuyakuRow> SyuyakuRows;       // the aggregated accounts; shown when not empty
    // What the completed row now shows: the client's code and name and the fiscal period.
    std::string DataCode, Shougou;
    TDate Kisyu, Kimatu;
    std::string DataDatabase;   // the new data database (server mode: "host:path")
    std::string ErrorLogPath;   // the conversion error log a failed import wrote, else empty
};

class TExecuteStep {
public:
    // memo: the lower memo of the last page (its line 0 is the progress line); status: the status panel.
    TExecuteStep(const TMainFormPaths& paths, TProgressLines& memo, TStatusCaption& status);

    // Runs the whole step for the context the wizard filled. The connection mode is the configured one
    // again when it returns; the system database stays attached unless the destination was refused.
    TExecuteResult ExecuteConversion(TQZaimuIO& io, const TExecuteDestination& destination,
                                     const TExecuteOptions& options);

    // The template backups' folder: INIT of the installation, or of the program folder when the program
    // runs from a tools folder, or share/qzconvert/INIT when the programs are installed system-wide in bin/.
    static std::filesystem::path TemplateFolder();

    // The file name of the conversion error log, in the user's documents folder.
    static constexpr std::string_view kErrorLogName = "Quorvel_ConvertError.log";
    // The data name of a row while a conversion runs into it.
    static constexpr std::string_view kInProgressText = "※コンバート中、選択しないでください。";

private:
    void Prepare(const TExecuteDestination& destination);
    bool DestinationIsFree();
    bool DestinationIsWritable();
    bool LockRow();
    enum class TClaim { Taken, Lost, Failed };
    TClaim ClaimDataListRow(const TQZaimuIO& io);
    bool Convert(TQZaimuIO& io, const TExecuteOptions& options, TExecuteResult& result);
    bool CreateDataDatabase(const TQZaimuIO& io);
    bool PrepareDestinationFolder();
    bool AttachDataDatabase();
    bool Import(TQZaimuIO& io, TExecuteResult& result);
    void ImportRaised(TQZaimuIO& io);
    bool RecordClaim();
    bool PublishToServer();
    void Complete(const TQZaimuIO& io, TExecuteResult& result);
    void Close(bool completed);
    void DiscardLocalDatabase();
    bool CompleteDataListRow();
    void ReleaseRow();
    void FinishClaimRecord(bool completed);
    void ShowProgress(std::string_view text);
    void AppendReadErrors(const TQZaimuIO& io);

    std::filesystem::path DataDatabase() const;
    std::string ServerDatabase() const;

    TMainFormPaths paths_;
    TProgressLines& memo_;
    TStatusCaption& status_;
    int configuredMode_ = 0;
    int rec_ = 0;
    std::filesystem::path dataDir_;   // local mode: the destination; server mode: the local working folder
    std::string serverDataPath_;      // server mode: the destination on the server
    bool folderCreated_ = false;
    bool importRan_ = false;
    // Server mode: how far the run got with the server, for freeing the row and telling what is left.
    struct TServerRun {
        bool Recorded = false;         // this machine's claim record is written
        bool PublishStarted = false;   // the server may hold part of the data set
        bool PublishFailed = false;
        bool ReleaseFailed = false;    // the row or the server's database is still there
        bool Unreachable = false;      // ... because the server could not be reached
    } serverRun_;
    std::optional<TNamedLock> rowLock_;   // from the claim until the row is completed or reset
};

// The execute step's reset of a row after a failure (its data name and period cleared), in the system
// transaction, committed; the system database is attached on the host when it is not. Errors are reported.
bool ResetDataListRow(const std::string& host, int rec);

// Removes a data database from the server (the system database is attached on the host when it is not);
// true when it is gone. Errors are reported.
bool DeleteServerDataDatabase(const std::string& host, const std::string& database);

// A path as the operator sees it: the root key (upper case) replaced by "~", whatever the path's case.
std::string DisplayPath(std::string_view path, std::string_view rootKey);

}  // namespace qz
