#pragma once

#include <functional>
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

// Makes the screen-sized picture file the wallpaper of that desktop,
// stretched to the screen (it is drawn at the screen's size), also for the
// dark style where the desktop has one. False, with a Japanese reason in
// *error, when the desktop's settings tool is missing or refuses.
bool setDesktopWallpaper(DesktopKind kind, const std::string& path, const CommandRunner& run, std::string* error);

// The runner of the real system (QProcess, no shell).
int runCommand(const Command& command, std::string* output);

} // namespace velmora
