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
// included; values above 9 count as 9). The copy is made in a folder of its
// own that no menu lists ("BackUp.tmp.*"); only once the data file, the
// side-file list and "BackUp.txt" (written last) are complete are the oldest
// generations pruned and the new one renamed into its numbered slot. Side
// files that cannot be copied are skipped. On failure the partial copy is
// removed, every older generation stays as it was, false is returned and
// *error (when given) holds a Japanese reason. False with *error empty: there
// was nothing to back up (the count is below 1 or the data file is missing).
bool backUp(BackupKind kind, const BackupSource& source, int backUpCount, DateValue now, std::string* error = nullptr);

// One entry of the restore menu. Only a generation of the file in use may be
// restored; the others are shown disabled.
struct RestoreItem {
    std::string name;    // "BUSch3", "BUMemo1"
    std::string caption; // "2026/12/08 10:30のバックアップ"
    bool enabled = false;
};

// The kind's generations that hold a "BackUp.txt" and the data file it names,
// newest first. A generation without its data file is never offered.
std::vector<RestoreItem> restoreMenu(BackupKind kind, const std::string& programDir,
                                     const std::string& currentDataFilePath);

// The generation number of a menu item name ("BUSch3" -> 3, "BUMemo9" -> 9),
// with its kind in *kind when given; nullopt for any other name.
std::optional<int> generationOf(std::string_view itemName, BackupKind* kind = nullptr);

// Checks, changing nothing, that generation `generation` can be copied back:
// its "BackUp.txt" names a data file and the generation holds that file,
// readable. Returns the full path the data file would be restored to;
// nullopt with a Japanese reason in *error (when given) otherwise.
std::optional<std::string> restorableDataFile(BackupKind kind, const std::string& programDir, int generation,
                                              std::string* error = nullptr);

// Copies generation `generation` back over the data file it was taken of,
// then that file's side files (a side file that cannot be copied is skipped).
// Returns the data file's full path. Nullopt, with a Japanese reason in *error
// (when given), when restorableDataFile refuses the generation or the data
// file could not be written; nothing in the data folder has changed then.
std::optional<std::string> copyBack(BackupKind kind, const std::string& programDir, int generation,
                                    std::string* error = nullptr);

} // namespace velmora
