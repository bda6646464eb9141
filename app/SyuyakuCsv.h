#pragma once
// The aggregated-accounts list saved as a CSV file (the list form's "ﾌｧｲﾙ保存"): two header lines and one
// line per row, Shift-JIS with CR LF.

#include "convert/uQZ_ZaimuIO.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// A value as one CSV column: quoted (its quotes doubled) when it holds a comma, a double quote or a line
// break, else as it is.
std::string CsvValue(std::string_view value);

// The file's lines. A value holding a comma, a double quote or a line break is quoted (its quotes
// doubled), so that it stays one column; every other value is written as it is.
std::vector<std::string> SyuyakuCsvLines(const std::vector<TSyuyakuRow>& rows);

// The name the save dialog proposes: "集約科目(<trade name>).CSV" in the folder.
std::filesystem::path SyuyakuCsvFileName(const std::filesystem::path& folder, std::string_view tradeName);

// Writes the file (replacing it). Throws TEncodingError for a text CP932 cannot hold (nothing is written
// then) and std::runtime_error when the file cannot be written.
void SaveSyuyakuCsv(const std::filesystem::path& file, const std::vector<TSyuyakuRow>& rows);

}  // namespace qz
