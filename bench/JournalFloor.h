#pragma once
// The database's own floor for storing journal rows: the rows of journal tables of a converted data
// database inserted again into a fresh one as plain INSERT INTO SIWAKE through one prepared statement,
// with the totals trigger off and a commit every 2 000 rows (1 000 entries, as the journal import
// commits). Only the binding, the inserts and the commits are timed, not the reading of the source rows.

#include <filesystem>
#include <string_view>
#include <vector>

namespace qz::bench {

struct TJournalFloor {
    long Rows = 0;          // journal rows (two per entry)
    double Seconds = 0;
    double EntriesPerSecond() const { return Seconds > 0 ? Rows / 2 / Seconds : 0; }
};

// The tables (SIWAKE and the past-journal tables, which share its columns) of the database given by path.
TJournalFloor MeasureJournalFloor(const std::filesystem::path& database, const std::vector<std::string_view>& tables);

}  // namespace qz::bench
