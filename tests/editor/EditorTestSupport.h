#pragma once

#include "core/Clock.h"
#include "core/DateText.h"
#include "editor/OpenReminders.h"
#include "editor/ScheduleListModel.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

inline DateValue date(const char* text) {
    const auto d = parseDate(text);
    EXPECT_TRUE(d) << text;
    return d.value_or(DateValue());
}

// Records what the models ask of the reminder windows.
class RecordingReminders : public OpenReminders {
public:
    void closeWindow(const std::string& key) override { closed.push_back(key); }
    void rekeyWindows(const std::vector<std::pair<std::string, std::string>>& m) override {
        moves.insert(moves.end(), m.begin(), m.end());
    }
    void retitleWindow(const std::string& key, const std::string& text) override { retitled.emplace_back(key, text); }
    std::vector<std::string> closed;
    std::vector<std::pair<std::string, std::string>> moves;
    std::vector<std::pair<std::string, std::string>> retitled;
};

// A schedule file the test writes (UTF-8 lines, stored as CP932 with CRLF),
// loaded into a store with a schedule list over it, on Tuesday 2026/12/08 10:00.
struct ListFixture {
    explicit ListFixture(std::string_view ini)
        : clock(*parseDateTime("2026/12/08 10:00:00")), store(dir.dir(), "PC", clock, feedback) {
        std::string text;
        for (char c : std::string(ini) + "[COMPUTER]\nCOMPUTER=PC\n") {
            if (c == '\n') {
                text += '\r';
            }
            text += c;
        }
        writeBytes(dir.file("Schedule.dat"), cp932(text));
        store.setPath(dir.file("Schedule.dat"));
        store.load();
        settings.font(FontPart::Schedule).face = "IPAGothic";
        settings.font(FontPart::Schedule).colour = 0x112233;
    }

    ScheduleListContext context() {
        return ScheduleListContext{
            store,    settings,
            clock,    reminders,
            feedback, [](const std::string& text, const std::string&) {
                                       return static_cast<int>(text.size()) * 10; }};
    }
    std::string value(ScheduleSection s, std::string_view name) const { return store.section(s).value(name); }
    bool has(ScheduleSection s, std::string_view name) const { return store.section(s).contains(name); }

    TempDir dir;
    FixedClock clock;
    RecordingFeedback feedback;
    ScheduleStore store;
    Settings settings;
    RecordingReminders reminders;
};

// The captions of the entry rows (without "..") and of the folder rows.
inline std::vector<std::string> captions(const ScheduleListModel& model) {
    std::vector<std::string> out;
    if (model.isEntryView()) {
        for (const EntryRow& r : model.rows()) {
            if (!r.parent) {
                out.push_back(r.caption);
            }
        }
    } else {
        for (const FolderRow& r : model.folderRows()) {
            out.push_back(r.caption);
        }
    }
    return out;
}

} // namespace velmora::test
