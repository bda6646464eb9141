#pragma once
// Reading the extract's CSV files: line splitting with the source product's unquoting rule, the
// column-count checks with their messages, typed columns, and the ordering of branches and departments.

#include "common/LineReader.h"
#include "convert/ZaimuIO_Records.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// Unquotes the first field that starts with a double quote after a comma: the quotes go, and the
// commas inside become ";". A field quoted at the very start of a line is not recognised.
std::string UnquoteLine(std::string_view line);

// The whole rule of a quoted file in one pass over the line: the result of applying UnquoteLine for as
// long as a comma is directly followed by a double quote. In the trailing-quote variant (ZMRENSOU) a line
// that ends in a quote is unquoted as if a comma followed it. Works on raw bytes (a comma or a quote is
// never part of a double-byte character).
std::string UnquoteFields(std::string_view line, bool trailingQuoteVariant);

// The entry (file or folder) in the folder whose name matches without regard to letter case, the exact
// name first; an empty path when there is none.
std::filesystem::path FindIgnoringCase(const std::filesystem::path& folder, std::string_view name);
// The same for a regular file.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder, std::string_view name);


// Reads one extract file of the folder into records; messages go to errors. Nothing is raised.
std::vector<TExtractRecord> ReadExtractFile(const std::filesystem::path& extractFolder, const TExtractFileSpec& spec,
                                            std::vector<std::string>& errors);

// The same, typed as the file's record type.
template <typename TRecord>
std::vector<TRecord> ReadExtract(const std::filesystem::path& extractFolder, const TExtractFileSpec& spec,
                                 std::vector<std::string>& errors)
{
    std::vector<TRecord> records;
    for (TExtractRecord& record : ReadExtractFile(extractFolder, spec, errors)) {
        TRecord typed;
        typed.Values() = std::move(record.Values());
        records.push_back(std::move(typed));
    }
    return records;
}

}  // namespace qz
