#include "render/FontMapping.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

#include <cstdlib>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {

// The Japanese faces of the other system and the Debian fonts that stand in
// for them: the rounded gothic, the proportional and fixed gothics, the
// minchos, and the modern gothics mapped to the proportional gothic.
const std::map<std::string, std::string>& substitutes() {
    static const std::map<std::string, std::string> table = {
        {"HG丸ｺﾞｼｯｸM-PRO", "MotoyaLMaru"}, {"HG丸ゴシックM-PRO", "MotoyaLMaru"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"},
        {"ＭＳ ゴシック", "IPAGothic"},    {"MS Gothic", "IPAGothic"},
        {"MS UI Gothic", "IPAPGothic"},    {"ＭＳ 明朝", "IPAMincho"},
        {"MS Mincho", "IPAMincho"},        {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"MS PMincho", "IPAPMincho"},      {"メイリオ", "IPAPGothic"},
        {"Meiryo", "IPAPGothic"},          {"Meiryo UI", "IPAPGothic"},
        {"游ゴシック", "IPAPGothic"},      {"Yu Gothic", "IPAPGothic"},
        {"游明朝", "IPAPMincho"},          {"Yu Mincho", "IPAPMincho"},
    };
    return table;
}

constexpr const char* kFallback = "IPAPGothic";

std::unique_ptr<QGuiApplication>& startedApplication() {
    static std::unique_ptr<QGuiApplication> app;
    return app;
}

} // namespace

void installFontSubstitutions() {
    for (const auto& [face, family] : substitutes()) {
        QFont::insertSubstitution(QString::fromStdString(face), QString::fromStdString(family));
    }
}

std::string mappedFamily(const std::string& face) {
    static std::map<std::string, std::string> known;
    const auto cached = known.find(face);
    if (cached != known.end()) {
        return cached->second;
    }
    std::string family = face;
    const auto sub = substitutes().find(face);
    if (sub != substitutes().end()) {
        family = sub->second;
    }
    if (!QFontDatabase::hasFamily(QString::fromStdString(family))) {
        family = kFallback;
    }
    known.emplace(face, family);
    return family;
}

void prepareGuiEnvironment() {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Qt wants a private runtime folder; without a session there is none.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string dir = "/tmp/velmora-runtime-" + std::to_string(getuid());
        mkdir(dir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
}

void ensureGuiApplication() {
    if (QGuiApplication::instance()) {
        return;
    }
    prepareGuiEnvironment();
    static int argc = 1;
    static char name[] = "velmora";
    static char* argv[] = {name, nullptr};
    startedApplication() = std::make_unique<QGuiApplication>(argc, argv);
    installFontSubstitutions();
}

void endGuiApplication() {
    startedApplication().reset();
}

} // namespace velmora
