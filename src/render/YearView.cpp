#include "render/YearView.h"

#include "calendar/CalendarState.h"
#include "calendar/DayWindow.h"
#include "core/DateText.h"
#include "schedule/EntriesForDate.h"
#include "settings/Settings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>

namespace velmora {

namespace {

constexpr std::array<const char*, 7> kShortWeekdayNames = {"日", "月", "火", "水", "木", "金", "土"};
// The click table holds this many blocks; a larger layout draws the rest without clicks.
constexpr std::size_t kMaxBlocks = 16;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr int kSunday = 1;
constexpr int kSaturday = 7;

// A part's face and style at the step's common size, in the given colour.
FontSetting partFont(const Settings& s, FontPart part, int size, Colour colour) {
    FontSetting font = s.font(part);
    font.size = size;
    font.colour = colour;
    return font;
}

struct BlockPlace {
    int column = 0;
    int row = 0;
};

} // namespace

void drawYearStep(Canvas& canvas, const RenderInputs& in, DrawState& state) {
    const Settings& s = in.settings;
    const bool print = in.printMode;
    const Margins m = state.margins;
    const int cols = std::max(1, s.yDrawCol);
    const int rows = std::max(1, s.yDrawRow);

    const int blockWidth = (canvas.width() - m.left - m.right) / cols;
    const int blockHeight = (canvas.height() - state.titleHeight - m.top - m.bottom) / rows;
    const int dw = (blockWidth - 20) / 7;
    const int dh = (blockHeight - 10) / 8;
    state.dayWidth = dw;
    state.lineHeight = dh;
    state.blocks.clear();

    // One size for every text of the step: two digits must fit a day column.
    int size = std::max(1, static_cast<int>(dh * 0.65));
    canvas.font = partFont(s, FontPart::DateYear, size, kWhite);
    canvas.brushStyle = BrushStyle::Clear;
    while (size > 1 && canvas.textWidth("33") + 2 > dw) {
        --size;
        canvas.font.size = size;
    }
    const int digitsWidth = canvas.textWidth("99");

    std::optional<EntryContext> entries;
    if (s.drawUL == 1) {
        entries.emplace(in.calendar.entryContext(in.store, s));
    }

    const DaySpan span = multiMonthSpan(s, in.displayMonth);
    int block = -1;
    BlockPlace place;
    int firstOffset = 0;
    auto lineTop = [&](int line) { return m.top + state.titleHeight + place.row * blockHeight + line * dh + 10; };
    auto columnLeft = [&](int column) { return m.left + place.column * blockWidth + column * dw + 10; };

    for (int n = span.first.dayNumber(); n <= span.last.dayNumber(); ++n) {
        const DateValue d = DateValue::fromDayNumber(n);
        const CivilDate date = d.date();
        const int w = d.weekday();

        if (date.day == 1 || block < 0) {
            ++block;
            if (s.yDrawTate == 1) {
                place = BlockPlace{block / rows, block % rows};
            } else {
                place = BlockPlace{block % cols, block / cols};
            }
            firstOffset = d.startOfMonth().weekday() - 1;
            const FontSetting& header = s.font(FontPart::MonthYear);
            canvas.font = partFont(s, FontPart::MonthYear, size, print ? kBlack : header.colour);
            shadowTextOut(canvas, s, print, columnLeft(3), lineTop(0), dayNumberText(date.month) + "月");
            if (state.blocks.size() < kMaxBlocks) {
                const int left = columnLeft(3) - 3 * dw;
                const int top = lineTop(0);
                state.blocks.push_back(
                    MonthBlock{Rect{left, top, left + blockWidth, top + blockHeight}, formatYearMonth(d)});
            }
        }

        Colour colour = s.normal;
        if (w == kSunday) {
            colour = s.sun;
        } else if (w == kSaturday) {
            colour = s.sat;
        }
        const std::string holiday = in.calendar.holidays.lookup(d);

        if (date.day <= 7) {
            const char* name = kShortWeekdayNames[static_cast<std::size_t>(w - 1)];
            canvas.font = partFont(s, FontPart::YobiYear, size, print ? kBlack : colour);
            shadowTextOut(canvas, s, print, columnLeft(w - 1) + digitsWidth - canvas.textWidth(name), lineTop(1), name);
        }

        if (!holiday.empty()) {
            colour = print ? kBlack : s.font(FontPart::Holiday).colour;
        }

        const int a = date.day + firstOffset - 1;
        const std::string number = dayNumberText(date.day);
        // On paper every text is black.
        canvas.font = partFont(s, FontPart::DateYear, size, print ? kBlack : colour);
        const int x = columnLeft(a % 7) + digitsWidth - canvas.textWidth(number);
        const int y = lineTop(2 + a / 7);

        if (n == in.now.dayNumber()) {
            canvas.brushStyle = BrushStyle::Solid;
            canvas.brushColour = print ? 0xFFFFFFu : resolveColour(s.today);
        }
        if (entries) {
            canvas.font.underline = !cellEntries(d, *entries).empty();
        }
        shadowTextOut(canvas, s, print, x, y, number);
        canvas.brushStyle = BrushStyle::Clear;
    }
}

} // namespace velmora
