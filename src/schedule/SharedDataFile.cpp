#include "schedule/SharedDataFile.h"

#include "core/DateText.h"

#include <filesystem>

namespace velmora {

namespace {

constexpr std::string_view kComputer = "COMPUTER";

} // namespace

void moveToFront(std::vector<std::string>& recent, const std::string& path) {
    std::erase_if(recent, [&](const std::string& p) { return equalsIgnoreCase(p, path); });
    recent.insert(recent.begin(), path);
}

SharedDataFile::SharedDataFile(std::string computerName, UserFeedback& feedback, DataFileTexts texts)
    : m_computerName(std::move(computerName)), m_feedback(feedback), m_texts(std::move(texts)) {}

void SharedDataFile::setPath(std::string path) {
    m_path = std::move(path);
    m_watch.setPath(m_path);
    m_knownHash.reset();
}

std::string SharedDataFile::failureText(const std::string& reason) const {
    return m_texts.kind + "を保存できませんでした。\n" + m_path + "\n" + reason;
}

std::optional<ProfileFile> SharedDataFile::readForLoad(const std::function<NewDataFile()>& makeNew) {
    m_watch.stop();
    ProfileFile file(m_path);
    std::string error;
    ReadOutcome outcome = file.load(&error);
    if (outcome == ReadOutcome::Missing) {
        const NewDataFile made = makeNew();
        if (made.kind == NewDataFile::Kind::Absent) {
            return file;
        }
        error = made.reason;
        if (made.kind == NewDataFile::Kind::Create) {
            AtomicWriteOptions options;
            options.unchangedSince = std::optional<FileStamp>(); // still missing
            // Changed: another computer made it first; read theirs.
            if (replaceFile(m_path, made.bytes, &error, options) != WriteResult::Failed) {
                outcome = file.load(&error);
            }
        }
    }
    if (outcome == ReadOutcome::Read) {
        return file;
    }
    if (!m_loadFailed) {
        m_feedback.showMessage(m_texts.kind + "を読み込めませんでした。\n" + m_path + "\n" + error +
                               "\n読み込めるようになるまで、変更も保存もできません。");
    }
    m_loadFailed = true;
    // The watch tries again at its next tick: the known age stays as it was.
    m_watch.start();
    return std::nullopt;
}

void SharedDataFile::loaded(const ProfileFile& file) {
    if (m_recent) {
        moveToFront(*m_recent, m_path);
    }
    m_loadFailed = false;
    m_knownHash = file.contentHash();
    m_ownership = FileOwnership::from(file.readString(kComputer, "COMPUTER", m_computerName), m_computerName);
    m_watch.refreshKnownAge();
    m_watch.start();
}

bool SharedDataFile::lockForEditing(const std::function<void()>& reload) {
    if (m_loadFailed) {
        // It may be readable again.
        reload();
        if (m_loadFailed) {
            m_feedback.showMessage(m_texts.kind + "を読み込めないため、編集できません。\n" + m_path);
            return false;
        }
    }
    LockContent content;
    if (!acquireLock(m_ownership.ownsFile, m_computerName, m_path, LockMode::Interactive, true, m_watch, m_feedback,
                     &content)) {
        return false;
    }
    if (m_knownHash && content.before == *m_knownHash) {
        m_knownHash = content.after;
        return true;
    }
    // Another computer saved since our load: edit its version.
    reload();
    m_watch.stop();
    if (m_loadFailed) {
        releaseAfterFailure(true);
        m_watch.start();
        return false;
    }
    return true;
}

void SharedDataFile::releaseAfterFailure(bool release) {
    LockContent content;
    // Not ours, or the file is out of reach: nothing more can be done safely.
    if (release && releaseLockOnly(m_computerName, m_path, &content) && m_knownHash && content.before == *m_knownHash) {
        // Our own release is no other computer's save.
        m_knownHash = content.after;
    }
}

SaveResult SharedDataFile::save(bool release, DateValue now, bool hasEdits,
                                const std::function<bool(ProfileFile&)>& apply,
                                const std::function<void(const ProfileFile&)>& reloadFrom) {
    namespace fs = std::filesystem;
    if (m_recent) {
        moveToFront(*m_recent, m_path);
    }
    if (m_loadFailed) {
        // Reported when the load failed; what was not read is never written.
        if (hasEdits) {
            m_feedback.showMessage(failureText("ファイルを読み込めなかったため、保存しません。"));
        }
        m_watch.start();
        return SaveResult::Refused;
    }
    std::error_code ec;
    if (!fs::is_regular_file(m_path, ec)) {
        m_feedback.showMessage("更新するデータファイルがみつかりません");
        m_watch.start();
        return SaveResult::Refused;
    }
    if (isReadOnlyFile(m_path)) {
        if (hasEdits) {
            m_feedback.showMessage(failureText("読み取り専用のファイルです。変更は保存されていません。"));
        }
        m_watch.start();
        return SaveResult::Refused;
    }

    enum class Stop { None, Locked, Conflict, Unencodable };
    Stop stop = Stop::None;
    bool tookTheirs = false;
    std::string error;
    ProfileFile last;
    const UpdateResult result = updateProfileFile(
        m_path,
        [&](ProfileFile& file) {
            stop = Stop::None;
            if (!quietLockAllows(file, m_ownership.ownsFile, m_computerName)) {
                stop = Stop::Locked;
                return false;
            }
            if (!m_knownHash || file.contentHash() != *m_knownHash) {
                if (hasEdits) {
                    stop = Stop::Conflict;
                    return false;
                }
                reloadFrom(file);
                m_ownership =
                    FileOwnership::from(file.readString(kComputer, "COMPUTER", m_computerName), m_computerName);
                tookTheirs = true;
            }
            if (!apply(file)) {
                stop = Stop::Unencodable;
                return false;
            }
            if (m_ownership.ownsFile && !m_ownership.forAllUsers) {
                file.writeString(kComputer, "COMPUTER", m_computerName);
            }
            if (release) {
                file.writeString(kComputer, "UPDATEUSER", "");
                file.writeString(kComputer, "LASTUPDATEUSER", m_computerName);
                file.writeString(kComputer, "LASTUPDATE", formatDateTime(now));
            }
            return true;
        },
        &error, &last);
    m_watch.stop();

    SaveResult outcome = SaveResult::Saved;
    if (result == UpdateResult::Written) {
        m_knownHash = last.contentHash();
        // A version of another computer's taken over here still has to be
        // shown: leave the known age so that the watch reloads and redraws.
        if (!tookTheirs) {
            m_watch.refreshKnownAge();
        }
    } else if (result == UpdateResult::Failed) {
        m_feedback.showMessage(failureText(error));
        releaseAfterFailure(release);
        outcome = SaveResult::Failed;
    } else if (stop == Stop::Locked) {
        if (hasEdits) {
            m_feedback.showMessage(m_texts.kind + "を保存できませんでした。\n他のユーザーが更新中か、"
                                                  "このコンピュータのデータではありません。変更は保存されていません。");
        }
        outcome = SaveResult::Refused;
    } else if (stop == Stop::Conflict) {
        m_feedback.showMessage(failureText("他のコンピュータが先に保存しました。変更は保存されていません。"));
        releaseAfterFailure(release);
        outcome = SaveResult::Refused;
    } else {
        m_feedback.showMessage(failureText(m_texts.unencodable));
        releaseAfterFailure(release);
        outcome = SaveResult::Failed;
    }
    m_watch.start();
    return outcome;
}

} // namespace velmora
