#include "common/LineReader.h"

#include "common/Format.h"

#include <stdexcept>

namespace qz {

TLineReader::TLineReader(const std::filesystem::path& file) : in_(file, std::ios::binary)
{
    if (!in_)
        throw std::runtime_error(Format("ファイルを開けません。<%s>", file.string()));
}

bool TLineReader::Next(std::string& line)
{
    line.clear();
    std::streambuf& buffer = *in_.rdbuf();
    for (bool read = false;; read = true) {
        const int c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof())
            return read;
        if (c == '\n')
            return true;
        if (c == '\r') {
            if (buffer.sgetc() == '\n')
                buffer.sbumpc();
            return true;
        }
        line += static_cast<char>(c);
    }
}

std::vector<std::string> LoadRawLines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    TLineReader reader(file);
    for (std::string line; reader.Next(line);)
        lines.push_back(line);
    return lines;
}

}  // namespace qz
