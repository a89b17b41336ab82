#pragma once

#include "settings/FontSetting.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// Where a fresh reminder window goes on the screen, in pixels.
struct ReminderGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ReminderGeometry&, const ReminderGeometry&) = default;
};

// What the reminder model asks of the window layer. The model decides which
// reminder opens, where, and with which sound; the window layer only carries
// it out. Tests and the command-line tool record the calls instead.
class ReminderWindows {
public:
    virtual ~ReminderWindows() = default;
    // A reminder window restored from its saved state file (full path).
    // `colour` is the entry's colour, none when it has no usable one.
    virtual void openSaved(const std::string& stateFile, const std::string& text, const std::string& key,
                           std::optional<int> colour) = 0;
    // A new reminder window at `geometry` in the sticky-note font.
    virtual void openFresh(const ReminderGeometry& geometry, const std::string& text, const std::string& key,
                           const FontSetting& font) = 0;
    // Closes the open reminder window of the entry.
    virtual void close(const std::string& key) = 0;
    // The open window of an entry shows it under a new key, or a new text
    // (the schedule list renumbered or retitled the entry).
    // Every window is found by its old key before any is renamed: two
    // entries may swap keys.
    virtual void rekeyAll(const std::vector<std::pair<std::string, std::string>>& moves) { (void)moves; }
    virtual void retitle(const std::string& key, const std::string& text) {
        (void)key;
        (void)text;
    }
    // Plays the wave file to its end; "" plays the default beep.
    virtual void playSound(const std::string& waveFile) = 0;
    // Starts a program directly (never through a shell) with its parameters
    // as one argument text and the given working folder; failures are ignored.
    virtual void launch(const std::string& program, const std::string& parameters, const std::string& workingDir) = 0;
};

// The per-entry secrets of the system's secret store (supplementary commands
// waiting to be written into the entry's supplement file).
class ReminderSecrets {
public:
    virtual ~ReminderSecrets() = default;
    virtual std::optional<std::string> secret(const std::string& key) const = 0;
    virtual void eraseSecret(const std::string& key) = 0;
};

// A secret store that holds nothing: where the system has none, and for
// queries that must not change anything.
class NoReminderSecrets : public ReminderSecrets {
public:
    std::optional<std::string> secret(const std::string&) const override { return std::nullopt; }
    void eraseSecret(const std::string&) override {}
};

} // namespace velmora
