// The holiday templates a new installation starts from (src/resources/first.ini
// and Yasumi.dat), read the way the program reads them, against the official
// list and, for the years it does not reach, the law.

#include "../../tools/holidays/HolidayLaw.h"

#include "calendar/CalendarState.h"
#include "calendar/Holidays.h"
#include "core/Clock.h"
#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "core/UserFeedback.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Day number -> holiday name.
using holidaylaw::DayNames;
using holidaylaw::inYears;
using holidaylaw::lawDays;

constexpr int kFirstYear = 1955;
constexpr int kLastOfficialYear = 2027;
constexpr int kLastYear = 2100;

const fs::path kDataDir = VELMORA_TEST_DATA_DIR;

int dayOf(std::string text) {
    std::replace(text.begin(), text.end(), '-', '/');
    const auto d = parseDate(text);
    EXPECT_TRUE(d) << text;
    return d ? d->dayNumber() : 0;
}

// The official list, substitutes and days between holidays under the names
// the calendar gives them.
const DayNames& officialList() {
    static const DayNames days = [] {
        DayNames out;
        const std::string text = test::readBytes(kDataDir / "calendar" / "jp_holidays.csv");
        for (std::size_t at = text.find('\n') + 1; at < text.size();) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            std::string row = text.substr(at, end - at);
            at = end + 1;
            if (!row.empty() && row.back() == '\r') {
                row.pop_back();
            }
            const auto c1 = row.find(',');
            const auto c2 = row.rfind(',');
            const std::string kind = row.substr(c2 + 1);
            out[dayOf(row.substr(0, c1))] = kind == "振替休日"     ? kSubstituteHoliday
                                            : kind == "国民の休日" ? kNationalHoliday
                                                                   : row.substr(c1 + 1, c2 - c1 - 1);
        }
        return out;
    }();
    return days;
}

// Every date on which the two differ, one line each.
std::string differences(const DayNames& got, const DayNames& want) {
    std::map<int, std::pair<std::string, std::string>> both;
    for (const auto& [n, name] : got) {
        both[n].first = name;
    }
    for (const auto& [n, name] : want) {
        both[n].second = name;
    }
    std::string out;
    for (const auto& [n, names] : both) {
        if (names.first != names.second) {
            out += formatDate(DateValue::fromDayNumber(n)) + ": \"" + names.first + "\", expected \"" + names.second +
                   "\"\n";
        }
    }
    return out;
}

// A new program folder holding the committed templates: the settings as
// first.ini has them, and the schedule file the store seeds from Yasumi.dat.
struct Installation {
    Installation() : clock(*parseDateTime("2026/01/05 09:00:00")), store(dir.dir(), "PC-A", clock, feedback) {
        for (const char* name : {"first.ini", "Yasumi.dat"}) {
            fs::copy_file(kDataDir / ".." / ".." / "src" / "resources" / name, dir.path() / name);
        }
        ProfileFile ini(dir.file("first.ini"));
        EXPECT_EQ(ini.load(), ReadOutcome::Read);
        settings.readStartup(ini, StartupReadContext{dir.dir(), {}, nullptr}, [](const std::string&) { return false; });
        settings.load(ini);
        store.setPath(dir.file("Schedule.dat"));
        store.load();
    }

    // What the one-month calendar shows as holidays, month by month.
    DayNames calendarDays() const {
        Settings oneMonth = settings;
        oneMonth.calenFlag = 0;
        HolidayCalendar calendar(oneMonth.holidayList);
        const HolidaySources sources = holidaySourcesOf(store);
        DayNames out;
        for (int year = kFirstYear; year <= kLastYear; ++year) {
            for (int month = 1; month <= 12; ++month) {
                const DateValue first = *DateValue::fromDate(year, month, 1);
                calendar.computeHolidays(oneMonth, first, sources);
                for (int day = 0; day < daysInMonth(year, month); ++day) {
                    if (std::string name = calendar.lookup(first.addDays(day)); !name.empty()) {
                        out[first.dayNumber() + day] = std::move(name);
                    }
                }
            }
        }
        return out;
    }

    test::TempDir dir;
    FixedClock clock;
    SilentFeedback feedback;
    Settings settings;
    ScheduleStore store;
};

// The calendar over every year, once for all the tests below.
const Installation& installation() {
    static const Installation in;
    return in;
}

const DayNames& calendar() {
    static const DayNames days = installation().calendarDays();
    return days;
}

TEST(HolidayTemplates, OfficialListIsReadWhole) {
    const DayNames& list = officialList();
    ASSERT_EQ(list.size(), 1067u);
    EXPECT_EQ(list.begin()->first, dayOf("1955-01-01"));
    EXPECT_EQ(list.rbegin()->second, "勤労感謝の日");
    EXPECT_EQ(list.at(dayOf("2019-05-02")), kNationalHoliday);
    EXPECT_EQ(list.at(dayOf("2021-08-09")), kSubstituteHoliday);
}

TEST(HolidayTemplates, OfficialYearsMatchTheOfficialList) {
    EXPECT_EQ(differences(inYears(calendar(), kFirstYear, kLastOfficialYear), officialList()), "");
}

TEST(HolidayTemplates, LaterYearsFollowTheLaw) {
    const DayNames law = lawDays(kLastOfficialYear + 1, kLastYear);
    // Sixteen named holidays a year since 2020, before any substitute.
    ASSERT_GE(law.size(), 16u * (kLastYear - kLastOfficialYear));
    EXPECT_EQ(differences(inYears(calendar(), kLastOfficialYear + 1, kLastYear), law), "");
}

TEST(HolidayLaw, MatchesTheOfficialList) {
    EXPECT_EQ(differences(lawDays(kFirstYear, kLastOfficialYear), officialList()), "");
}

TEST(HolidayTemplates, NamedCases) {
    // The 1995 substitute comes from the fixed-date list, not from an entry.
    EXPECT_EQ(installation().settings.holidayList.value("01/15"), "成人の日");
    EXPECT_FALSE(installation().store.section(ScheduleSection::HolidayOpt).contains("YEAR01/15-00"));
    EXPECT_TRUE(installation().settings.furikae);

    const struct {
        const char* date;
        const char* name;
    } cases[] = {
        {"1995/01/15", "成人の日"},
        {"1995/01/16", "振替休日"},
        {"2009/09/22", "国民の休日"},
        {"2015/09/22", "国民の休日"},
        {"2024/03/20", "春分の日"},
        {"2024/03/21", ""},
        {"2008/05/06", "振替休日"},
        {"2025/05/06", "振替休日"},
        {"2019/05/01", "休日（祝日扱い）"},
        // Sunday holidays before the law of 1973-04-12 gave no day off.
        {"1967/01/16", ""},
        {"1968/09/16", ""},
        {"1971/03/22", ""},
        {"1973/02/12", ""},
        {"1973/04/30", "振替休日"}, // the first one after it
        {"2100/03/20", "春分の日"},
        {"2100/09/23", "秋分の日"},
    };
    for (const auto& c : cases) {
        const auto it = calendar().find(dayOf(c.date));
        EXPECT_EQ(it == calendar().end() ? std::string() : it->second, c.name) << c.date;
    }
}

} // namespace
} // namespace velmora
