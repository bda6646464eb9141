#pragma once
// The reconciliation of a converted client: per imported year, per target branch and account and per balance
// slot, the source's balance (the balance file's series, every source account the year's account index sends
// to the target account summed) against the balance the target's own tables hold; and per year and month
// the source's journal entries against the target's journal table of that year. The result is plain data
// (a summary per year and the detail of every difference), which the CSV file, the PDF and the front ends
// show. No Qt.

#include "common/Date.h"
#include "common/Money.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/Firebird.h"

#include <string>
#include <vector>

namespace qz {

enum class TDifferenceKind { Balance, Journals };

// One difference of the detail. A balance that differs from one slot on is told once, at the slot where the
// difference appears or changes, not again at every later slot.
struct TReconcileDifference {
    TDifferenceKind Kind = TDifferenceKind::Balance;
    std::string Year{};                  // "当期", "前期", "前々期"
    int Slot = 0;                        // balances: 0 the opening, else the slot 1-16
    int CalendarYear = 0;                // the month the slot closes (journals: the entries' month); 0 unknown
    int CalendarMonth = 0;
    std::string Period{};                // as shown: "期首", "2025年4月", "第1四半期決算", "期末決算"
    std::string Branch{};                // target branch code; empty for the head office (or no branches)
    std::string AccountCode{};           // target account's system code (balances)
    std::string AccountName{};
    std::string SourceAccounts{};        // the source accounts behind it, "10100 現金、10200 小口現金"
    std::string Side{};                  // journals: "借方" or "貸方"
    TMoney Source{}, Target{};           // the balance, or the month's journal amount
    int SourceCount = 0, TargetCount = 0;   // journals: entries
    TMoney Difference() const { return Target - Source; }
};

// One fiscal year of the extract the conversion takes.
struct TReconciledYear {
    std::string Name{};                  // "当期", "前期", "前々期"
    int Code = -1;                       // internal code in the extract
    TDate Start{}, End{};
    bool Compared = false;               // false: the data set does not hold the year
    std::string Reason{};                // why it is not compared
    int Accounts = 0;                    // branch and account pairs compared
    int Months = 0;                      // balances compared (pairs times slots)
    int BalanceDifferences = 0;
    int JournalDifferences = 0;
    int SourceEntries = 0, TargetEntries = 0;   // journal entries (the target's debit rows)
    TMoney SourceAmount{}, TargetAmount{};
};

// A source account whose balance the conversion does not carry, and why.
struct TLeftOutAccount {
    std::string Year{};
    std::string Code{}, Name{};
    std::string Reason{};
    TMoney Closing{};                    // its balance at the year's end, on its own side
};

struct TReconciliation {
    std::string ClientCode{}, ClientName{};
    TDate Made{};
    bool TaxExcluded = false;            // balances compared without consumption tax (the balance kind "税抜き")
    std::vector<TReconciledYear> Years{};
    std::vector<TReconcileDifference> Differences{};
    std::vector<TLeftOutAccount> LeftOut{};

    bool Agrees() const { return Differences.empty(); }
    int AccountsCompared() const;
    int MonthsCompared() const;
};

struct TReconcileOptions {
    // The run's own account of the years it dropped, when it is known (the data set alone does not tell
    // why a past year is missing).
    std::vector<TDroppedYear> DroppedYears{};
};

// Reconciles the data database of the transaction with the extract read into io, whose year settings are
// those the conversion used (selected year, balance kind, chart). AccInfo() must be that of the same data
// database. The account index is built again from the extract; nothing is written. Throws on a database
// error, and std::runtime_error when the data set is another client's.
TReconciliation Reconcile(TQZaimuIO& io, fb::TTransaction& data, const TReconcileOptions& options = {});

// Attaches the data database of a folder (on the host; empty: locally), reads its basic information,
// reconciles and detaches again. Throws std::runtime_error when it cannot be attached (the error has been
// shown) and the database errors of Reconcile.
TReconciliation ReconcileDataFolder(TQZaimuIO& io, const std::string& host, const std::string& folder,
                                    const TReconcileOptions& options = {});

}  // namespace qz
