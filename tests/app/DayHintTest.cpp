// The day hint: the pointer rests on a day of the calendar, a balloon lists the day's entries.
#include "editor/DayHint.h"
#include "app/HubTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::test::HubFixture;

namespace {

using Lines = std::vector<std::string>;

// A hub on Wednesday 2026/05/13 whose calendar is on the desktop, with a
// few entries on the 13th: two drawn, one not drawn ("-" colour), one a
// holiday's name; and on the 20th only a holiday's name.
struct Hinted : HubFixture {
    explicit Hinted(const std::string& system = "QV=1\r\n") {
        std::filesystem::create_directories(home.file("Schedule"));
        test::writeBytes(home.file("Schedule/Schedule.dat"),
                         test::cp932("[DAY]\r\n2026/05/13=\"会議 \",\"下書き \",\"創立記念日 \",\"歯医者 \"\r\n"
                                     "2026/05/20=\"開校記念日 \"\r\n"
                                     "[COLOROPT]\r\n2026/05/13-01=-255\r\n"
                                     "[HOLIDAYOPT]\r\n2026/05/13-02=創立記念日\r\n2026/05/20-00=開校記念日\r\n"));
        settings(system);
        start();
        runRedraw();
        windows.calls.clear();
    }
    const DrawState& s() const { return hub.drawState(); }
    // The middle of a day's cell in the one-month calendar.
    int xOf(DateValue d) const {
        const int i = d.dayNumber() - s().gridStart.dayNumber();
        return s().margins.left + 10 + s().cellWidth * (i % 7) + s().cellWidth / 2;
    }
    int yOf(DateValue d) const {
        const int i = d.dayNumber() - s().gridStart.dayNumber();
        return s().titleHeight + s().margins.top + 10 + s().cellHeight * (i / 7) + s().cellHeight / 2;
    }
    // The pointer comes to (x, y) and rests there.
    void restAt(int x, int y, bool inWindow = false) {
        hub.pointerMoved(x, y, inWindow);
        hub.pointerRested();
    }
    DateValue day(int d) const { return *DateValue::fromDate(2026, 5, d); }
};

} // namespace

TEST(DayHint, ARestOnADayListsItsEntriesAsTheCellDoes) {
    Hinted f;
    ASSERT_GT(f.s().cellWidth, 0);
    const int x = f.xOf(f.day(13));
    const int y = f.yOf(f.day(13));
    EXPECT_TRUE(f.hub.pointerMoved(x, y, false));
    EXPECT_TRUE(f.windows.calls.empty()) << "nothing before the pointer rests";
    f.hub.pointerRested();
    // The holiday's name under the date; the undrawn entry not at all.
    EXPECT_EQ(f.windows.hint, (Lines{"2026/05/13（水）の予定", "創立記念日", "会議", "歯医者"}));
    EXPECT_EQ(f.windows.calls, (Lines{"hint " + std::to_string(x) + "," + std::to_string(y)}));
    EXPECT_TRUE(f.hub.dayHintShown());
    f.hub.pointerRested();
    EXPECT_EQ(f.windows.calls.size(), 1u) << "a rest goes on: the hint is not shown again";
}

TEST(DayHint, AHolidayWithoutEntriesSaysSo) {
    Hinted f;
    // The holiday's name is the day's name, not one of its entries.
    f.restAt(f.xOf(f.day(20)), f.yOf(f.day(20)));
    EXPECT_EQ(f.windows.hint, (Lines{"2026/05/20（水）には", "開校記念日", "予定はありません"}));
}

TEST(DayHint, EntriesDrawnAsMarksAreListedInWords) {
    Hinted f("QV=1\r\nSchDisp=1\r\n");
    f.restAt(f.xOf(f.day(13)), f.yOf(f.day(13)));
    EXPECT_EQ(f.windows.hint, (Lines{"2026/05/13（水）の予定", "創立記念日", "会議", "歯医者"}));
}

TEST(DayHint, AMoveHidesItButATrembleDoesNot) {
    Hinted f;
    const int x = f.xOf(f.day(13));
    const int y = f.yOf(f.day(13));
    f.restAt(x, y);
    ASSERT_TRUE(f.hub.dayHintShown());
    EXPECT_FALSE(f.hub.pointerMoved(x + 5, y - 5, false)) << "5 pixels is no move";
    EXPECT_TRUE(f.hub.dayHintShown());
    EXPECT_TRUE(f.hub.pointerMoved(x + 6, y, false));
    EXPECT_FALSE(f.hub.dayHintShown());
    EXPECT_EQ(f.windows.calls.back(), "hint off");
    EXPECT_TRUE(f.windows.hint.empty());
    // The next rest shows it again, for the day now under the pointer.
    f.restAt(f.xOf(f.day(14)), f.yOf(f.day(14)));
    EXPECT_EQ(f.windows.hint, (Lines{"2026/05/14（木）には", "予定はありません"}));
    // A click acts on the day: the hint goes first.
    f.hub.paintBoxClick(f.xOf(f.day(14)), f.yOf(f.day(14)), false);
    EXPECT_FALSE(f.hub.dayHintShown());
    EXPECT_EQ(f.windows.calls[f.windows.calls.size() - 2], "hint off");
    EXPECT_EQ(f.windows.calls.back(), "day 2026/05/14");
}

TEST(DayHint, NoHintWithoutQuickViewOffADayOrUnderAWindow) {
    {
        Hinted f("QV=0\r\n");
        f.restAt(f.xOf(f.day(13)), f.yOf(f.day(13)));
        EXPECT_TRUE(f.windows.calls.empty()) << "quick view off";
        EXPECT_FALSE(f.hub.wantsPointer()) << "and the desktop's moves are not wanted";
    }
    Hinted f;
    EXPECT_TRUE(f.hub.wantsPointer());
    f.hub.pointerRested();
    EXPECT_TRUE(f.windows.calls.empty()) << "no point seen yet";
    f.restAt(f.s().margins.left + 20, f.s().margins.top + f.s().titleHeight / 2);
    EXPECT_TRUE(f.windows.calls.empty()) << "the title line";
    f.restAt(f.xOf(f.day(13)), f.yOf(f.day(13)) + 6 * f.s().cellHeight);
    EXPECT_TRUE(f.windows.calls.empty()) << "below the grid";
    f.restAt(640 - f.s().margins.right - 5, f.yOf(f.day(13)));
    EXPECT_TRUE(f.windows.calls.empty()) << "right of the grid";
    f.platform.overDesktop = false;
    f.restAt(f.xOf(f.day(13)), f.yOf(f.day(13)));
    EXPECT_TRUE(f.windows.calls.empty()) << "a window covers the desktop there";
    f.platform.overDesktop = true;
    f.hub.pointerRested();
    EXPECT_FALSE(f.windows.hint.empty()) << "the window went away";
    f.hub.destroy();
    EXPECT_TRUE(f.windows.hint.empty()) << "the end takes the hint along";
}

TEST(DayHint, TheCalendarWindowHearsOnlyItsOwnMoves) {
    Hinted f;
    f.windows.windowShown = true;
    f.hub.calendarWindowShown();
    f.platform.overDesktop = false; // the full-screen window covers the desktop
    const int x = f.xOf(f.day(13));
    const int y = f.yOf(f.day(13));
    EXPECT_FALSE(f.hub.pointerMoved(x, y, false)) << "the desktop's moves come from under the window";
    f.hub.pointerRested();
    EXPECT_TRUE(f.windows.hint.empty());
    f.restAt(x, y, true);
    EXPECT_EQ(f.windows.hint, (Lines{"2026/05/13（水）の予定", "創立記念日", "会議", "歯医者"}));
    f.hub.pointerLeft();
    EXPECT_TRUE(f.windows.hint.empty()) << "the pointer left the window";
    f.hub.pointerRested();
    EXPECT_TRUE(f.windows.hint.empty()) << "and rests elsewhere";
    f.restAt(x, y, true);
    ASSERT_FALSE(f.windows.hint.empty());
    f.windows.windowShown = false;
    f.hub.calendarWindowReturned();
    EXPECT_TRUE(f.windows.hint.empty()) << "the window went back to the desktop";
}

TEST(PointerRest, MovesBeyondFivePixelsEitherWayCount) {
    PointerRest rest;
    EXPECT_FALSE(rest.known());
    EXPECT_TRUE(rest.moveTo(100, 100));
    EXPECT_FALSE(rest.moveTo(95, 105));
    EXPECT_TRUE(rest.moveTo(100, 94));
    EXPECT_EQ(rest.y(), 94) << "a move sets the resting point";
    EXPECT_FALSE(rest.moveTo(104, 99)) << "measured from the resting point, not the last point";
    EXPECT_TRUE(rest.moveTo(106, 94));
    rest.forget();
    EXPECT_TRUE(rest.moveTo(106, 94)) << "after a leave the same point counts again";
}
