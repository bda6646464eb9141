#pragma once
// The hand-over format between the conversion and the writer: a block of lines separated by CR LF, each
// line a list of KEY=value items separated by a TAB, values read by key (a missing key reads empty).

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz {

inline constexpr std::string_view kBlockSeparator = "\t";

using TBlockItem = std::pair<std::string_view, std::string_view>;

// Builds a block line by line. A TAB, CR or LF inside a value would split its line and shift every item
// after it, so each of them becomes a blank.
class TLineBlockBuilder {
public:
    TLineBlockBuilder& AddLine(std::initializer_list<TBlockItem> items);
    TLineBlockBuilder& AddLine(const std::vector<std::pair<std::string, std::string>>& items);
    bool Empty() const { return text_.empty(); }
    const std::string& Text() const { return text_; }

private:
    template <typename TItems>
    TLineBlockBuilder& AddItems(const TItems& items);
    void AddItem(std::string_view key, std::string_view value, bool first);
    void StartLine();
    std::string text_;
};

// One line of a block, read by key.
class TBlockLine {
public:
    explicit TBlockLine(std::string_view line, std::string_view separator = kBlockSeparator);
    // The value of the first item with the key; empty when there is none.
    std::string Value(std::string_view key) const;

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

// The lines of a block (an empty block has none; a trailing line break adds no empty line).
std::vector<TBlockLine> ReadLineBlock(std::string_view block, std::string_view separator = kBlockSeparator);

}  // namespace qz
