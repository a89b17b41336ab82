#include "schedule/UserLock.h"

#include "core/NameValueList.h"
#include "core/ProfileFile.h"

#include <filesystem>

namespace velmora {

bool isAllUsers(const std::string& owner) {
    return equalsIgnoreCase(owner, "ALLUSER");
}

FileOwnership FileOwnership::from(const std::string& owner, const std::string& computerName) {
    FileOwnership o;
    o.owner = owner;
    o.forAllUsers = isAllUsers(owner);
    o.ownsFile = owner == computerName || o.forAllUsers;
    return o;
}

bool quietLockAllows(const ProfileFile& file, bool ownsFile, const std::string& computerName) {
    const std::string user = file.readString("COMPUTER", "UPDATEUSER", "");
    return user.empty() ? ownsFile : user == computerName;
}

bool acquireLock(bool ownsFile, const std::string& computerName, const std::string& path, LockMode mode,
                 bool showMessages, ChangeWatch& watch, UserFeedback& feedback, LockContent* content) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        feedback.showMessage("更新するデータファイルがみつかりません");
        return false;
    }
    if (isReadOnlyFile(path)) {
        if (mode == LockMode::Interactive) {
            feedback.showMessage("このデータファイルは読み込み専用です。");
        }
        return false;
    }
    LockContent seen;
    const auto report = [&](bool allowed) {
        if (content) {
            *content = seen;
        }
        return allowed;
    };
    std::string error;
    if (mode == LockMode::Quiet) {
        ProfileFile file(path);
        if (file.load(&error) == ReadOutcome::Failed) {
            return report(false);
        }
        seen.before = seen.after = file.contentHash();
        return report(quietLockAllows(file, ownsFile, computerName));
    }

    std::string user;
    std::string owner;
    ProfileFile last;
    const UpdateResult taken = updateProfileFile(
        path,
        [&](ProfileFile& file) {
            seen.before = file.contentHash();
            user = file.readString("COMPUTER", "UPDATEUSER", "");
            owner = file.readString("COMPUTER", "COMPUTER", computerName);
            return user.empty() && file.writeString("COMPUTER", "UPDATEUSER", computerName);
        },
        &error, &last);
    seen.after = last.contentHash();
    if (taken == UpdateResult::Failed) {
        feedback.showMessage("データファイルを更新できません（" + error + "）");
        return report(false);
    }
    if (taken == UpdateResult::Declined) {
        if (user == computerName) {
            return report(true);
        }
        if (showMessages) {
            feedback.showMessage(user.empty() ? "データファイルに書き込めません（コンピュータ名を保存できません）"
                                              : "ユーザー" + user + "が更新中です");
        }
        return report(false);
    }
    watch.stop();
    if (owner != computerName && !isAllUsers(owner)) {
        if (!feedback.confirm("ユーザー" + owner + "のデータです。\n更新しますか？")) {
            if (!releaseLockOnly(computerName, path)) {
                feedback.showMessage("データファイルのロックを解除できませんでした");
            }
            watch.start();
            return report(false);
        }
    }
    return report(true);
}

bool releaseLockOnly(const std::string& computerName, const std::string& path, LockContent* content) {
    LockContent seen;
    ProfileFile last;
    const bool released = updateProfileFile(
                              path,
                              [&](ProfileFile& file) {
                                  seen.before = file.contentHash();
                                  if (file.readString("COMPUTER", "UPDATEUSER", "") != computerName) {
                                      return false;
                                  }
                                  file.writeString("COMPUTER", "UPDATEUSER", "");
                                  file.writeString("COMPUTER", "LASTUPDATEUSER", "CANCEL");
                                  return true;
                              },
                              nullptr, &last) == UpdateResult::Written;
    seen.after = last.contentHash();
    if (content) {
        *content = seen;
    }
    return released;
}

} // namespace velmora
