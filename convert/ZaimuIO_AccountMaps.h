#pragma once
// Where the source's classified accounts land in the target's standard chart: one table per chart kind,
// keyed by the 3-digit main code of the source system code. A main code that no row names keeps its own
// account.

#include <optional>
#include <string>
#include <string_view>

namespace qz {

// The target system code for a source main code (0-999) of a chart kind; side is the source account's
// balance side ("1" debit, "2" credit), which some rows split on. Nothing when no row names the main code.
std::optional<std::string> MappedAccountCode(int chartKind, int mainCode, std::string_view side);

}  // namespace qz
