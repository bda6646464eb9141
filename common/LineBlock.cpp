#include "common/LineBlock.h"

#include "common/TextHelpers.h"

namespace qz {

void TLineBlockBuilder::StartLine()
{
    if (!text_.empty())
        text_ += "\r\n";
}

void TLineBlockBuilder::AddItem(std::string_view key, std::string_view value, bool first)
{
    if (!first)
        text_ += kBlockSeparator;
    text_.append(key);
    text_ += '=';
    for (const char c : value)
        text_ += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}

template <typename TItems>
TLineBlockBuilder& TLineBlockBuilder::AddItems(const TItems& items)
{
    StartLine();
    bool first = true;
    for (const auto& [key, value] : items) {
        AddItem(key, value, first);
        first = false;
    }
    return *this;
}

TLineBlockBuilder& TLineBlockBuilder::AddLine(std::initializer_list<TBlockItem> items)
{
    return AddItems(items);
}

TLineBlockBuilder& TLineBlockBuilder::AddLine(const std::vector<std::pair<std::string, std::string>>& items)
{
    return AddItems(items);
}

TBlockLine::TBlockLine(std::string_view line, std::string_view separator)
{
    for (const std::string_view item : SplitAt(line, separator)) {
        const std::size_t equals = item.find('=');
        if (equals != std::string_view::npos)
            items_.emplace_back(item.substr(0, equals), item.substr(equals + 1));
    }
}

std::string TBlockLine::Value(std::string_view key) const
{
    for (const auto& [itemKey, value] : items_)
        if (itemKey == key)
            return value;
    return {};
}

std::vector<TBlockLine> ReadLineBlock(std::string_view block, std::string_view separator)
{
    std::vector<TBlockLine> lines;
    std::vector<std::string_view> parts = SplitAt(block, "\r\n");
    if (!parts.empty() && parts.back().empty())
        parts.pop_back();
    for (const std::string_view part : parts)
        lines.emplace_back(part, separator);
    return lines;
}

}  // namespace qz
