#include "render/DeskTopMemo.h"

#include "memos/NoteTones.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

constexpr int kF = kNoteFrameWidth;

// A calendar whose every pixel differs from its neighbours, so a pixel that
// moved or changed shows.
QImage calendarPicture(int w = 100, int h = 80) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x * 2, y * 3, 77));
        }
    }
    return image;
}

// A 20x10 client in the key colour with a 4x2 letter at (5, 4).
QImage letterClient(QRgb background, QRgb letter) {
    QImage client(20, 10, QImage::Format_RGB32);
    client.fill(background);
    QPainter(&client).fillRect(5, 4, 4, 2, letter);
    return client;
}

TEST(DrawDeskTopMemo, OpaqueMemoWithItsBevel) {
    QImage calendar = calendarPicture();
    const QImage original = calendar;
    drawDeskTopMemo(calendar,
                    {{QPoint(30, 20), letterClient(qRgb(200, 0, 0), qRgb(0, 0, 0)), {1, 0, 0, 1}, 0x00646464, 0}}, kF,
                    kF);
    EXPECT_EQ(calendar.pixel(30, 20), qRgb(200, 0, 0));
    EXPECT_EQ(calendar.pixel(35, 24), qRgb(0, 0, 0));
    EXPECT_EQ(calendar.pixel(27, 25), qRgb(140, 140, 140)); // left band
    EXPECT_EQ(calendar.pixel(40, 17), qRgb(140, 140, 140)); // top band
    EXPECT_EQ(calendar.pixel(52, 25), qRgb(70, 70, 70));    // right band
    EXPECT_EQ(calendar.pixel(40, 32), qRgb(70, 70, 70));    // bottom band
    EXPECT_EQ(calendar.pixel(26, 25), original.pixel(26, 25));
    EXPECT_EQ(calendar.pixel(53, 33), original.pixel(53, 33));
}

struct LettersCase {
    const char* name;
    Colour text;
    QRgb key;
    QRgb letter;
};

class SeeThroughMemo : public ::testing::TestWithParam<LettersCase> {};

// A see-through memo without a frame: only its letters reach the calendar.
TEST_P(SeeThroughMemo, OnlyTheLettersWithoutFrame) {
    const LettersCase& c = GetParam();
    QImage calendar = calendarPicture();
    const QImage original = calendar;
    drawDeskTopMemo(calendar, {{QPoint(30, 20), letterClient(c.key, c.letter), {1, 1, 2, 1}, 0x00646464, c.text}}, kF,
                    kF);
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool letter = QRect(35, 24, 4, 2).contains(x, y);
            ASSERT_EQ(calendar.pixel(x, y), letter ? c.letter : original.pixel(x, y)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    TextColours, SeeThroughMemo,
    ::testing::Values(LettersCase{"dark_text_on_white_key", 0x000000FF, qRgb(255, 255, 255), qRgb(255, 0, 0)},
                      LettersCase{"white_text_on_black_key", 0x00FFFFFF, qRgb(0, 0, 0), qRgb(255, 255, 255)}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DrawDeskTopMemo, GlassFrameTonesTheCalendar) {
    QImage calendar = calendarPicture();
    const QImage original = calendar;
    drawDeskTopMemo(calendar, {{QPoint(30, 20), letterClient(qRgb(255, 255, 255), 0), {1, 0, 2, 1}, 0, 0}}, kF, kF);
    const QRgb left = original.pixel(28, 25);
    const QRgb right = original.pixel(51, 25);
    EXPECT_EQ(calendar.pixel(28, 25), qRgb(glassLighten(qRed(left)), glassLighten(qGreen(left)), 100));
    EXPECT_EQ(calendar.pixel(51, 25), qRgb(glassDarken(qRed(right)), glassDarken(qGreen(right)), 61));
    EXPECT_EQ(calendar.pixel(31, 21), original.pixel(31, 21));
}

TEST(DrawDeskTopMemo, LaterMemosLieOnTopAndEdgesClip) {
    QImage calendar = calendarPicture();
    const QImage red = letterClient(qRgb(255, 0, 0), qRgb(255, 0, 0));
    const QImage blue = letterClient(qRgb(0, 0, 255), qRgb(0, 0, 255));
    drawDeskTopMemo(calendar,
                    {{QPoint(-10, -5), red, {1, 0, 0, 1}, 0, 0},
                     {QPoint(5, 3), blue, {1, 2, 0, 1}, 0, 0},
                     {QPoint(90, 75), red, {1, 1, 2, 1}, 0, 0},
                     {QPoint(95, -8), red, {1, 0, 3, 1}, 0, 0},
                     {QPoint(500, 500), red, {1, 0, 0, 1}, 0, 0},
                     {QPoint(40, 40), QImage(), {1, 0, 0, 1}, 0, 0}},
                    kF, kF);
    EXPECT_EQ(calendar.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(calendar.pixel(5, 3), qRgb(0, 0, 255));
    EXPECT_EQ(calendar.pixel(99, 79), qRgb(255, 0, 0));
    EXPECT_EQ(calendar.pixel(99, 0), qRgb(255, 0, 0));
    EXPECT_EQ(calendar.size(), QSize(100, 80));
}

} // namespace
