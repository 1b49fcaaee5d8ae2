#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <variant>

namespace platform::sqlite {

// A value exactly as the engine stores it: NULL, a 64-bit integer, a real,
// a text or a blob. Rows keep the values they read this way, so that an
// optimistic update compares a column with precisely what was read.
class SqlValue
{
public:
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Blob };

    SqlValue() = default;
    static SqlValue integer(std::int64_t v) { return SqlValue(Storage(v)); }
    static SqlValue real(double v) { return SqlValue(Storage(v)); }
    static SqlValue text(QString v) { return SqlValue(Storage(std::move(v))); }
    static SqlValue blob(QByteArray v) { return SqlValue(Storage(std::in_place_index<4>, std::move(v))); }

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isNull() const { return kind() == Kind::Null; }
    std::int64_t toInteger() const { return std::get<1>(m_value); }
    double toReal() const { return std::get<2>(m_value); }
    const QString &toText() const { return std::get<3>(m_value); }
    const QByteArray &toBlob() const { return std::get<4>(m_value); }

    bool operator==(const SqlValue &) const = default;

private:
    using Storage = std::variant<std::monostate, std::int64_t, double, QString, QByteArray>;
    explicit SqlValue(Storage v) : m_value(std::move(v)) {}
    Storage m_value;
};

} // namespace platform::sqlite
