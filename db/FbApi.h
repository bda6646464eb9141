#pragma once
// Plumbing shared by the files of the Firebird layer (not for use outside db/Fb*.cpp): the master
// interface, the status object, the call guard that turns Firebird failures into TFbError, and owners
// for the interfaces the layer borrows for one call.

#include "db/Firebird.h"

#include <firebird/Interface.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace qz::fb::detail {

// ISC_DATE counts days from 1858-11-17; our dates count from 1899-12-30.
constexpr std::int32_t kIscDateOffset = 15018;
constexpr unsigned kCharsetOctets = 1;
constexpr unsigned kCharsetSjis0208 = 5;
constexpr unsigned kDialect = 3;

Firebird::IMaster* Master();

// A status object that is disposed with the wrapper.
class TStatus {
public:
    TStatus();
    ~TStatus();
    TStatus(const TStatus&) = delete;
    TStatus& operator=(const TStatus&) = delete;
    Firebird::ThrowStatusWrapper* operator&() { return &wrapper_; }

private:
    Firebird::IStatus* raw_;
    Firebird::ThrowStatusWrapper wrapper_;
};

TFbError ErrorFrom(Firebird::IStatus* status);

// Text the server writes itself (messages, file names): file names come as UTF-8 (the file-name flag is
// set), the texts of the database's own exceptions as CP932. Valid UTF-8 is taken as it is, anything else
// is read as CP932.
std::string TextFromServer(std::string bytes);

// Runs one API call and turns a Firebird failure into TFbError.
template <typename Call>
auto Guarded(Call call)
{
    TStatus status;
    try {
        return call(&status);
    } catch (const Firebird::FbException& error) {
        throw ErrorFrom(error.getStatus());
    }
}

// Owners of interfaces that end with release() (reference-counted ones and plugins) or dispose().
struct TReleaser {
    template <typename T>
    void operator()(T* raw) const noexcept { raw->release(); }
};
struct TDisposer {
    template <typename T>
    void operator()(T* raw) const noexcept { raw->dispose(); }
};
template <typename T>
using TReleased = std::unique_ptr<T, TReleaser>;
template <typename T>
using TDisposed = std::unique_ptr<T, TDisposer>;

// A parameter block (DPB, SPB) of the given kind filled by fill(status, builder), as bytes.
template <typename Fill>
std::vector<unsigned char> ParameterBlock(unsigned kind, Fill fill)
{
    return Guarded([&](Firebird::ThrowStatusWrapper* status) {
        const TDisposed<Firebird::IXpbBuilder> builder(Master()->getUtilInterface()->getXpbBuilder(status, kind, nullptr, 0));
        fill(status, builder.get());
        const unsigned char* bytes = builder->getBuffer(status);
        return std::vector<unsigned char>(bytes, bytes + builder->getBufferLength(status));
    });
}

// The provider of the client library (embedded engine or remote), released after the call.
TReleased<Firebird::IProvider> Dispatcher();

}  // namespace qz::fb::detail

namespace qz::fb {

struct TStatement::TParam {
    enum class TKind { Null, String, Bytes, Int, Money, Date } Kind = TKind::Null;
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

}  // namespace qz::fb
