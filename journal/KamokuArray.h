#pragma once
// The balance rows of one branch with their account, sub-account and department, read once and searched
// in memory: a lookup by user code starts at the first row of that user code (the index) and scans while
// the user code stays the same.

#include "db/Firebird.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qz {

struct TKamokuRec {
    std::string SCODE, KCODE, HCODE, BCODE;
    std::string SNAME;
    std::string USERCODE;
    std::string GROUPM1, GROUPM2;
    std::string KNAME, HNAME, BNAME;
    int TAX_LCODE = 0, TAX_RCODE = 0;      // the account's categories of the debit and the credit side
    int H_TAX_LCODE = 0, H_TAX_RCODE = 0;  // the sub-account's
    int FUN_LCODE = 0, FUN_RCODE = 0;      // cash-flow codes
};

// Reads one row of the balance-row statements (the branch's rows, or the row of one side).
TKamokuRec ReadKamokuRec(const fb::TStatement& query);

class TKamokuArray {
public:
    // Reads the rows of the branch (counted first, so the table is sized once).
    void Load(fb::TTransaction& transaction, const std::string& branch);

    const std::vector<TKamokuRec>& Rows() const { return rows_; }

    // The first row of the user code with the sub-account and, when given, the department; nullptr when
    // there is none.
    const TKamokuRec* Find(std::string_view userCode, std::string_view hcode, std::optional<std::string_view> bcode) const;
    // The rows of the user code without department (more than one: the account has sub-accounts), and its
    // department rows at account level (more than one: it is kept by department).
    int CountWithoutDepartment(std::string_view userCode) const;
    int CountDepartmentRows(std::string_view userCode) const;
    // The index as lines "user code=row number", in row order.
    std::vector<std::string> IndexLines() const;

private:
    // Visits the rows of the user code from its index entry on, while visit returns true.
    template <typename Visit>
    void ForEachRowOf(std::string_view userCode, Visit visit) const;
    template <typename Predicate>
    int CountRows(std::string_view userCode, Predicate predicate) const;

    std::vector<TKamokuRec> rows_;
    std::unordered_map<std::string, std::size_t> firstRowOf_;
};

}  // namespace qz
