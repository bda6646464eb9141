#include "db/schema/Installation.h"

#include "common/Format.h"
#include "db/DataModule.h"
#include "db/DbStatements.h"
#include "db/Firebird.h"
#include "db/schema/TemplateBuilder.h"
#include "platform/IniFile.h"

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qz::schema {
namespace {

constexpr std::string_view kSettingsSubPath = "QuorvelZAI/ZAIMU";
constexpr std::string_view kSystemDatabase = "qrvaccdef.fdb";

// The data folders of a server installation are made by the server itself, through the system database.
void MakeServerFolders(const std::string& connection, const std::string& dataDir, int rows)
{
    fb::TAttachment attachment = fb::TAttachment::Attach(ProductConnectParams(connection));
    fb::TTransaction transaction(attachment);
    transaction.Start();
    fb::TStatement mkdir(transaction);
    mkdir.Prepare(qz::sql::kDirectoryTest);
    for (int rec = 1; rec <= rows; ++rec) {
        const std::string folder = Format("%s/%04d", dataDir, rec);
        mkdir.SetString("MODE", "MKDIR").SetBytes("FILEPATH1", folder);
        mkdir.Open();
        if (!mkdir.Fetch() || mkdir.AsInt(0) != 1)
            throw std::runtime_error(Format("サーバーにフォルダを作成できません。<%s>", folder));
        mkdir.Close();
    }
    transaction.Commit();
}

}  // namespace

TInstallation MakeInstallation(const TInstallationOptions& options)
{
    if (options.CommonDataPath.empty())
        throw std::runtime_error("共通アプリケーションデータのフォルダが指定されていません。");
    if (options.FreeRows < 1 || options.FreeRows > 9999)
        throw std::runtime_error(Format("データフォルダの数が正しくありません。(%d)", options.FreeRows));
    const bool server = !options.ServerHost.empty();
    if (server && options.ServerDataDir.empty())
        throw std::runtime_error("サーバーのシステムフォルダが指定されていません。");

    TInstallation installation;
    installation.SettingsFolder = (fs::path(options.CommonDataPath) / std::string(kSettingsSubPath)).string();
    const std::string localData = (fs::path(installation.SettingsFolder) / "DATA").string();
    installation.SysDbDir = server ? options.ServerDataDir : localData;
    const std::string sysDbPath = (fs::path(installation.SysDbDir) / std::string(kSystemDatabase)).string();
    installation.SysDbConnection = server ? options.ServerHost + ":" + sysDbPath : sysDbPath;
    installation.ConnectionFile = (fs::path(installation.SettingsFolder) / "quorvelzaimu.ini").string();

    // The local settings folder is needed in both modes: server mode builds its data there first.
    fs::create_directories(localData);
    if (server) {
        CreateSystemDatabase(installation.SysDbConnection, options.FreeRows, options.ServerDataDir);
        MakeServerFolders(installation.SysDbConnection, options.ServerDataDir, options.FreeRows);
    } else {
        if (fs::exists(sysDbPath)) {
            if (!options.Replace)
                throw std::runtime_error(Format("システムデータベースが既にあります。<%s>", sysDbPath));
            fs::remove(sysDbPath);
        }
        for (int rec = 1; rec <= options.FreeRows; ++rec)
            fs::create_directories(Format("%s/%04d", localData, rec));
        CreateSystemDatabase(sysDbPath, options.FreeRows, localData);
    }

    TIniFile ini(installation.ConnectionFile);
    ini.WriteString("APPLICATION", "CONNECT", server ? "1" : "0");
    ini.WriteString("LOCAL", "SYSDIR", localData);
    if (server) {
        ini.WriteString("SERVER", "SYSDIR", options.ServerDataDir);
        ini.WriteString("SERVER", "HOSTNAME", options.ServerHost);
    }
    return installation;
}

}  // namespace qz::schema
