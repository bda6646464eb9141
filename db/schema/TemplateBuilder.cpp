#include "db/schema/TemplateBuilder.h"

#include "common/ChartKind.h"
#include "common/Format.h"
#include "db/DataModule.h"
#include "db/DbStatements.h"
#include "db/Firebird.h"
#include "db/schema/SchemaStatements.h"
#include "db/schema/SchemaScriptsData.h"
#include "db/schema/StandardCharts.h"
#include "platform/ChildProcess.h"
#include "platform/SystemDef.h"

#include <stdexcept>

namespace qz::schema {
namespace {

struct TSpecialAccount {
    std::string_view Name;
    std::string_view KCode;
    bool Corporation;
    bool Individual;
};

// Special accounts (特定科目) as a fresh data set holds them.
constexpr TSpecialAccount kSpecialAccounts[] = {
    {"現金", "10100", true, true},           {"仮払消費税", "18000", true, true},
    {"仮受消費税", "33700", true, true},     {"諸口", "99900", true, true},
    {"繰越利益剰余金", "85300", true, false}, {"受取手形", "15100", true, true},
    {"割引手形", "30500", true, true},       {"裏書手形", "30600", true, true},
    {"事業主貸", "28100", false, true},      {"事業主借", "37300", false, true},
    {"元入金", "80000", false, true},
};

// Print names of the cost-statement total groups.
constexpr std::pair<std::string_view, std::string_view> kTotalNames[] = {
    {"5580", "当期材料費"}, {"5680", "当期労務費"}, {"5688", "賃金手当計"},
    {"5780", "当期製造経費"}, {"5880", "当期製品製造原価"},
};

// Settings a fresh data set carries (type word, value).
struct TSetting {
    std::string_view Group;
    std::string_view Code;
    std::string_view Type;
    std::string_view Text;
};
constexpr TSetting kSettings[] = {
    {"基本設定", "過去明細取り込み", "整数", "0"},   {"基本設定", "合算データ区分", "整数", "0"},
    {"基本設定", "合算データ数", "整数", "0"},       {"基本設定", "一括税抜処理", "整数", "0"},
    {"基本設定", "科目コード桁数", "整数", "2"},     {"基本設定", "補助コード桁数", "整数", "2"},
    {"基本設定", "部門コード桁数", "整数", "1"},     {"基本設定", "印刷用期間使用区分", "整数", "0"},
    {"基本設定", "データパスワード", "文字", ""},    {"基本設定", "印刷用期間（期首）", "日付", ""},
    {"基本設定", "印刷用期間（期末）", "日付", ""},  {"減価償却設定", "250%定率法で償却する経過措置", "整数", "0"},
    {"減価償却設定", "200%定率法で償却する経過措置", "整数", "0"},
};

void Run(fb::TTransaction& tr, std::string_view statement)
{
    fb::ExecuteImmediate(tr, statement);
}

void InsertChart(fb::TTransaction& tr, int chartKind)
{
    fb::TStatement account(tr);
    account.Prepare(sql::kInsertChartAccount);
    fb::TStatement accountLevel(tr);
    accountLevel.Prepare(sql::kInsertAccountLevel);
    for (const TChartRow& row : StandardChart(chartKind)) {
        account.SetString("KCODE", row.KCode).SetString("STDCODE", row.StdCode).SetString("KNAME", row.KName);
        account.SetString("GROUPM0", row.GroupM0).SetString("GROUPM1", row.GroupM1).SetString("GROUPM2", row.GroupM2);
        account.SetInt("BLDAC", row.BlDac).SetInt("DAC", row.Dac).SetInt("TAX_LCODE", row.TaxLCode);
        account.SetInt("TAX_RCODE", row.TaxRCode).SetInt("FUN_LCODE", row.FunLCode).SetInt("FUN_RCODE", row.FunRCode);
        account.SetString("BPFLG", row.BpFlg).SetString("KEIHKUBU", row.KeihKubu);
        account.Execute();
        accountLevel.SetString("KCODE", row.KCode).SetString("KNAME", row.KName).SetInt("TAX_LCODE", row.TaxLCode);
        accountLevel.SetInt("TAX_RCODE", row.TaxRCode).SetString("BPFLG", row.BpFlg);
        accountLevel.Execute();
    }
}

void InsertBasicInformation(fb::TTransaction& tr, int chartKind)
{
    const bool corporation = chartKind == kChartCorporation;
    fb::TStatement basic(tr);
    basic.Prepare(sql::kInsertBasicInformation);
    basic.SetInt("DATATYPE", corporation ? 1 : 2).SetInt("CODETYPE", chartKind == kChartIndividualRealEstate ? 2 : 1);
    basic.SetDate("KISHU", corporation ? TDate::Ymd(2025, 4, 1) : TDate::Ymd(2025, 1, 1));
    basic.SetDate("KIMATU", corporation ? TDate::Ymd(2026, 3, 31) : TDate::Ymd(2025, 12, 31));
    basic.SetDate("CHG1", TDate::Ymd(1989, 4, 1)).SetDate("CHG2", TDate::Ymd(1997, 4, 1)).SetDate("CHG3", TDate::Ymd(2014, 4, 1));
    basic.Execute();

    fb::TStatement special(tr);
    special.Prepare(sql::kInsertSpecialAccount);
    for (const TSpecialAccount& account : kSpecialAccounts) {
        if (corporation ? !account.Corporation : !account.Individual)
            continue;
        special.SetString("KNAME", account.Name).SetString("KCODE", account.KCode);
        special.Execute();
    }

    fb::TStatement total(tr);
    total.Prepare(sql::kInsertTotalName);
    for (const auto& [group, name] : kTotalNames) {
        total.SetString("KGROUP", group).SetString("NAME", name);
        total.Execute();
    }

    fb::TStatement setting(tr);
    setting.Prepare(qz::sql::kInsertDefaultSetting);
    for (const TSetting& s : kSettings) {
        setting.SetString("AGROUP", s.Group).SetString("ACODE", s.Code).SetString("ATYPE", s.Type).SetString("ATEXT", s.Text);
        setting.Execute();
    }
}

void InsertSingleRows(fb::TTransaction& tr, const TDataVersion& version)
{
    fb::TStatement dataVersion(tr);
    dataVersion.Prepare(sql::kInsertDataVersion);
    dataVersion.SetInt("MAJOR", version.Major).SetInt("MINOR1", version.Minor1).SetInt("MINOR2", version.Minor2);
    dataVersion.Execute();
    for (const std::string_view insert : sql::kSingleRowInserts)
        Run(tr, insert);
    fb::TStatement report(tr);
    report.Prepare(sql::kInsertAuditReportItem);
    for (std::string_view code : {"監査年月日", "監査文"}) {
        report.SetString("MDCODE", code);
        report.Execute();
    }
    Run(tr, sql::kInsertTemplateHistory);
}

}  // namespace

std::string TemplateName(int chartKind, const TDataVersion& version)
{
    return Format("QrvAcc%d.%d%d%d", chartKind, version.Major, version.Minor1, version.Minor2);
}

void CreateDataDatabase(const std::string& database, int chartKind, const TDataVersion& version)
{
    if (!IsChartKind(chartKind))
        throw std::invalid_argument(Format("unknown chart kind %d", chartKind));
    fb::TAttachment attachment = fb::TAttachment::Create(ProductConnectParams(database));
    RunScript(attachment, kDataTablesSql, "datadb_tables.sql", version);
    RunScript(attachment, kDataProcsSql, "datadb_procs.sql", version);

    fb::TTransaction tr(attachment);
    tr.Start();
    fb::TStatement number(tr);
    number.Prepare(sql::kInsertNumber);
    for (int n = 0; n <= 16; ++n) {
        number.SetInt("N", n);
        number.Execute();
    }
    // The all-department row first, so the head office's trigger finds it; the accounts before the head
    // office, so its trigger creates every balance row of the chart.
    Run(tr, sql::kInsertAllDepartment);
    InsertChart(tr, chartKind);
    Run(tr, sql::kInsertHeadOffice);
    InsertBasicInformation(tr, chartKind);
    InsertSingleRows(tr, version);
    tr.Commit();
    attachment.Detach();
}

void CreateSystemDatabase(const std::string& database, int freeRows, const std::string& dataFolder)
{
    fb::TAttachment attachment = fb::TAttachment::Create(ProductConnectParams(database));
    RunScript(attachment, kSysDbSql, "sysdb.sql", TDataVersion{});
    fb::TTransaction tr(attachment);
    tr.Start();
    fb::TStatement row(tr);
    row.Prepare(sql::kInsertFreeDataFolder);
    for (int rec = 1; rec <= freeRows; ++rec) {
        row.SetInt("REC", rec).SetString("PASNAME", Format("%s/%04d", dataFolder, rec));
        row.Execute();
    }
    Run(tr, sql::kInsertConversionOperator);
    tr.Commit();
    attachment.Detach();
}

namespace {

void RunGbak(const std::vector<std::string>& arguments, const std::string& what)
{
    const int status = RunChildProcess({.Program = ProgramInFolderOrPath(CurrentExecutable().parent_path(), "gbak"),
                                        .Arguments = arguments,
                                        .Environment = {{"ISC_USER", std::string(kProductDbUser)},
                                                        {"ISC_PASSWORD", std::string(kProductDbPassword)},
                                                        {std::string(kFirebirdToolLocale.first),
                                                         std::string(kFirebirdToolLocale.second)}}});
    if (status != 0)
        throw std::runtime_error(Format("gbak failed (%d) while %s", status, what));
}

}  // namespace

void BackupWithTool(const std::filesystem::path& database, const std::filesystem::path& backup)
{
    std::filesystem::remove(backup);
    RunGbak({"-b", "-g", database.string(), backup.string()}, "backing up " + database.string());
}

void RestoreWithTool(const std::filesystem::path& backup, const std::filesystem::path& database)
{
    RunGbak({"-c", "-bu", "4096", "-p", "16384", backup.string(), database.string()}, "restoring " + backup.string());
}

std::vector<TNamedStatement> SchemaStatements()
{
    using enum TStatementDb;
    std::vector<TNamedStatement> statements = {
        QZ_NAMED_STATEMENT(Data, sql::kInsertNumber),
        QZ_NAMED_STATEMENT(Data, sql::kInsertAllDepartment),
        QZ_NAMED_STATEMENT(Data, sql::kInsertHeadOffice),
        QZ_NAMED_STATEMENT(Data, sql::kInsertChartAccount),
        QZ_NAMED_STATEMENT(Data, sql::kInsertAccountLevel),
        QZ_NAMED_STATEMENT(Data, sql::kInsertBasicInformation),
        QZ_NAMED_STATEMENT(Data, sql::kInsertSpecialAccount),
        QZ_NAMED_STATEMENT(Data, sql::kInsertTotalName),
        QZ_NAMED_STATEMENT(Data, sql::kInsertDataVersion),
        QZ_NAMED_STATEMENT(Data, sql::kInsertAuditReportItem),
        QZ_NAMED_STATEMENT(Data, sql::kInsertTemplateHistory),
        QZ_NAMED_STATEMENT(System, sql::kInsertFreeDataFolder),
        QZ_NAMED_STATEMENT(System, sql::kInsertConversionOperator),
    };
    for (const std::string_view insert : sql::kSingleRowInserts)
        statements.push_back({"kSingleRowInserts[" + std::to_string(statements.size()) + "]", Data, std::string(insert)});
    return statements;
}

}  // namespace qz::schema
