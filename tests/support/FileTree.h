#pragma once
// Every file below a folder with its size and a checksum, to show that a run left an operator's files as
// they were: list before, list after, compare.

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qz::test {

struct TFileState {
    std::uintmax_t Size = 0;
    std::uint64_t Hash = 0;   // FNV-1a over the bytes
    bool operator==(const TFileState&) const = default;
};

// Relative path (generic form) → state, for every regular file below a folder (symbolic links are not followed).
using TFileTree = std::map<std::string, TFileState>;

// The files below folder, named relative to relativeTo (the folder itself when empty); nothing when the folder
// is not there.
TFileTree ListFileTree(const std::filesystem::path& folder, const std::filesystem::path& relativeTo = {});

// One line for each file that is gone, changed or new in after, except the relative paths in mayChange (the
// files the run is allowed to add or to change). Empty when the trees agree.
std::vector<std::string> TreeChanges(const TFileTree& before, const TFileTree& after,
                                     const std::set<std::string>& mayChange = {});

}  // namespace qz::test
