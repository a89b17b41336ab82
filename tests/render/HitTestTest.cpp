#include "render/HitTest.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/RecordingCanvas.h"
#include "render/YearView.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

DateValue day(const char* text) {
    return *parseDate(text);
}

// A one-month pass of May 2026 on 1920x1080 with margins T 20, B 30, L 40,
// R 50: title band above y 130, title from x 700 to 1200, the year/month text
// at (50..200, 70..130); grid from Sunday 04/26, cells 258 x 151.
struct HitFixture {
    HitFixture() {
        state.margins = Margins{20, 30, 40, 50};
        state.titleHeight = 100;
        state.titleX = 700;
        state.titleRight = 1200;
        state.yearMonthText = Rect{50, 70, 200, 130};
        state.gridStart = day("2026/04/26");
        state.rows = 6;
        state.cellWidth = 258;
        state.cellHeight = 151;
    }

    // The several-months layout as its pass leaves it, under a 60-pixel title.
    void drawYears() {
        settings.calenFlag = 1;
        state.titleHeight = 60;
        state.yearMonthText = Rect{50, 40, 200, 90};
        FixedClock clock(now);
        SilentFeedback feedback;
        ScheduleStore store("/nowhere/", "PC", clock, feedback);
        CalendarState calendar(settings.holidayList);
        RecordingCanvas canvas(1920, 1080);
        drawYearStep(canvas, RenderInputs{settings, store, calendar, now, month, false, false}, state);
    }

    HitResult click(int x, int y) {
        HitInput in{.x = x,
                    .y = y,
                    .screenWidth = 1920,
                    .screenHeight = 1080,
                    .settings = settings,
                    .state = state,
                    .displayMonth = month,
                    .now = now,
                    .adjust = adjust,
                    .alt = alt,
                    .pickerAllowed = pickerAllowed,
                    .memoCheck = memoCheck,
                    .memoRects = memos,
                    .bringBackMemo = [this](std::size_t i) { broughtBack.push_back(i); },
                    .picker =
                        [this](const PickerRequest& r) {
                            requests.push_back(r);
                            return answer;
                        }};
        const HitResult r = hitTest(in);
        adjust = r.adjust;
        return r;
    }

    Settings settings;
    DrawState state;
    DateValue month = day("2026/05/01");
    DateValue now = DateValue(day("2026/05/13").value() + 0.5);
    bool adjust = false;
    bool alt = false;
    bool pickerAllowed = false;
    bool memoCheck = false;
    std::vector<Rect> memos;
    std::vector<std::size_t> broughtBack;
    std::vector<PickerRequest> requests;
    std::optional<PickedMonth> answer;
};

std::string dateOf(const HitResult& r) {
    return r.date ? formatDate(*r.date) : "none";
}

} // namespace

TEST(HitTest, LeftOfTheTitleGoesBackAMonthOrOpensThePicker) {
    HitFixture f; // ADJST 99 by default
    HitResult r = f.click(300, 80);
    EXPECT_EQ(r.code, kHitBack);
    EXPECT_EQ(dateOf(r), "2026/04/01");
    EXPECT_EQ(f.click(1500, 80).code, kHitForward);
    EXPECT_EQ(dateOf(f.click(1500, 80)), "2026/06/01");

    f.alt = true;
    EXPECT_EQ(dateOf(f.click(300, 80)), "2026/04/01") << "Alt alone does not open the picker here";
    EXPECT_TRUE(f.requests.empty());

    f.pickerAllowed = true;
    f.answer = PickedMonth{2027, 3};
    r = f.click(300, 80);
    ASSERT_EQ(f.requests.size(), 1u);
    EXPECT_EQ(f.requests[0].year, 2026);
    EXPECT_EQ(f.requests[0].month, 5);
    EXPECT_FALSE(f.requests[0].monthHidden);
    EXPECT_EQ(r.code, kHitBack);
    EXPECT_EQ(dateOf(r), "2027/03/01");

    f.answer.reset();
    EXPECT_EQ(f.click(1500, 80).code, kHitNothing) << "a cancelled picker does nothing";
}

TEST(HitTest, TitleAndYearMonthTextSwapWithSwap) {
    HitFixture f;
    EXPECT_EQ(f.click(900, 80).code, kHitTitle);
    HitResult r = f.click(100, 100);
    EXPECT_EQ(r.code, kHitSwitchView);
    EXPECT_EQ(dateOf(r), "2026/05/01");
    f.settings.swap = 1;
    EXPECT_EQ(f.click(100, 100).code, kHitTitle);
    EXPECT_EQ(f.click(900, 80).code, kHitSwitchView);
}

TEST(HitTest, SeveralMonthsStepByWhatARowOrColumnHolds) {
    HitFixture f;
    f.settings.yDrawPos = 2;
    f.drawYears(); // title band above y 90
    EXPECT_EQ(dateOf(f.click(300, 50)), "2026/01/01");
    EXPECT_EQ(f.click(300, 50).code, kHitBack);
    EXPECT_EQ(dateOf(f.click(1500, 50)), "2026/09/01");
    EXPECT_EQ(f.click(1500, 50).code, kHitForward);

    f.settings.yDrawTate = 1;
    f.settings.yDrawRow = 3;
    EXPECT_EQ(dateOf(f.click(300, 50)), "2026/02/01");

    f.settings.yDrawPos = -1;
    EXPECT_EQ(dateOf(f.click(300, 50)), "2025/05/01");
    EXPECT_EQ(dateOf(f.click(1500, 50)), "2027/05/01");

    f.alt = true;
    f.answer = PickedMonth{2024, 5};
    const HitResult picked = f.click(100, 60);
    ASSERT_EQ(f.requests.size(), 1u);
    EXPECT_TRUE(f.requests[0].monthHidden);
    EXPECT_EQ(f.requests[0].year, 2026);
    EXPECT_EQ(picked.code, kHitBack);
    EXPECT_EQ(dateOf(picked), "2024/05/01");
}

TEST(HitTest, SeveralMonthsBlockLines) {
    HitFixture f;
    f.drawYears(); // May 2026 is block 4 at (50, 332), DW 62, DH 29
    ASSERT_EQ(f.state.blocks.at(4).month, "202605");
    HitResult r = f.click(60, 340);
    EXPECT_EQ(r.code, kHitMonthBlock);
    EXPECT_EQ(dateOf(r), "2026/05/01");
    EXPECT_EQ(f.click(60, 332 + 29 + 5).code, kHitNothing) << "the weekday line";

    r = f.click(50 + 3 * 62 + 5, 332 + 4 * 29 + 5); // line 4, Wednesday
    EXPECT_EQ(r.code, kHitDay);
    EXPECT_EQ(dateOf(r), "2026/05/13");
    EXPECT_EQ(f.click(55, 332 + 2 * 29 + 5).code, kHitNothing) << "04/26 is not May's";
    EXPECT_EQ(f.click(50 + 7 * 62 + 3, 332 + 4 * 29 + 5).code, kHitNothing) << "right of Saturday";

    r = f.click(1421 + 62 + 5, 332 + 7 * 29 + 5); // August: 31st on line 7
    EXPECT_EQ(dateOf(r), "2026/08/31");
}

TEST(HitTest, GridCellOfTheNextMonth) {
    HitFixture f;
    const HitResult r = f.click(50 + 258 + 5, 130 + 5 * 151 + 5);
    EXPECT_EQ(r.code, kHitDay);
    EXPECT_EQ(dateOf(r), "2026/06/01");
    EXPECT_EQ(dateOf(f.click(51, 131)), "2026/04/26");
    EXPECT_EQ(dateOf(f.click(1855, 1035)), "2026/06/06") << "the last cell";
    EXPECT_EQ(f.click(1858, 500).code, kHitNothing) << "right of the grid: 1808 / 258 = column 7";
    EXPECT_EQ(f.click(500, 1038).code, kHitNothing) << "below the grid: 908 / 151 = row 6";
}

TEST(HitTest, AdjustmentIsAStopOfItsOwn) {
    HitFixture f;
    f.settings.adjst = 2;
    f.now = DateValue(day("2026/05/02").value() + 0.5); // first week (Monday start): row 1, shift -7
    HitResult r = f.click(300, 80);
    EXPECT_EQ(r.code, kHitBack);
    EXPECT_EQ(dateOf(r), "2026/05/01");
    EXPECT_TRUE(r.adjust);

    f.state.adjustShift = -7; // what the next pass draws with
    r = f.click(1500, 80);
    EXPECT_EQ(dateOf(r), "2026/05/01") << "forward first undoes the shift";
    EXPECT_FALSE(r.adjust);

    f.adjust = true;
    r = f.click(300, 80);
    EXPECT_EQ(r.code, kHitBack);
    EXPECT_EQ(dateOf(r), "2026/04/01");
    EXPECT_FALSE(r.adjust);

    f.month = day("2026/04/01");
    f.state.adjustShift = 0;
    r = f.click(1500, 80);
    EXPECT_EQ(dateOf(r), "2026/05/01");
    EXPECT_TRUE(r.adjust) << "arriving forward in the current month with today above row ADJST";
}

TEST(HitTest, OutsideTheMarginsGivesNow) {
    HitFixture f;
    for (const auto& [x, y] : {std::pair{49, 500}, {1861, 500}, {500, 19}, {500, 1041}}) {
        const HitResult r = f.click(x, y);
        EXPECT_EQ(r.code, kHitNothing) << x << "," << y;
        ASSERT_TRUE(r.date.has_value());
        EXPECT_EQ(r.date->value(), f.now.value());
    }
    const HitResult edge = f.click(1860, 500);
    EXPECT_EQ(edge.code, kHitNothing) << "the edge itself is neither outside nor in the grid";
    EXPECT_FALSE(edge.date.has_value());
}

TEST(HitTest, TheTopmostMemoUnderTheClickComesBack) {
    HitFixture f;
    f.memos = {Rect{100, 300, 300, 500}, Rect{200, 400, 400, 600}};
    EXPECT_EQ(f.click(250, 450).code, kHitDay) << "memos answer only with the check on";
    f.memoCheck = true;
    HitResult r = f.click(250, 450);
    EXPECT_EQ(r.code, kHitMemo);
    EXPECT_EQ(r.memo, 1u);
    EXPECT_EQ(f.broughtBack, std::vector<std::size_t>{1});
    r = f.click(150, 350);
    EXPECT_EQ(r.memo, 0u);
    EXPECT_EQ(f.click(100, 350).code, kHitDay) << "an edge is not inside";
}

TEST(HitTest, NoGridAsksForACaptureAndDraw) {
    HitFixture f;
    f.state.cellWidth = 0;
    const HitResult r = f.click(500, 500);
    EXPECT_EQ(r.code, kHitNothing);
    EXPECT_TRUE(r.captureAndDraw);
    EXPECT_EQ(r.message, "壁紙のデザインの初期化に失敗しました。\r\n画面のプロパティで壁紙を指定しなおして下さい。");
    EXPECT_FALSE(f.click(500, 500 + 0).date.has_value());
}

TEST(HitTest, FitToPageKeepsTheAspectAndRounds) {
    // Full height: 1001 * 1000 / 3000 = 333.67.
    EXPECT_EQ(fitToPage(1001, 3000, 2000, 1000), (Rect{0, 0, 334, 1000}));
    EXPECT_EQ(fitToPage(1000, 3000, 2000, 1000), (Rect{0, 0, 333, 1000}));
    // Full width: 1920 * 1000 / 1080 = 1777.8 >= 1000, so 1080 * 1000 / 1920 = 562.5.
    EXPECT_EQ(fitToPage(1920, 1080, 1000, 1000), (Rect{0, 0, 1000, 563}));
}
