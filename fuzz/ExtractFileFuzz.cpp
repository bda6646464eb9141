// The master and balance files of an extract: the first byte picks the file, the rest is its content. Every
// line gives a record or a message (nothing is dropped unheard), records have the file's columns with
// their types, the ordered files come out in order, and the one-pass unquoting gives what the source's
// rule gives applied field by field.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_CsvReader.h"
#include "fuzz/FuzzSupport.h"

#include <iterator>

using namespace qz;
using qz::fuzz::Check;

namespace {

const TExtractFileSpec* const kSpecs[] = {&extract::Cmkansig, &extract::Cmhonten, &extract::Cmbumon, &extract::Tadatama,
                                          &extract::Zmkannen, &extract::Zmhonkan, &extract::Zmkanjyo, &extract::Zmryaku,
                                          &extract::Zmrensou, &extract::Zmuchzan, &extract::Zmbumzan, &extract::Zmkesan,
                                          &extract::Zmuchiwa, &extract::Zmsiwaji};

// The unquoting rule of the source product, one field at a time.
std::string UnquoteStepByStep(std::string line, bool trailingVariant)
{
    while (line.find(",\"") != std::string::npos) {
        const bool trailing = trailingVariant && line.back() == '"';
        if (trailing)
            line += ',';
        line = UnquoteLine(line);
        if (trailing)
            line.pop_back();
    }
    return line;
}

// The lines as the reader sees them: CR LF, LF or a lone CR ends a line.
std::vector<std::string_view> LinesOf(std::string_view content)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n')
            continue;
        lines.push_back(content.substr(start, i - start));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines.push_back(content.substr(start));
    return lines;
}

bool HasType(const TExtractValue& value, char type)
{
    switch (type) {
    case 'i': return std::holds_alternative<std::int64_t>(value);
    case 'a': return std::holds_alternative<TMoney>(value);
    case 'd': return std::holds_alternative<TDate>(value);
    default: return std::holds_alternative<std::string>(value) && fuzz::IsUtf8(std::get<std::string>(value));
    }
}

void CheckRecords(const TExtractFileSpec& spec, std::size_t lineCount, const std::vector<TExtractRecord>& records,
                  const std::vector<std::string>& errors)
{
    for (const std::string& error : errors)
        Check(fuzz::IsUtf8(error), "a message is text", error);
    if (lineCount > spec.MaxLines) {
        Check(records.empty() && errors.size() == 1, "a file beyond its line limit is refused whole with one message");
        return;
    }
    std::size_t taken = 0;
    for (const TExtractRecord& record : records) {
        if (record.Empty())
            continue;
        ++taken;
        const std::vector<TExtractValue>& values = record.Values();
        Check(values.size() == spec.Columns.size(), "a record has every column of the file");
        for (std::size_t c = 0; c < values.size(); ++c)
            Check(HasType(values[c], spec.Columns[c]), "a column holds its type", std::string(spec.FileName));
    }
    Check(spec.Ordered ? records.size() == taken : records.size() == lineCount, "one record or slot per line");
    Check(taken + errors.size() >= lineCount, "every line left out is told", std::string(spec.FileName));
    if (!spec.Ordered)
        return;
    const auto key = [](const TExtractRecord& record) {
        return Format("%04d%s", record.YearCode(), record.Text(column::kOrderKey));
    };
    for (std::size_t i = 1; i < records.size(); ++i)
        Check(!Cp932Less(key(records[i]), key(records[i - 1])), "ordered files come out by year and order key");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const TExtractFileSpec& spec = *kSpecs[input.Byte() % std::size(kSpecs)];
    const std::string_view content = input.Rest();
    const std::filesystem::path folder = fuzz::PrivateFolder() / "extract";
    std::filesystem::remove_all(folder);
    fuzz::WriteFile(folder / std::string(spec.Folder) / std::string(spec.FileName), content);

    std::vector<std::string> errors;
    const std::vector<TExtractRecord> records = ReadExtractFile(folder, spec, errors);
    const std::vector<std::string_view> lines = LinesOf(content);
    CheckRecords(spec, lines.size(), records, errors);

    if (spec.Quoted)
        for (const std::string_view line : lines)
            if (line.size() <= 512)
                Check(UnquoteFields(line, spec.TrailingQuoteVariant) == UnquoteStepByStep(std::string(line), spec.TrailingQuoteVariant),
                      "one-pass unquoting gives what the rule gives field by field", std::string(line));
    return 0;
}
