#include "CliRunner.h"
#include "core/Cp932.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using velmora::test::readBytes;
using velmora::test::TempDir;

namespace {

using Result = velmora::test::CliResult;

Result cli(const std::string& args, const std::string& environment = "") {
    return velmora::test::runCli(args, environment);
}

std::vector<std::string> lines(const std::string& text) {
    return velmora::test::outputLines(text);
}

} // namespace

TEST(Cli, BadArgumentsGiveTheUsageAndStatusTwo) {
    for (const char* args : {"", "nosuchcommand", "--today 2023/02/29 settings", "--home", "paths extra",
                             "settings --bogus", "--colour red paths"}) {
        const Result r = cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: velmora-cli"), std::string::npos) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST(Cli, SettingsOnAnEmptyHomeSaveAndReadBack) {
    TempDir home;
    const std::string args = "--home " + home.dir() + " --today 2026/12/08 settings";
    const Result first = cli(args + " --save");
    ASSERT_EQ(first.status, 0) << first.err;
    const auto rows = lines(first.out);
    EXPECT_EQ(rows.front(), "SYSTEM\tScheduleFile\tSchedule\\Schedule.dat");
    for (const char* row : {"SYSTEM\tPtnStr\t0000010", "COLOR\tYOHAKUT2\t0", "SYSTEM\tADJST\t99",
                            "SYSTEM\tWEEKNAME\tＳｕｎ,Ｍｏｎ,Ｔｕｅ,Ｗｅｄ,Ｔｈｕ,Ｆｒｉ,Ｓａｔ",
                            "FONT\tDate-Year_FontStyle\t0000", "Desktop\tTileWallpaper\t0"}) {
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;
    }

    const std::string bytes = readBytes(home.file("calendar.ini"));
    EXPECT_NE(bytes.find("[SYSTEM]\r\n"), std::string::npos);
    EXPECT_NE(bytes.find(*velmora::cp932::fromUtf8("OutPtn1=仕事\r\n")), std::string::npos) << "written as CP932";

    const Result second = cli(args);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, first.out);
}

TEST(Cli, AFailedSaveIsReportedWithStatusOne) {
    TempDir home;
    velmora::test::writeBytes(home.file("calendar.ini"), "[SYSTEM]\r\nKaishi=1\r\n");
    std::filesystem::permissions(home.file("calendar.ini"), std::filesystem::perms::owner_read);
    const Result r = cli("--home " + home.dir() + " settings --save");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("設定ファイルを保存できませんでした"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(home.file("calendar.ini")), "[SYSTEM]\r\nKaishi=1\r\n");
}

TEST(Cli, PathsSayWhereEverythingLives) {
    TempDir home;
    const Result r = cli("paths", "VELMORA_HOME=" + home.dir() + " VELMORA_COMPUTERNAME=ACCOUNTING-ROOM-PC-7");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{
                                "ProgramDir\t" + home.dir(),
                                "SettingsPath\t" + home.dir() + "calendar.ini",
                                "ScheduleFilePath\t" + home.dir() + "Schedule/Schedule.dat",
                                "MemoFilePath\t" + home.dir() + "Memo/Memo.dat",
                                "CalendarBitmapPath\t" + home.dir() + "calendar.bmp",
                                "BlankBitmapPath\t" + home.dir() + "blank.bmp",
                                "ComputerName\tACCOUNTING-ROOM",
                            }));
}

TEST(Cli, TheClockCanBeSetForTheWholeRun) {
    TempDir home;
    const Result r = cli("--home " + home.dir() + " settings", "VELMORA_NOW='2031/05/17 23:59:00'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("SYSTEM\tLastdate\t2031/05/17\n"), std::string::npos);
}

TEST(Cli, BackupListAndRestoreGenerations) {
    TempDir home;
    const std::string at = "--home " + home.dir() + " ";
    EXPECT_EQ(cli(at + "backup").status, 1) << "no generations are kept by default";
    EXPECT_FALSE(std::filesystem::exists(home.file("SBK")));

    velmora::test::writeBytes(home.file("calendar.ini"), "[SYSTEM]\r\nBackUpCount=3\r\n");
    ASSERT_EQ(cli(at + "add 2026/12/24 最初").status, 0);
    const Result first = cli(at + "--today 2026/12/01 backup schedule");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(lines(first.out).at(0).substr(0, 7), "BUSch1\t");
    ASSERT_EQ(cli(at + "add 2026/12/25 二番目").status, 0);
    ASSERT_EQ(cli(at + "--today 2026/12/02 backup").status, 0);

    const auto menu = lines(cli(at + "backups").out);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].substr(0, 18), "BUSch2\t2026/12/02 ") << "newest first";
    EXPECT_EQ(menu[0].substr(menu[0].size() - 2), "\t1");
    EXPECT_EQ(menu[1].substr(0, 18), "BUSch1\t2026/12/01 ");
    EXPECT_EQ(menu[2].substr(0, 7), "BUMemo1");

    const Result restored = cli(at + "restore BUSch1");
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(restored.out, home.file("Schedule/Schedule.dat") + "\n");
    const std::string bytes = readBytes(home.file("Schedule/Schedule.dat"));
    EXPECT_NE(bytes.find("2026/12/24"), std::string::npos);
    EXPECT_EQ(bytes.find("2026/12/25"), std::string::npos) << "the later entry is gone with the restore";

    const Result missing = cli(at + "restore BUMemo9");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("BUMemo9 のバックアップはありません"), std::string::npos);
    EXPECT_EQ(cli(at + "restore Schedule.dat").status, 2);
}
