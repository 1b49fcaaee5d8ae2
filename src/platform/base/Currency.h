#pragma once

#include <QLocale>
#include <QString>

#include <compare>
#include <cstdint>
#include <optional>

namespace platform {

// A money or quantity amount as a 64-bit fixed-point number with four
// decimals, the way the database keeps currency columns. Conversions and
// products round half to even at the fourth decimal; results that do not
// fit raise the run-time Overflow error.
class Currency
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;

    static constexpr Currency fromRaw(std::int64_t raw)
    {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    static Currency fromInt(std::int64_t units);
    // Rounds the shortest decimal form of the value half to even, so that
    // 2.50005 becomes 2.5000 and 2.50015 becomes 2.5002.
    static Currency fromDouble(double value);
    // Reads a decimal text ("-1234.5678", or with the given decimal
    // separator); nullopt when it is not a number or does not fit.
    static std::optional<Currency> fromString(QStringView text, QChar decimalSeparator = u'.');

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return static_cast<double>(m_raw) / Scale; }
    // Plain decimal text with '.' and no trailing zeros ("12.5", "-3", "0.0001").
    QString toString() const;
    // The same with the locale's decimal separator and no group separators.
    QString toString(const QLocale &locale) const;

    // This amount rounded half to even to the given number of decimals (0..4).
    Currency rounded(int decimals) const;

    Currency operator-() const;
    Currency operator+(Currency other) const;
    Currency operator-(Currency other) const;
    Currency operator*(Currency other) const;
    Currency operator*(std::int64_t factor) const;
    // Division rounded half to even; dividing by zero raises error 11.
    Currency operator/(Currency other) const;
    Currency &operator+=(Currency other) { return *this = *this + other; }
    Currency &operator-=(Currency other) { return *this = *this - other; }

    constexpr auto operator<=>(const Currency &) const = default;

private:
    std::int64_t m_raw = 0;
};

} // namespace platform
