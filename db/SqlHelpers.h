#pragma once
// SQL objects bound to the system or the data database of a data module.

#include "db/DataModule.h"
#include "db/Firebird.h"

#include <memory>
#include <string_view>

namespace qz {

// The database name "ACCDEF" selects the system database, any other name the data database. The
// statements run in the database's default transaction; a query on the data database with snapshot
// set runs in its snapshot transaction.
std::unique_ptr<fb::TStatement> NewQuery(TDM& dm, std::string_view database, bool snapshot);
std::unique_ptr<fb::TStatement> NewSQL(TDM& dm, std::string_view database);

// A selectable stored procedure: "SELECT * FROM name(:P1, ...)" prepared with the procedure's inputs.
// Nothing, after the failure has been reported, when it cannot be prepared.
std::unique_ptr<fb::TStatement> NewStoredProc(TDM& dm, std::string_view database, std::string_view procedure);

}  // namespace qz
