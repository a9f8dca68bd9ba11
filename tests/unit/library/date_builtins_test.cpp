#include "library/date_builtins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "support/scratch_folder.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::ScriptValue;

// Dates in one time zone, set for the test and restored after it.
class DateZone {
public:
    explicit DateZone(const char* zone) : m_zone("TZ", zone) { tzset(); }
    ~DateZone() { tzset(); }

private:
    test::ScopedEnv m_zone;
};

class DateBuiltinsTest : public test::LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        int32_t id = -1;
        if (!Code_Function_Find("date_create_date", &id)) Function_Date_Register();
    }
    static double Real(const char* name, const std::vector<ScriptValue>& args) { return CallBuiltin(name, args).Real(); }
    static std::string Text(const char* name, const std::vector<ScriptValue>& args)
    {
        return CallBuiltin(name, args).Text();
    }
    static double Date(double year, double month, double day) { return Real("date_create_date", {year, month, day}); }
    static double DateTime(double year, double month, double day, double hour, double minute, double second)
    {
        return Real("date_create_datetime", {year, month, day, hour, minute, second});
    }
};

class UtcDateTest : public DateBuiltinsTest {
    DateZone m_zone{"UTC"};
};

TEST_F(UtcDateTest, ValidityFollowsTheCalendar)
{
    struct Case {
        const char* name;
        std::vector<ScriptValue> args;
        double valid;
    };
    const std::vector<Case> cases = {
        {"date_valid_date", {2000.0, 2.0, 29.0}, 1},       {"date_valid_date", {1900.0, 2.0, 29.0}, 0},
        {"date_valid_date", {2024.0, 2.0, 29.0}, 1},       {"date_valid_date", {2023.0, 4.0, 31.0}, 0},
        {"date_valid_date", {2000.0, 2.5, 1.0}, 0},        {"date_valid_date", {2000.0, 13.0, 1.0}, 0},
        {"date_valid_date", {-1.0, 1.0, 1.0}, 0},          {"date_valid_date", {2000.0, "1", 1.0}, 0},
        {"date_valid_time", {24.0, 0.0, 0.0}, 0},          {"date_valid_time", {23.0, 59.0, 59.0}, 1},
        {"date_valid_time", {0.0, -1.0, 0.0}, 0},          {"date_valid_datetime", {2020.0, 12.0, 31.0, 23.0, 59.0, 59.0}, 1},
        {"date_valid_datetime", {2020.0, 12.0, 32.0, 0.0, 0.0, 0.0}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Real(c.name, c.args), c.valid) << c.name << " " << c.args[0].Real();
}

TEST_F(UtcDateTest, FieldsComeBackFromTheMomentsTheyMake)
{
    const double moment = DateTime(2024, 2, 29, 13, 45, 30);
    EXPECT_EQ(Real("date_get_year", {moment}), 2024);
    EXPECT_EQ(Real("date_get_month", {moment}), 2);
    EXPECT_EQ(Real("date_get_day", {moment}), 29);
    EXPECT_EQ(Real("date_get_hour", {moment}), 13);
    EXPECT_EQ(Real("date_get_minute", {moment}), 45);
    EXPECT_EQ(Real("date_get_second", {moment}), 30);
    EXPECT_EQ(Real("date_get_weekday", {Date(2024, 1, 7)}), 0);
    EXPECT_EQ(Real("date_get_day_of_year", {Date(2023, 1, 1)}), 1);
    EXPECT_EQ(Real("date_get_day_of_year", {Date(2024, 12, 31)}), 366);
    EXPECT_EQ(Real("date_get_week", {Date(2024, 1, 8)}), 1);
    EXPECT_EQ(Real("date_get_hour_of_year", {DateTime(2023, 1, 2, 1, 0, 0)}), 25);
    EXPECT_EQ(Real("date_get_second_of_year", {DateTime(2023, 1, 1, 0, 1, 5)}), 65);
    EXPECT_EQ(Real("date_days_in_month", {Date(2024, 2, 10)}), 29);
    EXPECT_EQ(Real("date_days_in_year", {Date(1900, 6, 1)}), 365);
    EXPECT_EQ(Real("date_leap_year", {Date(2000, 6, 1)}), 1);
    EXPECT_EQ(Date(1970, 1, 1), 25569.0 + 0.5 / 86400.0);
}

TEST_F(UtcDateTest, DatesBefore1970Work)
{
    const double moment = DateTime(1950, 6, 15, 12, 30, 45);
    EXPECT_LT(moment, 25569.0);
    EXPECT_EQ(Text("date_datetime_string", {moment}), "15/06/1950 12:30:45");
    EXPECT_EQ(Real("date_get_second", {moment}), 45);
    EXPECT_EQ(Text("date_date_string", {Real("date_inc_day", {moment, -1.9})}), "14/06/1950");
}

TEST_F(UtcDateTest, StepsNormaliseOverflowingFields)
{
    EXPECT_EQ(Text("date_date_string", {Real("date_inc_month", {Date(2023, 1, 31), 1.0})}), "03/03/2023");
    EXPECT_EQ(Text("date_date_string", {Real("date_inc_month", {Date(2024, 1, 31), 1.0})}), "02/03/2024");
    EXPECT_EQ(Text("date_date_string", {Real("date_inc_year", {Date(2024, 2, 29), 1.0})}), "01/03/2025");
    EXPECT_EQ(Text("date_date_string", {Real("date_inc_week", {Date(2023, 12, 28), 1.0})}), "04/01/2024");
    EXPECT_EQ(Text("date_time_string", {Real("date_inc_second", {DateTime(2023, 1, 1, 23, 59, 59), 2.0})}),
              "00:00:01");
    // Fields beyond any calendar give an answer, never wrap; a step past
    // the calendar's reach, or no number at all, leaves the moment as it is.
    EXPECT_TRUE(std::isfinite(DateTime(NAN, NAN, -1e300, 1e300, 0, 0)));
    for (const char* step : {"date_inc_year", "date_inc_month", "date_inc_day", "date_inc_hour"}) {
        for (const double far : {1e300, -1e300, double{NAN}}) {
            EXPECT_EQ(Real(step, {Date(2023, 1, 1), far}), Date(2023, 1, 1)) << step << " " << far;
        }
    }
}

TEST_F(UtcDateTest, SpansAndComparisonsMeasureTheDistance)
{
    const double morning = DateTime(2023, 5, 1, 8, 0, 0);
    const double evening = DateTime(2023, 5, 1, 20, 0, 0);
    const double nextYear = DateTime(2024, 5, 1, 8, 0, 0);
    EXPECT_EQ(Real("date_day_span", {morning, nextYear}), Real("date_day_span", {nextYear, morning}));
    EXPECT_DOUBLE_EQ(Real("date_day_span", {morning, nextYear}), 366.0);
    EXPECT_DOUBLE_EQ(Real("date_hour_span", {morning, evening}), 12.0);
    EXPECT_DOUBLE_EQ(Real("date_week_span", {morning, nextYear}), 366.0 / 7.0);
    EXPECT_DOUBLE_EQ(Real("date_year_span", {morning, nextYear}), 366.0 / 365.25);
    EXPECT_EQ(Real("date_compare_date", {morning, evening}), 0);
    EXPECT_EQ(Real("date_compare_datetime", {morning, evening}), -1);
    EXPECT_EQ(Real("date_compare_datetime", {evening, morning}), 1);
    EXPECT_EQ(Real("date_compare_time", {evening, nextYear}), 1);
    EXPECT_EQ(Real("date_date_of", {evening}), Real("date_date_of", {morning}));
    EXPECT_NEAR(Real("date_time_of", {evening}), (20 * 3600 + 0.5) / 86400.0, 1e-9);
}

TEST_F(UtcDateTest, TimesAreFractionsOfADay)
{
    const double time = Real("date_create_time", {10.0, 30.0, 0.0});
    EXPECT_DOUBLE_EQ(time, (10.5 * 3600 + 0.5) / 86400.0);
    EXPECT_EQ(Text("date_time_string", {time}), "10:30:00");
    EXPECT_EQ(Real("date_compare_time", {time, DateTime(2023, 7, 7, 10, 30, 1)}), -1);
    EXPECT_EQ(Real("date_compare_time", {time, DateTime(2023, 7, 7, 10, 29, 59)}), 1);
}

TEST_F(UtcDateTest, TextsAndTodayUseTheLocalFields)
{
    EXPECT_EQ(Text("date_date_string", {Date(2013, 3, 1)}), "01/03/2013");
    EXPECT_EQ(Text("date_datetime_string", {DateTime(2013, 3, 1, 9, 5, 7)}), "01/03/2013 09:05:07");
    const double now = Real("date_current_datetime", {});
    EXPECT_EQ(Real("date_is_today", {now}), 1);
    EXPECT_EQ(Real("date_is_today", {now - 1.0}), 0);
    EXPECT_NEAR(Real("date_current_date", {}), now, 2.0 / 86400.0);
}

class DaylightDateTest : public DateBuiltinsTest {
    // Central Europe: daylight saving from the last Sunday of March to the
    // last Sunday of October; a POSIX rule, so no zone database is needed.
    DateZone m_zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
};

TEST_F(DaylightDateTest, LocalFieldsFollowDaylightSaving)
{
    const double winter = DateTime(2024, 1, 1, 12, 0, 0);
    const double summer = DateTime(2024, 7, 1, 12, 0, 0);
    EXPECT_EQ(Real("date_get_hour", {summer}), 12);
    EXPECT_EQ(Text("date_datetime_string", {summer}), "01/07/2024 12:00:00");
    EXPECT_NEAR(Real("date_hour_span", {winter, summer}), 182 * 24 - 1, 1e-6);
    EXPECT_EQ(Real("date_get_day_of_year", {summer}), 183);
}

TEST_F(DaylightDateTest, StepsCountInUniversalTime)
{
    const double before = DateTime(2024, 3, 30, 12, 0, 0);
    const double after = Real("date_inc_day", {before, 1.0});
    EXPECT_DOUBLE_EQ(Real("date_day_span", {before, after}), 1.0);
    EXPECT_EQ(Real("date_get_hour", {after}), 13);
    EXPECT_EQ(Text("date_date_string", {after}), "31/03/2024");
}

}  // namespace
}  // namespace bw
