#include "render/FontMapping.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

#include <cstdlib>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmora {

namespace {

// The Japanese faces of the other system and the Debian fonts that stand in
// for them, the first installed one winning. Faces that come in one weight at
// home (the rounded gothic, the MS gothics and minchos) keep single-weight
// stand-ins of the same design, and their bold is drawn by QtCanvas; the
// modern faces, which have a real bold at home, get families that have one
// too, and the IPA fonts where those are missing.
using Families = std::vector<std::string>;
const std::map<std::string, Families>& substitutes() {
    static const Families round = {"MotoyaLMaru"};
    static const Families pGothic = {"IPAPGothic"};
    static const Families gothic = {"IPAGothic"};
    static const Families mincho = {"IPAMincho"};
    static const Families pMincho = {"IPAPMincho"};
    static const Families modernGothic = {"Noto Sans CJK JP", "IPAPGothic"};
    static const Families modernMincho = {"Noto Serif CJK JP", "IPAPMincho"};
    static const std::map<std::string, Families> table = {
        {"HG丸ｺﾞｼｯｸM-PRO", round},   {"HG丸ゴシックM-PRO", round}, {"ＭＳ Ｐゴシック", pGothic},
        {"MS PGothic", pGothic},     {"MS UI Gothic", pGothic},    {"ＭＳ ゴシック", gothic},
        {"MS Gothic", gothic},       {"ＭＳ 明朝", mincho},        {"MS Mincho", mincho},
        {"ＭＳ Ｐ明朝", pMincho},    {"MS PMincho", pMincho},      {"メイリオ", modernGothic},
        {"Meiryo", modernGothic},    {"Meiryo UI", modernGothic},  {"游ゴシック", modernGothic},
        {"Yu Gothic", modernGothic}, {"游明朝", modernMincho},     {"Yu Mincho", modernMincho},
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
    for (const auto& [face, families] : substitutes()) {
        QStringList list;
        for (const std::string& family : families) {
            list << QString::fromStdString(family);
        }
        QFont::insertSubstitutions(QString::fromStdString(face), list);
    }
}

std::string mappedFamily(const std::string& face) {
    static std::map<std::string, std::string> known;
    const auto cached = known.find(face);
    if (cached != known.end()) {
        return cached->second;
    }
    const auto sub = substitutes().find(face);
    const Families candidates = sub != substitutes().end() ? sub->second : Families{face};
    std::string family = kFallback;
    for (const std::string& candidate : candidates) {
        if (QFontDatabase::hasFamily(QString::fromStdString(candidate))) {
            family = candidate;
            break;
        }
    }
    known.emplace(face, family);
    return family;
}

bool hasBoldFace(const std::string& family) {
    static std::map<std::string, bool> known;
    const auto cached = known.find(family);
    if (cached != known.end()) {
        return cached->second;
    }
    const QString name = QString::fromStdString(family);
    bool bold = false;
    for (const QString& style : QFontDatabase::styles(name)) {
        bold = bold || QFontDatabase::weight(name, style) >= QFont::DemiBold;
    }
    known.emplace(family, bold);
    return bold;
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

QFont qtFontOf(const FontSetting& setting, int automaticSize) {
    QFont font(QString::fromStdString(mappedFamily(setting.face)));
    font.setPointSize(setting.size > 0 ? setting.size : automaticSize);
    font.setBold(setting.bold);
    font.setItalic(setting.italic);
    font.setUnderline(setting.underline);
    font.setStrikeOut(setting.strikeOut);
    return font;
}

FontSetting fontSettingOf(const QFont& font, Colour colour) {
    FontSetting s;
    s.face = font.family().toStdString();
    s.size = font.pointSize() > 0 ? font.pointSize() : 9;
    s.colour = colour;
    s.bold = font.bold();
    s.italic = font.italic();
    s.underline = font.underline();
    s.strikeOut = font.strikeOut();
    return s;
}

} // namespace velmora
