#include "memos/NoteTones.h"

#include <algorithm>

namespace velmora {

namespace {

// Integer arithmetic: c * 0.7 in floating point lands just under the whole
// value for some channels and would truncate one too low.
std::uint32_t mapChannels(std::uint32_t bgr, int (*channel)(int)) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = static_cast<int>((bgr >> shift) & 0xFFu);
        result |= static_cast<std::uint32_t>(channel(c)) << shift;
    }
    return result;
}

int bevelDark(int c) {
    return c * 7 / 10;
}

int bevelLight(int c) {
    return std::min(c + 40, 255);
}

} // namespace

FrameTones frameTones(const MemoLook& look, Colour colour) {
    const bool transparent = look.trans > 0;
    if (transparent && look.frame != 2 && look.placement != 2) {
        return FrameTones{look.frame == 0 ? FrameStyle::Glass : FrameStyle::None, 0, 0};
    }
    if (transparent && look.frame == 0 && look.placement == 2) {
        // A top-most see-through window keeps a frame that shows on any background.
        return FrameTones{FrameStyle::Bevel, 0x000000, 0xFFFFFF};
    }
    const std::uint32_t bgr = resolveColour(colour);
    if (look.frame == 1) {
        return FrameTones{FrameStyle::Bevel, static_cast<Colour>(bgr), static_cast<Colour>(bgr)};
    }
    return FrameTones{FrameStyle::Bevel, static_cast<Colour>(mapChannels(bgr, bevelDark)),
                      static_cast<Colour>(mapChannels(bgr, bevelLight))};
}

std::uint8_t glassDarken(std::uint8_t value) {
    return static_cast<std::uint8_t>(value * 4 / 5);
}

std::uint8_t glassLighten(std::uint8_t value) {
    const int raised = std::max<int>(value, 50);
    return static_cast<std::uint8_t>(std::min(raised * 13 / 10, 255));
}

} // namespace velmora
