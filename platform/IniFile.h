#pragma once
// Ini files in CP932 as the target product and the tool keep them. Lines are held as their raw bytes,
// so writing one key leaves every other line exactly as it was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz {

// The largest ini file read. The program's ini files hold a few hundred bytes; a far larger file is no ini
// file of ours (a manifest chosen by mistake, a damaged file), and it is not held whole.
inline constexpr std::uintmax_t kMaxIniFileBytes = 1024 * 1024;

class TIniFile {
public:
    // Reads the whole file when it exists; a missing file is an empty ini.
    // Throws std::runtime_error when an existing file cannot be read or is larger than kMaxIniFileBytes.
    explicit TIniFile(std::filesystem::path path);

    bool FileExists() const { return exists_; }
    const std::filesystem::path& Path() const { return path_; }

    // Section and key names match without regard to ASCII letter case; a missing key gives the default.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    // All name=value pairs of a section, in file order.
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;

    // Sets the key (adding the section or key when missing) and writes the file to disk at once,
    // replacing it only when the new content is safely stored. Throws on encoding or file errors.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    struct TLine {
        std::string Raw;      // the line's bytes as read, without the line end
        std::string Section;  // for a section header: its name
        std::string Key;      // for a key line: its name
        std::string Value;    // for a key line: its value
        bool IsSection = false;
        bool IsKey = false;
    };

    static TLine ParseLine(std::string raw);
    // Index of the section header, or npos.
    std::size_t FindSection(std::string_view section) const;
    void Save() const;

    std::filesystem::path path_;
    std::vector<TLine> lines_;
    bool exists_ = false;
};

}  // namespace qz
