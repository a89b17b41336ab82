#include "render/DrawState.h"

#include "settings/Settings.h"

#include <cstdio>

namespace velmora {

std::string dayNumberText(int day) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%2d", day);
    return buffer;
}

Margins marginsFor(const Settings& s) {
    if (s.calenFlag == 1) {
        return Margins{s.yohakuT2, s.yohakuB2, s.yohakuL2, s.yohakuR2};
    }
    return Margins{s.yohakuT, s.yohakuB, s.yohakuL, s.yohakuR};
}

namespace {

template <typename Draw> void withShadow(Canvas& canvas, const Settings& s, bool printMode, int x, int y, Draw draw) {
    if (s.shadowWidth > 0 && !printMode) {
        const Colour kept = canvas.font.colour;
        canvas.font.colour = s.shadow;
        for (int i = 0; i <= s.shadowWidth; ++i) {
            draw(x + i, y + i);
        }
        canvas.font.colour = kept;
    }
    draw(x, y);
}

} // namespace

void shadowTextOut(Canvas& canvas, const Settings& s, bool printMode, int x, int y, std::string_view text) {
    withShadow(canvas, s, printMode, x, y, [&](int px, int py) { canvas.textOut(px, py, text); });
}

void shadowTextRect(Canvas& canvas, const Settings& s, bool printMode, const Rect& clip, int x, int y,
                    std::string_view text) {
    withShadow(canvas, s, printMode, x, y, [&](int px, int py) { canvas.textRect(clip, px, py, text); });
}

} // namespace velmora
