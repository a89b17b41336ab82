#include "platform/WallpaperLayout.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace velmora;

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kBack = 0xFF204060;

// Columns of equal width, the same on every row; bands of two or more pixels
// keep their middle exact under smooth scaling.
QImage bands(const std::vector<QRgb>& colours, int bandWidth, int height) {
    QImage image(static_cast<int>(colours.size()) * bandWidth, height, QImage::Format_RGB32);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < height; ++y) {
            image.setPixel(x, y, colours[x / bandWidth]);
        }
    }
    return image;
}

// 4×2: red | green over blue | yellow.
QImage quadrants() {
    QImage image(4, 2, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x) {
        image.setPixel(x, 0, x < 2 ? kRed : kGreen);
        image.setPixel(x, 1, x < 2 ? kBlue : kYellow);
    }
    return image;
}

} // namespace

TEST(WallpaperLayout, EachStylePlacesThePictureAsTheDesktopDoes) {
    const QImage rgb = bands({kRed, kGreen, kBlue}, 2, 2);     // 6×2
    const QImage wideRgb = bands({kRed, kGreen, kBlue}, 4, 4); // 12×4
    const QImage hugeRgb = bands({kRed, kGreen, kBlue}, 8, 8); // 24×8
    const struct {
        const char* name;
        QImage picture;
        WallpaperStyle style;
        int width;
        int height;
        std::vector<std::pair<QPoint, QRgb>> pixels;
    } rows[] = {
        {"zoom enlarges to cover and crops the sides",
         wideRgb,
         WallpaperStyle::Zoom,
         12,
         12,
         {{{2, 0}, kGreen}, {{9, 0}, kGreen}, {{2, 11}, kGreen}, {{9, 11}, kGreen}}},
        {"zoom of a larger picture only crops",
         wideRgb,
         WallpaperStyle::Zoom,
         4,
         4,
         {{{0, 0}, kGreen}, {{3, 0}, kGreen}, {{0, 3}, kGreen}, {{3, 3}, kGreen}}},
        {"zoom shrinks to cover", hugeRgb, WallpaperStyle::Zoom, 4, 4, {{{0, 0}, kGreen}, {{3, 3}, kGreen}}},
        {"scale enlarges to fit, background above and below",
         quadrants(),
         WallpaperStyle::Scale,
         8,
         8,
         {{{0, 0}, kBack},
          {{7, 1}, kBack},
          {{0, 2}, kRed},
          {{7, 2}, kGreen},
          {{0, 5}, kBlue},
          {{7, 5}, kYellow},
          {{3, 6}, kBack},
          {{7, 7}, kBack}}},
        {"scale shrinks to fit",
         rgb,
         WallpaperStyle::Scale,
         3,
         3,
         {{{0, 0}, kBack}, {{0, 1}, kRed}, {{1, 1}, kGreen}, {{2, 1}, kBlue}, {{2, 2}, kBack}}},
        {"stretch ignores the aspect",
         rgb,
         WallpaperStyle::Stretch,
         3,
         6,
         {{{0, 0}, kRed}, {{1, 5}, kGreen}, {{2, 3}, kBlue}}},
        {"span on one screen stretches",
         quadrants(),
         WallpaperStyle::Span,
         8,
         8,
         {{{1, 1}, kRed}, {{6, 1}, kGreen}, {{1, 6}, kBlue}, {{6, 6}, kYellow}}},
        {"centre keeps the size; the odd pixel of margin goes right and down",
         quadrants(),
         WallpaperStyle::Centre,
         7,
         5,
         {{{0, 0}, kBack},
          {{0, 1}, kBack},
          {{1, 0}, kBack},
          {{1, 1}, kRed},
          {{4, 1}, kGreen},
          {{1, 2}, kBlue},
          {{4, 2}, kYellow},
          {{5, 2}, kBack},
          {{4, 3}, kBack},
          {{6, 4}, kBack}}},
        {"centre crops a larger picture; the odd pixel is cut on the right",
         wideRgb,
         WallpaperStyle::Centre,
         7,
         2,
         {{{0, 0}, kRed}, {{1, 1}, kRed}, {{2, 0}, kGreen}, {{5, 1}, kGreen}, {{6, 0}, kBlue}}},
        {"tile repeats from the top left",
         quadrants(),
         WallpaperStyle::Tile,
         8,
         8,
         {{{0, 0}, kRed},
          {{2, 0}, kGreen},
          {{4, 0}, kRed},
          {{6, 0}, kGreen},
          {{0, 1}, kBlue},
          {{0, 3}, kBlue},
          {{4, 6}, kRed},
          {{7, 7}, kYellow}}},
        {"tile cuts the last copies at the edges",
         quadrants(),
         WallpaperStyle::Tile,
         5,
         3,
         {{{4, 0}, kRed}, {{3, 1}, kYellow}, {{4, 2}, kRed}, {{2, 2}, kGreen}}},
        {"no picture shows the background",
         quadrants(),
         WallpaperStyle::NoPicture,
         8,
         8,
         {{{0, 0}, kBack}, {{3, 3}, kBack}, {{7, 7}, kBack}}},
        {"a null picture shows the background",
         QImage(),
         WallpaperStyle::Zoom,
         8,
         8,
         {{{0, 0}, kBack}, {{3, 3}, kBack}, {{7, 7}, kBack}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QImage screen = layoutWallpaper(row.picture, row.style, kBack, row.width, row.height);
        ASSERT_EQ(screen.size(), QSize(row.width, row.height));
        EXPECT_EQ(screen.format(), QImage::Format_RGB32);
        for (const auto& [point, colour] : row.pixels) {
            EXPECT_EQ(screen.pixel(point), colour) << "at " << point.x() << "," << point.y();
        }
    }
}

TEST(WallpaperLayout, ATranslucentPictureLiesOverTheBackground) {
    QImage picture(2, 2, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    const QImage screen = layoutWallpaper(picture, WallpaperStyle::Stretch, 0x00112233, 4, 4);
    EXPECT_EQ(screen.pixel(1, 1), 0xFF112233u) << "the background shows through, opaque even when given without alpha";
}
