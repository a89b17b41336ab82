#include "render/HitTest.h"

#include "core/DateText.h"
#include "settings/DrawingSettings.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace velmora {

namespace {

constexpr const char* kNoGridMessage =
    "壁紙のデザインの初期化に失敗しました。\r\n画面のプロパティで壁紙を指定しなおして下さい。";
// ADJST's value for "never bring today's week to a fixed row".
constexpr int kNoAdjust = 99;

bool isCurrentMonth(DateValue month, DateValue now) {
    return month.year() == now.year() && month.month() == now.month();
}

class Hit {
public:
    explicit Hit(const HitInput& input)
        : in(input), s(drawingSettings(input.settings)), st(input.state), month(input.displayMonth.startOfMonth()) {
        result.adjust = input.adjust;
    }

    HitResult run();

private:
    HitResult& answer(int code, std::optional<DateValue> date = std::nullopt) {
        result.code = code;
        result.date = date;
        return result;
    }
    bool adjusting() const { return s.adjst != kNoAdjust; }
    // Rows the grid would move to bring today's week of `m` to row ADJST, in days.
    int shiftFor(DateValue m) const;

    HitResult pick(bool yearOnly);
    HitResult yearMonthSeveral();
    HitResult yearMonthSingle();
    HitResult titleBandSeveral();
    HitResult bodySeveral();
    HitResult titleBandSingle();
    HitResult back();
    HitResult forward();
    HitResult gridSingle();

    const HitInput& in;
    // As the pass that drew the picture read them.
    const Settings s;
    const DrawState& st;
    const DateValue month;
    HitResult result;
};

int Hit::shiftFor(DateValue m) const {
    const DateValue first = m.startOfMonth();
    const int w = first.weekday();
    const int back = s.kaishi == 1 ? w - 1 : (w + 5) % 7;
    const DateValue weekStart = first.addDays(-back);
    const int weeks = static_cast<int>(std::trunc(in.now.value() - weekStart.value())) / 7;
    return (weeks + 1 - s.adjst) * 7;
}

HitResult Hit::pick(bool yearOnly) {
    if (!in.picker) {
        return answer(kHitNothing);
    }
    const auto chosen = in.picker(PickerRequest{month.year(), month.month(), yearOnly});
    if (!chosen) {
        return answer(kHitNothing);
    }
    const auto first = DateValue::fromDate(chosen->year, chosen->month, 1);
    if (!first) {
        return answer(kHitNothing);
    }
    if (!yearOnly) {
        result.adjust = adjusting() && isCurrentMonth(*first, in.now);
    }
    return answer(kHitBack, *first);
}

HitResult Hit::yearMonthSeveral() {
    if (in.alt) {
        return pick(true);
    }
    result.adjust = adjusting() && isCurrentMonth(month, in.now);
    return answer(kHitSwitchView, month);
}

HitResult Hit::yearMonthSingle() {
    if (in.alt) {
        return pick(false);
    }
    result.adjust = false;
    return answer(kHitSwitchView, month);
}

HitResult Hit::titleBandSeveral() {
    const Rect& ym = st.yearMonthText;
    if (ym.left <= in.x && in.x <= ym.right && in.y > ym.top) {
        return s.swap == 1 ? answer(kHitTitle) : yearMonthSeveral();
    }
    const bool beside = in.x < st.titleX || in.x > st.titleRight;
    if (beside && in.alt && in.pickerAllowed) {
        return pick(true);
    }
    // A step moves the whole layout by what one row or column of blocks holds.
    int step = s.yDrawCol;
    if (s.yDrawPos == -1) {
        step = 12;
    } else if (s.yDrawTate == 1) {
        step = s.yDrawRow;
    }
    if (in.x < st.titleX) {
        return answer(kHitBack, month.addMonths(-step));
    }
    if (in.x > st.titleRight) {
        return answer(kHitForward, month.addMonths(step));
    }
    return s.swap == 1 ? yearMonthSeveral() : answer(kHitTitle);
}

HitResult Hit::bodySeveral() {
    for (const MonthBlock& block : st.blocks) {
        if (!block.rect.contains(in.x, in.y)) {
            continue;
        }
        const auto first = parseYearMonth(block.month);
        if (!first || st.lineHeight <= 0 || st.dayWidth <= 0) {
            return answer(kHitNothing);
        }
        const int line = (in.y - block.rect.top) / st.lineHeight;
        const int column = (in.x - block.rect.left) / st.dayWidth;
        if (line == 0) {
            result.adjust = adjusting() && isCurrentMonth(*first, in.now);
            return answer(kHitMonthBlock, *first);
        }
        // The gap right of Saturday and the rest below the last week are no day.
        if (line < 2 || line > 7 || column > 6) {
            return answer(kHitNothing);
        }
        const DateValue d = first->addDays(column + 7 * line - 13 - first->weekday());
        if (d.year() != first->year() || d.month() != first->month()) {
            return answer(kHitNothing);
        }
        return answer(kHitDay, d);
    }
    return answer(kHitNothing);
}

HitResult Hit::titleBandSingle() {
    const Rect& ym = st.yearMonthText;
    if (ym.left <= in.x && in.x <= ym.right && in.y > ym.top) {
        return s.swap == 1 ? answer(kHitTitle) : yearMonthSingle();
    }
    const bool beside = in.x < st.titleX || in.x > st.titleRight;
    if (beside && in.alt && in.pickerAllowed) {
        return pick(false);
    }
    if (in.x < st.titleX) {
        return back();
    }
    if (in.x > st.titleRight) {
        return forward();
    }
    return s.swap == 1 ? yearMonthSingle() : answer(kHitTitle);
}

// In the current month the adjustment is one more stop between the months.
HitResult Hit::back() {
    if (adjusting() && isCurrentMonth(month, in.now)) {
        if (st.adjustShift > 0) {
            result.adjust = false;
            return answer(kHitBack, month);
        }
        if (st.adjustShift == 0 && shiftFor(month) < 0) {
            result.adjust = true;
            return answer(kHitBack, month);
        }
    }
    const DateValue previous = month.addMonths(-1);
    result.adjust = adjusting() && isCurrentMonth(previous, in.now) && shiftFor(previous) > 0;
    return answer(kHitBack, previous);
}

HitResult Hit::forward() {
    if (adjusting() && isCurrentMonth(month, in.now)) {
        if (st.adjustShift < 0) {
            result.adjust = false;
            return answer(kHitForward, month);
        }
        if (st.adjustShift == 0 && shiftFor(month) > 0) {
            result.adjust = true;
            return answer(kHitForward, month);
        }
    }
    const DateValue next = month.addMonths(1);
    result.adjust = adjusting() && isCurrentMonth(next, in.now) && shiftFor(next) < 0;
    return answer(kHitForward, next);
}

HitResult Hit::gridSingle() {
    const auto [T, B, L, R] = st.margins;
    if (!(L + 10 < in.x && in.x < in.screenWidth - R - 10 && in.y < in.screenHeight - B - 10) || st.cellHeight <= 0) {
        return answer(kHitNothing);
    }
    const int column = (in.x - L - 10) / st.cellWidth;
    const int row = (in.y - st.titleHeight - T - 10) / st.cellHeight;
    // The few pixels the truncated cell size leaves right of and below the grid are no day.
    if (column >= 7 || (st.rows > 0 && row >= st.rows)) {
        return answer(kHitNothing);
    }
    const DateValue d = st.gridStart.datePart().addDays(7 * row + column);
    if (!absoluteDateRange().contains(d)) {
        return answer(kHitNothing);
    }
    return answer(kHitDay, d);
}

HitResult Hit::run() {
    const bool several = s.calenFlag == 1;
    if (!several && st.cellWidth == 0) {
        result.captureAndDraw = true;
        result.message = kNoGridMessage;
        return answer(kHitNothing);
    }
    if (in.memoCheck) {
        for (std::size_t i = in.memoRects.size(); i-- > 0;) {
            const Rect& r = in.memoRects[i];
            if (r.left < in.x && in.x < r.right && r.top < in.y && in.y < r.bottom) {
                if (in.bringBackMemo) {
                    in.bringBackMemo(i);
                }
                result.memo = i;
                return answer(kHitMemo);
            }
        }
    }
    const auto [T, B, L, R] = st.margins;
    if (in.y < T || in.y > in.screenHeight - B - 10 || in.x < L + 10 || in.x > in.screenWidth - R - 10) {
        return answer(kHitNothing, in.now);
    }
    const bool titleBand = in.y < st.titleHeight + T + 10;
    if (several) {
        return titleBand ? titleBandSeveral() : bodySeveral();
    }
    return titleBand ? titleBandSingle() : gridSingle();
}

// a * b / c rounded half away from zero, as the printing code has always scaled.
int mulDiv(int a, int b, int c) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>((product < 0) != (c < 0) ? -magnitude : magnitude);
}

} // namespace

HitResult hitTest(const HitInput& input) {
    return Hit(input).run();
}

Rect fitToPage(int bitmapWidth, int bitmapHeight, int pageWidth, int pageHeight) {
    if (bitmapWidth <= 0 || bitmapHeight <= 0) {
        return Rect{0, 0, pageWidth, pageHeight};
    }
    const int width = mulDiv(bitmapWidth, pageHeight, bitmapHeight);
    if (width < pageWidth) {
        return Rect{0, 0, width, pageHeight};
    }
    return Rect{0, 0, pageWidth, mulDiv(bitmapHeight, pageWidth, bitmapWidth)};
}

} // namespace velmora
