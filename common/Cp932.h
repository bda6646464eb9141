#pragma once
// CP932 (Windows-31J) at the edges of the program, UTF-8 inside.
// The tables come from glibc iconv "CP932", which decodes with Microsoft's mapping and encodes
// the JIS look-alikes (U+301C, U+2014, U+2016, U+2212, U+00AC) to their Microsoft codes.

#include <stdexcept>
#include <string>
#include <string_view>

namespace qz {

class TEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Never fails: an invalid byte pair becomes two blanks, a lone lead byte at the end one blank,
// and a single byte that is no character (0x80, 0xA0, 0xFD-0xFF) one blank.
std::string DecodeCp932(std::string_view bytes);

// Throws TEncodingError for malformed UTF-8 or a character that CP932 cannot hold,
// so that no character is ever dropped silently.
std::string EncodeCp932(std::string_view utf8);

// For logs, which must keep whatever they are given: a character CP932 cannot hold is written as
// "<U+XXXX>" and a malformed UTF-8 byte as "<xNN>", so nothing is dropped and nothing throws.
std::string EncodeCp932Escaped(std::string_view utf8);

// True when the character has a CP932 code.
bool IsCp932Encodable(char32_t cp);

// Number of CP932 bytes of a character: 1 for ASCII and half-width katakana, 2 otherwise
// (characters CP932 cannot hold count as 2, the width they would take as a replacement).
int SjisWidth(char32_t cp);

// Orders two UTF-8 texts by the bytes of their CP932 form.
bool Cp932Less(std::string_view a, std::string_view b);
int Cp932Compare(std::string_view a, std::string_view b);

}  // namespace qz
