#pragma once
// A trial conversion (convert --dry-run): a private scratch installation in a temporary folder, with the
// program's paths, the documents folder and the temporary folder pointing at it while the real execute step
// converts into it, and the office's registry of data folders read from a copy, so that nothing of the
// office's installation is written (a database changes its file even when it is only read).

#include "app/ExecuteStep.h"
#include "app/WizardDestination.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qz::cli {

class TScratchInstallation {
public:
    // Makes the installation (one free data folder) in a new temporary folder and points the program's paths
    // at it; executable is the program whose templates it uses. Throws when it cannot be made.
    explicit TScratchInstallation(const std::filesystem::path& executable);
    // The office's paths back (if not yet), the folder removed unless it is kept.
    ~TScratchInstallation();
    TScratchInstallation(const TScratchInstallation&) = delete;
    TScratchInstallation& operator=(const TScratchInstallation&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // The scratch installation's data folder the conversion goes into.
    TExecuteDestination Destination() const;
    void Keep() { keep_ = true; }
    bool Kept() const { return keep_; }
    // Detaches every database and gives the program the office's paths and environment again.
    void RestoreOfficePaths();

private:
    void SetEnv(const char* name, const std::string& value);

    std::filesystem::path root_;
    TSystemDef officeSystem_;
    TProgramValues officeProgram_;
    std::vector<std::pair<std::string, std::optional<std::string>>> officeEnv_;
    bool restored_ = false;
    bool keep_ = false;
};

// The office's data folders as page 2 lists them, read without writing the office's system database: in
// local mode from a copy of it. Nothing when they cannot be read (the error has been shown).
std::optional<std::vector<TDataFolderRow>> ReadOfficeDataFolders(const TMainFormPaths& paths);

}  // namespace qz::cli
