#include "memos/MemoFiles.h"

#include "core/NameValueList.h"
#include "core/PathText.h"
#include "schedule/ScheduleKey.h"

#include <cstdio>
#include <filesystem>
#include <set>

namespace velmora {

namespace fs = std::filesystem;

MemoLook parseMemoLook(std::string_view value) {
    const auto digit = [&](std::size_t i) {
        return i < value.size() && value[i] >= '0' && value[i] <= '9' ? value[i] - '0' : 0;
    };
    return MemoLook{digit(0), digit(1), digit(2), digit(3)};
}

std::string formatMemoLook(const MemoLook& look) {
    std::string text;
    for (int part : {look.placement, look.frame, look.trans, look.drawDesk}) {
        text += static_cast<char>('0' + (part >= 0 && part <= 9 ? part : 0));
    }
    return text;
}

std::string memoColorKey(std::string_view fileName) {
    return std::string(fileName) + "-Color";
}

std::string memoFileName(int number) {
    char text[32];
    std::snprintf(text, sizeof text, "MEMO%.4d.dfm", number);
    return text;
}

std::string drawerFileName(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    std::string name(fileName.substr(0, dot));
    name += ".$$$";
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return name;
}

std::optional<int> memoNumber(std::string_view fileName) {
    if (fileName.size() != 12 || !equalsIgnoreCase(fileName.substr(0, 4), "MEMO")) {
        return std::nullopt;
    }
    const std::string_view extension = fileName.substr(8);
    if (!equalsIgnoreCase(extension, ".dfm") && !equalsIgnoreCase(extension, ".$$$")) {
        return std::nullopt;
    }
    int number = 0;
    for (char c : fileName.substr(4, 4)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

int nextMemoNumber(const std::string& folder) {
    std::set<std::string> taken;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder.empty() ? "." : folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        taken.insert(lowerAscii(it->path().filename().string()));
    }
    int n = 0;
    while (taken.count(lowerAscii(memoFileName(n))) || taken.count(lowerAscii(drawerFileName(memoFileName(n))))) {
        ++n;
    }
    return n;
}

std::optional<std::string> findInFolder(const std::string& folder, std::string_view name) {
    if (!isPlainFileName(name)) {
        return std::nullopt;
    }
    std::error_code ec;
    const std::string exact = folder + std::string(name);
    if (fs::exists(fs::symlink_status(exact, ec))) {
        return std::string(name);
    }
    for (auto it = fs::directory_iterator(folder.empty() ? "." : folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::string found = it->path().filename().string();
        if (equalsIgnoreCase(found, name)) {
            return found;
        }
    }
    return std::nullopt;
}

} // namespace velmora
