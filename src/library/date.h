// Date-time values of game code. A moment is one real: days since
// 1899-12-30 00:00 UTC with the time of day as the fraction, so 25569 is
// 1970-01-01. The host's 64-bit time routines do the calendar work; fields
// called local are those of the process's time zone (TZ).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace bw {

inline constexpr double kDateUnixEpoch = 25569.0;
inline constexpr double kSecondsPerDay = 86400.0;

// Half a second is added going in, so that going back by flooring gives the
// same second again, before 1970 as after.
double Date_FromSeconds(int64_t seconds);
// Whole seconds since 1970, kept within some ten thousand years either way
// (NaN gives the earliest), so the calendar routines always have an answer.
int64_t Date_ToSeconds(double value);
double Date_Now();

// Local calendar fields of a moment (tm: year since 1900, month 0..11).
std::tm Date_LocalFields(double value);
// The moment of local calendar fields (tm form; overflowing fields roll over,
// daylight saving worked out by the zone).
double Date_FromLocalFields(std::tm fields);

enum class DateField { Year, Month, Day, Hour, Minute, Second };
// The moment with step added to one field of its UTC calendar form and
// the result normalised (31 January + 1 month is 2 or 3 March). Daylight
// saving never moves the time of day. A result beyond the calendar's reach
// leaves the moment as it was, and so does a NaN step.
double Date_Increment(double value, DateField field, double step);

bool Date_IsLeapYear(int64_t year);
// month 1..12
int32_t Date_DaysInMonth(int64_t year, int32_t month);
// Days of the months before month (1..12) in that year.
int32_t Date_DaysBeforeMonth(int64_t year, int32_t month);
// Seconds from 1 January 00:00 of year to the given moment of it.
int64_t Date_SecondsIntoYear(int64_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second);

// strftime of the local fields.
std::string Date_Format(double value, const char* format);

}  // namespace bw
