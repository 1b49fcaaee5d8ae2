#pragma once

#include "platform/base/DateTime.h"

#include <QString>

// Helpers for writing SQL text in the database's Jet dialect.
namespace comDataBase {

// The date as a Jet date literal read month first, "#mm/dd/yyyy#" (5 March
// 2024 gives "#03/05/2024#"), whatever the user's date format; the time of
// day is dropped. An invalid date raises the run-time error 5 (invalid
// procedure call) rather than producing a literal the database rejects.
QString SqlDate(const platform::DateTime &date);

// The last second of the date's day as a Jet literal, "#mm/dd/yyyy
// 23:59:59#": the upper bound of a period whose last day counts whole,
// movements stored with a time of day included.
QString SqlEndOfDay(const platform::DateTime &date);

} // namespace comDataBase
