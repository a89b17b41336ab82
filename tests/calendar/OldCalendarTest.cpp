#include "calendar/OldCalendar.h"
#include "calendar/DayWindow.h"

#include "core/DateText.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace velmora;

namespace {

const std::vector<LunarMonthStart>& months() {
    static const std::vector<LunarMonthStart> list = buildLunarMonthList();
    return list;
}

std::string oldDay(const char* date) {
    OldCalendarDays days;
    const DateValue d = *parseDate(date);
    days.build(months(), d.startOfMonth());
    const auto found = days.find(d);
    return found ? found->text() : "";
}

} // namespace

TEST(LunarMonthList, OneSortedElementPerMonthStart) {
    const auto& list = months();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front().text(), "1970,0206,1970,101");
    EXPECT_EQ(list[1].text(), "1970,0308,1970,201");
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                               [](const LunarMonthStart& a, const LunarMonthStart& b) { return a.text() < b.text(); }));
    const auto has = [&](const char* text) {
        return std::any_of(list.begin(), list.end(), [&](const LunarMonthStart& m) { return m.text() == text; });
    };
    EXPECT_TRUE(has("1972,0116,1971,1201")) << "month 12 of lunar 1971 lies in the next civil year";
    EXPECT_TRUE(has("2023,0322,2023,202")) << "the leap month after month 2";
    EXPECT_TRUE(has("1971,0623,1971,502"));
    EXPECT_TRUE(has("2033,1222,2033,1102"));
    EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const LunarMonthStart& m) { return m.code % 100 == 2; }), 48);
    EXPECT_EQ(list.size(), 131u * 12 + 48);
}

TEST(OldCalendarDays, DatesRokuyouAndLeapFlags) {
    const struct {
        const char* date;
        const char* expected;
    } rows[] = {
        {"2023/03/22", "02/01,友引,1"}, // first day of the leap month after month 2: (2 + 1) mod 6 = 3
        {"2023/03/21", "02/30,先勝,0"}, // a month 2 with a 30th day
        {"2023/04/20", "03/01,先負,0"},
        {"2024/02/10", "01/01,先勝,0"}, // month 1 always starts on 先勝
        {"2024/08/04", "07/01,先勝,0"}, // and so does month 7
        {"1972/01/16", "12/01,赤口,0"},
        {"1970/04/01", "02/25,友引,0"},
        {"2100/12/30", "11/30,仏滅,0"},
        {"1970/03/08", ""}, // the months before the second table month are unknown
        {"1970/02/28", ""},
        {"2100/12/31", ""}, // the table ends
        {"2101/01/15", ""},
        {"1969/12/31", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(oldDay(row.date), row.expected) << row.date;
    }
}

// New moons a minute or less from JST midnight: the day the new moon falls
// on is day 1, however close to midnight.
TEST(OldCalendarDays, NewMoonsNextToMidnight) {
    const struct {
        const char* date;
        const char* expected;
    } rows[] = {
        // New moon at 00:00:40 JST on the 14th; once dated on the 13th.
        {"2097/01/13", "11/30,仏滅,0"},
        {"2097/01/14", "12/01,赤口,0"},
        {"2097/02/11", "12/29,仏滅,0"},
        {"2097/02/12", "01/01,先勝,0"},
        // New moon at 23:59:35 JST on the 22nd, after leap month 6.
        {"2074/08/21", "06/29,仏滅,1"},
        {"2074/08/22", "07/01,先勝,0"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(oldDay(row.date), row.expected) << row.date;
    }
}

TEST(OldCalendarDays, CoverTheWholeGridOfTheDisplayedMonth) {
    OldCalendarDays days;
    const DateValue march = *parseDate("2023/03/01");
    days.build(months(), march);
    // From the lunar month holding March 1 - 8 days to March 1 + 80 days.
    EXPECT_TRUE(days.find(*parseDate("2023/02/20")));
    EXPECT_TRUE(days.find(march.addDays(80)));
    EXPECT_FALSE(days.find(march.addDays(81)));
    EXPECT_FALSE(days.find(*parseDate("2023/01/21"))) << "before the month that holds the window's start";
}

TEST(DayWindow, OneMonthAndSeveralMonths) {
    Settings s;
    const DateValue june = *parseDate("2026/06/01");
    DaySpan w = dayWindow(s, june);
    EXPECT_EQ(formatDate(w.first), "2026/05/22");
    EXPECT_EQ(formatDate(w.last), "2026/08/20");

    s.calenFlag = 1; // 4 x 4 blocks from January of the displayed year
    DaySpan span = multiMonthSpan(s, june);
    EXPECT_EQ(formatDate(span.first), "2026/01/01");
    EXPECT_EQ(formatDate(span.last), "2027/04/30");
    w = dayWindow(s, june);
    EXPECT_EQ(formatDate(w.first), "2025/12/22");
    EXPECT_EQ(w.last.dayNumber() - span.first.dayNumber(), span.last.dayNumber() - span.first.dayNumber() + 10);

    // The displayed month at block 5 of a row-by-row grid of 3 x 2.
    s.yDrawCol = 3;
    s.yDrawRow = 2;
    s.yDrawPos = 5;
    s.yDrawTate = 0;
    span = multiMonthSpan(s, june); // P = (5 mod 2) * 3 + (5 div 2) mod 3 = 5
    EXPECT_EQ(formatDate(span.first), "2026/01/01");
    EXPECT_EQ(formatDate(span.last), "2026/06/30");
    s.yDrawTate = 1;
    s.yDrawPos = 2;
    EXPECT_EQ(formatDate(multiMonthSpan(s, june).first), "2026/04/01");
}
