#pragma once
// Databases of the target product for tests: a data database restored from one of the template backups
// the build made, and a fresh system database, each in its own temporary folder.

#include "db/Firebird.h"
#include "db/schema/SchemaScript.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <string>

namespace qz::test {

std::filesystem::path TemplateFolder();   // the build's INIT folder

// A template backup restored as "qrvacc.fdb" in a fresh folder, attached.
class TRestoredTemplate {
public:
    TRestoredTemplate(int chartKind, schema::TDataVersion version = {6, 1, 0});
    fb::TAttachment& Attachment() { return attachment_; }
    const std::filesystem::path& Database() const { return database_; }
    const schema::TDataVersion& Version() const { return version_; }

private:
    TTempFolder folder_;
    schema::TDataVersion version_;
    std::filesystem::path database_;
    fb::TAttachment attachment_;
};

// A fresh system database "qrvaccdef.fdb" with free DATALIST rows, attached.
class TSystemDatabase {
public:
    explicit TSystemDatabase(int freeRows = 10);
    fb::TAttachment& Attachment() { return attachment_; }
    const std::filesystem::path& DataFolder() const { return dataFolder_; }

private:
    TTempFolder folder_;
    std::filesystem::path dataFolder_;
    fb::TAttachment attachment_;
};

// Runs a query and returns its first column of the first row as an integer (0 when there is no row).
std::int64_t QueryInt(fb::TTransaction& transaction, std::string_view sql);

}  // namespace qz::test
