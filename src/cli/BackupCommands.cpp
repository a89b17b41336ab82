#include "cli/CliCommands.h"

#include "schedule/Backup.h"
#include "schedule/FileSwitch.h"

#include <algorithm>
#include <cstdint>
#include <ostream>

namespace velmora::cli {

namespace {

constexpr const char* kRestoreMenuItem = "バックアップより復元";

BackupPolicy policyOf(const Session& session) {
    return BackupPolicy{session.state.locations.programDir, session.state.settings.backUpCount, session.context.now()};
}

void printItems(std::ostream& out, const std::vector<RestoreItem>& items, std::size_t limit = SIZE_MAX) {
    for (std::size_t i = 0; i < items.size() && i < limit; ++i) {
        out << items[i].name << '\t' << items[i].caption << '\t' << (items[i].enabled ? 1 : 0) << '\n';
    }
}

// backUp gives no reason when there was nothing to copy: the data file is missing.
void reportFailedBackup(std::ostream& err, const char* what, const std::string& path, const std::string& reason) {
    err << "velmora-cli: " << what << "をバックアップできませんでした: " << path << ": "
        << (reason.empty() ? std::string("データファイルがありません") : reason) << "\n";
}

} // namespace

int runBackup(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        throw UsageError{"backup takes schedule, memo or both"};
    }
    const std::string which = args.empty() ? "both" : args[0];
    if (which != "schedule" && which != "memo" && which != "both") {
        throw UsageError{"backup takes schedule, memo or both: " + which};
    }
    Session session(context, false);
    const BackupPolicy policy = policyOf(session);
    const std::string& programDir = policy.programDir;
    if (policy.backUpCount < 1) {
        context.err << "velmora-cli: バックアップの世代数（BackUpCount）が0のため、バックアップしませんでした\n";
        return kFailure;
    }
    bool ok = true;
    if (which != "memo") {
        const BackupSource source{programDir, session.schedule.path(),
                                  session.schedule.section(ScheduleSection::PopupFile)};
        std::string error;
        if (backUp(BackupKind::Schedule, source, policy.backUpCount, policy.now, &error)) {
            printItems(context.out, restoreMenu(BackupKind::Schedule, programDir, session.schedule.path()), 1);
        } else {
            reportFailedBackup(context.err, "スケジュールデータ", session.schedule.path(), error);
            ok = false;
        }
    }
    if (which != "schedule") {
        const BackupSource source{programDir, session.memos.path(), session.memos.memoFiles()};
        std::string error;
        if (backUp(BackupKind::Memo, source, policy.backUpCount, policy.now, &error)) {
            printItems(context.out, restoreMenu(BackupKind::Memo, programDir, session.memos.path()), 1);
        } else {
            reportFailedBackup(context.err, "メモデータ", session.memos.path(), error);
            ok = false;
        }
    }
    return ok ? kOk : kFailure;
}

int runBackups(CliContext& context, const std::vector<std::string>& args) {
    noArguments(args);
    Session session(context, false, false);
    // The menu lists nothing while its item is hidden.
    if (session.state.settings.menuOptions.value(kRestoreMenuItem) == "OFF") {
        return kOk;
    }
    const std::string& programDir = session.state.locations.programDir;
    printItems(context.out, restoreMenu(BackupKind::Schedule, programDir, session.schedule.path()));
    printItems(context.out, restoreMenu(BackupKind::Memo, programDir, session.memos.path()));
    return kOk;
}

int runRestore(CliContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    const bool yes = takeFlag(rest, "--yes");
    if (rest.size() != 1 || !generationOf(rest[0])) {
        throw UsageError{"restore takes a menu item name: BUSch1..BUSch9 or BUMemo1..BUMemo9"};
    }
    Session session(context, yes);
    BackupKind kind = BackupKind::Schedule;
    generationOf(rest[0], &kind);
    const std::string& current = kind == BackupKind::Schedule ? session.schedule.path() : session.memos.path();
    const auto items = restoreMenu(kind, session.state.locations.programDir, current);
    const auto item = std::find_if(items.begin(), items.end(), [&](const RestoreItem& i) { return i.name == rest[0]; });
    if (item == items.end()) {
        context.err << "velmora-cli: " << rest[0] << " のバックアップはありません\n";
        return kFailure;
    }
    if (!item->enabled) {
        context.err << "velmora-cli: " << rest[0] << " は使用中のデータファイルのバックアップではありません\n";
        return kFailure;
    }
    // Checked before the current file is saved and released, so that a
    // generation that cannot be restored leaves everything as it was.
    std::string error;
    if (!restorableDataFile(kind, session.state.locations.programDir, *generationOf(rest[0]), &error)) {
        context.err << "velmora-cli: " << rest[0] << " から復元できません: " << error << "\n";
        return kFailure;
    }
    if (!restoreBackup(rest[0], session.schedule, session.memos, SwitchSteps{}, policyOf(session))) {
        context.err << "velmora-cli: " << rest[0] << " から復元できませんでした。データファイルは復元されていません\n";
        return kFailure;
    }
    context.out << (kind == BackupKind::Schedule ? session.schedule.path() : session.memos.path()) << "\n";
    return kOk;
}

} // namespace velmora::cli
