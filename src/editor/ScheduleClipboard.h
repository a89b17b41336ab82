#pragma once

#include "editor/EntryRow.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// The entry clipboard (ClipLV): copies of schedule list rows, kept by the
// hub for the whole run so that they outlive the window they came from.
// Each row's reminder window file is held as read at the copy: a cut
// entry's own file is deleted when its window closes, before any paste.
class ScheduleClipboard {
public:
    const std::vector<EntryRow>& rows() const { return m_rows; }
    // The reminder window file of rows()[i] as copied; nullopt: none, or unreadable.
    const std::optional<std::string>& windowFile(std::size_t i) const { return m_windowFiles[i]; }
    bool empty() const { return m_rows.empty(); }
    // Replaces the contents; the copies lose their deleted mark.
    void set(std::vector<EntryRow> rows, std::vector<std::optional<std::string>> windowFiles = {}) {
        for (EntryRow& row : rows) {
            row.deleted = false;
        }
        windowFiles.resize(rows.size());
        m_rows = std::move(rows);
        m_windowFiles = std::move(windowFiles);
    }
    void clear() { set({}); }

private:
    std::vector<EntryRow> m_rows;
    std::vector<std::optional<std::string>> m_windowFiles;
};

} // namespace velmora
