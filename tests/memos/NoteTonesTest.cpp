#include "memos/NoteTones.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct ToneCase {
    const char* name;
    MemoLook look;
    Colour colour;
    FrameStyle style;
    Colour dark;
    Colour light;
};

class FrameTonesTest : public ::testing::TestWithParam<ToneCase> {};

TEST_P(FrameTonesTest, StyleAndTones) {
    const ToneCase& c = GetParam();
    const FrameTones tones = frameTones(c.look, c.colour);
    EXPECT_EQ(tones.style, c.style);
    if (c.style == FrameStyle::Bevel) {
        EXPECT_EQ(tones.dark, c.dark);
        EXPECT_EQ(tones.light, c.light);
    }
}

// Channels B 0xF0, G 0xE0, R 0x10: dark 168, 156 (156.8), 11 (11.2); light saturates twice.
constexpr Colour kMixed = 0x00F0E010;
// 90 x 0.7 is 62.999... in double precision: the dark tone must still be 63.
constexpr Colour kNineties = 0x005A5A5A;

INSTANTIATE_TEST_SUITE_P(
    Looks, FrameTonesTest,
    ::testing::Values(
        ToneCase{"opaque_inner_colour", {1, 0, 0, 0}, kMixed, FrameStyle::Bevel, 0x00A89C0B, 0x00FFFF38},
        ToneCase{"float_truncation", {1, 0, 0, 0}, kNineties, FrameStyle::Bevel, 0x003F3F3F, 0x00828282},
        ToneCase{"own_colour_see_through", {0, 2, 3, 0}, kMixed, FrameStyle::Bevel, 0x00A89C0B, 0x00FFFF38},
        ToneCase{"no_frame_opaque_is_flat", {1, 1, 0, 0}, kMixed, FrameStyle::Bevel, kMixed, kMixed},
        ToneCase{"no_frame_topmost_see_through", {2, 1, 2, 0}, kMixed, FrameStyle::Bevel, kMixed, kMixed},
        ToneCase{"topmost_see_through_black_white", {2, 0, 2, 0}, kMixed, FrameStyle::Bevel, 0x000000, 0xFFFFFF},
        ToneCase{"topmost_opaque_keeps_colour", {2, 0, 0, 0}, kMixed, FrameStyle::Bevel, 0x00A89C0B, 0x00FFFF38},
        ToneCase{"system_colour_resolved", {1, 0, 0, 0}, kClWindowText, FrameStyle::Bevel, 0x000000, 0x00282828},
        ToneCase{"see_through_inner_is_glass", {1, 0, 1, 0}, kMixed, FrameStyle::Glass, 0, 0},
        ToneCase{"see_through_bottom_is_glass", {0, 0, 3, 0}, kMixed, FrameStyle::Glass, 0, 0},
        ToneCase{"see_through_no_frame_paints_none", {0, 1, 2, 0}, kMixed, FrameStyle::None, 0, 0}),
    [](const auto& row) { return std::string(row.param.name); });

struct GlassCase {
    const char* name;
    std::uint8_t in;
    std::uint8_t darkened;
    std::uint8_t lightened;
};

class GlassToneTest : public ::testing::TestWithParam<GlassCase> {};

TEST_P(GlassToneTest, Bytes) {
    EXPECT_EQ(glassDarken(GetParam().in), GetParam().darkened);
    EXPECT_EQ(glassLighten(GetParam().in), GetParam().lightened);
}

INSTANTIATE_TEST_SUITE_P(Bytes, GlassToneTest,
                         ::testing::Values(GlassCase{"zero_raised_to_fifty", 0, 0, 65},
                                           GlassCase{"below_floor", 49, 39, 65}, GlassCase{"truncated", 101, 80, 131},
                                           GlassCase{"mid", 100, 80, 130}, GlassCase{"just_below_cap", 196, 156, 254},
                                           GlassCase{"capped", 197, 157, 255}, GlassCase{"white", 255, 204, 255}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
