#pragma once
// The statements the program sends to the target product's databases. Every module that exists lists its
// own (DbStatements, SchemaStatements, ConvertStatements, JournalStatements, WriterStatements,
// AppStatements, YearUpdateStatements, VerifyStatements); the statements of the modules not written yet wait here, and a
// module takes its statements over when it is written. A test prepares every one of them against freshly
// restored templates and the system database, so a schema change that breaks a statement fails at once.

#include "db/DbStatements.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qz::test {

struct TCatalogStatement {
    std::string_view Name;
    TStatementDb Db;
    std::string_view Sql;
    int MinMinor1;   // data version 6.x needed (the site record of journals came with 6.1)
    bool Setup;      // creates an object later statements use: executed before the others are prepared
};

std::span<const TCatalogStatement> PendingStatements();
// A pending statement's text by name, for a test that needs the object it creates.
std::string_view PendingStatement(std::string_view name);

struct TProgramStatement {
    std::string Name;
    TStatementDb Db;
    std::string Sql;
    int MinMinor1;
    bool Setup;
    bool Pending;  // a statement of a module not written yet
};

// Every statement the program sends: the modules' own and the pending ones.
std::vector<TProgramStatement> ProgramStatements();

}  // namespace qz::test
