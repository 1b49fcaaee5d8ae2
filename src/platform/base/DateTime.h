#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <compare>
#include <optional>

namespace platform {

// A calendar date with an optional time of day and no time zone: the
// program's Date values. Midnight counts as "no time". The database keeps
// it as ISO text, 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS', so that text
// comparisons order dates correctly.
class DateTime
{
public:
    DateTime() = default;
    DateTime(QDate date) : m_date(date) {} // NOLINT: a date is a DateTime at midnight
    DateTime(QDate date, QTime time);
    DateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    static DateTime today();
    static DateTime now();

    bool isValid() const { return m_date.isValid(); }
    QDate date() const { return m_date; }
    QTime time() const { return QTime::fromMSecsSinceStartOfDay(m_msecs); }
    bool hasTime() const { return m_msecs != 0; }
    int year() const { return m_date.year(); }
    int month() const { return m_date.month(); }
    int day() const { return m_date.day(); }

    // The same day without its time of day.
    DateTime dateOnly() const { return DateTime(m_date); }

    // 'YYYY-MM-DD', plus ' HH:MM:SS' when there is a time of day.
    QString toIso() const;
    // Reads 'YYYY-MM-DD', 'YYYY-MM-DD HH:MM[:SS[.fff]]' or with a 'T'.
    static std::optional<DateTime> fromIso(QStringView text);

    // Days since 30 December 1899, the fraction being the time of day
    // (the serial date of the classic desktop run-time). fromSerial rounds
    // to whole seconds and answers an invalid DateTime outside the years
    // 100 to 9999.
    double toSerial() const;
    static DateTime fromSerial(double serial);

    auto operator<=>(const DateTime &other) const
    {
        if (auto c = m_date.toJulianDay() <=> other.m_date.toJulianDay(); c != 0)
            return c;
        return m_msecs <=> other.m_msecs;
    }
    bool operator==(const DateTime &other) const = default;

private:
    QDate m_date;
    int m_msecs = 0; // milliseconds since midnight
};

} // namespace platform
