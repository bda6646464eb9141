#include "cli/Json.h"

#include "common/Format.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>

namespace qz::cli {

TJson TJson::Texts(const std::vector<std::string>& texts)
{
    TArray array;
    for (const std::string& text : texts)
        array.emplace_back(text);
    return TJson(std::move(array));
}

TJson& TJson::Set(std::string key, TJson value)
{
    auto* object = std::get_if<TObject>(&value_);
    if (!object)
        throw std::logic_error("a member was set on a JSON value that is no object");
    object->emplace_back(std::move(key), std::move(value));
    return *this;
}

TJson& TJson::Push(TJson value)
{
    auto* array = std::get_if<TArray>(&value_);
    if (!array)
        throw std::logic_error("a JSON value that is no array was appended to");
    array->push_back(std::move(value));
    return *this;
}

std::string TJson::Dump() const
{
    std::string out;
    DumpTo(out);
    return out;
}

void TJson::DumpTo(std::string& out) const
{
    if (std::holds_alternative<std::nullptr_t>(value_))
        out += "null";
    else if (const bool* flag = std::get_if<bool>(&value_))
        out += *flag ? "true" : "false";
    else if (const std::int64_t* number = std::get_if<std::int64_t>(&value_))
        out += std::to_string(*number);
    else if (const double* real = std::get_if<double>(&value_))
        out += Format("%.17g", *real);
    else if (const std::string* text = std::get_if<std::string>(&value_))
        out += JsonQuote(*text);
    else if (const TArray* array = std::get_if<TArray>(&value_)) {
        out += '[';
        for (std::size_t i = 0; i < array->size(); ++i) {
            if (i > 0)
                out += ',';
            (*array)[i].DumpTo(out);
        }
        out += ']';
    } else {
        const TObject& object = std::get<TObject>(value_);
        out += '{';
        for (std::size_t i = 0; i < object.size(); ++i) {
            if (i > 0)
                out += ',';
            out += JsonQuote(object[i].first) + ':';
            object[i].second.DumpTo(out);
        }
        out += '}';
    }
}

// A recursive-descent reader of one JSON text (RFC 8259); strings come out as UTF-8.
class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : text_(text) {}

    std::optional<TJson> Document()
    {
        std::optional<TJson> value = Value(0);
        SkipBlanks();
        if (at_ != text_.size())
            return std::nullopt;
        return value;
    }

private:
    static constexpr int kMaxDepth = 64;

    void SkipBlanks()
    {
        while (at_ < text_.size() && std::string_view(" \t\r\n").find(text_[at_]) != std::string_view::npos)
            ++at_;
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    bool TakeWord(std::string_view word)
    {
        if (text_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }

    std::optional<TJson> Value(int depth)
    {
        SkipBlanks();
        if (at_ >= text_.size() || depth > kMaxDepth)
            return std::nullopt;
        const char c = text_[at_];
        if (c == '{')
            return Object(depth);
        if (c == '[')
            return Array(depth);
        if (c == '"') {
            std::optional<std::string> text = String();
            return text ? std::optional<TJson>(TJson(std::move(*text))) : std::nullopt;
        }
        if (TakeWord("true"))
            return TJson(true);
        if (TakeWord("false"))
            return TJson(false);
        if (TakeWord("null"))
            return TJson();
        return Number();
    }

    std::optional<TJson> Object(int depth)
    {
        ++at_;
        TJson object = TJson::Object();
        if (Take('}'))
            return object;
        do {
            SkipBlanks();
            std::optional<std::string> key = String();
            if (!key || !Take(':'))
                return std::nullopt;
            std::optional<TJson> value = Value(depth + 1);
            if (!value)
                return std::nullopt;
            object.Set(std::move(*key), std::move(*value));
        } while (Take(','));
        return Take('}') ? std::optional<TJson>(std::move(object)) : std::nullopt;
    }

    std::optional<TJson> Array(int depth)
    {
        ++at_;
        TJson array = TJson::Array();
        if (Take(']'))
            return array;
        do {
            std::optional<TJson> value = Value(depth + 1);
            if (!value)
                return std::nullopt;
            array.Push(std::move(*value));
        } while (Take(','));
        return Take(']') ? std::optional<TJson>(std::move(array)) : std::nullopt;
    }

    std::optional<TJson> Number()
    {
        const std::size_t start = at_;
        while (at_ < text_.size() && std::string_view("+-0123456789.eE").find(text_[at_]) != std::string_view::npos)
            ++at_;
        const std::string_view lexeme = text_.substr(start, at_ - start);
        std::int64_t integer = 0;
        const auto [end, error] = std::from_chars(lexeme.data(), lexeme.data() + lexeme.size(), integer);
        if (error == std::errc() && end == lexeme.data() + lexeme.size() && !lexeme.empty())
            return TJson(integer);
        const std::string copy(lexeme);
        char* realEnd = nullptr;
        const double real = std::strtod(copy.c_str(), &realEnd);
        if (copy.empty() || realEnd != copy.c_str() + copy.size())
            return std::nullopt;
        return TJson(real);
    }

    std::optional<unsigned> Hex4()
    {
        if (at_ + 4 > text_.size())
            return std::nullopt;
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, value, 16);
        if (error != std::errc() || end != text_.data() + at_ + 4)
            return std::nullopt;
        at_ += 4;
        return value;
    }

    static void AppendUtf8(std::string& out, char32_t c)
    {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    // \uXXXX, with a surrogate pair joined into one character.
    bool Escaped(std::string& out)
    {
        std::optional<unsigned> unit = Hex4();
        if (!unit || (*unit >= 0xDC00 && *unit < 0xE000))
            return false;
        char32_t c = *unit;
        if (*unit >= 0xD800 && *unit < 0xDC00) {
            if (!TakeWord("\\u"))
                return false;
            const std::optional<unsigned> low = Hex4();
            if (!low || *low < 0xDC00 || *low >= 0xE000)
                return false;
            c = 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
        }
        AppendUtf8(out, c);
        return true;
    }

    std::optional<std::string> String()
    {
        if (at_ >= text_.size() || text_[at_] != '"')
            return std::nullopt;
        ++at_;
        std::string out;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size())
                return std::nullopt;
            const char escape = text_[at_++];
            constexpr std::string_view kFrom = "\"\\/bfnrt", kTo = "\"\\/\b\f\n\r\t";
            if (const std::size_t i = kFrom.find(escape); i != std::string_view::npos)
                out += kTo[i];
            else if (escape != 'u' || !Escaped(out))
                return std::nullopt;
        }
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::optional<TJson> TJson::Parse(std::string_view text)
{
    return TJsonReader(text).Document();
}

const TJson& TJson::operator[](std::string_view key) const
{
    static const TJson null;
    if (const TObject* object = std::get_if<TObject>(&value_))
        for (const auto& [name, value] : *object)
            if (name == key)
                return value;
    return null;
}

const TJson::TArray& TJson::Items() const
{
    static const TArray none;
    const TArray* array = std::get_if<TArray>(&value_);
    return array ? *array : none;
}

std::optional<std::string> TJson::Text() const
{
    const std::string* text = std::get_if<std::string>(&value_);
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<std::int64_t> TJson::Int() const
{
    const std::int64_t* number = std::get_if<std::int64_t>(&value_);
    return number ? std::optional<std::int64_t>(*number) : std::nullopt;
}

std::string JsonQuote(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += Format("\\u%04x", static_cast<int>(c));
            else
                out += c;
        }
    }
    return out + '"';
}

}  // namespace qz::cli
