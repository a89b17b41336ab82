#pragma once

#include "core/DateValue.h"
#include "core/ProfileFile.h"
#include "core/UserFeedback.h"
#include "schedule/ChangeWatch.h"
#include "schedule/UserLock.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class SaveResult {
    Saved,
    Refused, // the user lock did not allow it; nothing was written
    Failed,  // the file could not be read or written; the old file is intact
};

// Adds `path` at the front of a recent-file list, dropping other copies of it.
void moveToFront(std::vector<std::string>& recent, const std::string& path);

// What a load makes of a missing data file.
struct NewDataFile {
    enum class Kind {
        Create, // write `bytes` as the new file (unless another computer made it meanwhile)
        Absent, // leave it missing; the store is empty and usable
        Fail,   // the store cannot be loaded: `reason`
    };
    Kind kind = Kind::Create;
    std::string bytes;
    std::string reason;
};

// The texts a data file speaks with: its name in messages.
struct DataFileTexts {
    std::string kind;        // "スケジュールデータ", "メモデータ"
    std::string unencodable; // why a save with a character CP932 cannot hold fails
};

// What the schedule and memo data files share: the path, the change watch,
// the ownership, the version of the file the program last read or wrote, and
// whether the last load failed. A store whose load failed is unusable, not
// empty: it keeps what it showed before, edits are refused and nothing is
// written until a load succeeds.
class SharedDataFile {
public:
    SharedDataFile(std::string computerName, UserFeedback& feedback, DataFileTexts texts);

    void setPath(std::string path);
    const std::string& path() const { return m_path; }
    // The recent files of this kind (settings SCHFILE or MEMODATA): a load
    // and a save put the file in use at their front.
    void setRecentFiles(std::vector<std::string>* recent) { m_recent = recent; }
    const std::string& computerName() const { return m_computerName; }
    const FileOwnership& ownership() const { return m_ownership; }
    ChangeWatch& watch() { return m_watch; }
    bool loadFailed() const { return m_loadFailed; }

    // Reads the file for a load, making a missing one with `makeNew`;
    // nullopt when it cannot be read or made (reported once until a read
    // succeeds), the store then keeping its lists. The watch is stopped;
    // loaded() restarts it.
    std::optional<ProfileFile> readForLoad(const std::function<NewDataFile()>& makeNew);
    // Takes the file just read as what the program knows of it.
    void loaded(const ProfileFile& file);

    // The interactive user lock before an edit. When the file changed since
    // it was loaded, `reload` runs after the lock is taken, so the edit
    // applies to the file as it is now. Refused with a message when the
    // store is unusable.
    bool lockForEditing(const std::function<void()>& reload);

    // Writes the store back under the quiet user lock: `apply` puts the
    // store's sections into the file as read now (false when a text cannot
    // be encoded). When another computer saved since the load, `reloadFrom`
    // takes its version first; with edits of our own that would overwrite
    // it, nothing is written and the edits stay in memory. Every failure is
    // reported; a failed releasing save still frees our lock.
    SaveResult save(bool release, DateValue now, bool hasEdits, const std::function<bool(ProfileFile&)>& apply,
                    const std::function<void(const ProfileFile&)>& reloadFrom);

private:
    void releaseAfterFailure(bool release);
    std::string failureText(const std::string& reason) const;

    std::string m_computerName;
    UserFeedback& m_feedback;
    DataFileTexts m_texts;
    std::string m_path;
    FileOwnership m_ownership;
    ChangeWatch m_watch;
    std::optional<std::size_t> m_knownHash;
    std::vector<std::string>* m_recent = nullptr;
    bool m_loadFailed = false;
};

} // namespace velmora
