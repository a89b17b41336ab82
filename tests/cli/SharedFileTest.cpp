// Several computers on one machine: velmora-cli processes with their own
// computer names on one shared program folder.
#include "CliRunner.h"
#include "core/ProfileFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace velmora::test;

namespace {

struct SharedFolder {
    TempDir home;
    std::string as(const char* computer) const {
        return "VELMORA_HOME=" + home.dir() + " VELMORA_COMPUTERNAME=" + computer;
    }
    std::string key(const char* name) const {
        velmora::ProfileFile f(home.file("Schedule/Schedule.dat"));
        f.load();
        return f.readString("COMPUTER", name, "<absent>");
    }
};

} // namespace

TEST(SharedFile, TheLockHolderEditsAndTheOtherComputerReloads) {
    SharedFolder folder;
    ASSERT_EQ(runCli("lock", folder.as("PC-A")).status, 0);
    EXPECT_EQ(folder.key("UPDATEUSER"), "PC-A");

    const CliResult refused = runCli("add 2026/12/24 Party", folder.as("PC-B"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "ユーザーPC-Aが更新中です\n");

    BackgroundCli watch("watch --interval 100 --timeout 20", folder.as("PC-B"));
    ASSERT_EQ(watch.readLine().rfind("watching\t", 0), 0u) << "the watch has read the file";
    const CliResult added = runCli("add 2026/12/24 '忘年会 19:00'", folder.as("PC-A"));
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "2026/12/24-00\n");
    const CliResult seen = watch.finish();
    ASSERT_EQ(seen.status, 0) << seen.err;
    const auto seenLines = outputLines(seen.out);
    EXPECT_NE(std::find(seenLines.begin(), seenLines.end(), "2026/12/24\t忘年会 19:00 "), seenLines.end()) << seen.out;
    EXPECT_EQ(folder.key("LASTUPDATEUSER"), "PC-A");
    EXPECT_EQ(folder.key("UPDATEUSER"), "");
}

TEST(SharedFile, DecliningTheOwnerQuestionChangesNothingElsewhere) {
    SharedFolder folder;
    ASSERT_EQ(runCli("unlock", folder.as("PC-A")).status, 0); // PC-A makes and owns the file

    BackgroundCli watch("watch --interval 100 --timeout 3", folder.as("PC-A"));
    ASSERT_EQ(watch.readLine().rfind("watching\t", 0), 0u);
    const CliResult declined = runCli("add 2026/12/24 Party", folder.as("PC-B"));
    EXPECT_EQ(declined.status, 1);
    EXPECT_EQ(declined.err, "ユーザーPC-Aのデータです。\n更新しますか？ -> キャンセル\n");
    EXPECT_EQ(folder.key("LASTUPDATEUSER"), "CANCEL");
    EXPECT_EQ(folder.key("UPDATEUSER"), "");
    EXPECT_EQ(watch.finish().status, 1) << "PC-A must not reload a declined edit";

    const CliResult accepted = runCli("add 2026/12/24 Party --yes", folder.as("PC-B"));
    EXPECT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(folder.key("COMPUTER"), "PC-A");
}

TEST(SharedFile, AFileForAllUsersAsksNobodyAndKeepsItsOwner) {
    SharedFolder folder;
    ASSERT_EQ(runCli("unlock", folder.as("PC-A")).status, 0);
    velmora::ProfileFile f(folder.home.file("Schedule/Schedule.dat"));
    f.load();
    f.writeString("COMPUTER", "COMPUTER", "AllUser");
    ASSERT_TRUE(f.save());

    for (const char* computer : {"PC-B", "PC-C"}) {
        const CliResult r = runCli("add 2026/12/31 大掃除", folder.as(computer));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "") << "no question for a shared file";
    }
    EXPECT_EQ(folder.key("COMPUTER"), "AllUser");
    EXPECT_EQ(folder.key("LASTUPDATEUSER"), "PC-C");
}
