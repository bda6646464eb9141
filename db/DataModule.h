#pragma once
// The data module: the connections to the system database ("ACCDEF") and to the data database of a
// data folder ("ACCDAT"), a spare third one ("ZEN"), their transactions, and the operations that read
// the data database's basic information, count journals, set generators and run file operations on the
// database server.
//
// Order of use: the program's one module (DM()) exists from start-up, with nothing attached.
// fnAccDefConnected attaches the system database when a step needs the registry of data folders
// (AccDefDisconnect when the step attached it only for itself). fnAccDatConnected attaches the data
// database of a folder, always anew; fnGetAccInfo then fills AccInfo() from it, which the other reads
// and the conversion rely on; AccDatDisconnect detaches it again, refreshing the folder's DATALIST row
// when asked. Every operation starts the transaction it needs only when it is not active and finishes
// only what it started, so a caller may wrap many operations in one transaction.

#include "db/AccInfo.h"
#include "db/Firebird.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace qz {

// Where a file operation runs: this machine, or the database server (through the system database).
enum class TFileLocation { Local = 0, Server = 1, SharedServer = 2 };

// What an attach does with a failure: report it (and return false), or pass it on to the caller.
enum class TOnFailure { Report, PassOn };

enum class TDatabaseKind { System, Data };

// The columns of ACCTOTALNAME that hold a total's names.
enum class TTotalNameColumn { TotalName, PlusName };

// The product's connection values for a database (a path, or "host:path"): from the start-up
// configuration, and for the tools that build the product's databases without a start-up.
fb::TConnectParams ConnectParamsFor(const std::string& database);
fb::TConnectParams ProductConnectParams(const std::string& database);

// Added to the environment of Firebird's own tools (gbak): they hand file names, which the program gives
// them as UTF-8, to the file system in the character set of their locale.
inline constexpr std::pair<std::string_view, std::string_view> kFirebirdToolLocale{"LC_ALL", "C.UTF-8"};

class TDM {
public:
    TDM();
    ~TDM();
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    fb::TAttachment IBDatabaseDEF, IBDatabaseDAT, IBDatabaseZEN;
    fb::TTransaction IBTransactionDEF{IBDatabaseDEF};
    fb::TTransaction IBTransactionDAT{IBDatabaseDAT};
    fb::TTransaction IBTransactionDATSS{IBDatabaseDAT, fb::TTransactionKind::Snapshot};
    fb::TTransaction IBTransactionDATStable{IBDatabaseDAT, fb::TTransactionKind::TableStable};
    fb::TTransaction IBTransactionDAT_Thread{IBDatabaseDAT};
    fb::TTransaction IBTransactionZEN{IBDatabaseZEN};
    fb::TTransaction IBTransactionZENStable{IBDatabaseZEN, fb::TTransactionKind::TableStable};

    // The connection string of a database: "host:folder/file" in server mode with a host other than
    // 127.0.0.1, else "folder/file" (the embedded engine, or the local server by path).
    static std::string DatabaseName(const std::string& host, const std::string& folder, const std::string& file);

    // Attaches the system database unless it is attached.
    bool fnAccDefConnected(const std::string& host, TOnFailure onFailure);
    // How long attaching the system database waits while another process of this machine holds it (the
    // embedded engine opens a database file for one process at a time); by default it does not wait. The
    // command-line converter waits, so that a batch's workers take turns at the registry.
    void SetSystemDatabaseWait(std::chrono::milliseconds wait) { systemWait_ = wait; }
    // Always re-attaches the data database of a folder (empty: the current data folder); never throws.
    bool fnAccDatConnected(const std::string& host, const std::string& folder, bool updateInfo);
    // Detaches the data database; markFree / updateList refresh the folder's information and DATALIST row.
    bool AccDatDisconnect(const std::string& folder, bool markFree, bool updateList);
    void AccDefDisconnect();
    // The data database's connection string as attached last ("" before the first attach).
    std::string AccDatDatabaseName() const;

    // True when the database of the kind in the folder is attached by anyone.
    bool AccDatInConnection(TDatabaseKind kind, const std::string& host, bool keepConnection, const std::string& folder);

    // The file procedures of the system database on the server.
    bool ServerFileOperation(const std::string& mode, const std::string& path1, const std::string& path2);
    std::string ServerLongToShortFileName(const std::string& longName);

    bool DirectoryExistsAt(TFileLocation location, const std::string& path);
    bool MakeDirectoryAt(TFileLocation location, const std::string& path);
    bool FileExistsAt(TFileLocation location, const std::string& path);
    bool DeleteFileAt(TFileLocation location, const std::string& path);
    bool MoveFileAt(TFileLocation location, const std::string& from, const std::string& to);
    std::string ShortNameAt(TFileLocation location, const std::string& path);

    // Reads ACCDEF1, the total names, the special accounts, the settings and the data version into AccInfo.
    bool fnGetAccInfo();
    std::string fnGetAccTotalName(const std::string& group, TTotalNameColumn column);
    bool fnExistence_Table(const std::string& table);
    // Journal counts of one branch, or of all branches without one.
    int GetYukouSiwakeCount(const std::optional<std::string>& branch);
    int GetUpDelSiwakeCount(const std::optional<std::string>& branch);
    int GetSiwakeCount(const std::optional<std::string>& branch);
    // System and user code of a special account by name (empty when the data set lacks it); errors are
    // reported here.
    TSpecialCode SetSystemCode(const std::string& accountName);
    // The user code of a system code; errors are passed on.
    std::string UserCodeOf(const std::string& systemCode);
    // Sets a generator; errors are reported and passed on.
    void SetGeneratorValue(const std::string& generator, std::int64_t value);
    // Holder and password of a communication-ID entry; nothing when the table is missing.
    std::optional<std::pair<std::string, std::string>> ReadTusinId(int rec);

    // After a network error: closes and re-attaches both databases; false when one stays unattached.
    bool Reconnect();

    const std::string& AccDatHost() const { return accDatHost_; }
    const std::string& AccDatFolder() const { return accDatFolder_; }

    // The host a call means: the given one, else the database host, else the configured server host.
    static std::string HostOrDefault(const std::string& host);

private:
    void CloseData();
    bool ProbeInUseLocally(const std::string& database);
    std::string accDatHost_;
    std::string accDatFolder_;
    std::string accDefHost_;
    std::chrono::milliseconds systemWait_{0};
    bool accDatHasParams_ = false;
};

// The program's one data module.
TDM& DM();

// System and user code of a special account by name, read in the transaction (empty when the data set
// lacks it); errors are passed on.
TSpecialCode ReadSpecialCode(fb::TTransaction& transaction, std::string_view accountName);

}  // namespace qz
