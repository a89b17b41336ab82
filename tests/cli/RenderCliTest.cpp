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
