// Clicks on the calendar: the desktop's double-clicks and the calendar window's clicks.
#include "app/HubTestSupport.h"

#include <gtest/gtest.h>

#include <utility>

#include <algorithm>

using namespace velmora;
using velmora::test::HubFixture;

namespace {

// A hub on 2026/05/13 whose first calendar is on the desktop.
struct Drawn : HubFixture {
    explicit Drawn(const std::string& system = "WPLink=1\r\n", const std::string& more = {}) {
        settings(system, more);
        start();
        runRedraw();
        platform.calls.clear();
    }
    const DrawState& s() const { return hub.drawState(); }
    // Left of the title, in the title band, clear of the year/month text: "前月へ" / "前年へ".
    int backX() const { return (std::max(s().margins.left + 10, s().yearMonthText.right) + s().titleX) / 2; }
    int titleY() const { return s().margins.top + s().titleHeight / 2; }
};

} // namespace

TEST(PaintBoxClick, TheAreasLeftAndRightOfTheTitlePageThroughMonths) {
    Drawn f;
    ASSERT_GT(f.s().titleX, f.s().margins.left + 20) << "a title with room on its left";
    EXPECT_EQ(f.hub.clickAreaHints()[0], "前月へ");
    f.hub.desktopDoubleClick({f.backX(), f.titleY(), false});
    EXPECT_EQ(formatDate(f.hub.state().displayMonth), "2026/04/01");
    EXPECT_EQ(f.platform.calls, (std::vector<std::string>{"calendar calendar.bmp"}));
    EXPECT_EQ(f.windows.calls.back(), "tray on") << "the tray icon is back after the click";
    EXPECT_TRUE(f.hub.desktopHook()) << "the hook is back for the next click";

    const int forwardX = (f.s().titleRight + 640 - f.s().margins.right - 10) / 2;
    f.hub.desktopDoubleClick({forwardX, f.titleY(), false});
    f.hub.desktopDoubleClick({forwardX, f.titleY(), false});
    EXPECT_EQ(formatDate(f.hub.state().displayMonth), "2026/06/01");

    // With Alt the year-month picker chooses the month.
    f.windows.picked = PickedMonth{2025, 2};
    f.hub.desktopDoubleClick({f.backX(), f.titleY(), true});
    EXPECT_EQ(f.windows.calls[f.windows.calls.size() - 2], "picker 2026/6");
    EXPECT_EQ(formatDate(f.hub.state().displayMonth), "2025/02/01");

    // Without the hook (pointer not over the desktop, or the link cut) no click is seen.
    f.hub.toggleCutLink();
    f.hub.desktopDoubleClick({f.backX(), f.titleY(), false});
    EXPECT_EQ(formatDate(f.hub.state().displayMonth), "2025/02/01");
}

TEST(PaintBoxClick, ADayOpensItsEntriesUnderTheLockAndReleasesIt) {
    Drawn f;
    const DrawState& s = f.s();
    ASSERT_GT(s.cellWidth, 0);
    const int x = s.margins.left + 10 + s.cellWidth * 3 + s.cellWidth / 2;
    const int y = s.titleHeight + s.margins.top + 10 + s.cellHeight * 2 + s.cellHeight / 2;
    f.hub.desktopDoubleClick({x, y, false});
    EXPECT_EQ(f.windows.calls[f.windows.calls.size() - 2], "day " + formatDate(s.gridStart.addDays(17)));
    EXPECT_TRUE(f.platform.calls.empty()) << "nothing changed: no redraw";
    // The lock is free again for another computer.
    ProfileFile file(f.hub.schedule().path());
    ASSERT_EQ(file.load(), ReadOutcome::Read);
    EXPECT_EQ(file.readString("COMPUTER", "UPDATEUSER", "?"), "");

    // Another computer holds the file: the day does not open.
    file.writeString("COMPUTER", "UPDATEUSER", "PC-B");
    ASSERT_TRUE(file.save());
    f.hub.schedule().load();
    f.windows.calls.clear();
    f.hub.desktopDoubleClick({x, y, false});
    for (const std::string& c : f.windows.calls) {
        EXPECT_EQ(c.rfind("day ", 0), std::string::npos) << c;
    }
    ASSERT_FALSE(f.feedback.messages.empty());
    EXPECT_NE(f.feedback.messages.back().find("PC-B"), std::string::npos);
}

// A day clicked while the tray's list was open opened a second list, whose
// close saved and released the lock under the first.
TEST(PaintBoxClick, ADayClickWhileAListIsOpenOpensNoOther) {
    Drawn f;
    const DrawState& s = f.s();
    const int x = s.margins.left + 10 + s.cellWidth * 3 + s.cellWidth / 2;
    const int y = s.titleHeight + s.margins.top + 10 + s.cellHeight * 2 + s.cellHeight / 2;
    std::string lockDuringInner;
    bool clicked = false;
    f.windows.duringDay = [&] {
        if (std::exchange(clicked, true)) {
            return;
        }
        f.hub.desktopDoubleClick({x, y, false});
        ProfileFile file(f.hub.schedule().path());
        file.load();
        lockDuringInner = file.readString("COMPUTER", "UPDATEUSER", "?");
    };
    f.windows.calls.clear();
    f.hub.openScheduleList();
    int lists = 0;
    for (const std::string& c : f.windows.calls) {
        lists += c.rfind("day ", 0) == 0;
    }
    EXPECT_EQ(lists, 1);
    EXPECT_EQ(lockDuringInner, "PC-A") << "the open list keeps its lock";
}

TEST(PaintBoxClick, TheYearMonthTextSwitchesTheViewWithItsHintsAndMargins) {
    Drawn f("WPLink=1\r\n", "[COLOR]\r\nYOHAKUT=0\r\nYOHAKUT2=40\r\n");
    EXPECT_EQ(f.s().margins.top, 0);
    const Rect ym = f.s().yearMonthText;
    f.hub.desktopDoubleClick({(ym.left + ym.right) / 2, (ym.top + ym.bottom) / 2 + 1, false});
    EXPECT_EQ(f.hub.settings().calenFlag, 1);
    EXPECT_EQ(f.hub.clickAreaHints(), (std::array<std::string, 3>{"前年へ", "翌年へ", "月間カレンダーへ"}));
    EXPECT_EQ(f.s().margins.top, 40) << "the several-months view has its own margins";
    EXPECT_EQ(f.platform.calls, (std::vector<std::string>{"calendar calendar.bmp"}));

    // A block's header line opens that month in the one-month view.
    ASSERT_GE(f.s().blocks.size(), 2u);
    const MonthBlock block = f.s().blocks[1];
    f.hub.desktopDoubleClick({block.rect.left + 5, block.rect.top + f.s().lineHeight / 2, false});
    EXPECT_EQ(f.hub.settings().calenFlag, 0);
    EXPECT_EQ(f.hub.clickAreaHints()[2], "年間カレンダーへ");
    EXPECT_EQ(formatDate(f.hub.state().displayMonth), block.month.substr(0, 4) + "/" + block.month.substr(4) + "/01");
    EXPECT_EQ(f.s().margins.top, 0);
}

TEST(PaintBoxClick, TheTitleAndTheRightButtonChangeNothing) {
    Drawn f;
    const DateValue shown = f.hub.state().displayMonth;
    const int titleX = (f.s().titleX + f.s().titleRight) / 2;
    // Beside the year/month text but on the title: the options dialog, which this build has not.
    f.hub.paintBoxClick(titleX, f.s().margins.top + 2, false);
    f.hub.paintBoxClick(f.backX(), f.titleY(), false, true);
    EXPECT_EQ(f.hub.state().displayMonth.dayNumber(), shown.dayNumber());
    EXPECT_TRUE(f.platform.calls.empty());
}

TEST(PaintBoxClick, InTheCalendarWindowTheRedrawPaintsTheWindowNotTheDesktop) {
    Drawn f;
    f.windows.windowShown = true;
    f.hub.calendarWindowShown();
    f.hub.paintBoxClick(f.backX(), f.titleY(), false);
    EXPECT_EQ(formatDate(f.hub.state().displayMonth), "2026/04/01");
    EXPECT_TRUE(f.platform.calls.empty()) << "no wallpaper while the window shows the calendar";
    EXPECT_EQ(f.windows.calls.back(), "paint");
    EXPECT_EQ(f.windows.painted.size(), QSize(640, 480));
}

// The click areas' hints were computed but never shown: the calendar window
// shows them over the areas.
TEST(PaintBoxClick, TheTitleAreasHaveTheirHints) {
    Drawn f;
    const DrawState& s = f.s();
    const int forwardX = (s.titleRight + 640 - s.margins.right - 10) / 2;
    const int dayX = s.margins.left + 10 + s.cellWidth / 2;
    const int dayY = s.titleHeight + s.margins.top + 10 + s.cellHeight / 2;
    EXPECT_EQ(f.hub.hintAt(f.backX(), f.titleY()), "前月へ");
    EXPECT_EQ(f.hub.hintAt(forwardX, f.titleY()), "翌月へ");
    EXPECT_EQ(f.hub.hintAt(dayX, dayY), std::nullopt) << "a day has no hint";
    EXPECT_TRUE(f.windows.calls.empty() || f.windows.calls.back().rfind("day ", 0) != 0) << "a hint opens nothing";
}
