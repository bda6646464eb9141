#pragma once
// Page 2 of the wizard without its grid: the data folders of the installation as the destination grid
// lists them and the free ones the operator may choose.

#include "app/MainFormPaths.h"
#include "common/Date.h"

#include <optional>
#include <string>
#include <vector>

namespace qz {

// One DATALIST row as the destination grid shows it.
struct TDataFolderRow {
    int Rec = 0;
    std::string Code;         // column "コード": DATACODE of a used folder
    std::string Name;         // column "データ名": ENTTEXT, or the shared-folder text
    std::string Period;       // column "会計期間": KISHU～KIMATU as "ee/mm/dd", or "-" for a shared folder
    std::string DisplayPath;  // column "データフォルダ": upper-cased, the installation's root shown as "~"
    std::string Path;         // PASNAME as registered
    bool Free = false;        // no data name: the conversion may use it
    bool InProgress = false;  // marked by a conversion that runs into it, or ended without finishing
};

// Attaches the system database, reads every DATALIST row and detaches again. Nothing when the database
// cannot be attached or read (the error has been shown).
std::optional<std::vector<TDataFolderRow>> ReadDataFolders(const TMainFormPaths& paths);

// The first free row from the top, as the page selects when it opens; null when every row is used.
const TDataFolderRow* FirstFreeRow(const std::vector<TDataFolderRow>& rows);

// The page's "next" for a row: the refusal text, or empty when the row may take the conversion.
std::string DestinationRefusal(const TDataFolderRow& row);

// "ee/mm/dd" of a date in the era of the date.
std::string EraShortDate(TDate date);

}  // namespace qz
