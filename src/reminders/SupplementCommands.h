#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class ReminderSecrets;

// The commands an entry's supplement file holds for its reminder.
struct SupplementCommands {
    struct Exec {
        std::string program;
        std::string parameters;
        friend bool operator==(const Exec&, const Exec&) = default;
    };
    std::vector<Exec> execs; // in line order, programs non-empty
    bool autoClose = false;  // no window opens

    // The lines of a supplement text (UTF-8). "EXEC ,program[,parameters]" in
    // comma text (blanks separate too) starts a program; a line starting with
    // "AutoClose" keeps the window shut. Letter case is ignored in both.
    static SupplementCommands parse(std::string_view text);
};

// The supplement text of an entry from its file beside the schedule file
// (`folder`, with trailing separator): a secret waiting for the entry is
// written into the file first (CP932, CRLF; the file readable and writable by
// its owner only) and then erased; when the file cannot be written, or not
// made private, the secret stays in the store and its text is still returned.
// "" when the key names no file (not one of the four key forms) or the file
// is missing.
std::string supplementText(const std::string& key, const std::string& folder, ReminderSecrets& secrets);

} // namespace velmora
