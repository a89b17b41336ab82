#include "schedule/Backup.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/DateText.h"
#include "core/PathText.h"
#include "schedule/ScheduleKey.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
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
bool writeLines(const std::string& path, const NameValueList& list, std::string* reason) {
    std::string text;
    for (const auto& line : list.lines()) {
        text += line;
        text += "\r\n";
    }
    const auto bytes = cp932::fromUtf8(text);
    if (!bytes) {
        *reason = "CP932で表せない文字があります";
        return false;
    }
    return writeFileAtomically(path, *bytes, reason);
}

NameValueList parseLines(std::string_view all) {
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

std::optional<NameValueList> readLines(const std::string& path) {
    const auto bytes = readWholeFile(path);
    return bytes ? std::optional<NameValueList>(parseLines(*bytes)) : std::nullopt;
}

template <typename T = bool> T fail(std::string* error, std::string reason) {
    if (error) {
        *error = std::move(reason);
    }
    return T{};
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

// A new generation is put together under this prefix and renamed into its
// numbered slot only when complete; the menu and the pruning see numbered
// slots only, so a half-made copy is never offered for a restore.
constexpr std::string_view kTemporaryPrefix = "BackUp.tmp.";
// A copy this old was left by a backup that crashed; a younger one may belong
// to a backup running in another process right now.
constexpr auto kLeftoverAge = std::chrono::hours(1);

std::string temporaryFolderName() {
    static std::mt19937_64 random{std::random_device{}()};
    char digits[16];
    std::snprintf(digits, sizeof digits, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return std::string(kTemporaryPrefix) + digits;
}

void removeLeftovers(const std::string& kindDir) {
    const auto oldest = fs::file_time_type::clock::now() - kLeftoverAge;
    std::error_code ec;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator it(kindDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statEc;
        if (it->path().filename().string().starts_with(kTemporaryPrefix) &&
            fs::is_directory(fs::symlink_status(it->path(), statEc)) &&
            fs::last_write_time(it->path(), statEc) < oldest && !statEc) {
            leftovers.push_back(it->path());
        }
    }
    for (const fs::path& path : leftovers) {
        fs::remove_all(path, ec);
    }
}

// What a generation's "BackUp.txt" says, once the data file it names is known
// to be in the generation.
struct Generation {
    NameValueList info;
    std::string folder;   // the generation folder, with trailing separator
    std::string copyPath; // the data file's copy in it
    std::string dataPath; // the data file it was taken of
};

std::optional<Generation> findGeneration(BackupKind kind, const std::string& programDir, int n, std::string* error) {
    if (!isGeneration(n)) {
        return fail<std::optional<Generation>>(error,
                                               "バックアップの世代番号（" + std::to_string(n) + "）が正しくありません");
    }
    const KindNames names = namesOf(kind);
    Generation g;
    g.folder = generationFolder(kind, programDir, n);
    const FileRead info = readFile(g.folder + std::string(kInfoFileName));
    if (info.outcome == ReadOutcome::Missing) {
        return fail<std::optional<Generation>>(error, "バックアップ（" + std::string(names.folder) + "/BackUp" +
                                                          std::to_string(n) + "）がありません");
    }
    if (info.outcome == ReadOutcome::Failed) {
        return fail<std::optional<Generation>>(error, "バックアップの記録（BackUp.txt）を読み込めません（" +
                                                          info.error + "）");
    }
    g.info = parseLines(info.bytes);
    const auto stored = g.info.find(names.pathKey);
    if (!stored || stored->empty()) {
        return fail<std::optional<Generation>>(error,
                                               "バックアップの記録（BackUp.txt）にデータファイルの場所がありません");
    }
    g.dataPath = absolutePath(programDir, *stored);
    const std::string dataName = fileNameOf(g.dataPath);
    if (!isUsableSideFile(dataName, names)) {
        return fail<std::optional<Generation>>(error, "バックアップの記録（BackUp.txt）のデータファイル名（" +
                                                          dataName + "）が正しくありません");
    }
    g.copyPath = g.folder + dataName;
    if (!isRegularFile(g.copyPath)) {
        return fail<std::optional<Generation>>(error, "バックアップにデータファイル（" + dataName + "）がありません");
    }
    return g;
}

std::optional<std::string> readCopy(const Generation& generation, std::string* error) {
    FileRead data = readFile(generation.copyPath);
    if (data.outcome != ReadOutcome::Read) {
        return fail<std::optional<std::string>>(
            error, "バックアップのデータファイルを読み込めません（" +
                       (data.error.empty() ? std::string("ファイルがありません") : data.error) + "）");
    }
    return std::move(data.bytes);
}

void copySideFiles(const NameValueList& sideFiles, const KindNames& names, const std::string& fromFolder,
                   const std::string& toFolder) {
    for (std::size_t i = 0; i < sideFiles.size(); ++i) {
        const std::string name = sideFiles.valueAt(i);
        if (!isUsableSideFile(name, names)) {
            continue;
        }
        copyFile(fromFolder + name, toFolder + name);
        removeStaleCopy(toFolder, name);
    }
}

} // namespace

bool backUp(BackupKind kind, const BackupSource& source, int backUpCount, DateValue now, std::string* error) {
    if (error) {
        error->clear();
    }
    const int count = std::min(backUpCount, kMaxBackupGenerations);
    std::error_code ec;
    const fs::file_status status = fs::status(source.dataFilePath, ec);
    if (count < 1 || !fs::exists(status)) {
        return false;
    }
    const KindNames names = namesOf(kind);
    const std::string dataName = fileNameOf(source.dataFilePath);
    if (!fs::is_regular_file(status)) {
        return fail(error, "データファイル（" + source.dataFilePath + "）がファイルではありません");
    }
    if (!isUsableSideFile(dataName, names)) {
        return fail(error, "データファイルの名前（" + dataName + "）はバックアップに使えません");
    }
    const FileRead data = readFile(source.dataFilePath);
    if (data.outcome != ReadOutcome::Read) {
        return fail(error, "データファイル（" + source.dataFilePath + "）を読み込めません（" +
                               (data.error.empty() ? std::string("ファイルがありません") : data.error) + "）");
    }

    const std::string& programDir = source.programDir;
    const std::string kindDir = kindFolder(kind, programDir);
    fs::create_directory(kindDir, ec);
    if (!fs::is_directory(kindDir, ec)) {
        return fail(error, "バックアップのフォルダ（" + kindDir + "）を作れません");
    }
    removeLeftovers(kindDir);
    const std::string temporary = kindDir + temporaryFolderName();
    if (!fs::create_directory(temporary, ec)) {
        return fail(error, "バックアップのフォルダ（" + temporary + "）を作れません");
    }
    const auto discard = [&](const std::string& reason) {
        std::error_code ignored;
        fs::remove_all(temporary, ignored);
        return fail(error, reason);
    };

    // The data file first and "BackUp.txt" last: a generation is whole once
    // its record exists.
    const std::string folder = temporary + "/";
    std::string reason;
    if (!writeFileAtomically(folder + dataName, data.bytes, &reason)) {
        return discard("データファイルをバックアップにコピーできません（" + reason + "）");
    }
    copySideFiles(source.sideFiles, names, folderOf(source.dataFilePath), folder);
    if (!writeLines(folder + std::string(names.listFileName), source.sideFiles, &reason)) {
        return discard(std::string(names.listFileName) + " を書き込めません（" + reason + "）");
    }
    NameValueList info;
    info.append(names.pathKey, relativeSettingPath(programDir, source.dataFilePath));
    info.append(kDateKey, formatDate(now) + " " + formatHourMinute(now));
    if (!writeLines(folder + std::string(kInfoFileName), info, &reason)) {
        return discard(std::string(kInfoFileName) + " を書き込めません（" + reason + "）");
    }

    // Only a complete copy makes room for itself.
    pruneAndCompact(kind, programDir, count - 1);
    for (int n = 1; n <= count; ++n) {
        const std::string slot = generationPath(kind, programDir, n);
        if (present(slot)) {
            continue;
        }
        fs::rename(temporary, slot, ec);
        if (ec) {
            return discard("バックアップを BackUp" + std::to_string(n) + " に置けません");
        }
        return true;
    }
    return discard("バックアップの世代に空きがありません");
}

std::vector<RestoreItem> restoreMenu(BackupKind kind, const std::string& programDir,
                                     const std::string& currentDataFilePath) {
    const KindNames names = namesOf(kind);
    std::vector<RestoreItem> items;
    for (int n = kMaxBackupGenerations; n >= 1; --n) {
        const auto generation = findGeneration(kind, programDir, n, nullptr);
        if (!generation) {
            continue;
        }
        RestoreItem item;
        item.name = std::string(names.itemPrefix) + std::to_string(n);
        item.caption = generation->info.value(kDateKey) + "のバックアップ";
        item.enabled = generation->dataPath == currentDataFilePath;
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

std::optional<std::string> restorableDataFile(BackupKind kind, const std::string& programDir, int generation,
                                              std::string* error) {
    const auto found = findGeneration(kind, programDir, generation, error);
    if (!found) {
        return std::nullopt;
    }
    const auto data = readCopy(*found, error);
    if (!data) {
        return std::nullopt;
    }
    std::error_code ec;
    const std::string dataFolder = folderOf(found->dataPath);
    if (!dataFolder.empty() && !fs::is_directory(dataFolder, ec)) {
        return fail<std::optional<std::string>>(error, "復元先のフォルダ（" + dataFolder + "）がありません");
    }
    return found->dataPath;
}

std::optional<std::string> copyBack(BackupKind kind, const std::string& programDir, int generation,
                                    std::string* error) {
    const auto found = findGeneration(kind, programDir, generation, error);
    if (!found) {
        return std::nullopt;
    }
    const auto data = readCopy(*found, error);
    if (!data) {
        return std::nullopt;
    }
    // The side files follow only a data file that is back in place: side
    // files of one generation beside the data of another would mismatch.
    std::string reason;
    if (!writeFileAtomically(found->dataPath, *data, &reason)) {
        return fail<std::optional<std::string>>(error, "データファイル（" + found->dataPath + "）を復元できません（" +
                                                           reason + "）");
    }
    const KindNames names = namesOf(kind);
    const NameValueList sideFiles =
        readLines(found->folder + std::string(names.listFileName)).value_or(NameValueList());
    copySideFiles(sideFiles, names, found->folder, folderOf(found->dataPath));
    return found->dataPath;
}

} // namespace velmora
