#include "common/LineReader.h"

#include "common/Format.h"

namespace qz {

TLineTooLong::TLineTooLong(const std::filesystem::path& file, std::size_t lineNumber, std::size_t limit)
    : std::runtime_error(Format("<%s> %s", file.string(), LineTooLongText(lineNumber, limit))),
      lineNumber_(lineNumber), limit_(limit)
{
}

std::string LineTooLongText(std::size_t lineNumber, std::size_t limit)
{
    return Format("%d行目は1行の上限（%dバイト）を超えているため読み込みませんでした。", lineNumber, limit);
}

TLineReader::TLineReader(const std::filesystem::path& file, std::size_t maxLineBytes)
    : file_(file), in_(file, std::ios::binary), maxLineBytes_(maxLineBytes)
{
    if (!in_)
        throw std::runtime_error(Format("ファイルを開けません。<%s>", file.string()));
}

bool TLineReader::Next(std::string& line)
{
    line.clear();
    std::streambuf& buffer = *in_.rdbuf();
    bool tooLong = false;
    const auto end = [&](bool read) {
        if (read)
            ++lineNumber_;
        if (tooLong) {
            line.clear();
            throw TLineTooLong(file_, lineNumber_, maxLineBytes_);
        }
        return read;
    };
    for (bool read = false;; read = true) {
        const int c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof())
            return end(read);
        if (c == '\n')
            return end(true);
        if (c == '\r') {
            if (buffer.sgetc() == '\n')
                buffer.sbumpc();
            return end(true);
        }
        // The rest of a line beyond the limit is passed over, not held.
        if (line.size() < maxLineBytes_)
            line += static_cast<char>(c);
        else
            tooLong = true;
    }
}

bool TLineReader::NextWithin(std::string& line, const std::function<void(std::size_t lineNumber)>& refused)
{
    for (;;) {
        try {
            return Next(line);
        } catch (const TLineTooLong& error) {
            if (refused)
                refused(error.LineNumber());
        }
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
