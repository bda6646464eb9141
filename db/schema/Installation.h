#pragma once
// Creates a ready installation of the target product: the settings folder under the common application
// data folder, the system database with free data-folder rows, the data folders and the connection file,
// locally or with the system database on a Firebird server.

#include <string>

namespace qz::schema {

struct TInstallationOptions {
    std::string CommonDataPath{};// the common application data folder
    int FreeRows = 20;           // DATALIST rows 1..FreeRows, folders "%.4d"
    std::string ServerHost{};    // empty: local mode
    std::string ServerDataDir{}; // server mode: the system folder on the server's machine
    bool Replace = false;        // replace an existing local system database
};

struct TInstallation {
    std::string SettingsFolder;   // <common>/QuorvelZAI/ZAIMU
    std::string SysDbDir;         // the system folder (on the server in server mode)
    std::string SysDbConnection;  // what to attach: a path, or host:path
    std::string ConnectionFile;   // quorvelzaimu.ini
};

// Throws std::runtime_error (Japanese message) or fb::TFbError when the installation cannot be made.
TInstallation MakeInstallation(const TInstallationOptions& options);

}  // namespace qz::schema
