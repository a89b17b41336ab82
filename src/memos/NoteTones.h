#pragma once

#include "memos/MemoFiles.h"
#include "settings/ColorText.h"

#include <cstdint>

namespace velmora {

// The sizing frame of a note window on every side, in pixels: the dialog-frame
// width the windows have always had.
inline constexpr int kNoteFrameWidth = 3;

enum class FrameStyle {
    Bevel, // two flat tones, light top and left
    Glass, // what lies behind, darkened right and bottom, lightened top and left
    None,  // nothing painted
};

struct FrameTones {
    FrameStyle style = FrameStyle::Bevel;
    Colour dark = 0;  // plain 0x00BBGGRR
    Colour light = 0; // plain 0x00BBGGRR
};

// How a note window's frame is painted for its look and colour; system
// colours are resolved first. Never fails.
FrameTones frameTones(const MemoLook& look, Colour colour);

// One byte of the glass look's shaded side (x 0.8, truncated).
std::uint8_t glassDarken(std::uint8_t value);
// One byte of the glass look's lit side (at least 50, x 1.3, truncated, at most 255).
std::uint8_t glassLighten(std::uint8_t value);

} // namespace velmora
