#include "platform/Autostart.h"

#include "core/AtomicFile.h"
#include "platform/InstallLayout.h"

#include <cstdlib>
#include <filesystem>

namespace velmora {

namespace fs = std::filesystem;

namespace {

// A program path as the Exec key wants it: quoted when it holds blanks or
// quotes, with the characters the key reserves escaped.
std::string execQuoted(const std::string& path) {
    if (path.find_first_of(" \t\"'\\$`") == std::string::npos) {
        return path;
    }
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string autostartFilePath(const std::string& configHome) {
    std::string base = configHome;
    if (base.empty()) {
        const char* config = std::getenv("XDG_CONFIG_HOME");
        const char* home = std::getenv("HOME");
        base = config && *config ? config : std::string(home ? home : "") + "/.config";
    }
    return base + "/autostart/Velmora.desktop";
}

bool registerStartup(int mode, const std::string& executable, std::string* error, const std::string& configHome,
                     const std::string& workingDir) {
    const std::string path = autostartFilePath(configHome);
    std::error_code ec;
    if (mode != 1 && mode != 2) {
        fs::remove(path, ec);
        if (ec) {
            if (error) {
                *error = "スタートアップの登録を解除できません";
            }
            return false;
        }
        return true;
    }
    fs::create_directories(fs::path(path).parent_path(), ec);
    // An installed program has its icon in the theme; a build folder's has none.
    const std::string folder = fs::path(executable).parent_path().string() + "/";
    const std::string icon = installedDataDir(folder).empty() ? "" : "Icon=" + std::string(kDesktopId) + "\n";
    // The program starts in its program folder, where relative data paths point.
    std::string dir = workingDir;
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    const std::string pathKey = dir.empty() ? "" : "Path=" + dir + "\n";
    // Desktop entry files are UTF-8, whatever the program's own files are.
    const std::string text = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Velmora\n"
                             "Comment=デスクトップの壁紙に予定入りのカレンダーを表示します\n"
                             "Exec=" +
                             execQuoted(executable) + (mode == 2 ? " /0" : "") + "\n" + icon + pathKey +
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n";
    return writeFileAtomically(path, text, error);
}

} // namespace velmora
