#pragma once
// The shell folders the program needs, by their Windows CSIDL numbers.
// Common application data: $QZ_COMMON_APPDATA, else $XDG_DATA_HOME, else ~/.local/share.
// Documents: $QZ_DOCUMENTS, else the XDG documents folder, else ~/Documents.

#include <string>
#include <string_view>

namespace qz {

constexpr int CSIDL_PERSONAL = 5;
constexpr int CSIDL_COMMON_APPDATA = 35;

// The folder, or an exception with a Japanese message when it cannot be determined.
std::string ShellFolderPath(int csidl);

// The folder; when it cannot be determined the exception's message is shown in an error box and the
// default is returned.
std::string GetSpecialFolder(int csidl, std::string_view defaultPath);

// The user's home folder ($HOME, else the password database), or empty.
std::string HomeDir();

}  // namespace qz
