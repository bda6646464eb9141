#include "convert/ZaimuIO_JournalTax.h"

#include "common/TextHelpers.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/AccInfo.h"

#include <algorithm>

namespace qz {
namespace {

constexpr std::string_view kNotTaxable = "810";
constexpr std::string_view kOutsideTax = "910";
constexpr std::string_view kUntaxedCategories = "810 910";

// Source codes with a tax to compute: first digit in a range, digits 2-4 in a list of ranges.
struct TTaxableCodes {
    char FirstLow, FirstHigh;
    std::string_view Digits;
};
constexpr TTaxableCodes kTaxableCodes[] = {
    {'0', '5', "111-114 121-124 411-414 421-424 511-514 521-524 611-614 621-624 711-714 721-724"},
    {'9', '9', "151-152 161-162 171-172 451-452 461-462 471-472 551-552 561-562 571-572 651-652 661-662 671-672 "
               "751-752 761-762 771-772"}};

// Codes outside the tax, transfers and the like: a taxable code beside one of them is no rate conflict.
constexpr std::string_view kOutsideTaxCodes = "0910 0911 0912 0913 0914 0920 0921 0922 0923 0924 8888 9999";

// The rate a code's second character names (in tenths of a percent); other characters name none.
struct TRateDigit {
    char Digit;
    int Rate;
};
constexpr TRateDigit kRateDigits[] = {{'1', 50}, {'4', 30}};
constexpr char kUnsupportedRateDigits[] = {'2', '3'};  // 4.5 %, 6.0 %

// The categories a special tax account keeps; any other becomes "outside the tax".
struct TTaxAccountRule {
    std::string_view Name;
    std::string_view KeptCategories;
};
constexpr TTaxAccountRule kTaxAccountRules[] = {
    {"仮払消費税", "711-713 721-723 731-733 761-763 771-773 810 910"},
    {"仮受消費税", "610-615 620 630-635 640 810"}};
constexpr std::string_view kSundryAccount = "諸口";

// True when the code is a number inside one of the blank-separated ranges ("111-114" or "620").
bool InRanges(std::string_view ranges, std::string_view code)
{
    const auto value = TryTextToInt(code);
    if (!value || code.empty() || code.front() == '-' || code.front() == '+')
        return false;
    for (const std::string_view range : SplitAt(ranges, " ")) {
        const std::vector<std::string_view> ends = SplitAt(range, "-");
        const auto low = TryTextToInt(ends.front()), high = TryTextToInt(ends.back());
        if (low && high && *value >= *low && *value <= *high)
            return true;
    }
    return false;
}

bool ListHas(std::string_view list, std::string_view code)
{
    const std::vector<std::string_view> items = SplitAt(list, " ");
    return std::find(items.begin(), items.end(), code) != items.end();
}

bool IsTaxableCode(std::string_view tax)
{
    if (tax.size() != 4)
        return false;
    return std::any_of(std::begin(kTaxableCodes), std::end(kTaxableCodes), [&](const TTaxableCodes& codes) {
        return tax[0] >= codes.FirstLow && tax[0] <= codes.FirstHigh && InRanges(codes.Digits, tax.substr(1));
    });
}

int RateOf(std::string_view tax)
{
    for (const TRateDigit& digit : kRateDigits)
        if (tax.size() > 1 && tax[1] == digit.Digit)
            return digit.Rate;
    return 0;
}

bool RatesAgree(std::string_view debitTax, std::string_view creditTax)
{
    const int debit = RateOf(debitTax), credit = RateOf(creditTax);
    return debit == credit || debit == 0 || credit == 0;
}

bool IsSpecialAccount(std::string_view name, std::string_view systemCode)
{
    const std::string& code = SpecialAccountCodes().Get(name).KCode;
    return !code.empty() && code == systemCode;
}

bool IsTaxAccount(std::string_view systemCode)
{
    return std::any_of(std::begin(kTaxAccountRules), std::end(kTaxAccountRules),
                       [&](const TTaxAccountRule& rule) { return IsSpecialAccount(rule.Name, systemCode); });
}

// The rules the journal import checks, applied beforehand: a tax account keeps only its own categories,
// the other side of a tax account and the sundry account carry no tax.
std::string ApplyAccountRules(std::string category, std::string_view own, std::string_view other)
{
    for (const TTaxAccountRule& rule : kTaxAccountRules) {
        if (!IsSpecialAccount(rule.Name, own))
            continue;
        if (!InRanges(rule.KeptCategories, category))
            category = kOutsideTax;
        break;
    }
    if (IsTaxAccount(other) && !InRanges(kUntaxedCategories, category))
        category = kNotTaxable;
    if (IsSpecialAccount(kSundryAccount, own) && !InRanges(kUntaxedCategories, category))
        category = kNotTaxable;
    return category;
}

TJournalPairTax OutsideTaxPair()
{
    return {std::string(kOutsideTax), std::string(kOutsideTax), "2", "0"};
}

}  // namespace

bool HasUnsupportedRate(std::string_view tax)
{
    return tax.size() > 1 && std::find(std::begin(kUnsupportedRateDigits), std::end(kUnsupportedRateDigits), tax[1]) !=
                                 std::end(kUnsupportedRateDigits);
}

std::string AdjustedTaxCode(const TQZaimuIO& context, std::string_view tax, std::string_view account)
{
    if (tax.size() != 4 || tax[0] != '0' || context.MapTaxCode(tax, account) != kNotTaxable)
        return std::string(tax);
    const std::string purchase = "9" + std::string(tax.substr(1));
    return context.MapTaxCode(purchase, account) != kNotTaxable ? purchase : std::string(tax);
}

std::string PairRateKind(const TQZaimuIO& context, std::string_view debitTax, std::string_view creditTax,
                         std::string_view date)
{
    const std::string debit = context.TaxRateClass(debitTax, date), credit = context.TaxRateClass(creditTax, date);
    for (const std::string_view kind : {"1", "2"})
        if (debit == kind || credit == kind)
            return std::string(kind);
    return "0";
}

TJournalPairTax PairTaxCategories(const TQZaimuIO& context, const TJournalTaxSide& debit, const TJournalTaxSide& credit,
                                  std::string rateKind)
{
    if (!RatesAgree(debit.Tax, credit.Tax))
        return OutsideTaxPair();
    const bool debitTaxable = IsTaxableCode(debit.Tax), creditTaxable = IsTaxableCode(credit.Tax);
    const bool bothInside = !ListHas(kOutsideTaxCodes, debit.Tax) && !ListHas(kOutsideTaxCodes, credit.Tax);
    if (bothInside && !debit.Tax.empty() && !credit.Tax.empty() && debitTaxable != creditTaxable)
        return OutsideTaxPair();
    return {ApplyAccountRules(context.MapTaxCode(debit.Tax, debit.Account), debit.SystemCode, credit.SystemCode),
            ApplyAccountRules(context.MapTaxCode(credit.Tax, credit.Account), credit.SystemCode, debit.SystemCode),
            debitTaxable || creditTaxable ? "0" : "2", std::move(rateKind)};
}

}  // namespace qz
