// The accounts of the selected year as the conversion reads them: check digits, the chart kind, the
// special-account slots, the translation of the source's consumption-tax categories and the small
// lookups the other conversion steps share.

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/uQZ_ZaimuIO.h"

#include <algorithm>
#include <span>

namespace qz {
namespace {

namespace kanjyo = column::zmkanjyo;

// The level-1 classes of a chart; an account outside them (or without one) is unclassified.
constexpr std::string_view kClassifiedLevels = "10;20;30;40;50;90;99";

// Names of the special-account slots of each kind of client, in slot order.
constexpr std::string_view kCorporationSlots[] = {"現金", "仮払消費税", "仮受消費税", "繰越利益剰余金", "諸口"};
constexpr std::string_view kIndividualSlots[] = {"現金", "仮払消費税", "事業主貸", "仮受消費税",
                                                 "事業主借", "元入金", "諸口"};

struct TClassName {
    std::string_view Code;
    std::string_view Name;
};
constexpr TClassName kClassNames[] = {
    {"101110", "当座資産"}, {"101112", "その他流動資産"}, {"2021", "流動負債"},
    {"3031", "利益剰余金"}, {"99", "諸口"},               {"1013", "特殊勘定"},
    {"2022", "固定負債"},   {"303171", "資本金"},         {"303174", "株主資本"}};

// How one group of source tax categories translates: the target category, and the one taken instead
// when the account is the special tax account the group asks about (tax received for the sales
// categories, tax paid for the purchase ones). AddsFirstDigit: the category's first digit is added.
struct TTaxRule {
    std::string_view Codes;   // digits 2-4 of the source category, blank separated
    int Plain;
    int OnTaxAccount;
    bool AddsFirstDigit;
};

// Source categories whose first digit is 0 to 5; the special account is the output-tax account.
constexpr TTaxRule kSalesRules[] = {
    {"111 121 411 421 511 521 611 621", 110, 110, true}, {"115 125 415 425 515 525 615 625", 110, 610, true},
    {"112 122 412 422 512 522 612 622", 310, 310, true}, {"116 126 416 426 516 526 616 626", 310, 630, true},
    {"113 123 413 423 513 523 613 623", 410, 410, false}, {"117 127 417 427 517 527 617 627", 410, 640, false},
    {"114 124 414 424 514 524 614 624", 210, 210, false}, {"118 128 418 428 518 528 618 628", 210, 620, false},
    {"711 721", 120, 120, false}, {"715 725", 120, 810, false}, {"712 722", 320, 320, false},
    {"716 726", 320, 810, false}, {"713 723", 420, 420, false}, {"717 727", 420, 810, false},
    {"714 724", 220, 220, false}, {"718 728", 220, 810, false},
    {"811", 130, 130, false}, {"815", 130, 810, false}, {"812", 330, 330, false}, {"816", 330, 810, false},
    {"813", 430, 430, false}, {"817", 430, 810, false}, {"814", 230, 230, false}, {"818", 230, 810, false},
    {"821", 140, 140, false}, {"825", 140, 810, false}, {"822", 340, 340, false}, {"826", 340, 810, false},
    {"823", 440, 440, false}, {"827", 440, 810, false}, {"824", 240, 240, false}, {"828", 240, 810, false}};

// Source categories whose first digit is 9; the special account is the input-tax account.
constexpr TTaxRule kPurchaseRules[] = {
    {"151 451 551 651", 511, 511, false}, {"155 455 555 655", 511, 711, false},
    {"152 452 552 652", 561, 561, false}, {"156 456 556 656", 561, 761, false},
    {"161 461 561 661", 513, 513, false}, {"165 465 565 665", 513, 713, false},
    {"162 462 562 662", 563, 563, false}, {"166 466 566 666", 563, 763, false},
    {"171 471 571 671", 512, 512, false}, {"175 475 575 675", 512, 712, false},
    {"172 472 572 672", 562, 562, false}, {"176 476 576 676", 562, 762, false}};

constexpr int kNotTaxable = 810;
constexpr int kOutsideTax = 910;

// Source categories whose rate depends on the date (5 % before April 2014, 8 % after).
constexpr std::string_view kRateSensitivePurchases = "451 452 455 456 461 462 465 466 471 472 475 476";
const TDate kRateChange = TDate::Ymd(2014, 4, 1);

bool ListHas(std::string_view list, std::string_view code)
{
    for (std::string_view item : SplitAt(list, " "))
        if (item == code)
            return true;
    return false;
}

int Translate(std::span<const TTaxRule> rules, std::string_view digits, int firstDigit, bool onTaxAccount)
{
    for (const TTaxRule& rule : rules)
        if (ListHas(rule.Codes, digits))
            return (onTaxAccount ? rule.OnTaxAccount : rule.Plain) + (rule.AddsFirstDigit ? firstDigit : 0);
    return kNotTaxable;
}

bool IsDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

void TQZaimuIO::SetTransaction(fb::TTransaction& transaction)
{
    transaction_ = &transaction;
    Writer.SetTransaction(transaction);
}

fb::TTransaction& TQZaimuIO::Transaction()
{
    if (!transaction_)
        throw std::logic_error("the conversion was used before its transaction was set");
    transaction_->StartIfInactive();
    return *transaction_;
}

void TQZaimuIO::ShowProgress(std::string_view text)
{
    if (!LogMemo)
        return;
    if (LogMemo->LineCount() == 0)
        LogMemo->AppendLine(text);
    else
        LogMemo->SetLine(0, text);
}

void TQZaimuIO::ShowStatus(std::string_view text)
{
    if (StatusPanel)
        StatusPanel->SetCaption(text);
}

std::string TQZaimuIO::CheckDigit(std::string_view code)
{
    if (code.size() != 3 || !IsDigits(code)) {
        const std::string message = Format("チェックデジット算出ができない。コード3桁<>[%s]", std::string(code).c_str());
        ReadErrors.push_back(message);
        ShowStatus(message);
        return "0000";
    }
    const int sum = (code[0] - '0') + 3 * (code[1] - '0') + 7 * (code[2] - '0');
    return std::string(code) + static_cast<char>('0' + sum % 10);
}

int TQZaimuIO::ChartKind() const
{
    if (HoujinKojin == 1)
        return kChartCorporation;
    if (JigyouKubun == "03" && FudosanTaikei == 1)
        return kChartIndividualRealEstate;
    return kChartIndividualGeneral;
}

bool TQZaimuIO::IsClassified(const TZMKANJYO& account)
{
    const std::string& level = account.Text(kanjyo::kLevel1);
    return !level.empty() && kClassifiedLevels.find(level) != std::string_view::npos;
}

const TZMKANJYO* TQZaimuIO::YearAccount(std::string_view code, bool classifiedOnly) const
{
    for (const TZMKANJYO& account : Zmkanjyo)
        if (account.YearCode() == SentakuNendoCode && account.Text(kanjyo::kSystemCode) == code &&
            (!classifiedOnly || IsClassified(account)))
            return &account;
    return nullptr;
}

bool TQZaimuIO::IsAccountOfYear(std::string_view code) const
{
    return YearAccount(code, false) != nullptr;
}

std::string TQZaimuIO::AccountClassOf(std::string_view code) const
{
    const TZMKANJYO* account = YearAccount(code, false);
    return account ? account->Text(kanjyo::kLevel1) : std::string();
}

std::string TQZaimuIO::UserCodeOf(std::string_view code) const
{
    const TZMKANJYO* account = YearAccount(code, false);
    return account ? account->Text(kanjyo::kUserCode) : std::string();
}

std::string TQZaimuIO::ClassificationName(std::string_view joined)
{
    for (const TClassName& entry : kClassNames)
        if (entry.Code == joined)
            return std::string(entry.Name);
    return {};
}

int TQZaimuIO::CheckAccountClass(std::string_view joined, std::string_view clientCode) const
{
    for (const TZMKANJYO& account : Zmkanjyo) {
        if (account.YearCode() != SentakuNendoCode || account.Text(kanjyo::kUserCode) != clientCode)
            continue;
        if (joined.empty())
            return 0;
        const std::string own = Trim(account.Text(kanjyo::kLevel1)) + Trim(account.Text(kanjyo::kLevel2)) +
                                Trim(account.Text(kanjyo::kLevel3));
        return own == joined ? 0 : 1;
    }
    return 2;
}

void TQZaimuIO::SetSpecialAccount(int slot, std::string_view clientCode)
{
    const bool individual = HoujinKojin == 2;
    const int last = individual ? 6 : 4;
    if (clientCode.empty()) {   // the wizard clears its choices this way
        if (slot >= 0 && slot <= last)
            TokuteiKamoku[static_cast<std::size_t>(slot)].clear();
        return;
    }
    const auto found = std::find_if(Zmkanjyo.begin(), Zmkanjyo.end(), [&](const TZMKANJYO& account) {
        return account.Text(kanjyo::kUserCode) == clientCode;
    });
    if (found == Zmkanjyo.end())
        return;
    if (slot < 0 || slot > last) {
        ShowError(individual ? "特定科目設定：引数が範囲外です（０～６）" : "特定科目設定：引数が範囲外です（０～４）");
        return;
    }
    TokuteiKamoku[static_cast<std::size_t>(slot)] = found->Text(kanjyo::kSystemCode);
}

std::string TQZaimuIO::SpecialAccountLines() const
{
    const std::span<const std::string_view> names =
        HoujinKojin == 2 ? std::span<const std::string_view>(kIndividualSlots) : kCorporationSlots;
    std::string text;
    for (std::size_t slot = 0; slot < names.size(); ++slot) {
        if (slot > 0)
            text += "\r\n";
        text += "KCODE=" + TokuteiKamoku[slot] + Writer.Separator + "KNAME=" + std::string(names[slot]);
    }
    return text;
}

std::array<std::string, 3> TQZaimuIO::SpecialSubAccountSkips() const
{
    if (HoujinKojin == 2)
        return {TokuteiKamoku[1], TokuteiKamoku[3], TokuteiKamoku[5]};
    return {TokuteiKamoku[1], TokuteiKamoku[2], TokuteiKamoku[3]};
}

std::string TQZaimuIO::OutputTaxAccount() const
{
    return HoujinKojin == 2 ? TokuteiKamoku[3] : TokuteiKamoku[2];
}

std::string TQZaimuIO::MapTaxCode(std::string_view tax, std::string_view account) const
{
    if (tax.size() != 4 || !IsDigits(tax.substr(0, 1)))
        return std::to_string(kNotTaxable);
    const int first = tax[0] - '0';
    const std::string_view digits = tax.substr(1);
    // An empty slot names no account, so it must not match an empty account code.
    const auto is = [&](const std::string& slotCode) { return !slotCode.empty() && slotCode == account; };
    int category = kNotTaxable;
    if (first <= 5)
        category = Translate(kSalesRules, digits, first, is(OutputTaxAccount()));
    else if (first == 9)
        category = Translate(kPurchaseRules, digits, first, is(TokuteiKamoku[kSlotInputTax]));
    else if (first == 8 && digits == "888")
        category = kOutsideTax;
    return std::to_string(category);
}

std::string TQZaimuIO::TaxRateClass(std::string_view tax, std::string_view date) const
{
    if (tax.size() != 4 || !IsDigits(tax))
        return "0";
    const int first = tax[0] - '0';
    const int digits = std::stoi(std::string(tax.substr(1)));
    const bool sensitive = (first <= 5 && ((digits >= 411 && digits <= 418) || (digits >= 421 && digits <= 428))) ||
                           (first == 9 && ListHas(kRateSensitivePurchases, tax.substr(1)));
    if (!sensitive)
        return "0";
    if (RevisedEdition) {
        const TDate when = TextToDate(date);
        if (!when.IsZero() && !(when < kRateChange))
            return "2";
    }
    return "1";
}

}  // namespace qz
