#pragma once

// The resident program on an X server of the test's own, as the desktop
// tests drive it: the program as a child process, a window manager, and
// the screen read back as a picture. Include it after the test framework:
// Xlib's macros (None, Bool) clash with it.
#include "support/TestSupport.h"
#include "support/XvfbServer.h"

#include <QImage>
#include <QRect>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

inline QRgb rgb(QRgb pixel) {
    return pixel & 0xFFFFFFu;
}

// One run of the program with its own environment, ended (if still
// running) when the object goes.
class Program {
public:
    Program(const std::string& display, const std::string& home, std::map<std::string, std::string> env) {
        env["DISPLAY"] = display;
        env["VELMORA_HOME"] = home;
        env["VELMORA_MESSAGE_LOG"] = home + "messages.txt";
        env.emplace("QT_QPA_PLATFORM", "xcb");
        const std::string out = home + "out.txt";
        const char* binary = VELMORA_BINARY_DIR "/velmora";
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlive a test that failed hard
            // Not the developer's desktop: its settings must not get our wallpaper.
            unsetenv("XDG_CURRENT_DESKTOP");
            unsetenv("DESKTOP_SESSION");
            for (const auto& [key, value] : env) {
                setenv(key.c_str(), value.c_str(), 1);
            }
            const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            dup2(fd, 2);
            execl(binary, binary, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Program() {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    void signal(int number) { kill(m_pid, number); }
    // The exit status once the program ended within `ms`; nullopt while it runs.
    std::optional<int> waitExit(int ms) {
        waitFor(
            [&] {
                int status = 0;
                if (!m_status && waitpid(m_pid, &status, WNOHANG) == m_pid) {
                    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                }
                return m_status.has_value();
            },
            ms);
        return m_status;
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// openbox on the test's server, with a configuration folder of its own so
// that the developer's settings do not change what the tests see (the
// system's default configuration applies).
class WindowManager {
public:
    WindowManager(const std::string& display, const std::string& configHome) {
        const std::string program = findProgram("openbox");
        if (program.empty()) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            orphanProof();
            setenv("DISPLAY", display.c_str(), 1);
            setenv("HOME", configHome.c_str(), 1);
            setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
            setenv("XDG_CACHE_HOME", configHome.c_str(), 1);
            execl(program.c_str(), "openbox", "--sm-disable", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~WindowManager() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool started() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

// The screen as it shows now: windows, their shapes and the desktop.
inline QImage screenPicture(Display* d) {
    const int screen = DefaultScreen(d);
    const auto width = static_cast<unsigned>(DisplayWidth(d, screen));
    const auto height = static_cast<unsigned>(DisplayHeight(d, screen));
    XImage* shown = XGetImage(d, DefaultRootWindow(d), 0, 0, width, height, AllPlanes, ZPixmap);
    if (!shown) {
        return {};
    }
    QImage out(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    for (int row = 0; row < out.height(); ++row) {
        for (int col = 0; col < out.width(); ++col) {
            out.setPixel(col, row, 0xFF000000u | static_cast<QRgb>(XGetPixel(shown, col, row) & 0xFFFFFF));
        }
    }
    XDestroyImage(shown);
    return out;
}

inline std::string utf8Property(Display* d, Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1024, False, AnyPropertyType, &type, &format, &items,
                           &after, &data) == Success &&
        data && format == 8) {
        value.assign(reinterpret_cast<const char*>(data), items);
    }
    if (data) {
        XFree(data);
    }
    return value;
}

// Every window below `w` (depth first) for which `match` holds.
inline void findWindows(Display* d, Window w, const std::function<bool(Window)>& match, std::vector<Window>& out) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) {
        return;
    }
    for (unsigned i = 0; i < count; ++i) {
        if (match(children[i])) {
            out.push_back(children[i]);
        }
        findWindows(d, children[i], match, out);
    }
    if (children) {
        XFree(children);
    }
}

// A mapped window's rectangle on the screen; empty when it is not mapped.
inline QRect shownRect(Display* d, Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) {
        return {};
    }
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    return QRect(x, y, a.width, a.height);
}

} // namespace velmora::test
