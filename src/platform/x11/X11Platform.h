#pragma once

#include "platform/headless/HeadlessPlatform.h"
#include "platform/x11/DesktopBackends.h"

#include <memory>

class QSocketNotifier;
class QTimer;
class QFileSystemWatcher;

namespace velmora {

class X11DesktopClicks;

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
    bool installBaseWallpaper(const std::string& path, std::string* error) override;
    // Under a desktop environment its setting; on a plain X server the file
    // we put there while the root still shows our picture ("" once anyone
    // else has set the root, by a property or only by painting it).
    std::string currentWallpaper() const override;
    // Under a desktop environment its picture laid out its way; on a plain X
    // server the picture another program named (_XROOTPMAP_ID), else the
    // root window's background as the server paints it (a colour, or a
    // picture set without a name), unless it is our calendar.
    bool captureDesktop(const std::string& baseWallpaper, QImage* picture) override;
    std::string wallpaperBackend() const override;
    void watchDesktop(std::function<void()> wallpaperChanged,
                      std::function<void(const DesktopDoubleClick&)> doubleClick) override;
    void watchPointer(std::function<void(int x, int y)> moved) override;
    bool pointerOverDesktop() const override;
    bool windowTitled(const std::string& title) const override;
    void keepOffTaskbar(unsigned long windowId) override;

private:
    X11Platform(int width, int height);
    // What the root picture is, as we left it: `kind` "calendar", "base"
    // or "stale" (our calendar, no longer the wallpaper), and its file.
    bool setRootPicture(const QImage& picture, const std::string& kind, const std::string& path, std::string* error);
    // False when another program has set the root since: its properties,
    // or (unless they cannot be trusted here) the root's own pixels, say so.
    bool rootPictureIsOurs(std::string* kind, std::string* path) const;
    void markRootPicture(const std::string& kind, const std::string& path) const;
    bool readRootPicture(QImage* picture) const;
    int m_width;
    int m_height;
    DesktopKind m_desktop;
    std::unique_ptr<X11DesktopClicks> m_clicks;
    std::function<void(int, int)> m_pointerMoved;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_settingsPoll;
    std::unique_ptr<QFileSystemWatcher> m_settingsWatch;
    // False once the connection is gone, for reads already queued.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::string m_lastSeen;
    // Whether the root read back as our picture after we last set it.
    bool m_judgePixels = true;
};

} // namespace velmora
