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

bool acquireLock(bool ownsFile, const std::string& computerName, const std::string& path, LockMode mode,
                 bool showMessages, ChangeWatch& watch, UserFeedback& feedback) {
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
    ProfileFile file(path);
    file.load();
    const std::string user = file.readString("COMPUTER", "UPDATEUSER", "");

    if (mode == LockMode::Quiet) {
        if (user.empty()) {
            return ownsFile;
        }
        return user == computerName;
    }
    if (!user.empty()) {
        if (user == computerName) {
            return true;
        }
        if (showMessages) {
            feedback.showMessage("ユーザー" + user + "が更新中です");
        }
        return false;
    }

    std::string error;
    file.writeString("COMPUTER", "UPDATEUSER", computerName);
    if (!file.save(&error)) {
        feedback.showMessage("データファイルに書き込めません（" + error + "）");
        return false;
    }
    watch.stop();
    const std::string owner = file.readString("COMPUTER", "COMPUTER", computerName);
    if (owner != computerName && !isAllUsers(owner)) {
        if (!feedback.confirm("ユーザー" + owner + "のデータです。\n更新しますか？")) {
            file.writeString("COMPUTER", "UPDATEUSER", "");
            file.writeString("COMPUTER", "LASTUPDATEUSER", "CANCEL");
            if (!file.save(&error)) {
                feedback.showMessage("データファイルに書き込めません（" + error + "）");
            }
            watch.start();
            return false;
        }
    }
    return true;
}

} // namespace velmora
