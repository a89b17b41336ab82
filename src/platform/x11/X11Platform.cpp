#include "platform/x11/X11Platform.h"

#include "platform/x11/X11Property.h"

#include <QImage>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
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

} // namespace

std::unique_ptr<X11Platform> X11Platform::connect() {
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

X11Platform::~X11Platform() = default;

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
    if (!setRootPicture(path, error)) {
        return false;
    }
    return setDesktopWallpaper(m_desktop, path, runCommand, error);
}

bool X11Platform::captureDesktop(QImage* picture) {
    XConnection display;
    if (!display.d) {
        return false;
    }
    ::Display* d = display.d;
    const Window root = DefaultRootWindow(d);
    const Pixmap pixmap = retainedPixmap(d, root, XInternAtom(d, "_XROOTPMAP_ID", False));
    if (pixmap == None) {
        return false;
    }
    // A pixmap whose owner has gone makes every request fail; never let that end the program.
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    Window unusedRoot = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XImage* image = nullptr;
    if (XGetGeometry(d, pixmap, &unusedRoot, &x, &y, &width, &height, &border, &depth) && width > 0 && height > 0) {
        image = XGetImage(d, pixmap, 0, 0, width, height, AllPlanes, ZPixmap);
    }
    XSync(d, False);
    XSetErrorHandler(previous);
    if (!image) {
        return false;
    }
    QImage out(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000 &&
                        image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    for (int row = 0; row < out.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        if (direct) {
            // The usual 24-bit visual: the rows are already 0x00RRGGBB words.
            const auto* source = reinterpret_cast<const std::uint32_t*>(image->data + row * image->bytes_per_line);
            for (int col = 0; col < out.width(); ++col) {
                line[col] = 0xFF000000u | (source[col] & 0xFFFFFF);
            }
            continue;
        }
        for (int col = 0; col < out.width(); ++col) {
            line[col] = 0xFF000000u | static_cast<QRgb>(XGetPixel(image, col, row) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    *picture = out.width() == m_width && out.height() == m_height
                   ? out
                   : out.scaled(m_width, m_height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return true;
}

bool X11Platform::setRootPicture(const std::string& path, std::string* error) {
    const auto fail = [&](const char* reason) {
        if (error) {
            *error = reason;
        }
        return false;
    };
    QImage picture(QString::fromStdString(path));
    if (picture.isNull()) {
        return fail("壁紙のファイルを読み込めません");
    }
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
    picture = picture.convertToFormat(QImage::Format_RGB32);
    const int width = picture.width();
    const int height = picture.height();

    // Our data lives in `pixels` for the XImage, which must not free it.
    std::vector<char> pixels(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * width * 4, picture.constScanLine(y),
                    static_cast<std::size_t>(width) * 4);
    }
    XImage* image = XCreateImage(d, DefaultVisual(d, screen), static_cast<unsigned>(depth), ZPixmap, 0, pixels.data(),
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
    if (!image) {
        return fail("壁紙の画像を作成できません");
    }
    image->byte_order = LSBFirst; // QImage's RGB32 is little-endian 0xffRRGGBB
    const Pixmap pixmap = XCreatePixmap(d, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        static_cast<unsigned>(depth));
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFreeGC(d, gc);
    image->data = nullptr; // owned by `pixels`
    XDestroyImage(image);

    const Atom rootPixmap = XInternAtom(d, "_XROOTPMAP_ID", False);
    const Atom esetroot = XInternAtom(d, "ESETROOT_PMAP_ID", False);
    // Free the picture an earlier run left behind; its client is the one we retained.
    const Pixmap old = retainedPixmap(d, root, esetroot);
    if (old != None && old == retainedPixmap(d, root, rootPixmap)) {
        XErrorHandler previous = XSetErrorHandler(ignoreErrors);
        XKillClient(d, old);
        XSync(d, False);
        XSetErrorHandler(previous);
    }
    XChangeProperty(d, root, rootPixmap, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XChangeProperty(d, root, esetroot, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap),
                    1);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    // The pixmap stays when this connection closes, so the desktop keeps the calendar.
    XSetCloseDownMode(d, RetainPermanent);
    XSync(d, False);
    return true;
}

} // namespace velmora
