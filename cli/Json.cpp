#include "cli/Json.h"

#include "common/Format.h"

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
