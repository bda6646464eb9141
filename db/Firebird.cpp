#include "db/Firebird.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

using namespace Firebird;

namespace qz::fb {
namespace {

// ISC_DATE counts days from 1858-11-17; our dates count from 1899-12-30.
constexpr std::int32_t kIscDateOffset = 15018;
constexpr unsigned kCharsetSjis0208 = 5;
constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kDialect = 3;

IMaster* Master()
{
    static IMaster* master = fb_get_master_interface();
    return master;
}

// A status object that is disposed with the wrapper.
class TStatus {
public:
    TStatus() : raw_(Master()->getStatus()), wrapper_(raw_) {}
    ~TStatus() { raw_->dispose(); }
    TStatus(const TStatus&) = delete;
    TStatus& operator=(const TStatus&) = delete;
    ThrowStatusWrapper* operator&() { return &wrapper_; }

private:
    IStatus* raw_;
    ThrowStatusWrapper wrapper_;
};

TFbError ErrorFrom(IStatus* status)
{
    const ISC_STATUS* vector = status->getErrors();
    std::int64_t code = 0;
    if (vector && vector[0] == isc_arg_gds)
        code = vector[1];
    const int sqlCode = vector ? static_cast<int>(isc_sqlcode(vector)) : 0;
    char buffer[2048] = {};
    Master()->getUtilInterface()->formatStatus(buffer, sizeof buffer - 1, status);
    return TFbError(code, sqlCode, DecodeCp932(buffer));
}

// Runs one API call and turns a Firebird failure into TFbError.
template <typename Call>
auto Guarded(Call call)
{
    TStatus status;
    try {
        return call(&status);
    } catch (const FbException& error) {
        throw ErrorFrom(error.getStatus());
    }
}

std::vector<unsigned char> TpbOf(TTransactionKind kind)
{
    switch (kind) {
    case TTransactionKind::ReadCommitted:
        return {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version, isc_tpb_nowait};
    case TTransactionKind::Snapshot:
        return {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency, isc_tpb_nowait};
    case TTransactionKind::TableStable:
        return {isc_tpb_version3, isc_tpb_write, isc_tpb_consistency};
    }
    return {};
}

IAttachment* Connect(const TConnectParams& params, bool create, int pageSize)
{
    return Guarded([&](ThrowStatusWrapper* status) {
        IXpbBuilder* dpb = Master()->getUtilInterface()->getXpbBuilder(status, IXpbBuilder::DPB, nullptr, 0);
        IProvider* provider = Master()->getDispatcher();
        try {
            dpb->insertString(status, isc_dpb_user_name, params.User.c_str());
            dpb->insertString(status, isc_dpb_password, params.Password.c_str());
            dpb->insertString(status, isc_dpb_lc_ctype, params.Charset.c_str());
            dpb->insertInt(status, isc_dpb_sql_dialect, kDialect);
            if (create) {
                dpb->insertInt(status, isc_dpb_page_size, pageSize);
                dpb->insertString(status, isc_dpb_set_db_charset, params.Charset.c_str());
            }
            const std::string path = EncodeCp932(params.Database);
            IAttachment* attachment =
                create ? provider->createDatabase(status, path.c_str(), dpb->getBufferLength(status), dpb->getBuffer(status))
                       : provider->attachDatabase(status, path.c_str(), dpb->getBufferLength(status), dpb->getBuffer(status));
            dpb->dispose();
            provider->release();
            return attachment;
        } catch (...) {
            dpb->dispose();
            provider->release();
            throw;
        }
    });
}

std::string ToUpper(std::string_view text)
{
    return UpperAscii(text);
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

}  // namespace

TFbError::TFbError(std::int64_t code, int sqlCode, std::string message)
    : std::runtime_error(message), code_(code), sqlCode_(sqlCode), message_(std::move(message))
{
}

// ---------------------------------------------------------------------------------------------
// Attachment

template <typename TInterface>
TDetachable<TInterface>::~TDetachable()
{
    try {
        Detach();
    } catch (...) {
        if (raw_)
            raw_->release();
        raw_ = nullptr;
    }
}

template <typename TInterface>
TDetachable<TInterface>& TDetachable<TInterface>::operator=(TDetachable&& other) noexcept
{
    if (this != &other) {
        try {
            Detach();
        } catch (...) {
            if (raw_)
                raw_->release();
        }
        raw_ = std::exchange(other.raw_, nullptr);
    }
    return *this;
}

template <typename TInterface>
void TDetachable<TInterface>::Detach()
{
    if (!raw_)
        return;
    Guarded([&](ThrowStatusWrapper* status) { raw_->detach(status); });
    raw_ = nullptr;
}

template class TDetachable<IAttachment>;
template class TDetachable<IService>;

TAttachment TAttachment::Attach(const TConnectParams& params)
{
    return TAttachment(Connect(params, false, 0));
}

TAttachment TAttachment::Create(const TConnectParams& params, int pageSize)
{
    return TAttachment(Connect(params, true, pageSize));
}

// ---------------------------------------------------------------------------------------------
// Transaction

TTransaction::TTransaction(TAttachment& attachment, TTransactionKind kind) : attachment_(&attachment), kind_(kind) {}

TTransaction::~TTransaction()
{
    if (!raw_)
        return;
    try {
        Rollback();
    } catch (...) {
        raw_->release();
    }
}

void TTransaction::Start()
{
    const std::vector<unsigned char> tpb = TpbOf(kind_);
    raw_ = Guarded([&](ThrowStatusWrapper* status) {
        return attachment_->Raw()->startTransaction(status, static_cast<unsigned>(tpb.size()), tpb.data());
    });
}

bool TTransaction::StartIfInactive()
{
    if (Active())
        return false;
    Start();
    return true;
}

void TTransaction::Commit()
{
    Guarded([&](ThrowStatusWrapper* status) { raw_->commit(status); });
    raw_ = nullptr;
}

void TTransaction::CommitRetaining()
{
    Guarded([&](ThrowStatusWrapper* status) { raw_->commitRetaining(status); });
}

void TTransaction::Rollback()
{
    Guarded([&](ThrowStatusWrapper* status) { raw_->rollback(status); });
    raw_ = nullptr;
}

void TTransaction::RollbackRetaining()
{
    Guarded([&](ThrowStatusWrapper* status) { raw_->rollbackRetaining(status); });
}

TTransactionScope::~TTransactionScope()
{
    if (started_ && !finished_ && transaction_.Active()) {
        try {
            transaction_.Rollback();
        } catch (...) {
        }
    }
}

void TTransactionScope::Commit()
{
    if (started_ && !finished_ && transaction_.Active())
        transaction_.Commit();
    finished_ = true;
}

void TTransactionScope::Rollback()
{
    if (started_ && !finished_ && transaction_.Active())
        transaction_.Rollback();
    finished_ = true;
}

void ExecuteImmediate(TTransaction& transaction, std::string_view sql)
{
    const std::string text = EncodeCp932(sql);
    Guarded([&](ThrowStatusWrapper* status) {
        transaction.Attachment().Raw()->execute(status, transaction.Raw(), 0, text.c_str(), kDialect, nullptr, nullptr,
                                               nullptr, nullptr);
    });
}

// ---------------------------------------------------------------------------------------------
// Services manager

namespace {

// Builds a parameter block of the given kind with the calls in fill, and hands its bytes over.
template <typename Fill>
std::vector<unsigned char> Block(unsigned kind, Fill fill)
{
    return Guarded([&](ThrowStatusWrapper* status) {
        IXpbBuilder* builder = Master()->getUtilInterface()->getXpbBuilder(status, kind, nullptr, 0);
        try {
            fill(status, builder);
            const unsigned char* bytes = builder->getBuffer(status);
            std::vector<unsigned char> block(bytes, bytes + builder->getBufferLength(status));
            builder->dispose();
            return block;
        } catch (...) {
            builder->dispose();
            throw;
        }
    });
}

// Service answers travel in blocks whose length must fit in 16 bits.
constexpr std::size_t kServiceBufferSize = 32000;

unsigned ReadLength(const unsigned char*& p)
{
    const unsigned length = static_cast<unsigned>(isc_vax_integer(reinterpret_cast<const char*>(p), 2));
    p += 2;
    return length;
}

}  // namespace

TService TService::Attach(const std::string& host, const std::string& user, const std::string& password,
                          bool asAdministrator)
{
    const std::vector<unsigned char> spb = Block(IXpbBuilder::SPB_ATTACH, [&](ThrowStatusWrapper* status, IXpbBuilder* b) {
        b->insertString(status, isc_spb_user_name, user.c_str());
        b->insertString(status, isc_spb_password, password.c_str());
        if (asAdministrator)
            b->insertString(status, isc_spb_sql_role_name, "RDB$ADMIN");
    });
    const std::string name = host.empty() ? "service_mgr" : host + ":service_mgr";
    return TService(Guarded([&](ThrowStatusWrapper* status) {
        IProvider* provider = Master()->getDispatcher();
        try {
            IService* service = provider->attachServiceManager(status, name.c_str(), static_cast<unsigned>(spb.size()), spb.data());
            provider->release();
            return service;
        } catch (...) {
            provider->release();
            throw;
        }
    }));
}

void TService::Start(const std::vector<unsigned char>& request)
{
    Guarded([&](ThrowStatusWrapper* status) { raw_->start(status, static_cast<unsigned>(request.size()), request.data()); });
}

void TService::ReadOutput(const TLineHandler& onLine)
{
    const unsigned char items[] = {isc_info_svc_line};
    std::vector<unsigned char> buffer(kServiceBufferSize);
    for (bool more = true; more;) {
        Guarded([&](ThrowStatusWrapper* status) {
            raw_->query(status, 0, nullptr, sizeof items, items, static_cast<unsigned>(buffer.size()), buffer.data());
        });
        more = false;
        for (const unsigned char* p = buffer.data(); p < buffer.data() + buffer.size() && *p != isc_info_end;) {
            const unsigned char item = *p++;
            if (item == isc_info_svc_line) {
                const unsigned length = ReadLength(p);
                if (length > 0) {
                    if (onLine)
                        onLine(DecodeCp932(std::string(reinterpret_cast<const char*>(p), length)));
                    more = true;
                }
                p += length;
            } else if (item == isc_info_svc_timeout || item == isc_info_data_not_ready) {
                more = true;
            } else {
                break;
            }
        }
    }
}

void TService::Backup(const std::string& database, const std::string& backupFile, const TBackupOptions& options,
                      const TLineHandler& onLine)
{
    int flags = 0;
    if (options.IgnoreLimbo) flags |= isc_spb_bkp_ignore_limbo;
    if (options.NoGarbageCollection) flags |= isc_spb_bkp_no_garbage_collect;
    if (options.NonTransportable) flags |= isc_spb_bkp_non_transportable;
    Start(Block(IXpbBuilder::SPB_START, [&](ThrowStatusWrapper* status, IXpbBuilder* b) {
        b->insertTag(status, isc_action_svc_backup);
        b->insertString(status, isc_spb_dbname, EncodeCp932(database).c_str());
        b->insertString(status, isc_spb_bkp_file, EncodeCp932(backupFile).c_str());
        b->insertTag(status, isc_spb_verbose);
        b->insertInt(status, isc_spb_options, flags);
    }));
    ReadOutput(onLine);
}

void TService::Restore(const std::string& backupFile, const std::string& database, const TRestoreOptions& options,
                       const TLineHandler& onLine)
{
    int flags = isc_spb_res_create;
    if (options.Replace) flags |= isc_spb_res_replace;
    if (options.DeactivateIndexes) flags |= isc_spb_res_deactivate_idx;
    Start(Block(IXpbBuilder::SPB_START, [&](ThrowStatusWrapper* status, IXpbBuilder* b) {
        b->insertTag(status, isc_action_svc_restore);
        b->insertString(status, isc_spb_bkp_file, EncodeCp932(backupFile).c_str());
        b->insertString(status, isc_spb_dbname, EncodeCp932(database).c_str());
        b->insertInt(status, isc_spb_res_buffers, options.PageBuffers);
        b->insertInt(status, isc_spb_res_page_size, options.PageSize);
        b->insertTag(status, isc_spb_verbose);
        b->insertInt(status, isc_spb_options, flags);
    }));
    ReadOutput(onLine);
}

std::vector<std::string> TService::AttachedDatabases()
{
    const unsigned char items[] = {isc_info_svc_svr_db_info};
    std::vector<unsigned char> buffer(kServiceBufferSize);
    Guarded([&](ThrowStatusWrapper* status) {
        raw_->query(status, 0, nullptr, sizeof items, items, static_cast<unsigned>(buffer.size()), buffer.data());
    });
    std::vector<std::string> databases;
    const unsigned char* p = buffer.data();
    const unsigned char* const end = buffer.data() + buffer.size();
    if (p >= end || *p++ != isc_info_svc_svr_db_info)
        return databases;
    while (p < end && *p != isc_info_flag_end && *p != isc_info_end) {
        const unsigned char item = *p++;
        if (item == isc_spb_num_att || item == isc_spb_num_db) {
            p += 4;
        } else if (item == isc_spb_dbname) {
            const unsigned length = ReadLength(p);
            databases.push_back(DecodeCp932(std::string(reinterpret_cast<const char*>(p), length)));
            p += length;
        } else {
            break;
        }
    }
    return databases;
}

// ---------------------------------------------------------------------------------------------
// Named parameters

std::string TranslateNamedParams(std::string_view sql, std::vector<std::string>& names)
{
    names.clear();
    std::string out;
    out.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {  // literal or quoted identifier: copied as is
            const std::size_t end = sql.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? sql.size() : end + 1;
            out.append(sql.substr(i, stop - i));
            i = stop;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            const std::size_t stop = end == std::string_view::npos ? sql.size() : end;
            out.append(sql.substr(i, stop - i));
            i = stop;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            const std::size_t stop = end == std::string_view::npos ? sql.size() : end + 2;
            out.append(sql.substr(i, stop - i));
            i = stop;
        } else if (c == ':' && i + 1 < sql.size() && IsNameChar(sql[i + 1])) {
            std::size_t end = i + 1;
            while (end < sql.size() && IsNameChar(sql[end]))
                ++end;
            names.push_back(ToUpper(sql.substr(i + 1, end - i - 1)));
            out += '?';
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Statement

struct TStatement::TParam {
    enum class TKind { Null, String, Int, Money, Date } Kind = TKind::Null;
    std::string Bytes;
    std::int64_t Value = 0;
};

struct TStatement::TColumn {
    std::string Name;
    unsigned Type = 0;
    int Scale = 0;
    unsigned Length = 0;
    unsigned Charset = 0;
    unsigned Offset = 0;
    unsigned NullOffset = 0;
};

TStatement::TStatement(TTransaction& transaction) : transaction_(&transaction) {}

TStatement::~TStatement()
{
    try {
        Release();
    } catch (...) {
    }
}

void TStatement::Release()
{
    Close();
    if (outputMeta_) {
        outputMeta_->release();
        outputMeta_ = nullptr;
    }
    if (raw_) {
        try {
            Guarded([&](ThrowStatusWrapper* status) { raw_->free(status); });
        } catch (...) {
            raw_->release();
        }
        raw_ = nullptr;
    }
    columns_.clear();
    params_.clear();
    paramNames_.clear();
}

void TStatement::Prepare(std::string_view sql, bool paramCheck)
{
    Release();
    const std::string text = EncodeCp932(paramCheck ? TranslateNamedParams(sql, paramNames_) : std::string(sql));
    raw_ = Guarded([&](ThrowStatusWrapper* status) {
        return transaction_->Attachment().Raw()->prepare(status, transaction_->Raw(), 0, text.c_str(), kDialect,
                                                         IStatement::PREPARE_PREFETCH_METADATA);
    });
    const unsigned inputs = Guarded([&](ThrowStatusWrapper* status) {
        IMessageMetadata* input = raw_->getInputMetadata(status);
        const unsigned count = input->getCount(status);
        input->release();
        return count;
    });
    if (inputs != paramNames_.size())
        throw TFbError(0, 0, Format("parameter markers (%d) and named parameters (%d) differ", inputs, paramNames_.size()));
    for (std::size_t i = 0; i < paramNames_.size(); ++i)
        params_.push_back(std::make_shared<TParam>());
    // A name used twice shares one value.
    for (std::size_t i = 0; i < paramNames_.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (paramNames_[j] == paramNames_[i]) {
                params_[i] = params_[j];
                break;
            }
    DescribeOutput();
}

void TStatement::DescribeOutput()
{
    Guarded([&](ThrowStatusWrapper* status) {
        outputMeta_ = raw_->getOutputMetadata(status);
        const unsigned count = outputMeta_->getCount(status);
        columns_.clear();
        for (unsigned i = 0; i < count; ++i) {
            TColumn column;
            const char* alias = outputMeta_->getAlias(status, i);
            column.Name = ToUpper(DecodeCp932(alias ? alias : outputMeta_->getField(status, i)));
            column.Type = outputMeta_->getType(status, i) & ~1u;
            column.Scale = outputMeta_->getScale(status, i);
            column.Length = outputMeta_->getLength(status, i);
            column.Charset = outputMeta_->getCharSet(status, i);
            column.Offset = outputMeta_->getOffset(status, i);
            column.NullOffset = outputMeta_->getNullOffset(status, i);
            columns_.push_back(column);
        }
        row_.assign(outputMeta_->getMessageLength(status), 0);
    });
}

std::vector<std::size_t> TStatement::PositionsOf(std::string_view name) const
{
    const std::string upper = ToUpper(name);
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < paramNames_.size(); ++i)
        if (paramNames_[i] == upper)
            positions.push_back(i);
    if (positions.empty())
        throw TFbError(0, 0, "unknown parameter :" + upper);
    return positions;
}

TStatement& TStatement::SetString(std::string_view name, std::string_view utf8)
{
    TParam& param = *params_[PositionsOf(name).front()];
    param.Kind = TParam::TKind::String;
    param.Bytes = EncodeCp932(utf8);
    return *this;
}

TStatement& TStatement::SetInt(std::string_view name, std::int64_t value)
{
    TParam& param = *params_[PositionsOf(name).front()];
    param.Kind = TParam::TKind::Int;
    param.Value = value;
    return *this;
}

TStatement& TStatement::SetMoney(std::string_view name, TMoney value)
{
    TParam& param = *params_[PositionsOf(name).front()];
    param.Kind = TParam::TKind::Money;
    param.Value = value.Raw();
    return *this;
}

TStatement& TStatement::SetDate(std::string_view name, TDate value)
{
    TParam& param = *params_[PositionsOf(name).front()];
    param.Kind = TParam::TKind::Date;
    param.Value = value.Serial();
    return *this;
}

TStatement& TStatement::SetNull(std::string_view name)
{
    TParam& param = *params_[PositionsOf(name).front()];
    param = TParam{};
    return *this;
}

void TStatement::ClearParams()
{
    for (auto& param : params_)
        *param = TParam{};
}

// Describes every parameter with the type of the value we hold, so the server converts it to the
// column's type (and reports truncation instead of us cutting anything).
void TStatement::BuildInputMessage(std::vector<unsigned char>& buffer, IMessageMetadata*& metadata) const
{
    metadata = nullptr;
    if (params_.empty())
        return;
    Guarded([&](ThrowStatusWrapper* status) {
        IMetadataBuilder* builder = Master()->getMetadataBuilder(status, static_cast<unsigned>(params_.size()));
        for (unsigned i = 0; i < params_.size(); ++i) {
            const TParam& param = *params_[i];
            switch (param.Kind) {
            case TParam::TKind::Null:
            case TParam::TKind::String:
                builder->setType(status, i, SQL_VARYING + 1);
                builder->setLength(status, i, static_cast<unsigned>(std::max<std::size_t>(param.Bytes.size(), 1)));
                builder->setCharSet(status, i, kCharsetSjis0208);
                break;
            case TParam::TKind::Int:
            case TParam::TKind::Money:
                builder->setType(status, i, SQL_INT64 + 1);
                builder->setScale(status, i, param.Kind == TParam::TKind::Money ? -4 : 0);
                break;
            case TParam::TKind::Date:
                builder->setType(status, i, SQL_TYPE_DATE + 1);
                break;
            }
        }
        metadata = builder->getMetadata(status);
        builder->release();
        buffer.assign(metadata->getMessageLength(status), 0);
        for (unsigned i = 0; i < params_.size(); ++i) {
            const TParam& param = *params_[i];
            unsigned char* data = buffer.data() + metadata->getOffset(status, i);
            auto* nullFlag = reinterpret_cast<short*>(buffer.data() + metadata->getNullOffset(status, i));
            *nullFlag = param.Kind == TParam::TKind::Null ? -1 : 0;
            switch (param.Kind) {
            case TParam::TKind::Null: break;
            case TParam::TKind::String: {
                const auto length = static_cast<unsigned short>(param.Bytes.size());
                std::memcpy(data, &length, sizeof length);
                std::memcpy(data + sizeof length, param.Bytes.data(), param.Bytes.size());
                break;
            }
            case TParam::TKind::Int:
            case TParam::TKind::Money: std::memcpy(data, &param.Value, sizeof param.Value); break;
            case TParam::TKind::Date: {
                const ISC_DATE date = static_cast<ISC_DATE>(param.Value + kIscDateOffset);
                std::memcpy(data, &date, sizeof date);
                break;
            }
            }
        }
    });
}

namespace {

// The input message of one execution; releases its metadata whatever happens.
struct TInputMessage {
    std::vector<unsigned char> Buffer;
    IMessageMetadata* Metadata = nullptr;
    TInputMessage() = default;
    TInputMessage(const TInputMessage&) = delete;
    TInputMessage& operator=(const TInputMessage&) = delete;
    ~TInputMessage()
    {
        if (Metadata)
            Metadata->release();
    }
    void* Data() { return Metadata ? Buffer.data() : nullptr; }
};

}  // namespace

void TStatement::Execute()
{
    Close();
    TInputMessage input;
    BuildInputMessage(input.Buffer, input.Metadata);
    Guarded([&](ThrowStatusWrapper* status) {
        const bool singleton = !columns_.empty();
        raw_->execute(status, transaction_->Raw(), input.Metadata, input.Data(), singleton ? outputMeta_ : nullptr,
                      singleton ? row_.data() : nullptr);
        hasRow_ = singleton;
    });
}

void TStatement::Open()
{
    Close();
    TInputMessage input;
    BuildInputMessage(input.Buffer, input.Metadata);
    cursor_ = Guarded([&](ThrowStatusWrapper* status) {
        return raw_->openCursor(status, transaction_->Raw(), input.Metadata, input.Data(), outputMeta_, 0);
    });
}

bool TStatement::Fetch()
{
    if (!cursor_)
        return false;
    hasRow_ = Guarded([&](ThrowStatusWrapper* status) { return cursor_->fetchNext(status, row_.data()) == IStatus::RESULT_OK; });
    return hasRow_;
}

void TStatement::Close()
{
    hasRow_ = false;
    if (!cursor_)
        return;
    try {
        Guarded([&](ThrowStatusWrapper* status) { cursor_->close(status); });
    } catch (...) {
        cursor_->release();
    }
    cursor_ = nullptr;
}

int TStatement::ColumnCount() const
{
    return static_cast<int>(columns_.size());
}

std::string TStatement::ColumnName(int index) const
{
    return Column(index).Name;
}

bool TStatement::HasColumn(std::string_view name) const
{
    const std::string upper = ToUpper(name);
    for (const TColumn& column : columns_)
        if (column.Name == upper)
            return true;
    return false;
}

int TStatement::ColumnIndex(std::string_view name) const
{
    const std::string upper = ToUpper(name);
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].Name == upper)
            return static_cast<int>(i);
    throw TFbError(0, 0, "unknown column " + upper);
}

const TStatement::TColumn& TStatement::Column(int index) const
{
    if (index < 0 || index >= static_cast<int>(columns_.size()))
        throw TFbError(0, 0, Format("column index %d out of range", index));
    if (!hasRow_)
        throw TFbError(0, 0, "no current row");
    return columns_[static_cast<std::size_t>(index)];
}

bool TStatement::IsNull(int index) const
{
    const TColumn& column = Column(index);
    short flag;
    std::memcpy(&flag, row_.data() + column.NullOffset, sizeof flag);
    return flag != 0;
}

namespace {

std::int64_t Pow10(int n)
{
    std::int64_t value = 1;
    while (n-- > 0)
        value *= 10;
    return value;
}

}  // namespace

// The column as a scaled integer (value, scale); texts and floats are converted.
std::int64_t TStatement::AsInt(int index) const
{
    // Whole-number columns are read as they are, so no value is scaled out of range on the way.
    const TColumn& column = Column(index);
    if (column.Scale == 0 && !IsNull(index)) {
        const unsigned char* data = row_.data() + column.Offset;
        switch (column.Type) {
        case SQL_SHORT: { std::int16_t v; std::memcpy(&v, data, sizeof v); return v; }
        case SQL_LONG: { std::int32_t v; std::memcpy(&v, data, sizeof v); return v; }
        case SQL_INT64: { std::int64_t v; std::memcpy(&v, data, sizeof v); return v; }
        default: break;
        }
    }
    return AsMoney(index).RoundedYen();
}

TMoney TStatement::AsMoney(int index) const
{
    const TColumn& column = Column(index);
    if (IsNull(index))
        return TMoney();
    const unsigned char* data = row_.data() + column.Offset;
    std::int64_t raw = 0;
    switch (column.Type) {
    case SQL_SHORT: { std::int16_t v; std::memcpy(&v, data, sizeof v); raw = v; break; }
    case SQL_LONG: { std::int32_t v; std::memcpy(&v, data, sizeof v); raw = v; break; }
    case SQL_INT64: { std::int64_t v; std::memcpy(&v, data, sizeof v); raw = v; break; }
    case SQL_FLOAT: { float v; std::memcpy(&v, data, sizeof v); return TMoney::FromRaw(std::llround(v * TMoney::kScale)); }
    case SQL_DOUBLE: { double v; std::memcpy(&v, data, sizeof v); return TMoney::FromRaw(std::llround(v * TMoney::kScale)); }
    case SQL_BOOLEAN: return TMoney::FromYen(*data ? 1 : 0);
    case SQL_TEXT:
    case SQL_VARYING: {
        const auto parsed = TMoney::Parse(AsString(index));
        if (!parsed)
            throw TFbError(0, 0, "not a number: " + AsString(index));
        return *parsed;
    }
    default: throw TFbError(0, 0, "column " + column.Name + " is not numeric");
    }
    // Bring the column's scale to four decimals; finer scales are rounded half away from zero.
    const int scale = column.Scale;
    if (scale <= -4) {
        const std::int64_t divisor = Pow10(-scale - 4);
        const std::int64_t quotient = raw / divisor, rest = raw % divisor;
        return TMoney::FromRaw(quotient + (2 * std::abs(rest) >= divisor ? (raw < 0 ? -1 : 1) : 0));
    }
    const std::int64_t factor = Pow10(scale + 4);
    if (raw > INT64_MAX / factor || raw < INT64_MIN / factor)
        throw TFbError(0, 0, "column " + column.Name + " is too large for an amount");
    return TMoney::FromRaw(raw * factor);
}

TDate TStatement::AsDate(int index) const
{
    const TColumn& column = Column(index);
    if (IsNull(index))
        return TDate();
    const unsigned char* data = row_.data() + column.Offset;
    ISC_DATE date = 0;
    if (column.Type == SQL_TYPE_DATE || column.Type == SQL_TIMESTAMP)
        std::memcpy(&date, data, sizeof date);
    else if (column.Type == SQL_TEXT || column.Type == SQL_VARYING)
        return TDate::Parse(AsString(index)).value_or(TDate());
    else
        throw TFbError(0, 0, "column " + column.Name + " is not a date");
    return TDate(static_cast<std::int32_t>(date - kIscDateOffset));
}

std::string TStatement::AsString(int index) const
{
    const TColumn& column = Column(index);
    if (IsNull(index))
        return {};
    const unsigned char* data = row_.data() + column.Offset;
    std::string bytes;
    switch (column.Type) {
    case SQL_TEXT: bytes.assign(reinterpret_cast<const char*>(data), column.Length); break;
    case SQL_VARYING: {
        unsigned short length;
        std::memcpy(&length, data, sizeof length);
        bytes.assign(reinterpret_cast<const char*>(data + sizeof length), length);
        break;
    }
    case SQL_TYPE_DATE: return AsDate(index).ToText();
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_BOOLEAN: return AsMoney(index).ToText();
    default: throw TFbError(0, 0, "column " + column.Name + " cannot be read as text");
    }
    return column.Charset == kCharsetOctets ? bytes : DecodeCp932(bytes);
}

bool TStatement::IsNull(std::string_view column) const { return IsNull(ColumnIndex(column)); }
std::string TStatement::AsString(std::string_view column) const { return AsString(ColumnIndex(column)); }
std::int64_t TStatement::AsInt(std::string_view column) const { return AsInt(ColumnIndex(column)); }
TMoney TStatement::AsMoney(std::string_view column) const { return AsMoney(ColumnIndex(column)); }
TDate TStatement::AsDate(std::string_view column) const { return AsDate(ColumnIndex(column)); }

}  // namespace qz::fb
