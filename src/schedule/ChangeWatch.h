#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace velmora {

using FileAge = std::filesystem::file_time_type;

// The modification time of a file; nullopt when it does not exist.
std::optional<FileAge> fileAge(const std::string& path);
// True when the file exists and nobody may write it.
bool isReadOnlyFile(const std::string& path);

// Notices that another computer has finished a change of a shared data file.
// The window layer calls tick() every 5000 ms while the watch runs; the
// program's own reads and writes stop it and refresh the known age, so that
// they are never taken for a foreign change.
class ChangeWatch {
public:
    // `onChange` reloads the file and redraws; `wait` pauses the given
    // milliseconds before the reload (the other computer may still be writing
    // side files).
    ChangeWatch(std::function<void()> onChange = {}, std::function<void(int)> wait = {});

    void setPath(std::string path) { m_path = std::move(path); }
    const std::string& path() const { return m_path; }
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }
    void setWait(std::function<void(int)> wait) { m_wait = std::move(wait); }

    void start() { m_running = true; }
    void stop() { m_running = false; }
    bool isRunning() const { return m_running; }

    // The file's age as the program last read or wrote it.
    const std::optional<FileAge>& knownAge() const { return m_knownAge; }
    void setKnownAge(std::optional<FileAge> age) { m_knownAge = age; }
    // Takes the file's age now as known.
    void refreshKnownAge() { m_knownAge = fileAge(m_path); }

    // One tick: stop, compare the file's age with the known one, reload when
    // the file changed and nobody holds it and the change was not cancelled,
    // restart. Returns true when it reloaded.
    bool tick();

private:
    std::string m_path;
    std::function<void()> m_onChange;
    std::function<void(int)> m_wait;
    std::optional<FileAge> m_knownAge;
    bool m_running = false;
};

} // namespace velmora
