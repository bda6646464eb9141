#include "app/SyuyakuCsv.h"

#include "common/Format.h"
#include "common/Cp932.h"

#include <fstream>
#include <stdexcept>

namespace qz {
namespace {

constexpr std::string_view kHeader1 = "QuorvelMendalⅢ,,,,,Quorvel財務";
constexpr std::string_view kHeader2 = ",科目名,,内訳名,,,科目名,,補助科目名";
// The grid's columns in the file's order; column 4 is the empty separator column.
constexpr std::size_t kColumns[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};

}  // namespace

std::string CsvValue(std::string_view value)
{
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return std::string(value);
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::vector<std::string> SyuyakuCsvLines(const std::vector<TSyuyakuRow>& rows)
{
    std::vector<std::string> lines = {std::string(kHeader1), std::string(kHeader2)};
    for (const TSyuyakuRow& row : rows) {
        std::string line;
        for (const std::size_t column : kColumns) {
            if (column > 0)
                line += ',';
            line += column == 4 ? std::string() : CsvValue(row.Cells[column]);
        }
        lines.push_back(line);
    }
    return lines;
}

std::filesystem::path SyuyakuCsvFileName(const std::filesystem::path& folder, std::string_view tradeName)
{
    // A separator in the name would put the file into another folder.
    std::string name(tradeName);
    for (char& c : name)
        if (c == '/' || c == '\\')
            c = '_';
    return folder / Format("%s(%s).CSV", "集約科目", name);
}

void SaveSyuyakuCsv(const std::filesystem::path& file, const std::vector<TSyuyakuRow>& rows)
{
    std::string bytes;
    for (const std::string& line : SyuyakuCsvLines(rows))
        bytes += EncodeCp932(line) + "\r\n";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out || !(out << bytes) || !out.flush())
        throw std::runtime_error(Format("ファイルに書き込めません。<%s>", file.string()));
}

}  // namespace qz
