#pragma once
// Conversions seen from outside their process: the lock a running conversion holds on its destination
// row, and the rows a run that never finished left marked in progress.
//
// The execute step takes the row's lock before it claims the row and holds it until the row is completed
// or reset. The lock is a lock file of this machine, released by the system when its process dies, so a
// row marked in progress whose lock nobody holds was left by a run that was killed or lost its power. The
// lock sees the runs of this machine only: with the registry on a database server another operator's run
// cannot be told from an abandoned one, so there a run also keeps a claim record on this machine (from the
// claim until the row is completed or freed again). A server row in progress counts as abandoned only
// with this machine's record and no lock; without a record it counts as running.

#include "app/MainFormPaths.h"
#include "app/WizardDestination.h"
#include "common/Ui.h"

#include <string>

namespace qz {

enum class TRunState {
    Free,
    Used,        // holds a data set
    Running,     // in progress, and a running conversion holds it
    Abandoned,   // in progress, and nothing holds it
};

// The lock's name: the installation (a hash of its system database's connection string) and the row.
std::string RowLockName(const TMainFormPaths& paths, int rec);

TRunState RunStateOf(const TMainFormPaths& paths, const TDataFolderRow& row);

// Frees an abandoned row with the execute step's reset and removes the data database its run left in the
// row's folder (nothing else there; on a server the database the claim record names, removed before the
// row is freed). The refusal's text, or empty when the row was reset: a row a running conversion holds, a
// row that is not in progress, a server row without this machine's claim record.
std::string ResetAbandonedRun(const TMainFormPaths& paths, int rec);

// Server mode: this machine's claim record of a row, naming the data database the run publishes. Writing
// throws std::runtime_error (Japanese message); removing reports its failure and returns false.
void WriteClaimRecord(const TMainFormPaths& paths, int rec, const std::string& serverDatabase);
bool RemoveClaimRecord(const TMainFormPaths& paths, int rec);

// Server mode: frees every row that a run of this machine left in progress on the server (one whose
// cleanup could not reach the server, or one that was killed). Each freed row is told on the memo; a row
// that cannot be freed yet keeps its record for the next time.
void FinishAbandonedServerRuns(const TMainFormPaths& paths, TProgressLines& memo);

}  // namespace qz
