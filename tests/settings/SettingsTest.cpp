#include "settings/Settings.h"
#include "settings/Templates.h"

#include "core/DateText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;

namespace {

using Values = std::map<std::string, std::string>; // "SECTION/Key" -> value

const DateValue kToday = *parseDate("2026/12/08");

SaveContext contextFor(const std::string& programDir) {
    return SaveContext{programDir,
                       programDir + "Schedule/Schedule.dat",
                       programDir + "Memo/Memo.dat",
                       kToday.startOfMonth(),
                       kToday.startOfMonth(),
                       kToday};
}

Values valuesOf(const Settings& s, const SaveContext& context) {
    Values out;
    for (const SettingValue& v : s.values(context)) {
        out[v.section + "/" + v.key] = v.value;
    }
    return out;
}

// The start-up read and the load, as the program runs them.
Settings readBoth(const ProfileFile& file, const std::string& programDir) {
    Settings s;
    StartupReadContext context{programDir, ScreenSize{1920, 1080}, nullptr};
    s.readStartup(file, context, [](const std::string& p) { return std::filesystem::exists(p); });
    s.load(file);
    return s;
}

Settings readBoth(const std::string& path, const std::string& programDir) {
    ProfileFile file(path);
    file.load();
    return readBoth(file, programDir);
}

} // namespace

namespace velmora {
void PrintTo(const FontSetting& f, std::ostream* os) {
    *os << "{" << f.face << ", " << f.size << ", " << f.colour << ", " << fontStyleText(f) << "}";
}
} // namespace velmora

TEST(Settings, AnEmptyFileReadsAsTheDefaults) {
    const Values v = valuesOf(readBoth(ProfileFile(), "/app/"), contextFor("/app/"));
    const std::pair<const char*, const char*> expected[] = {
        {"SYSTEM/PtnStr", "0000010"},
        {"SYSTEM/ADJST", "99"},
        {"SYSTEM/WEEKNAME", "Ｓｕｎ,Ｍｏｎ,Ｔｕｅ,Ｗｅｄ,Ｔｈｕ,Ｆｒｉ,Ｓａｔ"},
        {"SYSTEM/Samplefile", "（なし）"},
        {"SYSTEM/STop", "340"},
        {"SYSTEM/SLeft", "660"},
        {"SYSTEM/AutoPaint", "1"},
        {"SYSTEM/DrawArrow", "1"},
        {"SYSTEM/Furikae", "1"},
        {"SYSTEM/FBGTrans", "100"},
        {"SYSTEM/OutPtn6", "常に表示"},
        {"SYSTEM/Forth", "0"},
        {"SYSTEM/Lastdate", "2026/12/08"},
        {"COLOR/SAT", "16744576"},
        {"COLOR/TITLETEXT", "Velmora"},
        {"COLOR/YOHAKUT2", "0"},
        {"COLOR/YDrawPos", "-1"},
        {"COLOR/FUSENSIZE", "16"},
        {"COLOR/ITALIC", "1"},
        {"FONT/Schedule_FontColor", "clLime"},
        {"FONT/Title_FontColor", "$008000FF"},
        {"FONT/Title_FontStyle", "0100"},
        {"FONT/Fusen_FontSize", "16"},
        {"FONT/Date-Year_FontSize", "0"},
        {"FONT/Yobi-Year_FontSize", "40"},
    };
    for (const auto& [key, value] : expected) {
        ASSERT_TRUE(v.count(key)) << key;
        EXPECT_EQ(v.at(key), value) << key;
    }
    std::size_t fontEntries = 0;
    for (const auto& [key, value] : v) {
        fontEntries += key.rfind("FONT/", 0) == 0;
    }
    EXPECT_EQ(fontEntries, 48u);
    EXPECT_EQ(v.size(), readBoth(ProfileFile(), "/app/").values(contextFor("/app/")).size()) << "a key listed twice";
}

TEST(Settings, LegacyFileReadsAsTheUserMeantIt) {
    TempDir dir;
    const std::string app = dir.dir() + "app/";
    std::filesystem::create_directories(app);
    std::filesystem::copy_file(VELMORA_TEST_DATA_DIR "/settings/legacy-calendar.ini", app + "calendar.ini");
    const Settings s = readBoth(app + "calendar.ini", app);

    EXPECT_EQ(s.ptnStr, "0100000");
    EXPECT_EQ(s.weekName, " 日,月,火,水,木,金,土 ");
    EXPECT_EQ(s.samplefile, "（なし）"); // our own picture is never the base
    EXPECT_EQ(s.fbgTrans, 100);          // not a number: the default
    EXPECT_FALSE(s.furikae);
    EXPECT_EQ(s.yohakuT2, 12); // absent: the month margin
    EXPECT_EQ(s.yohakuB2, 30);
    EXPECT_EQ(s.recentScheduleFiles,
              (std::vector<std::string>{dir.dir() + "shared/Schedule.dat", app + "other/Work.dat"}));

    const FontSetting schedule{"ＭＳ ゴシック", 11, 255, false, false, true, true};
    EXPECT_EQ(s.font(FontPart::Schedule), schedule);
    // The COLOR keys override the title's FONT entry; the style is bold only.
    EXPECT_EQ(s.font(FontPart::Title), (FontSetting{"HG丸ｺﾞｼｯｸM-PRO", 40, 16711680, true}));
    // No FONT entry for the memo font: its own COLOR keys stand.
    EXPECT_EQ(s.font(FontPart::Fusen), (FontSetting{"ＭＳ 明朝", 20, 65535, true}));
    // A size that is no number keeps the font's own size; HOLIDAY sets the colour; a short style pads with "0".
    EXPECT_EQ(s.font(FontPart::Holiday), (FontSetting{"メイリオ", 40, 128, true, true}));
    // A colour text that does not read falls back; a non-digit style character reads as "0".
    EXPECT_EQ(s.font(FontPart::Date), (FontSetting{"HG丸ｺﾞｼｯｸM-PRO", 40, 16711680, true, false, true}));
    EXPECT_EQ(s.font(FontPart::Kyureki).colour, 0x123456);
    EXPECT_EQ(colourToText(s.font(FontPart::YobiYear).colour), "clBtnFace");
    EXPECT_EQ(s.font(FontPart::DateYear), schedule);

    SaveContext context = contextFor(app);
    context.scheduleFilePath = dir.dir() + "shared/Schedule.dat";
    const Values v = valuesOf(s, context);
    EXPECT_EQ(v.at("SYSTEM/ScheduleFile"), "..\\shared\\Schedule.dat");
    EXPECT_EQ(v.at("SCHFILE/1"), "other\\Work.dat");
    EXPECT_EQ(v.at("DefColor/0"), "255"); // renumbered in list order
    EXPECT_EQ(v.at("DefColor/1"), "65280");
    EXPECT_EQ(v.at("MENUOPT/メモを作成する"), "OFF");
}

TEST(Settings, SaveWritesEveryWrittenKeyAndReadsBackTheSame) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    const SaveContext context = contextFor(dir.dir());
    const Settings first = readBoth(path, dir.dir());
    ProfileFile file(path);
    file.load();
    std::string error;
    ASSERT_TRUE(first.save(file, context, &error)) << error;

    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1);
    std::size_t lone = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        lone += bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    }
    EXPECT_EQ(lone, 0u) << "every line ends with CRLF";
    EXPECT_NE(bytes.find(cp932("WEEKNAME='Ｓｕｎ,Ｍｏｎ,Ｔｕｅ,Ｗｅｄ,Ｔｈｕ,Ｆｒｉ,Ｓａｔ'")), std::string::npos);

    ProfileFile saved(path);
    ASSERT_EQ(saved.load(), ReadOutcome::Read);
    for (const SettingValue& v : first.values(context)) {
        EXPECT_EQ(saved.read(v.section, v.key).has_value(), v.written) << v.section << "/" << v.key;
    }
    EXPECT_EQ(valuesOf(readBoth(path, dir.dir()), context), valuesOf(first, context));
}

TEST(Settings, SavingALegacyFileKeepsWhatTheProgramDoesNotOwn) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    std::filesystem::copy_file(VELMORA_TEST_DATA_DIR "/settings/legacy-calendar.ini", path);
    Settings s = readBoth(path, dir.dir());
    s.weekName = " 日,月,火,水,木,金,土 ";
    const SaveContext context = contextFor(dir.dir());
    ProfileFile file(path);
    file.load();
    ASSERT_TRUE(s.save(file, context));

    ProfileFile saved(path);
    saved.load();
    EXPECT_EQ(saved.read("SYSTEM", "UnknownKey"), "keep me");
    EXPECT_EQ(saved.read("Private", "note"), "untouched");
    EXPECT_EQ(readBytes(path).rfind(cp932("; 手で直した古い設定ファイル\r\n"), 0), 0u);
    EXPECT_EQ(saved.readSection("DefColor").lines(), (std::vector<std::string>{"0=255", "1=65280"}));
    // The blanks inside the quotes survive a save and a load.
    EXPECT_EQ(readBoth(path, dir.dir()).weekName, " 日,月,火,水,木,金,土 ");
    EXPECT_EQ(valuesOf(readBoth(path, dir.dir()), context), valuesOf(s, context));
}

// Past faults: a MENUOPT line without "=" came back as "=", and a recent file
// "\\server\share\x.dat" as "/server/share/x.dat".
TEST(Settings, LinesTheProgramOnlyHoldsComeBackAsTheUserWroteThem) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    std::filesystem::copy_file(VELMORA_TEST_DATA_DIR "/settings/kept-lines-calendar.ini", path);
    Settings s = readBoth(path, dir.dir());
    // In memory a share is a network path, not a folder below the root.
    EXPECT_EQ(s.recentScheduleFiles,
              (std::vector<std::string>{"//server/share/x.dat", dir.dir() + "Schedule/Work.dat"}));
    EXPECT_EQ(s.recentMemoFiles, std::vector<std::string>{"//server/share/Memo.dat"});
    EXPECT_NE(s.menuOptions.value("ヘルプ"), "OFF");

    // The user opened another file: it goes first and is written relative.
    s.recentScheduleFiles.insert(s.recentScheduleFiles.begin(), dir.dir() + "Schedule/New.dat");
    const SaveContext context = contextFor(dir.dir());
    const Values v = valuesOf(s, context);
    EXPECT_EQ(v.at("MENUOPT/ヘルプ"), "") << "listed under its own text";
    ProfileFile file(path);
    file.load();
    std::string error;
    ASSERT_TRUE(s.save(file, context, &error)) << error;

    ProfileFile saved(path);
    ASSERT_EQ(saved.load(), ReadOutcome::Read);
    EXPECT_EQ(saved.readSection("MENUOPT").lines(), (std::vector<std::string>{"ヘルプ", "メモを作成する=OFF"}));
    EXPECT_EQ(saved.readSection("SCHFILE").lines(),
              (std::vector<std::string>{"0=Schedule\\New.dat", "1=\\\\server\\share\\x.dat", "2=Schedule\\Work.dat"}));
    EXPECT_EQ(saved.readSection("MEMODATA").lines(), std::vector<std::string>{"0=\\\\server\\share\\Memo.dat"});
    const std::string bytes = readBytes(path);
    EXPECT_NE(bytes.find(cp932("\r\nヘルプ\r\n")), std::string::npos);
    EXPECT_EQ(bytes.find("\r\n=\r\n"), std::string::npos);
    EXPECT_EQ(saved.read("SYSTEM", "UnknownKey"), "keep me");
    EXPECT_EQ(saved.readSection("HOLIDAY").lines(), (std::vector<std::string>{"01/01=元日", "11/23=勤労感謝の日"}));
    // Read again, the file gives what was saved.
    EXPECT_EQ(valuesOf(readBoth(path, dir.dir()), context), v);
}

TEST(Settings, ASaveOverAFileWhoseReadFailedWritesNothing) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    std::filesystem::create_directory(path);
    ProfileFile file(path);
    ASSERT_EQ(file.load(), ReadOutcome::Failed);
    std::string error;
    EXPECT_FALSE(Settings().save(file, contextFor(dir.dir()), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_TRUE(std::filesystem::is_empty(path));
}

TEST(Settings, AFailedSaveLeavesTheOldFileAndSaysWhy) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    writeBytes(path, "[SYSTEM]\r\nKaishi=1\r\n");
    Settings s = readBoth(path, dir.dir());
    ProfileFile file(path);
    file.load();
    std::string error;
    AtomicWriteOptions fullDisk;
    fullDisk.failAfterBytes = 100;
    EXPECT_FALSE(s.save(file, contextFor(dir.dir()), &error, fullDisk));
    EXPECT_EQ(error, "ディスクの空き容量が足りません");
    EXPECT_EQ(readBytes(path), "[SYSTEM]\r\nKaishi=1\r\n");

    s.titleText = "予定\U0001F600"; // no CP932 form
    ProfileFile again(path);
    again.load();
    EXPECT_FALSE(s.save(again, contextFor(dir.dir()), &error));
    EXPECT_NE(error.find("COLOR/TITLETEXT"), std::string::npos) << error;
    EXPECT_EQ(readBytes(path), "[SYSTEM]\r\nKaishi=1\r\n");
}

TEST(Settings, TheStartupCheckOfTheBaseWallpaper) {
    TempDir dir;
    writeBytes(dir.file("photo.jpg"), "x");
    const struct {
        const char* stored;
        std::string expected;
    } rows[] = {
        {"photo.jpg", "photo.jpg"},
        {"missing.jpg", "（なし）"},
        {"Calendar.BMP", "（なし）"},
        {"（なし）", "（なし）"},
    };
    for (const auto& row : rows) {
        ProfileFile file;
        file.writeString("SYSTEM", "Samplefile", row.stored);
        Settings s;
        s.readStartup(file, StartupReadContext{dir.dir(), {}, nullptr},
                      [](const std::string& p) { return std::filesystem::exists(p); });
        EXPECT_EQ(s.samplefile, row.expected) << row.stored;
    }
}

TEST(ColourText, NamesHexadecimalAndFallbacks) {
    EXPECT_EQ(colourToText(0x0000FF), "clRed");
    EXPECT_EQ(colourToText(0x00FF00), "clLime");
    EXPECT_EQ(colourToText(0x8000FF), "$008000FF");
    EXPECT_EQ(colourToText(kClNone), "clNone");
    EXPECT_EQ(colourToText(static_cast<Colour>(0x8000000F)), "clBtnFace");
    EXPECT_EQ(colourFromText("clred"), 0x0000FF);
    EXPECT_EQ(colourFromText("$00ABCDEF"), 0xABCDEF);
    EXPECT_EQ(colourFromText("65280"), 0x00FF00);
    EXPECT_EQ(colourFromText("clWindowText"), kClWindowText);
    EXPECT_EQ(colourFromText("clNoSuchColour"), std::nullopt);
    EXPECT_EQ(colourFromText("$"), std::nullopt);
    EXPECT_EQ(colourFromText("$1FFFFFFFF"), std::nullopt);
    for (std::uint32_t v : {0x000000u, 0x123456u, 0x80000008u, 0x1FFFFFFFu, 0x20000000u, 0xFFFFFFu}) {
        EXPECT_EQ(colourFromText(colourToText(static_cast<Colour>(v))), static_cast<Colour>(v)) << v;
    }
    EXPECT_EQ(resolveColour(kClWindowText), 0x000000u);
    EXPECT_EQ(resolveColour(0x12345678), 0x345678u);
}

TEST(FontStyleText, FourCharactersBoldItalicUnderlineStrikeOut) {
    const struct {
        const char* text;
        std::array<bool, 4> bits;
    } rows[] = {
        {"1100", {true, true, false, false}}, {"0011", {false, false, true, true}},
        {"1", {true, false, false, false}},   {"", {false, false, false, false}},
        {"x1y1", {false, true, false, true}}, {"2000", {true, false, false, false}},
    };
    for (const auto& row : rows) {
        FontSetting f{"face", 10, 0, true, true, true, true};
        applyFontStyleText(f, row.text);
        EXPECT_EQ((std::array<bool, 4>{f.bold, f.italic, f.underline, f.strikeOut}), row.bits) << row.text;
    }
    EXPECT_EQ(fontStyleText(FontSetting{"f", 1, 0, true, false, false, true}), "1001");
}

TEST(Settings, TheTemplateOfANewInstallationHoldsTheDefaults) {
    // first.ini is what a new user starts from; it must not drift from the table.
    const TemplateFile* first = findTemplate("first.ini");
    ASSERT_NE(first, nullptr);
    ProfileFile file;
    file.parse(first->bytes());
    Values fromTemplate = valuesOf(readBoth(file, "/app/"), contextFor("/app/"));
    // The holiday list is data of its own; everything else is the table's defaults.
    std::erase_if(fromTemplate, [](const auto& v) { return v.first.rfind("HOLIDAY/", 0) == 0; });
    EXPECT_EQ(fromTemplate, valuesOf(readBoth(ProfileFile(), "/app/"), contextFor("/app/")));
    EXPECT_TRUE(file.read("FONT", "Fusen_FontSize").has_value());
}
