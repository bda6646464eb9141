#pragma once
// Reporting database errors to the operator and to the error logs, and the process-wide fatal state
// that an internal consistency error or a lost server connection puts the application in.
//
// Reporting never throws and never hides an error: the operator is told first, the logs are written
// as well as they can be, and a log that cannot be written is itself told in one line.

#include "common/Ui.h"
#include "db/Firebird.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// Firebird status codes the program acts on.
constexpr std::int64_t kFbInternalConsistency = 335544333;  // isc_bug_check
constexpr std::int64_t kFbIoError = 335544344;              // isc_io_error (also a file locked by another process)
constexpr std::int64_t kFbNetworkError = 335544721;         // isc_network_error

// What reporting needs from the data module, which installs it: the data database's name for the log
// lines, and a re-attach of both databases after a network error (false when one stays unattached).
struct TDbReportHooks {
    std::function<std::string()> DataDatabaseName;
    std::function<bool()> Reconnect;
};
void SetDbReportHooks(TDbReportHooks hooks);

// Tells the operator (unless message is empty) and logs the error to "ErrFbAccess.log" (appended) and
// "ErrFbAccess.txt" (replaced) in the log folder; context names the operation ("TDM.fnAccDatConnected").
// With reconnect set, a network error re-attaches both databases; when that fails, or on an internal
// consistency error, the application enters the fatal state and is ended.
void ReportDbError(const fb::TFbError& error, std::string_view context, std::string_view message,
                   bool reconnect) noexcept;

// Reports any failure caught at an operation's boundary: a TFbError through ReportDbError, any other
// exception as the message with the exception's text as detail. Call it from a catch block.
void ReportCurrentException(std::string_view context, std::string_view message, bool reconnect) noexcept;

bool IsDbFatal();
void ResetDbFatalForTests();

// One message box: the message and, when there is a detail, a blank line, "[詳細情報]" and the detail.
void ShowMessageDetail(std::string_view message, std::string_view detail, TMessageKind kind) noexcept;

// The message with the error codes and the Japanese explanation in an error box, also saved to
// "FB_ERROR.TXT" and appended to "FB_ERROR.LOG" in the installation folder (in the settings folder when the
// installation folder takes no files, as /usr does). With a list the box leaves out the server's own text
// and the list receives the lines of the box.
void ShowSqlError(const fb::TFbError& error, std::string_view message, std::vector<std::string>* list = nullptr) noexcept;

// The lines "ErrCode<%d>  SQLCODE<%d>" and the Japanese explanation, as the logs and messages show them.
std::string ErrorCodeLine(const fb::TFbError& error);

// Appends lines (CP932, CR LF) to a text file, or replaces it; raises std::runtime_error when the file
// cannot be written. Logs keep a character CP932 cannot hold as an escape; other files refuse it with
// TEncodingError before anything is written.
enum class TUnencodable { Escape, Refuse };
void WriteCp932Lines(const std::string& file, const std::vector<std::string>& lines, bool append, TUnencodable unencodable);

}  // namespace qz

namespace qz {

// Runs work() in the transaction (started and committed here when it was not active). Any failure rolls
// back what was started here, is reported with the context and message (reconnecting after a network
// error) and gives the fallback: nothing is committed after an error.
template <typename T, typename Work>
T RunReported(fb::TTransaction& transaction, std::string_view context, std::string_view message, T fallback, Work work) noexcept
{
    try {
        fb::TTransactionScope scope(transaction);
        T result = work();
        scope.Commit();
        return result;
    } catch (...) {
        ReportCurrentException(context, message, true);
        return fallback;
    }
}

}  // namespace qz
