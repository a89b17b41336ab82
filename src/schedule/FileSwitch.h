#pragma once

#include "core/DateValue.h"

#include "core/UserFeedback.h"

#include <functional>
#include <string>

namespace velmora {

class ScheduleStore;
class MemoStore;

enum class SwitchMode {
    SaveAndOpen = 0,       // save and release the current file, open the new one
    SaveOnly = 1,          // save and release the current file only
    OpenWithoutSaving = 2, // open the given file, the current one is not saved (after a restore)
};

// The window steps around a switch of data file, supplied by the window
// layer: before the current file is saved (close the reminder or memo
// windows, hide the tray icon) and after the new one is loaded (open its
// windows, redraw and install the wallpaper, reminders, tray icon).
struct SwitchSteps {
    std::function<void()> beforeSave;
    std::function<void()> afterLoad;
};

struct BackupPolicy {
    std::string programDir;
    int backUpCount = 0;
    DateValue now;
    // Where a failed backup or restore is reported; nowhere when null.
    UserFeedback* feedback = nullptr;
};

// Backs up the file in use (a store whose load failed is not backed up);
// a failure is reported through the policy's feedback. False when no
// generation was made.
bool backUpSchedule(ScheduleStore& store, const BackupPolicy& backup);
bool backUpMemos(MemoStore& store, const BackupPolicy& backup);

// The data file a recent-file item names, when it is still there; otherwise
// "指定したファイルがみつかりません" is shown and the current file stays.
bool recentFileAvailable(const std::string& path, UserFeedback& feedback);

// The path the open dialog's choice stands for: its extension is always ".dat".
std::string withDataExtension(const std::string& path);

// Switches the schedule data file: the model steps in their order, with the
// window steps between them. The new file goes to the front of the recent
// list (by its load) and is backed up. Queued timed reminders belong to the
// old file and are dropped; reminder states go with the closed windows.
// False, with the current file kept (and its windows back), when the current
// file could not be written (its edits would be lost) or the new one cannot
// be read; the reason has been reported.
bool switchScheduleFile(ScheduleStore& store, const std::string& newPath, SwitchMode mode, const SwitchSteps& steps,
                        const BackupPolicy& backup);

// The same for the memo data file.
bool switchMemoFile(MemoStore& store, const std::string& newPath, const std::string& scheduleFilePath, SwitchMode mode,
                    const SwitchSteps& steps, const BackupPolicy& backup);

// Restores a backup generation of the data file in use from its restore-menu
// item name ("BUSch3", "BUMemo1"): takes the user lock interactively (stops
// when refused), saves and releases the current file, copies the generation
// back and opens the restored file without saving. A generation that cannot
// be restored is refused before anything changes. False, reported, when
// nothing was restored.
bool restoreBackup(const std::string& itemName, ScheduleStore& schedule, MemoStore& memos, const SwitchSteps& steps,
                   const BackupPolicy& backup);

} // namespace velmora
