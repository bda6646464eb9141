#pragma once
// Japanese explanation of a Firebird status code, shown and logged beside the server's own message.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qz {

// The text for the code, in full-width parentheses; a single blank for codes without one.
// Two codes carry their text only together with one SQL code (335544788 with -901, 336330817 with -902).
std::string_view DbErrorText(std::int64_t errorCode, int sqlCode);

// Number of codes that have a text of their own.
std::size_t DbErrorTextCount();

}  // namespace qz
