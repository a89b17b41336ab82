#pragma once

#include "platform/headless/HeadlessPlatform.h"
#include "platform/x11/DesktopBackends.h"

#include <memory>

namespace velmora {

// A Linux desktop on an X server. The wallpaper goes into the root window's
// background as a retained pixmap named by _XROOTPMAP_ID and
// ESETROOT_PMAP_ID, so that it stays on the desktop after the program ends
// and other programs can read it; a desktop environment that paints its own
// background (GNOME and its relatives, KDE Plasma, XFCE) is told through its
// settings as well.
class X11Platform : public HeadlessPlatform {
public:
    // nullptr when no X server can be reached.
    static std::unique_ptr<X11Platform> connect();
    ~X11Platform() override;

    int screenWidth() const override { return m_width; }
    int screenHeight() const override { return m_height; }
    bool installWallpaper(const std::string& path, std::string* error) override;
    // The root window's background pixmap (_XROOTPMAP_ID), whoever set it.
    bool captureDesktop(QImage* picture) override;
    std::string wallpaperBackend() const override;

private:
    X11Platform(int width, int height);
    bool setRootPicture(const std::string& path, std::string* error);
    int m_width;
    int m_height;
    DesktopKind m_desktop;
};

} // namespace velmora
