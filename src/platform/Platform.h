#pragma once

#include "core/Clock.h"
#include "reminders/ReminderWindows.h"

#include <QImage>

#include <memory>
#include <string>

namespace velmora {

// What the operating system gives beyond the standard library, behind one
// interface. One implementation per folder (headless/, later x11/ and win32/),
// chosen by createPlatform().
class Platform {
public:
    virtual ~Platform() = default;

    // This computer's network name, at most 15 characters; VELMORA_COMPUTERNAME
    // overrides it so that tests can run several computers on one machine.
    virtual std::string computerName() const = 0;
    // A path on a mapped network drive in its UNC form; other paths unchanged.
    virtual std::string uncPath(const std::string& path) const = 0;
    // Folder of the running executable with a trailing "/"; "" when unknown.
    virtual std::string executableDir() const = 0;
    // True when the program may create and replace files in `dir`.
    virtual bool isWritableDir(const std::string& dir) const = 0;
    // Size of the primary screen in pixels.
    virtual int screenWidth() const = 0;
    virtual int screenHeight() const = 0;
    // The clock of the program: the system's local time, or VELMORA_NOW
    // ("yyyy/mm/dd hh:nn:ss") as the starting point of a running clock.
    virtual std::unique_ptr<Clock> createClock() const = 0;

    // Makes the screen-sized picture file the desktop's wallpaper. Without a
    // desktop the file itself is the wallpaper and nothing more is done.
    // False, with a Japanese reason in *error, when the desktop refused it.
    virtual bool installWallpaper(const std::string& path, std::string* error) = 0;
    // The desktop's background as it is now, screen-sized, without windows;
    // false when the desktop does not let us see it (or there is none).
    virtual bool captureDesktop(QImage* picture) = 0;
    // A name for the way the wallpaper is installed, for messages ("none" without a desktop).
    virtual std::string wallpaperBackend() const = 0;

    // The per-user secret values of the reminders' supplement commands.
    virtual ReminderSecrets& secrets() = 0;
    // Starts a program in `workingDir` with its parameters split as a command
    // line is (double quotes group) and passed as separate arguments — never
    // through a shell, so that an entry's text can never become a command.
    // False when it cannot be started.
    virtual bool launchProgram(const std::string& program, const std::string& parameters,
                               const std::string& workingDir) = 0;
};

// The platform of this build and session.
std::unique_ptr<Platform> createPlatform();

// At most 15 characters of a computer name, cut at a character boundary.
std::string truncateComputerName(const std::string& name);

} // namespace velmora
