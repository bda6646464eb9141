#include "tests/support/StatementCatalog.h"

#include "app/AppStatements.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "convert/ZaimuIO_Statements.h"
#include "db/schema/SchemaStatements.h"
#include "journal/SiwakeStatements.h"
#include "verify/Verify_Statements.h"
#include "writer/DataKakikomi_Statements.h"
#include "yearupdate/NendoKousin_Statements.h"

#include <array>
#include <stdexcept>

namespace qz::test {
namespace {

// A module's statement that creates an object (a procedure, an exception) is run before the others are
// prepared, as the module runs it before it uses the object.
bool CreatesObject(std::string_view sql)
{
    const std::string text = Trim(sql);
    return text.starts_with("CREATE ") || text.starts_with("RECREATE ");
}

// The statement texts of the modules not written yet. Every module is written: none waits here, and a
// statement added to the program belongs in its module's statements file.
constexpr std::array<TCatalogStatement, 0> kStatements{};

}  // namespace

std::span<const TCatalogStatement> PendingStatements()
{
    return kStatements;
}

std::string_view PendingStatement(std::string_view name)
{
    for (const TCatalogStatement& entry : kStatements)
        if (entry.Name == name)
            return entry.Sql;
    throw std::invalid_argument("no pending statement " + std::string(name));
}

std::vector<TProgramStatement> ProgramStatements()
{
    std::vector<TProgramStatement> all;
    for (auto&& list :
         {DbStatements(), schema::SchemaStatements(), ConvertStatements(), JournalStatements(), WriterStatements(),
          AppStatements(), YearUpdateStatements(), VerifyStatements()})
        for (const TNamedStatement& statement : list)
            all.push_back({std::string(statement.Name), statement.Db, statement.Sql, statement.MinMinor1,
                           CreatesObject(statement.Sql), false});
    for (const TCatalogStatement& entry : kStatements)
        all.push_back({std::string(entry.Name), entry.Db, std::string(entry.Sql), entry.MinMinor1, entry.Setup, true});
    return all;
}

}  // namespace qz::test
