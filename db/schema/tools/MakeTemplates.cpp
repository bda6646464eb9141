// Builds the template backups of the target product ("QrvAcc11.600" ... "QrvAcc22.610") into an INIT folder.
// Usage: qz_make_templates INIT_FOLDER

#include "common/ChartKind.h"
#include "db/Firebird.h"
#include "db/schema/TemplateBuilder.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s INIT_FOLDER\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    using namespace qz::schema;
    const fs::path init = argv[1];
    try {
        fs::create_directories(init / "work");
        for (const TDataVersion version : {TDataVersion{6, 0, 0}, TDataVersion{6, 1, 0}}) {
            for (const int chartKind : qz::kChartKinds) {
                const fs::path database = init / "work" / (TemplateName(chartKind, version) + ".fdb");
                fs::remove(database);
                CreateDataDatabase(database.string(), chartKind, version);
                BackupWithTool(database, init / TemplateName(chartKind, version));
                fs::remove(database);
            }
        }
        fs::remove_all(init / "work");
    } catch (const qz::fb::TFbError& error) {
        std::fprintf(stderr, "qz_make_templates: %s (code %lld, SQLCODE %d)\n", error.Message().c_str(),
                     static_cast<long long>(error.Code()), error.SqlCode());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qz_make_templates: %s\n", error.what());
        return 1;
    }
    return 0;
}
