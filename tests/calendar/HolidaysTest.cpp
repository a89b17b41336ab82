// Rules of the holiday engine that the holiday templates do not exercise.

#include "calendar/Holidays.h"
#include "calendar/DayWindow.h"

#include "core/DateText.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

struct Case {
    const char* what;
    // "SECTION name=value": HOLIDAY (the fixed list), HOLIDAYOPT, FROMTO or WEEK.
    std::vector<std::string> lines;
    bool furikae;
    const char* displayed; // the first of the displayed month
    std::vector<std::pair<const char*, const char*>> expected;
};

const Case kCases[] = {
    {"Furikae on gives the Monday", {"HOLIDAY 01/01=元日"}, true, "2023/01/01", {{"2023/01/02", "振替休日"}}},
    {"Furikae off gives no substitute",
     {"HOLIDAY 01/01=元日"},
     false,
     "2023/01/01",
     {{"2023/01/01", "元日"}, {"2023/01/02", ""}}},
    {"Furikae off keeps the day between holidays",
     {},
     false,
     "2009/09/01",
     {{"2009/09/22", "国民の休日"}, {"2009/09/23", "秋分の日"}}},
    {"a fixed Monday after a fixed Sunday leaves no substitute",
     {"HOLIDAY 05/03=憲法記念日", "HOLIDAY 05/04=みどりの日"},
     true,
     "2009/05/01",
     {{"2009/05/04", "みどりの日"}, {"2009/05/05", ""}}},
    {"a weekly rule for the second Monday of January, one year around",
     {"HOLIDAYOPT WEEK2-00=成人の日", "WEEK WEEK2-00OPT=0,1,0,0,0,100000000000"},
     true,
     "2024/01/01",
     {{"2023/01/09", "成人の日"},
      {"2024/01/08", "成人の日"},
      {"2025/01/13", "成人の日"},
      {"2024/01/01", ""},
      {"2024/01/15", ""},
      {"2024/02/12", ""},
      {"2022/01/10", ""},
      {"2026/01/12", ""}}},
    {"YEAR02/29 only in leap years",
     {"HOLIDAYOPT YEAR02/29-00=閏日"},
     true,
     "2024/02/01",
     {{"2024/02/29", "閏日"}, {"2023/03/01", ""}, {"2024/03/01", ""}, {"2025/03/01", ""}}},
    {"MONTH31 only in long months",
     {"HOLIDAYOPT MONTH31-00=月末"},
     true,
     "2024/05/01",
     {{"2024/05/31", "月末"}, {"2024/01/31", "月末"}, {"2024/04/30", ""}, {"2024/05/01", ""}, {"2024/07/01", ""}}},
    {"the last equinox year", {}, true, "2099/03/01", {{"2099/03/20", "春分の日"}}},
    {"no equinox for 2100", {}, true, "2100/03/01", {{"2100/03/20", ""}, {"2100/03/21", ""}}},
    {"no autumn equinox for 2100", {}, true, "2100/09/01", {{"2100/09/22", ""}, {"2100/09/23", ""}}},
    {"the first equinox year", {}, true, "1900/03/01", {{"1900/03/21", "春分の日"}}},
    {"no equinox before 1900", {}, true, "1899/03/01", {{"1899/03/20", ""}, {"1899/03/21", ""}}},
    {"March shows the spring equinox", {}, true, "2024/03/01", {{"2024/03/20", "春分の日"}}},
    {"April computes no equinox", {}, true, "2024/04/01", {{"2024/03/20", ""}}},
    {"no day between holidays in September before 2003",
     {"HOLIDAYOPT WEEK2-00=敬老の日", "WEEK WEEK2-00OPT=0,0,1,0,0,000000001000"},
     true,
     "1998/09/01",
     {{"1998/09/21", "敬老の日"}, {"1998/09/22", ""}, {"1998/09/23", "秋分の日"}}},
    {"the day between holidays from 2003",
     {"HOLIDAYOPT WEEK2-00=敬老の日", "WEEK WEEK2-00OPT=0,0,1,0,0,000000001000"},
     true,
     "2009/09/01",
     {{"2009/09/21", "敬老の日"}, {"2009/09/22", "国民の休日"}}},
    {"FROMTO with an open start and an open end",
     {"HOLIDAYOPT YEAR05/04-00=国民の休日", "HOLIDAYOPT YEAR05/04-01=みどりの日",
      "FROMTO YEAR05/04-00=____/__/__-2006/12/31", "FROMTO YEAR05/04-01=2007/01/01-____/__/__"},
     true,
     "2006/05/01",
     {{"2005/05/04", "国民の休日"}, {"2006/05/04", "国民の休日"}, {"2007/05/04", "みどりの日"}}},
    {"FROMTO drops the days outside",
     {"HOLIDAYOPT YEAR05/04-00=国民の休日", "FROMTO YEAR05/04-00=1988/01/01-2006/12/31"},
     true,
     "1988/05/01",
     {{"1987/05/04", ""}, {"1988/05/04", "国民の休日"}, {"1989/05/04", "国民の休日"}}},
};

TEST(HolidayCalendar, EngineRules) {
    for (const Case& c : kCases) {
        std::map<std::string, NameValueList> sections;
        for (const std::string& l : c.lines) {
            sections[l.substr(0, l.find(' '))].appendLine(l.substr(l.find(' ') + 1));
        }
        Settings settings;
        settings.calenFlag = 0;
        settings.furikae = c.furikae;
        HolidayCalendar calendar(sections["HOLIDAY"]);
        calendar.computeHolidays(settings, *parseDate(c.displayed),
                                 HolidaySources{sections["HOLIDAYOPT"], sections["FROMTO"], sections["WEEK"]});
        for (const auto& [date, name] : c.expected) {
            EXPECT_EQ(calendar.lookup(*parseDate(date)), name) << c.what << ": " << date;
        }
    }
}

TEST(HolidayCalendar, NoSubstituteWhenTheMondayIsFixed) {
    // The Monday keeps its own name and nothing is computed for it or the Tuesday.
    HolidayCalendar calendar{NameValueList({"05/03=憲法記念日", "05/04=みどりの日"})};
    const NameValueList none;
    calendar.computeHolidays(Settings{}, *parseDate("2009/05/01"), HolidaySources{none, none, none});
    EXPECT_EQ(calendar.computed().count(parseDate("2009/05/04")->dayNumber()), 0u);
    EXPECT_EQ(calendar.computed().count(parseDate("2009/05/05")->dayNumber()), 0u);

    // A Sunday fixed holiday with a free Monday does compute one.
    HolidayCalendar single{NameValueList({"05/03=憲法記念日"})};
    single.computeHolidays(Settings{}, *parseDate("2009/05/01"), HolidaySources{none, none, none});
    EXPECT_EQ(single.computed().at(parseDate("2009/05/04")->dayNumber()), kSubstituteHoliday);
}

} // namespace
} // namespace velmora

// Reminders and the command-line tool hand the days' window the settings as
// the file held them: absurd block counts overflowed there.
TEST(HolidayCalendar, TheDayWindowHoldsAbsurdBlockSettings) {
    for (const int value : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        velmora::Settings s;
        s.calenFlag = 1;
        s.yDrawCol = value;
        s.yDrawRow = value;
        s.yDrawPos = value;
        const velmora::DateValue month = *velmora::DateValue::fromDate(2026, 12, 1);
        const velmora::DaySpan span = velmora::dayWindow(s, month);
        EXPECT_LE(span.first.dayNumber(), month.dayNumber()) << value;
        EXPECT_LE(span.last.dayNumber() - span.first.dayNumber(), 12 * 12 * 31 + 20) << value;
    }
}
