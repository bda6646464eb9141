#pragma once
// Consumption-tax categories of journal sides: the table of known categories with their class and side,
// the rules the validation applies to them, and the computation of each side's net amount, tax and rate.
// TaxCategories.md beside this file explains the table and the formulas.

#include "common/Date.h"
#include "common/Money.h"

#include <optional>
#include <span>
#include <string_view>

namespace qz {

enum class TTaxKind {
    Output,   // tax is computed on the side and rounded as sales tax (AccInfo TAXU_HASUU)
    Input,    // tax is computed on the side and rounded as purchase tax (AccInfo TAXH_HASUU)
    Untaxed,  // no tax on the side: untaxed, zero-rated, outside the tax, or an amount of tax itself
};

struct TTaxCategory {
    int From;   // the codes the row covers
    int To;
    int TAXUH;  // tax class 0-9, the KKUBUN of the KAMOKU_TAX totals
    int TAXDC;  // the side the category normally stands on: 1 debit, 2 credit, 0 none
    TTaxKind Kind;
    std::string_view Meaning;
};

std::span<const TTaxCategory> TaxCategories();
// The row of a known category, or nullptr.
const TTaxCategory* FindTaxCategory(int code);

// Before validation: under simplified taxation the sales categories 110, 310, 610 and 630 take the
// business class as their last digit; under general taxation the classed forms fall back to the plain one.
int NormaliseTaxCategory(int code, bool simplified, int businessClass);

// The accounts whose categories the rules restrict.
enum class TTaxAccount { Other, TaxPaid, TaxReceived, Sundry };

// The categories a side may carry on the tax-paid or the tax-received account. Allowed with a notice text,
// allowed without one, or refused with the refusal text.
struct TAccountRule {
    bool Allowed = true;
    std::string_view Text;
};
TAccountRule CheckTaxAccountRule(TTaxAccount account, int code, bool simplified);

inline constexpr int kUntaxedPurchaseCategory = 810;
inline constexpr int kOutsideTaxCategory = 910;

// 810 (untaxed purchases) and 910 (outside the tax): the categories the tax accounts' other side and the
// sundry account must carry.
bool IsOutsideCategory(int code);

inline constexpr std::string_view kTaxPaidAccountRule = "仮払消費税の税コードは[700番台,810,910]を使用して下さい。";
inline constexpr std::string_view kTaxReceivedAccountRule = "仮受消費税の税コードは[600番台,810,910]を使用して下さい。";
inline constexpr std::string_view kGeneralTaxationNotice = "注意：原則課税が選択されています。";
inline constexpr std::string_view kSimplifiedTaxationNotice = "注意：簡易課税が選択されています。";
inline constexpr std::string_view kOppositeSideRule = "仮受消費税、仮払消費税の相手税コードは[810,910]を使用して下さい。";
inline constexpr std::string_view kSundryRule = "諸口の消費税コードは、[810,910]を使用して下さい。";
inline constexpr std::string_view kTaxNotComputable = "仕訳の消費税額が計算できません。";

// Rounding codes of AccInfo TAXU_HASUU and TAXH_HASUU.
enum class TTaxRounding { Truncate = 0, RoundUp = 1, RoundHalfUp = 2 };

// The rate in percent for an entry date and an old-rate code (1 the old 3 %, 2 the old 5 %, 0 the rate in
// force at the date); nothing before the tax began or for a code the date does not know.
std::optional<TMoney> TaxRateOf(TDate date, int oldRate);

struct TTaxInput {
    TMoney Amount;             // KINGAKU, a whole amount of at least 1
    TMoney GivenTax;           // ZEIGAKU, the tax when it is not computed
    int DebitCategory = 910;
    int CreditCategory = 910;
    bool Automatic = true;     // AUTCALCU 1
    int CalcMode = 0;          // TAXCALCU: 0 tax-inclusive amount, 1 tax-exclusive amount, 2 no tax
    TDate Date;
    int OldRate = 0;
    int SalesRounding = 0;     // TAXU_HASUU
    int PurchaseRounding = 0;  // TAXH_HASUU
};

struct TSideTax {
    TMoney Net;
    TMoney Tax;
    TMoney Rate;
};

struct TEntryTax {
    TSideTax Debit;
    TSideTax Credit;
    TMoney Tax;  // the entry's tax (ZEIGAKU): the debit side's when it is taxed, else the credit side's
};

// Nothing when the tax cannot be computed (no rate for the date, an unknown rounding or calculation code,
// a given tax below 0 or above the amount, a tax-exclusive amount whose gross the money type cannot hold).
std::optional<TEntryTax> ComputeEntryTax(const TTaxInput& input);

}  // namespace qz
