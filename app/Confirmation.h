#pragma once
// The settings the confirmation page lists before the run (the upper memo of the last page), shared by the
// wizard and the command-line converter.

#include "app/MainFormPaths.h"
#include "convert/uQZ_ZaimuIO.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// "法人", "個人（小売業他）", "個人（不動産）" by the chart kind.
std::string_view ChartKindName(int chartKind);

// The destination folder as the page shows it: upper-cased, with the host in server mode, the
// installation's root as "~".
std::string DestinationShown(const TMainFormPaths& paths, std::string_view folder);

// The line of the journal count; without a count it says the count is being read.
std::string JournalCountLine(std::optional<int> journals);

// The lines, from an empty first line to the special accounts with their codes; kJournalCountLineIndex is
// the journal count's line.
std::vector<std::string> ConfirmationLines(const TQZaimuIO& io, std::string_view destinationShown,
                                           const std::vector<std::string>& specialCodes, std::optional<int> journals);
inline constexpr std::size_t kJournalCountLineIndex = 7;

// The read messages under a heading with their number, so that the operator sees before the run what
// could not be read and will not be converted; heading: e.g. "[読込メッセージ]".
std::vector<std::string> ReadMessageLines(std::string_view heading, const std::vector<std::string>& messages);

// The extract's read messages as the wizard lists them: what the readers collected and a missing
// journal file.
std::vector<std::string> ExtractReadMessages(const TQZaimuIO& io);

}  // namespace qz
