#pragma once
// Builds the target product's databases as it installs them: a data database of one chart kind
// (the template contents) and the system database, and the template backups made from them.

#include "db/schema/SchemaScript.h"

#include <filesystem>
#include <string>

namespace qz::schema {

// Creates a data database file with the schema and the template contents of a chart kind (11, 21, 22).
void CreateDataDatabase(const std::string& database, int chartKind, const TDataVersion& version);

// Creates a system database ("qrvaccdef.fdb") with the given number of free DATALIST rows, whose data
// folders are "%.4d" under dataFolder (the folders themselves are not created here).
void CreateSystemDatabase(const std::string& database, int freeRows, const std::string& dataFolder);

// The template backup name of a chart kind and version, e.g. "QrvAcc11.610".
std::string TemplateName(int chartKind, const TDataVersion& version);

// Backs a database up with the command-line tool (the password goes through the environment).
void BackupWithTool(const std::filesystem::path& database, const std::filesystem::path& backup);
// Restores a backup into a new database file with the command-line tool.
void RestoreWithTool(const std::filesystem::path& backup, const std::filesystem::path& database);

}  // namespace qz::schema
