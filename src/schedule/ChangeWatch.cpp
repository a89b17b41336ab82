#include "schedule/ChangeWatch.h"

#include "core/ProfileFile.h"

namespace velmora {

std::optional<FileAge> fileAge(const std::string& path) {
    std::error_code ec;
    const auto t = std::filesystem::last_write_time(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return t;
}

bool isReadOnlyFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        return false;
    }
    constexpr auto anyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & anyWrite) == fs::perms::none;
}

ChangeWatch::ChangeWatch(std::function<void()> onChange, std::function<void(int)> wait)
    : m_onChange(std::move(onChange)), m_wait(std::move(wait)) {}

bool ChangeWatch::tick() {
    if (!m_running) {
        return false;
    }
    stop();
    bool reloaded = false;
    const auto age = fileAge(m_path);
    if (age && m_knownAge && *age != *m_knownAge) {
        ProfileFile file(m_path);
        // A file that cannot be read now is looked at again at the next tick.
        if (file.load() == ReadOutcome::Failed) {
            start();
            return false;
        }
        const std::string updateUser = file.readString("COMPUTER", "UPDATEUSER", "");
        const std::string lastUpdateUser = file.readString("COMPUTER", "LASTUPDATEUSER", "");
        // While someone still edits, or after a declined edit, keep the known
        // age: the check repeats at every tick until the file is released.
        if (updateUser.empty() && lastUpdateUser != "CANCEL") {
            if (m_wait) {
                m_wait(1000);
            }
            if (m_onChange) {
                m_onChange();
            }
            reloaded = true;
        }
    }
    start();
    return reloaded;
}

} // namespace velmora
