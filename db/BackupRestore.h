#pragma once
// Backup and restore of the target product's databases, through the services API or the command-line
// tool gbak, and the worker that sequences them for a progress dialog.

#include "db/DataModule.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qz {

enum class TServiceProtocol { TCP = 0, Local = 3 };

// Services API. Without direct, the backup is written beside the database first ("qrvacc.fb_") and then
// moved to the backup path. Errors are reported; the result says whether it worked.
bool BackupFDB(TDM& dm, TServiceProtocol protocol, const std::string& host, bool direct, const std::string& backupPath,
               const std::string& databasePath);
// Restoring into a data database ("qrvacc.fdb") also empties its operation history.
bool RestoreFDB(TDM& dm, TServiceProtocol protocol, const std::string& host, bool replace, const std::string& backupPath,
                const std::string& databasePath);

// The command-line tool, started hidden with its log in the temporary folder; host "127.0.0.1" takes the
// services route instead. The password reaches the tool through its environment, never its command line.
bool BackupFDBByTool(TDM& dm, const std::string& host, bool direct, const std::string& backupPath, const std::string& databasePath);
bool RestoreFDBByTool(TDM& dm, const std::string& host, bool replace, const std::string& backupPath,
                      const std::string& databasePath);

// The tool's command-line arguments (without the program).
enum class TGbakAction { Backup, Restore, RestoreReplacing };
std::vector<std::string> GbakArguments(TGbakAction action, const std::string& logPath, const std::string& source,
                                       const std::string& target);

// The information block appended to a backup file: CR LF lines "## ..." and KEY=value.
struct TBackupMarker {
    std::string SHOUGOU, KISHU, KIMATU;
    int SIWAKE = 0, TOTALSIWAKE = 0;
    std::string DATAVARSION;
    int GASSAN = 0;
};
// Raises std::runtime_error when the file cannot be written and TEncodingError for a value CP932 cannot hold.
void AppendBackupMarker(const std::string& backupPath, const TBackupMarker& marker);

// Sequences a backup, restore or copy on a worker thread; the database work itself runs on the main
// thread, which hands it over while it waits (WaitFor). Created idle; Resume starts it. Nothing thrown
// leaves the worker: a failure of any kind ends as Result false with the error fields set.
class TBackupRestoreThread {
public:
    enum class TOperation { Backup = 0, Restore = 1, Copy = 2, CopyInPlace = 3 };
    enum class TMethod { Services = 0, Tool = 1 };

    TOperation Operation = TOperation::Backup;
    TMethod Method = TMethod::Services;
    std::string Host;          // empty or "127.0.0.1": the local server
    std::string DatabasePath;  // backed up, or restored into
    std::string TargetPath;    // restore target of a copy
    std::string BackupPath;
    bool Replace = false;
    bool WriteMarker = false;
    TBackupMarker Marker;

    bool Result = false;
    bool ErrorFlag = false;
    std::string ErrorContext, ErrorCode, ErrorMessage, ErrorMessage2;

    explicit TBackupRestoreThread(TDM& dm) : dm_(dm) {}
    ~TBackupRestoreThread();
    TBackupRestoreThread(const TBackupRestoreThread&) = delete;
    TBackupRestoreThread& operator=(const TBackupRestoreThread&) = delete;

    void Resume();
    bool Terminated() const;
    // Main thread: runs the work the worker handed over, keeps the user interface alive and polls every
    // 500 ms until the worker has finished.
    void WaitFor();

private:
    void Execute();
    bool Synchronize(const std::function<bool()>& work);
    bool DoBackup(const std::string& database);
    bool DoRestore(const std::string& database);
    void Fail(std::string context, std::string code, std::string message, std::string message2 = {});
    // Runs a step; an exception becomes the step's failure code with the exception's text as second message.
    template <typename Step>
    bool Guarded(const char* context, const char* code, const char* message, Step step);

    TDM& dm_;
    std::thread worker_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> pending_;
    bool terminated_ = false;
};

}  // namespace qz
