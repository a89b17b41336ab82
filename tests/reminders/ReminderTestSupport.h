#pragma once

#include "core/DateText.h"
#include "reminders/Reminders.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "support/TestSupport.h"

#include <map>
#include <string>
#include <vector>

namespace velmora::test {

// Records every request as one line of text, in order.
class RecordingWindows : public ReminderWindows {
public:
    void openSaved(const std::string& file, const std::string& text, const std::string& key,
                   std::optional<int> colour) override {
        events.push_back("saved " + file + " " + key + " " + text + " " +
                         (colour ? std::to_string(*colour) : std::string("none")));
    }
    void openFresh(const ReminderGeometry& g, const std::string& text, const std::string& key,
                   const FontSetting&) override {
        events.push_back("fresh " + key + " " + text);
        geometries.push_back(g);
    }
    void close(const std::string& key) override { events.push_back("close " + key); }
    void playSound(const std::string& file) override { events.push_back("sound " + file); }
    void launch(const std::string& program, const std::string& parameters, const std::string& dir) override {
        launches.push_back({program, parameters, dir});
        events.push_back("launch " + program);
    }

    std::vector<std::string> events;
    std::vector<ReminderGeometry> geometries;
    std::vector<std::vector<std::string>> launches;
};

class RecordingSecrets : public ReminderSecrets {
public:
    std::optional<std::string> secret(const std::string& key) const override {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    void eraseSecret(const std::string& key) override { values.erase(key); }
    std::map<std::string, std::string> values;
};

inline DateValue at(const char* dateTime) {
    return *parseDateTime(dateTime);
}

// A schedule file in a fresh folder (never written), the reminders over it,
// 10 px per byte of text, a 1000x600 screen.
struct ReminderFixture {
    explicit ReminderFixture(const char* now = "2026/12/08 09:00:00")
        : clock(at(now)), store(home.dir(), "PC", clock, feedback) {
        store.setPath(home.file("Schedule.dat"));
        settings.font(FontPart::Fusen).size = 16;
        settings.popupWaveFile = std::string(kNoneMarker);
    }

    Reminders& reminders() {
        if (!m_reminders) {
            m_reminders = std::make_unique<Reminders>(ReminderContext{
                store, settings, clock, windows, secrets, screen,
                [](const std::string& text, const FontSetting&) { return static_cast<int>(text.size()) * 10; },
                "/prog/"});
        }
        return *m_reminders;
    }
    void list(EntryKind kind, const std::string& day, std::vector<std::string> texts) {
        store.entryLists(kind).set(day, formatEntryList(texts));
    }
    void set(ScheduleSection s, const std::string& name, const std::string& value) {
        store.section(s).set(name, value);
    }
    std::string value(ScheduleSection s, const std::string& name) const { return store.section(s).value(name); }
    // Ticks the timed check once at the clock's time.
    void tick() { reminders().timedCheck(); }

    TempDir home;
    FixedClock clock;
    SilentFeedback feedback;
    ScheduleStore store;
    Settings settings;
    RecordingWindows windows;
    RecordingSecrets secrets;
    ScreenSize screen{1000, 600};

private:
    std::unique_ptr<Reminders> m_reminders;
};

} // namespace velmora::test
