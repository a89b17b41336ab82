#include "schedule/FileSwitch.h"

#include "memos/MemoStore.h"
#include "schedule/Backup.h"
#include "schedule/ScheduleStore.h"

namespace velmora {

namespace {

void run(const std::function<void()>& step) {
    if (step) {
        step();
    }
}

void backUpSchedule(ScheduleStore& store, const BackupPolicy& backup) {
    backUp(BackupKind::Schedule,
           BackupSource{backup.programDir, store.path(), store.section(ScheduleSection::PopupFile)}, backup.backUpCount,
           backup.now);
}

void backUpMemos(MemoStore& store, const BackupPolicy& backup) {
    backUp(BackupKind::Memo, BackupSource{backup.programDir, store.path(), store.memoFiles()}, backup.backUpCount,
           backup.now);
}

} // namespace

void switchScheduleFile(ScheduleStore& store, const std::string& newPath, SwitchMode mode, const SwitchSteps& steps,
                        const BackupPolicy& backup) {
    run(steps.beforeSave);
    store.section(ScheduleSection::PopupStat).clear();
    if (mode != SwitchMode::OpenWithoutSaving) {
        store.save(true);
    }
    if (mode == SwitchMode::SaveOnly) {
        return;
    }
    store.setPath(newPath);
    store.load();
    store.section(ScheduleSection::PopupTime).clear();
    run(steps.afterLoad);
    backUpSchedule(store, backup);
}

void switchMemoFile(MemoStore& store, const std::string& newPath, const std::string& scheduleFilePath, SwitchMode mode,
                    const SwitchSteps& steps, const BackupPolicy& backup) {
    run(steps.beforeSave);
    if (mode != SwitchMode::OpenWithoutSaving) {
        store.save(true);
    }
    if (mode == SwitchMode::SaveOnly) {
        return;
    }
    store.setPath(newPath);
    store.load(scheduleFilePath);
    run(steps.afterLoad);
    backUpMemos(store, backup);
}

bool restoreBackup(const std::string& itemName, ScheduleStore& schedule, MemoStore& memos, const SwitchSteps& steps,
                   const BackupPolicy& backup) {
    BackupKind kind = BackupKind::Schedule;
    const auto generation = generationOf(itemName, &kind);
    if (!generation) {
        return false;
    }
    if (kind == BackupKind::Schedule) {
        if (!schedule.lockForEditing()) {
            return false;
        }
        switchScheduleFile(schedule, schedule.path(), SwitchMode::SaveOnly, steps, backup);
        const auto restored = copyBack(kind, backup.programDir, *generation);
        if (!restored) {
            return false;
        }
        switchScheduleFile(schedule, *restored, SwitchMode::OpenWithoutSaving, SwitchSteps{nullptr, steps.afterLoad},
                           backup);
        return true;
    }
    if (!memos.lockForEditing()) {
        return false;
    }
    switchMemoFile(memos, memos.path(), schedule.path(), SwitchMode::SaveOnly, steps, backup);
    const auto restored = copyBack(kind, backup.programDir, *generation);
    if (!restored) {
        return false;
    }
    switchMemoFile(memos, *restored, schedule.path(), SwitchMode::OpenWithoutSaving,
                   SwitchSteps{nullptr, steps.afterLoad}, backup);
    return true;
}

} // namespace velmora
