#include "schedule/FileSwitch.h"

#include "core/PathText.h"
#include "memos/MemoStore.h"
#include "schedule/Backup.h"
#include "schedule/ScheduleStore.h"

#include <filesystem>

namespace velmora {

namespace {

void run(const std::function<void()>& step) {
    if (step) {
        step();
    }
}

void tell(const BackupPolicy& backup, const std::string& text) {
    if (backup.feedback) {
        backup.feedback->showMessage(text);
    }
}

bool backUpKind(BackupKind kind, const BackupSource& source, const BackupPolicy& backup, const char* what) {
    std::string error;
    if (backUp(kind, source, backup.backUpCount, backup.now, &error)) {
        return true;
    }
    // An empty reason: nothing to back up (no count, no file).
    if (!error.empty()) {
        tell(backup, std::string(what) + "のバックアップに失敗しました。\n" + source.dataFilePath + "\n" + error);
    }
    return false;
}

// Opens `newPath` in the store; when it cannot be read, the store goes back
// to the file it had.
template <typename Store, typename Load> bool openInStore(Store& store, const std::string& newPath, const Load& load) {
    const std::string oldPath = store.path();
    store.setPath(newPath);
    load();
    if (!store.loadFailed()) {
        return true;
    }
    store.setPath(oldPath);
    load();
    return false;
}

} // namespace

bool backUpSchedule(ScheduleStore& store, const BackupPolicy& backup) {
    if (store.loadFailed()) {
        return false;
    }
    return backUpKind(BackupKind::Schedule,
                      BackupSource{backup.programDir, store.path(), store.section(ScheduleSection::PopupFile)}, backup,
                      "スケジュールデータ");
}

bool backUpMemos(MemoStore& store, const BackupPolicy& backup) {
    if (store.loadFailed()) {
        return false;
    }
    return backUpKind(BackupKind::Memo, BackupSource{backup.programDir, store.path(), store.memoFiles()}, backup,
                      "メモデータ");
}

bool recentFileAvailable(const std::string& path, UserFeedback& feedback) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        return true;
    }
    feedback.showMessage("指定したファイルがみつかりません");
    return false;
}

std::string withDataExtension(const std::string& path) {
    const std::string name = fileNameOf(path);
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    return path.substr(0, path.size() - name.size()) + stem + ".dat";
}

bool switchScheduleFile(ScheduleStore& store, const std::string& newPath, SwitchMode mode, const SwitchSteps& steps,
                        const BackupPolicy& backup) {
    run(steps.beforeSave);
    store.section(ScheduleSection::PopupStat).clear();
    if (mode != SwitchMode::OpenWithoutSaving && store.save(true) == SaveResult::Failed && store.hasUnsavedEdits()) {
        // Its edits live only in memory: keep the file they belong to.
        run(steps.afterLoad);
        return false;
    }
    if (mode == SwitchMode::SaveOnly) {
        return true;
    }
    const bool opened = openInStore(store, newPath, [&] { store.load(); });
    if (opened) {
        store.section(ScheduleSection::PopupTime).clear();
    }
    run(steps.afterLoad);
    if (opened) {
        backUpSchedule(store, backup);
    }
    return opened;
}

bool switchMemoFile(MemoStore& store, const std::string& newPath, const std::string& scheduleFilePath, SwitchMode mode,
                    const SwitchSteps& steps, const BackupPolicy& backup) {
    run(steps.beforeSave);
    if (mode != SwitchMode::OpenWithoutSaving && store.save(true) == SaveResult::Failed) {
        run(steps.afterLoad);
        return false;
    }
    if (mode == SwitchMode::SaveOnly) {
        return true;
    }
    const bool opened = openInStore(store, newPath, [&] { store.load(scheduleFilePath); });
    run(steps.afterLoad);
    if (opened) {
        backUpMemos(store, backup);
    }
    return opened;
}

bool restoreBackup(const std::string& itemName, ScheduleStore& schedule, MemoStore& memos, const SwitchSteps& steps,
                   const BackupPolicy& backup) {
    BackupKind kind = BackupKind::Schedule;
    const auto generation = generationOf(itemName, &kind);
    if (!generation) {
        return false;
    }
    std::string error;
    if (!restorableDataFile(kind, backup.programDir, *generation, &error)) {
        tell(backup, "バックアップから復元できません。\n" + error);
        return false;
    }
    const bool isSchedule = kind == BackupKind::Schedule;
    if (!(isSchedule ? schedule.lockForEditing() : memos.lockForEditing())) {
        return false;
    }
    const std::string current = isSchedule ? schedule.path() : memos.path();
    const auto reopen = [&](const std::string& path) {
        const SwitchSteps openOnly{nullptr, steps.afterLoad};
        return isSchedule
                   ? switchScheduleFile(schedule, path, SwitchMode::OpenWithoutSaving, openOnly, backup)
                   : switchMemoFile(memos, path, schedule.path(), SwitchMode::OpenWithoutSaving, openOnly, backup);
    };
    const bool released = isSchedule
                              ? switchScheduleFile(schedule, current, SwitchMode::SaveOnly, steps, backup)
                              : switchMemoFile(memos, current, schedule.path(), SwitchMode::SaveOnly, steps, backup);
    if (!released) {
        return false;
    }
    const auto restored = copyBack(kind, backup.programDir, *generation, &error);
    if (!restored) {
        tell(backup, "バックアップから復元できませんでした。\n" + error);
        reopen(current);
        return false;
    }
    return reopen(*restored);
}

} // namespace velmora
