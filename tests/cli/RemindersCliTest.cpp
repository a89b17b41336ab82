#include "CliRunner.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora::test;

TEST(RemindersCli, PrintsTodaysDecisionsAndTheMinutesCheck) {
    TempDir home;
    std::filesystem::create_directory(home.file("Schedule"));
    const std::string schedule = home.file("Schedule/Schedule.dat");
    writeBytes(schedule, cp932("[DAY]\r\n2026/12/08=\"朝会 \",\"電話 \"\r\n"
                               "[WEEK]\r\n3=\"定例 \"\r\n"
                               "[POPUP]\r\n2026/12/08-00=0,0,09,00,0\r\n2026/12/08-01=1,1,09,30,1\r\n"
                               "2026/12/08-07=0,0,09,00,0\r\nWEEK3-00=0,1,09,30,0\r\n"));
    writeBytes(home.file("Schedule/2026120800.hsk"), "EXEC \"/bin/touch\" \"" + home.file("launched") + "; ls\"\r\n");
    const std::string before = readBytes(schedule);

    const std::string args = "--home " + home.dir() + " --today 2026/12/08 reminders";
    const CliResult r = runCli(args + " --at 09:30");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(outputLines(r.out), (std::vector<std::string>{
                                      "exec\t/bin/touch\t" + home.file("launched") + "; ls",
                                      "now\t2026/12/08-00\t朝会",
                                      "2026/12/08-09:30\t2026/12/08-01\t電話",
                                      "2026/12/08-09:30\tWEEK3-00\t定例",
                                      "fire\t2026/12/08-01\t電話\tbeep",
                                      "fire\tWEEK3-00\t定例\tsilent",
                                  }));
    EXPECT_FALSE(std::filesystem::exists(home.file("launched"))) << "printed, never started";
    EXPECT_EQ(readBytes(schedule), before) << "a query writes nothing";

    const CliResult other = runCli(args + " --at 09:31");
    ASSERT_EQ(other.status, 0) << other.err;
    EXPECT_EQ(outputLines(other.out).size(), 4u) << other.out;
    for (const char* bad : {" --at 9:30", " --at 24:00", " extra"}) {
        EXPECT_EQ(runCli(args + bad).status, 2) << bad;
    }
}
