#pragma once

#include <string>

namespace velmora {

// The application id of the installed desktop entry and icon.
inline constexpr const char* kDesktopId = "io.velmora.Velmora";

// The start-up registration of a Linux desktop: one XDG autostart file,
// $XDG_CONFIG_HOME/autostart/Velmora.desktop (by default ~/.config/...).
// Mode 0 removes it, 1 starts the resident program at log-in, 2 starts it
// with "/0" (draw the calendar once and end). `executable` is the running
// program's path, so an installed copy registers itself, with its icon.
// False, with a Japanese reason in *error, when the file cannot be written or
// removed.
bool registerStartup(int mode, const std::string& executable, std::string* error = nullptr,
                     const std::string& configHome = {}, const std::string& workingDir = {});

// The autostart file's path.
std::string autostartFilePath(const std::string& configHome = {});

} // namespace velmora
