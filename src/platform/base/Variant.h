#pragma once

#include "platform/base/Currency.h"
#include "platform/base/DateTime.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

namespace platform {

// The kinds of value a Variant holds, numbered as the classic run-time's
// VarType codes so that they can be shown and compared the same way.
enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,   // 16-bit signed
    Long = 3,      // 32-bit signed
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Boolean = 11,
    ByteArray = 8209, // array of bytes
};

// A dynamically typed value as the program's code passes it around: field
// values, registry values, arguments of the common dialogs. Empty (never
// assigned) and Null (no data, as in a database) are different values.
//
// The to...() conversions follow the run-time's rules: Null raises
// "Utilizzo non valido di Null" (94), text that is not a number raises
// "Tipo non corrispondente" (13), a number that does not fit raises
// "Overflow" (6), and whole-number conversions round halves to even.
// Numbers are read and written in the given locale (by default the
// user's, QLocale()).
class Variant
{
public:
    Variant() = default;
    Variant(bool v) : m_value(v) {}
    Variant(std::int16_t v) : m_value(v) {}
    Variant(std::int32_t v) : m_value(v) {}
    Variant(float v) : m_value(v) {}
    Variant(double v) : m_value(v) {}
    Variant(Currency v) : m_value(v) {}
    Variant(DateTime v) : m_value(v) {}
    Variant(QDate v) : m_value(DateTime(v)) {}
    Variant(const QString &v) : m_value(v) {}
    Variant(QString &&v) : m_value(std::move(v)) {}
    Variant(const char *utf8) : m_value(QString::fromUtf8(utf8)) {}
    Variant(const QByteArray &v) : m_value(v) {}

    static Variant null();
    // A 64-bit integer as a Long when it fits, else as a Double.
    static Variant fromInt64(std::int64_t v);

    VarType type() const;
    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isNull() const { return std::holds_alternative<NullValue>(m_value); }
    bool isString() const { return std::holds_alternative<QString>(m_value); }
    bool isDate() const { return std::holds_alternative<DateTime>(m_value); }
    bool isByteArray() const { return std::holds_alternative<QByteArray>(m_value); }
    // A number kind: Integer, Long, Single, Double or Currency (not Boolean).
    bool isNumber() const;
    // The run-time's numeric test: numbers, Booleans, Empty, and text that
    // reads as a number in the locale; not Null, not dates.
    bool isNumeric(const QLocale &locale = QLocale()) const;

    bool toBool() const;
    std::int16_t toInt16() const;
    std::int32_t toInt32() const;
    float toFloat(const QLocale &locale = QLocale()) const;
    double toDouble(const QLocale &locale = QLocale()) const;
    Currency toCurrency(const QLocale &locale = QLocale()) const;
    // Text is read as ISO or as the locale's short date (two-digit years
    // are 1930-2029), optionally followed by a time; numbers are serial
    // dates.
    DateTime toDate(const QLocale &locale = QLocale()) const;
    // Dates are written in the locale's short form with a four-digit year,
    // Singles with up to 7 significant digits, Doubles with up to 15.
    QString toString(const QLocale &locale = QLocale()) const;
    QByteArray toByteArray() const;

    // Direct access to the stored value of one kind, nullptr for another.
    template <typename T>
    const T *get() const { return std::get_if<T>(&m_value); }

    // Same kind and same value.
    bool operator==(const Variant &other) const;

    // A readable form for tests and diagnostics: "Empty", "Null",
    // "Long(5)", "String(\"x\")", ...
    QString debugString() const;

private:
    struct NullValue {
        bool operator==(const NullValue &) const = default;
    };
    std::variant<std::monostate, NullValue, bool, std::int16_t, std::int32_t, float, double,
                 Currency, DateTime, QString, QByteArray>
        m_value;
};

// Reads a number written in the locale (group separators allowed, blanks
// around it ignored); nullopt when the text is not a number.
std::optional<double> parseLocaleNumber(QStringView text, const QLocale &locale = QLocale());

// Reads a number as a user types it into a box or a cell: an optional
// sign, digits with the locale's group separators and at most one decimal
// separator, blanks around it ignored; no exponent. nullopt when the text is
// not such a number or lies beyond the range of the currency type, the
// widest that an amount or a quantity of the program may hold.
std::optional<double> readTypedNumber(QStringView text, const QLocale &locale = QLocale());

// A number as the run-time writes it: the locale's decimal separator, no
// group separators, up to 15 significant digits.
QString formatNumber(double value, const QLocale &locale = QLocale());

} // namespace platform
