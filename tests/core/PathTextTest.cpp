#include "core/PathText.h"

#include <gtest/gtest.h>

using namespace velmora;

// Past fault: a share stored in the Windows form lost its leading double slash
// and became a folder below the root ("/server/share/x.dat").
TEST(PathText, NetworkPathsStayNetworkPaths) {
    const struct {
        const char* name;
        const char* stored;
    } rows[] = {
        {"Windows separators", "\\\\server\\share\\x.dat"},
        {"this system's separators", "//server/share/x.dat"},
        {"a step back inside the share", "\\\\server\\share\\old\\..\\x.dat"},
    };
    for (const auto& row : rows) {
        const std::string full = absolutePath("/home/u/app/", row.stored);
        EXPECT_EQ(full, "//server/share/x.dat") << row.name;
        EXPECT_EQ(relativeSettingPath("/home/u/app/", full), full) << row.name << ": stays absolute";
    }
}
