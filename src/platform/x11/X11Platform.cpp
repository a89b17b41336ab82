#include "platform/x11/X11Platform.h"

// Qt before Xlib: Xlib's macros (Bool, None) break Qt's headers.
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QImage>
#include <QSocketNotifier>
#include <QTimer>

#include "platform/WallpaperLayout.h"
#include "platform/x11/X11DesktopClicks.h"
#include "platform/x11/X11Property.h"
#include "platform/x11/X11RootBackground.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

// The display is opened per call: the pixmap must outlive this connection,
// and a resident program must not keep a connection only for this.
struct XConnection {
    ::Display* d = XOpenDisplay(nullptr);
    ~XConnection() {
        if (d) {
            XCloseDisplay(d);
        }
    }
};

// The pixmap another program (or an earlier run) left as the root
// background, when it named it in ESETROOT_PMAP_ID.
Pixmap retainedPixmap(::Display* d, Window root, Atom atom) {
    const std::vector<unsigned long> p = windowProperty(d, root, atom, XA_PIXMAP, 1);
    return p.size() == 1 ? static_cast<Pixmap>(p.front()) : None;
}

int ignoreErrors(::Display*, XErrorEvent*) {
    return 0;
}

// Xlib's own handler ends the process at the first error; a window that
// closes between two of our requests must never end the program unsaved.
// While one is trapped, errors are counted instead.
int g_trappedErrors = -1;

int countErrors(::Display*, XErrorEvent*) {
    if (g_trappedErrors >= 0) {
        ++g_trappedErrors;
    }
    return 0;
}

// Counts the errors of the requests made during its life.
class ErrorTrap {
public:
    explicit ErrorTrap(::Display* d) : m_display(d) {
        XSync(d, False);
        g_trappedErrors = 0;
    }
    ~ErrorTrap() { g_trappedErrors = -1; }
    bool failed() {
        XSync(m_display, False);
        return g_trappedErrors > 0;
    }

private:
    ::Display* m_display;
};

// Our note on the root window of what its picture is: "kind\npath".
constexpr const char* kStateAtom = "_VELMORA_WALLPAPER";
constexpr const char* kPixmapAtom = "_VELMORA_PMAP";

// Our note of what the root picture is.
void writeNote(::Display* d, Window root, const std::string& kind, const std::string& path) {
    const std::string note = kind + "\n" + path;
    XChangeProperty(d, root, XInternAtom(d, kStateAtom, False), XInternAtom(d, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(note.data()),
                    static_cast<int>(note.size()));
}

// Our note of what the root picture is, whether or not the root still shows it.
void readNote(::Display* d, Window root, std::string* kind, std::string* path) {
    const std::string note = textProperty(d, root, XInternAtom(d, kStateAtom, False));
    const auto newline = note.find('\n');
    if (kind) {
        *kind = note.substr(0, newline);
    }
    if (path) {
        *path = newline == std::string::npos ? std::string() : note.substr(newline + 1);
    }
}

// The title of a window as a UTF-8 text (_NET_WM_NAME, else WM_NAME).
std::string windowTitle(::Display* d, Window w) {
    std::string title = textProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False));
    if (title.empty()) {
        title = textProperty(d, w, XA_WM_NAME);
    }
    return title;
}

bool findTitled(::Display* d, Window w, const std::string& title, int depth) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) {
        return false;
    }
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        // Window managers put each top-level window into a frame: look one level down too.
        found = (XGetWindowAttributes(d, children[i], &attributes) && attributes.map_state == IsViewable &&
                 windowTitle(d, children[i]) == title) ||
                (depth > 0 && findTitled(d, children[i], title, depth - 1));
    }
    if (children) {
        XFree(children);
    }
    return found;
}

} // namespace

std::unique_ptr<X11Platform> X11Platform::connect() {
    XSetErrorHandler(countErrors);
    XConnection display;
    if (!display.d) {
        return nullptr;
    }
    const int screen = DefaultScreen(display.d);
    return std::unique_ptr<X11Platform>(
        new X11Platform(DisplayWidth(display.d, screen), DisplayHeight(display.d, screen)));
}

X11Platform::X11Platform(int width, int height)
    : m_width(width), m_height(height),
      m_desktop(desktopKindFrom(std::getenv("XDG_CURRENT_DESKTOP") ? std::getenv("XDG_CURRENT_DESKTOP") : "",
                                std::getenv("DESKTOP_SESSION") ? std::getenv("DESKTOP_SESSION") : "")) {}

X11Platform::~X11Platform() {
    *m_alive = false;
}

std::string X11Platform::wallpaperBackend() const {
    switch (m_desktop) {
    case DesktopKind::Gnome:
        return "gnome";
    case DesktopKind::Cinnamon:
        return "cinnamon";
    case DesktopKind::Mate:
        return "mate";
    case DesktopKind::Kde:
        return "kde";
    case DesktopKind::Xfce:
        return "xfce";
    case DesktopKind::PlainX:
        break;
    }
    return "x11-root";
}

bool X11Platform::installWallpaper(const std::string& path, std::string* error) {
    const QImage picture(QString::fromStdString(path));
    if (picture.isNull()) {
        if (error) {
            *error = "壁紙のファイルを読み込めません";
        }
        return false;
    }
    if (!setRootPicture(picture, "calendar", path, error)) {
        return false;
    }
    return setDesktopWallpaper(m_desktop, path, runCommand, error);
}

bool X11Platform::installBaseWallpaper(const std::string& path, std::string* error) {
    if (m_desktop != DesktopKind::PlainX) {
        return setDesktopBaseWallpaper(m_desktop, path, runCommand, error);
    }
    QImage base;
    if (!coverScreen(path, m_width, m_height, &base)) {
        // No picture of the user's to put back: the root keeps what it shows,
        // and our calendar there is no longer taken for the wallpaper.
        std::string kind;
        if (rootPictureIsOurs(&kind, nullptr) && kind == "calendar") {
            markRootPicture("stale", {});
        }
        return true;
    }
    return setRootPicture(base, "base", path, error);
}

std::string X11Platform::currentWallpaper() const {
    if (m_desktop != DesktopKind::PlainX) {
        const auto shown = readDesktopWallpaper(m_desktop, runCommand);
        return shown ? shown->path : std::string();
    }
    std::string kind;
    std::string path;
    return rootPictureIsOurs(&kind, &path) && kind != "stale" ? path : std::string();
}

bool X11Platform::captureDesktop(const std::string& baseWallpaper, QImage* picture) {
    if (m_desktop != DesktopKind::PlainX) {
        // The environment paints its own background over the root window:
        // lay its picture out its way.
        const auto shown = readDesktopWallpaper(m_desktop, runCommand);
        const std::string path = baseWallpaper.empty() && shown ? shown->path : baseWallpaper;
        *picture = layoutWallpaper(readPicture(path), shown ? shown->style : WallpaperStyle::Zoom,
                                   shown ? shown->background : 0xFF000000, m_width, m_height);
        return true;
    }
    XConnection display;
    if (!display.d) {
        return false;
    }
    ::Display* d = display.d;
    const Window root = DefaultRootWindow(d);
    const Pixmap named = retainedPixmap(d, root, XInternAtom(d, "_XROOTPMAP_ID", False));
    const Pixmap ours = retainedPixmap(d, root, XInternAtom(d, kPixmapAtom, False));
    if (named != None && named != ours) {
        // Another program named its picture.
        return readRootPicture(picture);
    }
    std::string kind;
    const auto ourPicture = [&] {
        // Our base picture is the bare desktop; one of our calendars is not,
        // which is only known from the user's file then.
        return kind == "base" ? readRootPicture(picture) : coverScreen(baseWallpaper, m_width, m_height, picture);
    };
    if (rootPictureIsOurs(&kind, nullptr)) {
        return ourPicture();
    }
    if (ours == None && xsetrootId(d) == None) {
        // Nobody has set the root by any convention, not even we: what it
        // shows is most likely the server's own default, no wallpaper. The
        // last capture (or the plain base) stays, as it always has.
        return false;
    }
    // A background nobody named as a picture: take it as the server paints it.
    QImage background;
    if (!readRootBackground(d, m_width, m_height, &background)) {
        return false;
    }
    if (ours != None && showsPicture(background, pixmapPicture(d, ours))) {
        // Only the properties changed: the root still shows our picture, never a base.
        readNote(d, root, &kind, nullptr);
        return ourPicture();
    }
    *picture = background;
    return true;
}

bool X11Platform::readRootPicture(QImage* picture) const {
    XConnection display;
    if (!display.d) {
        return false;
    }
    ::Display* d = display.d;
    // A pixmap whose owner has gone cannot be read: the caller keeps its last capture.
    const QImage out =
        pixmapPicture(d, retainedPixmap(d, DefaultRootWindow(d), XInternAtom(d, "_XROOTPMAP_ID", False)));
    if (out.isNull()) {
        return false;
    }
    *picture = out.width() == m_width && out.height() == m_height
                   ? out
                   : out.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return true;
}

bool X11Platform::setRootPicture(const QImage& source, const std::string& kind, const std::string& path,
                                 std::string* error) {
    const auto fail = [&](const char* reason) {
        if (error) {
            *error = reason;
        }
        return false;
    };
    XConnection display;
    if (!display.d) {
        return fail("Xサーバーに接続できません");
    }
    ::Display* d = display.d;
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    const int depth = DefaultDepth(d, screen);
    if (depth != 24 && depth != 32) {
        return fail("この画面の色数には対応していません");
    }
    const QImage picture = source.convertToFormat(QImage::Format_RGB32);
    const int width = picture.width();
    const int height = picture.height();

    // The XImage reads the picture's own pixels (a second screen-sized copy
    // would be most of a pass's peak memory); it must not free them.
    auto* pixels = const_cast<char*>(reinterpret_cast<const char*>(picture.constBits()));
    XImage* image = XCreateImage(d, DefaultVisual(d, screen), static_cast<unsigned>(depth), ZPixmap, 0, pixels,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32,
                                 static_cast<int>(picture.bytesPerLine()));
    if (!image) {
        return fail("壁紙の画像を作成できません");
    }
    image->byte_order = LSBFirst; // QImage's RGB32 is little-endian 0xffRRGGBB
    ErrorTrap trap(d);
    const Pixmap pixmap = XCreatePixmap(d, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        static_cast<unsigned>(depth));
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFreeGC(d, gc);
    image->data = nullptr; // the picture's
    XDestroyImage(image);
    if (trap.failed()) {
        // The server could not hold the picture (out of memory): the old wallpaper stays.
        XFreePixmap(d, pixmap);
        XSync(d, False);
        return fail("Xサーバーが壁紙の画像を受け付けません");
    }

    const Atom rootPixmap = XInternAtom(d, "_XROOTPMAP_ID", False);
    const Atom esetroot = XInternAtom(d, "ESETROOT_PMAP_ID", False);
    // Free the picture left behind: the retained one the root shows (the
    // usual convention), or ours when another program put its picture on the
    // root without taking ours away (ESETROOT_PMAP_ID still names ours). A
    // pixmap someone else already freed is never touched: its client's
    // number may belong to another program by now.
    const Pixmap shown = retainedPixmap(d, root, rootPixmap);
    const Pixmap old = retainedPixmap(d, root, esetroot);
    const Pixmap ours = retainedPixmap(d, root, XInternAtom(d, kPixmapAtom, False));
    if (old != None && (old == shown || old == ours)) {
        XErrorHandler previous = XSetErrorHandler(ignoreErrors);
        XKillClient(d, old);
        XSync(d, False);
        XSetErrorHandler(previous);
    }
    // A tool that set the background the xsetroot way left its resources
    // for us to free, and its property must not outlive its picture.
    releaseXsetrootId(d);
    XChangeProperty(d, root, rootPixmap, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XChangeProperty(d, root, esetroot, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap),
                    1);
    XChangeProperty(d, root, XInternAtom(d, kPixmapAtom, False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    writeNote(d, root, kind, path);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    // The pixmap stays when this connection closes, so the desktop keeps the calendar.
    XSetCloseDownMode(d, RetainPermanent);
    XSync(d, False);
    // The root's pixels tell us later whether someone has set another
    // background, but only if they show our picture now: a server (or a
    // compositing manager) that shows it otherwise must never make us take
    // our own desktop for a new wallpaper at every look.
    m_judgePixels = compareRootWith(d, pixmap) != RootLook::Differs;
    return true;
}

bool X11Platform::rootPictureIsOurs(std::string* kind, std::string* path) const {
    XConnection display;
    if (!display.d) {
        return false;
    }
    ::Display* d = display.d;
    const Window root = DefaultRootWindow(d);
    const Pixmap ours = retainedPixmap(d, root, XInternAtom(d, kPixmapAtom, False));
    if (ours == None || ours != retainedPixmap(d, root, XInternAtom(d, "_XROOTPMAP_ID", False))) {
        return false;
    }
    // Tools that set only the root's background (xsetroot, image viewers)
    // leave the properties naming our picture: the root's own pixels say
    // whether it still shows it.
    const RootLook look = m_judgePixels ? compareRootWith(d, ours) : RootLook::Unknown;
    if (look == RootLook::Differs) {
        return false;
    }
    // _XSETROOT_ID is removed whenever we set the root, so one there now was
    // left by whoever set it after us, as is another ESETROOT_PMAP_ID; only
    // a root that provably still shows our picture outweighs them.
    const Pixmap esetroot = retainedPixmap(d, root, XInternAtom(d, "ESETROOT_PMAP_ID", False));
    if ((xsetrootId(d) != None || (esetroot != None && esetroot != ours)) && look != RootLook::Same) {
        return false;
    }
    readNote(d, root, kind, path);
    return true;
}

void X11Platform::markRootPicture(const std::string& kind, const std::string& path) const {
    XConnection display;
    if (!display.d) {
        return;
    }
    writeNote(display.d, DefaultRootWindow(display.d), kind, path);
    XSync(display.d, False);
}

void X11Platform::watchDesktop(std::function<void()> wallpaperChanged,
                               std::function<void(const DesktopDoubleClick&)> doubleClick) {
    m_notifier.reset();
    m_settingsPoll.reset();
    m_settingsWatch.reset();
    if (m_desktop != DesktopKind::PlainX && wallpaperChanged) {
        // The environments keep their picture in their settings, which tell
        // nobody when they change: look when their settings file changes
        // (it is replaced, so its folder is watched), and every 15 s besides.
        m_lastSeen = currentWallpaper();
        const auto look = [this, wallpaperChanged] {
            const std::string now = currentWallpaper();
            if (now != m_lastSeen) {
                m_lastSeen = now;
                wallpaperChanged();
            }
        };
        m_settingsPoll = std::make_unique<QTimer>();
        QObject::connect(m_settingsPoll.get(), &QTimer::timeout, look);
        m_settingsPoll->start(15000);
        const QString file = QString::fromStdString(desktopSettingsFile(m_desktop));
        m_settingsWatch = std::make_unique<QFileSystemWatcher>();
        m_settingsWatch->addPath(QFileInfo(file).absolutePath());
        // Several writes come together: look once they are done.
        const auto soon = [look, timer = m_settingsPoll.get()] {
            timer->start(15000);
            QTimer::singleShot(300, timer, look);
        };
        QObject::connect(m_settingsWatch.get(), &QFileSystemWatcher::directoryChanged, soon);
        QObject::connect(m_settingsWatch.get(), &QFileSystemWatcher::fileChanged, soon);
        if (QFileInfo::exists(file)) {
            m_settingsWatch->addPath(file);
        }
    }
    m_clicks = X11DesktopClicks::open(
        [this, doubleClick](const DesktopDoubleClick& click) {
            if (doubleClick) {
                doubleClick(click);
            }
            // The handler has run to its end (its windows were modal): the next click may come.
            m_clicks->detector().setHandling(false);
        },
        {}, wallpaperChanged);
    if (!m_clicks) {
        return;
    }
    m_clicks->watchPointer(m_pointerMoved);
    m_notifier = std::make_unique<QSocketNotifier>(m_clicks->fileDescriptor(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { m_clicks->processPending(); });
    m_clicks->processPending();
}

void X11Platform::watchPointer(std::function<void(int x, int y)> moved) {
    m_pointerMoved = std::move(moved);
    if (m_clicks) {
        m_clicks->watchPointer(m_pointerMoved);
    }
}

bool X11Platform::pointerOverDesktop() const {
    if (!m_clicks) {
        return false;
    }
    const bool over = m_clicks->pointerOverDesktop();
    if (m_clicks->eventsWaiting()) {
        // Read them from the event loop, not from inside the caller's handler.
        QTimer::singleShot(0, [clicks = m_clicks.get(), alive = m_alive] {
            if (*alive) {
                clicks->processPending();
            }
        });
    }
    return over;
}

bool X11Platform::windowTitled(const std::string& title) const {
    XConnection display;
    return display.d && findTitled(display.d, DefaultRootWindow(display.d), title, 1);
}

} // namespace velmora
