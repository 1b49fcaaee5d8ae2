#include "platform/data/ValueConversion.h"

#include "platform/base/RuntimeError.h"

#include <cmath>
#include <limits>

namespace platform::sqlite {

namespace {

[[noreturn]] void typeMismatch()
{
    throw RuntimeError(err::TypeMismatch);
}

// A number typed as text: in the user's locale ("12,5"), else in the
// C locale ("12.5"); nullopt for a blank text.
std::optional<double> numberFromText(const QString &text)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    if (auto d = parseLocaleNumber(text, QLocale()))
        return d;
    if (auto d = parseLocaleNumber(text, QLocale::c()))
        return d;
    typeMismatch();
}

bool isBlankText(const Variant &v)
{
    const QString *s = v.get<QString>();
    return s && s->trimmed().isEmpty();
}

std::int64_t roundToInt64(double d)
{
    if (!std::isfinite(d) || std::fabs(d) >= 9.2e18)
        throw RuntimeError(err::Overflow);
    return static_cast<std::int64_t>(std::nearbyint(d)); // halves to even
}

double toNumber(const Variant &v)
{
    if (const QString *s = v.get<QString>()) {
        if (auto d = numberFromText(*s))
            return *d;
        typeMismatch();
    }
    if (v.isByteArray())
        typeMismatch();
    return v.toDouble();
}

SqlValue storedCurrency(const Variant &v)
{
    Currency c;
    if (const Currency *cur = v.get<Currency>()) {
        c = *cur;
    } else if (const QString *s = v.get<QString>()) {
        const QString t = s->trimmed();
        if (auto parsed = Currency::fromString(t, QLocale().decimalPoint().at(0)))
            c = *parsed;
        else if (auto plain = Currency::fromString(t, u'.'))
            c = *plain;
        else
            c = Currency::fromDouble(toNumber(v));
    } else {
        c = Currency::fromDouble(toNumber(v));
    }
    return SqlValue::real(c.toDouble());
}

QString plainNumber(double d)
{
    return QString::number(d, 'g', 15);
}

} // namespace

SqlValue ValueConversion::toStored(const Variant &value, ColumnType target)
{
    if (value.isEmpty() || value.isNull())
        return SqlValue();
    switch (target.type()) {
    case DataType::adCurrency:
        if (isBlankText(value))
            return SqlValue();
        return storedCurrency(value);
    case DataType::adDouble:
    case DataType::adSingle:
        if (isBlankText(value))
            return SqlValue();
        if (value.isDate())
            typeMismatch();
        return SqlValue::real(toNumber(value));
    case DataType::adSmallInt:
    case DataType::adInteger:
    case DataType::adBigInt: {
        if (isBlankText(value))
            return SqlValue();
        if (value.isDate())
            typeMismatch();
        if (const auto *l = value.get<std::int32_t>())
            return SqlValue::integer(*l);
        if (const auto *i = value.get<std::int16_t>())
            return SqlValue::integer(*i);
        if (const auto *c = value.get<Currency>())
            return SqlValue::integer(c->rounded(0).raw() / Currency::Scale);
        const std::int64_t n = roundToInt64(toNumber(value));
        if (target.type() == DataType::adSmallInt
            && (n < std::numeric_limits<std::int16_t>::min() || n > std::numeric_limits<std::int16_t>::max()))
            throw RuntimeError(err::Overflow);
        if (target.type() == DataType::adInteger
            && (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max()))
            throw RuntimeError(err::Overflow);
        return SqlValue::integer(n);
    }
    case DataType::adBoolean:
        if (isBlankText(value))
            return SqlValue();
        if (value.isByteArray() || value.isDate())
            typeMismatch();
        if (const QString *s = value.get<QString>()) {
            const QString t = s->trimmed();
            if (t.compare(u"True", Qt::CaseInsensitive) == 0)
                return SqlValue::integer(1);
            if (t.compare(u"False", Qt::CaseInsensitive) == 0)
                return SqlValue::integer(0);
            return SqlValue::integer(toNumber(value) != 0.0 ? 1 : 0);
        }
        return SqlValue::integer(value.toBool() ? 1 : 0);
    case DataType::adDate:
        if (isBlankText(value))
            return SqlValue();
        if (value.isByteArray() || value.type() == VarType::Boolean)
            typeMismatch();
        return SqlValue::text(value.toDate().toIso());
    case DataType::adVarWChar:
    case DataType::adWChar:
    case DataType::adLongVarWChar:
        if (const QByteArray *b = value.get<QByteArray>())
            return SqlValue::text(QString::fromUtf8(*b));
        return SqlValue::text(value.toString());
    case DataType::adLongVarBinary:
        if (const QString *s = value.get<QString>())
            return SqlValue::blob(s->toUtf8());
        if (!value.isByteArray())
            typeMismatch();
        return SqlValue::blob(*value.get<QByteArray>());
    default:
        return toStored(value);
    }
}

SqlValue ValueConversion::toStored(const Variant &value)
{
    switch (value.type()) {
    case VarType::Empty:
    case VarType::Null:
        return SqlValue();
    case VarType::Boolean:
        return SqlValue::integer(*value.get<bool>() ? 1 : 0);
    case VarType::Integer:
        return SqlValue::integer(*value.get<std::int16_t>());
    case VarType::Long:
        return SqlValue::integer(*value.get<std::int32_t>());
    case VarType::Single:
        return SqlValue::real(static_cast<double>(*value.get<float>()));
    case VarType::Double:
        return SqlValue::real(*value.get<double>());
    case VarType::Currency:
        return SqlValue::real(value.get<Currency>()->toDouble());
    case VarType::Date:
        return SqlValue::text(value.get<DateTime>()->toIso());
    case VarType::String:
        return SqlValue::text(*value.get<QString>());
    case VarType::ByteArray:
        return SqlValue::blob(*value.get<QByteArray>());
    }
    return SqlValue();
}

Variant ValueConversion::toVariant(const SqlValue &stored)
{
    switch (stored.kind()) {
    case SqlValue::Kind::Null: return Variant::null();
    case SqlValue::Kind::Integer: return Variant::fromInt64(stored.toInteger());
    case SqlValue::Kind::Real: return Variant(stored.toReal());
    case SqlValue::Kind::Text: return Variant(stored.toText());
    case SqlValue::Kind::Blob: return Variant(stored.toBlob());
    }
    return Variant();
}

Variant ValueConversion::toVariant(const SqlValue &stored, DataType type)
{
    const SqlValue::Kind kind = stored.kind();
    if (kind == SqlValue::Kind::Null)
        return Variant::null();

    // A number out of the stored value, when it holds one.
    auto number = [&]() -> std::optional<double> {
        if (kind == SqlValue::Kind::Integer)
            return static_cast<double>(stored.toInteger());
        if (kind == SqlValue::Kind::Real)
            return stored.toReal();
        if (kind == SqlValue::Kind::Text)
            return parseLocaleNumber(stored.toText(), QLocale::c());
        return std::nullopt;
    };
    auto whole = [&](double d) -> Variant {
        if (std::nearbyint(d) == d && std::fabs(d) < 9.2e18)
            return Variant::fromInt64(static_cast<std::int64_t>(d));
        return Variant(d);
    };

    switch (type) {
    case DataType::adSmallInt:
    case DataType::adInteger:
    case DataType::adBigInt: {
        if (kind == SqlValue::Kind::Integer) {
            const std::int64_t v = stored.toInteger();
            if (type == DataType::adSmallInt && v >= std::numeric_limits<std::int16_t>::min()
                && v <= std::numeric_limits<std::int16_t>::max())
                return Variant(static_cast<std::int16_t>(v));
            return Variant::fromInt64(v);
        }
        if (auto d = number())
            return whole(*d);
        break;
    }
    case DataType::adDouble:
        if (auto d = number())
            return Variant(*d);
        break;
    case DataType::adSingle:
        if (auto d = number())
            return Variant(static_cast<float>(*d));
        break;
    case DataType::adCurrency:
        if (kind == SqlValue::Kind::Integer)
            return Variant(Currency::fromInt(stored.toInteger()));
        if (kind == SqlValue::Kind::Text) {
            if (auto c = Currency::fromString(stored.toText().trimmed(), u'.'))
                return Variant(*c);
            break;
        }
        if (auto d = number())
            return Variant(Currency::fromDouble(*d));
        break;
    case DataType::adBoolean:
        if (kind == SqlValue::Kind::Text) {
            const QString t = stored.toText().trimmed();
            if (t.compare(u"True", Qt::CaseInsensitive) == 0)
                return Variant(true);
            if (t.compare(u"False", Qt::CaseInsensitive) == 0)
                return Variant(false);
        }
        if (auto d = number())
            return Variant(*d != 0.0);
        break;
    case DataType::adDate:
        if (kind == SqlValue::Kind::Text) {
            if (auto d = DateTime::fromIso(stored.toText().trimmed()))
                return Variant(*d);
        } else if (auto d = number()) {
            const DateTime date = DateTime::fromSerial(*d);
            if (date.isValid())
                return Variant(date);
        }
        break;
    case DataType::adVarWChar:
    case DataType::adWChar:
    case DataType::adLongVarWChar:
        switch (kind) {
        case SqlValue::Kind::Text: return Variant(stored.toText());
        case SqlValue::Kind::Integer: return Variant(QString::number(stored.toInteger()));
        case SqlValue::Kind::Real: return Variant(plainNumber(stored.toReal()));
        case SqlValue::Kind::Blob: return Variant(QString::fromUtf8(stored.toBlob()));
        default: break;
        }
        break;
    case DataType::adLongVarBinary:
        if (kind == SqlValue::Kind::Blob)
            return Variant(stored.toBlob());
        if (kind == SqlValue::Kind::Text)
            return Variant(stored.toText().toUtf8());
        break;
    default:
        break;
    }
    return toVariant(stored);
}

Variant ValueConversion::coerce(const Variant &value, ColumnType target)
{
    if (value.isEmpty() || value.isNull() || target.type() == DataType::adVariant
        || target.type() == DataType::adEmpty)
        return value;
    return toVariant(toStored(value, target), target.type());
}

} // namespace platform::sqlite
