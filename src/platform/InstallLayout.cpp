#include "platform/InstallLayout.h"

#include <filesystem>

// The shared folder as seen from the executables' folder; the build passes the
// one of its install layout.
#ifndef VELMORA_DATADIR_FROM_BINDIR
#define VELMORA_DATADIR_FROM_BINDIR "../share/velmora"
#endif

namespace velmora {

namespace fs = std::filesystem;

namespace {

bool isFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

} // namespace

std::string installedDataDir(const std::string& executableDir) {
    if (executableDir.empty()) {
        return {};
    }
    const fs::path data = (fs::path(executableDir) / VELMORA_DATADIR_FROM_BINDIR).lexically_normal();
    // The help page marks the folder: a build folder has no such sibling, and
    // a stray "share/velmora" without our files is not ours.
    if (!isFile(data / "help.html") || !isFile(data / "first.ini")) {
        return {};
    }
    std::string dir = data.string();
    if (dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

std::string helpPagePath(const std::string& executableDir) {
    const std::string beside = executableDir + "help.html";
    if (isFile(beside)) {
        return beside;
    }
    const std::string data = installedDataDir(executableDir);
    return data.empty() ? beside : data + "help.html";
}

} // namespace velmora
