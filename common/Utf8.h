#pragma once
// Minimal UTF-8 stepping used by the codec and the character-based text helpers.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

// Reads the code point starting at pos and advances pos past it.
// Returns nothing (and advances by one byte) for a malformed sequence.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos);

void AppendUtf8(std::string& out, char32_t cp);

// Whether the bytes are well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

// The number of characters of a UTF-8 text (a malformed byte counts as one).
std::size_t CodePointCount(std::string_view text);

}  // namespace qz
