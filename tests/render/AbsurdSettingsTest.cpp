#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/DrawWallPaper.h"
#include "render/HitTest.h"
#include "render/QtCanvas.h"
#include "render/RecordingCanvas.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <QImage>

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace velmora;

namespace {

// Every number the drawing computes with set to one value, and every switch
// that leads to more drawing on, as a hand-edited calendar.ini can have them.
Settings absurd(int value, int view) {
    Settings s;
    s.calenFlag = view;
    for (int* number :
         {&s.shadowWidth, &s.fbgTrans, &s.fbgColor, &s.miniSize, &s.adjst, &s.yohakuT, &s.yohakuB, &s.yohakuL,
          &s.yohakuR, &s.yohakuT2, &s.yohakuB2, &s.yohakuL2, &s.yohakuR2, &s.yDrawCol, &s.yDrawRow, &s.yDrawPos}) {
        *number = value;
    }
    for (FontSetting& font : s.fonts) {
        font.size = value;
    }
    for (int* on :
         {&s.dispYobi, &s.fullFont, &s.drawArrow, &s.todayMark, &s.rikuyou, &s.kyureki, &s.drawUL, &s.bunkatu, &s.qv}) {
        *on = 1;
    }
    s.fillBackGround = true;
    s.holidayList.set("12/23", "記念日");
    return s;
}

struct Pass {
    explicit Pass(Settings s)
        : settings(std::move(s)), clock(*parseDateTime("2026/12/08 09:00:00")),
          store("/nowhere/", "PC", clock, feedback), calendar(settings.holidayList) {
        store.entryLists(EntryKind::Dated).set("2026/12/08", formatEntryList({"歯医者 ", "とても長い予定の文字列 "}));
        store.entryLists(EntryKind::Weekly).set("4", formatEntryList({"定例会議 "}));
    }

    DrawState draw(Canvas& canvas) {
        DrawState state;
        drawCalendar(canvas, RenderInputs{settings, store, calendar, clock.now(), month, true, false}, state);
        return state;
    }

    // Clicks over the whole picture, with and without Alt: each must answer.
    void clickEverywhere(const DrawState& state, int width, int height) {
        for (int x = 0; x <= width; x += width / 8) {
            for (int y = 0; y <= height; y += height / 8) {
                for (const bool alt : {false, true}) {
                    const HitInput in{.x = x,
                                      .y = y,
                                      .screenWidth = width,
                                      .screenHeight = height,
                                      .settings = settings,
                                      .state = state,
                                      .displayMonth = month,
                                      .now = clock.now(),
                                      .adjust = true,
                                      .alt = alt,
                                      .pickerAllowed = true,
                                      .picker = [](const PickerRequest& r) {
                                          return std::optional<PickedMonth>(PickedMonth{r.year, 12});
                                      }};
                    const HitResult r = hitTest(in);
                    EXPECT_GE(r.code, kHitNothing) << x << "," << y;
                    EXPECT_LE(r.code, kHitMemo) << x << "," << y;
                }
            }
        }
    }

    Settings settings;
    FixedClock clock;
    SilentFeedback feedback;
    ScheduleStore store;
    CalendarState calendar;
    DateValue month = *parseDate("2026/12/01");
};

} // namespace

// Past faults: ShadowWidth=2147483647 made every pass (and the resident
// start-up) run for ever; a font size of 2147483647 and a margin of
// -2147483648 overflowed. This binary runs under UBSan, so an overflow fails it.
TEST(AbsurdSettings, EveryPassFinishesAndEveryClickAnswers) {
    for (const int view : {0, 1}) {
        for (const int value : {INT_MAX, INT_MIN}) {
            SCOPED_TRACE(std::string(view == 1 ? "several months" : "one month") + ", every number " +
                         std::to_string(value));
            Pass pass(absurd(value, view));

            RecordingCanvas recorded(960, 540);
            const DrawState state = pass.draw(recorded);
            const auto title = recorded.withText("Velmora");
            ASSERT_FALSE(title.empty()) << "the title is drawn";
            // A shadow is a few pixels wide: a handful of copies, never billions.
            EXPECT_LE(title.size(), 64u);
            if (view == 1) {
                EXPECT_FALSE(state.blocks.empty());
            } else {
                EXPECT_TRUE(state.rows == 5 || state.rows == 6) << state.rows;
                EXPECT_FALSE(recorded.withText(" 8").empty()) << "today's number";
            }
            pass.clickEverywhere(state, 960, 540);

            // The clicks read ADJST and the block counts themselves. Over a
            // picture of ordinary margins and sizes every click path is reached
            // (the title band, back and forward with the adjustment stop).
            Settings layout = absurd(value, view);
            const Settings ordinary;
            layout.yohakuT = layout.yohakuB = layout.yohakuL = layout.yohakuR = 0;
            layout.yohakuT2 = layout.yohakuB2 = layout.yohakuL2 = layout.yohakuR2 = 0;
            layout.fonts = ordinary.fonts;
            Pass ordinaryLayout(layout);
            RecordingCanvas plain(960, 540);
            const DrawState plainState = ordinaryLayout.draw(plain);
            ASSERT_GT(plainState.titleHeight, 0);
            ordinaryLayout.clickEverywhere(plainState, 960, 540);

            // Real fonts and pixels: sizes become pixel heights and tints mix
            // channels. The frame that reads the font sizes is the same in
            // both views, and the blocks size their fonts from the layout, so
            // the one-month view suffices (144 shadowed blocks take seconds).
            if (view == 0) {
                QImage image(320, 180, QImage::Format_RGB32);
                image.fill(QColor(90, 140, 200));
                const QImage untouched = image;
                {
                    QtCanvas canvas(image);
                    pass.draw(canvas);
                }
                EXPECT_NE(image, untouched) << "something was drawn";
            }
        }
    }
}
