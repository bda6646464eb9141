#pragma once
// The reconciliation of a converted client as the command line runs it (verify, and convert after every
// successful conversion): reconciled, its CSV file and PDF written, told on the terminal and in the JSON
// summary as {"result": "ok"|"differences"|"failed", "differences": N, "csv": path, "pdf": path}.

#include "cli/Commands.h"
#include "verify/Reconcile.h"

#include <filesystem>
#include <optional>
#include <string>

namespace qz::cli {

struct TReconcileRun {
    std::optional<TReconciliation> Report;
    std::string Failure;                       // why there is no report
    std::optional<std::filesystem::path> Csv, Pdf;
    std::string FileError;                     // why a file could not be written

    std::string_view Result() const;           // "ok", "differences", "failed"
    int Differences() const;
    // Nothing differs and every file was written.
    bool Clean() const { return Result() == "ok" && FileError.empty(); }
};

// Reconciles the data database in the folder (on the host; empty: locally). Never throws.
TReconcileRun RunReconciliation(TQZaimuIO& io, const std::string& host, const std::string& folder,
                                const TReconcileOptions& options);
// Writes the CSV file and the PDF into the folder (made when missing). Never throws.
void WriteReconciliationFiles(TReconcileRun& run, const std::filesystem::path& folder);

TJson ReconcileJson(const TReconcileRun& run);
// The summary line; with the detail also the years and the differences.
void PrintReconciliation(TOutput& output, const TReconcileRun& run, bool withDetail);

}  // namespace qz::cli
