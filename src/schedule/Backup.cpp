#include "schedule/Backup.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/DateText.h"
#include "core/PathText.h"
#include "schedule/ScheduleKey.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kInfoFileName = "BackUp.txt";
constexpr std::string_view kDateKey = "DATE";

struct KindNames {
    std::string_view folder;       // below the program folder
    std::string_view pathKey;      // key of the data file's path in BackUp.txt
    std::string_view listFileName; // the side-file list
    std::string_view itemPrefix;   // restore menu item names
};

KindNames namesOf(BackupKind kind) {
    if (kind == BackupKind::Schedule) {
        return {"SBK", "SchFile", "PopupFile.txt", "BUSch"};
    }
    return {"MBK", "MemoFile", "MemoFile.txt", "BUMemo"};
}

bool isGeneration(int n) {
    return n >= 1 && n <= kMaxBackupGenerations;
}

std::string kindFolder(BackupKind kind, const std::string& programDir) {
    return programDir + std::string(namesOf(kind).folder) + "/";
}

// Only ever called with a generation in 1..9, so the number cannot steer the path.
std::string generationPath(BackupKind kind, const std::string& programDir, int n) {
    return kindFolder(kind, programDir) + "BackUp" + std::to_string(n);
}

std::string generationFolder(BackupKind kind, const std::string& programDir, int n) {
    return generationPath(kind, programDir, n) + "/";
}

// Present in any form, a dangling link included, so that a slot that cannot
// be created is never chosen.
bool present(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Through a temporary file and a rename, so that a crash never leaves a
// half-written data file behind.
bool copyFile(const std::string& from, const std::string& to) {
    const auto bytes = readWholeFile(from);
    return bytes && writeFileAtomically(to, *bytes);
}

// The editors keep an unsaved copy beside each side file under the extension
// ".$$$"; once the real file is in place that copy is stale.
void removeStaleCopy(const std::string& folder, const std::string& name) {
    const auto dot = name.rfind('.');
    const std::string stale = (dot == std::string::npos ? name : name.substr(0, dot)) + ".$$$";
    if (stale == name) {
        return;
    }
    const std::string path = folder + stale;
    if (isRegularFile(path)) {
        std::error_code ec;
        fs::remove(path, ec);
    }
}

// A name read from a list may only name a file in its own folder, and never
// one of the generation's own list files.
bool isUsableSideFile(const std::string& name, const KindNames& names) {
    return isPlainFileName(name) && !equalsIgnoreCase(name, kInfoFileName) &&
           !equalsIgnoreCase(name, names.listFileName);
}

// The lists are plain "name=value" lines in CP932 with CRLF ends.
bool writeLines(const std::string& path, const NameValueList& list) {
    std::string text;
    for (const auto& line : list.lines()) {
        text += line;
        text += "\r\n";
    }
    const auto bytes = cp932::fromUtf8(text);
    return bytes && writeFileAtomically(path, *bytes);
}

std::optional<NameValueList> readLines(const std::string& path) {
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    const std::string_view all(*bytes);
    NameValueList list;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? all.size() : end + 1;
        if (end == std::string_view::npos) {
            end = all.size();
        }
        if (end > start && all[end - 1] == '\r') {
            --end;
        }
        list.appendLine(cp932::toUtf8(all.substr(start, end - start)));
        start = next;
    }
    return list;
}

// Deletes all but the newest `keep` generations, then renumbers the survivors
// 1, 2, ... in their old order.
void pruneAndCompact(BackupKind kind, const std::string& programDir, int keep) {
    int rank = 0;
    for (int n = kMaxBackupGenerations; n >= 1; --n) {
        const std::string path = generationPath(kind, programDir, n);
        if (!present(path)) {
            continue;
        }
        ++rank;
        if (rank > keep) {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    }
    int next = 1;
    for (int n = 1; n <= kMaxBackupGenerations; ++n) {
        const std::string path = generationPath(kind, programDir, n);
        if (!present(path)) {
            continue;
        }
        if (n != next) {
            std::error_code ec;
            fs::rename(path, generationPath(kind, programDir, next), ec);
            if (ec) {
                // It stays where it was and keeps its slot.
                next = n;
            }
        }
        ++next;
    }
}

} // namespace

bool backUp(BackupKind kind, const BackupSource& source, int backUpCount, DateValue now) {
    const int count = std::min(backUpCount, kMaxBackupGenerations);
    if (count < 1 || !isRegularFile(source.dataFilePath)) {
        return false;
    }
    const KindNames names = namesOf(kind);
    const std::string& programDir = source.programDir;
    pruneAndCompact(kind, programDir, count - 1);

    int chosen = 0;
    for (int n = 1; n <= count; ++n) {
        if (!present(generationPath(kind, programDir, n))) {
            chosen = n;
            break;
        }
    }
    if (chosen == 0) {
        return false;
    }
    std::error_code ec;
    fs::create_directory(kindFolder(kind, programDir), ec);
    const std::string folder = generationFolder(kind, programDir, chosen);
    fs::create_directory(folder, ec);
    if (ec) {
        return false;
    }

    NameValueList info;
    info.append(names.pathKey, relativeSettingPath(programDir, source.dataFilePath));
    info.append(kDateKey, formatDate(now) + " " + formatHourMinute(now));
    const bool infoWritten = writeLines(folder + std::string(kInfoFileName), info);
    writeLines(folder + std::string(names.listFileName), source.sideFiles);

    const bool dataCopied = copyFile(source.dataFilePath, folder + fileNameOf(source.dataFilePath));
    const std::string dataFolder = folderOf(source.dataFilePath);
    for (std::size_t i = 0; i < source.sideFiles.size(); ++i) {
        const std::string name = source.sideFiles.valueAt(i);
        if (!isUsableSideFile(name, names)) {
            continue;
        }
        copyFile(dataFolder + name, folder + name);
        removeStaleCopy(folder, name);
    }
    return infoWritten && dataCopied;
}

std::vector<RestoreItem> restoreMenu(BackupKind kind, const std::string& programDir,
                                     const std::string& currentDataFilePath) {
    const KindNames names = namesOf(kind);
    std::vector<RestoreItem> items;
    for (int n = kMaxBackupGenerations; n >= 1; --n) {
        const auto info = readLines(generationFolder(kind, programDir, n) + std::string(kInfoFileName));
        if (!info) {
            continue;
        }
        RestoreItem item;
        item.name = std::string(names.itemPrefix) + std::to_string(n);
        item.caption = info->value(kDateKey) + "のバックアップ";
        const auto stored = info->find(names.pathKey);
        item.enabled = stored && !stored->empty() && absolutePath(programDir, *stored) == currentDataFilePath;
        items.push_back(std::move(item));
    }
    return items;
}

std::optional<int> generationOf(std::string_view itemName, BackupKind* kind) {
    for (const BackupKind k : {BackupKind::Schedule, BackupKind::Memo}) {
        const std::string_view prefix = namesOf(k).itemPrefix;
        if (itemName.size() != prefix.size() + 1 || itemName.substr(0, prefix.size()) != prefix) {
            continue;
        }
        const int n = itemName.back() - '0';
        if (!isGeneration(n)) {
            return std::nullopt;
        }
        if (kind) {
            *kind = k;
        }
        return n;
    }
    return std::nullopt;
}

std::optional<std::string> copyBack(BackupKind kind, const std::string& programDir, int generation) {
    if (!isGeneration(generation)) {
        return std::nullopt;
    }
    const KindNames names = namesOf(kind);
    const std::string folder = generationFolder(kind, programDir, generation);
    const auto info = readLines(folder + std::string(kInfoFileName));
    if (!info) {
        return std::nullopt;
    }
    const auto stored = info->find(names.pathKey);
    if (!stored || stored->empty()) {
        return std::nullopt;
    }
    const std::string dataPath = absolutePath(programDir, *stored);
    const std::string dataName = fileNameOf(dataPath);
    if (!isPlainFileName(dataName)) {
        return std::nullopt;
    }
    copyFile(folder + dataName, dataPath);

    const std::string dataFolder = folderOf(dataPath);
    const NameValueList sideFiles = readLines(folder + std::string(names.listFileName)).value_or(NameValueList());
    for (std::size_t i = 0; i < sideFiles.size(); ++i) {
        const std::string name = sideFiles.valueAt(i);
        if (!isUsableSideFile(name, names)) {
            continue;
        }
        copyFile(folder + name, dataFolder + name);
        removeStaleCopy(dataFolder, name);
    }
    return dataPath;
}

} // namespace velmora
