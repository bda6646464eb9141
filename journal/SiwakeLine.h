#pragma once
// One line of a journal text file: its fields, and the entry they make.
//
// Lines are CP932. They are split at the separator bytes first and each field is decoded on its own
// afterwards: a TAB or a comma byte is never part of a double-byte character.

#include "journal/SiwakeRec.h"
#include "journal/TaxCategories.h"

#include <string>
#include <string_view>
#include <vector>

namespace qz {

inline constexpr int kSiwakeFieldCount = 30;

// The fields of a line, as raw bytes without their double quotes. A part that opens a quote (starts with
// one and does not end with one) takes the following parts, joined with ",", up to the part that closes it.
// An empty separator splits nothing: no fields.
std::vector<std::string> SplitSiwakeFields(std::string_view line, std::string_view separator);

// A code of the file trimmed; a blank code is " " (the head office, no sub-account, all departments).
std::string SiwakeCode(std::string_view text);

// TAB, CR and LF removed.
std::string WithoutLineBreaks(std::string_view text);

// TAB, CR and LF removed, every "'" made a double quote (the journal conversion wrote them the other way).
std::string CleanSiwakeText(std::string_view text);

struct TSiwakeLineOptions {
    bool ReadVoucherNo = false;  // field 2 is the voucher number
    int DefaultTaxCalc = 0;      // the data set's TAXCALCU for a value above 2 (AccInfo TAXDEFUH)
    int OperatorCode = 0;
};

// The entry of a line of kSiwakeFieldCount decoded fields. Tax categories are as the file gives them
// (0: the account's, looked up by the caller).
TSiwakeRec BuildSiwakeRec(const std::vector<std::string>& fields, const TSiwakeLineOptions& options);

// When both sides are untaxed or outside the tax, the entry carries no tax.
void MarkUntaxedEntry(TSiwakeRec& rec);

// What the tax of the entry is computed from, with the data set's rounding codes (TAXU_HASUU, TAXH_HASUU).
TTaxInput EntryTaxInput(const TSiwakeRec& rec, int salesRounding, int purchaseRounding);

}  // namespace qz
