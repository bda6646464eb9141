#include "convert/ZaimuIO_CsvReader.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>

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

// The most lines a file of each kind may hold, for every year of the extract together (the manifest holds
// at most 10 years). Each is many times what the largest clients have (10 000 sub-accounts, a few thousand
// accounts, departments and dictionary entries a year); a file beyond it is damaged or foreign, and reading
// it whole could exhaust memory.
constexpr std::size_t kLinesPerYearFile = 1'000;         // one line per year
constexpr std::size_t kLinesBranchFile = 20'000;         // branches, departments
constexpr std::size_t kLinesAccountFile = 50'000;        // accounts
constexpr std::size_t kLinesDictionaryFile = 100'000;    // branch-department pairs, summaries, journal dictionary
constexpr std::size_t kLinesSubAccountFile = 200'000;    // sub-accounts
constexpr std::size_t kLinesBalanceFile = 250'000;       // balances per account and sub-account or department

namespace extract {

const TExtractFileSpec Cmkansig{"CM", "cmkansig.CSV", "iittii", 5, false, false, false,
    "CM関与先資源（項目数<6）：", "CM関与先資源（項目数>6）：", "CM関与先資源[cmkansig.CSV]ファイルが無い", "[01]", kLinesPerYearFile};
const TExtractFileSpec Cmhonten{"CM", "cmhonten.CSV", "iittttttttt", 10, false, false, true,
    "CM本支店（項目数<11）：", "CM本支店（項目数>11）：", "CM本支店[cmhonten.CSV]ファイルが無い", "[02]", kLinesBranchFile};
const TExtractFileSpec Cmbumon{"CM", "CMBUMON.CSV", "iittttitttt", 10, false, false, true,
    "CM部門（項目数<11）：", "CM部門（項目数>11）：", "CM部門[CMBUMON.CSV]ファイルが無い", "[03]", kLinesBranchFile};
const TExtractFileSpec Tadatama{"CM", "tadatama.CSV", "iiddtttttitt", 11, false, false, false,
    "財務データ管理（項目数<12）：", "財務データ管理（項目数>12）：", "財務データ管理[tadatama.CSV]ファイルが無い", "[04]", kLinesPerYearFile};
const TExtractFileSpec Zmkannen{"ZM", "ZMKANNEN.CSV",
    "ii" "tttttttttttttttttttttttttttttttttttttttt" "iiiiiiiiiiiiiiii" "ttttt" "i", 63, true, false, false,
    "（項目数<64）：", "（項目数>64）：", "ZM関与先事業年度[ZMKANNEN.CSV]ファイルが無い", "[05]", kLinesPerYearFile};
const TExtractFileSpec Zmhonkan{"ZM", "ZMHONKAN.CSV", "iitt", 3, false, false, false,
    "ZM本支店管理部門（項目数<4）：", "ZM本支店管理部門（項目数>4）：", "ZM本支店管理部門[ZMHONKAN.CSV]ファイルが無い", "[06]", kLinesDictionaryFile};
const TExtractFileSpec Zmkanjyo{"ZM", "ZMKANJYO.CSV", "ii" "tttttttt" "sss" "tttttttttt" "it", 24, true, false, false,
    "ZM勘定科目（項目数<25）：", "ZM勘定科目（項目数>26）：", "ZM勘定科目[ZMKANJYO.CSV]ファイルが無い", "[07]", kLinesAccountFile};
const TExtractFileSpec Zmryaku{"ZM", "ZMRYAKU.CSV", "iitst", 4, true, false, false,
    "ZM略号摘要（項目数<5）：", "ZM略号摘要（項目数>5）：", "ZM略号摘要[ZMRYAKU.CSV]ファイルが無い", "[08]", kLinesDictionaryFile};
const TExtractFileSpec Zmrensou{"ZM", "ZMRENSOU.CSV", "iittts", 5, true, true, false,
    "ZM連想摘要（項目数<5）：", "ZM連想摘要（項目数>6）：", "ZM連想摘要[ZMRENSOU.CSV]ファイルが無い", "[09]", kLinesDictionaryFile};
const TExtractFileSpec Zmuchzan{"ZM", "ZMUCHZAN.CSV",
    "iitttt" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 38, false, false, false,
    "ZM科目内訳残高（項目数<39）：", "ZM科目内訳残高（項目数>39）：", "ZM科目内訳残高[ZMUCHZAN.CSV]ファイルが無い", "[10]", kLinesBalanceFile};
const TExtractFileSpec Zmbumzan{"ZM", "ZMBUMZAN.CSV",
    "iitttt" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 38, false, false, false,
    "ZM科目部門内訳残高（項目数<39）：", "ZM科目部門内訳残高（項目数>39）：", "ZM科目部門内訳残高[ZMBUMZAN.CSV]ファイルが無い",
    "[11]", kLinesBalanceFile};
const TExtractFileSpec Zmkesan{"ZM", "ZMKESAN.CSV",
    "ii" "tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt", 83, true, false, false,
    "ZM決算書  （項目数<84）：", "ZM決算書  （項目数>84）：", "ZM決算書[ZMKESAN.CSV]ファイルが無い", "[12]", kLinesPerYearFile};
const TExtractFileSpec Zmuchiwa{"ZM", "ZMUCHIWA.CSV", "iitttssttttt", 11, true, false, false,
    "ZM内訳 （項目数<12）：", "ZM内訳 （項目数>12）：", "ZM内訳[ZMUCHIWA.CSV]ファイルが無い", "[13]", kLinesSubAccountFile};
const TExtractFileSpec Zmsiwaji{"ZM", "ZMSIWAJI.CSV", "iitttitstttt" "t", 12, true, false, false,
    "ZM仕訳辞書（項目数<13）：", "ZM仕訳辞書（項目数>13）：", "ZM仕訳辞書[ZMSIWAJI.CSV]ファイルが無い", "[14]", kLinesDictionaryFile};

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

std::string UnquoteFields(std::string_view line, bool trailingQuoteVariant)
{
    // The rule unquotes the first field after a comma again and again until no comma is followed by a
    // quote. Whatever comes before that field never changes again, so it is final output at once. The
    // unquoted text of a field holds no comma any more; it waits as `pending` until the scan has passed
    // it, because its first quote may start the next field with the comma before it. The rest of the
    // line is always pending + line[from..], and every byte enters pending at most once.
    std::string out, pending;
    out.reserve(line.size());
    std::size_t skip = 0;  // bytes of pending already gone from its front
    std::size_t from = 0;
    std::size_t noCloserFrom = std::string_view::npos;  // no quote-comma pair in line[noCloserFrom..]
    const auto restSize = [&] { return pending.size() - skip + (line.size() - from); };
    const auto restAt = [&](std::size_t i) { return i < pending.size() - skip ? pending[skip + i] : line[from + i - (pending.size() - skip)]; };
    const auto flushPending = [&] {
        out.append(pending, skip);
        pending.clear();
        skip = 0;
    };
    for (;;) {
        // The next comma directly followed by a quote: on the border of out, or in the line (pending has
        // no comma).
        const bool onBorder = !out.empty() && out.back() == ',' && restSize() > 0 && restAt(0) == '"';
        if (!onBorder) {
            flushPending();
            const std::size_t comma = line.find(",\"", from);
            if (comma == std::string_view::npos)
                break;
            out.append(line.substr(from, comma + 1 - from));
            from = comma + 1;
        }
        // rest[0] is the opening quote. The first quote directly followed by a comma from rest[1] on; in the
        // variant, a line ending in a quote counts as followed by a comma.
        const std::size_t inPending = pending.size() - skip;
        const std::size_t size = restSize();
        const bool virtualComma = trailingQuoteVariant && restAt(size - 1) == '"';
        const auto commaAfter = [&](std::size_t i) { return i + 1 < size ? restAt(i + 1) == ',' : virtualComma; };
        std::size_t closer = std::string_view::npos;
        if (inPending >= 2 && pending.back() == '"' && commaAfter(inPending - 1)) {
            closer = inPending - 1;
        } else {
            const std::size_t searchFrom = from + (inPending == 0 ? 1 : 0);
            std::size_t found = std::string_view::npos;
            if (noCloserFrom == std::string_view::npos || searchFrom < noCloserFrom) {
                found = line.find("\",", searchFrom);
                if (found == std::string_view::npos)
                    noCloserFrom = searchFrom;
            }
            if (found != std::string_view::npos)
                closer = inPending + (found - from);
            else if (virtualComma && size - 1 >= 1 && size - 1 >= inPending)
                closer = size - 1;
        }
        if (closer == std::string_view::npos) {
            // No closing quote: only the opening quote goes.
            if (inPending > 0)
                ++skip;
            else
                ++from;
            continue;
        }
        // The field's text, commas hidden as ";", becomes the front of the rest.
        if (closer < inPending) {
            ++skip;
            pending.pop_back();
            continue;
        }
        const std::size_t closerInLine = from + (closer - inPending);
        const std::size_t textStart = inPending == 0 ? from + 1 : from;
        if (inPending > 0)
            ++skip;
        std::string_view text = line.substr(textStart, closerInLine - textStart);
        for (const char c : text)
            pending += c == ',' ? ';' : c;
        from = std::min(closerInLine + 1, line.size());
    }
    out.append(line.substr(from));
    return out;
}

namespace {

// The file's name as its messages give it: "ZM勘定科目[ZMKANJYO.CSV]".
std::string_view LabelOf(const TExtractFileSpec& spec)
{
    constexpr std::string_view kMissing = "ファイルが無い";
    std::string_view label = spec.MissingText;
    if (label.ends_with(kMissing))
        label.remove_suffix(kMissing.size());
    return label;
}

// A line as the messages show it: each piece between comma bytes decoded on its own.
std::string ShownLine(std::string_view raw)
{
    const std::vector<std::string_view> pieces = SplitAt(raw, ",");
    std::string shown;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        shown += (i == 0 ? "" : ",") + DecodeCp932(pieces[i]);
    return shown;
}

bool IsSignedDigits(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "yyyymmdd" read through "yyyy/mm/dd" with the date parser.
std::optional<TDate> EightDigitDate(std::string_view text)
{
    if (text.size() != 8 || !IsSignedDigits(text) || text.front() == '-')
        return std::nullopt;
    return TDate::Parse(Format("%s/%s/%s", text.substr(0, 4), text.substr(4, 2), text.substr(6, 2)));
}

// One column's value and what is wrong with it: an empty cell is 0 without a word; a cell that is not
// what its column needs is 0 with a message; an amount too large for the money type rejects the record.
struct TCell {
    TExtractValue Value;
    std::string_view Problem = {};
    bool RejectsRecord = false;
};

TCell ReadCell(char type, std::string_view raw)
{
    switch (type) {
    case 'i': {
        const auto value = TryTextToInt(raw);
        if (!value && !raw.empty())
            return {std::int64_t{0}, "整数ではありません"};
        return {value.value_or(0)};
    }
    case 'a': {
        const auto yen = TryTextToInt(raw);
        if (yen && *yen <= INT64_MAX / TMoney::kScale && *yen >= INT64_MIN / TMoney::kScale)
            return {TMoney::FromYen(*yen)};
        if (raw.empty())
            return {TMoney()};
        if (IsSignedDigits(raw))
            return {TMoney(), "金額が大きすぎます", true};
        return {TMoney(), "金額ではありません"};
    }
    case 'd': {
        if (raw.empty())
            return {TDate()};
        if (const auto date = EightDigitDate(raw))
            return {*date};
        return {TDate(), "日付ではありません"};
    }
    case 's': {
        std::string restored(raw);
        std::replace(restored.begin(), restored.end(), ';', ',');
        return {DecodeCp932(restored)};
    }
    default: return {DecodeCp932(raw)};
    }
}

// One line of a file: its record, or an empty record and the message when the line is refused.
TExtractRecord ReadRecord(const TExtractFileSpec& spec, const std::string& raw, std::vector<std::string>& errors)
{
    // Split (and unquote) the bytes first and decode each column on its own, so that a broken double-byte
    // character can never swallow the comma after it.
    const std::string unquoted = spec.Quoted ? UnquoteFields(raw, spec.TrailingQuoteVariant) : raw;
    const std::vector<std::string_view> columns = SplitAt(unquoted, ",");
    const std::size_t count = columns.size();
    if (count != spec.SmallerCount && count != spec.Columns.size()) {
        errors.push_back(std::string(count < spec.SmallerCount ? spec.TooFewText : spec.TooManyText) + ShownLine(raw));
        return {};
    }
    std::vector<TExtractValue> values;
    values.reserve(spec.Columns.size());
    bool rejected = false;
    for (std::size_t c = 0; c < spec.Columns.size(); ++c) {
        TCell cell = ReadCell(spec.Columns[c], c < count ? columns[c] : std::string_view());
        if (!cell.Problem.empty())
            errors.push_back(Format("%s（%d列目：%s）：%s", LabelOf(spec), c + 1, cell.Problem, ShownLine(raw)));
        rejected = rejected || cell.RejectsRecord;
        values.push_back(std::move(cell.Value));
    }
    TExtractRecord record;
    if (!rejected)
        record.Values() = std::move(values);
    return record;
}

}  // namespace

std::vector<TExtractRecord> ReadExtractFile(const fs::path& extractFolder, const TExtractFileSpec& spec,
                                            std::vector<std::string>& errors)
{
    const fs::path folder = FindIgnoringCase(extractFolder, spec.Folder);
    const fs::path file = folder.empty() ? fs::path() : FindIgnoringCase(folder, spec.FileName);
    std::error_code error;
    if (file.empty()) {
        errors.emplace_back(spec.MissingText);
        return {};
    }
    if (!fs::is_regular_file(file, error)) {
        // A folder (or anything else) of the file's name: told as what it is, not as a missing file.
        errors.push_back(Format("%s（%s はファイルではありません）", spec.MissingText, file.string()));
        return {};
    }
    std::vector<TExtractRecord> records;
    std::vector<std::pair<std::string, int>> order;
    try {
        TLineReader reader(file);
        for (std::string raw;;) {
            bool tooLong = false;
            try {
                if (!reader.Next(raw))
                    break;
            } catch (const TLineTooLong&) {
                tooLong = true;
            }
            if (records.size() == spec.MaxLines) {
                errors.push_back(Format("%s：%d行目で行数の上限（%d行）を超えたため、このファイルを読み込みませんでした。",
                                        LabelOf(spec), reader.LineNumber(), spec.MaxLines));
                return {};
            }
            if (tooLong) {
                errors.push_back(Format("%s：%s", LabelOf(spec), LineTooLongText(reader.LineNumber(), kMaxLineBytes)));
                records.emplace_back();
                continue;
            }
            records.push_back(ReadRecord(spec, raw, errors));
            if (spec.Ordered && !records.back().Empty())
                order.emplace_back(Format("%04d%s", records.back().YearCode(), records.back().Text(column::kOrderKey)),
                                   static_cast<int>(records.size() - 1));
        }
    } catch (const std::exception& error) {
        // A file that is there but cannot be read is told like a missing one, with the reason.
        errors.push_back(std::string(spec.MissingText) + " " + error.what());
        return {};
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
