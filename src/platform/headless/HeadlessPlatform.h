#pragma once

#include "platform/Platform.h"
#include "platform/SecretFile.h"

namespace velmora {

// No display: the command-line tool, tests, and runs without a desktop.
class HeadlessPlatform : public Platform {
public:
    std::string computerName() const override;
    std::string uncPath(const std::string& path) const override { return path; }
    std::string executableDir() const override;
    bool isWritableDir(const std::string& dir) const override;
    // A headless run draws for a common full-HD screen.
    int screenWidth() const override { return 1920; }
    int screenHeight() const override { return 1080; }
    std::unique_ptr<Clock> createClock() const override;
    // The wallpaper is the file: installing only remembers it.
    bool installWallpaper(const std::string& path, std::string*) override;
    bool installBaseWallpaper(const std::string& path, std::string*) override;
    std::string currentWallpaper() const override { return m_current; }
    // The base picture laid out to cover the screen on black; false without one.
    bool captureDesktop(const std::string& baseWallpaper, QImage* picture) override;
    std::string wallpaperBackend() const override { return "none"; }
    ReminderSecrets& secrets() override { return m_secrets; }
    bool launchProgram(const std::string& program, const std::string& parameters,
                       const std::string& workingDir) override;
    bool openDocument(const std::string& path) override;

private:
    SecretFile m_secrets;
    std::string m_current;
};

} // namespace velmora
