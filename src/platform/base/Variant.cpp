#include "platform/base/Variant.h"

#include "platform/base/RuntimeError.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace platform {

namespace {

[[noreturn]] void typeMismatch()
{
    throw RuntimeError(err::TypeMismatch);
}
[[noreturn]] void invalidUseOfNull()
{
    throw RuntimeError(err::InvalidUseOfNull);
}
[[noreturn]] void overflow()
{
    throw RuntimeError(err::Overflow);
}

QLocale plainLocale(const QLocale &locale)
{
    QLocale l(locale);
    l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return l;
}

// Whole number from a double, halves to even, checked against the range.
template <typename Int>
Int roundToInt(double d)
{
    if (!std::isfinite(d))
        overflow();
    const double r = std::nearbyint(d); // the default rounding mode rounds halves to even
    if (r < static_cast<double>(std::numeric_limits<Int>::min())
        || r > static_cast<double>(std::numeric_limits<Int>::max()))
        overflow();
    return static_cast<Int>(r);
}

} // namespace

std::optional<double> parseLocaleNumber(QStringView text, const QLocale &locale)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double d = locale.toDouble(t, &ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<double> readTypedNumber(QStringView text, const QLocale &locale)
{
    const QStringView t = text.trimmed();
    // Only what a user types for a number: no exponent, no spelled-out
    // infinity, which the general reader would take.
    const QString signs = locale.negativeSign() + locale.positiveSign() + QStringLiteral("-+");
    for (const QChar c : t) {
        if (!c.isDigit() && c != locale.decimalPoint().front() && c != locale.groupSeparator().front()
            && !signs.contains(c))
            return std::nullopt;
    }
    const std::optional<double> value = parseLocaleNumber(t, locale);
    if (!value)
        return std::nullopt;
    try {
        Currency::fromDouble(*value);
    } catch (const RuntimeError &) {
        return std::nullopt;
    }
    return value;
}

namespace {

// The run-time writes a Double with up to 15 significant digits and a
// Single with up to 7 (so that 0.1 stored as a Single reads "0.1").
QString formatSignificant(double value, int digits, const QLocale &locale)
{
    if (value == 0.0)
        return QStringLiteral("0");
    return plainLocale(locale).toString(value, 'g', digits);
}

// The short date format of the locale with a four-digit year, as the
// run-time writes dates ("05/03/2024" in Italy): a two-digit year would
// not read back into the same century.
QString shortDateFormat(const QLocale &locale)
{
    QString fmt = locale.dateFormat(QLocale::ShortFormat);
    if (!fmt.contains(QStringLiteral("yyyy")))
        fmt.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return fmt;
}

// Two-digit years as the run-time reads them: 00-29 are 2000-2029 and
// 30-99 are 1930-1999 (Qt reads them all as 19xx).
QDate applyTwoDigitYearWindow(QDate date, const QString &format)
{
    if (format.contains(QStringLiteral("yy")) && !format.contains(QStringLiteral("yyyy"))
        && date.year() >= 1900 && date.year() < 1930)
        return date.addYears(100);
    return date;
}

// A date in the locale's short form or as day/month/year, alone or
// followed by a time of day. Date and time are read apart: read together
// Qt places them in the local time zone, where a time skipped by the
// change to summer time would not exist.
std::optional<DateTime> parseLocaleDateTime(const QString &text, const QLocale &locale)
{
    const QString shortDate = shortDateFormat(locale);
    const QStringList dateFormats{shortDate, locale.dateFormat(QLocale::ShortFormat), QStringLiteral("d/M/yyyy"),
                                  QStringLiteral("d/M/yy")};
    auto readDate = [&](const QString &part) -> QDate {
        for (const QString &fmt : dateFormats) {
            const QDate d = locale.toDate(part, fmt);
            if (d.isValid())
                return applyTwoDigitYearWindow(d, fmt);
        }
        return QDate();
    };

    if (const QDate d = readDate(text); d.isValid())
        return DateTime(d);

    const QStringList timeFormats{QStringLiteral("H:mm:ss"), QStringLiteral("H:mm"),
                                  locale.timeFormat(QLocale::ShortFormat)};
    for (const QString &timeFormat : timeFormats) {
        // The time takes as many blank-separated words as its format has.
        qsizetype split = text.size();
        for (qsizetype words = timeFormat.count(u' ') + 1; words > 0 && split > 0; --words)
            split = text.lastIndexOf(u' ', split - 1);
        if (split <= 0)
            continue;
        const QTime t = locale.toTime(text.mid(split + 1), timeFormat);
        if (!t.isValid())
            continue;
        if (const QDate d = readDate(text.left(split).trimmed()); d.isValid())
            return DateTime(d, t);
    }
    return std::nullopt;
}

} // namespace

QString formatNumber(double value, const QLocale &locale)
{
    return formatSignificant(value, 15, locale);
}

Variant Variant::null()
{
    Variant v;
    v.m_value = NullValue{};
    return v;
}

Variant Variant::fromInt64(std::int64_t v)
{
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<std::int32_t>(v));
    return Variant(static_cast<double>(v));
}

VarType Variant::type() const
{
    switch (m_value.index()) {
    case 0: return VarType::Empty;
    case 1: return VarType::Null;
    case 2: return VarType::Boolean;
    case 3: return VarType::Integer;
    case 4: return VarType::Long;
    case 5: return VarType::Single;
    case 6: return VarType::Double;
    case 7: return VarType::Currency;
    case 8: return VarType::Date;
    case 9: return VarType::String;
    default: return VarType::ByteArray;
    }
}

bool Variant::isNumber() const
{
    switch (type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
        return true;
    default:
        return false;
    }
}

bool Variant::isNumeric(const QLocale &locale) const
{
    switch (type()) {
    case VarType::Empty:
    case VarType::Boolean:
        return true;
    case VarType::String:
        return parseLocaleNumber(*get<QString>(), locale).has_value();
    default:
        return isNumber();
    }
}

double Variant::toDouble(const QLocale &locale) const
{
    switch (type()) {
    case VarType::Empty: return 0.0;
    case VarType::Null: invalidUseOfNull();
    case VarType::Boolean: return *get<bool>() ? -1.0 : 0.0;
    case VarType::Integer: return *get<std::int16_t>();
    case VarType::Long: return *get<std::int32_t>();
    case VarType::Single: return *get<float>();
    case VarType::Double: return *get<double>();
    case VarType::Currency: return get<Currency>()->toDouble();
    case VarType::Date: return get<DateTime>()->toSerial();
    case VarType::String:
        if (auto d = parseLocaleNumber(*get<QString>(), locale))
            return *d;
        typeMismatch();
    case VarType::ByteArray: typeMismatch();
    }
    typeMismatch();
}

float Variant::toFloat(const QLocale &locale) const
{
    const double d = toDouble(locale);
    if (std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max()))
        overflow();
    return static_cast<float>(d);
}

std::int32_t Variant::toInt32() const
{
    switch (type()) {
    case VarType::Integer: return *get<std::int16_t>();
    case VarType::Long: return *get<std::int32_t>();
    case VarType::Currency: {
        const std::int64_t raw = get<Currency>()->rounded(0).raw() / Currency::Scale;
        if (raw < std::numeric_limits<std::int32_t>::min() || raw > std::numeric_limits<std::int32_t>::max())
            overflow();
        return static_cast<std::int32_t>(raw);
    }
    default: return roundToInt<std::int32_t>(toDouble());
    }
}

std::int16_t Variant::toInt16() const
{
    const std::int32_t v = toInt32();
    if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max())
        overflow();
    return static_cast<std::int16_t>(v);
}

bool Variant::toBool() const
{
    switch (type()) {
    case VarType::Boolean: return *get<bool>();
    case VarType::String: {
        const QString &s = *get<QString>();
        if (s.trimmed().compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (s.trimmed().compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
        return toDouble() != 0.0;
    }
    default: return toDouble() != 0.0;
    }
}

Currency Variant::toCurrency(const QLocale &locale) const
{
    switch (type()) {
    case VarType::Currency: return *get<Currency>();
    case VarType::Integer: return Currency::fromInt(*get<std::int16_t>());
    case VarType::Long: return Currency::fromInt(*get<std::int32_t>());
    case VarType::String: {
        if (auto c = Currency::fromString(*get<QString>(), locale.decimalPoint().at(0)))
            return *c;
        return Currency::fromDouble(toDouble(locale));
    }
    default: return Currency::fromDouble(toDouble(locale));
    }
}

DateTime Variant::toDate(const QLocale &locale) const
{
    switch (type()) {
    case VarType::Date: return *get<DateTime>();
    case VarType::Null: invalidUseOfNull();
    case VarType::String: {
        const QString s = get<QString>()->trimmed();
        if (auto d = DateTime::fromIso(s))
            return *d;
        if (auto d = parseLocaleDateTime(s, locale))
            return *d;
        typeMismatch();
    }
    case VarType::ByteArray: typeMismatch();
    default: {
        const DateTime d = DateTime::fromSerial(toDouble(locale));
        if (!d.isValid())
            overflow();
        return d;
    }
    }
}

QString Variant::toString(const QLocale &locale) const
{
    switch (type()) {
    case VarType::Empty: return QStringLiteral("");
    case VarType::Null: invalidUseOfNull();
    case VarType::Boolean: return *get<bool>() ? QStringLiteral("True") : QStringLiteral("False");
    case VarType::Integer: return QString::number(*get<std::int16_t>());
    case VarType::Long: return QString::number(*get<std::int32_t>());
    case VarType::Single: return formatSignificant(static_cast<double>(*get<float>()), 7, locale);
    case VarType::Double: return formatNumber(*get<double>(), locale);
    case VarType::Currency: return get<Currency>()->toString(locale);
    case VarType::Date: {
        const DateTime &d = *get<DateTime>();
        QString s = locale.toString(d.date(), shortDateFormat(locale));
        if (d.hasTime())
            s += u' ' + locale.toString(d.time(), QStringLiteral("HH:mm:ss"));
        return s;
    }
    case VarType::String: return *get<QString>();
    case VarType::ByteArray: return QString::fromUtf8(*get<QByteArray>());
    }
    return QString();
}

QByteArray Variant::toByteArray() const
{
    if (const auto *b = get<QByteArray>())
        return *b;
    if (const auto *s = get<QString>())
        return s->toUtf8();
    if (isNull())
        invalidUseOfNull();
    typeMismatch();
}

bool Variant::operator==(const Variant &other) const
{
    return m_value == other.m_value;
}

QString Variant::debugString() const
{
    switch (type()) {
    case VarType::Empty: return QStringLiteral("Empty");
    case VarType::Null: return QStringLiteral("Null");
    case VarType::Boolean: return *get<bool>() ? QStringLiteral("Boolean(True)") : QStringLiteral("Boolean(False)");
    case VarType::Integer: return QStringLiteral("Integer(%1)").arg(*get<std::int16_t>());
    case VarType::Long: return QStringLiteral("Long(%1)").arg(*get<std::int32_t>());
    case VarType::Single: return QStringLiteral("Single(%1)").arg(static_cast<double>(*get<float>()), 0, 'g', 9);
    case VarType::Double: return QStringLiteral("Double(%1)").arg(*get<double>(), 0, 'g', 17);
    case VarType::Currency: return QStringLiteral("Currency(%1)").arg(get<Currency>()->toString());
    case VarType::Date: return QStringLiteral("Date(%1)").arg(get<DateTime>()->toIso());
    case VarType::String: return QStringLiteral("String(\"%1\")").arg(*get<QString>());
    case VarType::ByteArray: return QStringLiteral("ByteArray(%1)").arg(QString::fromLatin1(get<QByteArray>()->toHex()));
    }
    return QString();
}

} // namespace platform
