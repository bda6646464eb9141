#pragma once
// Text helpers that follow Shift-JIS byte widths: texts are UTF-8 inside the program, but fixed-width
// fields and cuts are measured as the CP932 bytes the texts will have in files and databases.

#include <cstddef>
#include <string>
#include <string_view>

namespace qz {

constexpr bool IsSjisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsSjisTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// On raw CP932 bytes: a lead byte followed by a byte that is no trail byte turns both into blanks;
// a lead byte in the last position turns into a blank.
std::string RepairSjisText(std::string_view bytes);

// Length of a UTF-8 text in CP932 bytes.
std::size_t SjisLength(std::string_view text);

// n blanks; an empty text when n is above 510 (or negative).
std::string SpaceString(int n);

// The text padded with blanks on the right and cut to n CP932 bytes; a double-byte character that
// would be split becomes a blank.
std::string FixLeft(std::string_view text, int n);

// The first n CP932 bytes of the text (no padding); a double-byte character that would be split becomes a
// blank, so the result never ends in half a character.
std::string CutSjis(std::string_view text, int n);
// The CP932 bytes start to start + n - 1 (from 0) of the text, fewer where the text ends; a double-byte
// character cut at either end becomes a blank.
std::string MidSjis(std::string_view text, int start, int n);
// The last n CP932 bytes of the text, padded with blanks on the left; a double-byte character that
// would be split becomes a blank.
std::string FixRight(std::string_view text, int n);

// Trims ASCII blanks and control characters at both ends, then keeps removing blanks and full-width
// spaces at either end.
std::string TrimWide(std::string_view text);

// Removes every blank and every full-width space.
std::string StripAllSpaces(std::string_view text);

// Trims characters up to the blank at both ends (the ordinary trim of the system's texts).
std::string Trim(std::string_view text);

// Upper- or lower-cases ASCII letters only, so multibyte characters stay intact.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

// Half-width form of a text: full-width ASCII to ASCII, the ideographic space to a blank, katakana to
// half-width katakana with the voiced marks split off, and the kana punctuation to its half-width form.
// Hiragana and kanji stay as they are.
std::string ToHalfWidth(std::string_view text);

}  // namespace qz
