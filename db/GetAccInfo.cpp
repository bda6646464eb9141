// Reading the basic information of the attached data database into AccInfo.

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/Ui.h"
#include "db/DataModule.h"
#include "db/ErrorReport.h"
#include "db/DbStatements.h"
#include "db/Settings.h"

#include <utility>
#include <vector>

namespace qz {
namespace {

// Columns of ACCDEF1 and where they go in TACCINF.
const std::vector<std::pair<const char*, std::string TACCINF::*>> kTextColumns = {
    {"ENTTEXT", &TACCINF::ENTTEXT}, {"SERIAL", &TACCINF::SERIAL}, {"GYOUSHU", &TACCINF::GYOUSHU},
    {"SCODE1", &TACCINF::SCODE1}, {"SCODE2", &TACCINF::SCODE2}, {"SKANA", &TACCINF::SKANA},
    {"SHOUGOU", &TACCINF::SHOUGOU}, {"POST", &TACCINF::POST}, {"ADD1", &TACCINF::ADD1}, {"ADD2", &TACCINF::ADD2},
    {"TEL", &TACCINF::TEL}, {"AO_ADD1", &TACCINF::AO_ADD1}, {"AO_ADD2", &TACCINF::AO_ADD2},
    {"AO_KANA", &TACCINF::AO_KANA}, {"AO_SIMEI", &TACCINF::AO_SIMEI}, {"AO_GYOUSHU", &TACCINF::AO_GYOUSHU},
    {"AO_YAGO", &TACCINF::AO_YAGO}, {"AO_KANYU", &TACCINF::AO_KANYU}, {"AO_TEL", &TACCINF::AO_TEL},
    {"AO_SHOKUGYO1", &TACCINF::AO_SHOKUGYO1}, {"AO_SHOKUGYO2", &TACCINF::AO_SHOKUGYO2}, {"MAIL", &TACCINF::MAIL},
    {"GENGOU_NAME", &TACCINF::GENGOU_NAME}, {"YAKUMEI1", &TACCINF::YAKUMEI1}, {"YAKUMEI2", &TACCINF::YAKUMEI2},
    {"YAKUMEI3", &TACCINF::YAKUMEI3}, {"FUMEI_KCODE", &TACCINF::FUMEI_KCODE}, {"PASWORD", &TACCINF::PASWORD},
    {"GENKA_HWORD1", &TACCINF::GENKA_HWORD1}, {"GENKA_HWORD2", &TACCINF::GENKA_HWORD2},
    {"GENKA_HWORD3", &TACCINF::GENKA_HWORD3}, {"GENKA_HWORD4", &TACCINF::GENKA_HWORD4},
    {"GENKA_HWORD5", &TACCINF::GENKA_HWORD5}, {"GENKA_HWORD6", &TACCINF::GENKA_HWORD6},
    {"WEB_HOLDER", &TACCINF::WEB_HOLDER},
};

const std::vector<std::pair<const char*, int TACCINF::*>> kIntColumns = {
    {"GROUPID", &TACCINF::GROUPID}, {"TANTOU", &TACCINF::TANTOU}, {"DATATYPE", &TACCINF::DATATYPE},
    {"CODETYPE", &TACCINF::CODETYPE}, {"NENDO", &TACCINF::NENDO}, {"SIME", &TACCINF::SIME},
    {"KAISINO", &TACCINF::KAISINO}, {"GENGOU_FLG", &TACCINF::GENGOU_FLG}, {"GENGOU_HOSEI", &TACCINF::GENGOU_HOSEI},
    {"CALCU", &TACCINF::CALCU}, {"TAXU_HASUU", &TACCINF::TAXU_HASUU}, {"TAXH_HASUU", &TACCINF::TAXH_HASUU},
    {"TAXDEFUH", &TACCINF::TAXDEFUH}, {"TAXKANNI", &TACCINF::TAXKANNI}, {"TAXJIGYOU", &TACCINF::TAXJIGYOU},
    {"GENKAPRINT", &TACCINF::GENKAPRINT}, {"KANSA_LOCK", &TACCINF::KANSA_LOCK},
    {"TEGATADICSW", &TACCINF::TEGATADICSW}, {"SITEN", &TACCINF::SITEN}, {"BUMON", &TACCINF::BUMON},
    {"DATALOCK", &TACCINF::DATALOCK}, {"GENKA_USE", &TACCINF::GENKA_USE}, {"CONVERT", &TACCINF::CONVERT},
    {"SHOUHYOU", &TACCINF::SHOUHYOU}, {"CASHFLOWSW", &TACCINF::CASHFLOWSW}, {"SDAI_HASUU1", &TACCINF::SDAI_HASUU1},
    {"SDAI_HASUU2", &TACCINF::SDAI_HASUU2}, {"SDAI_HASUU3", &TACCINF::SDAI_HASUU3},
    {"KESSAN_KIKAN", &TACCINF::KESSAN_KIKAN}, {"CASHFLOW_KIKAN1", &TACCINF::CASHFLOW_KIKAN1},
    {"CASHFLOW_KIKAN2", &TACCINF::CASHFLOW_KIKAN2}, {"KURIKOSI1", &TACCINF::KURIKOSI1},
    {"KURIKOSI2", &TACCINF::KURIKOSI2},
};

const std::vector<std::pair<const char*, TDate TACCINF::*>> kDateColumns = {
    {"ZZKISHU", &TACCINF::zzKISHU}, {"ZKISHU", &TACCINF::zKISHU}, {"KISHU", &TACCINF::KISHU},
    {"KIMATU", &TACCINF::KIMATU}, {"KAISI", &TACCINF::KAISI}, {"KANSA_FIXDATE", &TACCINF::KANSA_FIXDATE},
    {"KANSA_DATE", &TACCINF::KANSA_DATE}, {"CHG_DAYS1", &TACCINF::CHG_DAYS1}, {"CHG_DAYS2", &TACCINF::CHG_DAYS2},
    {"CHG_DAYS3", &TACCINF::CHG_DAYS3}, {"CHG_DAYS4", &TACCINF::CHG_DAYS4}, {"CHG_DAYS5", &TACCINF::CHG_DAYS5},
};

const std::vector<std::pair<const char*, TMoney TACCINF::*>> kMoneyColumns = {
    {"OLD_TAX_RATE1", &TACCINF::OLD_TAX_RATE1}, {"OLD_TAX_RATE2", &TACCINF::OLD_TAX_RATE2},
    {"OLD_TAX_RATE3", &TACCINF::OLD_TAX_RATE3}, {"OLD_TAX_RATE4", &TACCINF::OLD_TAX_RATE4},
    {"OLD_TAX_RATE5", &TACCINF::OLD_TAX_RATE5}, {"NEW_TAX_RATE1", &TACCINF::NEW_TAX_RATE1},
    {"NEW_TAX_RATE2", &TACCINF::NEW_TAX_RATE2}, {"NEW_TAX_RATE3", &TACCINF::NEW_TAX_RATE3},
    {"NEW_TAX_RATE4", &TACCINF::NEW_TAX_RATE4}, {"NEW_TAX_RATE5", &TACCINF::NEW_TAX_RATE5},
};

// Columns that older data databases lack: read only when the row has them.
void CopyColumns(const fb::TStatement& row, TACCINF& info)
{
    for (const auto& [column, member] : kTextColumns)
        if (row.HasColumn(column))
            info.*member = row.AsString(column);
    for (const auto& [column, member] : kIntColumns)
        if (row.HasColumn(column))
            info.*member = static_cast<int>(row.AsInt(column));
    for (const auto& [column, member] : kDateColumns)
        if (row.HasColumn(column))
            info.*member = row.AsDate(column);
    for (const auto& [column, member] : kMoneyColumns)
        if (row.HasColumn(column))
            info.*member = row.AsMoney(column);
    info.HasKessanKikan = row.HasColumn("KESSAN_KIKAN");
    info.HasCashflowKikan = row.HasColumn("CASHFLOW_KIKAN1");
    info.HasSdaiHasuu3 = row.HasColumn("SDAI_HASUU3");
    info.HasGenkaHword6 = row.HasColumn("GENKA_HWORD6");
    info.HasWebHolder = row.HasColumn("WEB_HOLDER");
    info.HasKurikosi = row.HasColumn("KURIKOSI1");
}

// The data type's name, or empty when this program cannot handle the data/code type pair.
std::string DataTypeName(int dataType, int codeType)
{
    static const char* const kCodeTypes[] = {"一般", "不動産", "クリニック"};
    if ((dataType == 1 || dataType == 3) && codeType == 1)
        return dataType == 1 ? "法人" : "医療法人";
    if (dataType == 2 && codeType >= 1 && codeType <= 3)
        return std::string("個人／") + kCodeTypes[codeType - 1];
    return {};
}

// The special accounts each data type looks up; the names it does not use are cleared.
std::vector<std::string> SpecialAccountNames(int dataType, int codeType)
{
    const bool medical = dataType == 3 && codeType == 1;
    std::vector<std::string> names = {"現金", "仮払消費税", "仮受消費税", medical ? "前期繰越利益" : "繰越利益剰余金", "諸口"};
    if (dataType == 1)
        names.insert(names.end(), {"受取手形", "割引手形", "裏書手形"});
    if (dataType == 2)
        names.insert(names.end(), {"事業主貸", "事業主借", "元入金"});
    if (medical)
        names.insert(names.end(), {"給料", "賞与", "賞与引当金繰入額", "退職給付費用"});
    return names;
}

int RegInt(fb::TTransaction& transaction, const char* code)
{
    return static_cast<int>(ReadAccReg(transaction, "基本設定", code, kRegInt, "0").Int);
}

}  // namespace

bool TDM::fnGetAccInfo()
{
    static constexpr std::string_view kMessage = "基本情報の取得に失敗しました。";
    TACCINF& info = AccInfo();
    try {
        fb::TTransactionScope scope(IBTransactionDAT);
        {
            fb::TStatement row(IBTransactionDAT);
            row.Prepare(sql::kSelectBasicInformation);
            row.Open();
            if (!row.Fetch()) {
                ShowError("基本設定(ACCDEF1)のレコードが見つかりませんでした。");
                return false;
            }
            info = TACCINF{};
            CopyColumns(row, info);
        }
        const bool dataTypeKnown = info.DATATYPE >= 1 && info.DATATYPE <= 3;
        info.DataTypeName = DataTypeName(info.DATATYPE, info.CODETYPE);
        if (info.DataTypeName.empty()) {
            ShowError(dataTypeKnown ? Format("このプログラムでは、該当のコードタイプを処理することが出来ません。(CodeType=%d)", info.CODETYPE)
                                    : Format("このプログラムでは、該当のデータタイプを処理することが出来ません。(DataType=%d)", info.DATATYPE));
            return false;
        }
        for (const char* group : {"5880", "5580", "5680", "5780", "5688"})
            info.TotalNames[group] = fnGetAccTotalName(group, TTotalNameColumn::PlusName);

        SpecialAccountCodes().ClearAll();
        for (const std::string& name : SpecialAccountNames(info.DATATYPE, info.CODETYPE))
            SpecialAccountCodes().Set(name, SetSystemCode(name));

        if (const auto tusin = ReadTusinId(1)) {
            info.TusinHolder = tusin->first;
            info.TusinPassword = tusin->second;
        }

        info.KakoMeisai = RegInt(IBTransactionDAT, "過去明細取り込み");
        info.GassanKubun = RegInt(IBTransactionDAT, "合算データ区分");
        info.GassanSu = RegInt(IBTransactionDAT, "合算データ数");
        info.IkkatsuZeinuki = RegInt(IBTransactionDAT, "一括税抜処理");
        info.KamokuKetasu = RegInt(IBTransactionDAT, "科目コード桁数");
        info.HojoKetasu = RegInt(IBTransactionDAT, "補助コード桁数");
        info.BumonKetasu = RegInt(IBTransactionDAT, "部門コード桁数");
        info.PrintKikanKubun = RegInt(IBTransactionDAT, "印刷用期間使用区分");
        info.DataPassword = TrimWide(ReadAccReg(IBTransactionDAT, "基本設定", "データパスワード", kRegText, "").Text);
        info.PrintKikanKishu = ReadAccReg(IBTransactionDAT, "基本設定", "印刷用期間（期首）", kRegDate, "0").Date;
        info.PrintKikanKimatu = ReadAccReg(IBTransactionDAT, "基本設定", "印刷用期間（期末）", kRegDate, "0").Date;
        info.Teiritsu250 = static_cast<int>(ReadAccReg(IBTransactionDAT, "減価償却設定", "250%定率法で償却する経過措置", kRegInt, "0").Int);
        info.Teiritsu200 = static_cast<int>(ReadAccReg(IBTransactionDAT, "減価償却設定", "200%定率法で償却する経過措置", kRegInt, "0").Int);

        fb::TStatement version(IBTransactionDAT);
        version.Prepare(sql::kSelectDataVersion);
        version.Open();
        if (version.Fetch()) {
            info.VerMajor = static_cast<int>(version.AsInt("MAJOR"));
            info.VerMinor1 = static_cast<int>(version.AsInt("MINOR1"));
            info.VerMinor2 = static_cast<int>(version.AsInt("MINOR2"));
        }
        version.Close();
        scope.Commit();
        return true;
    } catch (...) {
        ReportCurrentException("TDM.fnGetAccInfo", kMessage, true);
        return false;
    }
}

}  // namespace qz
