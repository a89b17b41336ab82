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
    bool installWallpaper(const std::string&, std::string*) override { return true; }
    bool captureDesktop(QImage*) override { return false; }
    std::string wallpaperBackend() const override { return "none"; }
    ReminderSecrets& secrets() override { return m_secrets; }
    bool launchProgram(const std::string& program, const std::string& parameters,
                       const std::string& workingDir) override;

private:
    SecretFile m_secrets;
};

} // namespace velmora
