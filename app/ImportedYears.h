#pragma once
// What a completed conversion left in its data database: the journal entries of the current year and of
// each past year it holds, described by the extract's fiscal years.

#include "convert/uQZ_ZaimuIO.h"

#include <optional>
#include <string>
#include <vector>

namespace qz {

struct TImportedYear {
    std::string Name;    // "当期", "前期", "前々期"
    int Code = -1;       // the year's internal code in the extract
    std::string Label;   // the manifest's label of the year
    int Journals = 0;    // journal entries in the data database
};

// Attaches the data database in the folder (on the host; empty: locally), counts the journals of each
// year and detaches again. The current year is always listed, a past year when the data set holds
// journals of it (a dropped or cleared year holds none). Nothing when the database cannot be read (the
// error has been shown).
std::optional<std::vector<TImportedYear>> ReadImportedYears(const TQZaimuIO& io, const std::string& host,
                                                           const std::string& folder);

}  // namespace qz
