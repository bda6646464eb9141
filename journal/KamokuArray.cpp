#include "journal/KamokuArray.h"

#include "common/Format.h"
#include "journal/SiwakeStatements.h"

#include <algorithm>

namespace qz {

TKamokuRec ReadKamokuRec(const fb::TStatement& query)
{
    const auto text = [&](std::string_view column) { return query.AsString(column); };
    const auto integer = [&](std::string_view column) { return static_cast<int>(query.AsInt(column)); };
    TKamokuRec row;
    row.SCODE = text("SCODE");
    row.KCODE = text("KCODE");
    row.HCODE = text("HCODE");
    row.BCODE = text("BCODE");
    row.SNAME = text("SNAME");
    row.USERCODE = text("USERCODE");
    row.GROUPM1 = text("GROUPM1");
    row.GROUPM2 = text("GROUPM2");
    row.KNAME = text("KNAME");
    row.HNAME = text("HNAME");
    row.BNAME = text("BNAME");
    row.TAX_LCODE = integer("TAX_LCODE");
    row.TAX_RCODE = integer("TAX_RCODE");
    row.H_TAX_LCODE = integer("H_TAX_LCODE");
    row.H_TAX_RCODE = integer("H_TAX_RCODE");
    row.FUN_LCODE = integer("FUN_LCODE");
    row.FUN_RCODE = integer("FUN_RCODE");
    return row;
}

void TKamokuArray::Load(fb::TTransaction& transaction, const std::string& branch)
{
    rows_.clear();
    firstRowOf_.clear();
    fb::TStatement count(transaction);
    count.Prepare(journal::sql::kCountBranchRows);
    count.SetString("SCODE", branch);
    count.Open();
    if (count.Fetch())
        rows_.reserve(static_cast<std::size_t>(count.AsInt("RECCNT")));

    fb::TStatement query(transaction);
    query.Prepare(journal::sql::kSelectBranchRows);
    query.SetString("SCODE", branch);
    query.Open();
    while (query.Fetch()) {
        rows_.push_back(ReadKamokuRec(query));
        if (rows_.size() == 1 || rows_[rows_.size() - 2].USERCODE != rows_.back().USERCODE)
            firstRowOf_.emplace(rows_.back().USERCODE, rows_.size() - 1);
    }
}

template <typename Visit>
void TKamokuArray::ForEachRowOf(std::string_view userCode, Visit visit) const
{
    const auto first = firstRowOf_.find(std::string(userCode));
    if (first == firstRowOf_.end())
        return;
    for (std::size_t i = first->second; i < rows_.size() && rows_[i].USERCODE == userCode; ++i)
        if (!visit(rows_[i]))
            return;
}

const TKamokuRec* TKamokuArray::Find(std::string_view userCode, std::string_view hcode, std::optional<std::string_view> bcode) const
{
    const TKamokuRec* found = nullptr;
    ForEachRowOf(userCode, [&](const TKamokuRec& row) {
        if (row.HCODE == hcode && (!bcode || row.BCODE == *bcode))
            found = &row;
        return !found;
    });
    return found;
}

template <typename Predicate>
int TKamokuArray::CountRows(std::string_view userCode, Predicate predicate) const
{
    int count = 0;
    ForEachRowOf(userCode, [&](const TKamokuRec& row) {
        count += predicate(row) ? 1 : 0;
        return true;
    });
    return count;
}

int TKamokuArray::CountWithoutDepartment(std::string_view userCode) const
{
    return CountRows(userCode, [](const TKamokuRec& row) { return row.BCODE == " "; });
}

int TKamokuArray::CountDepartmentRows(std::string_view userCode) const
{
    return CountRows(userCode, [](const TKamokuRec& row) { return row.HCODE == " " && row.BCODE != " "; });
}

std::vector<std::string> TKamokuArray::IndexLines() const
{
    std::vector<std::pair<std::size_t, std::string>> byRow;
    for (const auto& [userCode, row] : firstRowOf_)
        byRow.emplace_back(row, userCode);
    std::sort(byRow.begin(), byRow.end());
    std::vector<std::string> lines;
    for (const auto& [row, userCode] : byRow)
        lines.push_back(Format("%s=%d", userCode, row));
    return lines;
}

}  // namespace qz
