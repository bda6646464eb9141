#include "convert/ZaimuIO_CsvReader.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace qz {

// ---------------------------------------------------------------------------------------------
// Records

namespace {

template <typename T>
const T* ValueOf(const std::vector<TExtractValue>& values, std::size_t column)
{
    return column < values.size() ? std::get_if<T>(&values[column]) : nullptr;
}

}  // namespace

std::int64_t TExtractRecord::Int(std::size_t column) const
{
    const auto* value = ValueOf<std::int64_t>(values_, column);
    return value ? *value : 0;
}

const std::string& TExtractRecord::Text(std::size_t column) const
{
    static const std::string empty;
    const auto* value = ValueOf<std::string>(values_, column);
    return value ? *value : empty;
}

TMoney TExtractRecord::Amount(std::size_t column) const
{
    const auto* value = ValueOf<TMoney>(values_, column);
    return value ? *value : TMoney();
}

TDate TExtractRecord::Date(std::size_t column) const
{
    const auto* value = ValueOf<TDate>(values_, column);
    return value ? *value : TDate();
}

// ---------------------------------------------------------------------------------------------
// How each extract file is read

namespace extract {

const TExtractFileSpec Cmkansig{"CM", "cmkansig.CSV", "iittii", 5, false, false, false, 4, 7,
    "CM関与先資源（項目数<6）：", "CM関与先資源（項目数>6）：", "CM関与先資源[cmkansig.CSV]ファイルが無い", "[01]"};
const TExtractFileSpec Cmhonten{"CM", "cmhonten.CSV", "iittttttttt", 10, false, false, true, 9, 12,
    "CM本支店（項目数<11）：", "CM本支店（項目数>11）：", "CM本支店[cmhonten.CSV]ファイルが無い", "[02]"};
const TExtractFileSpec Cmbumon{"CM", "CMBUMON.CSV", "iittttitttt", 10, false, false, true, 9, 12,
    "CM部門（項目数<11）：", "CM部門（項目数>11）：", "CM部門[CMBUMON.CSV]ファイルが無い", "[03]"};
const TExtractFileSpec Tadatama{"CM", "tadatama.CSV", "iiddtttttitt", 11, false, false, false, 10, 13,
    "財務データ管理（項目数<12）：", "財務データ管理（項目数>12）：", "財務データ管理[tadatama.CSV]ファイルが無い", "[04]"};
const TExtractFileSpec Zmkannen{"ZM", "ZMKANNEN.CSV",
    "ii" "tttttttttttttttttttttttttttttttttttttttt" "iiiiiiiiiiiiiiii" "ttttt" "i", 63, true, false, false, 62, 65,
    "（項目数<64）：", "（項目数>64）：", "ZM関与先事業年度[ZMKANNEN.CSV]ファイルが無い", "[05]"};
const TExtractFileSpec Zmhonkan{"ZM", "ZMHONKAN.CSV", "iitt", 3, false, false, false, 2, 5,
    "ZM本支店管理部門（項目数<4）：", "ZM本支店管理部門（項目数>4）：", "ZM本支店管理部門[ZMHONKAN.CSV]ファイルが無い", "[06]"};
const TExtractFileSpec Zmkanjyo{"ZM", "ZMKANJYO.CSV", "ii" "tttttttt" "sss" "tttttttttt" "it", 24, true, false, false, 23, 27,
    "ZM勘定科目（項目数<25）：", "ZM勘定科目（項目数>26）：", "ZM勘定科目[ZMKANJYO.CSV]ファイルが無い", "[07]"};
const TExtractFileSpec Zmryaku{"ZM", "ZMRYAKU.CSV", "iitst", 4, true, false, false, 3, 6,
    "ZM略号摘要（項目数<5）：", "ZM略号摘要（項目数>5）：", "ZM略号摘要[ZMRYAKU.CSV]ファイルが無い", "[08]"};
const TExtractFileSpec Zmrensou{"ZM", "ZMRENSOU.CSV", "iittts", 5, true, true, false, 4, 7,
    "ZM連想摘要（項目数<5）：", "ZM連想摘要（項目数>6）：", "ZM連想摘要[ZMRENSOU.CSV]ファイルが無い", "[09]"};
const TExtractFileSpec Zmuchzan{"ZM", "ZMUCHZAN.CSV",
    "iitttt" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 38, false, false, false, 37, 40,
    "ZM科目内訳残高（項目数<39）：", "ZM科目内訳残高（項目数>39）：", "ZM科目内訳残高[ZMUCHZAN.CSV]ファイルが無い", "[10]"};
const TExtractFileSpec Zmbumzan{"ZM", "ZMBUMZAN.CSV",
    "iitttt" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 38, false, false, false, 37, 40,
    "ZM科目部門内訳残高（項目数<39）：", "ZM科目部門内訳残高（項目数>39）：", "ZM科目部門内訳残高[ZMBUMZAN.CSV]ファイルが無い",
    "[11]"};
const TExtractFileSpec Zmkesan{"ZM", "ZMKESAN.CSV",
    "ii" "tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt", 83, true, false, false,
    82, 85, "ZM決算書  （項目数<84）：", "ZM決算書  （項目数>84）：", "ZM決算書[ZMKESAN.CSV]ファイルが無い", "[12]"};
const TExtractFileSpec Zmuchiwa{"ZM", "ZMUCHIWA.CSV", "iitttssttttt", 11, true, false, false, 10, 13,
    "ZM内訳 （項目数<12）：", "ZM内訳 （項目数>12）：", "ZM内訳[ZMUCHIWA.CSV]ファイルが無い", "[13]"};
const TExtractFileSpec Zmsiwaji{"ZM", "ZMSIWAJI.CSV", "iitttitstttt" "t", 12, true, false, false, 11, 14,
    "ZM仕訳辞書（項目数<13）：", "ZM仕訳辞書（項目数>13）：", "ZM仕訳辞書[ZMSIWAJI.CSV]ファイルが無い", "[14]"};

}  // namespace extract

// ---------------------------------------------------------------------------------------------
// Reading

std::string UnquoteLine(std::string_view line)
{
    const std::size_t a = line.find(",\"");
    if (a == std::string_view::npos)
        return std::string(line);
    const std::size_t b = line.find("\",", a + 2);
    std::string result(line.substr(0, a + 1));
    std::string inner;
    std::string_view tail;
    if (b != std::string_view::npos) {
        inner = std::string(line.substr(a + 2, b - (a + 2)));
        tail = line.substr(b + 1);
    } else {
        tail = line.substr(a + 2);
    }
    for (char& c : inner)
        if (c == ',')
            c = ';';
    return result + inner + std::string(tail);
}

fs::path FindIgnoringCase(const fs::path& folder, std::string_view name)
{
    std::error_code error;
    if (fs::exists(folder / std::string(name), error))
        return folder / std::string(name);
    const std::string wanted = UpperAscii(name);
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (UpperAscii(entry.path().filename().string()) == wanted)
            return entry.path();
    return {};
}

fs::path FindFileIgnoringCase(const fs::path& folder, std::string_view name)
{
    const fs::path found = FindIgnoringCase(folder, name);
    std::error_code error;
    return !found.empty() && fs::is_regular_file(found, error) ? found : fs::path();
}

std::vector<std::string> LoadRawLines(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

namespace {

std::int64_t ToInt64(std::string_view text)
{
    return TryTextToInt(text).value_or(0);
}

// "yyyymmdd" read through "yyyy/mm/dd" with the date parser; the zero date when it is no date.
TDate EightDigitDate(std::string_view text)
{
    if (text.size() != 8)
        return TDate();
    return TextToDate(Format("%s/%s/%s", text.substr(0, 4), text.substr(4, 2), text.substr(6, 2)));
}

TExtractValue ValueOfColumn(char type, std::string_view text)
{
    switch (type) {
    case 'i': return ToInt64(text);
    case 'a': return TMoney::FromYen(ToInt64(text));
    case 'd': return EightDigitDate(text);
    case 's': {
        std::string restored(text);
        std::replace(restored.begin(), restored.end(), ';', ',');
        return restored;
    }
    default: return std::string(text);
    }
}

// The line after the file's unquoting rule, ready to be split at its commas.
std::string UnquotedLine(std::string line, const TExtractFileSpec& spec)
{
    if (spec.Quoted) {
        while (line.find(",\"") != std::string::npos) {
            const bool trailing = spec.TrailingQuoteVariant && !line.empty() && line.back() == '"';
            if (trailing)
                line += ',';
            line = UnquoteLine(line);
            if (trailing && !line.empty())
                line.pop_back();
        }
    }
    return line;
}

}  // namespace

std::vector<TExtractRecord> ReadExtractFile(const fs::path& extractFolder, const TExtractFileSpec& spec,
                                            std::vector<std::string>& errors)
{
    const fs::path folder = FindIgnoringCase(extractFolder, spec.Folder);
    const fs::path file = folder.empty() ? fs::path() : FindFileIgnoringCase(folder, spec.FileName);
    if (file.empty()) {
        errors.emplace_back(spec.MissingText);
        return {};
    }
    const std::vector<std::string> raw = LoadRawLines(file);
    std::vector<TExtractRecord> records(raw.size());
    std::vector<std::pair<std::string, int>> order;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::string line = DecodeCp932(raw[i]);
        const std::string unquoted = UnquotedLine(line, spec);
        const std::vector<std::string_view> columns = SplitAt(unquoted, ",");
        const std::size_t count = columns.size();
        if (count != spec.SmallerCount && count != spec.Columns.size()) {
            if (count <= spec.TooFewLimit)
                errors.push_back(std::string(spec.TooFewText) + line);
            else if (count >= spec.TooManyLimit)
                errors.push_back(std::string(spec.TooManyText) + line);
            continue;
        }
        std::vector<TExtractValue>& values = records[i].Values();
        values.reserve(spec.Columns.size());
        for (std::size_t c = 0; c < spec.Columns.size(); ++c)
            values.push_back(ValueOfColumn(spec.Columns[c], c < count ? columns[c] : std::string_view()));
        if (spec.Ordered)
            order.emplace_back(Format("%04d%s", records[i].YearCode(), records[i].Text(column::kOrderKey)),
                               static_cast<int>(i));
    }
    if (!spec.Ordered)
        return records;
    SortNamedPairs(order);
    std::vector<TExtractRecord> ordered;
    ordered.reserve(order.size());
    for (const auto& [key, index] : order)
        ordered.push_back(std::move(records[static_cast<std::size_t>(index)]));
    return ordered;
}

}  // namespace qz
