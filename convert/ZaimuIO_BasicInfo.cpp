// The client's basic information for the new data set: the code-digit settings, names and addresses,
// data type, year number and fiscal period, rounding and tax settings, branch and department use, all
// taken from the selected fiscal year of the extract.

#include "common/ChartKind.h"
#include "common/Gengo.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/Settings.h"

#include <algorithm>
#include <optional>
#include <span>

namespace qz {
namespace {


constexpr std::string_view kSettingsGroup = "基本設定";

// How a code-digit count of the extract is stored in the settings; a count not listed is stored as 0.
struct TDigitRule {
    int Digits;
    int Stored;
};
constexpr TDigitRule kThreeDigitRules[] = {{3, 2}};
constexpr TDigitRule kDepartmentDigitRules[] = {{2, 1}, {3, 2}};

int StoredDigits(std::span<const TDigitRule> rules, int digits)
{
    for (const TDigitRule& rule : rules)
        if (rule.Digits == digits)
            return rule.Stored;
    return 0;
}

// What the chart kind decides: the data and code type, and the special-account slot of 仮受消費税.
struct TClientKind {
    int Chart;
    int DataType;
    int CodeType;
    std::size_t OutputTaxSlot;
};
constexpr TClientKind kClientKinds[] = {
    {kChartCorporation, 1, 1, 2}, {kChartIndividualGeneral, 2, 1, 3}, {kChartIndividualRealEstate, 2, 2, 3}};

const TClientKind& ClientKindOf(int chart)
{
    const auto found = std::find_if(std::begin(kClientKinds), std::end(kClientKinds),
                                    [&](const TClientKind& kind) { return kind.Chart == chart; });
    return found != std::end(kClientKinds) ? *found : kClientKinds[1];
}

// Simplified-taxation business class by the source's business kind, for a corporation and an individual.
struct TBusinessClass {
    std::string_view JigyouKubun;
    int Corporation;
    int Individual;
};
constexpr TBusinessClass kBusinessClasses[] = {
    {"01", 2, 4}, {"02", 1, 5}, {"03", 3, 5}, {"04", 3, 4}, {"05", 5, 4}, {"06", 5, 4}, {"07", 4, 4},
    {"08", 5, 4}, {"09", 3, 4}, {"10", 4, 4}, {"11", 5, 4}, {"12", 5, 4}, {"13", 4, 4}};
constexpr int kOtherBusinessClass = 4;

int BusinessClassOf(std::string_view jigyouKubun, int dataType)
{
    for (const TBusinessClass& entry : kBusinessClasses)
        if (entry.JigyouKubun == jigyouKubun)
            return dataType == 1 ? entry.Corporation : entry.Individual;
    return kOtherBusinessClass;
}

// A rounding code of the source as the target stores it; nothing for a code the target has no
// equivalent for (the template's setting then stays).
std::optional<int> TargetRounding(int source)
{
    constexpr std::pair<int, int> kRoundings[] = {{1, 2}, {2, 0}, {3, 1}};
    for (const auto& [from, to] : kRoundings)
        if (from == source)
            return to;
    return std::nullopt;
}

int IntOr(std::string_view text, int fallback)
{
    return TryTextToInt32(Trim(text)).value_or(fallback);
}

void SetSpecialSystemCode(std::string_view name, const std::string& code)
{
    TSpecialCode codes = SpecialAccountCodes().Get(name);
    codes.KCode = code;
    SpecialAccountCodes().Set(name, std::move(codes));
}

TDate DateOf(int year, int month, int day)
{
    return TDate::FromYmd(year, month, day).value_or(TDate());
}

// The era year of a date; 1 for a date of no era.
int EraYear(TDate date)
{
    const TWarekiRec wareki = ToWareki(date);
    return wareki.Name.empty() ? 1 : wareki.Year;
}

}  // namespace

int TQZaimuIO::DeriveBasicInfo(TACCINF& info)
{
    fb::TTransaction& transaction = Transaction();
    const std::pair<std::string_view, int> digitSettings[] = {
        {"科目コード桁数", StoredDigits(kThreeDigitRules, UserCodesCarryCheckDigit() ? 4 : 3)},
        {"補助コード桁数", StoredDigits(kThreeDigitRules, HojoKetasu)},
        {"部門コード桁数", StoredDigits(kDepartmentDigitRules, BumonKetasu)}};
    for (const auto& [key, value] : digitSettings)
        WriteAccReg(transaction, kSettingsGroup, key, kRegInt, TRegValue::OfInt(value));

    const auto last = std::find_if(Zmkannen.rbegin(), Zmkannen.rend(),
                                   [&](const TZMKANNEN& year) { return year.YearCode() == SentakuNendoCode; });
    if (last == Zmkannen.rend())
        return 0;
    const TZMKANNEN& year = *last;
    const auto c = [&](std::size_t column) -> const std::string& { return year.Text(column); };

    const int chart = ChartKind();
    const bool corporation = chart == kChartCorporation;
    const TClientKind& kind = ClientKindOf(chart);

    info.ENTTEXT = CutSjis(c(column::zmkannen::kName), 40);
    info.TANTOU = 0;
    info.DATATYPE = kind.DataType;
    info.CODETYPE = kind.CodeType;
    info.POST = c(column::zmkannen::kPost);
    info.ADD1 = corporation ? CutSjis(c(column::zmkannen::kAddress1), 40) : std::string();
    info.ADD2 = corporation ? CutSjis(c(column::zmkannen::kAddress2), 40) : std::string();
    info.TEL.clear();
    // The blue-return details are an individual's only.
    info.AO_SIMEI = corporation ? std::string() : CutSjis(info.ENTTEXT, 16);
    info.AO_ADD1 = corporation ? std::string() : CutSjis(c(column::zmkannen::kAddress1), 30);
    info.AO_ADD2 = corporation ? std::string() : CutSjis(c(column::zmkannen::kAddress2), 30);
    for (std::string* empty : {&info.AO_KANA, &info.AO_GYOUSHU, &info.AO_YAGO, &info.AO_KANYU, &info.AO_TEL,
                               &info.AO_SHOKUGYO1, &info.AO_SHOKUGYO2})
        empty->clear();
    SetSpecialSystemCode("仮払消費税", TokuteiKamoku[kSlotInputTax]);
    SetSpecialSystemCode("仮受消費税", TokuteiKamoku[kind.OutputTaxSlot]);
    SetSpecialSystemCode("諸口", "99900");

    info.SCODE1 = Dtmanage.KanyosakiCodeText;
    info.SCODE2.clear();
    info.SKANA = CutSjis(ToHalfWidth(c(column::zmkannen::kKana)), 30);
    info.SHOUGOU = info.ENTTEXT;

    if (corporation) {
        const auto settlement = std::find_if(Zmkesan.begin(), Zmkesan.end(),
                                             [&](const TZMKESAN& record) { return record.YearCode() == SentakuNendoCode; });
        info.NENDO = settlement == Zmkesan.end() ? 1 : IntOr(settlement->Text(column::zmkesan::kYearNumber), 1);
        info.KISHU = Kisyu;
        info.KIMATU = Kimatu;
        info.KAISI = KaisiTukiNo == 1 ? Kisyu : KaisiTuki;
        info.SIME = Simebi;
        info.KAISINO = KaisiTukiNo;
    } else {
        // Individuals keep calendar years.
        info.NENDO = EraYear(Kisyu);
        info.KISHU = DateOf(Kisyu.Year(), 1, 1);
        info.KIMATU = DateOf(Kisyu.Year(), 12, 31);
        info.KAISI = DateOf(Kisyu.Year(), Kisyu.Month(), 1);
        info.SIME = 99;
        info.KAISINO = Kisyu.Month();
    }
    NendoNo = info.NENDO;

    info.CALCU = 0;
    if (const auto rounding = TargetRounding(IntOr(c(column::zmkannen::kOutputTaxRounding), 2)))
        info.TAXU_HASUU = *rounding;
    if (const auto rounding = TargetRounding(IntOr(c(column::zmkannen::kInputTaxRounding), 2)))
        info.TAXH_HASUU = *rounding;
    TaxDefault = IntOr(c(column::zmkannen::kTaxDefault), 1) - 1;
    info.TAXDEFUH = 0;
    info.TAXKANNI = 1;
    info.TAXJIGYOU = BusinessClassOf(JigyouKubun, info.DATATYPE);

    const bool costAccounts =
        chart != kChartIndividualRealEstate &&
        std::any_of(Zmkanjyo.begin(), Zmkanjyo.end(), [&](const TZMKANJYO& account) {
            const int code = IntOr(account.Text(column::zmkanjyo::kSystemCode), 0);
            return account.YearCode() == SentakuNendoCode && code >= 50000 && code <= 59900;
        });
    info.GENKA_USE = costAccounts ? 1 : 0;
    info.GENKAPRINT = info.GENKA_USE;
    info.SITEN = BranchesInUse() ? 1 : 0;
    info.BUMON = DepartmentsInUse() ? 2 : 0;
    return 0;
}

}  // namespace qz
