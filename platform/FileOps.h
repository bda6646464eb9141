#pragma once
// Folder operations with the guard against removing a drive root or the system folder, and the
// identity of this computer.

#include <optional>
#include <string>
#include <string_view>

namespace qz {

// The shell's folder operations as the program numbers them.
enum class TShellOperation { Move = 1, Copy = 2, Delete = 3, Rename = 4 };

// The folder that stands for the Windows system directory.
std::string SystemDirectory();

// The computer name, or "PCNAME-ERROR" when it cannot be read.
std::string GetClientName();

// False for a blank path, the system folder, the file-system root and a drive root ("C:", "c:\");
// true otherwise.
bool IsRemovableDir(std::string_view path);

// Deletes (operation Delete) or renames to newPath (operation Rename) a folder without asking.
// Refuses unsafe folders with a message. allowUndo moves a deleted folder to the desktop trash instead;
// showErrors shows the reason when the operation fails. Returns success.
bool ShellDeleteDir(std::string_view path, TShellOperation operation, bool allowUndo, bool showErrors,
                    std::string_view newPath = {});

// Moves or copies the contents of a folder into the target folder, creating it without asking.
// Both folders must pass IsRemovableDir. Returns success.
bool ShellCopyDir(std::string_view source, std::string_view target, TShellOperation operation);

// The system's reason why no file can be created in the folder, or nothing when one can: a file of a name
// no one uses is made there and removed again.
std::optional<std::string> FileCreationRefusal(const std::string& folder);

}  // namespace qz
