// Argument handling of the date built-ins; the calendar work is in
// library/date. Steps and calendar fields are rounded to the nearest integer
// unless a built-in says it truncates.
#include "library/date_builtins.h"

#include <algorithm>
#include <cmath>

#include "script/arguments.h"
#include "library/date.h"

namespace bw {

namespace {

// Years beyond this are past any calendar the host can name.
constexpr int64_t kLatestYear = 1000000000;


BW_BUILTIN(DateCurrent)
{
    Value_SetReal(*result, Date_Now());
}

// Fields far outside their ranges roll over into years beyond any calendar;
// holding them here keeps the sums below and in the library from
// overflowing.
int CalendarField(int64_t value)
{
    constexpr int64_t kReach = 10000000;
    return static_cast<int>(std::clamp<int64_t>(value, -kReach, kReach));
}

// The local moment of calendar fields: year, month (1..12) and day, then the
// time of day.
double LocalMoment(double year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second)
{
    std::tm fields{};
    // Years before 1900 are taken as 1900, which the fields cannot go below.
    fields.tm_year = static_cast<int>(std::clamp<int64_t>(int64_t{Real_RoundToInt32(year)} - 1900, 0, kLatestYear));
    fields.tm_mon = CalendarField(int64_t{month} - 1);
    fields.tm_mday = CalendarField(day);
    fields.tm_hour = CalendarField(hour);
    fields.tm_min = CalendarField(minute);
    fields.tm_sec = CalendarField(second);
    return Date_FromLocalFields(fields);
}

BW_BUILTIN(DateCreateDatetime)
{
    Value_SetReal(*result, LocalMoment(args[0].real, Arg_Trunc(args[1]), Arg_Trunc(args[2]), Arg_Trunc(args[3]),
                                       Arg_Trunc(args[4]), Arg_Trunc(args[5])));
}

BW_BUILTIN(DateCreateDate)
{
    Value_SetReal(*result, LocalMoment(args[0].real, Arg_Round(args[1]), Arg_Round(args[2]), 0, 0, 0));
}

// A time on its own is the fraction of a day it makes, as date_time_of
// gives it back.
BW_BUILTIN(DateCreateTime)
{
    const double seconds = static_cast<double>(Arg_Round(args[0])) * 3600.0 +
                           static_cast<double>(Arg_Round(args[1])) * 60.0 + static_cast<double>(Arg_Round(args[2]));
    Value_SetReal(*result, (seconds + 0.5) / kSecondsPerDay);
}

// Every argument a real with no fractional part.
bool WholeNumbers(int32_t argc, const Value* args)
{
    for (int32_t i = 0; i < argc; ++i) {
        if (!Arg_IsReal(args[i]) || !std::isfinite(args[i].real) || std::trunc(args[i].real) != args[i].real) {
            return false;
        }
    }
    return true;
}

bool ValidDate(double year, double month, double day)
{
    if (year < 0 || year > static_cast<double>(kLatestYear) || month < 1 || month > 12 || day < 1) return false;
    return day <= Date_DaysInMonth(static_cast<int64_t>(year), static_cast<int32_t>(month));
}

bool ValidTime(double hour, double minute, double second)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

BW_BUILTIN(DateValidDatetime)
{
    Result_SetBool(result, argc == 6 && WholeNumbers(argc, args) && ValidDate(args[0].real, args[1].real, args[2].real) &&
                               ValidTime(args[3].real, args[4].real, args[5].real));
}

BW_BUILTIN(DateValidDate)
{
    Result_SetBool(result, argc == 3 && WholeNumbers(argc, args) && ValidDate(args[0].real, args[1].real, args[2].real));
}

BW_BUILTIN(DateValidTime)
{
    Result_SetBool(result, argc == 3 && WholeNumbers(argc, args) && ValidTime(args[0].real, args[1].real, args[2].real));
}

// The step stays a real: however large, it is taken whole.
template <DateField field, int32_t multiple>
BW_BUILTIN(DateIncrement)
{
    Value_SetReal(*result, Date_Increment(args[0].real, field, std::nearbyint(args[1].real) * multiple));
}

BW_BUILTIN(DateIncDay)
{
    Value_SetReal(*result, Date_Increment(args[0].real, DateField::Day, std::trunc(args[1].real)));
}

// ---- fields ----

template <int32_t (*read)(const std::tm&)>
BW_BUILTIN(DateGet)
{
    Value_SetReal(*result, read(Date_LocalFields(args[0].real)));
}

int64_t YearOf(const std::tm& t) { return int64_t{t.tm_year} + 1900; }
int32_t Year(const std::tm& t) { return t.tm_year + 1900; }
int32_t Month(const std::tm& t) { return t.tm_mon + 1; }
int32_t Week(const std::tm& t) { return t.tm_yday / 7; }
int32_t Day(const std::tm& t) { return t.tm_mday; }
int32_t Hour(const std::tm& t) { return t.tm_hour; }
int32_t Minute(const std::tm& t) { return t.tm_min; }
int32_t Second(const std::tm& t) { return t.tm_sec; }
int32_t Weekday(const std::tm& t) { return t.tm_wday; }
int32_t DayOfYear(const std::tm& t) { return Date_DaysBeforeMonth(YearOf(t), Month(t)) + t.tm_mday; }
int32_t DaysInMonth(const std::tm& t) { return Date_DaysInMonth(YearOf(t), Month(t)); }
int32_t DaysInYear(const std::tm& t) { return Date_IsLeapYear(YearOf(t)) ? 366 : 365; }
int32_t LeapYear(const std::tm& t) { return Date_IsLeapYear(YearOf(t)) ? 1 : 0; }

template <int32_t divisor>
BW_BUILTIN(DateIntoYear)
{
    const std::tm t = Date_LocalFields(args[0].real);
    const int64_t seconds = Date_SecondsIntoYear(YearOf(t), Month(t), t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    Value_SetReal(*result, static_cast<double>(seconds / divisor));
}

BW_BUILTIN(DateIsToday)
{
    const std::tm t = Date_LocalFields(args[0].real);
    const std::tm now = Date_LocalFields(Date_Now());
    Result_SetBool(result, t.tm_year == now.tm_year && t.tm_mon == now.tm_mon && t.tm_yday == now.tm_yday);
}

// ---- spans and comparisons ----

// inUnits turns the days between the two moments into the span's unit.
template <double (*inUnits)(double days)>
BW_BUILTIN(DateSpan)
{
    Value_SetReal(*result, inUnits(std::fabs(args[0].real - args[1].real)));
}

double Years(double days) { return days * 0.0027378507871321013; }  // 1 / 365.25
double Months(double days) { return days * 0.03285420944558522; }   // 12 / 365.25
// A division, not a product with 1/7, which rounds differently.
double Weeks(double days) { return days / 7.0; }
double Days(double days) { return days; }
double Hours(double days) { return days * 24.0; }
double Minutes(double days) { return days * 1440.0; }
double Seconds(double days) { return days * 86400.0; }

void SetComparison(Value* result, double a, double b)
{
    Value_SetReal(*result, a < b ? -1.0 : (a > b ? 1.0 : 0.0));
}

double TimeOfDay(double value)
{
    double whole = 0.0;
    return std::modf(value, &whole);
}

BW_BUILTIN(DateCompareDatetime)
{
    SetComparison(result, args[0].real, args[1].real);
}

BW_BUILTIN(DateCompareDate)
{
    SetComparison(result, std::trunc(args[0].real), std::trunc(args[1].real));
}

BW_BUILTIN(DateCompareTime)
{
    SetComparison(result, TimeOfDay(args[0].real), TimeOfDay(args[1].real));
}

BW_BUILTIN(DateDateOf)
{
    Value_SetReal(*result, Arg_Trunc(args[0]));
}

BW_BUILTIN(DateTimeOf)
{
    Value_SetReal(*result, TimeOfDay(args[0].real));
}

// ---- texts ----

template <const char* format>
BW_BUILTIN(DateString)
{
    Result_SetString(result, Date_Format(args[0].real, format).c_str());
}

constexpr char kDatetimeFormat[] = "%d/%m/%Y %H:%M:%S";
constexpr char kDateFormat[] = "%d/%m/%Y";
constexpr char kTimeFormat[] = "%H:%M:%S";

const BuiltinRegistration kDateBuiltins[] = {
    {"date_current_datetime", DateCurrent, 0},
    {"date_current_date", DateCurrent, 0},
    {"date_current_time", DateCurrent, 0},
    {"date_create_datetime", DateCreateDatetime, 6},
    {"date_create_date", DateCreateDate, 3},
    {"date_create_time", DateCreateTime, 3},
    {"date_valid_datetime", DateValidDatetime, 6},
    {"date_valid_date", DateValidDate, 3},
    {"date_valid_time", DateValidTime, 3},
    {"date_inc_year", DateIncrement<DateField::Year, 1>, 2},
    {"date_inc_month", DateIncrement<DateField::Month, 1>, 2},
    {"date_inc_week", DateIncrement<DateField::Day, 7>, 2},
    {"date_inc_day", DateIncDay, 2},
    {"date_inc_hour", DateIncrement<DateField::Hour, 1>, 2},
    {"date_inc_minute", DateIncrement<DateField::Minute, 1>, 2},
    {"date_inc_second", DateIncrement<DateField::Second, 1>, 2},
    {"date_get_year", DateGet<Year>, 1},
    {"date_get_month", DateGet<Month>, 1},
    {"date_get_week", DateGet<Week>, 1},
    {"date_get_day", DateGet<Day>, 1},
    {"date_get_hour", DateGet<Hour>, 1},
    {"date_get_minute", DateGet<Minute>, 1},
    {"date_get_second", DateGet<Second>, 1},
    {"date_get_weekday", DateGet<Weekday>, 1},
    {"date_get_day_of_year", DateGet<DayOfYear>, 1},
    {"date_get_hour_of_year", DateIntoYear<3600>, 1},
    {"date_get_minute_of_year", DateIntoYear<60>, 1},
    {"date_get_second_of_year", DateIntoYear<1>, 1},
    {"date_year_span", DateSpan<&Years>, 2},
    {"date_month_span", DateSpan<&Months>, 2},
    {"date_week_span", DateSpan<&Weeks>, 2},
    {"date_day_span", DateSpan<&Days>, 2},
    {"date_hour_span", DateSpan<&Hours>, 2},
    {"date_minute_span", DateSpan<&Minutes>, 2},
    {"date_second_span", DateSpan<&Seconds>, 2},
    {"date_compare_datetime", DateCompareDatetime, 2},
    {"date_compare_date", DateCompareDate, 2},
    {"date_compare_time", DateCompareTime, 2},
    {"date_date_of", DateDateOf, 1},
    {"date_time_of", DateTimeOf, 1},
    {"date_datetime_string", DateString<kDatetimeFormat>, 1},
    {"date_date_string", DateString<kDateFormat>, 1},
    {"date_time_string", DateString<kTimeFormat>, 1},
    {"date_days_in_month", DateGet<DaysInMonth>, 1},
    {"date_days_in_year", DateGet<DaysInYear>, 1},
    {"date_leap_year", DateGet<LeapYear>, 1},
    {"date_is_today", DateIsToday, 1},
};

}  // namespace

void Function_Date_Register()
{
    Builtins_Register(kDateBuiltins);
}

}  // namespace bw
