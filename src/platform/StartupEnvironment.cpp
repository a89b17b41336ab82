#include "platform/StartupEnvironment.h"

#include "platform/InstallLayout.h"

#include <cstdlib>

namespace velmora {

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

StartupEnvironment makeStartupEnvironment(const Platform& platform, const Clock& clock,
                                          const std::string& commandLineHome, std::optional<DateValue> today) {
    // An installed program never keeps the user's files beside itself, even
    // where it could write there (run as root, or unpacked into a user's folder):
    // it takes the per-user folder.
    std::string executableDir = platform.executableDir();
    if (!installedDataDir(executableDir).empty()) {
        executableDir.clear();
    }
    ProgramDirInputs inputs{commandLineHome, env("VELMORA_HOME"), executableDir, env("XDG_DATA_HOME"), env("HOME")};
    StartupEnvironment out;
    out.programDir = chooseProgramDir(inputs, [&](const std::string& dir) { return platform.isWritableDir(dir); });
    out.computerName = platform.computerName();
    out.screen = ScreenSize{platform.screenWidth(), platform.screenHeight()};
    out.now = today ? *today : clock.now();
    out.toUnc = [&platform](const std::string& path) { return platform.uncPath(path); };
    return out;
}

} // namespace velmora
