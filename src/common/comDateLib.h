#pragma once

#include "platform/base/DateTime.h"

// The boundary dates of a year, used with the working date for year-end
// work and for the default ranges of reports. Each answer is a date without
// a time of day; an invalid date gives an invalid date.
namespace comDateLib {

// 1 January of the date's year.
platform::DateTime FirstDayOfYear(const platform::DateTime &date);
// 31 December of the year before the date's year.
platform::DateTime LastDayOfPreviousYear(const platform::DateTime &date);
// 1 January of the year before the date's year.
platform::DateTime FirstDayOfPreviousYear(const platform::DateTime &date);

} // namespace comDateLib
