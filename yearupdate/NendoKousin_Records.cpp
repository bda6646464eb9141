// The records a new year starts afresh: the consumption-tax return, the settlement documents (and the
// settings of medical corporations), employee numbers, the medical reports, the journals, the basic
// information with the new period, and the operation history.

#include "common/Format.h"
#include "common/PeriodCalendar.h"
#include "common/TextHelpers.h"
#include "db/Settings.h"
#include "yearupdate/NendoKousin_Statements.h"
#include "yearupdate/NendoKousin_Steps.h"

#include <span>
#include <stdexcept>

namespace qz::yearupdate {

using namespace sql;

namespace {

// A facility setting reset to the empty value of its type: every code starting with Code (all codes
// when empty) of the group and type.
struct TFacilityReset {
    std::string_view Group;
    std::string_view Code;
    std::string_view Type;
};
constexpr TFacilityReset kFacilityResets[] = {
    {"施設別決算書", "積立金取崩", kRegText},  {"施設別決算書", "積立金取崩", kRegMoney},
    {"施設別決算書", "利益金処分", kRegText},  {"施設別決算書", "利益金処分", kRegMoney},
    {"決算様式２－１", "登録有", kRegBool},    {"決算様式２－１", "", kRegMoney},
    {"決算様式３－１", "", kRegMoney},         {"決算様式２－２", "登録有", kRegBool},
    {"決算様式２－２", "", kRegMoney},         {"決算様式３－２", "", kRegMoney},
};

// Settings of the data set set to a text.
struct TSettingReset {
    std::string_view Group;
    std::string_view Code;
    std::string_view Text;
};
constexpr TSettingReset kMedicalSettingResets[] = {
    {"決算書", "総会年", ""},
    {"決算書", "総会月", ""},
    {"決算書", "総会日", ""},
    {"決算書", "監査年", ""},
    {"決算書", "監査月", ""},
    {"決算書", "監査日", ""},
    {"消費税申告書", "申告日付", "0000/00/00"},
    {"消費税", "中間納付額", "0"},
    {"消費税", "中間納付額地方税", "0"},
    {"消費税", "付表２の１８Ａ", "0"},
    {"消費税", "付表２の１８Ｂ", "0"},
    {"消費税", "付表２の１９Ａ", "0"},
    {"消費税", "付表２の１９Ｂ", "0"},
    {"消費税", "修正申告１３", "0"},
    {"消費税", "修正申告２４", "0"},
    {"消費税", "基準課税売上", "0"},
    {"消費税", "基準売上前年", "0"},
    {"消費税", "基準売上当年", "0"},
};

// The empty value a facility setting of the type takes.
std::string_view EmptyValueOfType(std::string_view type)
{
    if (type == kRegBool)
        return "FALSE";
    if (type == kRegDate)
        return "0000/00/00";
    if (type == kRegInt || type == kRegMoney)
        return "0";
    return "";
}

void ResetSettings(fb::TTransaction& tr, std::span<const TSettingReset> resets)
{
    fb::TStatement reset(tr);
    reset.Prepare(kResetSetting);
    for (const TSettingReset& setting : resets) {
        reset.SetString("AGROUP", setting.Group).SetString("ACODE", setting.Code).SetString("ATEXT", setting.Text);
        reset.Execute();
    }
}

void ResetMedicalSettings(fb::TTransaction& tr)
{
    fb::TStatement reset(tr);
    reset.Prepare(kResetFacilitySetting);
    for (const TFacilityReset& setting : kFacilityResets) {
        reset.SetString("RGROUP", setting.Group).SetString("RCODE", std::string(setting.Code) + "%");
        reset.SetString("RTYPE", setting.Type).SetString("RTEXT", EmptyValueOfType(setting.Type));
        reset.Execute();
    }
    ResetSettings(tr, kMedicalSettingResets);
}

struct TEmployees {
    std::string Scode, Bcode;
    std::int64_t Mnum = 0, Num1 = 0;
};

// The slot of the twelfth month, whose number stands for the whole new year.
constexpr int kLastMonthSlot = 15;

}  // namespace

TNextPeriod NextFiscalPeriod(TDate kimatu)
{
    if (kimatu.IsZero())
        throw std::runtime_error("会計期間の期末日が設定されていません。");
    const int year = kimatu.Year(), month = kimatu.Month(), day = kimatu.Day();
    const bool monthEnd = day == DaysInMonth(year, month) || day > 28;
    TNextPeriod next;
    next.ClosingDay = monthEnd ? kMonthEndClosingDay : day;
    next.Kishu = AddDays(1, kimatu);
    const bool startsAfterClosingDay = !monthEnd && next.Kishu.Day() > next.ClosingDay;
    const TDate endMonth = AddMonthsClamped(startsAfterClosingDay ? 12 : 11, TDate::Ymd(next.Kishu.Year(), next.Kishu.Month(), 1));
    const int endDay = monthEnd ? DaysInMonth(endMonth.Year(), endMonth.Month()) : next.ClosingDay;
    next.Kimatu = TDate::Ymd(endMonth.Year(), endMonth.Month(), endDay);
    return next;
}

void ResetTaxRecords(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    ExecuteStatement(tr, kClearTaxAmounts);
    fb::TStatement period(tr);
    period.Prepare(kUpdateTaxPeriod);
    period.SetDate("KIKAN_KAISI", in.Next.Kishu).SetDate("KIKAN_SYURYO", in.Next.Kimatu);
    period.SetDate("TEISYUTUBI", TDate()).SetDate("SINKOKUBI", TDate()).SetDate("SIDOUBI", TDate());
    period.SetMoney("KIJYUNKIKANURI", TMoney()).SetInt("REC", 1);
    period.Execute();
    ExecuteStatement(tr, kDeleteTaxWorksheet);
    ExecuteStatement(tr, kDeleteSimplifiedTaxWorksheet);
}

void ResetSettlementRecords(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    if (in.Medical) {
        ResetMedicalSettings(tr);
        return;
    }
    fb::TStatement dates(tr);
    dates.Prepare(kUpdateSettlementDates);
    dates.SetDate("HOUKOKUHIDUKE", TDate()).SetDate("KANSAHIDUKE", TDate()).SetInt("REC", 1);
    dates.Execute();
    ExecuteStatement(tr, kDeleteChangedAccounts);
    fb::TStatement blueReturn(tr);
    blueReturn.Prepare(kUpdateBlueReturn);
    blueReturn.SetDate("HIZUKE", TDate()).SetDate("KISHU", TDate()).SetDate("KIMATU", TDate());
    blueReturn.Execute();
    ExecuteStatement(tr, kClearBlueReturnBalances);
}

// Months 1-16 of the year become months -15 to 0 of the year before; the new year starts with the
// number of the closed year's twelfth month in every month. Read completely first, so every row is
// copied with the number it held when the step began.
void ShiftEmployeeNumbers(fb::TTransaction& tr, const TYearUpdateInputs&)
{
    std::vector<TEmployees> rows;
    {
        fb::TStatement select(tr);
        select.Prepare(kSelectEmployees);
        select.Open();
        while (select.Fetch())
            rows.push_back({KeyCode(select.AsString("SCODE")), KeyCode(select.AsString("BCODE")), select.AsInt("MNUM"),
                            select.AsInt("NUM1")});
    }
    fb::TStatement month(tr), year(tr);
    month.Prepare(kUpdateEmployeesOfMonth);
    year.Prepare(kUpdateEmployeesOfYear);
    for (const TEmployees& row : rows) {
        month.SetString("SCODE", row.Scode).SetString("BCODE", row.Bcode).SetInt("MNUM", row.Mnum - 16).SetInt("NUM1", row.Num1);
        month.Execute();
        if (row.Mnum == kLastMonthSlot) {
            year.SetString("SCODE", row.Scode).SetString("BCODE", row.Bcode).SetInt("NUM1", row.Num1);
            year.Execute();
        }
    }
}

void RollAttachedStatements(fb::TTransaction& tr, const TYearUpdateInputs&)
{
    fb::TStatement select(tr);
    select.Prepare(kSelectBranchesExcept);
    select.SetString("SCODE", " ");
    const std::vector<std::string> facilities = BranchCodes(select);
    fb::TStatement procedure(tr);
    procedure.Prepare(kRunAttachedStatementsYearUp);
    for (const std::string& scode : facilities) {
        procedure.SetString("PSCODE", scode);
        procedure.Execute();
    }
}

void ClearBusinessReport(fb::TTransaction& tr, const TYearUpdateInputs&)
{
    fb::TStatement audit(tr);
    audit.Prepare(kClearAuditReport);
    for (std::string_view code : {"監査年月日", "監査文"}) {
        audit.SetString("MDCODE", code);
        audit.Execute();
    }
    ExecuteStatement(tr, kClearReportAmounts);
}

// Live journals of months 1-16 move on: the year's to the year before, the year before's to the year
// before that; deleted and corrected ones, and months above 16, are dropped.
void MoveJournals(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    ExecuteStatement(tr, kDeletePastJournals2);
    if (in.CarryJournals)
        ExecuteStatement(tr, kMovePastJournals1To2);
    ExecuteStatement(tr, kDeletePastJournals1);
    if (in.CarryJournals)
        ExecuteStatement(tr, kMoveJournalsToPast1);
    ExecuteStatement(tr, kDeleteJournals);
    ExecuteStatement(tr, kClearJournalCounts);
}

void UpdateBasicInformation(fb::TTransaction& tr, const TYearUpdateInputs& in)
{
    fb::TStatement basic(tr);
    basic.Prepare(kUpdateBasicInformation);
    basic.SetDate("zzKISHU", in.ZKishu).SetDate("zKISHU", in.Kishu).SetInt("NENDO", in.Nendo + 1);
    basic.SetDate("KISHU", in.Next.Kishu).SetDate("KAISI", in.Next.Kishu).SetDate("KIMATU", in.Next.Kimatu);
    basic.SetInt("SIME", in.Next.ClosingDay).SetDate("KANSA_FIXDATE", TDate()).SetDate("KANSA_DATE", TDate());
    basic.SetInt("KESSAN_KIKAN", -1).SetInt("CASHFLOW_KIKAN1", -1).SetInt("CASHFLOW_KIKAN2", -1);
    basic.SetInt("KURIKOSI1", in.TaxMethod).SetInt("KURIKOSI2", in.HasKurikosi ? in.Kurikosi1 : in.TaxMethod);
    basic.Execute();

    // The print period of the closed year means nothing in the new one.
    const std::string zeroDate = FormatDateText(4, TDateTime{});
    const TSettingReset printPeriod[] = {{"基本設定", "印刷用期間使用区分", "0"},
                                         {"基本設定", "印刷用期間（期首）", zeroDate},
                                         {"基本設定", "印刷用期間（期末）", zeroDate}};
    ResetSettings(tr, printPeriod);
}

void TrimOperationHistory(fb::TTransaction& tr, const TYearUpdateInputs&)
{
    fb::TStatement history(tr);
    history.Prepare(kDeleteHistoryExceptJob);
    history.SetString("JOBNAME", "翌年度更新");
    history.Execute();
}

}  // namespace qz::yearupdate
