#include "db/schema/TemplateBuilder.h"

#include "common/ChartKind.h"
#include "common/Format.h"
#include "db/Firebird.h"
#include "db/schema/SchemaScriptsData.h"
#include "db/schema/StandardCharts.h"
#include "platform/ChildProcess.h"
#include "platform/SystemDef.h"

#include <stdexcept>

namespace qz::schema {
namespace {

constexpr std::string_view kUser = "HOLDEX";
constexpr std::string_view kPassword = "vostar";

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

fb::TConnectParams Params(const std::string& database)
{
    return {.Database = database, .User = std::string(kUser), .Password = std::string(kPassword)};
}

void Run(fb::TTransaction& tr, std::string_view sql)
{
    fb::ExecuteImmediate(tr, sql);
}

void InsertChart(fb::TTransaction& tr, int chartKind)
{
    fb::TStatement account(tr);
    account.Prepare("INSERT INTO KAMOKUMST (KCODE, USERCODE, STDCODE, KNAME, USE, GROUPM0, GROUPM1, GROUPM2, BLDAC, DAC,"
                    " TAX_LCODE, TAX_RCODE, FUN_LCODE, FUN_RCODE, HOJOSW, BPFLG, KEIHKUBU)"
                    " VALUES (:KCODE, :STDCODE, :STDCODE, :KNAME, 1, :GROUPM0, :GROUPM1, :GROUPM2, :BLDAC, :DAC,"
                    " :TAX_LCODE, :TAX_RCODE, :FUN_LCODE, :FUN_RCODE, '', :BPFLG, :KEIHKUBU)");
    fb::TStatement accountLevel(tr);
    accountLevel.Prepare("INSERT INTO HOJOMST (KCODE, HCODE, HNAME, TAX_LCODE, TAX_RCODE, BPFLG)"
                         " VALUES (:KCODE, ' ', :KNAME, :TAX_LCODE, :TAX_RCODE, :BPFLG)");
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
    basic.Prepare("INSERT INTO ACCDEF1 (REC, GROUPID, DATATYPE, CODETYPE, NENDO, KISHU, KIMATU, KAISI, SIME, KAISINO,"
                  " SERIAL, ENTTEXT, SHOUGOU, NEW_TAX_RATE1, NEW_TAX_RATE2, NEW_TAX_RATE3, CHG_DAYS1, CHG_DAYS2,"
                  " CHG_DAYS3, CASHFLOWSW, KESSAN_KIKAN, CASHFLOW_KIKAN1, CASHFLOW_KIKAN2)"
                  " VALUES (1, 10000, :DATATYPE, :CODETYPE, 1, :KISHU, :KIMATU, :KISHU, 99, 1, '', '', '',"
                  " 3, 5, 8, :CHG1, :CHG2, :CHG3, 0, -1, -1, -1)");
    basic.SetInt("DATATYPE", corporation ? 1 : 2).SetInt("CODETYPE", chartKind == kChartIndividualRealEstate ? 2 : 1);
    basic.SetDate("KISHU", corporation ? TDate::Ymd(2025, 4, 1) : TDate::Ymd(2025, 1, 1));
    basic.SetDate("KIMATU", corporation ? TDate::Ymd(2026, 3, 31) : TDate::Ymd(2025, 12, 31));
    basic.SetDate("CHG1", TDate::Ymd(1989, 4, 1)).SetDate("CHG2", TDate::Ymd(1997, 4, 1)).SetDate("CHG3", TDate::Ymd(2014, 4, 1));
    basic.Execute();

    fb::TStatement special(tr);
    special.Prepare("INSERT INTO ACCDEF2 (KNAME, KCODE, KGROUP, HYOUJYUN) VALUES (:KNAME, :KCODE, '', 1)");
    for (const TSpecialAccount& account : kSpecialAccounts) {
        if (corporation ? !account.Corporation : !account.Individual)
            continue;
        special.SetString("KNAME", account.Name).SetString("KCODE", account.KCode);
        special.Execute();
    }

    fb::TStatement total(tr);
    total.Prepare("INSERT INTO ACCTOTALNAME (KGROUP, TOTALNAME, PLUSNAME) VALUES (:KGROUP, :NAME, :NAME)");
    for (const auto& [group, name] : kTotalNames) {
        total.SetString("KGROUP", group).SetString("NAME", name);
        total.Execute();
    }

    fb::TStatement setting(tr);
    setting.Prepare("INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES (:AGROUP, :ACODE, :ATYPE, :ATEXT)");
    for (const TSetting& s : kSettings) {
        setting.SetString("AGROUP", s.Group).SetString("ACODE", s.Code).SetString("ATYPE", s.Type).SetString("ATEXT", s.Text);
        setting.Execute();
    }
}

void InsertSingleRows(fb::TTransaction& tr, const TDataVersion& version)
{
    Run(tr, Format("INSERT INTO ACCVERSION (MAJOR, MINOR1, MINOR2) VALUES (%d, %d, %d)", version.Major, version.Minor1,
                   version.Minor2));
    Run(tr, "INSERT INTO TAX_KAZEIHOUSIKI (REC) VALUES (1)");
    Run(tr, "INSERT INTO KESSAN (REC) VALUES (1)");
    Run(tr, "INSERT INTO AO_SINKOKU (REC) VALUES (1)");
    Run(tr, "INSERT INTO EXTERKS (REC) VALUES (1)");
    Run(tr, "INSERT INTO TUSIN_ID (REC, HOLDER, PASWORD) VALUES (1, '', '')");
    Run(tr, "INSERT INTO MSD_HOUKOKU_LO1 (REC) VALUES (1)");
    fb::TStatement report(tr);
    report.Prepare("INSERT INTO MSD_HOUKOKU (MDGROUP, MDCODE) VALUES ('監事監査報告書', :MDCODE)");
    for (std::string_view code : {"監査年月日", "監査文"}) {
        report.SetString("MDCODE", code);
        report.Execute();
    }
    Run(tr, "INSERT INTO OPINF (JOBNAME) VALUES ('テンプレート作成')");
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
    fb::TAttachment attachment = fb::TAttachment::Create(Params(database));
    RunScript(attachment, kDataTablesSql, "datadb_tables.sql", version);
    RunScript(attachment, kDataProcsSql, "datadb_procs.sql", version);

    fb::TTransaction tr(attachment);
    tr.Start();
    for (int n = 0; n <= 16; ++n)
        Run(tr, Format("INSERT INTO SYS_NUMBERS (N) VALUES (%d)", n));
    // The all-department row first, so the head office's trigger finds it; the accounts before the head
    // office, so its trigger creates every balance row of the chart.
    Run(tr, "INSERT INTO BUMONMST (BCODE, BNAME) VALUES (' ', '全部門')");
    InsertChart(tr, chartKind);
    Run(tr, "INSERT INTO SISETUMST (SCODE, SNAME) VALUES (' ', '本店')");
    InsertBasicInformation(tr, chartKind);
    InsertSingleRows(tr, version);
    tr.Commit();
    attachment.Detach();
}

void CreateSystemDatabase(const std::string& database, int freeRows, const std::string& dataFolder)
{
    fb::TAttachment attachment = fb::TAttachment::Create(Params(database));
    RunScript(attachment, kSysDbSql, "sysdb.sql", TDataVersion{});
    fb::TTransaction tr(attachment);
    tr.Start();
    fb::TStatement row(tr);
    row.Prepare("INSERT INTO DATALIST (REC, GROUPID, ENTTEXT, PASNAME, NENDO) VALUES (:REC, 10000, '', :PASNAME, 1)");
    for (int rec = 1; rec <= freeRows; ++rec) {
        row.SetInt("REC", rec).SetString("PASNAME", Format("%s/%04d", dataFolder, rec));
        row.Execute();
    }
    Run(tr, "INSERT INTO OPERATOR (USERCODE, GROUPID, USERNAME, USERLEVEL) VALUES (100009999, 10000, 'コンバート', 9)");
    tr.Commit();
    attachment.Detach();
}

namespace {

void RunGbak(const std::vector<std::string>& arguments, const std::string& what)
{
    const int status = RunChildProcess({.Program = ProgramInFolderOrPath(CurrentExecutable().parent_path(), "gbak"),
                                        .Arguments = arguments,
                                        .Environment = {{"ISC_USER", std::string(kUser)},
                                                        {"ISC_PASSWORD", std::string(kPassword)}}});
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

}  // namespace qz::schema
