#pragma once
// Reading a text file one line at a time, as raw bytes: memory does not grow with the file.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qz {

// Lines end with CR LF, LF or a lone CR; the line end is not part of the line. A last line without a line
// end is still a line; a file that ends with a line end has no empty line after it.
class TLineReader {
public:
    // Throws std::runtime_error when the file cannot be opened.
    explicit TLineReader(const std::filesystem::path& file);
    bool Next(std::string& line);

private:
    std::ifstream in_;
};

// Every line of a file (an empty vector for an empty file).
std::vector<std::string> LoadRawLines(const std::filesystem::path& file);

}  // namespace qz
