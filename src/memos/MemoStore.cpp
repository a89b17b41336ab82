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
    : m_clock(clock), m_feedback(feedback),
      m_file(std::move(computerName), feedback, {"メモデータ", "保存できない文字を含むメモがあります"}) {
    m_file.watch().setOnChange([this] { load(m_scheduleFilePath); });
}

void MemoStore::setPath(std::string memoDataPath) {
    m_file.setPath(std::move(memoDataPath));
}

std::string MemoStore::folder() const {
    return folderOf(path());
}

void MemoStore::load(const std::string& scheduleFilePath, bool createMissing) {
    m_scheduleFilePath = scheduleFilePath;
    auto file = m_file.readForLoad([&] {
        NewDataFile made;
        if (!createMissing) {
            made.kind = NewDataFile::Kind::Absent;
            return made;
        }
        // The memo sections used to live in the schedule data file; they
        // move into the new file at once, before a schedule save drops them.
        ProfileFile scheduleFile(scheduleFilePath);
        if (scheduleFile.load(&made.reason) == ReadOutcome::Failed) {
            made.kind = NewDataFile::Kind::Fail;
            made.reason = "以前のメモ一覧を持つスケジュールデータを読み込めません（" + made.reason + "）";
            return made;
        }
        ProfileFile created;
        created.writeString(kComputer, "COMPUTER", computerName());
        const NameValueList files = readMemoFiles(scheduleFile);
        const NameValueList options = scheduleFile.readSection(kMemoOpt);
        bool encodable = files.empty() || created.writeSection(kMemoFile, files);
        encodable = (options.empty() || created.writeSection(kMemoOpt, sortedByName(options))) && encodable;
        if (!encodable) {
            made.kind = NewDataFile::Kind::Fail;
            made.reason = "以前のメモ一覧を移せません";
            return made;
        }
        made.bytes = created.bytes();
        return made;
    });
    if (!file) {
        return;
    }
    loadFrom(*file);
    m_file.loaded(*file);
}

void MemoStore::loadFrom(const ProfileFile& file) {
    m_memoFiles = readMemoFiles(file);
    m_memoOptions = file.readSection(kMemoOpt);
    m_savedFiles = m_memoFiles;
    m_savedOptions = m_memoOptions;
}

bool MemoStore::hasUnsavedEdits() const {
    return m_memoFiles != m_savedFiles || m_memoOptions != m_savedOptions;
}

bool MemoStore::applyTo(ProfileFile& file) const {
    bool encodable = true;
    file.eraseSection(kMemoFile);
    if (!m_memoFiles.empty()) {
        encodable = file.writeSection(kMemoFile, m_memoFiles) && encodable;
    }
    file.eraseSection(kMemoOpt);
    if (!m_memoOptions.empty()) {
        encodable = file.writeSection(kMemoOpt, sortedByName(m_memoOptions)) && encodable;
    }
    return encodable;
}

SaveResult MemoStore::save(bool stamp) {
    const SaveResult result = m_file.save(
        stamp, m_clock.now(), hasUnsavedEdits(), [this](ProfileFile& file) { return applyTo(file); },
        [this](const ProfileFile& file) { loadFrom(file); });
    if (result == SaveResult::Saved) {
        m_savedFiles = m_memoFiles;
        m_savedOptions = m_memoOptions;
    }
    return result;
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

bool MemoStore::takeFromDrawer(const std::string& drawerName) {
    if (!isDrawerName(drawerName)) {
        m_feedback.showMessage("引き出しのメモファイルではありません。\n" + folder() + drawerName);
        return false;
    }
    const int number = *memoNumber(drawerName);
    const std::string fileName = memoFileName(number);
    if (!renameInFolder(drawerName, fileName)) {
        return false;
    }
    m_memoFiles.set(std::to_string(number), fileName);
    return true;
}

void MemoStore::removeLook(const std::string& fileName) {
    removeAllNamed(m_memoOptions, fileName);
    removeAllNamed(m_memoOptions, memoColorKey(fileName));
}

void MemoStore::moveToFront(const std::string& fileName) {
    for (std::size_t i = 0; i < m_memoFiles.size(); ++i) {
        if (equalsIgnoreCase(m_memoFiles.valueAt(i), fileName)) {
            if (i > 0) {
                const std::string line = m_memoFiles.line(i);
                m_memoFiles.removeAt(i);
                m_memoFiles.insertLine(0, line);
            }
            return;
        }
    }
}

bool MemoStore::quietLockAllows() const {
    if (m_file.loadFailed()) {
        return false;
    }
    ProfileFile file(path());
    if (file.load() == ReadOutcome::Failed) {
        return false;
    }
    return velmora::quietLockAllows(file, ownership().ownsFile, computerName());
}

bool MemoStore::lockForEditing() {
    return m_file.lockForEditing([this] { load(m_scheduleFilePath); });
}

} // namespace velmora
