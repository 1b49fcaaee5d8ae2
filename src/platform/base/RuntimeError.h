#pragma once

#include <QString>

#include <cstdint>
#include <exception>
#include <string>

namespace platform {

// Offset that object-defined error numbers are added to (0x80040000).
inline constexpr std::int32_t vbObjectError = static_cast<std::int32_t>(0x80040000u);

// Error numbers of the run-time that the program's own code raises or traps.
namespace err {
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t InvalidUseOfNull = 94;
} // namespace err

// The run-time error that the program raises and traps: a number, the
// source that raised it and a description, thrown as an exception.
class RuntimeError : public std::exception
{
public:
    explicit RuntimeError(std::int32_t number, QString description = {}, QString source = {});

    std::int32_t number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const QString &source() const noexcept { return m_source; }
    // What the failing component said in its own words (for a database
    // error the engine's message and result code), for the error report;
    // empty when the description says it all.
    const QString &detail() const noexcept { return m_detail; }
    void setDetail(QString detail);

    const char *what() const noexcept override { return m_what.c_str(); }

    // The Italian run-time's description of its own error numbers
    // ("Tipo non corrispondente" for 13, ...), empty for unknown numbers.
    static QString standardDescription(std::int32_t number);

private:
    void updateWhat();

    std::int32_t m_number;
    QString m_description;
    QString m_source;
    QString m_detail;
    std::string m_what;
};

} // namespace platform
