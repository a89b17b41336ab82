#pragma once

// A real X server for the desktop tests, and what they do on it.
#include <QImage>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velmora::test {

namespace fs = std::filesystem;

// In a child about to run a helper program: it ends with the test, and
// never holds the test's output open (the test runner would wait for it).
inline void orphanProof() {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
}

inline std::string findProgram(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        if (access((std::string(dir) + name).c_str(), X_OK) == 0) {
            return std::string(dir) + name;
        }
    }
    return {};
}

// An Xvfb of its own on a free display. -noreset: the server must not reset
// when its last client leaves, or the retained root picture would be lost.
class Xvfb {
public:
    explicit Xvfb(const char* size = "800x600x24") {
        const std::string server = findProgram("Xvfb");
        int fds[2];
        if (server.empty() || pipe(fds) != 0) {
            return;
        }
        // The server picks a free display itself and writes its number: no
        // race with other tests looking for one at the same time.
        m_pid = fork();
        if (m_pid == 0) {
            orphanProof();
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execl(server.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", size, "-noreset", "-nolisten",
                  "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(fds[0]);
        if (!number.empty()) {
            m_display = ":" + number;
            m_socket = "/tmp/.X11-unix/X" + number;
        }
    }
    ~Xvfb() { stop(); }
    // Ends the server, as a log-out or a crashed session does.
    void stop() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    bool running() const { return m_pid > 0 && !m_socket.empty() && fs::exists(m_socket); }
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_socket;
};

inline unsigned long rootPixmap(Display* d, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    unsigned long p = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, name, False), 0, 1, False, XA_PIXMAP, &type, &format,
                           &items, &after, &data) == Success &&
        items == 1) {
        std::memcpy(&p, data, sizeof(Pixmap));
    }
    if (data) {
        XFree(data);
    }
    return p;
}

inline int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

// The root window's picture as the server shows it; null when it has none
// (or the program under test freed it meanwhile).
inline QImage rootPicture(Display* d) {
    const unsigned long pixmap = rootPixmap(d, "_XROOTPMAP_ID");
    if (pixmap == 0) {
        return {};
    }
    struct Handler {
        XErrorHandler previous = XSetErrorHandler(ignoreXErrors);
        ~Handler() { XSetErrorHandler(previous); }
    } handler;
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(d, pixmap, &root, &x, &y, &width, &height, &border, &depth)) {
        return {};
    }
    XImage* shown = XGetImage(d, pixmap, 0, 0, width, height, AllPlanes, ZPixmap);
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

// Pixels (every third in both directions) where two pictures differ; -1 when their sizes do.
inline int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < a.height(); y += 3) {
        for (int x = 0; x < a.width(); x += 3) {
            differing += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
        }
    }
    return differing;
}

// Another program's background: a pixmap of one colour named as the root picture.
inline unsigned long setForeignRootPicture(Display* d, unsigned long colour) {
    const Window root = DefaultRootWindow(d);
    const int screen = DefaultScreen(d);
    const Pixmap p =
        XCreatePixmap(d, root, static_cast<unsigned>(DisplayWidth(d, screen)),
                      static_cast<unsigned>(DisplayHeight(d, screen)), static_cast<unsigned>(DefaultDepth(d, screen)));
    GC gc = XCreateGC(d, p, 0, nullptr);
    XSetForeground(d, gc, colour);
    XFillRectangle(d, p, gc, 0, 0, static_cast<unsigned>(DisplayWidth(d, screen)),
                   static_cast<unsigned>(DisplayHeight(d, screen)));
    XFreeGC(d, gc);
    XChangeProperty(d, root, XInternAtom(d, "_XROOTPMAP_ID", False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&p), 1);
    XSetWindowBackgroundPixmap(d, root, p);
    XClearWindow(d, root);
    XSync(d, False);
    return p;
}

// Waits up to `ms` for `done`; its last answer.
inline bool waitFor(const std::function<bool()>& done, int ms) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

struct Clicker {
    explicit Clicker(const std::string& display) : d(XOpenDisplay(display.c_str())) {}
    ~Clicker() {
        if (d) {
            XCloseDisplay(d);
        }
    }
    void doubleClick(int x, int y, bool alt = false) {
        const KeyCode altKey = XKeysymToKeycode(d, XK_Alt_L);
        XTestFakeMotionEvent(d, -1, x, y, 0);
        if (alt) {
            XTestFakeKeyEvent(d, altKey, True, 0);
        }
        for (int i = 0; i < 2; ++i) {
            XTestFakeButtonEvent(d, 1, True, 0);
            XTestFakeButtonEvent(d, 1, False, 0);
        }
        if (alt) {
            XTestFakeKeyEvent(d, altKey, False, 0);
        }
        XFlush(d);
    }
    Display* d;
};

} // namespace velmora::test
