// Attachments, transactions and statements without parameters.

#include "common/Cp932.h"
#include "db/FbApi.h"

#include <ibase.h>

using namespace Firebird;

namespace qz::fb {

using namespace detail;

namespace {

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
    throw std::logic_error("unknown transaction kind");
}

IAttachment* Connect(const TConnectParams& params, bool create, int pageSize)
{
    const std::vector<unsigned char> dpb = ParameterBlock(IXpbBuilder::DPB, [&](ThrowStatusWrapper* status, IXpbBuilder* b) {
        b->insertString(status, isc_dpb_user_name, params.User.c_str());
        b->insertString(status, isc_dpb_password, params.Password.c_str());
        b->insertString(status, isc_dpb_lc_ctype, params.Charset.c_str());
        b->insertInt(status, isc_dpb_sql_dialect, kDialect);
        // File names are not texts: they travel as UTF-8, so folders with Japanese names work.
        b->insertTag(status, isc_dpb_utf8_filename);
        if (create) {
            b->insertInt(status, isc_dpb_page_size, pageSize);
            b->insertString(status, isc_dpb_set_db_charset, params.Charset.c_str());
        }
    });
    const std::string& path = params.Database;
    const auto provider = Dispatcher();
    return Guarded([&](ThrowStatusWrapper* status) {
        const auto length = static_cast<unsigned>(dpb.size());
        return create ? provider->createDatabase(status, path.c_str(), length, dpb.data())
                      : provider->attachDatabase(status, path.c_str(), length, dpb.data());
    });
}

}  // namespace

// A detach fails only when the connection is already gone; the server has then dropped the attachment
// itself, so releasing our handle is all that is left to do and nothing is lost.
template <typename TInterface>
void TDetachable<TInterface>::DetachOrRelease() noexcept
{
    if (!raw_)
        return;
    try {
        Detach();
    } catch (...) {
        raw_->release();
        raw_ = nullptr;
    }
}

template <typename TInterface>
TDetachable<TInterface>::~TDetachable()
{
    DetachOrRelease();
}

template <typename TInterface>
TDetachable<TInterface>& TDetachable<TInterface>::operator=(TDetachable&& other) noexcept
{
    if (this != &other) {
        DetachOrRelease();
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

TTransaction::TTransaction(TAttachment& attachment, TTransactionKind kind) : attachment_(&attachment), kind_(kind) {}

// Rolling back fails only on a lost connection, where the server rolls the transaction back itself.
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
    if (!attachment_->Connected())
        throw std::logic_error("a transaction was started on a detached database");
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

// A scope left without Commit is unwinding from an error that its caller reports; a rollback that fails
// as well can only mean a lost connection, on which the server rolls back by itself.
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

}  // namespace qz::fb
