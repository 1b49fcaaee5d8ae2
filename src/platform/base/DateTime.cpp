#include "platform/base/DateTime.h"

#include <QDateTime>

#include <cmath>

namespace platform {

namespace {
constexpr qint64 SerialEpochJulianDay = 2415019; // 30 December 1899
constexpr int MsecsPerDay = 24 * 60 * 60 * 1000;
constexpr qint64 SecondsPerDay = 24 * 60 * 60;
constexpr double MinSerial = -657434.0; // 1 January 100
constexpr double MaxSerial = 2958465.0; // 31 December 9999
} // namespace

DateTime::DateTime(QDate date, QTime time)
    : m_date(date)
    , m_msecs(time.isValid() ? time.msecsSinceStartOfDay() : 0)
{
}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second)
    : DateTime(QDate(year, month, day), QTime(hour, minute, second))
{
}

DateTime DateTime::today()
{
    return DateTime(QDate::currentDate());
}

DateTime DateTime::now()
{
    const QDateTime n = QDateTime::currentDateTime();
    const QTime t = n.time();
    return DateTime(n.date(), QTime(t.hour(), t.minute(), t.second()));
}

QString DateTime::toIso() const
{
    if (!isValid())
        return QString();
    QString s = m_date.toString(Qt::ISODate);
    if (hasTime())
        s += u' ' + time().toString(QStringLiteral("HH:mm:ss"));
    return s;
}

std::optional<DateTime> DateTime::fromIso(QStringView text)
{
    text = text.trimmed();
    if (text.size() < 10)
        return std::nullopt;
    const QDate d = QDate::fromString(text.left(10).toString(), Qt::ISODate);
    if (!d.isValid())
        return std::nullopt;
    if (text.size() == 10)
        return DateTime(d);
    if (text[10] != u' ' && text[10] != u'T')
        return std::nullopt;
    QString rest = text.mid(11).toString();
    QTime t = QTime::fromString(rest, Qt::ISODateWithMs);
    if (!t.isValid())
        t = QTime::fromString(rest, QStringLiteral("HH:mm"));
    if (!t.isValid())
        return std::nullopt;
    return DateTime(d, t);
}

double DateTime::toSerial() const
{
    const double days = static_cast<double>(m_date.toJulianDay() - SerialEpochJulianDay);
    const double frac = static_cast<double>(m_msecs) / MsecsPerDay;
    // Before the epoch the serial's integer part counts backwards while the
    // fraction still adds the time of day.
    return days < 0 ? days - frac : days + frac;
}

DateTime DateTime::fromSerial(double serial)
{
    // The run-time's dates run from 1 January 100 to 31 December 9999;
    // anything outside (or not a number) has no date.
    if (!std::isfinite(serial) || serial <= MinSerial - 1.0 || serial >= MaxSerial + 1.0)
        return DateTime();
    // The integer part counts days (backwards before the epoch); the
    // fraction, whatever the sign, is the time of day.
    const double whole = std::trunc(serial);
    const double frac = std::fabs(serial - whole);
    qint64 days = static_cast<qint64>(whole);
    // Round to whole seconds: the run-time's dates carry no milliseconds.
    // A time that rounds up to midnight belongs to the following day.
    qint64 seconds = std::llround(frac * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        seconds -= SecondsPerDay;
        days += 1;
    }
    const QDate date = QDate::fromJulianDay(days + SerialEpochJulianDay);
    if (date.year() > 9999)
        return DateTime();
    DateTime dt(date);
    dt.m_msecs = static_cast<int>(seconds * 1000);
    return dt;
}

} // namespace platform
