#include "CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

using namespace velmora::test;

namespace {

std::uint32_t le32(const std::string& b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

} // namespace

TEST(RenderCli, WritesTheCalendarBitmapAndThePrintPage) {
    TempDir home;
    const std::string at = "--home " + home.dir() + " --today 2026/12/08 ";
    const CliResult r = runCli(at + "render");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, home.file("calendar.bmp") + "\n");
    const std::string bmp = readBytes(home.file("calendar.bmp"));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(le32(bmp, 18), 1920u);
    EXPECT_EQ(le32(bmp, 22), 1080u);
    EXPECT_EQ(bmp.size(), 54u + 1920u * 3 * 1080);

    const CliResult small =
        runCli(at + "render --view year --size 800x600 --month 2027/03 --out " + home.file("y.bmp"));
    ASSERT_EQ(small.status, 0) << small.err;
    const std::string y = readBytes(home.file("y.bmp"));
    EXPECT_EQ(le32(y, 18), 800u);
    EXPECT_EQ(le32(y, 22), 600u);

    const CliResult pdf = runCli(at + "render --print " + home.file("page.pdf"));
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(readBytes(home.file("page.pdf")).substr(0, 4), "%PDF");

    for (const char* bad : {"render --size 10x10", "render --month 2026/13", "render --view week", "render extra"}) {
        EXPECT_EQ(runCli(at + bad).status, 2) << bad;
    }
    EXPECT_EQ(runCli(at + "render --base " + home.file("missing.png")).status, 1);
}

namespace {

// Red, green and blue of a pixel of a 24-bit bottom-up bitmap.
struct Rgb {
    int r, g, b;
};
Rgb pixelOf(const std::string& bmp, int x, int y) {
    const int width = static_cast<int>(le32(bmp, 18));
    const int height = static_cast<int>(le32(bmp, 22));
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t at = le32(bmp, 10) + static_cast<std::size_t>(height - 1 - y) * rowBytes + x * 3u;
    return Rgb{static_cast<unsigned char>(bmp[at + 2]), static_cast<unsigned char>(bmp[at + 1]),
               static_cast<unsigned char>(bmp[at])};
}

} // namespace

// Past fault: hit laid the pass out with fixed text metrics and without the
// ADJST shift, so it answered for another picture than render drew.
TEST(RenderCli, HitAnswersForThePictureRenderDraws) {
    TempDir home;
    // A proportional title face whose narrow letters no fixed metric guesses.
    writeBytes(home.file("calendar.ini"),
               cp932("[SYSTEM]\r\nADJST=2\r\nDrawArrow=0\r\n[COLOR]\r\nNAME=ＭＳ Ｐゴシック\r\n"
                     "TITLETEXT=iiiiiiiiiiiiiiiiiiiiiiiiiiiiii\r\n"));
    const std::string at = "--home " + home.dir() + " --today 2026/08/20 ";
    ASSERT_EQ(runCli(at + "render --month 2026/08 --out " + home.file("c.bmp")).status, 0);
    const std::string bmp = readBytes(home.file("c.bmp"));
    ASSERT_EQ(bmp.size(), 54u + 1920u * 3 * 1080);

    // The title's ink (its colour is $8000FF) between the year/month text and the right edge.
    int inkLeft = 0;
    int inkRight = 0;
    for (int x = 300; x < 1620; ++x) {
        for (int y = 5; y < 58; ++y) {
            const Rgb p = pixelOf(bmp, x, y);
            if (p.r > 200 && p.g < 60) {
                inkLeft = inkLeft == 0 ? x : inkLeft;
                inkRight = x;
            }
        }
    }
    ASSERT_GT(inkRight, inkLeft);
    const auto hit = [&](int x, int y) {
        return runCli(at + "hit " + std::to_string(x) + " " + std::to_string(y)).out;
    };
    EXPECT_EQ(hit((inkLeft + inkRight) / 2, 30), "2\t2026/08/01\n") << "on the title";
    EXPECT_EQ(hit(inkLeft - 12, 30).substr(0, 2), "3\t") << "left of the title's ink at " << inkLeft;
    EXPECT_EQ(hit(inkRight + 12, 30).substr(0, 2), "4\t") << "right of the title's ink at " << inkRight;
    // Today's week (8/17) in row 2: the top row starts on 8/10, as render drew it.
    EXPECT_EQ(hit(100, 150), "1\t2026/08/10\n");
}
