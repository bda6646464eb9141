#pragma once
// The consumption-tax side of one converted journal pair: which source tax codes the target cannot take,
// the tax code adjustment, the tax-rate kind, and the target categories with the rules of the special
// tax accounts, so that the journal import accepts what the conversion writes.

#include <string>
#include <string_view>

namespace qz {

class TQZaimuIO;

// One side of a pair as the tax rules see it: the source tax code ("9901" already made empty), the
// source account code, and the target system code of that account.
struct TJournalTaxSide {
    std::string Tax;
    std::string Account;
    std::string SystemCode;
};

// What a pair's tax rules give: fields 10 and 15 (categories), 20 (tax-processing kind) and 21
// (tax-rate kind) of the work file.
struct TJournalPairTax {
    std::string DebitCategory;
    std::string CreditCategory;
    std::string ProcessingKind;
    std::string RateKind;
};

// A code of the 4.5 % or 6.0 % rate (rate digit "2" or "3"), which the target cannot hold.
bool HasUnsupportedRate(std::string_view tax);

// A "0…" code that the account translates to "not taxable" takes its "9…" form when that one translates
// to something else.
std::string AdjustedTaxCode(const TQZaimuIO& context, std::string_view tax, std::string_view account);

// The pair's tax-rate kind: "1" when a side gives "1", else "2" when a side gives "2", else "0".
std::string PairRateKind(const TQZaimuIO& context, std::string_view debitTax, std::string_view creditTax,
                         std::string_view date);

// Categories and kinds of a pair whose rate kind is already known.
TJournalPairTax PairTaxCategories(const TQZaimuIO& context, const TJournalTaxSide& debit, const TJournalTaxSide& credit,
                                  std::string rateKind);

}  // namespace qz
