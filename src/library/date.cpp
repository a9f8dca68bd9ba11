#include "library/date.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>

namespace bw {

namespace {

// About 31,000 years either side of 1970: tm's int year holds it easily.
constexpr double kSecondsReach = 1e12;
// Months a little past that reach, so a step into it is still taken
// whole before the seconds decide.
constexpr double kMonthsReach = 12.0 * 33000.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr int32_t kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The seconds of the moment months later in its UTC calendar, the day
// of the month normalised (31 January + 1 month is 2 or 3 March); NaN
// when that lies beyond the calendar's reach.
double StepMonths(int64_t seconds, double months)
{
    const std::time_t start = static_cast<std::time_t>(seconds);
    std::tm fields{};
    if (gmtime_r(&start, &fields) == nullptr) return kNaN;
    const double month = static_cast<double>(fields.tm_year) * 12.0 + fields.tm_mon + months;
    if (!(std::fabs(month) <= kMonthsReach)) return kNaN;
    const auto whole = static_cast<int64_t>(month);
    // Floored, so months before 1900 fall in the year they belong to.
    fields.tm_year = static_cast<int>(whole >= 0 ? whole / 12 : -((11 - whole) / 12));
    fields.tm_mon = static_cast<int>(whole - int64_t{fields.tm_year} * 12);
    errno = 0;
    const std::time_t moved = timegm(&fields);
    if (moved == static_cast<std::time_t>(-1) && errno != 0) return kNaN;
    return static_cast<double>(moved);
}

}  // namespace

double Date_FromSeconds(int64_t seconds)
{
    return (static_cast<double>(seconds) + 0.5) / kSecondsPerDay + kDateUnixEpoch;
}

int64_t Date_ToSeconds(double value)
{
    const double seconds = std::floor((value - kDateUnixEpoch) * kSecondsPerDay);
    if (!(seconds >= -kSecondsReach)) return static_cast<int64_t>(-kSecondsReach);
    return static_cast<int64_t>(std::min(seconds, kSecondsReach));
}

double Date_Now()
{
    return Date_FromSeconds(static_cast<int64_t>(std::time(nullptr)));
}

std::tm Date_LocalFields(double value)
{
    const std::time_t seconds = static_cast<std::time_t>(Date_ToSeconds(value));
    std::tm fields{};
    if (localtime_r(&seconds, &fields) == nullptr) fields = std::tm{};
    return fields;
}

double Date_FromLocalFields(std::tm fields)
{
    fields.tm_isdst = -1;
    return Date_FromSeconds(static_cast<int64_t>(std::mktime(&fields)));
}

double Date_Increment(double value, DateField field, double step)
{
    const int64_t seconds = Date_ToSeconds(value);
    // Hours and shorter units, and days in UTC, are fixed lengths of time,
    // so their steps add to the seconds at once, however large.
    double moved = 0.0;
    switch (field) {
    case DateField::Year: moved = StepMonths(seconds, step * 12.0); break;
    case DateField::Month: moved = StepMonths(seconds, step); break;
    case DateField::Day: moved = static_cast<double>(seconds) + step * kSecondsPerDay; break;
    case DateField::Hour: moved = static_cast<double>(seconds) + step * 3600.0; break;
    case DateField::Minute: moved = static_cast<double>(seconds) + step * 60.0; break;
    case DateField::Second: moved = static_cast<double>(seconds) + step; break;
    }
    // NaN fails this too.
    if (!(std::fabs(moved) <= kSecondsReach)) return value;
    return Date_FromSeconds(static_cast<int64_t>(moved));
}

bool Date_IsLeapYear(int64_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int32_t Date_DaysInMonth(int64_t year, int32_t month)
{
    if (month < 1 || month > 12) return 0;
    return month == 2 && Date_IsLeapYear(year) ? 29 : kMonthDays[month - 1];
}

int32_t Date_DaysBeforeMonth(int64_t year, int32_t month)
{
    int32_t days = 0;
    for (int32_t m = 1; m < month && m <= 12; ++m) days += Date_DaysInMonth(year, m);
    return days;
}

int64_t Date_SecondsIntoYear(int64_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second)
{
    const int64_t days = Date_DaysBeforeMonth(year, month) + int64_t{day};
    return ((days * 24 - 24 + hour) * 60 + minute) * 60 + second;
}

std::string Date_Format(double value, const char* format)
{
    const std::tm fields = Date_LocalFields(value);
    char buffer[1024];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &fields);
    return std::string(buffer, length);
}

}  // namespace bw
