#pragma once

#include "core/DateValue.h"
#include "core/NameValueList.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Numbered backups of the data files. The schedule file's generations live in
// ProgramDir "SBK/BackUp1" .. "SBK/BackUp9", the memo file's in "MBK/..."; the
// higher the number, the newer the generation. Each generation holds the data
// file, its side files, "BackUp.txt" (where the data file lives and when the
// backup was taken) and the list of side files it copied.
enum class BackupKind { Schedule, Memo };

inline constexpr int kMaxBackupGenerations = 9;

struct BackupSource {
    std::string programDir;   // with trailing "/"
    std::string dataFilePath; // full path of the schedule or memo data file
    NameValueList sideFiles;  // POPUPFILE (key=file name) or MEMOFILE (number=file name)
};

// Takes a new generation, keeping the newest `backUpCount` (the new one
// included; values above 9 count as 9). Returns false, touching nothing, when
// the count is below 1 or the data file is missing; false as well when the
// generation's "BackUp.txt" or data file could not be written. Side files that
// cannot be copied are skipped.
bool backUp(BackupKind kind, const BackupSource& source, int backUpCount, DateValue now);

// One entry of the restore menu. Only a generation of the file in use may be
// restored; the others are shown disabled.
struct RestoreItem {
    std::string name;    // "BUSch3", "BUMemo1"
    std::string caption; // "2026/12/08 10:30のバックアップ"
    bool enabled = false;
};

// The kind's generations that hold a "BackUp.txt", newest first.
std::vector<RestoreItem> restoreMenu(BackupKind kind, const std::string& programDir,
                                     const std::string& currentDataFilePath);

// The generation number of a menu item name ("BUSch3" -> 3, "BUMemo9" -> 9),
// with its kind in *kind when given; nullopt for any other name.
std::optional<int> generationOf(std::string_view itemName, BackupKind* kind = nullptr);

// Copies generation `generation` back over the data file it was taken of and
// that file's side files. Returns the data file's full path; nullopt when the
// generation is outside 1..9 or has no "BackUp.txt" naming a data file.
std::optional<std::string> copyBack(BackupKind kind, const std::string& programDir, int generation);

} // namespace velmora
