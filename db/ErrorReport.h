#pragma once
// Reporting database errors to the operator and to the error logs, and the process-wide fatal state
// that an internal consistency error or a lost server connection puts the application in.

#include "common/Ui.h"
#include "db/Firebird.h"

#include <string>
#include <string_view>
#include <vector>

namespace qz {

constexpr std::int64_t kFbInternalConsistency = 335544333;
constexpr std::int64_t kFbNetworkError = 335544721;

// Logs the error to "ErrFbAccess.log" (appended) and "ErrFbAccess.txt" (replaced) in the log folder and
// tells the operator; context names the operation ("TDM.fnAccDatConnected"). An empty message only logs.
// With reconnect set, a network error re-attaches both databases. Log files that cannot be written
// raise std::runtime_error.
void ReportDbError(const fb::TFbError& error, std::string_view context, std::string_view message, bool reconnect);

bool IsDbFatal();
void ResetDbFatalForTests();

// One message box: the message and, when there is a detail, a blank line, "[詳細情報]" and the detail.
void ShowMessageDetail(std::string_view message, std::string_view detail, TMessageKind kind);

// The message with the error codes and the Japanese explanation in an error box, also saved to
// "FB_ERROR.TXT" and appended to "FB_ERROR.LOG" in the installation folder. With a list the box leaves
// out the server's own text and the list receives the lines of the box.
void ShowSqlError(const fb::TFbError& error, std::string_view message, std::vector<std::string>* list = nullptr);

// The lines "ErrCode<%d>  SQLCODE<%d>" and the Japanese explanation, as the logs and messages show them.
std::string ErrorCodeLine(const fb::TFbError& error);

// Appends lines (CP932, CR LF) to a text file, or replaces it; raises std::runtime_error on failure.
void WriteLogLines(const std::string& file, const std::vector<std::string>& lines, bool append);

}  // namespace qz
