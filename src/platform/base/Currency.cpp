#include "platform/base/Currency.h"

#include "platform/base/RuntimeError.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace platform {

namespace {

// 128-bit intermediate results keep products and quotients exact.
__extension__ typedef __int128 i128;

[[noreturn]] void overflow()
{
    throw RuntimeError(err::Overflow);
}

// n / d rounded half to even.
i128 divideHalfEven(i128 n, i128 d)
{
    i128 q = n / d;
    i128 r = n % d;
    if (r == 0)
        return q;
    const i128 absR2 = (r < 0 ? -r : r) * 2;
    const i128 absD = d < 0 ? -d : d;
    const bool negative = (n < 0) != (d < 0);
    if (absR2 > absD || (absR2 == absD && (q % 2 != 0)))
        q += negative ? -1 : 1;
    return q;
}

std::int64_t checked(i128 v)
{
    if (v > std::numeric_limits<std::int64_t>::max() || v < std::numeric_limits<std::int64_t>::min())
        overflow();
    return static_cast<std::int64_t>(v);
}

// Parses [-+]digits[.digits] exactly and rounds half to even at four
// decimals. Returns false when the text is not such a number or overflows.
bool parseDecimal(std::string_view s, std::int64_t &out)
{
    bool negative = false;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    i128 intPart = 0;
    bool anyDigit = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        intPart = intPart * 10 + (s[i] - '0');
        anyDigit = true;
        if (intPart > (i128(1) << 70))
            return false;
    }
    i128 frac = 0;
    int fracDigits = 0;
    int roundDigit = -1;   // fifth decimal
    bool restNonZero = false;   // anything after the fifth decimal
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            anyDigit = true;
            const int digit = s[i] - '0';
            if (fracDigits < 4) {
                frac = frac * 10 + digit;
                ++fracDigits;
            } else if (roundDigit < 0) {
                roundDigit = digit;
            } else if (digit != 0) {
                restNonZero = true;
            }
        }
    }
    if (!anyDigit || i != s.size())
        return false;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    i128 raw = intPart * Currency::Scale + frac;
    if (roundDigit > 5 || (roundDigit == 5 && (restNonZero || raw % 2 != 0)))
        ++raw;
    if (negative)
        raw = -raw;
    if (raw > std::numeric_limits<std::int64_t>::max() || raw < std::numeric_limits<std::int64_t>::min())
        return false;
    out = static_cast<std::int64_t>(raw);
    return true;
}

} // namespace

Currency Currency::fromInt(std::int64_t units)
{
    return fromRaw(checked(i128(units) * Scale));
}

Currency Currency::fromDouble(double value)
{
    if (!std::isfinite(value))
        overflow();
    // The shortest decimal text that reads back as the same double is the
    // number the user meant; rounding that text avoids binary artefacts.
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        overflow();
    std::int64_t raw = 0;
    if (!parseDecimal(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)), raw))
        overflow();
    return fromRaw(raw);
}

std::optional<Currency> Currency::fromString(QStringView text, QChar decimalSeparator)
{
    QString t = text.trimmed().toString();
    if (decimalSeparator != u'.') {
        if (t.contains(u'.'))
            return std::nullopt;
        t.replace(decimalSeparator, u'.');
    }
    const QByteArray bytes = t.toLatin1();
    std::int64_t raw = 0;
    if (!parseDecimal(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), raw))
        return std::nullopt;
    return fromRaw(raw);
}

QString Currency::toString() const
{
    const bool negative = m_raw < 0;
    // Work in unsigned arithmetic so that the minimum value prints too.
    const unsigned long long absRaw = negative ? 0ull - static_cast<unsigned long long>(m_raw)
                                               : static_cast<unsigned long long>(m_raw);
    QString s = QString::number(absRaw / Scale);
    unsigned long long frac = absRaw % Scale;
    if (frac != 0) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QChar(u'0'));
        while (f.endsWith(u'0'))
            f.chop(1);
        s += u'.' + f;
    }
    return negative ? u'-' + s : s;
}

QString Currency::toString(const QLocale &locale) const
{
    QString s = toString();
    s.replace(u'.', locale.decimalPoint());
    if (m_raw < 0)
        s.replace(0, 1, locale.negativeSign());
    return s;
}

Currency Currency::rounded(int decimals) const
{
    if (decimals >= 4)
        return *this;
    if (decimals < 0)
        decimals = 0;
    std::int64_t unit = 1;
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    return fromRaw(checked(divideHalfEven(m_raw, unit) * unit));
}

Currency Currency::operator-() const
{
    return fromRaw(checked(-i128(m_raw)));
}

Currency Currency::operator+(Currency other) const
{
    return fromRaw(checked(i128(m_raw) + other.m_raw));
}

Currency Currency::operator-(Currency other) const
{
    return fromRaw(checked(i128(m_raw) - other.m_raw));
}

Currency Currency::operator*(Currency other) const
{
    return fromRaw(checked(divideHalfEven(i128(m_raw) * other.m_raw, Scale)));
}

Currency Currency::operator*(std::int64_t factor) const
{
    return fromRaw(checked(i128(m_raw) * factor));
}

Currency Currency::operator/(Currency other) const
{
    if (other.m_raw == 0)
        throw RuntimeError(err::DivisionByZero);
    return fromRaw(checked(divideHalfEven(i128(m_raw) * Scale, other.m_raw)));
}

} // namespace platform
