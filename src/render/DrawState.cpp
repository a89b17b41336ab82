#include "render/DrawState.h"

#include "settings/Settings.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

std::string dayNumberText(int day) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%2d", day);
    return buffer;
}

Margins marginsFor(const Settings& s, int width, int height) {
    const bool several = s.calenFlag == 1;
    // A margin beyond the picture on either side means nothing, and an area
    // many pictures tall would make the fitting of the date numbers try every
    // size down from its height.
    const auto within = [](int margin, int size) { return std::clamp(margin, -size, size); };
    return Margins{within(several ? s.yohakuT2 : s.yohakuT, height), within(several ? s.yohakuB2 : s.yohakuB, height),
                   within(several ? s.yohakuL2 : s.yohakuL, width), within(several ? s.yohakuR2 : s.yohakuR, width)};
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
