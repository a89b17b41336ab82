#pragma once

#include "core/Clock.h"
#include "platform/DoubleClick.h"
#include "reminders/ReminderWindows.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>

namespace velmora {

class SoundPlayer;

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

    // Makes the screen-sized calendar picture file the desktop's wallpaper.
    // Without a desktop the file itself is the wallpaper and nothing more is
    // done. False, with a Japanese reason in *error, when the desktop refused it.
    virtual bool installWallpaper(const std::string& path, std::string* error) = 0;
    // Puts the user's own wallpaper back, laid out the way the desktop lays
    // it out, or no picture for "". False, with a reason, when refused.
    virtual bool installBaseWallpaper(const std::string& path, std::string* error) = 0;
    // The picture file the desktop shows now; "" when it shows none we know
    // by name (no picture, or one another program put there without a file).
    virtual std::string currentWallpaper() const = 0;
    // The bare desktop: the desktop's background as it is now, screen-sized,
    // without windows and without our calendar. Where the desktop does not
    // let us see it, `baseWallpaper` laid out as the desktop would. False
    // when neither is possible: the caller keeps the last capture.
    virtual bool captureDesktop(const std::string& baseWallpaper, QImage* picture) = 0;
    // A name for the way the wallpaper is installed, for messages ("none" without a desktop).
    virtual std::string wallpaperBackend() const = 0;

    // What the desktop tells the resident program, on the user-interface
    // thread: the wallpaper changed (by us or anyone), and double-clicks over
    // the bare desktop. Without a desktop nothing is ever reported.
    virtual void watchDesktop(std::function<void()> wallpaperChanged,
                              std::function<void(const DesktopDoubleClick&)> doubleClick) {
        (void)wallpaperChanged;
        (void)doubleClick;
    }
    // The pointer's moves anywhere on the screen, as screen points, on the
    // user-interface thread (the receiver asks pointerOverDesktop() what is
    // under it); an empty function stops them. Without a desktop, or where
    // the desktop does not tell, nothing is ever reported.
    virtual void watchPointer(std::function<void(int x, int y)> moved) { (void)moved; }
    // True while the pointer is over the bare desktop (not over a window).
    virtual bool pointerOverDesktop() const { return false; }
    // True when a top-level window with exactly this title is open.
    // Keeps a window of ours off the taskbar and the pager (the full-screen
    // calendar: the program lives in the tray). Nothing where there is no taskbar.
    virtual void keepOffTaskbar(unsigned long windowId) { (void)windowId; }
    virtual bool windowTitled(const std::string& title) const {
        (void)title;
        return false;
    }
    // True when the desktop says the double-click at (x, y) was on one of its
    // icons. Desktops that do not tell answer false.
    virtual bool desktopIconAt(int x, int y) const {
        (void)x;
        (void)y;
        return false;
    }

    // The per-user secret values of the reminders' supplement commands.
    virtual ReminderSecrets& secrets() = 0;
    // Starts a program in `workingDir` with its parameters split as a command
    // line is (double quotes group) and passed as separate arguments — never
    // through a shell, so that an entry's text can never become a command.
    // False when it cannot be started.
    virtual bool launchProgram(const std::string& program, const std::string& parameters,
                               const std::string& workingDir) = 0;
    // Opens a document (the help page) with the desktop's viewer for it.
    virtual bool openDocument(const std::string& path) = 0;
    // Moves a file to the desktop's trash, from where the user can get it
    // back; false when it could not be moved (the file stays).
    virtual bool moveToTrash(const std::string& path);

    // Plays a wave file without holding up the user-interface thread; "" gives
    // the default beep. A file that is missing or cannot be played gives the
    // beep instead and is reported once per path for the run through
    // setSoundFailure(); a machine without a sound device only beeps and
    // says nothing. Without a desktop nothing is ever heard or said.
    virtual void playSound(const std::string& waveFile);
    // Who is told, in Japanese, that a wave file cannot be played; nobody by default.
    void setSoundFailure(std::function<void(const std::string& message)> failed);

private:
    std::function<void(const std::string&)> m_soundFailure;
    std::shared_ptr<SoundPlayer> m_sound; // made at the first sound
};

// The platform of this build and session.
std::unique_ptr<Platform> createPlatform();

// At most 15 characters of a computer name, cut at a character boundary.
std::string truncateComputerName(const std::string& name);

} // namespace velmora
