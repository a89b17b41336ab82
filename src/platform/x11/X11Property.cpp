#include "platform/x11/X11Property.h"

namespace velmora {

std::vector<unsigned long> windowProperty(Display* display, Window window, Atom property, Atom type, long maxItems) {
    Atom actual = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display, window, property, 0, maxItems, False, type, &actual, &format, &items, &after,
                           &data) == Success &&
        data && actual == type && format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        values.assign(longs, longs + items);
    }
    if (data) {
        XFree(data);
    }
    return values;
}

std::string textProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display, window, property, 0, 65536, False, AnyPropertyType, &type, &format, &items, &after,
                           &data) == Success &&
        data && format == 8) {
        value.assign(reinterpret_cast<const char*>(data), items);
    }
    if (data) {
        XFree(data);
    }
    return value;
}

} // namespace velmora
