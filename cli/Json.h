#pragma once
// The one machine-readable summary a command prints with --json: a small JSON value tree whose objects
// keep their keys in the order they were added, written as UTF-8; and read back, for the summaries a
// batch's workers print.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qz::cli {

class TJson {
public:
    using TArray = std::vector<TJson>;
    using TObject = std::vector<std::pair<std::string, TJson>>;

    TJson() : value_(nullptr) {}
    TJson(bool value) : value_(value) {}
    TJson(int value) : value_(static_cast<std::int64_t>(value)) {}
    TJson(std::int64_t value) : value_(value) {}
    TJson(double value) : value_(value) {}
    TJson(std::string value) : value_(std::move(value)) {}
    TJson(std::string_view value) : value_(std::string(value)) {}
    TJson(const char* value) : value_(std::string(value)) {}
    TJson(TArray value) : value_(std::move(value)) {}

    static TJson Object() { TJson json; json.value_ = TObject(); return json; }
    static TJson Array() { return TJson(TArray()); }
    // An array of texts.
    static TJson Texts(const std::vector<std::string>& texts);

    // Adds a member to an object (the value must be one) and returns the object.
    TJson& Set(std::string key, TJson value);
    // Appends to an array (the value must be one) and returns the array.
    TJson& Push(TJson value);

    std::string Dump() const;

    // The value of a JSON text; nothing when the text is not one JSON value.
    static std::optional<TJson> Parse(std::string_view text);
    // A member (null when absent, or when this is no object), the items of an array (none when this is
    // no array), a text, an integer.
    const TJson& operator[](std::string_view key) const;
    const TArray& Items() const;
    bool IsNull() const { return std::holds_alternative<std::nullptr_t>(value_); }
    std::optional<std::string> Text() const;
    std::optional<std::int64_t> Int() const;

private:
    void DumpTo(std::string& out) const;
    std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, TArray, TObject> value_;
};

// A JSON string literal of a UTF-8 text: quotes, backslashes and control characters escaped.
std::string JsonQuote(std::string_view text);

}  // namespace qz::cli
