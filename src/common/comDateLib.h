#pragma once

#include "platform/base/DateTime.h"

// The boundary dates of a year, used with the working date for year-end
// work and for the default ranges of reports, and the end of a period's
// last day. Each year boundary is a date without a time of day; an invalid
// date gives an invalid date.
namespace comDateLib {

// 1 January of the date's year.
platform::DateTime FirstDayOfYear(const platform::DateTime &date);
// 31 December of the year before the date's year.
platform::DateTime LastDayOfPreviousYear(const platform::DateTime &date);
// 1 January of the year before the date's year.
platform::DateTime FirstDayOfPreviousYear(const platform::DateTime &date);
// The last second of the date's day: the upper bound of a period whose last
// day counts whole, movements stored with a time of day included.
platform::DateTime EndOfDay(const platform::DateTime &date);

} // namespace comDateLib
