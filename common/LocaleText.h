#pragma once
// Texts for the terminal: the program's UTF-8 in the character set of the user's locale (LC_CTYPE), for
// the command-line front end. A locale without a character set of its own (C, POSIX) gets UTF-8, which
// is what terminals show today; a character the locale's set cannot hold is spelt out where the C library
// knows a spelling ("⑳" as "(20)"), else it becomes "?".

#include <string>
#include <string_view>

namespace qz {

// The character set of LC_CTYPE as the C library names it ("UTF-8", "EUC-JP", ...). Call
// setlocale(LC_CTYPE, "") first.
std::string LocaleCodeset();

// True when a text in the codeset needs no conversion from UTF-8.
bool IsUtf8Codeset(std::string_view codeset);

// The text in the codeset.
std::string ToCodeset(std::string_view utf8, std::string_view codeset);

}  // namespace qz
