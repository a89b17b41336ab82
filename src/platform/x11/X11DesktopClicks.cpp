#include "platform/x11/X11DesktopClicks.h"

#include "platform/XSettings.h"

#include "platform/x11/X11Property.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <cstdio>

#include <algorithm>

#include <cstring>

namespace velmora {

struct X11DesktopClicks::Connection {
    ::Display* display = nullptr;
    int xiOpcode = 0;
    // Alt as the stream had it at each press; asking the server later would
    // tell how it is now.
    int altDown = 0;
    KeyCode altLeft = 0;
    KeyCode altRight = 0;
    // Every property by which a program tells that it set the root's background.
    Atom rootPicture[3] = {None, None, None};
    bool clicks = false; // XInput2 is there
    ~Connection() {
        if (display) {
            XCloseDisplay(display);
        }
    }
};

namespace {

constexpr int kLeftButton = 1;

bool isDesktopWindow(::Display* d, Window w) {
    const Atom desktop = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    for (unsigned long type : windowProperty(d, w, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM)) {
        if (type == desktop) {
            return true;
        }
    }
    return false;
}

} // namespace

int X11DesktopClicks::desktopDoubleClickTime(::Display* d) {
    char name[32];
    std::snprintf(name, sizeof name, "_XSETTINGS_S%d", DefaultScreen(d));
    const Window manager = XGetSelectionOwner(d, XInternAtom(d, name, False));
    if (manager == None) {
        return kDefaultDoubleClickMs;
    }
    // The manager may go away between the two requests: its error must not end the program.
    XErrorHandler previous = XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });
    const Atom settings = XInternAtom(d, "_XSETTINGS_SETTINGS", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<int> ms;
    if (XGetWindowProperty(d, manager, settings, 0, 65536, False, settings, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        if (format == 8) {
            ms = xsettingsInteger(std::string_view(reinterpret_cast<const char*>(data), count), "Net/DoubleClickTime");
        }
        XFree(data);
    }
    XSync(d, False);
    XSetErrorHandler(previous);
    // A value no hand can click in (or none at all) leaves the usual time.
    return ms && *ms >= 100 && *ms <= 5000 ? *ms : kDefaultDoubleClickMs;
}

std::unique_ptr<X11DesktopClicks> X11DesktopClicks::open(Handler handler, const std::string& display,
                                                         std::function<void()> rootPictureChanged) {
    auto connection = std::make_unique<Connection>();
    connection->display = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (!connection->display) {
        return nullptr;
    }
    ::Display* d = connection->display;
    // The root picture's changes are heard with or without XInput2.
    XSelectInput(d, DefaultRootWindow(d), PropertyChangeMask);
    connection->rootPicture[0] = XInternAtom(d, "_XROOTPMAP_ID", False);
    connection->rootPicture[1] = XInternAtom(d, "ESETROOT_PMAP_ID", False);
    connection->rootPicture[2] = XInternAtom(d, "_XSETROOT_ID", False);
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (XQueryExtension(d, "XInputExtension", &connection->xiOpcode, &event, &error) &&
        XIQueryVersion(d, &major, &minor) == Success) {
        connection->altLeft = XKeysymToKeycode(d, XK_Alt_L);
        connection->altRight = XKeysymToKeycode(d, XK_Alt_R);
        connection->clicks = true;
    }
    const int doubleClickMs = desktopDoubleClickTime(d);
    auto clicks = std::unique_ptr<X11DesktopClicks>(
        new X11DesktopClicks(std::move(connection), std::move(handler), std::move(rootPictureChanged)));
    clicks->m_detector.setInterval(doubleClickMs);
    clicks->selectRawEvents(false);
    return clicks;
}

void X11DesktopClicks::selectRawEvents(bool motion) {
    if (!m_connection->clicks) {
        return;
    }
    ::Display* d = m_connection->display;
    // Raw events come from the root window for every press and move on the
    // screen, whichever window is under the pointer.
    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(mask, XI_RawButtonPress);
    XISetMask(mask, XI_RawKeyPress);
    XISetMask(mask, XI_RawKeyRelease);
    if (motion) {
        XISetMask(mask, XI_RawMotion);
    }
    XIEventMask events{XIAllMasterDevices, static_cast<int>(sizeof mask), mask};
    XISelectEvents(d, DefaultRootWindow(d), &events, 1);
    XFlush(d);
}

void X11DesktopClicks::watchPointer(std::function<void(int x, int y)> moved) {
    const bool was = static_cast<bool>(m_pointerMoved);
    m_pointerMoved = std::move(moved);
    if (was != static_cast<bool>(m_pointerMoved)) {
        selectRawEvents(static_cast<bool>(m_pointerMoved));
    }
}

X11DesktopClicks::X11DesktopClicks(std::unique_ptr<Connection> connection, Handler handler,
                                   std::function<void()> pictureChanged)
    : m_connection(std::move(connection)), m_handler(std::move(handler)), m_pictureChanged(std::move(pictureChanged)) {}

X11DesktopClicks::~X11DesktopClicks() = default;

int X11DesktopClicks::fileDescriptor() const {
    return ConnectionNumber(m_connection->display);
}

bool X11DesktopClicks::pointerOverDesktop(int* x, int* y, bool* alt) const {
    ::Display* d = m_connection->display;
    Window root = 0;
    Window child = 0;
    int winX = 0;
    int winY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(d, DefaultRootWindow(d), &root, &child, x, y, &winX, &winY, &mask)) {
        return false;
    }
    *alt = (mask & Mod1Mask) != 0;
    return child == None || isDesktopWindow(d, child);
}

bool X11DesktopClicks::pointerOverDesktop() const {
    int x = 0;
    int y = 0;
    bool alt = false;
    return pointerOverDesktop(&x, &y, &alt);
}

bool X11DesktopClicks::hasClicks() const {
    return m_connection->clicks;
}

bool X11DesktopClicks::eventsWaiting() const {
    // A reply read for a query may have brought events along: they wait
    // in Xlib's queue, where watching the socket would not see them.
    return XEventsQueued(m_connection->display, QueuedAlready) > 0;
}

void X11DesktopClicks::processPending() {
    ::Display* d = m_connection->display;
    bool moved = false;
    // A setter changes several of the properties at once: one report for them all.
    bool pictureChanged = false;
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == PropertyNotify) {
            const Atom* atoms = m_connection->rootPicture;
            pictureChanged = pictureChanged || std::find(atoms, atoms + 3, event.xproperty.atom) != atoms + 3;
            continue;
        }
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_connection->xiOpcode || !XGetEventData(d, cookie)) {
            continue;
        }
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (cookie->evtype == XI_RawMotion) {
            moved = true; // where to is asked once the batch is read
            XFreeEventData(d, cookie);
            continue;
        }
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const auto key = static_cast<KeyCode>(raw->detail);
            if (key != 0 && (key == m_connection->altLeft || key == m_connection->altRight)) {
                m_connection->altDown += cookie->evtype == XI_RawKeyPress ? 1 : -1;
                m_connection->altDown = std::max(0, m_connection->altDown);
            }
            XFreeEventData(d, cookie);
            continue;
        }
        if (cookie->evtype == XI_RawButtonPress && raw->detail == kLeftButton) {
            // The pointer is asked only at a press: where it is and what is under it.
            int x = 0;
            int y = 0;
            bool alt = false;
            const bool overDesktop = pointerOverDesktop(&x, &y, &alt);
            alt = alt || m_connection->altDown > 0;
            const auto click = m_detector.leftPress(static_cast<std::int64_t>(raw->time), x, y, alt);
            if (click && overDesktop && m_handler) {
                m_handler(*click);
            } else if (click) {
                m_detector.setHandling(false); // over a window: not ours to handle
            }
        }
        XFreeEventData(d, cookie);
    }
    if (pictureChanged && m_pictureChanged) {
        m_pictureChanged();
    }
    if (moved && m_pointerMoved) {
        // Raw motion carries the device's movement, not the pointer's place;
        // whether the place is over the desktop is the hub's question.
        int x = -1;
        int y = -1;
        bool alt = false;
        pointerOverDesktop(&x, &y, &alt);
        if (x >= 0 && y >= 0) {
            m_pointerMoved(x, y);
        }
    }
}

} // namespace velmora
