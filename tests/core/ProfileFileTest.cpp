#include "core/ProfileFile.h"

#include "core/AtomicFile.h"
#include "core/PathText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;

namespace {

ProfileFile parsed(std::string_view utf8Text) {
    ProfileFile f;
    f.parse(cp932(utf8Text));
    return f;
}

} // namespace

TEST(ProfileFile, ReadsWithProfileSemantics) {
    const ProfileFile f = parsed("; comment=1\r\n"
                                 "[System]\r\n"
                                 "  Name  =  spaced value  \r\n"
                                 "dq=\"quoted\"\r\n"
                                 "sq=' keeps blanks '\r\n"
                                 "half=\"open\r\n"
                                 "mixed=\"a'\r\n"
                                 "dup=first\r\n"
                                 "DUP=second\r\n"
                                 ";skip=this\r\n"
                                 "bare line\r\n"
                                 "jp=仕事\r\n"
                                 "[system]\r\n"
                                 "later=hidden\r\n");
    EXPECT_EQ(f.read("SYSTEM", "name"), "spaced value");
    EXPECT_EQ(f.read("system", "dq"), "quoted");
    EXPECT_EQ(f.read("system", "sq"), " keeps blanks ");
    EXPECT_EQ(f.read("system", "half"), "\"open");
    EXPECT_EQ(f.read("system", "mixed"), "\"a'");
    EXPECT_EQ(f.read("system", "dup"), "first");
    EXPECT_EQ(f.read("system", ";skip"), std::nullopt);
    EXPECT_EQ(f.read("system", "jp"), "仕事");
    // A repeated section is read after the first, so a rewrite keeps its lines.
    EXPECT_EQ(f.read("system", "later"), "hidden");
    EXPECT_EQ(f.read("", "comment"), std::nullopt);
    EXPECT_EQ(f.keyNames("SYSTEM"),
              (std::vector<std::string>{"Name", "dq", "sq", "half", "mixed", "dup", "DUP", "bare line", "jp", "later"}));
    const NameValueList section = f.readSection("System");
    EXPECT_EQ(section.find("dq"), "quoted"); // each value read as a single key reads
    EXPECT_EQ(section.find("mixed"), "\"a'");
    EXPECT_EQ(section.line(7), "bare line");
}

TEST(ProfileFile, NumbersAndBooleans) {
    const ProfileFile f = parsed("[n]\r\na=42\r\nb=-7\r\nc=$FF\r\nd=12abc\r\ne=\r\nf=0x10\r\ng=99999999999\r\n"
                                 "h=$80000008\r\nt=1\r\nz=0\r\n");
    EXPECT_EQ(f.readInteger("n", "a", 0), 42);
    EXPECT_EQ(f.readInteger("n", "b", 0), -7);
    EXPECT_EQ(f.readInteger("n", "c", 0), 255);
    EXPECT_EQ(f.readInteger("n", "d", 5), 5);
    EXPECT_EQ(f.readInteger("n", "e", 6), 6);
    EXPECT_EQ(f.readInteger("n", "f", 0), 16);
    EXPECT_EQ(f.readInteger("n", "g", 8), 8);
    EXPECT_EQ(static_cast<unsigned>(f.readInteger("n", "h", 0)), 0x80000008u);
    EXPECT_EQ(f.readInteger("n", "missing", -1), -1);
    EXPECT_TRUE(f.readBool("n", "t", false));
    EXPECT_FALSE(f.readBool("n", "z", true));
    EXPECT_TRUE(f.readBool("n", "a", false)); // any non-zero number
}

TEST(ProfileFile, ValuesAndSectionsAreReadWhole) {
    // The system's own reader stopped at 2047 bytes a value; our data must not.
    const std::string longValue(100000, 'x');
    std::string text = "[big]\r\nlong=" + longValue + "\r\n";
    for (int i = 0; i < 20000; ++i) {
        text += "2024/01/" + std::to_string(i) + "=entry " + std::to_string(i) + "\r\n";
    }
    const ProfileFile f = parsed(text);
    EXPECT_EQ(f.read("big", "long"), longValue);
    EXPECT_EQ(f.keyNames("big").size(), 20001u);
    EXPECT_EQ(f.readSection("big").find("2024/01/19999"), "entry 19999");
}

TEST(ProfileFile, WritesInPlaceAppendsAndKeepsOtherBytes) {
    // Bytes that are no CP932 text at all survive untouched lines.
    const std::string odd = "junk=\x80\xFF\x81\r\n";
    ProfileFile f;
    f.parse("[A]\r\nk1=old\r\n" + odd + "\r\n[B]\nx=1\n");
    ASSERT_TRUE(f.writeString("a", "K1", "new"));
    ASSERT_TRUE(f.writeString("A", "k2", "added"));
    ASSERT_TRUE(f.writeString("C", "c", "仕事"));
    EXPECT_EQ(f.bytes(),
              "[A]\r\nk1=new\r\n" + odd + "k2=added\r\n\r\n[B]\r\nx=1\r\n[C]\r\nc=" + cp932("仕事") + "\r\n");

    // A character code page 932 cannot hold is refused, and nothing changes.
    const std::string before = f.bytes();
    EXPECT_FALSE(f.writeString("A", "k1", "em \u2014 dash"));
    EXPECT_FALSE(f.writeString("A", "emoji\U0001F600", "v"));
    EXPECT_EQ(f.bytes(), before);
}

// A stray byte (a line cut inside a pair, a file saved as UTF-8) once made
// every later save of the file fail, though the new text was fine.
TEST(ProfileFile, StrayBytesSurviveSavesAndRewrites) {
    const std::string day = "2024/01/05=\"\x81 abc \""; // 0x81 0x20: a lead byte with no trail
    const std::string title = "TITLETEXT=x\xFDy";
    ProfileFile f;
    f.parse("[DAY]\r\n" + day + "\r\n[COLOR]\r\n" + title + "\r\n");
    ASSERT_TRUE(f.writeString("DAY", "2024/01/06", "\"new\""));
    const std::string saved = "[DAY]\r\n" + day + "\r\n2024/01/06=\"new\"\r\n[COLOR]\r\n" + title + "\r\n";
    EXPECT_EQ(f.bytes(), saved);

    // Values read and written back (the schedule store requotes entries) keep their bytes.
    const auto entry = f.read("DAY", "2024/01/05");
    const auto titleText = f.read("COLOR", "TITLETEXT");
    ASSERT_TRUE(entry.has_value());
    ASSERT_TRUE(titleText.has_value());
    ASSERT_TRUE(f.writeString("DAY", "2024/01/05", "\"" + *entry + "\""));
    ASSERT_TRUE(f.writeString("COLOR", "TITLETEXT", *titleText));
    EXPECT_EQ(f.bytes(), saved);

    // An edited value keeps the bytes the user did not touch.
    ASSERT_TRUE(f.writeString("COLOR", "TITLETEXT", *titleText + "予定"));
    EXPECT_EQ(f.bytes(), "[DAY]\r\n" + day + "\r\n2024/01/06=\"new\"\r\n[COLOR]\r\n" + title + cp932("予定") + "\r\n");

    // 〜 as Linux input types it (U+301C) is written at its JIS position.
    ASSERT_TRUE(f.writeString("DAY", "2024/01/07", "\"会議 10:00〜12:00\""));
    EXPECT_NE(f.bytes().find("\r\n2024/01/07=\"" + cp932("会議 10:00") + "\x81\x60" + "12:00\"\r\n"), std::string::npos)
        << f.bytes();
}

TEST(ProfileFile, EraseAndRewriteSections) {
    ProfileFile f = parsed("[A]\r\na=1\r\n[List]\r\n0=x\r\n1=y\r\n\r\n[B]\r\nb=2\r\n[list]\r\n9=stale\r\n");
    NameValueList lines;
    lines.append("0", "new");
    ASSERT_TRUE(f.writeSection("LIST", lines));
    EXPECT_EQ(f.bytes(), cp932("[A]\r\na=1\r\n[List]\r\n0=new\r\n\r\n[B]\r\nb=2\r\n"));
    f.eraseSection("list");
    EXPECT_FALSE(f.hasSection("List"));
    EXPECT_EQ(f.sectionNames(), (std::vector<std::string>{"A", "B"}));
    f.eraseKey("b", "B");
    EXPECT_EQ(f.read("B", "b"), std::nullopt);
}

TEST(ProfileFile, SaveReplacesTheFileOrLeavesItIntact) {
    TempDir dir;
    const std::string path = dir.file("calendar.ini");
    writeBytes(path, "[S]\r\nk=old\r\n");
    ProfileFile f(path);
    ASSERT_EQ(f.load(), ReadOutcome::Read);
    f.writeString("S", "k", "new");

    // A write that breaks off half-way (a full disk) keeps the old file.
    std::string error;
    EXPECT_FALSE(f.save(&error, AtomicWriteOptions{.failAfterBytes = 4}));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readBytes(path), "[S]\r\nk=old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "temporary file left behind";

    ASSERT_TRUE(f.save(&error));
    EXPECT_EQ(readBytes(path), "[S]\r\nk=new\r\n");

    // A read-only file and a vanished folder are reported, never replaced.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_FALSE(f.save(&error));
    EXPECT_EQ(error, "読み取り専用のファイルです");
    ProfileFile lost(dir.file("gone/calendar.ini"));
    EXPECT_FALSE(lost.save(&error));
    EXPECT_EQ(error, "保存先のフォルダが見つかりません");

    ProfileFile missing(dir.file("none.ini"));
    EXPECT_EQ(missing.load(), ReadOutcome::Missing);
    EXPECT_EQ(missing.readString("S", "k", "default"), "default");
}

TEST(PathText, RelativeFormsForTheSettingsFile) {
    EXPECT_EQ(relativeSettingPath("/home/u/app/", "/home/u/app/Schedule/Schedule.dat"), "Schedule\\Schedule.dat");
    EXPECT_EQ(relativeSettingPath("/home/u/app/", "/home/u/data/s.dat"), "..\\data\\s.dat");
    EXPECT_EQ(relativeSettingPath("/home/u/app/", "/mnt/share/s.dat"), "/mnt/share/s.dat"); // another volume
    EXPECT_EQ(relativeSettingPath("/home/u/app/", "//server/share/s.dat"), "//server/share/s.dat");
    EXPECT_EQ(relativeSettingPath("/home/u/app/", "Schedule.dat"), "Schedule.dat");
    EXPECT_EQ(absolutePath("/home/u/app/", "Schedule\\Schedule.dat"), "/home/u/app/Schedule/Schedule.dat");
    EXPECT_EQ(absolutePath("/home/u/app/", "..\\data\\s.dat"), "/home/u/data/s.dat");
    EXPECT_EQ(absolutePath("/home/u/app/", "/abs/x.dat"), "/abs/x.dat");
    EXPECT_EQ(fileNameOf("/a/b/Calendar.BMP"), "Calendar.BMP");
    EXPECT_EQ(folderOf("/a/b/c.dat"), "/a/b/");
}
