// Creates a ready installation of the target product for the conversion (tests, demo, new machines).
// Usage: qz_make_installation [--common DIR] [--rows N] [--replace] [--server HOST --server-dir DIR]
// Without --common the common application data folder of this user is used.

#include "common/TextHelpers.h"
#include "db/Firebird.h"
#include "db/schema/Installation.h"
#include "platform/ShellFolders.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

namespace {

int Usage(const char* program)
{
    std::fprintf(stderr, "usage: %s [--common DIR] [--rows N] [--replace] [--server HOST --server-dir DIR]\n", program);
    return 2;
}

// An option value that is no number ends the run with a message instead of being read as some number.
int NotANumber(const char* option, const char* value)
{
    std::fprintf(stderr, "qz_make_installation: %s needs a whole number, not '%s'\n", option, value);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    qz::schema::TInstallationOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--common" && hasValue)
            options.CommonDataPath = argv[++i];
        else if (argument == "--rows" && hasValue) {
            const std::optional<int> rows = qz::TryTextToInt32(argv[++i]);
            if (!rows)
                return NotANumber("--rows", argv[i]);
            options.FreeRows = *rows;
        } else if (argument == "--server" && hasValue)
            options.ServerHost = argv[++i];
        else if (argument == "--server-dir" && hasValue)
            options.ServerDataDir = argv[++i];
        else if (argument == "--replace")
            options.Replace = true;
        else
            return Usage(argv[0]);
    }
    try {
        if (options.CommonDataPath.empty())
            options.CommonDataPath = qz::ShellFolderPath(qz::CSIDL_COMMON_APPDATA);
        const qz::schema::TInstallation installation = qz::schema::MakeInstallation(options);
        std::printf("system database: %s\nconnection file: %s\n", installation.SysDbConnection.c_str(),
                    installation.ConnectionFile.c_str());
    } catch (const qz::fb::TFbError& error) {
        std::fprintf(stderr, "qz_make_installation: %s (code %lld, SQLCODE %d)\n", error.Message().c_str(),
                     static_cast<long long>(error.Code()), error.SqlCode());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qz_make_installation: %s\n", error.what());
        return 1;
    }
    return 0;
}
