#pragma once
// The catalog of statement texts the program sends to the target product's databases. A test prepares
// every one of them against freshly restored templates and the system database, so a schema change that
// breaks a statement fails at once.

#include <span>
#include <string_view>

namespace qz::test {

enum class TCatalogDb { System, Data };

struct TCatalogStatement {
    std::string_view Name;
    TCatalogDb Db;
    std::string_view Sql;
    int MinMinor1;   // data version 6.x needed (the site record of journals came with 6.1)
    bool Setup;      // creates an object later statements use: executed before the others are prepared
};

std::span<const TCatalogStatement> StatementCatalog();

}  // namespace qz::test
