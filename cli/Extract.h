#pragma once
// The extract as inspect and convert show it: accepted or refused with the wizard's text, the chosen
// fiscal year with the lists page 1 opens for it, the journals of every year, the read messages, and the
// special accounts page 3 proposes.

#include "app/Confirmation.h"
#include "app/WizardSpecialAccounts.h"
#include "app/WizardYear.h"
#include "cli/Commands.h"

#include <optional>
#include <string>
#include <vector>

namespace qz::cli {

struct TExtractView {
    bool Accepted = false;
    std::string Refusal;                    // the wizard's text when the folder is refused
    std::string Summary;                    // the manifest summary of page 1 (CR LF lines)
    int YearNumber = 0;                     // the chosen year, 1 = the newest
    TYearOptions Options;
    std::vector<int> Journals;              // per manifest year
    std::vector<std::string> ReadMessages;  // what could not be read (files, lines)
};

// Reads the folder and selects the year (the --year number, else the newest). A year number the extract
// does not have is a wrong command line: usageError receives the text.
TExtractView LoadExtract(TQZaimuIO& io, const std::string& folder, const std::optional<std::string>& year,
                         std::string& usageError);

// The manifest summary, the years with their journals, and the read messages.
void PrintExtract(TOutput& output, const TQZaimuIO& io, const TExtractView& view);
// The same as the members "extract", "accepted", "client", "years", "read_messages".
void AddExtractJson(TJson& json, const TQZaimuIO& io, const TExtractView& view, const std::string& folder);

// One special account with its code and the accounts it may take.
struct TSpecialView {
    const TSpecialAccountRow* Row = nullptr;
    std::string Code;
    std::vector<TSpecialCandidate> Candidates;
    std::string Notice;
};
std::vector<TSpecialView> SpecialViews(const TQZaimuIO& io, const std::vector<std::string>& codes);
void PrintSpecialAccounts(TOutput& output, const std::vector<TSpecialView>& views, bool withCandidates);
TJson SpecialAccountsJson(const std::vector<TSpecialView>& views);

}  // namespace qz::cli
