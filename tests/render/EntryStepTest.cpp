#include "render/MonthView.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/QtCanvas.h"
#include "render/RecordingCanvas.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <unistd.h>

using namespace velmora;

namespace {

// One month pass with entries on one day, and the geometry of that day's cell.
struct Cell {
    Cell() : clock(*parseDateTime("2026/12/08 09:00:00")), store("/nowhere/", "PC", clock, feedback) {}

    void entries(const char* date, const std::vector<std::string>& texts) {
        store.entryLists(EntryKind::Dated).set(date, formatEntryList(texts));
    }
    DrawState draw(Canvas& canvas, const char* month, const char* date) {
        DrawState state;
        calendar = CalendarState(settings.holidayList);
        calendar.holidayPass(settings, *parseDate(month), store, clock.today());
        const RenderInputs in{settings, store, calendar, clock.now(), *parseDate(month), false, false};
        drawFrame(canvas, in, state);
        drawGrid(canvas, in, state);
        drawDateStep(canvas, in, state);
        drawEntryStep(canvas, in, state);
        const int index = parseDate(date)->dayNumber() - state.gridStart.dayNumber();
        x0 = state.margins.left + 10 + index % 7 * state.cellWidth;
        y0 = state.margins.top + state.titleHeight + 10 + index / 7 * state.cellHeight;
        const int size = std::max(settings.miniSize, state.cellHeight / 12);
        lineHeight = pointsToPixels(size, canvas.dpi());
        top = y0 + static_cast<int>(std::nearbyint(4.0 * state.cellHeight / 35.0)) + state.lineOffset;
        return state;
    }
    // The entry lines drawn into the cell, in order (shadow copies included).
    std::vector<RecordingCanvas::Call> lines(const RecordingCanvas& canvas, const DrawState& state) const {
        std::vector<RecordingCanvas::Call> out;
        for (const auto& c : canvas.ofKind("textRect")) {
            if (c.rect.left >= x0 && c.rect.left < x0 + state.cellWidth && c.rect.top >= y0) {
                out.push_back(c);
            }
        }
        return out;
    }

    FixedClock clock;
    SilentFeedback feedback;
    ScheduleStore store;
    Settings settings;
    CalendarState calendar;
    int x0 = 0;
    int y0 = 0;
    int top = 0;
    int lineHeight = 0;
};

std::vector<std::string> numbered(int count) {
    std::vector<std::string> texts;
    for (int i = 1; i <= count; ++i) {
        texts.push_back("予定" + std::to_string(i) + " ");
    }
    return texts;
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

// Past fault: the last line's box reached below the cell by the line offset
// minus 10 and its text crossed the grid line into the next week.
TEST(EntryStep, LinesStayInsideTheirCell) {
    for (const int moreMark : {0, 1}) {
        for (const auto& [width, height] : {std::pair{1920, 1080}, {1366, 768}, {3840, 2160}}) {
            Cell cell;
            cell.settings.moreMark = moreMark;
            cell.entries("2026/12/16", numbered(12));
            RecordingCanvas canvas(width, height);
            const DrawState state = cell.draw(canvas, "2026/12/01", "2026/12/16");
            const auto lines = cell.lines(canvas, state);
            ASSERT_FALSE(lines.empty());
            for (const auto& l : lines) {
                // The grid lines are 3 pixels wide, centred on the cell's edges.
                EXPECT_GE(l.clip.top, cell.y0 + 2) << l.text;
                EXPECT_LE(l.clip.bottom, cell.y0 + state.cellHeight - 1) << width << " " << l.text;
                EXPECT_LE(l.clip.right, cell.x0 + state.cellWidth - 1) << l.text;
                EXPECT_LT(l.clip.top, l.clip.bottom) << "no line is drawn that shows nothing";
            }
        }
    }
}

TEST(EntryStep, WrappedTrailingBlanksMakeNoLine) {
    Cell cell;
    cell.settings.bunkatu = 1;
    // The text that fills a line exactly, with the blank every stored text ends in left over.
    RecordingCanvas canvas(1920, 1080);
    const DrawState empty = cell.draw(canvas, "2026/12/01", "2026/12/16");
    canvas.font.size = std::max(1, empty.cellHeight / 12);
    const int width = static_cast<int>(empty.cellWidth * 0.9);
    std::string text;
    while (canvas.textWidth(text + "予") <= width) {
        text += "予";
    }
    while (canvas.textWidth(text + "a") <= width) {
        text += "a";
    }
    ASSERT_GT(canvas.textWidth(text + " "), width);
    cell.entries("2026/12/16", {text + " ", "次 "});
    RecordingCanvas drawn(1920, 1080);
    const DrawState state = cell.draw(drawn, "2026/12/01", "2026/12/16");
    const auto lines = cell.lines(drawn, state);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, text);
    EXPECT_EQ(lines[1].text, "次 ");
    EXPECT_EQ(lines[1].rect.top, cell.top + cell.lineHeight);
}

// Past fault: with a font so large that one character fits a line but not
// after the two blanks of a continuation, the blanks alone were taken as the
// line for ever and the pass never ended.
TEST(EntryStep, WrappedContinuationThatHoldsOnlyItsIndentEnds) {
    EXPECT_EXIT(
        {
            alarm(30);
            Cell cell;
            cell.settings.bunkatu = 1;
            cell.settings.font(FontPart::Schedule).size = 100; // 133 px in a line of 243
            cell.entries("2026/12/16", {"長い予定 "});
            RecordingCanvas canvas(1920, 1080);
            const DrawState state = cell.draw(canvas, "2026/12/01", "2026/12/16");
            const auto lines = cell.lines(canvas, state);
            std::_Exit(lines.size() == 1 && lines[0].text == "長" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(EntryStep, HiddenEntriesAreCountedOnTheLastLineThatFits) {
    const struct {
        const char* mode;
        int schDisp;
        int bunkatu;
        int count;
        std::string text; // of every entry
    } rows[] = {
        {"plain", 0, 0, 12, "予定 "},
        {"wrapped, every entry on two lines", 0, 1, 12, "とても長い予定の文字列がセルの幅を超えて続きます "},
        {"marks", 1, 0, 120, "予定 "},
    };
    for (const auto& row : rows) {
        for (const auto& [width, height] : {std::pair{1920, 1080}, {1366, 768}, {3840, 2160}}) {
            Cell cell;
            cell.settings.schDisp = row.schDisp;
            cell.settings.bunkatu = row.bunkatu;
            cell.entries("2026/12/16", std::vector<std::string>(static_cast<std::size_t>(row.count), row.text));
            RecordingCanvas canvas(width, height);
            const DrawState state = cell.draw(canvas, "2026/12/01", "2026/12/16");
            const auto lines = cell.lines(canvas, state);
            ASSERT_GE(lines.size(), 2u) << row.mode;
            const auto& mark = lines.back();
            // Entries whose text (or mark) starts a line or stands beside others.
            int shown = 0;
            for (const auto& l : lines) {
                shown += row.schDisp == 1 ? l.text == "★" : !startsWith(l.text, "  ") && l.text != mark.text;
            }
            EXPECT_EQ(mark.text, "他" + std::to_string(row.count - shown) + "件") << row.mode << " " << width;
            EXPECT_EQ(mark.font.face, cell.settings.font(FontPart::Schedule).face);
            EXPECT_EQ(mark.clip.bottom - mark.clip.top, cell.lineHeight) << "a whole line";
            const auto& before = lines[lines.size() - 2];
            EXPECT_EQ(before.clip.top, mark.clip.top) << "on the line of the last entry shown";
            EXPECT_GE(mark.rect.left, before.rect.left + canvas.textWidth(before.text)) << row.mode;
            EXPECT_LE(mark.rect.right, cell.x0 + 5 + static_cast<int>(state.cellWidth * 0.9)) << "the mark fits";
        }
    }
}

TEST(EntryStep, MoreMarkOffDrawsAsBefore) {
    Cell cell;
    cell.settings.moreMark = 0;
    cell.entries("2026/12/16", numbered(12));
    RecordingCanvas canvas(1920, 1080);
    const DrawState state = cell.draw(canvas, "2026/12/01", "2026/12/16");
    const auto lines = cell.lines(canvas, state);
    ASSERT_FALSE(lines.empty());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, "予定" + std::to_string(i + 1) + " ");
        EXPECT_EQ(lines[i].rect.top, cell.top + static_cast<int>(i) * cell.lineHeight);
    }
    EXPECT_LT(lines.size(), 12u);

    Cell few;
    few.entries("2026/12/16", numbered(2));
    RecordingCanvas fewCanvas(1920, 1080);
    const auto fewLines = few.lines(fewCanvas, few.draw(fewCanvas, "2026/12/01", "2026/12/16"));
    EXPECT_EQ(fewLines.size(), 2u) << "no mark when everything fits";
}

namespace {

// The pixels of the entry line at `line` of the 12th's cell.
QImage entryLine(const char* month, const char* day, const std::vector<std::string>& texts, int line) {
    Cell cell;
    cell.settings.rikuyou = 1;
    cell.settings.kyureki = 1;
    cell.settings.kaishi = 0;
    cell.entries(day, texts);
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    DrawState state;
    {
        QtCanvas canvas(image);
        state = cell.draw(canvas, month, day);
    }
    const int width = std::min(static_cast<int>(state.cellWidth * 0.9), state.cellWidth - 6);
    return image.copy(cell.x0 + 5, cell.top + line * cell.lineHeight, width, cell.lineHeight);
}

} // namespace

// Past fault: textRect's save()/restore() put the painter's font back behind
// the font cache, and every entry after the first was drawn in the last font
// of the date step.
TEST(EntryStep, EveryEntryIsDrawnInTheEntryFont) {
    const struct {
        const char* month;
        const char* day;
        const char* lastCell;
    } rows[] = {
        {"2026/05/01", "2026/05/12", "a shown day: bold"},
        {"2026/06/01", "2026/06/12", "a day of the next month: italic"},
        {"2025/07/01", "2025/07/14", "a leap-month day with rokuyou: underlined"},
    };
    for (const auto& row : rows) {
        const QImage alone = entryLine(row.month, row.day, {"打ち合わせ "}, 0);
        const QImage second = entryLine(row.month, row.day, {"歯医者 ", "打ち合わせ "}, 1);
        ASSERT_FALSE(alone.isNull());
        QImage empty(alone.size(), alone.format());
        empty.fill(QColor(128, 128, 128));
        ASSERT_NE(alone, empty) << "the entry is drawn";
        EXPECT_EQ(alone, second) << "grid ending on " << row.lastCell;
    }
}
