#include "db/DataModule.h"
#include "tests/support/TemplateDatabase.h"

#include "db/schema/TemplateBuilder.h"

namespace qz::test {

std::filesystem::path TemplateFolder()
{
    return QZ_TEST_INIT_DIR;
}

TRestoredTemplate::TRestoredTemplate(int chartKind, schema::TDataVersion version)
    : version_(version), database_(folder_.Path() / "qrvacc.fdb")
{
    schema::RestoreWithTool(TemplateFolder() / schema::TemplateName(chartKind, version), database_);
    attachment_ = fb::TAttachment::Attach(ProductConnectParams(database_.string()));
}

TSystemDatabase::TSystemDatabase(int freeRows) : dataFolder_(folder_.Path() / "DATA")
{
    const std::filesystem::path database = dataFolder_ / "qrvaccdef.fdb";
    std::filesystem::create_directories(dataFolder_);
    schema::CreateSystemDatabase(database.string(), freeRows, dataFolder_.string());
    attachment_ = fb::TAttachment::Attach(ProductConnectParams(database.string()));
}

std::int64_t QueryInt(fb::TTransaction& transaction, std::string_view sql)
{
    fb::TStatement statement(transaction);
    statement.Prepare(sql);
    statement.Open();
    return statement.Fetch() ? statement.AsInt(0) : 0;
}

}  // namespace qz::test
