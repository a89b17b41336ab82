#pragma once

#include "core/Clock.h"
#include "core/NameValueList.h"
#include "core/UserFeedback.h"
#include "schedule/ChangeWatch.h"
#include "schedule/ScheduleKey.h"
#include "schedule/SharedDataFile.h"
#include "schedule/UserLock.h"

#include <array>
#include <string>
#include <vector>

namespace velmora {

// The sections of the schedule data file the store holds, in save order.
enum class ScheduleSection {
    Day,
    Year,
    Month,
    Week,
    Popup,
    ColorOpt,
    IntOpt,
    FontName,
    FromTo,
    PtnOpt,
    HolidayOpt,
    PopupFile,
    PopupOpt,
    PopupStat,
    PopupTime,
};
inline constexpr std::size_t kScheduleSectionCount = 15;

// "DAY", "COLOROPT", ...
std::string_view scheduleSectionName(ScheduleSection section);

// The schedule data file in memory: every section as an ordered name=value
// list, with the snapshots that let a save write only what changed. Entry
// lists of DAY and YEAR (and the day names of WEEK and MONTH) hold their value
// exactly as the file's text, quotes included.
class ScheduleStore {
public:
    ScheduleStore(std::string programDir, std::string computerName, const Clock& clock, UserFeedback& feedback);
    // The watch's reload refers to this object.
    ScheduleStore(const ScheduleStore&) = delete;
    ScheduleStore& operator=(const ScheduleStore&) = delete;

    void setPath(std::string path);
    const std::string& path() const { return m_file.path(); }
    // The recent schedule files (settings section SCHFILE), updated by load and save.
    void setRecentFiles(std::vector<std::string>* recent) { m_file.setRecentFiles(recent); }

    // Fills the store from the file, creating a missing file from the
    // program folder's "Yasumi.dat" (or empty) owned by this computer. The
    // POPUPSTAT and POPUPTIME lists are the reminders' and survive a load.
    // A file that cannot be read is reported and leaves the store as it was,
    // unusable until a load succeeds (loadFailed()).
    void load();
    bool loadFailed() const { return m_file.loadFailed(); }
    // Writes the store back under the quiet user lock: compared sections only
    // when changed, the others always. `release` also frees the lock and
    // stamps the save. A refusal keeps the edits in memory (and says so when
    // edits would be lost); a failed write is reported, keeps the old file
    // and still frees our lock. Another computer's save is never overwritten.
    SaveResult save(bool release);

    NameValueList& section(ScheduleSection s) { return m_sections[static_cast<std::size_t>(s)]; }
    const NameValueList& section(ScheduleSection s) const { return m_sections[static_cast<std::size_t>(s)]; }
    NameValueList& entryLists(EntryKind kind);

    // True when a compared section differs from the file as last read or written.
    bool hasUnsavedEdits() const;

    // Appends a typed text to the list of `date` in the kind's section, as
    // the schedule list window stores it; returns the new entry's key.
    ScheduleKey appendEntry(EntryKind kind, DateValue date, std::string_view typed);

    const FileOwnership& ownership() const { return m_file.ownership(); }
    const std::string& computerName() const { return m_file.computerName(); }
    ChangeWatch& watch() { return m_file.watch(); }
    // Takes the interactive user lock with its messages and questions; when
    // another computer saved since the load, the store is reloaded first.
    bool lockForEditing();

private:
    static constexpr std::size_t kComparedCount = 11;
    static bool isCompared(ScheduleSection s);
    static std::string textOf(const NameValueList& list);
    void takeSnapshots();
    void loadFrom(const ProfileFile& file);
    // Puts the changed and the always-written sections into the file; false
    // when a text cannot be encoded.
    bool applyTo(ProfileFile& file, std::vector<std::size_t>& rewritten);

    std::string m_programDir;
    const Clock& m_clock;
    std::array<NameValueList, kScheduleSectionCount> m_sections;
    std::array<std::string, kScheduleSectionCount> m_snapshots;
    SharedDataFile m_file;
};

} // namespace velmora
