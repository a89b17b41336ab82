#include "render/MonthView.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "core/NameValueList.h"
#include "core/PathText.h"
#include "schedule/EntriesForDate.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <cmath>
#include <cstdio>

namespace velmora {

namespace {

constexpr int kSunday = 1;
constexpr int kSaturday = 7;
constexpr Colour kBlack = 0;

std::string twoDigits(int day) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%.2d", day);
    return buffer;
}

Colour weekdayColour(const Settings& s, int weekday) {
    if (weekday == kSunday) {
        return s.sun;
    }
    return weekday == kSaturday ? s.sat : s.normal;
}

// The title text: the title of the settings, or the data file's name.
std::string titleText(const RenderInputs& in) {
    if (in.settings.schTitle != 1) {
        return in.settings.titleText;
    }
    std::string name = fileNameOf(in.store.path());
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void setFace(Canvas& canvas, const FontSetting& font) {
    canvas.font.face = font.face;
    canvas.font.bold = font.bold;
    canvas.font.italic = font.italic;
    canvas.font.underline = font.underline;
    canvas.font.strikeOut = font.strikeOut;
}

// Rounds halves to even, as the drawing's own rounding does.
int roundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// Bytes of the UTF-8 character that starts with `lead`.
std::size_t characterLength(char lead) {
    const auto c = static_cast<unsigned char>(lead);
    return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
}

std::string_view firstCharacter(std::string_view text) {
    return text.empty() ? text : text.substr(0, characterLength(text[0]));
}

// The first leading run of whole characters (UTF-8) whose width fits.
std::size_t fittingPrefix(Canvas& canvas, std::string_view text, int width) {
    std::size_t fits = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t next = std::min(text.size(), i + characterLength(text[i]));
        if (canvas.textWidth(text.substr(0, next)) > width) {
            break;
        }
        fits = next;
        i = next;
    }
    return fits;
}

// The text without the blanks (half- or full-width) at its end.
std::string_view trimTrailingBlanks(std::string_view text) {
    static constexpr std::string_view kWideBlank = "\u3000";
    while (!text.empty()) {
        if (text.back() == ' ') {
            text.remove_suffix(1);
        } else if (text.ends_with(kWideBlank)) {
            text.remove_suffix(kWideBlank.size());
        } else {
            break;
        }
    }
    return text;
}

// Every cell of the grid with its date and top-left corner, row by row; only
// dates the program can handle.
template <typename Visit> void forEachCell(const DrawState& state, Visit visit) {
    for (int r = 0; r < state.rows; ++r) {
        for (int c = 0; c < 7; ++c) {
            const DateValue d = state.gridStart.addDays(7 * r + c);
            if (absoluteDateRange().contains(d)) {
                visit(d, state.margins.left + 10 + c * state.cellWidth,
                      state.margins.top + state.titleHeight + 10 + r * state.cellHeight);
            }
        }
    }
}

} // namespace

std::string yearMonthText(const Settings& settings, DateValue displayMonth) {
    char buffer[32];
    if (settings.calenFlag == 1) {
        std::snprintf(buffer, sizeof buffer, "  %.4d  ", displayMonth.year());
    } else {
        std::snprintf(buffer, sizeof buffer, "  %.4d/%.2d  ", displayMonth.year(), displayMonth.month());
    }
    return buffer;
}

void drawFrame(Canvas& canvas, const RenderInputs& in, DrawState& state) {
    const Settings& s = in.settings;
    const bool print = in.printMode;
    const bool monthView = s.calenFlag != 1;
    const int W = canvas.width();
    const int H = canvas.height();
    state.margins = marginsFor(s, W, H);
    state.printMode = print;
    state.year = in.displayMonth.year();
    state.month = in.displayMonth.month();
    const auto [T, B, L, R] = state.margins;

    if (s.fillBackGround) {
        canvas.tint(Rect{L, T, W - R, H - B}, resolveColour(s.fbgColor), s.fbgTrans);
    }

    const FontSetting& title = s.font(FontPart::Title);
    const FontSetting& ymFont = s.font(monthView ? FontPart::YearMonth : FontPart::Year);
    canvas.brushStyle = BrushStyle::Clear;
    canvas.fontPixelHeight = 0;
    state.titleHeight = pointsToPixels(title.size, canvas.dpi());
    if (monthView && s.dispYobi == 1) {
        state.titleHeight = static_cast<int>(state.titleHeight * 1.8);
    }

    const std::string ym = yearMonthText(s, in.displayMonth);
    const std::string name = titleText(in);
    const bool swap = s.swap == 1;
    const std::string& large = swap ? ym : name;
    const std::string& small = swap ? name : ym;

    canvas.font = swap ? ymFont : title;
    canvas.font.size = title.size;
    if (print) {
        canvas.font.colour = kBlack;
    }
    const int largeWidth = canvas.textWidth(large);
    state.titleX = L + (W - L - R - largeWidth) / 2;
    state.titleY = T + 5;
    state.titleRight = state.titleX + largeWidth;
    shadowTextOut(canvas, s, print, state.titleX, state.titleY, large);

    if (s.drawArrow == 1) {
        const int h = canvas.textHeight(large);
        const int wl = state.titleX - L;
        const int wr = W - R - state.titleRight;
        const int mid = T + (h + 5) / 2;
        const auto triangles = [&](int dx, int dy) {
            canvas.polygon({{L + static_cast<int>(wl * 0.33) + dx, mid + dy},
                            {L + static_cast<int>(wl * 0.66) + dx, T + 5 + dy},
                            {L + static_cast<int>(wl * 0.66) + dx, T + h + dy}});
            canvas.polygon({{state.titleRight + static_cast<int>(wr * 0.66) + dx, mid + dy},
                            {state.titleRight + static_cast<int>(wr * 0.33) + dx, T + 5 + dy},
                            {state.titleRight + static_cast<int>(wr * 0.33) + dx, T + h + dy}});
        };
        canvas.penWidth = 2;
        canvas.penMode = PenMode::Copy;
        canvas.brushStyle = BrushStyle::Solid;
        if (s.shadowWidth > 0 && !print) {
            canvas.penColour = resolveColour(s.shadow);
            canvas.brushColour = resolveColour(s.shadow);
            for (int m = 1; m <= s.shadowWidth; ++m) {
                triangles(m, m);
            }
        }
        canvas.penColour = resolveColour(canvas.font.colour);
        canvas.brushColour = 0;
        triangles(0, 0);
        canvas.brushStyle = BrushStyle::Clear;
    }

    canvas.font = swap ? title : ymFont;
    canvas.font.size = title.size / 2;
    if (print) {
        canvas.font.colour = kBlack;
    }
    const int smallWidth = canvas.textWidth(small);
    const int smallY = title.size / 2 + state.titleY;
    const int smallX = s.ymRight == 1 ? W - R - smallWidth : L;
    shadowTextOut(canvas, s, print, smallX, smallY, small);

    const int top = T + 10;
    const int th = state.titleHeight;
    state.areas.previous = Rect{L + 10, top, state.titleX, top + th};
    state.areas.title = Rect{state.titleX, top, state.titleRight, top + th};
    state.areas.next = Rect{state.titleRight, top, W - R - 10, top + th};
    state.areas.main = Rect{L + 10, top + th, W - R - 10, H - B};
    state.areas.yearMonth = s.ymRight == 1 ? Rect{W - R - smallWidth - 10, smallY, W - R, th + T + 10}
                                           : Rect{L + 10, smallY, L + smallWidth, th + T + 10};
    state.yearMonthText = state.areas.yearMonth;
}

void drawGrid(Canvas& canvas, const RenderInputs& in, DrawState& state) {
    const Settings& s = in.settings;
    const bool print = in.printMode;
    const int W = canvas.width();
    const int H = canvas.height();
    const auto [T, B, L, R] = state.margins;
    const DateValue month = in.displayMonth.startOfMonth();

    const int w = month.weekday();
    const int back = s.kaishi == 1 ? w - 1 : (w + 5) % 7;
    state.gridStart = month.addDays(-back);
    state.adjustShift = 0;
    const DateValue today = in.now.datePart();
    if (in.adjust && s.adjst != 99 && today.year() == month.year() && today.month() == month.month()) {
        const int weeks = static_cast<int>(std::trunc(in.now.value() - state.gridStart.value())) / 7;
        state.adjustShift = (weeks + 1 - s.adjst) * 7;
        state.gridStart = state.gridStart.addDays(state.adjustShift);
    }
    const DateValue after35 = state.gridStart.addDays(35);
    state.columns = 7;
    state.rows = (after35.year() == month.year() && after35.month() == month.month()) ? 6 : 5;
    state.cellWidth = (W - L - R - 20) / 7;
    state.cellHeight = (H - state.titleHeight - T - B - 20) / state.rows;

    const int left = L + 10;
    const int top = T + state.titleHeight + 10;
    canvas.penWidth = 3;
    canvas.penColour = print ? 0 : resolveColour(s.scale);
    canvas.penMode = s.wakuFlag == 1 ? PenMode::NoOp : PenMode::Copy;
    for (int c = 0; c <= 7; ++c) {
        canvas.line(left + c * state.cellWidth, top, left + c * state.cellWidth, top + state.rows * state.cellHeight);
    }
    for (int r = 0; r <= state.rows; ++r) {
        canvas.line(left, top + r * state.cellHeight, left + 7 * state.cellWidth, top + r * state.cellHeight);
    }
    canvas.penMode = PenMode::Copy;
    setFace(canvas, s.font(FontPart::Yobi));

    if (s.dispYobi == 1) {
        std::vector<std::string> names = fromCommaText(s.weekName);
        if (names.size() < 7) {
            names = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        }
        canvas.font.size = static_cast<int>(s.font(FontPart::Title).size * 0.8);
        for (int c = 0; c < 7; ++c) {
            const int weekday = s.kaishi == 1 ? 1 + c : 1 + (c + 1) % 7; // 1 = Sunday
            canvas.font.colour = print ? kBlack : weekdayColour(s, weekday);
            shadowTextOut(canvas, s, print, left + c * state.cellWidth,
                          static_cast<int>(state.titleHeight * 0.5) + T + 10,
                          names[static_cast<std::size_t>(weekday - 1)]);
        }
    }
}

void drawDateStep(Canvas& canvas, const RenderInputs& in, DrawState& state) {
    const Settings& s = in.settings;
    const bool print = in.printMode;
    const int W = state.cellWidth;
    const int H = state.cellHeight;
    const int small = std::max(s.miniSize, H / 12);
    const DateValue month = in.displayMonth.startOfMonth();
    const DateValue today = in.now.datePart();

    int shownHeight = H / 5;
    int otherHeight = H / 5;
    if (s.fullFont == 1) {
        setFace(canvas, s.font(FontPart::Date));
        canvas.fontPixelHeight = static_cast<int>(H * 0.9);
        while (canvas.fontPixelHeight > 1 && canvas.textWidth("33") > W * 0.9) {
            --canvas.fontPixelHeight;
        }
        shownHeight = canvas.fontPixelHeight;
        otherHeight = static_cast<int>(shownHeight * 0.8);
    }

    forEachCell(state, [&](DateValue d, int x0, int y0) {
        const std::string name = in.calendar.holidays.lookup(d);
        const bool shown = d.year() == month.year() && d.month() == month.month();
        canvas.font.bold = shown;
        canvas.font.italic = !shown;
        canvas.font.underline = false;
        canvas.font.strikeOut = false;
        canvas.fontPixelHeight = shown ? shownHeight : otherHeight;

        if (d.dayNumber() == today.dayNumber()) {
            canvas.penColour = print ? 0 : resolveColour(s.today);
            canvas.brushStyle = BrushStyle::Clear;
            const Rect mark{x0 + 3, y0 + 3, x0 + W - 2, y0 + H - 2};
            if (s.todayMark == 1) {
                canvas.ellipse(mark);
            } else {
                canvas.rectangle(mark);
            }
        }
        Colour colour = weekdayColour(s, d.weekday());
        const std::string dayText = dayNumberText(d.day());
        canvas.font.face = s.font(FontPart::Date).face;
        int x = x0 + 5;
        int y = y0 + 5;
        if (s.fullFont == 1) {
            x += (W - canvas.textWidth(dayText)) / 2 - 5;
            y += (H - canvas.fontPixelHeight) / 2 - 5;
        }
        std::optional<OldCalendarDay> old;
        if (s.rikuyou == 1 || s.kyureki == 1) {
            old = in.calendar.oldDays.find(d);
        }
        if (!name.empty()) {
            colour = s.font(FontPart::Holiday).colour;
        }
        if (print) {
            colour = kBlack;
        }
        canvas.font.colour = colour;
        shadowTextOut(canvas, s, print, x, y, dayText);

        canvas.fontPixelHeight = 0;
        canvas.font.size = small;
        const int w = s.fullFont == 1 ? 0 : canvas.textWidth(twoDigits(d.day()) + "  ");
        canvas.font.face = s.font(FontPart::Holiday).face;
        shadowTextOut(canvas, s, print, x0 + 5 + w, y0 + 1, name);
        if (old && old->leap) {
            canvas.font.bold = false;
            canvas.font.italic = false;
            canvas.font.underline = true;
        }
        const int h = canvas.textHeight("漢字");
        state.lineOffset = h - 1;
        if (s.rikuyou == 1 || s.kyureki == 1) {
            std::string line;
            if (s.rikuyou == 1 && old) {
                line += std::string(kRokuyouNames[static_cast<std::size_t>(old->rokuyou)]) + " ";
            } else if (s.rikuyou == 1) {
                line += " ";
            }
            if (s.kyureki == 1 && old) {
                line += old->dateText();
            }
            canvas.font.face = s.font(FontPart::Kyureki).face;
            shadowTextOut(canvas, s, print, x0 + 5 + w, y0 + h, line);
        }
        canvas.font.colour = s.normal;
    });
    canvas.fontPixelHeight = 0;
}

namespace {

// One line's worth of an entry in its cell: a line of plain or wrapped text,
// or one mark.
struct Piece {
    std::size_t entry = 0;
    int line = 0; // 0 = the first line of the text box
    int x = 0;
    std::string text;
};

// The entries of one cell laid out line by line, before the box decides
// which lines show.
struct CellLayout {
    std::vector<Piece> pieces;
    // Entries that would take a line if there were room: a wrapped entry of
    // which not one character fits the width takes none.
    std::vector<bool> takesLine;
};

// Wrapped lines of one entry: each the longest leading run of whole
// characters that fits, continuations indented by two blanks. Blanks left at
// the end make no line, and a continuation that holds nothing but its indent
// drops the rest (it would otherwise never get shorter).
std::vector<std::string> wrapEntry(Canvas& canvas, std::string_view text, int width) {
    static constexpr std::string_view kIndent = "  ";
    std::vector<std::string> lines;
    std::string rest(text);
    while (!rest.empty()) {
        const std::size_t n = fittingPrefix(canvas, rest, width);
        if (n == 0 || (!lines.empty() && n <= kIndent.size())) {
            break;
        }
        lines.push_back(rest.substr(0, n));
        rest.erase(0, n);
        if (trimTrailingBlanks(rest).empty()) {
            break;
        }
        rest.insert(0, kIndent);
    }
    return lines;
}

} // namespace

void drawEntryStep(Canvas& canvas, const RenderInputs& in, DrawState& state) {
    const Settings& s = in.settings;
    const bool print = in.printMode;
    const int W = state.cellWidth;
    const int H = state.cellHeight;
    const FontSetting& schedule = s.font(FontPart::Schedule);
    const int size = schedule.size > 0 ? schedule.size : std::max(s.miniSize, H / 12);
    const int lineHeight = std::max(1, pointsToPixels(size, canvas.dpi()));
    const DateValue month = in.displayMonth.startOfMonth();
    const EntryContext context = in.calendar.entryContext(in.store, s);
    canvas.fontPixelHeight = 0;
    canvas.brushStyle = BrushStyle::Clear;

    forEachCell(state, [&](DateValue d, int x0, int y0) {
        bool hasEntries = false;
        const std::vector<EntryHit> hits = cellEntries(d, context, &hasEntries);
        if (!hasEntries || hits.empty()) {
            return;
        }
        const bool shown = d.year() == month.year() && d.month() == month.month();
        canvas.font = schedule;
        canvas.font.size = size;
        canvas.font.bold = false;
        canvas.font.italic = !shown;
        canvas.font.underline = false;
        canvas.font.strikeOut = false;

        const int left = x0 + 5;
        const int top = y0 + roundHalfEven(4.0 * H / 35.0) + state.lineOffset;
        const int right = left + static_cast<int>(W * 0.9);
        const int bottom = y0 + H - 10 + state.lineOffset;
        // The box may reach below the cell by the line offset: nothing is
        // drawn over the grid lines (3 pixels wide) or into the next week.
        const int limit = std::min(bottom - 1, y0 + H - 1);
        const int clipLeft = std::max(left, x0 + 2);
        const int clipRight = std::min(right, x0 + W - 1);
        const int clipTop = y0 + 2;
        const int shownLines = top < limit ? (limit - top + lineHeight - 1) / lineHeight : 0;
        const int wholeLines = top < limit ? (limit - top) / lineHeight : 0;

        const auto useEntryLook = [&](const EntryHit& hit) {
            Colour colour = schedule.colour;
            try {
                colour = static_cast<Colour>(std::stol(hit.colour));
            } catch (const std::exception&) {
            }
            // Marks keep their colour on paper too: they tell the entries apart.
            canvas.font.colour = (print && s.schDisp != 1) ? kBlack : colour;
            canvas.font.face = hit.face;
        };

        CellLayout layout;
        layout.takesLine.assign(hits.size(), true);
        if (s.schDisp == 1) {
            int x = left;
            int line = 0;
            for (std::size_t i = 0; i < hits.size() && line < shownLines; ++i) {
                useEntryLook(hits[i]);
                const int markWidth = canvas.textWidth(hits[i].text);
                layout.pieces.push_back(Piece{i, line, x, hits[i].text});
                x += markWidth;
                if (x + markWidth > right) {
                    ++line;
                    x = left;
                }
            }
        } else if (s.bunkatu == 1) {
            int line = 0;
            for (std::size_t i = 0; i < hits.size(); ++i) {
                useEntryLook(hits[i]);
                if (line >= shownLines) {
                    // Below the box: only whether its first character would fit counts.
                    layout.takesLine[i] = fittingPrefix(canvas, firstCharacter(hits[i].text), right - left) > 0;
                    continue;
                }
                const std::vector<std::string> lines = wrapEntry(canvas, hits[i].text, right - left);
                layout.takesLine[i] = !lines.empty();
                for (const std::string& text : lines) {
                    if (line < shownLines) {
                        layout.pieces.push_back(Piece{i, line, left, text});
                    }
                    ++line;
                }
            }
        } else {
            for (std::size_t i = 0; i < hits.size() && static_cast<int>(i) < shownLines; ++i) {
                layout.pieces.push_back(Piece{i, static_cast<int>(i), left, hits[i].text});
            }
        }

        // Entries with no line among the whole lines of the box.
        const auto hiddenEntries = [&](const std::vector<Piece>& pieces) {
            std::vector<bool> seen(hits.size(), false);
            for (const Piece& p : pieces) {
                seen[p.entry] = seen[p.entry] || p.line < wholeLines;
            }
            int hidden = 0;
            for (std::size_t i = 0; i < hits.size(); ++i) {
                hidden += layout.takesLine[i] && !seen[i];
            }
            return hidden;
        };

        const auto drawPiece = [&](const Piece& p) {
            const int lineTop = top + p.line * lineHeight;
            const Rect clip{std::max(p.x, clipLeft), std::max(lineTop, clipTop), clipRight,
                            std::min(lineTop + lineHeight, limit)};
            if (clip.left < clip.right && clip.top < clip.bottom) {
                shadowTextRect(canvas, s, print, clip, p.x, lineTop, p.text);
            }
        };

        int hidden = s.moreMark != 0 && wholeLines > 0 ? hiddenEntries(layout.pieces) : 0;
        if (hidden == 0) {
            for (const Piece& p : layout.pieces) {
                useEntryLook(hits[p.entry]);
                drawPiece(p);
            }
            return;
        }

        // The last whole line ends with "他N件": what stands on it gives way
        // to the mark, which may hide more entries and so grow the number.
        const int markLine = wholeLines - 1;
        const auto useMarkLook = [&] {
            canvas.font.face = schedule.face;
            canvas.font.colour = print ? kBlack : schedule.colour;
        };
        std::vector<Piece> kept;
        std::string mark;
        int markX = left;
        for (int tries = 0; tries <= static_cast<int>(hits.size()); ++tries) {
            mark = "他" + std::to_string(hidden) + "件";
            useMarkLook();
            const int reserved = canvas.textWidth(" " + mark);
            kept.clear();
            markX = left;
            for (const Piece& p : layout.pieces) {
                if (p.line < markLine) {
                    kept.push_back(p);
                    continue;
                }
                if (p.line > markLine) {
                    continue;
                }
                useEntryLook(hits[p.entry]);
                std::string text;
                if (s.schDisp == 1) {
                    if (p.x + canvas.textWidth(p.text) <= right - reserved) {
                        text = p.text;
                    }
                } else {
                    // Trimmed, so that a continuation left with its indent alone goes too.
                    const std::size_t n = fittingPrefix(canvas, p.text, right - p.x - reserved);
                    text = std::string(trimTrailingBlanks(std::string_view(p.text).substr(0, n)));
                }
                if (text.empty()) {
                    continue;
                }
                const int after = p.x + canvas.textWidth(text);
                kept.push_back(Piece{p.entry, p.line, p.x, std::move(text)});
                useMarkLook();
                markX = after + canvas.textWidth(" ");
            }
            const int now = hiddenEntries(kept);
            if (now == hidden) {
                break;
            }
            hidden = now;
        }
        for (const Piece& p : kept) {
            useEntryLook(hits[p.entry]);
            drawPiece(p);
        }
        useMarkLook();
        drawPiece(Piece{hits.size(), markLine, markX, mark});
    });
}

} // namespace velmora
