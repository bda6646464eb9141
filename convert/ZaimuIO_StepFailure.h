#pragma once
// How a conversion step reports the failure that ends it (or one of its rows): the lines go to the
// context's read messages, which the error log of a failed run holds, and the same in an error box.

#include <string>
#include <string_view>
#include <vector>

namespace qz {

// Call from a catch block. A Firebird error gives "ErrCode<%d>  SQLCODE<%d>", the label followed by the
// server's message, and the Japanese explanation; any other failure the label followed by its message.
// Never throws.
void RecordStepFailure(std::string_view label, std::vector<std::string>& errors) noexcept;

}  // namespace qz
