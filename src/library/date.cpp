#include "library/date.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>

namespace bw {

namespace {

// About 31,000 years either side of 1970: tm's int year holds it easily.
constexpr double kSecondsReach = 1e12;

constexpr int32_t kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int32_t ClampToInt(int64_t value)
{
    // Half the range, so normalising the fields cannot overflow either.
    constexpr int64_t kReach = std::numeric_limits<int32_t>::max() / 2;
    return static_cast<int32_t>(std::clamp<int64_t>(value, -kReach, kReach));
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

double Date_Increment(double value, DateField field, int64_t step)
{
    const std::time_t seconds = static_cast<std::time_t>(Date_ToSeconds(value));
    std::tm fields{};
    if (gmtime_r(&seconds, &fields) == nullptr) return value;
    int* target = nullptr;
    switch (field) {
    case DateField::Year: target = &fields.tm_year; break;
    case DateField::Month: target = &fields.tm_mon; break;
    case DateField::Day: target = &fields.tm_mday; break;
    case DateField::Hour: target = &fields.tm_hour; break;
    case DateField::Minute: target = &fields.tm_min; break;
    case DateField::Second: target = &fields.tm_sec; break;
    }
    *target = ClampToInt(*target + std::clamp<int64_t>(step, INT32_MIN, INT32_MAX));
    errno = 0;
    const std::time_t moved = timegm(&fields);
    if (moved == static_cast<std::time_t>(-1) && errno != 0) return value;
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
