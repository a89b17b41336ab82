#include "render/YearView.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/RecordingCanvas.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

using namespace velmora;
using Call = RecordingCanvas::Call;

namespace {

DateValue day(const char* text) {
    return *parseDate(text);
}

// Margins T 20, B 30, L 40, R 50 and a 60-pixel title over a 1920x1080
// screen: with 4x4 blocks BW = 1830 / 4 = 457, BH = 970 / 4 = 242,
// DW = 437 / 7 = 62, DH = 232 / 8 = 29; block (c, r) starts at
// (50 + 457c, 90 + 242r).
struct YearFixture {
    YearFixture() : clock(DateValue(day("2026/05/13").value() + 0.4)), store("/nowhere/", "PC", clock, feedback) {
        settings.calenFlag = 1;
        settings.shadowWidth = 0;
        settings.normal = 0x111111;
        settings.sun = 0x0000EE;
        settings.sat = 0xEE0000;
        settings.today = 0x123456;
        settings.font(FontPart::Holiday).colour = 0x00AA00;
        settings.font(FontPart::MonthYear).face = "MonthFace";
        settings.font(FontPart::MonthYear).colour = 0x222222;
        settings.font(FontPart::YobiYear).face = "YobiFace";
        settings.font(FontPart::DateYear).face = "DateFace";
        state.margins = Margins{20, 30, 40, 50};
        state.titleHeight = 60;
    }

    RecordingCanvas draw(const char* month, bool print = false, int width = 1920) {
        CalendarState calendar(settings.holidayList);
        calendar.holidayPass(settings, day(month), store, clock.today());
        RecordingCanvas canvas(width, 1080);
        const RenderInputs in{settings, store, calendar, clock.now(), day(month), false, print};
        drawYearStep(canvas, in, state);
        return canvas;
    }

    FixedClock clock;
    SilentFeedback feedback;
    ScheduleStore store;
    Settings settings;
    DrawState state;
};

// The one call drawing `text` inside the block rectangle.
Call inBlock(const RecordingCanvas& canvas, const std::string& text, const Rect& block) {
    std::vector<Call> found;
    for (const Call& c : canvas.withText(text)) {
        if (block.contains(c.rect.left, c.rect.top)) {
            found.push_back(c);
        }
    }
    EXPECT_EQ(found.size(), 1u) << text;
    return found.empty() ? Call{} : found.front();
}

Rect block(int left, int top, int width = 457, int height = 242) {
    return Rect{left, top, left + width, top + height};
}

} // namespace

TEST(YearView, DefaultLayoutFillsRowsFromJanuary) {
    YearFixture f;
    const RecordingCanvas canvas = f.draw("2026/05/01");
    EXPECT_EQ(f.state.dayWidth, 62);
    EXPECT_EQ(f.state.lineHeight, 29);
    ASSERT_EQ(f.state.blocks.size(), 16u);
    const char* months[] = {"202601", "202602", "202603", "202604", "202605", "202606", "202607", "202608",
                            "202609", "202610", "202611", "202612", "202701", "202702", "202703", "202704"};
    for (std::size_t k = 0; k < 16; ++k) {
        EXPECT_EQ(f.state.blocks[k].month, months[k]) << k;
    }
    EXPECT_EQ(f.state.blocks[0].rect, block(50, 90));
    EXPECT_EQ(f.state.blocks[6].rect, block(964, 332));
    EXPECT_EQ(f.state.blocks[15].rect, block(1421, 816));

    // Header at column 3 of line 0, in the Month-Year face at the common size trunc(29 * 0.65).
    const Call january = inBlock(canvas, " 1月", f.state.blocks[0].rect);
    EXPECT_EQ(january.rect.left, 50 + 3 * 62);
    EXPECT_EQ(january.rect.top, 90);
    EXPECT_EQ(january.font.face, "MonthFace");
    EXPECT_EQ(january.font.size, 18);
    EXPECT_EQ(january.font.colour, 0x222222);
    EXPECT_EQ(inBlock(canvas, "12月", f.state.blocks[11].rect).rect.left, 1421 + 3 * 62);
    EXPECT_EQ(canvas.withText("月").size(), 16u) << "one weekday line per block";
}

TEST(YearView, PositionCountsDownColumnsWhenFillingRows) {
    YearFixture f;
    f.settings.yDrawPos = 5; // column 1, row 1: the sixth block
    f.draw("2026/06/01");
    ASSERT_EQ(f.state.blocks.size(), 16u);
    EXPECT_EQ(f.state.blocks[5].month, "202606");
    EXPECT_EQ(f.state.blocks[5].rect, block(507, 332));
    EXPECT_EQ(f.state.blocks[0].month, "202601");

    f.settings.yDrawPos = 2; // column 0, row 2: the ninth block
    f.draw("2026/06/01");
    EXPECT_EQ(f.state.blocks[8].month, "202606");
    EXPECT_EQ(f.state.blocks[8].rect, block(50, 574));
    EXPECT_EQ(f.state.blocks[0].month, "202510");
}

TEST(YearView, ColumnByColumnOrdering) {
    YearFixture f;
    f.settings.yDrawTate = 1;
    f.settings.yDrawCol = 3; // BW 610, BH 485, DW 84, DH 59
    f.settings.yDrawRow = 2;
    f.draw("2026/05/01");
    ASSERT_EQ(f.state.blocks.size(), 6u);
    EXPECT_EQ(f.state.dayWidth, 84);
    EXPECT_EQ(f.state.lineHeight, 59);
    EXPECT_EQ(f.state.blocks[1].month, "202602");
    EXPECT_EQ(f.state.blocks[1].rect, block(50, 575, 610, 485)) << "February below January";
    EXPECT_EQ(f.state.blocks[2].month, "202603");
    EXPECT_EQ(f.state.blocks[2].rect, block(660, 90, 610, 485)) << "March starts the second column";
    EXPECT_EQ(f.state.blocks[5].rect, block(1270, 575, 610, 485));
}

TEST(YearView, SaturdayFirstPutsTheLastDaysOnLineSeven) {
    YearFixture f; // 2026/08/01 is a Saturday; August is block 7 at (1421, 332)
    const RecordingCanvas canvas = f.draw("2026/05/01");
    const Rect august = f.state.blocks[7].rect;
    ASSERT_EQ(f.state.blocks[7].month, "202608");
    const Call first = inBlock(canvas, " 1", august);
    EXPECT_EQ(first.rect.left, 1421 + 6 * 62);
    EXPECT_EQ(first.rect.top, 332 + 2 * 29);
    EXPECT_EQ(first.font.colour, 0xEE0000) << "Saturday colour";
    const Call thirtieth = inBlock(canvas, "30", august);
    EXPECT_EQ(thirtieth.rect.left, 1421);
    EXPECT_EQ(thirtieth.rect.top, 332 + 7 * 29);
    EXPECT_EQ(thirtieth.font.colour, 0x0000EE) << "Sunday colour";
    const Call last = inBlock(canvas, "31", august);
    EXPECT_EQ(last.rect.left, 1421 + 62);
    EXPECT_EQ(last.rect.top, 332 + 7 * 29);
    EXPECT_EQ(last.font.face, "DateFace");
}

TEST(YearView, TodayIsDrawnOnASolidBox) {
    YearFixture f;
    const RecordingCanvas canvas = f.draw("2026/05/01");
    const Rect may = f.state.blocks[4].rect;
    const Call today = inBlock(canvas, "13", may);
    EXPECT_EQ(today.brushStyle, BrushStyle::Solid);
    EXPECT_EQ(today.brushColour, 0x123456u) << "TODAY";
    EXPECT_EQ(inBlock(canvas, "14", may).brushStyle, BrushStyle::Clear) << "the brush returns to clear";
    EXPECT_EQ(inBlock(canvas, "13", f.state.blocks[5].rect).brushStyle, BrushStyle::Clear);

    const RecordingCanvas printed = f.draw("2026/05/01", true);
    const Call printedToday = inBlock(printed, "13", may);
    EXPECT_EQ(printedToday.brushStyle, BrushStyle::Solid);
    EXPECT_EQ(printedToday.brushColour, 0xFFFFFFu);
    EXPECT_EQ(inBlock(printed, " 5月", may).font.colour, 0) << "headers print black";
    EXPECT_EQ(inBlock(printed, "日", may).font.colour, 0) << "weekday names print black";
}

TEST(YearView, FontShrinksUntilTwoDigitsFitADayColumn) {
    YearFixture f;
    // 400 wide: BW 77, DW 8; 6 pt is 8 px (digits 4 px, "33" + 2 = 10), 5 pt is 6 px ("33" + 2 = 8).
    const RecordingCanvas narrow = f.draw("2026/05/01", false, 400);
    EXPECT_EQ(f.state.dayWidth, 8);
    ASSERT_FALSE(narrow.ofKind("text").empty());
    for (const Call& c : narrow.ofKind("text")) {
        EXPECT_EQ(c.font.size, 5) << c.text;
    }
    // DW 0: nothing fits, the size stops at 1.
    const RecordingCanvas tiny = f.draw("2026/05/01", false, 150);
    EXPECT_EQ(f.state.dayWidth, 0);
    ASSERT_FALSE(tiny.ofKind("text").empty());
    for (const Call& c : tiny.ofKind("text")) {
        EXPECT_EQ(c.font.size, 1) << c.text;
    }
}

TEST(YearView, UnderlineMarksOnlyDaysWithDrawnEntries) {
    YearFixture f;
    f.settings.drawUL = 1;
    f.store.appendEntry(EntryKind::Dated, day("2026/05/20"), "会議");
    const ScheduleKey reminder = f.store.appendEntry(EntryKind::Dated, day("2026/05/21"), "通知だけ");
    f.store.section(ScheduleSection::ColorOpt).set(reminder.text(), "-255");
    const ScheduleKey holiday = f.store.appendEntry(EntryKind::Dated, day("2026/05/22"), "創立記念日");
    f.store.section(ScheduleSection::HolidayOpt).set(holiday.text(), "創立記念日");
    f.store.appendEntry(EntryKind::Yearly, day("2026/05/25"), "誕生日");

    const RecordingCanvas canvas = f.draw("2026/05/01");
    const Rect may = f.state.blocks[4].rect;
    EXPECT_TRUE(inBlock(canvas, "20", may).font.underline);
    EXPECT_TRUE(inBlock(canvas, "25", may).font.underline) << "repeating entries count";
    EXPECT_FALSE(inBlock(canvas, "21", may).font.underline) << "reminder-only";
    EXPECT_FALSE(inBlock(canvas, "22", may).font.underline) << "holiday-flagged";
    EXPECT_FALSE(inBlock(canvas, "19", may).font.underline);
    EXPECT_FALSE(inBlock(canvas, "20", f.state.blocks[5].rect).font.underline) << "June 20 has none";

    f.settings.drawUL = 0;
    const RecordingCanvas plain = f.draw("2026/05/01");
    EXPECT_FALSE(inBlock(plain, "20", may).font.underline);
}

TEST(YearView, HolidaysTakeTheHolidayColour) {
    YearFixture f;
    f.settings.holidayList.set("05/05", "こどもの日"); // a Tuesday in 2026
    const RecordingCanvas canvas = f.draw("2026/05/01");
    const Rect may = f.state.blocks[4].rect;
    EXPECT_EQ(inBlock(canvas, " 5", may).font.colour, 0x00AA00);
    EXPECT_EQ(inBlock(canvas, " 6", may).font.colour, 0x111111);
    EXPECT_EQ(inBlock(canvas, " 3", may).font.colour, 0x0000EE);
    const Call tuesday = inBlock(canvas, "火", may);
    EXPECT_EQ(tuesday.font.colour, 0x111111) << "the weekday name keeps the weekday's colour";
    EXPECT_EQ(tuesday.font.face, "YobiFace");
    EXPECT_EQ(tuesday.rect.top, 332 + 29);

    const RecordingCanvas printed = f.draw("2026/05/01", true);
    EXPECT_EQ(inBlock(printed, " 5", may).font.colour, 0) << "holidays print black";
}
