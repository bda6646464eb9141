#include "platform/IniFile.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qz {
namespace {

bool SameName(std::string_view a, std::string_view b)
{
    return UpperAscii(a) == UpperAscii(b);
}

std::runtime_error FileError(const char* what, const std::filesystem::path& path)
{
    return std::runtime_error(Format("%s<%s> %s", what, path.string(), std::strerror(errno)));
}

// Writes all bytes to the descriptor; false on any failure.
bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

TIniFile::TIniFile(std::filesystem::path path) : path_(std::move(path))
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path_, error))
        return;
    if (const std::uintmax_t size = std::filesystem::file_size(path_, error); !error && size > kMaxIniFileBytes)
        throw std::runtime_error(Format("設定ファイルが大きすぎるため読み込みませんでした（%dバイト、上限%dバイト）。<%s>", size,
                                        kMaxIniFileBytes, path_.string()));
    std::ifstream file(path_, std::ios::binary);
    if (!file)
        throw FileError("設定ファイルを読み込めません。", path_);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    exists_ = true;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string raw = bytes.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        lines_.push_back(ParseLine(std::move(raw)));
        start = end + 1;
    }
}

TIniFile::TLine TIniFile::ParseLine(std::string raw)
{
    TLine line;
    const std::string text = Trim(DecodeCp932(raw));
    line.Raw = std::move(raw);
    if (text.empty() || text.front() == ';')
        return line;
    if (text.front() == '[') {
        if (const std::size_t close = text.find(']'); close != std::string::npos) {
            line.IsSection = true;
            line.Section = Trim(std::string_view(text).substr(1, close - 1));
        }
        return line;
    }
    if (const std::size_t equals = text.find('='); equals != std::string::npos) {
        line.IsKey = true;
        line.Key = Trim(std::string_view(text).substr(0, equals));
        line.Value = Trim(std::string_view(text).substr(equals + 1));
    }
    return line;
}

std::size_t TIniFile::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].IsSection && SameName(lines_[i].Section, section))
            return i;
    return std::string::npos;
}

std::vector<std::pair<std::string, std::string>> TIniFile::ReadSectionValues(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> values;
    const std::size_t header = FindSection(section);
    if (header == std::string::npos)
        return values;
    for (std::size_t i = header + 1; i < lines_.size() && !lines_[i].IsSection; ++i)
        if (lines_[i].IsKey)
            values.emplace_back(lines_[i].Key, lines_[i].Value);
    return values;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    for (const auto& [name, value] : ReadSectionValues(section))
        if (SameName(name, key))
            return value;
    return std::string(defaultValue);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    TLine newLine = ParseLine(EncodeCp932(std::string(key) + "=" + std::string(value)));
    std::size_t header = FindSection(section);
    if (header == std::string::npos) {
        lines_.push_back(ParseLine(EncodeCp932("[" + std::string(section) + "]")));
        lines_.push_back(std::move(newLine));
    } else {
        // Replace the key in place, or add it after the section's last non-empty line.
        std::size_t insertAt = header + 1;
        bool replaced = false;
        for (std::size_t i = header + 1; i < lines_.size() && !lines_[i].IsSection; ++i) {
            if (lines_[i].IsKey && SameName(lines_[i].Key, key)) {
                lines_[i] = std::move(newLine);
                replaced = true;
                break;
            }
            if (!Trim(lines_[i].Raw).empty())
                insertAt = i + 1;
        }
        if (!replaced)
            lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(newLine));
    }
    Save();
    exists_ = true;
}

void TIniFile::Save() const
{
    std::string bytes;
    for (const TLine& line : lines_)
        bytes += line.Raw + "\r\n";

    if (path_.has_parent_path())
        std::filesystem::create_directories(path_.parent_path());
    // Write beside the file, flush to disk, then swap it in, so a crash never leaves half a file.
    const std::filesystem::path temporary = path_.string() + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw FileError("設定ファイルに書き込めません。", path_);
    const bool stored = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ::close(fd);
    if (!stored || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        throw FileError("設定ファイルに書き込めません。", path_);
    }
    const std::filesystem::path folder = path_.has_parent_path() ? path_.parent_path() : ".";
    if (const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

}  // namespace qz
