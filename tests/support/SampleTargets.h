#pragma once
// Where a sample extract's money must land in the target, worked out from the sample's own description
// (not from the conversion's tables), and what the target holds, grouped the same way; and the choices the
// wizard makes for a sample before the import run.

#include "common/Money.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/Firebird.h"
#include "tests/support/ExtractWriter.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace qz::test {

// (target branch, target account) → amount in ten-thousandths of a yen; no zero amounts.
using TSums = std::map<std::pair<std::string, std::string>, std::int64_t>;

// The target account a sample's source account lands on. The samples use the target's own codes except
// for the deposits that the target's charts merge into their group account: the corporation's
// installment savings into other deposits, the individual's ordinary deposits into the deposits.
std::string TargetAccountOf(const TExtractDescription& d, const std::string& source);
// Target branch code of a source branch: "" without branches and for the head office, else the branches
// numbered in the order the sample lists them.
std::string TargetBranchOf(const TExtractDescription& d, const std::string& source);

TSums ExpectedOpening(const TExtractDescription& d, const TExtractYear& year);
// The year's entries per side: 1 debit, 2 credit.
std::map<int, TSums> ExpectedJournals(const TExtractDescription& d, const TExtractYear& year);

// A query's rows (branch, account, amount) summed per trimmed (branch, account); zero sums left out.
TSums Grouped(fb::TTransaction& transaction, std::string_view sql);

// The template backup of a chart kind ("QrvAcc11.610").
std::string TemplateFileOf(int chartKind);

// What the wizard sets for the sample's most recent year (the years before it as prior and prior-prior
// year): the year settings, the balance kind, the special accounts.
void ChooseMostRecentYear(TQZaimuIO& io, const TExtractDescription& d);

}  // namespace qz::test
