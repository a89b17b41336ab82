#pragma once

#include "app/MemoWindows.h"
#include "reminders/ReminderWindows.h"
#include "reminders/TPopupForm.h"

#include <string>
#include <vector>

namespace velmora {

class MainHub;
class Platform;
class UserFeedback;

// The reminder windows of the run (PopupWindows): each reminder is a note
// window of its own, restored from the entry's state file when it has one;
// closing a window files the entry's reminder state and saves the window's
// state for the next reminder of the entry. Sounds and programs go through
// the platform.
class PopupWindows : public ReminderWindows, public PopupHost {
public:
    PopupWindows(Platform& platform, UserFeedback& feedback, DesktopPicture& desktop);
    // The hub is made after the windows it opens reminders in.
    void attach(MainHub& hub) { m_hub = &hub; }
    ~PopupWindows() override;

    // ReminderWindows
    void openSaved(const std::string& stateFile, const std::string& text, const std::string& key,
                   std::optional<int> colour) override;
    void openFresh(const ReminderGeometry& geometry, const std::string& text, const std::string& key,
                   const FontSetting& font) override;
    void close(const std::string& key) override;
    void rekeyAll(const std::vector<std::pair<std::string, std::string>>& moves) override;
    void retitle(const std::string& key, const std::string& text) override;
    void playSound(const std::string& waveFile) override;
    void launch(const std::string& program, const std::string& parameters, const std::string& workingDir) override;

    // The open windows, oldest first; the window of an entry.
    const std::vector<TPopupForm*>& windows() const { return m_windows; }
    TPopupForm* window(const std::string& key) const;
    // "カレンダー表示" hides the windows; they come back with the desktop.
    void setHidden(bool hidden);
    // Every window saves its state as it closes, at the end of the program.
    void closeAll();

    // PopupHost
    ScheduleStore& scheduleStore() override;
    const Settings& settings() const override;
    UserFeedback& feedback() override { return m_feedback; }
    void reminderClosed(TPopupForm& window, bool reshow) override;
    void editEntry(TPopupForm& window) override;
    std::string supplementText(const std::string& key) override;
    bool printerAvailable() const override { return false; }
    void printImage(const QImage&) override {}

private:
    void open(MemoState state);
    // Frees the window; its state is saved (or forgotten for a one-day reminder).
    void destroyWindow(TPopupForm* window);
    void saveState(TPopupForm& window);

    Platform& m_platform;
    UserFeedback& m_feedback;
    MainHub* m_hub = nullptr;
    DesktopPicture& m_desktop;
    std::vector<TPopupForm*> m_windows;
};

} // namespace velmora
