#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velmora {

// The reminder windows open in this run, as the editing windows reach them.
// The window layer implements it over its windows and the reminders'
// PopupWindows and PopupCascadeCount; the models decide when to call it.
class OpenReminders {
public:
    virtual ~OpenReminders() = default;
    // Closes the entry's open reminder window, frees its slot and lowers the
    // cascade count by one. Nothing happens when no window shows the key.
    virtual void closeWindow(const std::string& key) = 0;
    // The open windows show their entries under new keys: (old key, new key)
    // pairs, applied together (each window is found by its old key before
    // any is renamed), since a commit can swap two entries' keys.
    virtual void rekeyWindows(const std::vector<std::pair<std::string, std::string>>& moves) = 0;
    // The open window of `key` shows `text` now.
    virtual void retitleWindow(const std::string& key, const std::string& text) = 0;
};

// For openers without reminder windows (the command-line tool, tests).
class NoOpenReminders : public OpenReminders {
public:
    void closeWindow(const std::string&) override {}
    void rekeyWindows(const std::vector<std::pair<std::string, std::string>>&) override {}
    void retitleWindow(const std::string&, const std::string&) override {}
};

} // namespace velmora
