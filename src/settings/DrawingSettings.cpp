#include "settings/DrawingSettings.h"

#include <algorithm>

namespace velmora {

namespace {

constexpr int kMaxShadowWidth = 20;
constexpr int kMaxFontSize = 999;
constexpr int kMaxBlocksPerSide = 12;
constexpr int kNoAdjust = 99;
constexpr int kMaxAdjustRow = 10;

} // namespace

Settings drawingSettings(const Settings& settings) {
    Settings s = settings;
    // Each shadow width is one more copy of every text of the pass.
    s.shadowWidth = std::clamp(s.shadowWidth, 0, kMaxShadowWidth);
    for (FontSetting& font : s.fonts) {
        font.size = std::clamp(font.size, 0, kMaxFontSize);
    }
    s.miniSize = std::clamp(s.miniSize, 0, kMaxFontSize);
    s.fbgTrans = std::clamp(s.fbgTrans, 0, 100);
    s.yDrawCol = std::clamp(s.yDrawCol, 1, kMaxBlocksPerSide);
    s.yDrawRow = std::clamp(s.yDrawRow, 1, kMaxBlocksPerSide);
    s.yDrawPos = std::clamp(s.yDrawPos, -1, kMaxBlocksPerSide * kMaxBlocksPerSide - 1);
    // Any value but 99 brings today's week to a row; held near the grid it
    // still does, so the shift in days stays small.
    if (s.adjst != kNoAdjust) {
        s.adjst = std::clamp(s.adjst, -kMaxAdjustRow, kMaxAdjustRow);
    }
    return s;
}

} // namespace velmora
