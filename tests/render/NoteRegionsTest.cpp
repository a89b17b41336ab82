#include "render/NoteRegions.h"
#include "render/NoteFrame.h"

#include "memos/NoteTones.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

constexpr QRgb kKey = 0xFFFFFFFF;

// A hand-made picture: rows of '#' (letter) and '.' (key colour).
QImage bitmapOf(const std::vector<std::string>& rows) {
    QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, rows[y][x] == '#' ? qRgb(0, 0, 0) : kKey);
        }
    }
    return image;
}

QRegion unionOf(const std::vector<QRect>& rects) {
    QRegion r;
    for (const QRect& rect : rects) {
        r += rect;
    }
    return r;
}

TEST(RegionFromBitmap, RunsOfEachRowWithoutTheKeyColour) {
    const QRegion region = regionFromBitmap(bitmapOf({"##..#.", "......", ".####.", ".####.", "#....#"}), kKey);
    EXPECT_TRUE(
        region.xored(unionOf({{0, 0, 2, 1}, {4, 0, 1, 1}, {1, 2, 4, 2}, {0, 4, 1, 1}, {5, 4, 1, 1}})).isEmpty());
    // Rows 2 and 3 are one rectangle, as a united region would hold them.
    EXPECT_EQ(region.rectCount(), 5);

    QImage translucent(3, 1, QImage::Format_ARGB32);
    translucent.fill(0x80FFFFFF); // the key colour, half transparent
    translucent.setPixel(1, 0, 0x00000000);
    EXPECT_EQ(regionFromBitmap(translucent, kKey), QRegion(1, 0, 1, 1));
    EXPECT_TRUE(regionFromBitmap(QImage(), kKey).isEmpty());
}

TEST(AssembleRegion, AnyOrderAndOverlapsGiveTheUnion) {
    const std::vector<QRect> shuffled{{4, 1, 2, 1}, {0, 0, 3, 1}, {0, 1, 2, 1}, {5, 0, 1, 1}, {3, 0, 2, 1}};
    EXPECT_EQ(assembleRegion(shuffled), unionOf(shuffled));
    const std::vector<QRect> overlapping{{0, 0, 5, 5}, {3, 2, 5, 1}, {1, 4, 2, 3}, {2, 2, 0, 4}};
    EXPECT_EQ(assembleRegion(overlapping), unionOf(overlapping));
    EXPECT_TRUE(assembleRegion({}).isEmpty());
}

TEST(BuildTextRegion, LettersInTheClientAreaLineByLine) {
    const QSize window(400, 300);
    const QSize client(394, 294);
    const QFont font("Noto Sans CJK JP", 16);
    const int line = QFontMetrics(font).height();
    const QRegion one = buildTextRegion(window, client, font, QStringLiteral("あいう"));
    ASSERT_FALSE(one.isEmpty());
    EXPECT_TRUE(QRect(3, 3, 394, line).contains(one.boundingRect()));

    const QRegion gap = buildTextRegion(window, client, font, QStringLiteral("あ\n\nい"));
    EXPECT_EQ(buildTextRegion(window, client, font, QStringLiteral("あ\r\n\r\nい")), gap);
    EXPECT_TRUE(gap.intersected(QRect(0, 3 + line, 400, line)).isEmpty());
    EXPECT_FALSE(gap.intersected(QRect(0, 3 + 2 * line, 400, line)).isEmpty());

    EXPECT_TRUE(buildTextRegion(window, client, font, QStringLiteral(" \n　")).isEmpty());
}

struct FrameRegionCase {
    const char* name;
    MemoLook look;
    bool checkerboard;
};

class FrameRegionTest : public ::testing::TestWithParam<FrameRegionCase> {};

TEST_P(FrameRegionTest, RingOrEveryOtherPixel) {
    const QSize window(20, 14);
    const QRegion region = buildFrameRegion(window, QSize(14, 8), GetParam().look);
    const QRect inner(3, 3, 14, 8);
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            const bool ring = !inner.contains(x, y);
            const bool expected = ring && (!GetParam().checkerboard || (x + y) % 2 == 1);
            ASSERT_EQ(region.contains(QPoint(x, y)), expected) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Looks, FrameRegionTest,
                         ::testing::Values(FrameRegionCase{"opaque_topmost", {2, 0, 0, 0}, false},
                                           FrameRegionCase{"see_through_topmost_inner", {2, 0, 2, 0}, true},
                                           FrameRegionCase{"see_through_topmost_no_frame", {2, 1, 3, 0}, false},
                                           FrameRegionCase{"see_through_normal_inner", {1, 0, 2, 0}, false}),
                         [](const auto& row) { return std::string(row.param.name); });

// Frame painting on a 20x16 window, 3 pixels wide, over a marker colour.
constexpr QRgb kMarker = 0xFF123456;

QImage paintFrame(const MemoLook& look, Colour colour, const QImage* behind = nullptr) {
    QImage image(20, 16, QImage::Format_RGB32);
    image.fill(kMarker);
    QPainter painter(&image);
    paintNoteFrame(painter, image.size(), 3, 3, look, colour, behind);
    return image;
}

TEST(PaintNoteFrame, BevelMitredWithoutHoles) {
    const QImage image = paintFrame({1, 0, 0, 0}, 0x00646464);
    const QRgb dark = qRgb(70, 70, 70);
    const QRgb light = qRgb(140, 140, 140);
    // Corners: the diagonal from (20, 0) to (17, 3), and from (3, 13) to (0, 16).
    for (const auto& [x, y, want] : std::vector<std::tuple<int, int, QRgb>>{
             {0, 0, light}, {17, 0, light}, {19, 2, dark}, {0, 13, light}, {2, 15, dark}, {19, 15, dark}}) {
        EXPECT_EQ(image.pixel(x, y), want) << x << "," << y;
    }
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            EXPECT_EQ(image.pixel(x, y) != kMarker, !QRect(3, 3, 14, 10).contains(x, y)) << x << "," << y;
        }
    }
}

struct BandCase {
    const char* name;
    MemoLook look;
    QRgb shaded; // right and bottom bands
    QRgb lit;    // top and left bands
};

class PaintNoteFrameLooks : public ::testing::TestWithParam<BandCase> {};

TEST_P(PaintNoteFrameLooks, BandTones) {
    const QImage image = paintFrame(GetParam().look, 0x00646464);
    EXPECT_EQ(image.pixel(19, 8), GetParam().shaded);
    EXPECT_EQ(image.pixel(10, 15), GetParam().shaded);
    EXPECT_EQ(image.pixel(10, 0), GetParam().lit);
    EXPECT_EQ(image.pixel(0, 8), GetParam().lit);
    EXPECT_EQ(image.pixel(10, 8), kMarker);
}

INSTANTIATE_TEST_SUITE_P(
    Looks, PaintNoteFrameLooks,
    ::testing::Values(BandCase{"inner_colour", {1, 0, 0, 0}, qRgb(70, 70, 70), qRgb(140, 140, 140)},
                      BandCase{"own_colour_see_through", {0, 2, 2, 0}, qRgb(70, 70, 70), qRgb(140, 140, 140)},
                      BandCase{"no_frame_flat", {1, 1, 0, 0}, qRgb(100, 100, 100), qRgb(100, 100, 100)},
                      BandCase{"see_through_topmost", {2, 0, 2, 0}, qRgb(0, 0, 0), qRgb(255, 255, 255)},
                      BandCase{"see_through_no_frame", {0, 1, 2, 0}, kMarker, kMarker}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PaintNoteFrame, GlassTonesWhatLiesBehind) {
    QImage behind(20, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 20; ++x) {
            behind.setPixel(x, y, qRgb(x * 12, y * 15, 30));
        }
    }
    const QImage image = paintFrame({1, 0, 2, 0}, 0x00646464, &behind);
    const auto toned = [&](int x, int y, std::uint8_t (*tone)(std::uint8_t)) {
        const QRgb p = behind.pixel(x, y);
        return qRgb(tone(qRed(p)), tone(qGreen(p)), tone(qBlue(p)));
    };
    EXPECT_EQ(image.pixel(18, 7), toned(18, 7, glassDarken));
    EXPECT_EQ(image.pixel(9, 14), toned(9, 14, glassDarken));
    EXPECT_EQ(image.pixel(11, 1), toned(11, 1, glassLighten));
    EXPECT_EQ(image.pixel(2, 9), toned(2, 9, glassLighten));
    EXPECT_EQ(image.pixel(10, 8), kMarker);

    const QImage wrongSize = behind.copy(0, 0, 19, 16);
    EXPECT_EQ(paintFrame({1, 0, 2, 0}, 0x00646464, &wrongSize), paintFrame({0, 1, 2, 0}, 0));
    EXPECT_EQ(paintFrame({1, 0, 2, 0}, 0x00646464, nullptr), paintFrame({0, 1, 2, 0}, 0));
}

} // namespace
