#include "platform/x11/DesktopBackends.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <utility>

using namespace velmora;

namespace {

// Records the commands and answers as a desktop would: a given command gets
// its given status and output, any other one the status `otherwise`.
struct FakeDesktop {
    struct Answer {
        int status = 0;
        std::string output;
    };
    std::map<Command, Answer> answers;
    int otherwise = 0;
    std::vector<Command> ran;

    void answer(const Command& c, const std::string& output, int status = 0) { answers[c] = {status, output}; }
    CommandRunner runner() {
        return [this](const Command& c, std::string* out) {
            ran.push_back(c);
            const auto found = answers.find(c);
            if (out) {
                *out = found == answers.end() ? std::string() : found->second.output;
            }
            return found == answers.end() ? otherwise : found->second.status;
        };
    }
    // What was changed, leaving out what was only read.
    std::vector<Command> changes() const {
        std::vector<Command> result;
        for (const Command& c : ran) {
            const bool read = (c[0] == "gsettings" && c[1] == "get") || (c[0] == "xfconf-query" && c.size() < 7);
            if (!read) {
                result.push_back(c);
            }
        }
        return result;
    }
};

Command gsettingsGet(const std::string& schema, const std::string& key) {
    return {"gsettings", "get", schema, key};
}

Command gsettingsSet(const std::string& schema, const std::string& key, const std::string& value) {
    return {"gsettings", "set", schema, key, value};
}

Command xfconfGet(const std::string& property) {
    return {"xfconf-query", "-c", "xfce4-desktop", "-p", property};
}

Command xfconfSet(const std::string& property, const std::string& value) {
    return {"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", value};
}

const Command xfconfList = {"xfconf-query", "-c", "xfce4-desktop", "-l"};
const std::string gnome = "org.gnome.desktop.background";
const std::string cinnamon = "org.cinnamon.desktop.background";
const std::string mate = "org.mate.background";
const std::string interface = "org.gnome.desktop.interface";

void expectWallpaper(const std::optional<DesktopWallpaper>& actual, const DesktopWallpaper& expected) {
    ASSERT_TRUE(actual.has_value());
    EXPECT_EQ(actual->path, expected.path);
    EXPECT_EQ(actual->style, expected.style);
    EXPECT_EQ(actual->background, expected.background) << std::hex << actual->background;
}

} // namespace

TEST(DesktopBackends, TheDesktopIsKnownFromTheSession) {
    const struct {
        const char* current;
        const char* session;
        DesktopKind kind;
    } rows[] = {
        {"ubuntu:GNOME", "", DesktopKind::Gnome},
        {"Budgie:GNOME", "", DesktopKind::Gnome},
        {"Unity", "", DesktopKind::Gnome},
        {"X-Cinnamon", "", DesktopKind::Cinnamon},
        {"MATE", "", DesktopKind::Mate},
        {"KDE", "", DesktopKind::Kde},
        {"XFCE", "", DesktopKind::Xfce},
        {"", "xfce", DesktopKind::Xfce},
        {"", "", DesktopKind::PlainX},
        {"i3", "", DesktopKind::PlainX},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(desktopKindFrom(row.current, row.session), row.kind) << row.current << "/" << row.session;
    }
}

TEST(DesktopBackends, EachDesktopIsToldThroughItsOwnSettings) {
    const std::string path = "/home/u/Velmora Files/calendar.bmp";
    const std::string uri = "file:///home/u/Velmora%20Files/calendar.bmp";
    FakeDesktop gnomeDesktop;
    gnomeDesktop.answer(gsettingsGet(gnome, "picture-options"), "'scaled'\n");
    ASSERT_TRUE(setDesktopWallpaper(DesktopKind::Gnome, path, gnomeDesktop.runner(), nullptr));
    EXPECT_EQ(gnomeDesktop.changes(), (std::vector<Command>{gsettingsSet(gnome, "picture-uri", uri),
                                                            gsettingsSet(gnome, "picture-uri-dark", uri)}));

    FakeDesktop mateDesktop;
    mateDesktop.answer(gsettingsGet(mate, "picture-options"), "'centered'\n");
    ASSERT_TRUE(setDesktopWallpaper(DesktopKind::Mate, path, mateDesktop.runner(), nullptr));
    EXPECT_EQ(mateDesktop.changes(), (std::vector<Command>{gsettingsSet(mate, "picture-filename", path)}));

    FakeDesktop xfce;
    xfce.answer(xfconfList, "/backdrop/screen0/monitor0/workspace0/last-image\n/backdrop/screen0/monitorHDMI-1/"
                            "workspace0/last-image\n/backdrop/screen0/monitor0/workspace0/image-style\n");
    ASSERT_TRUE(setDesktopWallpaper(DesktopKind::Xfce, path, xfce.runner(), nullptr));
    EXPECT_EQ(xfce.changes(),
              (std::vector<Command>{xfconfSet("/backdrop/screen0/monitor0/workspace0/last-image", path),
                                    xfconfSet("/backdrop/screen0/monitorHDMI-1/workspace0/last-image", path)}));

    FakeDesktop missing;
    missing.otherwise = -1;
    std::string error;
    EXPECT_FALSE(setDesktopWallpaper(DesktopKind::Kde, path, missing.runner(), &error));
    EXPECT_EQ(error, "plasma-apply-wallpaperimage がみつかりません");
}

TEST(DesktopBackends, TheCalendarKeepsTheUsersLayoutUnlessItShowsNoPicture) {
    const std::string path = "/tmp/calendar.bmp";
    const struct {
        DesktopKind kind;
        std::string schema;
        std::string pictureKey;
        std::string options; // as gsettings prints it
        int status;
        bool zoom;
    } rows[] = {
        {DesktopKind::Gnome, gnome, "picture-uri", "'spanned'\n", 0, false},
        {DesktopKind::Gnome, gnome, "picture-uri", "'none'\n", 0, true},
        {DesktopKind::Gnome, gnome, "picture-uri", "", 1, true},
        {DesktopKind::Cinnamon, cinnamon, "picture-uri", "'wallpaper'\n", 0, false},
        {DesktopKind::Cinnamon, cinnamon, "picture-uri", "'none'\n", 0, true},
        {DesktopKind::Mate, mate, "picture-filename", "'zoom'\n", 0, false},
        {DesktopKind::Mate, mate, "picture-filename", "'none'\n", 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.schema + " " + row.options);
        FakeDesktop desktop;
        desktop.answer(gsettingsGet(row.schema, "picture-options"), row.options, row.status);
        ASSERT_TRUE(setDesktopWallpaper(row.kind, path, desktop.runner(), nullptr));
        std::vector<Command> expected;
        if (row.zoom) {
            expected.push_back(gsettingsSet(row.schema, "picture-options", "zoom"));
        }
        const std::string value = row.kind == DesktopKind::Mate ? path : "file://" + path;
        expected.push_back(gsettingsSet(row.schema, row.pictureKey, value));
        if (row.kind == DesktopKind::Gnome) {
            expected.push_back(gsettingsSet(row.schema, "picture-uri-dark", value));
        }
        EXPECT_EQ(desktop.changes(), expected);
    }
}

TEST(DesktopBackends, OnXfceTheCalendarShowsOnABackdropWithoutPicture) {
    FakeDesktop desktop;
    const std::string ws0 = "/backdrop/screen0/monitor0/workspace0/";
    const std::string ws1 = "/backdrop/screen0/monitor0/workspace1/";
    desktop.answer(xfconfList,
                   ws0 + "image-style\n" + ws0 + "last-image\n" + ws1 + "image-style\n" + ws1 + "last-image\n");
    desktop.answer(xfconfGet(ws0 + "image-style"), "0\n");
    desktop.answer(xfconfGet(ws1 + "image-style"), "4\n");
    ASSERT_TRUE(setDesktopWallpaper(DesktopKind::Xfce, "/tmp/calendar.bmp", desktop.runner(), nullptr));
    EXPECT_EQ(desktop.changes(), (std::vector<Command>{xfconfSet(ws0 + "image-style", "5"),
                                                       xfconfSet(ws0 + "last-image", "/tmp/calendar.bmp"),
                                                       xfconfSet(ws1 + "last-image", "/tmp/calendar.bmp")}))
        << "workspace 1 keeps its own layout";
}

TEST(DesktopBackends, GsettingsDesktopsNameTheirWallpaperAndLayout) {
    const struct {
        const char* name;
        DesktopKind kind;
        std::vector<std::pair<Command, std::string>> answers; // anything else fails, as an unknown key does
        DesktopWallpaper expected;
    } rows[] = {
        {"percent-encoded file URI",
         DesktopKind::Gnome,
         {{gsettingsGet(interface, "color-scheme"), "'default'\n"},
          {gsettingsGet(gnome, "picture-uri"), "'file:///home/u/My%20Pictures/%E5%A3%81%25.jpg'\n"},
          {gsettingsGet(gnome, "picture-uri-dark"), "'file:///home/u/dark.jpg'\n"},
          {gsettingsGet(gnome, "picture-options"), "'zoom'\n"},
          {gsettingsGet(gnome, "primary-color"), "'#023c88'\n"}},
         {"/home/u/My Pictures/壁%.jpg", WallpaperStyle::Zoom, 0xFF023C88}},
        {"dark style with its own picture; long colour by its high bytes",
         DesktopKind::Gnome,
         {{gsettingsGet(interface, "color-scheme"), "'prefer-dark'\n"},
          {gsettingsGet(gnome, "picture-uri"), "'file:///home/u/light.jpg'\n"},
          {gsettingsGet(gnome, "picture-uri-dark"), "'file:///home/u/dark.jpg'\n"},
          {gsettingsGet(gnome, "picture-options"), "'stretched'\n"},
          {gsettingsGet(gnome, "primary-color"), "'#12ab34cd56ef'\n"}},
         {"/home/u/dark.jpg", WallpaperStyle::Stretch, 0xFF123456}},
        {"dark style with an empty dark key",
         DesktopKind::Gnome,
         {{gsettingsGet(interface, "color-scheme"), "'prefer-dark'\n"},
          {gsettingsGet(gnome, "picture-uri"), "'file:///home/u/light.jpg'\n"},
          {gsettingsGet(gnome, "picture-uri-dark"), "''\n"},
          {gsettingsGet(gnome, "picture-options"), "'centered'\n"},
          {gsettingsGet(gnome, "primary-color"), "'#FFFFFF'\n"}},
         {"/home/u/light.jpg", WallpaperStyle::Centre, 0xFFFFFFFF}},
        {"dark style on a version without the dark key",
         DesktopKind::Gnome,
         {{gsettingsGet(interface, "color-scheme"), "'prefer-dark'\n"},
          {gsettingsGet(gnome, "picture-uri"), "'file:///home/u/light.jpg'\n"},
          {gsettingsGet(gnome, "picture-options"), "'scaled'\n"},
          {gsettingsGet(gnome, "primary-color"), "'#000000'\n"}},
         {"/home/u/light.jpg", WallpaperStyle::Scale, 0xFF000000}},
        {"no picture, on a version without the colour scheme",
         DesktopKind::Gnome,
         {{gsettingsGet(gnome, "picture-uri"), "''\n"},
          {gsettingsGet(gnome, "picture-options"), "'none'\n"},
          {gsettingsGet(gnome, "primary-color"), "'#102030'\n"}},
         {"", WallpaperStyle::NoPicture, 0xFF102030}},
        {"a name with a quote comes in double quotes",
         DesktopKind::Gnome,
         {{gsettingsGet(interface, "color-scheme"), "'default'\n"},
          {gsettingsGet(gnome, "picture-uri"), "\"file:///home/u/it's.jpg\"\n"},
          {gsettingsGet(gnome, "picture-options"), "'wallpaper'\n"},
          {gsettingsGet(gnome, "primary-color"), "'not a colour'\n"}},
         {"/home/u/it's.jpg", WallpaperStyle::Tile, 0xFF000000}},
        {"cinnamon has no dark style",
         DesktopKind::Cinnamon,
         {{gsettingsGet(interface, "color-scheme"), "'prefer-dark'\n"},
          {gsettingsGet(cinnamon, "picture-uri"), "'file:///usr/share/backgrounds/a%20b.png'\n"},
          {gsettingsGet(cinnamon, "picture-uri-dark"), "'file:///usr/share/backgrounds/dark.png'\n"},
          {gsettingsGet(cinnamon, "picture-options"), "'spanned'\n"},
          {gsettingsGet(cinnamon, "primary-color"), "'#abcdef'\n"}},
         {"/usr/share/backgrounds/a b.png", WallpaperStyle::Span, 0xFFABCDEF}},
        {"mate names a plain path, which is not decoded",
         DesktopKind::Mate,
         {{gsettingsGet(mate, "picture-filename"), "'/home/u/My Pictures/c%20d.jpg'\n"},
          {gsettingsGet(mate, "picture-options"), "'stretched'\n"},
          {gsettingsGet(mate, "primary-color"), "'#3c8f25'\n"}},
         {"/home/u/My Pictures/c%20d.jpg", WallpaperStyle::Stretch, 0xFF3C8F25}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeDesktop desktop;
        desktop.otherwise = 1;
        for (const auto& [command, output] : row.answers) {
            desktop.answer(command, output);
        }
        expectWallpaper(readDesktopWallpaper(row.kind, desktop.runner()), row.expected);
        EXPECT_TRUE(desktop.changes().empty()) << "reading changes nothing";
    }
}

TEST(DesktopBackends, XfceNamesTheBackdropOfTheFirstWorkspace) {
    const std::string ws0 = "/backdrop/screen0/monitorHDMI-1/workspace0/";
    const std::string ws1 = "/backdrop/screen0/monitorHDMI-1/workspace1/";
    const std::string siblings = ws0 + "image-style\n" + ws0 + "rgba1\n";
    const struct {
        const char* name;
        std::string listing;
        std::string style;
        std::string rgba;
        DesktopWallpaper expected;
    } rows[] = {
        {"one number a line under a heading",
         ws1 + "last-image\n" + ws0 + "last-image\n" + siblings,
         "4\n",
         "Value is an array with 4 items:\n\n0.200000\n0.400000\n1.000000\n1.000000\n",
         {"/home/u/My Pictures/海.png", WallpaperStyle::Scale, qRgb(51, 102, 255)}},
        {"one line of numbers",
         ws0 + "last-image\n" + siblings,
         "0\n",
         "0.0,0.5,1.0,1.0\n",
         {"/home/u/My Pictures/海.png", WallpaperStyle::NoPicture, qRgb(0, 128, 255)}},
        {"decimal commas",
         ws0 + "last-image\n" + siblings,
         "1\n",
         "Value is an array with 4 items:\n\n1,000000\n0,000000\n0,200000\n1,000000\n",
         {"/home/u/My Pictures/海.png", WallpaperStyle::Centre, qRgb(255, 0, 51)}},
        {"tiled", ws0 + "last-image\n" + siblings, "2\n", "", {"/home/u/My Pictures/海.png", WallpaperStyle::Tile}},
        {"stretched",
         ws0 + "last-image\n" + siblings,
         "3\n",
         "",
         {"/home/u/My Pictures/海.png", WallpaperStyle::Stretch}},
        {"zoomed", ws0 + "last-image\n" + siblings, "5\n", "", {"/home/u/My Pictures/海.png", WallpaperStyle::Zoom}},
        {"spanning", ws0 + "last-image\n" + siblings, "6\n", "", {"/home/u/My Pictures/海.png", WallpaperStyle::Span}},
        {"no style nor colour listed",
         ws0 + "last-image\n",
         "4\n",
         "1.0,1.0,1.0,1.0\n",
         {"/home/u/My Pictures/海.png", WallpaperStyle::Zoom, 0xFF000000}},
        {"only another workspace",
         ws1 + "last-image\n" + ws1 + "image-style\n",
         "3\n",
         "",
         {"/home/u/other.png", WallpaperStyle::Stretch}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeDesktop desktop;
        desktop.otherwise = 1;
        desktop.answer(xfconfList, row.listing);
        desktop.answer(xfconfGet(ws0 + "last-image"), "/home/u/My Pictures/海.png\n");
        desktop.answer(xfconfGet(ws1 + "last-image"), "/home/u/other.png\n");
        for (const std::string& ws : {ws0, ws1}) {
            desktop.answer(xfconfGet(ws + "image-style"), row.style);
            desktop.answer(xfconfGet(ws + "rgba1"), row.rgba);
        }
        expectWallpaper(readDesktopWallpaper(DesktopKind::Xfce, desktop.runner()), row.expected);
    }
}

TEST(DesktopBackends, PlasmaNamesTheImageOfItsDesktop) {
    const std::string others = "[ActionPlugins][0]\nRightButton;NoModifier=org.kde.contextmenu\n\n"
                               "[Containments][1][Wallpaper][org.kde.potd][General]\nImage=/ignored/potd.jpg\n\n"
                               "[Containments][2][General]\nImage=/ignored/general.jpg\n\n";
    const std::string second = "\n[Containments][9][Wallpaper][org.kde.image][General]\nImage=/ignored/second.jpg\n"
                               "FillMode=3\nColor=1,2,3\n";
    const struct {
        const char* name;
        std::string group; // the first image wallpaper's keys
        std::optional<DesktopWallpaper> expected;
    } rows[] = {
        {"percent-encoded file URI, keys before the image",
         "Color=10,20,30\nFillMode=1\nImage=file:///home/u/My%20Pictures/a.jpg\n",
         DesktopWallpaper{"/home/u/My Pictures/a.jpg", WallpaperStyle::Scale, qRgb(10, 20, 30)}},
        {"a plain path, keys after the image", "Image=/home/u/b c.png\nFillMode=6\nColor=255,255,255,255\n",
         DesktopWallpaper{"/home/u/b c.png", WallpaperStyle::Centre, 0xFFFFFFFF}},
        {"stretch", "FillMode=0\nImage=/a.png\n", DesktopWallpaper{"/a.png", WallpaperStyle::Stretch}},
        {"crop", "FillMode=2\nImage=/a.png\n", DesktopWallpaper{"/a.png", WallpaperStyle::Zoom}},
        {"tile", "FillMode=3\nImage=/a.png\n", DesktopWallpaper{"/a.png", WallpaperStyle::Tile}},
        {"no fill mode nor colour", "Image=/a.png\n", DesktopWallpaper{"/a.png", WallpaperStyle::Zoom}},
        {"a group with no image gives way to the next", "FillMode=1\n",
         DesktopWallpaper{"/ignored/second.jpg", WallpaperStyle::Tile, qRgb(1, 2, 3)}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string text = others + "[Containments][7][Wallpaper][org.kde.image][General]\n" + row.group + second;
        ASSERT_TRUE(row.expected);
        expectWallpaper(plasmaWallpaperFrom(text), *row.expected);
    }
    EXPECT_FALSE(plasmaWallpaperFrom(others)) << "no image wallpaper at all";
    EXPECT_FALSE(plasmaWallpaperFrom(""));
}

TEST(DesktopBackends, PlasmaIsReadFromTheUsersConfigFolder) {
    const test::TempDir config;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    FakeDesktop desktop;
    EXPECT_FALSE(readDesktopWallpaper(DesktopKind::Kde, desktop.runner())) << "no file yet";
    test::writeBytes(config.path() / "plasma-org.kde.plasma.desktop-appletsrc",
                     "[Containments][3][Wallpaper][org.kde.image][General]\nImage=file:///home/u/a.jpg\nFillMode=1\n");
    expectWallpaper(readDesktopWallpaper(DesktopKind::Kde, desktop.runner()),
                    {"/home/u/a.jpg", WallpaperStyle::Scale, 0xFF000000});
    if (saved) {
        ::setenv("XDG_CONFIG_HOME", saved->c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

TEST(DesktopBackends, UnreadableSettingsNameNoWallpaper) {
    for (DesktopKind kind : {DesktopKind::Gnome, DesktopKind::Cinnamon, DesktopKind::Mate, DesktopKind::Xfce}) {
        FakeDesktop missing;
        missing.otherwise = -1;
        EXPECT_FALSE(readDesktopWallpaper(kind, missing.runner())) << "tool missing, desktop " << int(kind);
    }
    FakeDesktop answering;
    answering.answer(gsettingsGet(gnome, "picture-uri"), "'file:///a.jpg'\n");
    EXPECT_FALSE(readDesktopWallpaper(DesktopKind::PlainX, answering.runner()));

    FakeDesktop noOptions;
    noOptions.otherwise = 1;
    noOptions.answer(gsettingsGet(gnome, "picture-uri"), "'file:///a.jpg'\n");
    noOptions.answer(gsettingsGet(gnome, "primary-color"), "'#000000'\n");
    EXPECT_FALSE(readDesktopWallpaper(DesktopKind::Gnome, noOptions.runner())) << "the layout failed to read";

    FakeDesktop remote;
    remote.answer(gsettingsGet(gnome, "picture-uri"), "'https://example.org/a.jpg'\n");
    remote.answer(gsettingsGet(gnome, "picture-options"), "'zoom'\n");
    EXPECT_FALSE(readDesktopWallpaper(DesktopKind::Gnome, remote.runner())) << "not a local file";

    FakeDesktop xfceWithoutImage;
    xfceWithoutImage.answer(xfconfList, "/backdrop/screen0/monitor0/workspace0/image-style\n");
    EXPECT_FALSE(readDesktopWallpaper(DesktopKind::Xfce, xfceWithoutImage.runner()));

    FakeDesktop xfceFailing;
    xfceFailing.otherwise = 1;
    xfceFailing.answer(xfconfList, "/backdrop/screen0/monitor0/workspace0/last-image\n");
    EXPECT_FALSE(readDesktopWallpaper(DesktopKind::Xfce, xfceFailing.runner()));
}

TEST(DesktopBackends, TheUsersPictureIsPutBackWithoutTouchingTheLayout) {
    const std::string path = "/home/u/My Pictures/a.jpg";
    const std::string uri = "file:///home/u/My%20Pictures/a.jpg";
    const std::string ws0 = "/backdrop/screen0/monitor0/workspace0/";
    const std::string ws1 = "/backdrop/screen0/monitor0/workspace1/";
    const struct {
        DesktopKind kind;
        std::string path;
        std::vector<Command> changes;
    } rows[] = {
        {DesktopKind::Gnome,
         path,
         {gsettingsSet(gnome, "picture-uri", uri), gsettingsSet(gnome, "picture-uri-dark", uri)}},
        {DesktopKind::Gnome,
         "",
         {gsettingsSet(gnome, "picture-uri", "''"), gsettingsSet(gnome, "picture-uri-dark", "''")}},
        {DesktopKind::Cinnamon, path, {gsettingsSet(cinnamon, "picture-uri", uri)}},
        {DesktopKind::Cinnamon, "", {gsettingsSet(cinnamon, "picture-uri", "''")}},
        {DesktopKind::Mate, path, {gsettingsSet(mate, "picture-filename", path)}},
        {DesktopKind::Mate, "", {gsettingsSet(mate, "picture-filename", "''")}},
        {DesktopKind::Xfce, path, {xfconfSet(ws0 + "last-image", path), xfconfSet(ws1 + "last-image", path)}},
        {DesktopKind::Xfce, "", {xfconfSet(ws0 + "last-image", ""), xfconfSet(ws1 + "last-image", "")}},
        {DesktopKind::Kde, path, {{"plasma-apply-wallpaperimage", path}}},
        {DesktopKind::Kde, "", {}},
        {DesktopKind::PlainX, path, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("desktop " + std::to_string(int(row.kind)) + " picture \"" + row.path + "\"");
        FakeDesktop desktop;
        desktop.answer(xfconfList, ws0 + "image-style\n" + ws0 + "last-image\n" + ws1 + "last-image\n");
        std::string error;
        EXPECT_TRUE(setDesktopBaseWallpaper(row.kind, row.path, desktop.runner(), &error)) << error;
        EXPECT_EQ(desktop.changes(), row.changes);
    }

    FakeDesktop oldGnome;
    oldGnome.answer(gsettingsSet(gnome, "picture-uri-dark", uri), "", 1);
    EXPECT_TRUE(setDesktopBaseWallpaper(DesktopKind::Gnome, path, oldGnome.runner(), nullptr))
        << "a version without the dark key";

    FakeDesktop missing;
    missing.otherwise = -1;
    std::string error;
    EXPECT_FALSE(setDesktopBaseWallpaper(DesktopKind::Gnome, path, missing.runner(), &error));
    EXPECT_EQ(error, "gsettings がみつかりません");

    FakeDesktop refusing;
    refusing.otherwise = 1;
    EXPECT_FALSE(setDesktopBaseWallpaper(DesktopKind::Mate, path, refusing.runner(), &error));
    EXPECT_EQ(error, "gsettings が壁紙の設定を受け付けません");
    EXPECT_FALSE(setDesktopBaseWallpaper(DesktopKind::Kde, path, refusing.runner(), &error));
    EXPECT_EQ(error, "plasma-apply-wallpaperimage が壁紙の設定を受け付けません");
}
