#include "settings/Settings.h"

#include "core/DateText.h"
#include "core/PathText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <variant>

namespace velmora {

namespace {

enum Read : unsigned { NoRead = 0, S = 1, L = 2, SL = S | L };

enum class Type { Int, Bool, Text, Path, Colour, Date, FontFace, FontSize, FontColour, FontBold, FontItalic };

enum class Rule {
    None,
    HalfHeightMinus200, // default: half the screen height rounded down, minus 200
    HalfWidthMinus300,  // default: half the screen width rounded down, minus 300
    SameAs,             // default: the value of another key read before it
    PadToSeven,         // one "0"/"1" per item of the pattern menu
    DataFile,           // written relative to the program folder
    Forth,              // derived from the displayed month
    Lastdate,           // today
    SingleQuoted,       // written in single quotes so outer blanks survive
};

using Field = std::variant<std::monostate, int Settings::*, bool Settings::*, std::string Settings::*>;

struct Def {
    const char* section;
    const char* key;
    Type type;
    int intDefault;
    const char* textDefault;
    unsigned read;
    bool written;
    Field field;
    Rule rule = Rule::None;
    int Settings::*sameAs = nullptr;
    FontPart fontPart = FontPart::Schedule;
    // Which data file a DataFile row names.
    std::string SaveContext::*dataPath = nullptr;
};

constexpr const char* kRoundGothic = "HG丸ｺﾞｼｯｸM-PRO";

Def intKey(const char* sec, const char* key, int def, unsigned read, bool written, int Settings::*f,
           Rule rule = Rule::None) {
    return Def{sec, key, Type::Int, def, "", read, written, f, rule};
}
Def colourKey(const char* key, int def, int Settings::*f) {
    return Def{"COLOR", key, Type::Colour, def, "", L, true, f};
}
Def boolKey(const char* key, bool def, bool Settings::*f) {
    return Def{"SYSTEM", key, Type::Bool, def ? 1 : 0, "", L, true, f};
}
Def textKey(const char* sec, const char* key, const char* def, unsigned read, bool written, std::string Settings::*f,
            Rule rule = Rule::None) {
    return Def{sec, key, Type::Text, 0, def, read, written, f, rule};
}
Def pathKey(const char* key, const char* def, unsigned read, std::string Settings::*f, Rule rule = Rule::None,
            std::string SaveContext::*dataPath = nullptr) {
    Def d{"SYSTEM", key, Type::Path, 0, def, read, true, f, rule};
    d.dataPath = dataPath;
    return d;
}
Def margin2(const char* key, int Settings::*f, int Settings::*monthMargin) {
    Def d = intKey("COLOR", key, 0, L, true, f, Rule::SameAs);
    d.sameAs = monthMargin;
    return d;
}
Def fontKey(const char* key, Type type, FontPart part, int def, const char* textDef, unsigned read) {
    Def d{"COLOR", key, type, def, textDef, read, true, std::monostate{}};
    d.fontPart = part;
    return d;
}

using St = Settings;
constexpr const char* SYS = "SYSTEM";
constexpr const char* NONE_MARKER = "（なし）";

// Every key of the settings file: section, key, type, default, read moment,
// whether the save writes it, and where it lives in memory.
const std::vector<Def>& table() {
    static const std::vector<Def> defs = {
        pathKey("ScheduleFile", "Schedule.dat", S, &St::scheduleFile, Rule::DataFile, &SaveContext::scheduleFilePath),
        pathKey("MemoDataFile", "Memo.dat", S, &St::memoDataFile, Rule::DataFile, &SaveContext::memoFilePath),
        pathKey("Samplefile", NONE_MARKER, SL, &St::samplefile),
        pathKey("PopupWaveFile", NONE_MARKER, L, &St::popupWaveFile),
        intKey(SYS, "CalenFlag", 0, S, true, &St::calenFlag),
        intKey(SYS, "Forth", 0, SL, true, &St::forth, Rule::Forth),
        Def{SYS, "Lastdate", Type::Date, 0, "", NoRead, true, std::monostate{}, Rule::Lastdate},
        intKey(SYS, "STop", 0, S, true, &St::sTop, Rule::HalfHeightMinus200),
        intKey(SYS, "SLeft", 0, S, true, &St::sLeft, Rule::HalfWidthMinus300),
        intKey(SYS, "SHeight", 400, S, true, &St::sHeight),
        intKey(SYS, "SWidth", 600, S, true, &St::sWidth),
        intKey(SYS, "TWidth", 180, S, true, &St::tWidth),
        intKey(SYS, "HIDETREE", 0, S, true, &St::hideTree),
        intKey(SYS, "ASND", 0, S, true, &St::asnd),
        intKey(SYS, "RTUPD", 0, S, true, &St::rtupd),
        intKey(SYS, "ANIME", 0, S, false, &St::anime),
        intKey(SYS, "AutoPaint", 1, S, false, &St::autoPaint),
        intKey(SYS, "MostTopFirst", 1, S, false, &St::mostTopFirst),
        intKey(SYS, "RegStartUp", 0, SL, true, &St::regStartUp),
        intKey(SYS, "WatchWallPaper", 0, S, false, &St::watchWallPaper),
        intKey(SYS, "WaitTime", 0, S, false, &St::waitTime),
        intKey(SYS, "BackUpCheck", 0, SL, true, &St::backUpCheck),
        intKey(SYS, "BackUpCount", 0, SL, true, &St::backUpCount),
        textKey(SYS, "PtnStr", "000001", S, true, &St::ptnStr, Rule::PadToSeven),
        intKey(SYS, "PopupWithPtn", 0, S, true, &St::popupWithPtn),
        intKey(SYS, "BORDER", 0, S, true, &St::border),
        intKey(SYS, "TodayPop", 0, SL, true, &St::todayPop),
        intKey(SYS, "ShutDownReset", 0, L, false, &St::shutDownReset),
        intKey(SYS, "Kaishi", 0, L, true, &St::kaishi),
        intKey(SYS, "DISPYOBI", 0, L, true, &St::dispYobi),
        intKey(SYS, "GetDeskTop", 0, L, false, &St::getDeskTop),
        intKey(SYS, "WakuFlag", 0, L, true, &St::wakuFlag),
        intKey(SYS, "FullFont", 0, L, true, &St::fullFont),
        intKey(SYS, "YMRight", 0, L, true, &St::ymRight),
        intKey(SYS, "DrawArrow", 1, L, true, &St::drawArrow),
        intKey(SYS, "TodayMark", 0, L, true, &St::todayMark),
        intKey(SYS, "SchDisp", 0, L, true, &St::schDisp),
        intKey(SYS, "ShadowWidth", 0, L, true, &St::shadowWidth),
        intKey(SYS, "SchTitle", 0, L, true, &St::schTitle),
        intKey(SYS, "DrawUL", 0, L, true, &St::drawUL),
        intKey(SYS, "EditFont", 0, L, true, &St::editFont),
        intKey(SYS, "PopupOpt", 0, L, true, &St::popupOpt),
        intKey(SYS, "PrintOpt", 0, L, false, &St::printOpt),
        intKey(SYS, "Rikuyou", 0, L, true, &St::rikuyou),
        intKey(SYS, "Kyureki", 0, L, true, &St::kyureki),
        intKey(SYS, "Bunkatu", 0, L, true, &St::bunkatu),
        intKey(SYS, "Center", 0, SL, true, &St::center),
        intKey(SYS, "WPLink", 0, L, true, &St::wpLink),
        intKey(SYS, "QV", 0, L, true, &St::qv),
        intKey(SYS, "SWAP", 0, L, true, &St::swap),
        intKey(SYS, "ADJST", 99, L, true, &St::adjst),
        textKey(SYS, "WEEKNAME", "Ｓｕｎ,Ｍｏｎ,Ｔｕｅ,Ｗｅｄ,Ｔｈｕ,Ｆｒｉ,Ｓａｔ", L, true, &St::weekName,
                Rule::SingleQuoted),
        Def{SYS, "OutPtn1", Type::Text, 0, "仕事", L, true, std::monostate{}},
        Def{SYS, "OutPtn2", Type::Text, 0, "個人", L, true, std::monostate{}},
        Def{SYS, "OutPtn3", Type::Text, 0, "その他１", L, true, std::monostate{}},
        Def{SYS, "OutPtn4", Type::Text, 0, "その他２", L, true, std::monostate{}},
        Def{SYS, "OutPtn5", Type::Text, 0, "その他３", L, true, std::monostate{}},
        Def{SYS, "OutPtn6", Type::Text, 0, "常に表示", L, true, std::monostate{}},
        textKey(SYS, "OutPtnChr", "★,★,★,★,★,★,★", L, false, &St::outPtnChr),
        intKey(SYS, "RefreshColor", 0, L, true, &St::refreshColor),
        boolKey("Furikae", true, &St::furikae),
        boolKey("FillBackGround", true, &St::fillBackGround),
        intKey(SYS, "FBGColor", 0, L, true, &St::fbgColor),
        intKey(SYS, "FBGTrans", 100, L, true, &St::fbgTrans),

        colourKey("SCALE", 0, &St::scale),
        colourKey("NORMAL", 0, &St::normal),
        colourKey("SAT", 16744576, &St::sat),
        colourKey("SUN", 255, &St::sun),
        colourKey("TODAY", 65280, &St::today),
        colourKey("SHADOW", 0, &St::shadow),
        textKey("COLOR", "TITLETEXT", "Velmora", L, true, &St::titleText),
        intKey("COLOR", "MiniSize", 1, L, false, &St::miniSize),
        intKey("COLOR", "MoreMark", 1, L, false, &St::moreMark),
        intKey("COLOR", "YOHAKUT", 0, L, true, &St::yohakuT),
        intKey("COLOR", "YOHAKUB", 0, L, true, &St::yohakuB),
        intKey("COLOR", "YOHAKUL", 0, L, true, &St::yohakuL),
        intKey("COLOR", "YOHAKUR", 0, L, true, &St::yohakuR),
        margin2("YOHAKUT2", &St::yohakuT2, &St::yohakuT),
        margin2("YOHAKUB2", &St::yohakuB2, &St::yohakuB),
        margin2("YOHAKUL2", &St::yohakuL2, &St::yohakuL),
        margin2("YOHAKUR2", &St::yohakuR2, &St::yohakuR),
        intKey("COLOR", "YDrawCol", 4, L, true, &St::yDrawCol),
        intKey("COLOR", "YDrawRow", 4, L, true, &St::yDrawRow),
        intKey("COLOR", "YDrawTate", 0, L, true, &St::yDrawTate),
        intKey("COLOR", "YDrawPos", -1, L, true, &St::yDrawPos),
        fontKey("SchNAME", Type::FontFace, FontPart::Schedule, 0, kRoundGothic, L),
        fontKey("SchSIZE", Type::FontSize, FontPart::Schedule, 0, "", L),
        fontKey("MOJI", Type::FontColour, FontPart::Schedule, 65280, "", L),
        fontKey("NAME", Type::FontFace, FontPart::Title, 0, kRoundGothic, L),
        fontKey("TITLESIZE", Type::FontSize, FontPart::Title, 40, "", L),
        fontKey("TITLE", Type::FontColour, FontPart::Title, 8388863, "", L),
        fontKey("BOLD", Type::FontBold, FontPart::Title, 0, "", L),
        fontKey("ITALIC", Type::FontItalic, FontPart::Title, 1, "", L),
        fontKey("FNAME", Type::FontFace, FontPart::Fusen, 0, kRoundGothic, S),
        fontKey("FUSENSIZE", Type::FontSize, FontPart::Fusen, 16, "", S),
        fontKey("FUSEN", Type::FontColour, FontPart::Fusen, 8388863, "", S),
        fontKey("FBOLD", Type::FontBold, FontPart::Fusen, 0, "", S),
        fontKey("FITALIC", Type::FontItalic, FontPart::Fusen, 1, "", S),
        fontKey("HOLIDAY", Type::FontColour, FontPart::Holiday, 8388863, "", L),

        intKey("Desktop", "TileWallpaper", 0, L, false, &St::tileWallpaper),
    };
    return defs;
}

// The order in which the save writes the font keys of COLOR, after the FONT section.
constexpr std::array<const char*, 14> kFontKeyWriteOrder = {
    "HOLIDAY", "TITLE",   "NAME",      "BOLD",  "ITALIC",  "TITLESIZE", "FNAME",
    "FBOLD",   "FITALIC", "FUSENSIZE", "FUSEN", "SchNAME", "SchSIZE",   "MOJI",
};

const Def* findDef(std::string_view section, std::string_view key) {
    for (const Def& d : table()) {
        if (section == d.section && key == d.key) {
            return &d;
        }
    }
    return nullptr;
}

// A COLOR font key by name; the names come only from this file.
const Def& def(std::string_view key) {
    const Def* d = findDef("COLOR", key);
    if (!d) {
        std::abort();
    }
    return *d;
}

bool isFontKey(const Def& d) {
    return d.type >= Type::FontFace;
}

std::string* outPtnField(Settings& s, const Def& d) {
    const std::string_view key = d.key;
    if (key.size() == 7 && key.substr(0, 6) == "OutPtn" && key[6] >= '1' && key[6] <= '6') {
        return &s.outPtn[static_cast<std::size_t>(key[6] - '1')];
    }
    return nullptr;
}
const std::string* outPtnField(const Settings& s, const Def& d) {
    return outPtnField(const_cast<Settings&>(s), d);
}

int intDefault(const Settings& s, const Def& d, const ScreenSize& screen) {
    switch (d.rule) {
    case Rule::HalfHeightMinus200:
        return screen.height / 2 - 200;
    case Rule::HalfWidthMinus300:
        return screen.width / 2 - 300;
    case Rule::SameAs:
        return s.*(d.sameAs);
    default:
        return d.intDefault;
    }
}

// Reads one plain (non-font) key into its field.
void readKey(Settings& s, const ProfileFile& file, const Def& d, const ScreenSize& screen) {
    if (std::string* ptn = outPtnField(s, d)) {
        *ptn = file.readString(d.section, d.key, d.textDefault);
        return;
    }
    std::visit(
        [&](auto member) {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, int Settings::*>) {
                s.*member = file.readInteger(d.section, d.key, intDefault(s, d, screen));
            } else if constexpr (std::is_same_v<M, bool Settings::*>) {
                s.*member = file.readBool(d.section, d.key, d.intDefault != 0);
            } else if constexpr (std::is_same_v<M, std::string Settings::*>) {
                std::string v = file.readString(d.section, d.key, d.textDefault);
                if (d.type == Type::Path) {
                    v = pathFromSetting(v);
                }
                if (d.rule == Rule::PadToSeven && v.size() < 7) {
                    // Every item of the pattern menu needs its character.
                    v.append(7 - v.size(), '0');
                }
                s.*member = std::move(v);
            }
        },
        d.field);
}

int readFontInt(const ProfileFile& file, const char* key) {
    const Def& d = def(key);
    return file.readInteger(d.section, d.key, d.intDefault);
}

std::string readFontFace(const ProfileFile& file, const char* key) {
    const Def& d = def(key);
    return file.readString(d.section, d.key, d.textDefault);
}

std::string fontKeyName(FontPart part, const char* suffix) {
    return std::string(fontPartName(part)) + suffix;
}

// A FONT entry over `target`, with `fallback` supplying what the file lacks.
void readFontEntry(const ProfileFile& file, FontPart part, FontSetting& target, const FontSetting& fallback) {
    const FontSetting def = fallback;
    target.face = file.readString("FONT", fontKeyName(part, "_FontName"), def.face);
    const std::string size = file.readString("FONT", fontKeyName(part, "_FontSize"), std::to_string(def.size));
    int parsed = 0;
    const auto [end, ec] = std::from_chars(size.data(), size.data() + size.size(), parsed);
    if (ec == std::errc() && end == size.data() + size.size()) {
        target.size = parsed;
    }
    const std::string colour = file.readString("FONT", fontKeyName(part, "_FontColor"), colourToText(def.colour));
    // A colour text that does not read keeps the fallback's colour.
    target.colour = colourFromText(colour).value_or(def.colour);
    applyFontStyleText(target, file.readString("FONT", fontKeyName(part, "_FontStyle"), fontStyleText(def)));
}

// The value of a font key of COLOR from the fonts in memory.
std::string fontKeyValue(const Settings& s, const Def& d) {
    const FontSetting& f = s.font(d.fontPart);
    switch (d.type) {
    case Type::FontFace:
        return f.face;
    case Type::FontSize:
        return std::to_string(f.size);
    case Type::FontColour:
        return std::to_string(f.colour);
    case Type::FontBold:
        return f.bold ? "1" : "0";
    case Type::FontItalic:
        return f.italic ? "1" : "0";
    default:
        return {};
    }
}

std::string plainValue(const Settings& s, const Def& d, const SaveContext& context) {
    switch (d.rule) {
    case Rule::DataFile: {
        const std::string& path = context.*(d.dataPath);
        return path.empty() ? s.*(std::get<std::string Settings::*>(d.field))
                            : relativeSettingPath(context.programDir, path);
    }
    case Rule::Forth:
        return std::to_string(context.displayMonth.dayNumber() != context.thisMonthStart.dayNumber()
                                  ? context.displayMonth.dayNumber()
                                  : 0);
    case Rule::Lastdate:
        return formatDate(context.today);
    default:
        break;
    }
    if (isFontKey(d)) {
        return fontKeyValue(s, d);
    }
    if (const std::string* ptn = outPtnField(s, d)) {
        return *ptn;
    }
    return std::visit(
        [&](auto member) -> std::string {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, int Settings::*>) {
                return std::to_string(s.*member);
            } else if constexpr (std::is_same_v<M, bool Settings::*>) {
                return s.*member ? "1" : "0";
            } else if constexpr (std::is_same_v<M, std::string Settings::*>) {
                return s.*member;
            } else {
                return {};
            }
        },
        d.field);
}

bool isAllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// SCHFILE and MEMODATA hold bare full paths in memory. The program writes
// keys 0, 1, ...; any numbered key is expanded, so an eleventh entry ("10")
// is not left as a "key=value" line masquerading as a path.
std::vector<std::string> readRecentFiles(const ProfileFile& file, std::string_view section,
                                         const StartupReadContext& context,
                                         std::map<std::string, std::string>& storedTexts) {
    std::vector<std::string> paths;
    const NameValueList lines = file.readSection(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isAllDigits(lines.name(i))) {
            const std::string v = lines.valueAt(i);
            paths.push_back(context.expandPath ? context.expandPath(v) : absolutePath(context.programDir, v));
            storedTexts.emplace(paths.back(), v);
        } else {
            paths.push_back(lines.line(i));
        }
    }
    return paths;
}

// The text a recent file is written as: as the user wrote it while the entry
// is one read from the file, else relative to the program folder.
std::string recentEntryText(const Settings& s, const std::string& programDir, const std::string& path) {
    if (const auto stored = s.recentFileTexts.find(path); stored != s.recentFileTexts.end()) {
        return stored->second;
    }
    return path.find('=') != std::string::npos && path.front() != '/' ? path : relativeSettingPath(programDir, path);
}

bool isBareLine(const NameValueList& list, std::size_t i) {
    return list.line(i).find('=') == std::string::npos;
}

// A line without "=" is listed under its whole text, with no value.
void appendList(std::vector<SettingValue>& out, const char* section, const NameValueList& list, bool written,
                bool numbered) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::string key = list.name(i);
        if (numbered) {
            key = std::to_string(i);
        } else if (isBareLine(list, i)) {
            key = list.line(i);
        }
        out.push_back({section, std::move(key), list.valueAt(i), written});
    }
}

bool isOwnCalendar(const std::string& path) {
    return lowerAscii(fileNameOf(path)) == "calendar.bmp";
}

} // namespace

Settings::Settings(ScreenSize screen) {
    // The main window's own font, before any setting is applied.
    fonts.fill(FontSetting{"ＭＳ Ｐゴシック", 9, kClWindowText});
    // Defaults are what an empty file reads as.
    const ProfileFile empty;
    StartupReadContext context{"", screen, nullptr};
    readStartup(empty, context, [](const std::string&) { return false; });
    load(empty);
}

void Settings::readStartup(const ProfileFile& file, const StartupReadContext& context,
                           const std::function<bool(const std::string&)>& fileExists) {
    for (const Def& d : table()) {
        if ((d.read & S) && !isFontKey(d)) {
            readKey(*this, file, d, context.screen);
        }
    }
    // The base wallpaper must be a picture of the user's that exists now.
    if (samplefile != kNoneMarker &&
        (isOwnCalendar(samplefile) || !fileExists || !fileExists(absolutePath(context.programDir, samplefile)))) {
        samplefile = std::string(kNoneMarker);
    }
    // The animated busy cursor belongs to systems this program does not run on.
    anime = 0;

    FontSetting& memo = font(FontPart::Fusen);
    memo.face = readFontFace(file, "FNAME");
    memo.bold = readFontInt(file, "FBOLD") == 1;
    memo.italic = readFontInt(file, "FITALIC") == 1;
    memo.size = readFontInt(file, "FUSENSIZE");
    memo.colour = readFontInt(file, "FUSEN");

    holidayList = file.readSection("HOLIDAY");
    defaultColours = file.readSection("DefColor");
    recentFileTexts.clear();
    recentScheduleFiles = readRecentFiles(file, "SCHFILE", context, recentFileTexts);
    recentMemoFiles = readRecentFiles(file, "MEMODATA", context, recentFileTexts);
}

void Settings::load(const ProfileFile& file) {
    for (const Def& d : table()) {
        if ((d.read & L) && !isFontKey(d)) {
            // No key read here has a default that depends on the screen.
            readKey(*this, file, d, ScreenSize{});
        }
    }
    menuOptions = file.readSection("MENUOPT");
    // Our own output under the calendar would stack a calendar on the last
    // one at every pass. A missing picture is kept here: its drive may come back.
    if (isOwnCalendar(samplefile)) {
        samplefile = std::string(kNoneMarker);
    }

    FontSetting& schedule = font(FontPart::Schedule);
    readFontEntry(file, FontPart::Schedule, schedule, schedule);
    schedule.face = readFontFace(file, "SchNAME");
    schedule.size = readFontInt(file, "SchSIZE");
    schedule.colour = readFontInt(file, "MOJI");

    FontSetting& title = font(FontPart::Title);
    readFontEntry(file, FontPart::Title, title, schedule);
    title.colour = readFontInt(file, "TITLE");
    title.size = readFontInt(file, "TITLESIZE");
    title.face = readFontFace(file, "NAME");
    applyFontStyleText(title, "");
    title.bold = readFontInt(file, "BOLD") == 1;
    title.italic = readFontInt(file, "ITALIC") == 1;

    // Keys the file lacks keep the memo font read at start-up from its own
    // COLOR keys, rather than turning the memo font into the schedule font.
    FontSetting& memo = font(FontPart::Fusen);
    readFontEntry(file, FontPart::Fusen, memo, memo);

    for (FontPart p : {FontPart::Holiday, FontPart::YearMonth, FontPart::Yobi, FontPart::Date, FontPart::Kyureki,
                       FontPart::Year, FontPart::YobiYear, FontPart::MonthYear}) {
        readFontEntry(file, p, font(p), title);
    }
    readFontEntry(file, FontPart::DateYear, font(FontPart::DateYear), schedule);
    font(FontPart::Holiday).colour = readFontInt(file, "HOLIDAY");
}

std::vector<SettingValue> Settings::values(const SaveContext& context) const {
    std::vector<SettingValue> out;
    const auto plainRows = [&](std::string_view section) {
        for (const Def& d : table()) {
            if (d.section == section) {
                out.push_back({d.section, d.key, plainValue(*this, d, context), d.written});
            }
        }
    };
    plainRows("SYSTEM");
    plainRows("COLOR");
    for (std::size_t i = 0; i < kFontPartCount; ++i) {
        const auto part = static_cast<FontPart>(i);
        const FontSetting& f = fonts[i];
        out.push_back({"FONT", fontKeyName(part, "_FontName"), f.face, true});
        out.push_back({"FONT", fontKeyName(part, "_FontSize"), std::to_string(f.size), true});
        out.push_back({"FONT", fontKeyName(part, "_FontColor"), colourToText(f.colour), true});
        out.push_back({"FONT", fontKeyName(part, "_FontStyle"), fontStyleText(f), true});
    }
    plainRows("Desktop");
    appendList(out, "HOLIDAY", holidayList, false, false);
    appendList(out, "DefColor", defaultColours, true, true);
    for (std::size_t i = 0; i < recentScheduleFiles.size(); ++i) {
        out.push_back(
            {"SCHFILE", std::to_string(i), recentEntryText(*this, context.programDir, recentScheduleFiles[i]), true});
    }
    for (std::size_t i = 0; i < recentMemoFiles.size(); ++i) {
        out.push_back(
            {"MEMODATA", std::to_string(i), recentEntryText(*this, context.programDir, recentMemoFiles[i]), true});
    }
    appendList(out, "MENUOPT", menuOptions, true, false);
    return out;
}

bool Settings::save(ProfileFile& file, const SaveContext& context, std::string* error,
                    const AtomicWriteOptions& options) const {
    if (file.loadFailed()) {
        // What could not be read (HOLIDAY, keys of other versions) would be lost.
        return file.save(error, options);
    }
    const std::vector<SettingValue> all = values(context);
    const auto find = [&](std::string_view section, std::string_view key) -> const SettingValue* {
        for (const SettingValue& v : all) {
            if (v.section == section && v.key == key) {
                return &v;
            }
        }
        return nullptr;
    };

    std::string bad;
    const auto put = [&](const SettingValue& v) {
        std::string value = v.value;
        const Def* d = findDef(v.section, v.key);
        if (d && d->rule == Rule::SingleQuoted) {
            value = "'" + value + "'";
        }
        if (!file.writeString(v.section, v.key, value) && bad.empty()) {
            bad = v.section + "/" + v.key;
        }
    };
    const auto writeList = [&](std::string_view section, const NameValueList& lines) {
        file.eraseSection(section);
        if (!lines.empty() && !file.writeSection(section, lines) && bad.empty()) {
            bad = std::string(section);
        }
    };
    const auto putList = [&](std::string_view section) {
        NameValueList lines;
        for (const SettingValue& v : all) {
            if (v.section == section) {
                lines.append(v.key, v.value);
            }
        }
        writeList(section, lines);
    };

    for (const SettingValue& v : all) {
        const Def* d = findDef(v.section, v.key);
        if (v.written && d && !isFontKey(*d)) {
            put(v);
        }
    }
    // MENUOPT goes back as held, a line without "=" included.
    writeList("MENUOPT", menuOptions);
    for (const char* section : {"DefColor", "SCHFILE", "MEMODATA"}) {
        putList(section);
    }
    for (const SettingValue& v : all) {
        if (v.section == "FONT") {
            put(v);
        }
    }
    for (const char* key : kFontKeyWriteOrder) {
        put(*find("COLOR", key));
    }
    if (!bad.empty()) {
        if (error) {
            *error = "設定に保存できない文字があります (" + bad + ")";
        }
        return false;
    }
    return file.save(error, options);
}

} // namespace velmora
