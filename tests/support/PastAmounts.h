#pragma once
// Where a data set keeps amounts of a year: the money columns of a table that hold anything but zero,
// found from the database's own description of the table, so that a column nobody thought of is found too.

#include "db/Firebird.h"

#include <string>
#include <string_view>
#include <vector>

namespace qz::test {

// "TABLE.COLUMN" of every money column of the table whose rows (those meeting the condition, when one is
// given) are not all zero.
std::vector<std::string> NonZeroMoneyColumns(fb::TTransaction& transaction, std::string_view table,
                                             std::string_view condition = {});

}  // namespace qz::test
