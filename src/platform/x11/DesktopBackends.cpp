#include "platform/x11/DesktopBackends.h"

#include <QProcess>
#include <QUrl>

#include <sstream>

namespace velmora {

namespace {

bool hasPart(const std::string& list, const char* name) {
    std::istringstream in(list);
    for (std::string part; std::getline(in, part, ':');) {
        std::string upper;
        for (char c : part) {
            upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        if (upper == name) {
            return true;
        }
    }
    return false;
}

std::string fileUri(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

bool runAll(const std::vector<Command>& commands, const CommandRunner& run, std::string* error) {
    for (const Command& c : commands) {
        const int status = run(c, nullptr);
        if (status != 0) {
            if (error) {
                *error = status < 0 ? c.front() + " がみつかりません" : c.front() + " が壁紙の設定を受け付けません";
            }
            return false;
        }
    }
    return true;
}

} // namespace

DesktopKind desktopKindFrom(const std::string& currentDesktop, const std::string& session) {
    const std::string all = currentDesktop + ":" + session;
    if (hasPart(all, "X-CINNAMON") || hasPart(all, "CINNAMON")) {
        return DesktopKind::Cinnamon;
    }
    if (hasPart(all, "MATE")) {
        return DesktopKind::Mate;
    }
    if (hasPart(all, "KDE") || hasPart(all, "PLASMA")) {
        return DesktopKind::Kde;
    }
    if (hasPart(all, "XFCE")) {
        return DesktopKind::Xfce;
    }
    if (hasPart(all, "GNOME") || hasPart(all, "UNITY") || hasPart(all, "BUDGIE")) {
        return DesktopKind::Gnome;
    }
    return DesktopKind::PlainX;
}

bool setDesktopWallpaper(DesktopKind kind, const std::string& path, const CommandRunner& run, std::string* error) {
    const std::string uri = fileUri(path);
    switch (kind) {
    case DesktopKind::PlainX:
        return true;
    case DesktopKind::Gnome:
        if (!runAll({{"gsettings", "set", "org.gnome.desktop.background", "picture-options", "stretched"},
                     {"gsettings", "set", "org.gnome.desktop.background", "picture-uri", uri}},
                    run, error)) {
            return false;
        }
        // Older versions have no key for the dark style; the light one is enough there.
        run({"gsettings", "set", "org.gnome.desktop.background", "picture-uri-dark", uri}, nullptr);
        return true;
    case DesktopKind::Cinnamon:
        return runAll({{"gsettings", "set", "org.cinnamon.desktop.background", "picture-options", "stretched"},
                       {"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", uri}},
                      run, error);
    case DesktopKind::Mate:
        return runAll({{"gsettings", "set", "org.mate.background", "picture-options", "stretched"},
                       {"gsettings", "set", "org.mate.background", "picture-filename", path}},
                      run, error);
    case DesktopKind::Kde:
        return runAll({{"plasma-apply-wallpaperimage", path}}, run, error);
    case DesktopKind::Xfce: {
        // One backdrop property per monitor and workspace; set every one of them.
        std::string list;
        if (run({"xfconf-query", "-c", "xfce4-desktop", "-l"}, &list) != 0) {
            if (error) {
                *error = "xfconf-query がみつかりません";
            }
            return false;
        }
        std::vector<Command> commands;
        std::istringstream in(list);
        for (std::string property; std::getline(in, property);) {
            const std::string suffix = "/last-image";
            if (property.size() > suffix.size() &&
                property.compare(property.size() - suffix.size(), suffix.size(), suffix) == 0) {
                commands.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", path});
            }
        }
        if (commands.empty()) {
            if (error) {
                *error = "XFCE の壁紙の設定がみつかりません";
            }
            return false;
        }
        return runAll(commands, run, error);
    }
    }
    return false;
}

int runCommand(const Command& command, std::string* output) {
    if (command.empty()) {
        return -1;
    }
    QProcess process;
    QStringList arguments;
    for (std::size_t i = 1; i < command.size(); ++i) {
        arguments << QString::fromStdString(command[i]);
    }
    process.start(QString::fromStdString(command.front()), arguments);
    if (!process.waitForStarted(3000)) {
        return -1;
    }
    process.waitForFinished(10000);
    if (output) {
        *output = process.readAllStandardOutput().toStdString();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace velmora
