// Statements: named parameters, preparing, executing and fetching. Reading column values is in
// FbColumns.cpp.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "db/FbApi.h"

#include <cctype>
#include <cstring>

using namespace Firebird;

namespace qz::fb {

using namespace detail;

namespace {

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

// Where a piece of text that is copied unchanged ends: a literal or quoted identifier, a line comment or a
// block comment starting at i; npos when none starts there.
std::size_t EndOfVerbatim(std::string_view sql, std::size_t i)
{
    const auto endAfter = [&](std::size_t found, std::size_t length) {
        return found == std::string_view::npos ? sql.size() : found + length;
    };
    const char c = sql[i];
    const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
    if (c == '\'' || c == '"')
        return endAfter(sql.find(c, i + 1), 1);
    if (c == '-' && next == '-')
        return endAfter(sql.find('\n', i), 0);
    if (c == '/' && next == '*')
        return endAfter(sql.find("*/", i + 2), 2);
    return std::string_view::npos;
}

}  // namespace

std::string TranslateNamedParams(std::string_view sql, std::vector<std::string>& names)
{
    names.clear();
    std::string out;
    out.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size();) {
        if (const std::size_t end = EndOfVerbatim(sql, i); end != std::string_view::npos) {
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (sql[i] == ':' && i + 1 < sql.size() && IsNameChar(sql[i + 1])) {
            std::size_t nameEnd = i + 1;
            while (nameEnd < sql.size() && IsNameChar(sql[nameEnd]))
                ++nameEnd;
            names.push_back(UpperAscii(sql.substr(i + 1, nameEnd - i - 1)));
            out += '?';
            i = nameEnd;
        } else {
            out += sql[i++];
        }
    }
    return out;
}

// The input message of one execution: the buffer and the metadata that describes it.
struct TStatement::TInputMessage {
    std::vector<unsigned char> Buffer;
    TReleased<IMessageMetadata> Metadata;
    void* Data() { return Metadata ? Buffer.data() : nullptr; }
};

TStatement::TStatement(TTransaction& transaction) : transaction_(&transaction) {}

TStatement::~TStatement()
{
    Release();
}

// Freeing a statement fails only on a lost connection, where the server has freed it already.
void TStatement::Release() noexcept
{
    CloseNoThrow();
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
        const TReleased<IMessageMetadata> input(raw_->getInputMetadata(status));
        return input->getCount(status);
    });
    if (inputs != paramNames_.size())
        throw std::logic_error(
            Format("parameter markers (%d) and named parameters (%d) differ in: %s", inputs, paramNames_.size(), sql));
    // A name used twice shares one value.
    for (std::size_t i = 0; i < paramNames_.size(); ++i) {
        std::shared_ptr<TParam> shared;
        for (std::size_t j = 0; j < i && !shared; ++j)
            if (paramNames_[j] == paramNames_[i])
                shared = params_[j];
        params_.push_back(shared ? shared : std::make_shared<TParam>());
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
            column.Name = UpperAscii(DecodeCp932(alias ? alias : outputMeta_->getField(status, i)));
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

TStatement::TParam& TStatement::Param(std::string_view name)
{
    const std::string upper = UpperAscii(name);
    for (std::size_t i = 0; i < paramNames_.size(); ++i)
        if (paramNames_[i] == upper)
            return *params_[i];
    throw std::logic_error("unknown parameter :" + upper);
}

TStatement& TStatement::SetString(std::string_view name, std::string_view utf8)
{
    TParam& param = Param(name);
    param.Bytes = EncodeCp932(utf8);
    param.Kind = TParam::TKind::String;
    return *this;
}

TStatement& TStatement::SetBytes(std::string_view name, std::string_view bytes)
{
    Param(name) = {TParam::TKind::Bytes, std::string(bytes), 0};
    return *this;
}

TStatement& TStatement::SetInt(std::string_view name, std::int64_t value)
{
    Param(name) = {TParam::TKind::Int, {}, value};
    return *this;
}

TStatement& TStatement::SetMoney(std::string_view name, TMoney value)
{
    Param(name) = {TParam::TKind::Money, {}, value.Raw()};
    return *this;
}

TStatement& TStatement::SetDate(std::string_view name, TDate value)
{
    Param(name) = {TParam::TKind::Date, {}, value.Serial()};
    return *this;
}

TStatement& TStatement::SetNull(std::string_view name)
{
    Param(name) = TParam{};
    return *this;
}

void TStatement::ClearParams()
{
    for (auto& param : params_)
        *param = TParam{};
}

// Describes every parameter with the type of the value we hold, so the server converts it to the
// column's type (and reports truncation instead of us cutting anything).
TStatement::TInputMessage TStatement::InputMessage() const
{
    TInputMessage message;
    if (params_.empty())
        return message;
    Guarded([&](ThrowStatusWrapper* status) {
        const TReleased<IMetadataBuilder> builder(Master()->getMetadataBuilder(status, static_cast<unsigned>(params_.size())));
        for (unsigned i = 0; i < params_.size(); ++i) {
            const TParam& param = *params_[i];
            switch (param.Kind) {
            case TParam::TKind::Null:
            case TParam::TKind::String:
            case TParam::TKind::Bytes:
                builder->setType(status, i, SQL_VARYING + 1);
                builder->setLength(status, i, static_cast<unsigned>(std::max<std::size_t>(param.Bytes.size(), 1)));
                builder->setCharSet(status, i, param.Kind == TParam::TKind::Bytes ? kCharsetOctets : kCharsetSjis0208);
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
        message.Metadata.reset(builder->getMetadata(status));
        message.Buffer.assign(message.Metadata->getMessageLength(status), 0);
        for (unsigned i = 0; i < params_.size(); ++i) {
            const TParam& param = *params_[i];
            unsigned char* data = message.Buffer.data() + message.Metadata->getOffset(status, i);
            const short nullFlag = param.Kind == TParam::TKind::Null ? -1 : 0;
            std::memcpy(message.Buffer.data() + message.Metadata->getNullOffset(status, i), &nullFlag, sizeof nullFlag);
            switch (param.Kind) {
            case TParam::TKind::Null: break;
            case TParam::TKind::String:
            case TParam::TKind::Bytes: {
                if (param.Bytes.size() > 0xFFFF)
                    throw std::length_error("a text parameter is longer than Firebird can take");
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
    return message;
}

void TStatement::RequirePrepared() const
{
    if (!raw_)
        throw std::logic_error("a statement was run before it was prepared");
}

void TStatement::Execute()
{
    RequirePrepared();
    Close();
    TInputMessage input = InputMessage();
    Guarded([&](ThrowStatusWrapper* status) {
        const bool singleton = !columns_.empty();
        raw_->execute(status, transaction_->Raw(), input.Metadata.get(), input.Data(), singleton ? outputMeta_ : nullptr,
                      singleton ? row_.data() : nullptr);
        hasRow_ = singleton;
    });
}

std::uint64_t TStatement::AffectedRows() const
{
    RequirePrepared();
    return Guarded([&](ThrowStatusWrapper* status) { return raw_->getAffectedRecords(status); });
}

void TStatement::Open()
{
    RequirePrepared();
    Close();
    TInputMessage input = InputMessage();
    cursor_ = Guarded([&](ThrowStatusWrapper* status) {
        return raw_->openCursor(status, transaction_->Raw(), input.Metadata.get(), input.Data(), outputMeta_, 0);
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
    IResultSet* cursor = std::exchange(cursor_, nullptr);
    try {
        Guarded([&](ThrowStatusWrapper* status) { cursor->close(status); });
    } catch (...) {
        cursor->release();
        throw;
    }
}

// Closing a cursor fails only on a lost connection, where the server has closed it already.
void TStatement::CloseNoThrow() noexcept
{
    try {
        Close();
    } catch (...) {
    }
}

}  // namespace qz::fb
