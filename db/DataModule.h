#pragma once
// The data module: the connections to the system database ("ACCDEF") and to the data database of a
// data folder ("ACCDAT"), a spare third one ("ZEN"), their transactions, and the operations that read
// the data database's basic information, count journals, set generators and run file operations on the
// database server.

#include "db/AccInfo.h"
#include "db/Firebird.h"

#include <optional>
#include <string>

namespace qz {

// Where a file operation runs: 0 this machine, 1 or 2 the database server.
enum class TFileLocation { Local = 0, Server = 1, SharedServer = 2 };

class TDM {
public:
    TDM();
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

    // Attaches the system database unless it is attached. With reportFlag 1 errors are reported and give
    // false; otherwise they are passed on.
    bool fnAccDefConnected(const std::string& host, int reportFlag);
    // Always re-attaches the data database of a folder (empty: the current data folder); never throws.
    bool fnAccDatConnected(const std::string& host, const std::string& folder, bool updateInfo);
    // Detaches the data database; markFree / updateList refresh the folder's information and DATALIST row.
    bool AccDatDisconnect(const std::string& folder, bool markFree, bool updateList);
    void AccDefDisconnect();

    // True when the database of the kind (0 system, 1 data) in the folder is attached by anyone.
    bool AccDatInConnection(int kind, const std::string& host, bool keepConnection, const std::string& folder);

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
    std::string fnGetAccTotalName(const std::string& group, const std::string& column);
    bool fnExistence_Table(const std::string& table);
    // Journal counts of one branch, or of all branches without one.
    int GetYukouSiwakeCount(const std::optional<std::string>& branch);
    int GetUpDelSiwakeCount(const std::optional<std::string>& branch);
    int GetSiwakeCount(const std::optional<std::string>& branch);
    // System and user code of a special account by name (empty when the data set lacks it).
    TSpecialCode SetSystemCode(const std::string& accountName);
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
    bool accDatHasParams_ = false;
};

// The program's one data module.
TDM& DM();

}  // namespace qz
