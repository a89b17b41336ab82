#include "platform/StartupEnvironment.h"

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
    ProgramDirInputs inputs{commandLineHome, env("VELMORA_HOME"), platform.executableDir(), env("XDG_DATA_HOME"),
                            env("HOME")};
    StartupEnvironment out;
    out.programDir = chooseProgramDir(inputs, [&](const std::string& dir) { return platform.isWritableDir(dir); });
    out.computerName = platform.computerName();
    out.screen = ScreenSize{platform.screenWidth(), platform.screenHeight()};
    out.now = today ? *today : clock.now();
    out.toUnc = [&platform](const std::string& path) { return platform.uncPath(path); };
    return out;
}

} // namespace velmora
