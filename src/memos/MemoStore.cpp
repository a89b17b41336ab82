#include "memos/MemoStore.h"

#include "core/DateText.h"
#include "core/PathText.h"
#include "core/ProfileFile.h"
#include "schedule/ScheduleKey.h"

#include <algorithm>
#include <filesystem>

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMemoFile = "MEMOFILE";
constexpr std::string_view kMemoOpt = "MEMOOPT";
constexpr std::string_view kComputer = "COMPUTER";

// Older files kept whole paths; only the name counts, inside the memo folder.
std::string withoutFolder(const std::string& value) {
    const auto cut = value.find_last_of("/\\");
    return cut == std::string::npos ? value : value.substr(cut + 1);
}

NameValueList readMemoFiles(const ProfileFile& file) {
    const NameValueList read = file.readSection(kMemoFile);
    NameValueList list;
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (read.line(i).find('=') == std::string::npos) {
            list.appendLine(read.line(i));
        } else {
            list.append(read.name(i), withoutFolder(read.valueAt(i)));
        }
    }
    return list;
}

std::string nameOfLine(const std::string& line) {
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

NameValueList sortedByName(const NameValueList& list) {
    std::vector<std::string> lines = list.lines();
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return compareIgnoreCase(nameOfLine(a), nameOfLine(b)) < 0;
    });
    return NameValueList(std::move(lines));
}

void removeAllNamed(NameValueList& list, std::string_view name) {
    while (list.remove(name)) {
    }
}

bool isDrawerName(std::string_view name) {
    return memoNumber(name) && equalsIgnoreCase(name.substr(8), ".$$$");
}

} // namespace

MemoStore::MemoStore(std::string computerName, const Clock& clock, UserFeedback& feedback)
    : m_computerName(std::move(computerName)), m_clock(clock), m_feedback(feedback) {
    m_watch.setOnChange([this] { load(m_scheduleFilePath); });
}

void MemoStore::setPath(std::string memoDataPath) {
    m_path = std::move(memoDataPath);
    m_watch.setPath(m_path);
}

std::string MemoStore::folder() const {
    return folderOf(m_path);
}

void MemoStore::load(const std::string& scheduleFilePath) {
    m_scheduleFilePath = scheduleFilePath;
    m_watch.stop();
    std::error_code ec;
    const bool created = !fs::exists(m_path, ec);
    if (created) {
        ProfileFile made(m_path);
        made.writeString(kComputer, "COMPUTER", m_computerName);
        // A file that cannot be made shows up at the first save, which reports it.
        made.save();
    }

    ProfileFile file(m_path);
    file.load();
    ProfileFile scheduleFile(scheduleFilePath);
    if (created) {
        // The memo sections used to live in the schedule data file.
        scheduleFile.load();
    }
    const ProfileFile& source = created ? scheduleFile : file;
    m_memoFiles = readMemoFiles(source);
    m_memoOptions = source.readSection(kMemoOpt);

    m_ownership = FileOwnership::from(file.readString(kComputer, "COMPUTER", m_computerName), m_computerName);
    m_watch.refreshKnownAge();
    m_watch.start();
    if (m_recent) {
        moveToFront(*m_recent, m_path);
    }
}

SaveResult MemoStore::save(bool stamp) {
    if (m_recent) {
        moveToFront(*m_recent, m_path);
    }
    const auto fail = [this](const std::string& reason) {
        m_feedback.showMessage("メモデータを保存できませんでした。\n" + m_path + "\n" + reason);
        m_watch.start();
        return SaveResult::Failed;
    };
    // The quiet lock refuses these without a word; for the user they are
    // failed saves, not someone else's lock.
    std::error_code ec;
    if (!fs::is_regular_file(m_path, ec)) {
        return fail("メモデータファイルが見つかりません");
    }
    if (isReadOnlyFile(m_path)) {
        return fail("読み取り専用のファイルです");
    }
    SilentFeedback quiet;
    if (!acquireLock(m_ownership.ownsFile, m_computerName, m_path, LockMode::Quiet, false, m_watch, quiet)) {
        m_watch.start();
        return SaveResult::Refused;
    }
    m_watch.stop();

    ProfileFile file(m_path);
    file.load();
    bool encodable = true;
    file.eraseSection(kMemoFile);
    if (!m_memoFiles.empty()) {
        encodable = file.writeSection(kMemoFile, m_memoFiles) && encodable;
    }
    file.eraseSection(kMemoOpt);
    if (!m_memoOptions.empty()) {
        encodable = file.writeSection(kMemoOpt, sortedByName(m_memoOptions)) && encodable;
    }
    if (m_ownership.ownsFile && !m_ownership.forAllUsers) {
        file.writeString(kComputer, "COMPUTER", m_computerName);
    }
    if (stamp) {
        file.writeString(kComputer, "UPDATEUSER", "");
        file.writeString(kComputer, "LASTUPDATEUSER", m_computerName);
        file.writeString(kComputer, "LASTUPDATE", formatDateTime(m_clock.now()));
    }

    std::string error;
    if (!encodable) {
        error = "保存できない文字を含むメモがあります";
    }
    if (!encodable || !file.save(&error)) {
        return fail(error);
    }
    m_watch.refreshKnownAge();
    m_watch.start();
    return SaveResult::Saved;
}

bool MemoStore::addMemo(const std::string& fileName) {
    const auto number = memoNumber(fileName);
    if (!number || !equalsIgnoreCase(fileName, memoFileName(*number))) {
        return false;
    }
    const std::string name = std::to_string(*number);
    removeAllNamed(m_memoFiles, name);
    m_memoFiles.insertLine(0, name + "=" + fileName);
    removeAllNamed(m_memoOptions, fileName);
    removeAllNamed(m_memoOptions, memoColorKey(fileName));
    return true;
}

std::string MemoStore::addNewMemo() {
    const std::string fileName = memoFileName(nextMemoNumber(folder()));
    addMemo(fileName);
    return fileName;
}

MemoLook MemoStore::look(const std::string& fileName) const {
    return parseMemoLook(m_memoOptions.value(fileName));
}

void MemoStore::setLook(const std::string& fileName, const MemoLook& look, int frameColor) {
    m_memoOptions.set(fileName, formatMemoLook(look));
    if (look.frame == 2) {
        m_memoOptions.set(memoColorKey(fileName), std::to_string(frameColor));
    } else {
        removeAllNamed(m_memoOptions, memoColorKey(fileName));
    }
}

bool MemoStore::renameInFolder(const std::string& from, const std::string& to) {
    const std::string dir = folder();
    const auto report = [&](const std::string& file, const std::string& reason) {
        m_feedback.showMessage("メモファイルを移動できませんでした。\n" + dir + file + "\n" + reason);
        return false;
    };
    if (!isPlainFileName(from) || !isPlainFileName(to)) {
        return report(from, "ファイル名が正しくありません");
    }
    std::error_code ec;
    const auto actual = findInFolder(dir, from);
    if (!actual || !fs::is_regular_file(dir + *actual, ec)) {
        return report(from, "ファイルが見つかりません");
    }
    if (const auto existing = findInFolder(dir, to)) {
        return report(*existing, "同じ名前のファイルがあります");
    }
    fs::rename(dir + *actual, dir + to, ec);
    if (ec) {
        return report(*actual, "名前を変更できません (" + ec.message() + ")");
    }
    return true;
}

std::optional<SaveResult> MemoStore::moveToDrawer(const std::string& fileName) {
    const std::string drawerName = drawerFileName(fileName);
    if (!renameInFolder(fileName, drawerName)) {
        return std::nullopt;
    }
    const auto number = memoNumber(fileName);
    const std::string name = number ? std::to_string(*number) : std::string();
    for (std::size_t i = m_memoFiles.size(); i-- > 0;) {
        if ((number && m_memoFiles.name(i) == name) || equalsIgnoreCase(m_memoFiles.valueAt(i), fileName)) {
            m_memoFiles.removeAt(i);
        }
    }
    return save(true);
}

std::optional<SaveResult> MemoStore::takeFromDrawer(const std::string& drawerName) {
    if (!isDrawerName(drawerName)) {
        m_feedback.showMessage("引き出しのメモファイルではありません。\n" + folder() + drawerName);
        return std::nullopt;
    }
    const int number = *memoNumber(drawerName);
    const std::string fileName = memoFileName(number);
    if (!renameInFolder(drawerName, fileName)) {
        return std::nullopt;
    }
    const std::string name = std::to_string(number);
    removeAllNamed(m_memoFiles, name);
    m_memoFiles.insertLine(0, name + "=" + fileName);
    return save(true);
}

bool MemoStore::lockForEditing() {
    return acquireLock(m_ownership.ownsFile, m_computerName, m_path, LockMode::Interactive, true, m_watch, m_feedback);
}

} // namespace velmora
