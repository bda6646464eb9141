#pragma once
// Reading a text file one line at a time, as raw bytes: memory does not grow with the file.

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qz {

// The longest line a reader takes. Real lines of every file the program reads stay well under 1 KB (the
// widest, ZMKESAN's 84 columns, about 300 bytes); a longer line is a damaged or foreign file, and
// holding it whole could exhaust memory (a file without line ends is one line).
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

// A line beyond the reader's limit. The reader has passed it: reading can go on with the next line.
class TLineTooLong : public std::runtime_error {
public:
    TLineTooLong(const std::filesystem::path& file, std::size_t lineNumber, std::size_t limit);
    std::size_t LineNumber() const { return lineNumber_; }
    std::size_t Limit() const { return limit_; }

private:
    std::size_t lineNumber_;
    std::size_t limit_;
};

// The refusal of a line beyond the limit, as read messages give it after the file's name.
std::string LineTooLongText(std::size_t lineNumber, std::size_t limit);

// Lines end with CR LF, LF or a lone CR; the line end is not part of the line. A last line without a line
// end is still a line; a file that ends with a line end has no empty line after it.
class TLineReader {
public:
    // Throws std::runtime_error when the file cannot be opened.
    explicit TLineReader(const std::filesystem::path& file, std::size_t maxLineBytes = kMaxLineBytes);
    // The next line; false at the end. Throws TLineTooLong for a line longer than the limit (never holding
    // more than the limit of it).
    bool Next(std::string& line);
    // The same, passing over every line beyond the limit: each is handed to refused (its line number) when
    // one is given, for a caller that tells the refusals itself or has them told where the lines are used.
    bool NextWithin(std::string& line, const std::function<void(std::size_t lineNumber)>& refused = {});
    // The number of the line last read (or refused), from 1.
    std::size_t LineNumber() const { return lineNumber_; }

private:
    std::filesystem::path file_;
    std::ifstream in_;
    std::size_t maxLineBytes_;
    std::size_t lineNumber_ = 0;
};

// Every line of a file (an empty vector for an empty file); throws TLineTooLong as the reader does.
std::vector<std::string> LoadRawLines(const std::filesystem::path& file);

}  // namespace qz
