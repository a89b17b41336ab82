#pragma once

#include "platform/WallpaperLayout.h"

#include <QRgb>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// The desktop environments that paint their own background over the root
// window, and so must be told the wallpaper through their settings.
enum class DesktopKind { PlainX, Gnome, Cinnamon, Mate, Kde, Xfce };

// From $XDG_CURRENT_DESKTOP (a colon list, e.g. "ubuntu:GNOME") and
// $DESKTOP_SESSION. Budgie and Unity keep GNOME's background settings.
DesktopKind desktopKindFrom(const std::string& currentDesktop, const std::string& session);

// A program and its arguments, run without a shell.
using Command = std::vector<std::string>;
// Runs a command; its exit status and standard output (-1 when it could not start).
using CommandRunner = std::function<int(const Command&, std::string* output)>;

// Makes the screen-sized picture file the wallpaper of that desktop, also for
// the dark style where the desktop has one. Every layout but "none" shows a
// screen-sized picture exactly, so the user's layout is kept; only a desktop
// set to show no picture (or whose layout cannot be read) is set to zoom.
// False, with a Japanese reason in *error, when the desktop's settings tool
// is missing or refuses.
bool setDesktopWallpaper(DesktopKind kind, const std::string& path, const CommandRunner& run, std::string* error);

// The wallpaper the user chose, as the desktop's settings hold it.
struct DesktopWallpaper {
    std::string path; // local file; "" when the desktop shows no picture
    WallpaperStyle style = WallpaperStyle::Zoom;
    QRgb background = 0xFF000000; // the desktop's background colour
};

// What the desktop's settings name as its wallpaper and how it lays it out; nullopt when the
// settings cannot be read (tool missing or failing) or for PlainX. With the layout NoPicture the
// path is still the one the settings name, so that it can be put back unchanged.
std::optional<DesktopWallpaper> readDesktopWallpaper(DesktopKind kind, const CommandRunner& run);

// The wallpaper in the text of Plasma's plasma-org.kde.plasma.desktop-appletsrc: the first
// image of a desktop containment; nullopt when the text names none.
std::optional<DesktopWallpaper> plasmaWallpaperFrom(const std::string& appletsrc);

// Puts the user's own picture back as that desktop's wallpaper ("" = no picture), keeping the user's layout.
// False, with a Japanese reason in *error, when the settings tool is missing or refuses.
bool setDesktopBaseWallpaper(DesktopKind kind, const std::string& path, const CommandRunner& run, std::string* error);

// The file in which that desktop keeps its wallpaper setting (its settings
// database); "" for a plain X server. Its changes are the desktop's
// wallpaper changes, among others.
std::string desktopSettingsFile(DesktopKind kind);

// The runner of the real system (QProcess, no shell).
int runCommand(const Command& command, std::string* output);

} // namespace velmora
