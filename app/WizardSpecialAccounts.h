#pragma once
// Page 3 of the wizard without its grids: the special accounts (特定科目) of the client's kind, the codes
// proposed from the source chart, the candidate accounts of a row, and the checks of the page's "next".

#include "convert/uQZ_ZaimuIO.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// One row of the special-account grid: the classification the account must have, its name as the grid
// shows it, and the system code of the source account proposed for it.
struct TSpecialAccountRow {
    std::string_view Classification;
    std::string_view Name;
    std::string_view DefaultSystemCode;
};

// The rows of a corporation (HoujinKojin 1: five) or of a sole proprietor (2: seven), in slot order.
std::span<const TSpecialAccountRow> SpecialAccountRows(int houjinKojin);

// Page 2's "next": the client's kind from the selected year's record, and for each row the client's code of
// the selected year's account with the row's default system code (empty when there is none). Nothing (and
// the context's kind untouched) when the record says neither corporation nor sole proprietor.
std::optional<std::vector<std::string>> ProposeSpecialAccounts(TQZaimuIO& io);

// A source account the operator may choose for a row.
struct TSpecialCandidate {
    std::string ClassName;   // ClassificationName of its joined classification
    std::string Code;        // the client's account code
    std::string Name;
};

// The accounts of the selected year a row may take: for retained earnings only the account 85300; for
// the others every named account of the standard chart whose classification contains the row's.
// `notice` receives the status text when retained earnings has no account.
std::vector<TSpecialCandidate> SpecialAccountCandidates(const TQZaimuIO& io, const TSpecialAccountRow& row,
                                                        std::string& notice);

struct TSpecialAccountRefusal {
    int Row = 0;
    std::string Text;
};

// Page 3's "next": checks the rows' codes from the top and stores each valid one in its slot
// (SetSpecialAccount); the first refusal stops. The aggregated accounts are those of the chart the
// operator finally chose.
std::optional<TSpecialAccountRefusal> ValidateSpecialAccounts(TQZaimuIO& io, const std::vector<std::string>& codes);

}  // namespace qz
