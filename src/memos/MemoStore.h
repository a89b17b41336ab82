#pragma once

#include "core/Clock.h"
#include "core/NameValueList.h"
#include "core/UserFeedback.h"
#include "memos/MemoFiles.h"
#include "schedule/ChangeWatch.h"
#include "schedule/ScheduleStore.h"
#include "schedule/UserLock.h"

#include <optional>
#include <string>
#include <vector>

namespace velmora {

// The memo data file ("Memo.dat") in memory: which memo windows exist, most
// recently activated first (MEMOFILE), and how each looks (MEMOOPT). The file
// is shared like the schedule data file, under the same user lock and change
// watch. The memo files themselves lie in the data file's folder.
class MemoStore {
public:
    MemoStore(std::string computerName, const Clock& clock, UserFeedback& feedback);
    // The watch's reload refers to this object.
    MemoStore(const MemoStore&) = delete;
    MemoStore& operator=(const MemoStore&) = delete;

    void setPath(std::string memoDataPath);
    const std::string& path() const { return m_file.path(); }
    // The memo folder, with its trailing separator.
    std::string folder() const;
    // The recent memo data files (settings section MEMODATA), updated by load and save.
    void setRecentFiles(std::vector<std::string>* recent) { m_file.setRecentFiles(recent); }

    // Fills the lists from the file. A missing file is created owned by this
    // computer, holding the memo sections taken over from the schedule data
    // file, where older versions kept them (the schedule's next save drops
    // them there). Unless `createMissing`, a missing file is left missing and
    // the lists are empty (read-only uses). A file that cannot be read (or a
    // schedule file that cannot, when the lists would come from it) is
    // reported and leaves the store as it was, unusable until a load succeeds.
    void load(const std::string& scheduleFilePath, bool createMissing = true);
    bool loadFailed() const { return m_file.loadFailed(); }
    // Writes both lists back under the quiet user lock; `stamp` also frees the
    // lock and records this computer and the time. A failed write is reported
    // and keeps the old file and the lists in memory; another computer's save
    // is never overwritten.
    SaveResult save(bool stamp);

    NameValueList& memoFiles() { return m_memoFiles; }
    const NameValueList& memoFiles() const { return m_memoFiles; }
    NameValueList& memoOptions() { return m_memoOptions; }
    const NameValueList& memoOptions() const { return m_memoOptions; }

    // Lists a memo file as the most recent one, with no look of its own yet;
    // false (nothing changed) for a name that carries no memo number. The
    // memo file itself is written by its window.
    bool addMemo(const std::string& fileName);
    // Picks the next free number in the memo folder and lists its file;
    // returns the file name.
    std::string addNewMemo();

    MemoLook look(const std::string& fileName) const;
    // Sets the memo's look; the frame colour is kept only for frame mode 2.
    void setLook(const std::string& fileName, const MemoLook& look, int frameColor = 0);

    // Puts a memo file into the drawer: renames it to its drawer name, drops
    // it from MEMOFILE and saves with a stamp. nullopt when nothing was
    // renamed (the name is not a plain file in the memo folder, or the drawer
    // name is taken); the reason has been reported.
    std::optional<SaveResult> moveToDrawer(const std::string& fileName);
    // Takes a drawer file ("MEMO0003.$$$") back out: renamed to its memo
    // file, listed under its number (a new line at the end of MEMOFILE). The
    // caller saves. False, with the reason reported, when nothing was renamed.
    bool takeFromDrawer(const std::string& drawerName);
    // Forgets a memo's look (its MEMOOPT lines), as when its file is deleted.
    void removeLook(const std::string& fileName);
    // Lists a memo as the most recently activated one (its MEMOFILE line first).
    void moveToFront(const std::string& fileName);

    const FileOwnership& ownership() const { return m_file.ownership(); }
    const std::string& computerName() const { return m_file.computerName(); }
    ChangeWatch& watch() { return m_file.watch(); }
    // Takes the interactive user lock with its messages and questions.
    bool lockForEditing();
    // The quiet check before a memo window writes its own file: the lock is
    // ours, or free on a file this computer owns. False when the data file
    // cannot be read or its load failed: nothing is written then.
    bool quietLockAllows() const;

private:
    bool renameInFolder(const std::string& from, const std::string& to);
    void loadFrom(const ProfileFile& file);
    bool applyTo(ProfileFile& file) const;
    bool hasUnsavedEdits() const;

    const Clock& m_clock;
    UserFeedback& m_feedback;
    std::string m_scheduleFilePath;
    NameValueList m_memoFiles;
    NameValueList m_memoOptions;
    // The lists as last loaded or saved.
    NameValueList m_savedFiles;
    NameValueList m_savedOptions;
    SharedDataFile m_file;
};

} // namespace velmora
