// Qt before Xlib: Xlib's macros (Bool, None) break Qt's headers.
#include <QImage>

#include "platform/x11/X11RootBackground.h"

#include "platform/x11/X11Property.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmora {

namespace {

// Five rows and five columns of the screen are looked at, each shifted a
// little so that a tiled pattern cannot put all of them on one of its lines.
constexpr int kLines = 5;
// Around each window: the shadow a compositing manager draws outside it.
constexpr int kMargin = 32;
// Fewer uncovered pixels than this tell nothing.
constexpr int kEnough = 32;

int ignoreErrors(::Display*, XErrorEvent*) {
    return 0;
}

// A window or pixmap may go between two of our requests: its errors must
// never end the program.
class QuietErrors {
public:
    explicit QuietErrors(::Display* d) : m_display(d), m_previous(XSetErrorHandler(ignoreErrors)) {}
    ~QuietErrors() {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }

private:
    ::Display* m_display;
    XErrorHandler m_previous;
};

struct Area {
    int x0;
    int y0;
    int x1; // exclusive
    int y1;
    bool contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// The screen areas that mapped windows cover, widened by the margin.
std::vector<Area> coveredAreas(::Display* d, Window root) {
    std::vector<Area> areas;
    Window unusedRoot = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, root, &unusedRoot, &parent, &children, &count)) {
        return areas;
    }
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        // An input-only window shows nothing; an unmapped one is not there.
        if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable && a.c_class == InputOutput) {
            areas.push_back({a.x - kMargin, a.y - kMargin, a.x + a.width + 2 * a.border_width + kMargin,
                             a.y + a.height + 2 * a.border_width + kMargin});
        }
    }
    if (children) {
        XFree(children);
    }
    return areas;
}

bool covered(const std::vector<Area>& areas, int x, int y) {
    return std::any_of(areas.begin(), areas.end(), [&](const Area& a) { return a.contains(x, y); });
}

// One sampled row or column of the screen: where it lies and its pixels.
struct Line {
    bool row;
    int at;
    std::vector<std::uint32_t> pixels;
    int x(int i) const { return row ? i : at; }
    int y(int i) const { return row ? at : i; }
};

std::vector<Line> sampleLines(int width, int height) {
    std::vector<Line> lines;
    for (int k = 0; k < kLines; ++k) {
        lines.push_back({true, std::min(height - 1, (2 * k + 1) * height / (2 * kLines) + 3 * k), {}});
        lines.push_back({false, std::min(width - 1, (2 * k + 1) * width / (2 * kLines) + 3 * k), {}});
    }
    return lines;
}

// `length` pixels of a drawable, from (x, y) along a row or a column.
bool readLine(::Display* d, Drawable drawable, bool row, int x, int y, int length, std::vector<std::uint32_t>* out) {
    XImage* image = XGetImage(d, drawable, x, y, static_cast<unsigned>(row ? length : 1),
                              static_cast<unsigned>(row ? 1 : length), AllPlanes, ZPixmap);
    if (!image) {
        return false;
    }
    out->resize(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        (*out)[static_cast<std::size_t>(i)] =
            static_cast<std::uint32_t>(XGetPixel(image, row ? i : 0, row ? 0 : i) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return true;
}

struct Geometry {
    int width = 0;
    int height = 0;
    unsigned depth = 0;
};

bool geometryOf(::Display* d, Drawable drawable, Geometry* g) {
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    if (!XGetGeometry(d, drawable, &root, &x, &y, &width, &height, &border, &g->depth) || width == 0 || height == 0) {
        return false;
    }
    g->width = static_cast<int>(width);
    g->height = static_cast<int>(height);
    return true;
}

// The root's lines as the screen shows them now; false when one could not be read.
bool readRootLines(::Display* d, Window root, const Geometry& screen, std::vector<Line>* lines) {
    *lines = sampleLines(screen.width, screen.height);
    for (Line& line : *lines) {
        if (!readLine(d, root, line.row, line.row ? 0 : line.at, line.row ? line.at : 0,
                      line.row ? screen.width : screen.height, &line.pixels)) {
            return false;
        }
    }
    return true;
}

QImage fromXImage(XImage* image, int width, int height) {
    QImage out(width, height, QImage::Format_RGB32);
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000 &&
                        image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        if (direct) {
            // The usual 24-bit visual: the rows are already 0x00RRGGBB words.
            const auto* source = reinterpret_cast<const std::uint32_t*>(image->data + row * image->bytes_per_line);
            for (int col = 0; col < width; ++col) {
                line[col] = 0xFF000000u | (source[col] & 0xFFFFFF);
            }
            continue;
        }
        for (int col = 0; col < width; ++col) {
            line[col] = 0xFF000000u | static_cast<QRgb>(XGetPixel(image, col, row) & 0xFFFFFF);
        }
    }
    return out;
}

// The root's background seen through a window of ours whose background is
// its parent's: the server paints it as it paints the root, pattern, tiling
// and all. It is on the screen only while it is read.
bool lookThroughWindow(::Display* d, Window root, int width, int height, QImage* picture) {
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = ParentRelative;
    attributes.override_redirect = True; // no window manager frames or moves it
    const Window window =
        XCreateWindow(d, root, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixmap | CWOverrideRedirect, &attributes);
    if (window == None) {
        return false;
    }
    XMapRaised(d, window);
    XSync(d, False); // the server has painted its background by now
    XImage* image =
        XGetImage(d, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    XDestroyWindow(d, window);
    XSync(d, False);
    if (!image) {
        return false;
    }
    *picture = fromXImage(image, width, height);
    XDestroyImage(image);
    return true;
}

} // namespace

RootLook compareRootWith(::Display* d, Pixmap pixmap) {
    if (pixmap == None) {
        return RootLook::Unknown;
    }
    QuietErrors quiet(d);
    const Window root = DefaultRootWindow(d);
    Geometry screen;
    Geometry tile;
    if (!geometryOf(d, root, &screen) || !geometryOf(d, pixmap, &tile) || tile.depth != screen.depth) {
        return RootLook::Unknown;
    }
    std::vector<Line> shown;
    if (!readRootLines(d, root, screen, &shown)) {
        return RootLook::Unknown;
    }
    // Where each pixel of the lines differs from the pixmap laid out as the root lays it out.
    std::vector<std::vector<bool>> differs;
    bool anyDiffers = false;
    std::vector<std::uint32_t> ours;
    for (const Line& line : shown) {
        const int across = line.row ? tile.width : tile.height;
        const int length = std::min(across, static_cast<int>(line.pixels.size()));
        const int at = line.at % (line.row ? tile.height : tile.width);
        if (!readLine(d, pixmap, line.row, line.row ? 0 : at, line.row ? at : 0, length, &ours)) {
            return RootLook::Unknown;
        }
        std::vector<bool> flags(line.pixels.size());
        for (std::size_t i = 0; i < line.pixels.size(); ++i) {
            flags[i] = line.pixels[i] != ours[i % static_cast<std::size_t>(length)];
            anyDiffers = anyDiffers || flags[i];
        }
        differs.push_back(std::move(flags));
    }
    if (!anyDiffers) {
        return RootLook::Same;
    }
    // Some pixels differ: those under windows (and their shadows) do not count.
    const std::vector<Area> areas = coveredAreas(d, root);
    int uncovered = 0;
    int differing = 0;
    for (std::size_t l = 0; l < shown.size(); ++l) {
        for (std::size_t i = 0; i < differs[l].size(); ++i) {
            if (!covered(areas, shown[l].x(static_cast<int>(i)), shown[l].y(static_cast<int>(i)))) {
                ++uncovered;
                differing += differs[l][i];
            }
        }
    }
    if (uncovered < kEnough) {
        return RootLook::Unknown;
    }
    // A little that differs is something drawn on the root over our picture
    // (a system monitor that paints there): not a new wallpaper.
    return 2 * differing > uncovered ? RootLook::Differs : RootLook::Same;
}

QImage pixmapPicture(::Display* d, Pixmap pixmap) {
    QuietErrors quiet(d);
    Geometry g;
    if (pixmap == None || !geometryOf(d, pixmap, &g)) {
        return {};
    }
    XImage* image =
        XGetImage(d, pixmap, 0, 0, static_cast<unsigned>(g.width), static_cast<unsigned>(g.height), AllPlanes, ZPixmap);
    if (!image) {
        return {};
    }
    QImage picture = fromXImage(image, g.width, g.height);
    XDestroyImage(image);
    return picture;
}

bool readRootBackground(::Display* d, int width, int height, QImage* picture) {
    QuietErrors quiet(d);
    const Window root = DefaultRootWindow(d);
    Geometry screen;
    if (!geometryOf(d, root, &screen)) {
        return false;
    }
    std::vector<Line> lines;
    if (readRootLines(d, root, screen, &lines)) {
        // A plain colour (xsetroot -solid) needs no look through a window.
        const std::vector<Area> areas = coveredAreas(d, root);
        int uncovered = 0;
        bool uniform = true;
        std::uint32_t colour = 0;
        for (const Line& line : lines) {
            for (std::size_t i = 0; i < line.pixels.size() && uniform; ++i) {
                if (covered(areas, line.x(static_cast<int>(i)), line.y(static_cast<int>(i)))) {
                    continue;
                }
                uniform = uncovered == 0 || line.pixels[i] == colour;
                colour = line.pixels[i];
                ++uncovered;
            }
        }
        if (uniform && uncovered >= kEnough) {
            QImage plain(width, height, QImage::Format_RGB32);
            plain.fill(0xFF000000u | colour);
            *picture = plain;
            return true;
        }
    }
    // The screen may have changed its size since the program started: the
    // window covers the root as it is now, the picture keeps our size.
    if (!lookThroughWindow(d, root, screen.width, screen.height, picture)) {
        return false;
    }
    if (picture->width() != width || picture->height() != height) {
        *picture = picture->scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return true;
}

bool showsPicture(const QImage& shown, const QImage& pixmap) {
    if (shown.isNull() || pixmap.isNull()) {
        return false;
    }
    const QImage a = shown.convertToFormat(QImage::Format_RGB32);
    const QImage b = pixmap.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y % b.height()));
        for (int x = 0; x < a.width(); ++x) {
            if ((lineA[x] ^ lineB[x % b.width()]) & 0xFFFFFF) {
                return false;
            }
        }
    }
    return true;
}

Pixmap xsetrootId(::Display* d) {
    const std::vector<unsigned long> p =
        windowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_XSETROOT_ID", False), XA_PIXMAP, 1);
    return p.size() == 1 ? static_cast<Pixmap>(p.front()) : None;
}

void releaseXsetrootId(::Display* d) {
    const Window root = DefaultRootWindow(d);
    const Atom atom = XInternAtom(d, "_XSETROOT_ID", False);
    const Pixmap left = xsetrootId(d);
    {
        QuietErrors quiet(d);
        Geometry g;
        if (left != None && geometryOf(d, left, &g)) {
            XKillClient(d, left);
        }
    }
    XDeleteProperty(d, root, atom);
}

} // namespace velmora
