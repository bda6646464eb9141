#pragma once
// Page 1 of the wizard without its widgets: accepting an extract folder, and the settings of the chosen
// fiscal year with the choices the page proposes. The GUI and the command-line converter share it.

#include "convert/uQZ_ZaimuIO.h"

#include <filesystem>
#include <string>

namespace qz {

// What page 1 makes of a folder.
struct TExtractCheck {
    bool Accepted = false;
    std::string Summary;   // the manifest summary (CR LF lines); empty when the folder is no extract
    std::string Refusal;   // what the page says when it does not go on
};

// Reads the folder into the context when it is an extract and selects its newest year with the default
// choices. Refused: a folder without the manifest or the CM and ZM folders, or without a fiscal year (the
// page-1 error box), and in the revised edition an extract of another source version (the status text).
// Throws TConversionError for a manifest or year record whose codes are no numbers.
TExtractCheck LoadExtractFolder(TQZaimuIO& io, const std::filesystem::path& folder, bool revisedEdition);

// The lists of page 1, by their item index.
enum TBalanceKindItem { kBalanceNormal = 0, kBalanceTaxExcluded = 1 };   // "通常", "税抜き"
enum TFreeCodeItem { kFreeCode3 = 0, kFreeCode4 = 1 };                   // "３桁", "４桁"
enum TFudosanItem { kFudosanNone = -1, kFudosanGeneral = 0, kFudosanRealEstate = 1 };  // "個人一般", "個人不動産"

// The lists page 1 opens for a year.
struct TYearOptions {
    bool FreeCodeDigitsOpen = false;   // free codes of 5 or 6 digits must be cut to 3 or 4
    bool RealEstateChartOpen = false;  // a sole proprietor in real estate may keep the general chart
};

// Makes manifest entry `index` (0 = the newest year) the selected year: its codes and those of the two
// years before it, the period, the year record's code digits, tax and client kind, and the lists'
// defaults (free codes cut to three digits; the real-estate chart where it applies). The balance kind
// is that of the balance list. Nothing changes for an index outside the manifest's years.
TYearOptions SelectFiscalYear(TQZaimuIO& io, int index, int balanceKind = kBalanceNormal);

// The change handler of the balance list: the balance kind and the first input month it implies.
void SetBalanceKind(TQZaimuIO& io, int item);
// The change handlers of the free-code and real-estate lists; the real-estate choice is taken when the
// page is left (kFudosanNone when the list is closed).
void SetFreeCodeDigits(TQZaimuIO& io, int item);
void SetFudosanTaikei(TQZaimuIO& io, int item);

// "ZM仕訳[ZMSIWAKE.CSV]ファイルが無い" when the extract has no journal file: the conversion then imports no
// journal, which the operator must know before anything is written. Empty otherwise.
std::string JournalFileMessage(const TQZaimuIO& io);

}  // namespace qz
