#pragma once
// The clients of a batch for the batch's tests and benchmark: the three sample extracts, and each of them
// again as another client (another code and name) in a deeper folder; the second individual with the
// general chart carries a 4.5 % tax code in its current year, which aborts its conversion.

#include "tests/support/ExtractWriter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace qz::test {

struct TBatchClient {
    std::filesystem::path Folder;   // relative to the batch's folder
    TExtractDescription Description;
    bool Aborts = false;
};

std::vector<TBatchClient> BatchClients();

// Writes every client below the folder.
void WriteBatchClients(const std::vector<TBatchClient>& clients, const std::filesystem::path& folder);

}  // namespace qz::test
