#include "tests/support/FileTree.h"

#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qz::test {
namespace {

TFileState StateOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    TFileState state;
    std::uint64_t hash = 14695981039346656037ull;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        for (std::streamsize i = 0; i < in.gcount(); ++i)
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        state.Size += static_cast<std::uintmax_t>(in.gcount());
    }
    state.Hash = hash;
    return state;
}

}  // namespace

TFileTree ListFileTree(const fs::path& folder, const fs::path& relativeTo)
{
    TFileTree tree;
    if (!fs::exists(folder))
        return tree;
    const fs::path base = relativeTo.empty() ? folder : relativeTo;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink())
            tree.emplace(entry.path().lexically_relative(base).generic_string(), StateOf(entry.path()));
    return tree;
}

std::vector<std::string> TreeChanges(const TFileTree& before, const TFileTree& after, const std::set<std::string>& mayChange)
{
    std::vector<std::string> changes;
    for (const auto& [path, state] : before) {
        if (mayChange.contains(path))
            continue;
        const auto found = after.find(path);
        if (found == after.end())
            changes.push_back("gone: " + path);
        else if (!(found->second == state))
            changes.push_back("changed: " + path);
    }
    for (const auto& [path, state] : after)
        if (!before.contains(path) && !mayChange.contains(path))
            changes.push_back("new: " + path);
    return changes;
}

}  // namespace qz::test
