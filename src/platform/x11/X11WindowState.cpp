#include "platform/x11/X11Platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <vector>

namespace velmora {

// Before the window is mapped its state is a property the window manager
// reads at the map (Qt adds its own states to what it finds there); once
// mapped, only a request to the window manager changes it.
void X11Platform::keepOffTaskbar(unsigned long windowId) {
    ::Display* d = XOpenDisplay(nullptr);
    if (!d || windowId == 0) {
        if (d) {
            XCloseDisplay(d);
        }
        return;
    }
    const Window window = windowId;
    const Window root = DefaultRootWindow(d);
    const Atom state = XInternAtom(d, "_NET_WM_STATE", False);
    const Atom wanted[] = {XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False),
                           XInternAtom(d, "_NET_WM_STATE_SKIP_PAGER", False)};
    XWindowAttributes attributes;
    if (XGetWindowAttributes(d, window, &attributes) && attributes.map_state == IsUnmapped) {
        std::vector<Atom> atoms;
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, window, state, 0, 1024, False, XA_ATOM, &type, &format, &count, &after, &data) ==
                Success &&
            data) {
            if (type == XA_ATOM && format == 32) {
                const auto* held = reinterpret_cast<const unsigned long*>(data);
                atoms.assign(held, held + count);
            }
            XFree(data);
        }
        for (Atom a : wanted) {
            if (std::find(atoms.begin(), atoms.end(), a) == atoms.end()) {
                atoms.push_back(a);
            }
        }
        XChangeProperty(d, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(atoms.data()),
                        static_cast<int>(atoms.size()));
    } else {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = state;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1; // add
        event.xclient.data.l[1] = static_cast<long>(wanted[0]);
        event.xclient.data.l[2] = static_cast<long>(wanted[1]);
        event.xclient.data.l[3] = 1; // from an application
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    XSync(d, False);
    XCloseDisplay(d);
}

} // namespace velmora
