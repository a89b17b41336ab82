#include "core/PathText.h"

#include <filesystem>
#include <vector>

namespace velmora {

namespace {

std::vector<std::string> components(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/') {
            if (!part.empty()) {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) {
        parts.push_back(part);
    }
    return parts;
}

bool isNetworkPath(std::string_view p) {
    return p.size() > 2 && p[0] == '/' && p[1] == '/' && p[2] != '/';
}

} // namespace

std::string pathFromSetting(std::string_view stored) {
    std::string p(stored);
    if (!p.empty() && p.front() != '/') {
        for (char& c : p) {
            if (c == '\\') {
                c = '/';
            }
        }
    }
    return p;
}

std::string absolutePath(std::string_view baseDir, std::string_view path) {
    const std::string own = pathFromSetting(path);
    std::filesystem::path p(own);
    if (p.is_relative()) {
        p = std::filesystem::path(std::string(baseDir)) / p;
    }
    std::string s = p.lexically_normal().string();
    // A network path keeps its leading double slash, whichever separators
    // it was stored with ("\\server\share" as well as "//server/share").
    if (isNetworkPath(own) && !isNetworkPath(s)) {
        s.insert(s.begin(), '/');
    }
    return s;
}

std::string relativeSettingPath(std::string_view baseDir, std::string_view path) {
    if (path.empty() || path.front() != '/' || isNetworkPath(path) || baseDir.empty()) {
        return std::string(path);
    }
    const auto base = components(std::filesystem::path(std::string(baseDir)).lexically_normal().string());
    const auto target = components(std::filesystem::path(std::string(path)).lexically_normal().string());
    if (base.empty() || target.empty() || base.front() != target.front()) {
        return std::string(path);
    }
    std::size_t common = 0;
    while (common < base.size() && common + 1 < target.size() && base[common] == target[common]) {
        ++common;
    }
    std::string out;
    for (std::size_t i = common; i < base.size(); ++i) {
        out += "..\\";
    }
    for (std::size_t i = common; i < target.size(); ++i) {
        out += target[i];
        if (i + 1 < target.size()) {
            out += '\\';
        }
    }
    return out;
}

std::string folderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string fileNameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

} // namespace velmora
