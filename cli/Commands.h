#pragma once
// The commands of qzconvert-cli. Each returns the program's exit status: 0 on success, 1 when the work
// was refused or failed, 2 for a command line that is wrong.

#include "cli/Arguments.h"
#include "cli/Json.h"
#include "cli/TerminalUi.h"
#include "platform/InstanceGuard.h"

#include <exception>
#include <filesystem>
#include <optional>

#include <string>

namespace qz::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Where a command writes: the operator's text (standard output, or standard error with --json) and, with
// --json, the one summary on standard output.
class TOutput {
public:
    TOutput(TTerminal& human, bool json) : human_(human), json_(json) {}
    bool Json() const { return json_; }
    TTerminal& Human() { return human_; }
    // A line of the text output; with --json it goes to standard error as progress.
    void Line(std::string_view text) { human_.Line(text); }
    // The summary, written as UTF-8 whatever the locale (JSON is UTF-8).
    void Summary(const TJson& json);

private:
    TTerminal& human_;
    bool json_;
};

// Holds the tools' lock for a command that writes; nothing (the refusal told) beside the target program or
// another tool.
std::optional<TInstanceGuard> AcquireGuard(TOutput& output);
// The program's name and version as the edition tells them: "qzconvert-cli 1.0.11".
std::string_view ProgramName();
std::string VersionText();
// A command line that is wrong: the text on standard error, exit status 2.
int UsageError(const std::string& text);
// The text of an exception, with the codes of a database error.
std::string ErrorText(const std::exception& error);

int RunTargetInit(const TArguments& arguments, TOutput& output);
int RunInspect(const TArguments& arguments, TOutput& output);
int RunDestinations(const TArguments& arguments, TOutput& output);
int RunConvert(const TArguments& arguments, TOutput& output);
int RunBatch(const TArguments& arguments, TOutput& output);
int RunVerify(const TArguments& arguments, TOutput& output);

// The program as the edition sees it: its name without the "-cli" (qzconvert2-cli is the revised edition).
std::filesystem::path EditionExecutable();

// The whole program: parses the command line and runs the command.
int Main(int argc, char** argv);

}  // namespace qz::cli
