#pragma once

#include "platform/DoubleClick.h"

#include <functional>
#include <memory>
#include <string>

struct _XDisplay; // Xlib's Display, kept out of this header

namespace velmora {

// Desktop double-clicks and the pointer's moves on an X server: XInput2 raw
// button and motion events of the root window give every press and move, whichever window the pointer is over (the
// pointer is asked where it is at each press); a double-click counts only where the pointer is over the bare desktop
// (the root window, or a window of the desktop type). The same connection hears the root picture change, whoever
// changes it.
class X11DesktopClicks {
public:
    using Handler = std::function<void(const DesktopDoubleClick&)>;

    // nullptr when the server cannot be reached. `display` empty: $DISPLAY.
    // `rootPictureChanged` runs when _XROOTPMAP_ID, ESETROOT_PMAP_ID or
    // _XSETROOT_ID is set or removed (once for those read together). A
    // background set without any of them is not heard: nothing tells.
    static std::unique_ptr<X11DesktopClicks> open(Handler handler, const std::string& display = {},
                                                  std::function<void()> rootPictureChanged = {});
    ~X11DesktopClicks();

    // The connection's file descriptor, to watch for input.
    int fileDescriptor() const;
    // Reads what has arrived; reports double-clicks over the desktop.
    void processPending();
    DoubleClickDetector& detector() { return m_detector; }
    // The double-click time the desktop's settings daemon publishes
    // (Net/DoubleClickTime), else 500 ms.
    static int desktopDoubleClickTime(::_XDisplay* d);
    // True while the pointer is over the bare desktop.
    bool pointerOverDesktop() const;
    // The pointer's moves anywhere on the screen, as screen points (one per
    // batch of raw motion read together); an empty function stops them.
    // Raw motion is selected only while someone listens: it wakes us at
    // every move of the mouse.
    void watchPointer(std::function<void(int x, int y)> moved);
    // False when the server has no XInput2: only the root picture is heard then.
    bool hasClicks() const;
    // True when events wait in the connection's queue (after a query).
    bool eventsWaiting() const;

private:
    struct Connection;
    X11DesktopClicks(std::unique_ptr<Connection> connection, Handler handler, std::function<void()> pictureChanged);
    bool pointerOverDesktop(int* x, int* y, bool* alt) const;
    void selectRawEvents(bool motion);

    std::unique_ptr<Connection> m_connection;
    Handler m_handler;
    std::function<void()> m_pictureChanged;
    std::function<void(int, int)> m_pointerMoved;
    DoubleClickDetector m_detector;
};

} // namespace velmora
