// The first start over a desktop that already shows a picture of the user's:
// that picture becomes the base instead of being replaced by "no picture".
#include "app/HubTestSupport.h"
#include "core/ProfileFile.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::HubFixture;
using velmora::test::TempDir;

namespace {

// Samplefile as the settings file on disk holds it.
std::string storedSamplefile(const HubFixture& f) {
    ProfileFile file(f.home.file("calendar.ini"));
    file.load();
    return file.readString("SYSTEM", "Samplefile", "(missing)");
}

std::vector<std::string> wallpaperCalls(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (const std::string& c : calls) {
        if (c.rfind("calendar ", 0) == 0 || c.rfind("base ", 0) == 0 || c.rfind("capture ", 0) == 0) {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace

// Past fault: a fresh program folder under GNOME put "no picture" back and
// the user's picture-uri was gone for good.
TEST(FirstStartWallpaper, ThePictureTheDesktopShowsBecomesTheBaseAndIsStoredBeforeTheCalendarGoesIn) {
    TempDir pictures;
    test::writeBytes(pictures.file("beach.webp"), "picture");
    HubFixture f;
    f.platform.current = pictures.file("beach.webp");
    std::string storedAtInstall;
    f.platform.duringInstall = [&] { storedAtInstall = storedSamplefile(f); };
    f.start(true);

    EXPECT_EQ(f.hub.settings().samplefile, pictures.file("beach.webp"));
    EXPECT_EQ(wallpaperCalls(f.platform.calls), (std::vector<std::string>{"base beach.webp"}))
        << "the user's picture goes back, not \"no picture\"";
    EXPECT_EQ(storedSamplefile(f), pictures.file("beach.webp")) << "on disk before the desktop changes";

    f.runRedraw();
    EXPECT_EQ(wallpaperCalls(f.platform.calls),
              (std::vector<std::string>{"base beach.webp", "capture beach.webp", "calendar calendar.bmp"}));
    EXPECT_EQ(storedAtInstall, pictures.file("beach.webp")) << "the calendar never replaces an unsaved picture";
    f.hub.destroy(false);
    EXPECT_EQ(storedSamplefile(f), pictures.file("beach.webp")) << "the next start puts it back";
}

TEST(FirstStartWallpaper, WithTheWallpaperWatchItsFirstTickPutsTheAdoptedPictureBack) {
    TempDir pictures;
    test::writeBytes(pictures.file("beach.png"), "picture");
    HubFixture f;
    f.settings("WatchWallPaper=1\r\n");
    f.platform.current = pictures.file("beach.png");
    f.start();
    f.hub.wallPaperTimerTick();
    f.runRedraw();
    EXPECT_EQ(f.hub.settings().samplefile, pictures.file("beach.png"));
    EXPECT_EQ(wallpaperCalls(f.platform.calls),
              (std::vector<std::string>{"base beach.png", "capture beach.png", "calendar calendar.bmp"}));
}

// What the desktop shows is taken only when it is a picture of the user's
// that exists, and only while there is no base of the user's.
TEST(FirstStartWallpaper, OnlyAnExistingPictureOfTheUsersIsTakenAndOnlyWhenThereIsNoBase) {
    TempDir pictures;
    test::writeBytes(pictures.file("mine.png"), "picture");
    test::writeBytes(pictures.file("shown.png"), "picture");
    test::writeBytes(pictures.file("CALENDAR.BMP"), "picture");
    struct Row {
        const char* name;
        std::string settings; // SYSTEM lines of calendar.ini
        std::string shown;    // what the desktop names
        std::string base;     // the base after the start ("" = none)
    };
    const std::string none = "（なし）";
    const Row rows[] = {
        {"the desktop shows no picture", "", "", none},
        {"the desktop shows a calendar of ours", "", pictures.file("CALENDAR.BMP"), none},
        {"the picture the desktop names has gone", "", pictures.file("gone.png"), none},
        {"the desktop names a folder", "", pictures.path().string(), none},
        {"the user's base is kept over what the desktop shows", "Samplefile=" + pictures.file("mine.png") + "\r\n",
         pictures.file("shown.png"), pictures.file("mine.png")},
        {"a base that has gone is replaced by the picture shown", "Samplefile=" + pictures.file("gone.png") + "\r\n",
         pictures.file("shown.png"), pictures.file("shown.png")},
        {"an explicit none takes the picture shown", "Samplefile=" + none + "\r\n", pictures.file("shown.png"),
         pictures.file("shown.png")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        HubFixture f;
        f.settings(row.settings);
        f.platform.current = row.shown;
        f.start();
        f.runRedraw();
        EXPECT_EQ(f.hub.settings().samplefile, row.base);
    }
}
