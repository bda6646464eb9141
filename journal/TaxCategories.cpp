#include "journal/TaxCategories.h"

#include "common/ZeiRitu.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace qz {
namespace {

using enum TTaxKind;

constexpr TTaxCategory kCategories[] = {
    {110, 115, 1, 2, Output, "課税売上 (111-115: 簡易課税の第1種-第5種)"},
    {130, 130, 7, 2, Untaxed, "非課税売上"},
    {140, 140, 8, 2, Untaxed, "輸出売上 (免税)"},
    {210, 210, 6, 2, Output, "貸倒回収"},
    {310, 315, 3, 1, Output, "売上返還 (311-315: 簡易課税の第1種-第5種)"},
    {410, 410, 5, 1, Output, "貸倒れ"},
    {511, 511, 2, 1, Input, "課税仕入"},
    {561, 561, 4, 2, Input, "仕入返還"},
    {610, 615, 1, 2, Untaxed, "仮受消費税: 課税売上の税額"},
    {620, 620, 6, 2, Untaxed, "仮受消費税: 貸倒回収の税額"},
    {630, 635, 3, 1, Untaxed, "仮受消費税: 売上返還の税額"},
    {640, 640, 5, 1, Untaxed, "仮受消費税: 貸倒れの税額"},
    {711, 713, 2, 1, Untaxed, "仮払消費税: 課税仕入の税額 (課税売上対応, 非課税売上対応, 共通対応)"},
    {721, 726, 2, 1, Untaxed, "仮払消費税: 輸入の税額 (721-723 国税分, 724-726 地方消費税分)"},
    {731, 733, 4, 2, Untaxed, "仮払消費税: 仕入返還の税額"},
    {761, 763, 2, 1, Untaxed, "仮払消費税: 旧税率の課税仕入の税額"},
    {771, 776, 2, 1, Untaxed, "仮払消費税: 旧税率の輸入の税額"},
    {810, 810, 9, 1, Untaxed, "非課税仕入"},
    {910, 910, 0, 0, Untaxed, "対象外"},
};

struct TCodeRange {
    int From;
    int To;
};

bool InRanges(int code, std::initializer_list<TCodeRange> ranges)
{
    return std::any_of(ranges.begin(), ranges.end(), [&](const TCodeRange& r) { return code >= r.From && code <= r.To; });
}

TAccountRule TaxPaidRule(int code)
{
    const bool allowed = InRanges(code, {{711, 713}, {721, 726}, {731, 733}, {761, 763}, {771, 776}, {810, 810}, {910, 910}});
    return allowed ? TAccountRule{} : TAccountRule{false, kTaxPaidAccountRule};
}

TAccountRule TaxReceivedRule(int code, bool simplified)
{
    if (simplified) {
        if (InRanges(code, {{611, 615}, {620, 620}, {631, 635}, {640, 640}, {810, 810}, {910, 910}}))
            return {};
        if (code == 610 || code == 630)
            return {true, kSimplifiedTaxationNotice};
    } else {
        if (InRanges(code, {{610, 610}, {620, 620}, {630, 630}, {640, 640}, {810, 810}, {910, 910}}))
            return {};
        if (InRanges(code, {{611, 615}, {631, 635}}))
            return {true, kGeneralTaxationNotice};
    }
    return {false, kTaxReceivedAccountRule};
}

// The share rate/base of a whole amount, rounded as the code says; nothing for an unknown code.
std::optional<std::int64_t> RoundedShare(std::int64_t yen, std::int64_t rateRaw, std::int64_t baseRaw, int rounding)
{
    const __int128 numerator = static_cast<__int128>(yen) * rateRaw;
    switch (static_cast<TTaxRounding>(rounding)) {
    case TTaxRounding::Truncate: return static_cast<std::int64_t>(numerator / baseRaw);
    case TTaxRounding::RoundUp: return static_cast<std::int64_t>((numerator + baseRaw - 1) / baseRaw);
    case TTaxRounding::RoundHalfUp: return static_cast<std::int64_t>((2 * numerator + baseRaw) / (2 * baseRaw));
    }
    return std::nullopt;
}

std::int64_t WholeYen(TMoney value)
{
    return value.Raw() / TMoney::kScale;
}

}  // namespace

std::span<const TTaxCategory> TaxCategories()
{
    return kCategories;
}

const TTaxCategory* FindTaxCategory(int code)
{
    for (const TTaxCategory& category : kCategories)
        if (code >= category.From && code <= category.To)
            return &category;
    return nullptr;
}

int NormaliseTaxCategory(int code, bool simplified, int businessClass)
{
    constexpr int kClassedGroups[] = {110, 310, 610, 630};
    for (const int plain : kClassedGroups) {
        if (simplified && code == plain)
            return plain + businessClass;
        if (!simplified && code > plain && code <= plain + 5)
            return plain;
    }
    return code;
}

TAccountRule CheckTaxAccountRule(TTaxAccount account, int code, bool simplified)
{
    switch (account) {
    case TTaxAccount::TaxPaid: return TaxPaidRule(code);
    case TTaxAccount::TaxReceived: return TaxReceivedRule(code, simplified);
    case TTaxAccount::Other:
    case TTaxAccount::Sundry: break;
    }
    return {};
}

bool IsOutsideCategory(int code)
{
    return code == kUntaxedPurchaseCategory || code == kOutsideTaxCategory;
}

std::optional<TMoney> TaxRateOf(TDate date, int oldRate)
{
    // The table runs newest first, so the first rate begun by the date is the one in force.
    for (const TZeiRitu& rate : ZeiRitu8Table()) {
        const bool begun = *TDate::Parse(rate.FromDate) <= date;
        if (begun && (oldRate == 0 || rate.OldRateCode == oldRate))
            return rate.Rate;
    }
    return std::nullopt;
}

std::optional<TEntryTax> ComputeEntryTax(const TTaxInput& input)
{
    const auto kindOf = [&](int code) -> std::optional<TTaxKind> {
        if (input.CalcMode == 2)
            return Untaxed;
        const TTaxCategory* category = FindTaxCategory(code);
        return category ? std::optional(category->Kind) : std::nullopt;
    };
    const auto debitKind = kindOf(input.DebitCategory), creditKind = kindOf(input.CreditCategory);
    if (!debitKind || !creditKind || input.Amount < TMoney())
        return std::nullopt;
    const bool debitTaxed = *debitKind != Untaxed, creditTaxed = *creditKind != Untaxed;
    const std::int64_t amount = WholeYen(input.Amount);
    if (!debitTaxed && !creditTaxed) {
        const TSideTax untaxed{input.Amount, {}, {}};
        return TEntryTax{untaxed, untaxed, {}};
    }

    const std::optional<TMoney> rate = TaxRateOf(input.Date, input.OldRate);
    const bool inclusive = input.CalcMode == 0;
    if (!rate || (!inclusive && input.CalcMode != 1))
        return std::nullopt;
    const std::int64_t given = WholeYen(input.GivenTax);
    if (!input.Automatic && (given < 0 || (inclusive && given > amount)))
        return std::nullopt;
    const auto roundingOf = [&](TTaxKind kind) { return kind == Output ? input.SalesRounding : input.PurchaseRounding; };
    const std::int64_t hundred = 100 * TMoney::kScale;

    // A tax-exclusive amount is the net of the entry: its tax, rounded as the leading taxed side says,
    // makes the gross that both sides carry, so the entry balances.
    std::int64_t gross = amount;
    std::optional<std::int64_t> exclusiveTax;
    if (!inclusive) {
        exclusiveTax = input.Automatic ? RoundedShare(amount, rate->Raw(), hundred, roundingOf(debitTaxed ? *debitKind : *creditKind))
                                       : std::optional(given);
        if (!exclusiveTax)
            return std::nullopt;
        gross = amount + *exclusiveTax;
        // The gross is stored as money: an amount near the type's limit has no room left for its tax.
        if (gross > std::numeric_limits<std::int64_t>::max() / TMoney::kScale)
            return std::nullopt;
    }
    const auto side = [&](TTaxKind kind) -> std::optional<TSideTax> {
        if (kind == Untaxed)
            return TSideTax{TMoney::FromYen(gross), {}, {}};
        std::optional<std::int64_t> tax = exclusiveTax;
        if (inclusive)
            tax = input.Automatic ? RoundedShare(gross, rate->Raw(), hundred + rate->Raw(), roundingOf(kind)) : std::optional(given);
        if (!tax)
            return std::nullopt;
        return TSideTax{TMoney::FromYen(gross - *tax), TMoney::FromYen(*tax), *rate};
    };
    const auto debit = side(*debitKind), credit = side(*creditKind);
    if (!debit || !credit)
        return std::nullopt;
    return TEntryTax{*debit, *credit, debitTaxed ? debit->Tax : credit->Tax};
}

}  // namespace qz
