#include "platform/headless/HeadlessPlatform.h"

#include "core/DateText.h"
#include "platform/Launch.h"
#include "platform/WallpaperLayout.h"

#include <QDesktopServices>
#include <QUrl>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace velmora {

namespace {

DateValue localNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return DateValue::fromDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                                   std::min(tm.tm_sec, 59), ms)
        .value_or(DateValue());
}

class SystemClock : public Clock {
public:
    DateValue now() const override { return localNow(); }
};

// Starts at a chosen moment and runs on with the real time.
class OffsetClock : public Clock {
public:
    explicit OffsetClock(DateValue start) : m_start(start), m_started(std::chrono::steady_clock::now()) {}
    DateValue now() const override {
        const auto elapsed = std::chrono::steady_clock::now() - m_started;
        const double days = std::chrono::duration<double>(elapsed).count() / 86400.0;
        return DateValue(m_start.value() + days);
    }

private:
    DateValue m_start;
    std::chrono::steady_clock::time_point m_started;
};

} // namespace

std::string truncateComputerName(const std::string& name) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80 && chars++ == 15) {
            return name.substr(0, i);
        }
    }
    return name;
}

std::string HeadlessPlatform::computerName() const {
    if (const char* forced = std::getenv("VELMORA_COMPUTERNAME"); forced && *forced) {
        return truncateComputerName(forced);
    }
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) != 0) {
        return {};
    }
    return truncateComputerName(host);
}

std::string HeadlessPlatform::executableDir() const {
    char buffer[PATH_MAX + 1] = {};
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) {
        return {};
    }
    std::string path(buffer, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool HeadlessPlatform::isWritableDir(const std::string& dir) const {
    return access(dir.c_str(), W_OK | X_OK) == 0;
}

bool HeadlessPlatform::launchProgram(const std::string& program, const std::string& parameters,
                                     const std::string& workingDir) {
    return launchDetached(program, parameters, workingDir);
}

bool HeadlessPlatform::installWallpaper(const std::string& path, std::string*) {
    m_current = path;
    return true;
}

bool HeadlessPlatform::installBaseWallpaper(const std::string& path, std::string*) {
    m_current = path;
    return true;
}

bool HeadlessPlatform::captureDesktop(const std::string& baseWallpaper, QImage* picture) {
    return coverScreen(baseWallpaper, screenWidth(), screenHeight(), picture);
}

bool HeadlessPlatform::openDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

std::unique_ptr<Clock> HeadlessPlatform::createClock() const {
    if (const char* text = std::getenv("VELMORA_NOW"); text && *text) {
        if (auto start = parseDateTime(text)) {
            return std::make_unique<OffsetClock>(*start);
        }
    }
    return std::make_unique<SystemClock>();
}

} // namespace velmora
