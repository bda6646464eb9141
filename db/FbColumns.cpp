// Reading the columns of the current row as the program's value types.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "db/FbApi.h"

#include <cmath>
#include <cstring>

using namespace Firebird;

namespace qz::fb {

using namespace detail;

namespace {

std::int64_t Pow10(int n)
{
    std::int64_t value = 1;
    while (n-- > 0)
        value *= 10;
    return value;
}

template <typename T>
T Read(const unsigned char* data)
{
    T value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

// A whole-number column as it is stored (scale not applied); nothing for any other type.
std::optional<std::int64_t> StoredInteger(unsigned type, const unsigned char* data)
{
    switch (type) {
    case SQL_SHORT: return Read<std::int16_t>(data);
    case SQL_LONG: return Read<std::int32_t>(data);
    case SQL_INT64: return Read<std::int64_t>(data);
    default: return std::nullopt;
    }
}

// A stored integer of the given scale as ten-thousandths; finer scales are rounded half away from zero.
TMoney ScaledToMoney(std::int64_t raw, int scale, const std::string& column)
{
    if (scale <= -4) {
        const std::int64_t divisor = Pow10(-scale - 4);
        const std::int64_t quotient = raw / divisor, rest = raw % divisor;
        return TMoney::FromRaw(quotient + (2 * std::abs(rest) >= divisor ? (raw < 0 ? -1 : 1) : 0));
    }
    const std::int64_t factor = Pow10(scale + 4);
    if (raw > INT64_MAX / factor || raw < INT64_MIN / factor)
        throw std::overflow_error("column " + column + " holds a value too large for an amount");
    return TMoney::FromRaw(raw * factor);
}

}  // namespace

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
    const std::string upper = UpperAscii(name);
    for (const TColumn& column : columns_)
        if (column.Name == upper)
            return true;
    return false;
}

int TStatement::ColumnIndex(std::string_view name) const
{
    const std::string upper = UpperAscii(name);
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].Name == upper)
            return static_cast<int>(i);
    throw std::logic_error("unknown column " + upper);
}

const TStatement::TColumn& TStatement::Column(int index) const
{
    if (index < 0 || index >= static_cast<int>(columns_.size()))
        throw std::logic_error(Format("column index %d out of range", index));
    if (!hasRow_)
        throw std::logic_error("a column was read without a current row");
    return columns_[static_cast<std::size_t>(index)];
}

bool TStatement::IsNull(int index) const
{
    const TColumn& column = Column(index);
    return Read<short>(row_.data() + column.NullOffset) != 0;
}

std::int64_t TStatement::AsInt(int index) const
{
    // Whole-number columns are read as they are, so no value is scaled out of range on the way.
    const TColumn& column = Column(index);
    if (column.Scale == 0 && !IsNull(index))
        if (const auto value = StoredInteger(column.Type, row_.data() + column.Offset))
            return *value;
    return AsMoney(index).RoundedYen();
}

TMoney TStatement::AsMoney(int index) const
{
    const TColumn& column = Column(index);
    if (IsNull(index))
        return TMoney();
    const unsigned char* data = row_.data() + column.Offset;
    if (const auto stored = StoredInteger(column.Type, data))
        return ScaledToMoney(*stored, column.Scale, column.Name);
    switch (column.Type) {
    case SQL_FLOAT: return TMoney::FromRaw(std::llround(Read<float>(data) * TMoney::kScale));
    case SQL_DOUBLE: return TMoney::FromRaw(std::llround(Read<double>(data) * TMoney::kScale));
    case SQL_BOOLEAN: return TMoney::FromYen(*data ? 1 : 0);
    case SQL_TEXT:
    case SQL_VARYING:
        if (const auto parsed = TMoney::Parse(AsString(index)))
            return *parsed;
        throw std::logic_error("column " + column.Name + " holds no number: " + AsString(index));
    default: throw std::logic_error("column " + column.Name + " is not numeric");
    }
}

TDate TStatement::AsDate(int index) const
{
    const TColumn& column = Column(index);
    if (IsNull(index))
        return TDate();
    const unsigned char* data = row_.data() + column.Offset;
    if (column.Type == SQL_TYPE_DATE || column.Type == SQL_TIMESTAMP)
        return TDate(static_cast<std::int32_t>(Read<ISC_DATE>(data) - kIscDateOffset));
    if (column.Type == SQL_TEXT || column.Type == SQL_VARYING)
        return TDate::Parse(AsString(index)).value_or(TDate());
    throw std::logic_error("column " + column.Name + " is not a date");
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
    case SQL_VARYING:
        bytes.assign(reinterpret_cast<const char*>(data + sizeof(unsigned short)), Read<unsigned short>(data));
        break;
    case SQL_TYPE_DATE: return AsDate(index).ToText();
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_BOOLEAN: return AsMoney(index).ToText();
    default: throw std::logic_error("column " + column.Name + " cannot be read as text");
    }
    return column.Charset == kCharsetOctets ? bytes : DecodeCp932(bytes);
}

bool TStatement::IsNull(std::string_view column) const { return IsNull(ColumnIndex(column)); }
std::string TStatement::AsString(std::string_view column) const { return AsString(ColumnIndex(column)); }
std::int64_t TStatement::AsInt(std::string_view column) const { return AsInt(ColumnIndex(column)); }
TMoney TStatement::AsMoney(std::string_view column) const { return AsMoney(ColumnIndex(column)); }
TDate TStatement::AsDate(std::string_view column) const { return AsDate(ColumnIndex(column)); }

}  // namespace qz::fb
