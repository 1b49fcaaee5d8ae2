#include "common/comDateLib.h"

namespace comDateLib {

using platform::DateTime;

DateTime FirstDayOfYear(const DateTime &date)
{
    if (!date.isValid())
        return DateTime();
    return DateTime(date.year(), 1, 1);
}

DateTime LastDayOfPreviousYear(const DateTime &date)
{
    if (!date.isValid())
        return DateTime();
    return DateTime(date.year() - 1, 12, 31);
}

DateTime FirstDayOfPreviousYear(const DateTime &date)
{
    if (!date.isValid())
        return DateTime();
    return DateTime(date.year() - 1, 1, 1);
}

DateTime EndOfDay(const DateTime &date)
{
    if (!date.isValid())
        return DateTime();
    return DateTime(date.date(), QTime(23, 59, 59));
}

} // namespace comDateLib
