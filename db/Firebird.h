#pragma once
// A thin RAII layer over the Firebird 3 OO API: attachments, transactions with the program's three
// parameter presets, and statements with named parameters (":NAME", translated once to positional
// markers). Texts cross the boundary as UTF-8 and travel to the server as CP932 bytes.
//
// The layer knows nothing of the product: who attaches, with which password and character set, is the
// caller's. Failures of the database are TFbError; a text that CP932 cannot hold is TEncodingError; a
// programming mistake (an unknown parameter or column, a column read as a type it cannot give, a
// statement run before it is prepared) is std::logic_error; a stored value too large for the money type
// is std::overflow_error.

#include "common/Date.h"
#include "common/Money.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Firebird {
class IService;
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
}  // namespace Firebird

namespace qz::fb {

// A database error: the status vector's code, the SQLCODE and the server's message (UTF-8).
class TFbError : public std::runtime_error {
public:
    TFbError(std::int64_t code, int sqlCode, std::string message);
    std::int64_t Code() const { return code_; }
    int SqlCode() const { return sqlCode_; }
    const std::string& Message() const { return message_; }

private:
    std::int64_t code_;
    int sqlCode_;
    std::string message_;
};

struct TConnectParams {
    std::string Database;  // a local path (embedded engine) or "host:path"
    std::string User;
    std::string Password;
    std::string Charset;   // lc_ctype, and the default character set of a created database
};

// Owns a Firebird interface that is ended by detach(): detached when the owner goes away (released when
// the detach fails, e.g. after the connection was lost).
template <typename TInterface>
class TDetachable {
public:
    TDetachable() = default;
    explicit TDetachable(TInterface* raw) : raw_(raw) {}
    ~TDetachable();
    TDetachable(TDetachable&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    TDetachable& operator=(TDetachable&& other) noexcept;
    TDetachable(const TDetachable&) = delete;
    TDetachable& operator=(const TDetachable&) = delete;

    void Detach();

protected:
    void DetachOrRelease() noexcept;
    TInterface* raw_ = nullptr;
};

class TAttachment : public TDetachable<Firebird::IAttachment> {
public:
    TAttachment() = default;

    static TAttachment Attach(const TConnectParams& params);
    // Creates a new database (dialect 3) with the attachment's character set as default.
    static TAttachment Create(const TConnectParams& params, int pageSize = 16384);

    bool Connected() const { return raw_ != nullptr; }
    Firebird::IAttachment* Raw() const { return raw_; }

private:
    explicit TAttachment(Firebird::IAttachment* raw) : TDetachable(raw) {}
};

// The program's transaction parameter presets.
enum class TTransactionKind {
    ReadCommitted,  // read_committed, rec_version, nowait (the default everywhere)
    Snapshot,       // concurrency, nowait
    TableStable,    // write, consistency (holds the tables exclusively)
};

class TTransaction {
public:
    TTransaction(TAttachment& attachment, TTransactionKind kind = TTransactionKind::ReadCommitted);
    ~TTransaction();  // rolls back what is still active
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    bool Active() const { return raw_ != nullptr; }
    void Start();
    // Starts only when not active; returns true when this call started it.
    bool StartIfInactive();
    void Commit();
    void CommitRetaining();
    void Rollback();
    void RollbackRetaining();

    TAttachment& Attachment() const { return *attachment_; }
    Firebird::ITransaction* Raw() const { return raw_; }

private:
    TAttachment* attachment_;
    TTransactionKind kind_;
    Firebird::ITransaction* raw_ = nullptr;
};

// The program's transaction rule: start only when not active, and commit or roll back only what this
// scope started; a scope left without Commit rolls back what it started.
class TTransactionScope {
public:
    explicit TTransactionScope(TTransaction& transaction)
        : transaction_(transaction), started_(transaction.StartIfInactive()) {}
    ~TTransactionScope();
    TTransactionScope(const TTransactionScope&) = delete;
    TTransactionScope& operator=(const TTransactionScope&) = delete;

    bool Started() const { return started_; }
    void Commit();
    void Rollback();

private:
    TTransaction& transaction_;
    bool started_;
    bool finished_ = false;
};

// Runs a statement without parameters or results (DDL, SET GENERATOR, ...).
void ExecuteImmediate(TTransaction& transaction, std::string_view sql);

class TStatement {
public:
    explicit TStatement(TTransaction& transaction);
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    // Prepares the text. With paramCheck, ":NAME" markers become positional parameters; without it the
    // text goes to the server unchanged (procedure bodies use ":name" for their own variables).
    void Prepare(std::string_view sql, bool paramCheck = true);
    const std::vector<std::string>& ParamNames() const { return paramNames_; }

    // Parameter values by name (case-insensitive); a name that appears twice gets the value in both places.
    // Unassigned parameters go to the server as NULL.
    TStatement& SetString(std::string_view name, std::string_view utf8);
    // Bytes as they are, for an OCTETS parameter: file names travel so, as UTF-8, untouched by CP932.
    TStatement& SetBytes(std::string_view name, std::string_view bytes);
    TStatement& SetInt(std::string_view name, std::int64_t value);
    TStatement& SetMoney(std::string_view name, TMoney value);
    TStatement& SetDate(std::string_view name, TDate value);
    TStatement& SetNull(std::string_view name);
    void ClearParams();

    // Frees the prepared statement on the server (it may be prepared again). A table cannot be dropped in
    // the connection while a statement prepared on it is alive, so a module frees its statements on a work
    // table before it drops the table.
    void Free() noexcept { Release(); }

    // Executes a statement that returns no rows, or a singleton (then the row is readable).
    void Execute();
    // The rows the last Execute inserted, updated or deleted; an update that finds no row gives 0.
    std::uint64_t AffectedRows() const;
    // Opens the result set; Fetch moves to the next row.
    void Open();
    bool Fetch();
    void Close();

    int ColumnCount() const;
    std::string ColumnName(int index) const;
    int ColumnIndex(std::string_view name) const;  // throws when there is no such column
    bool HasColumn(std::string_view name) const;
    bool IsNull(std::string_view column) const;
    std::string AsString(std::string_view column) const;
    std::int64_t AsInt(std::string_view column) const;
    TMoney AsMoney(std::string_view column) const;
    TDate AsDate(std::string_view column) const;
    bool IsNull(int index) const;
    std::string AsString(int index) const;
    std::int64_t AsInt(int index) const;
    TMoney AsMoney(int index) const;
    TDate AsDate(int index) const;

private:
    struct TParam;
    struct TColumn;
    struct TInputMessage;
    TParam& Param(std::string_view name);
    TInputMessage InputMessage() const;
    void RequirePrepared() const;
    void DescribeOutput();
    const TColumn& Column(int index) const;
    void CloseNoThrow() noexcept;
    void Release() noexcept;

    TTransaction* transaction_;
    Firebird::IStatement* raw_ = nullptr;
    Firebird::IResultSet* cursor_ = nullptr;
    Firebird::IMessageMetadata* outputMeta_ = nullptr;
    std::vector<std::string> paramNames_;          // one per positional marker, upper-cased
    std::vector<std::shared_ptr<TParam>> params_;  // one per positional marker
    std::vector<TColumn> columns_;
    std::vector<unsigned char> row_;
    bool hasRow_ = false;
};

// The services manager of a server ("host:service_mgr") or of the embedded engine (no host).
class TService : public TDetachable<Firebird::IService> {
public:
    using TLineHandler = std::function<void(const std::string& line)>;

    TService() = default;

    // With asAdministrator the attachment takes the role RDB$ADMIN, which the server needs to show the
    // attachments of other users.
    static TService Attach(const std::string& host, const std::string& user, const std::string& password,
                           bool asAdministrator = false);

    struct TBackupOptions {
        bool IgnoreLimbo = true;
        bool NoGarbageCollection = true;
        bool NonTransportable = true;
    };
    // Runs a backup and passes every line of the verbose output to the handler.
    void Backup(const std::string& database, const std::string& backupFile, const TBackupOptions& options,
                const TLineHandler& onLine);

    struct TRestoreOptions {
        bool Replace = false;          // replace an existing database (else only create)
        bool DeactivateIndexes = false;
        int PageBuffers = 4096;
        int PageSize = 16384;
    };
    void Restore(const std::string& backupFile, const std::string& database, const TRestoreOptions& options,
                 const TLineHandler& onLine);

    // The databases the server reports as attached (as the server names them).
    std::vector<std::string> AttachedDatabases();

private:
    explicit TService(Firebird::IService* raw) : TDetachable(raw) {}
    void Start(const std::vector<unsigned char>& request);
    void ReadOutput(const TLineHandler& onLine);
};

// Translates ":NAME" markers outside literals and comments into "?"; returns the names in order.
std::string TranslateNamedParams(std::string_view sql, std::vector<std::string>& names);

}  // namespace qz::fb
