#pragma once

#include "core/DateValue.h"
#include "core/NameValueList.h"
#include "core/ProfileFile.h"
#include "settings/ColorText.h"
#include "settings/FontSetting.h"

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velmora {

// The literal a file-name setting holds when it names no file.
inline constexpr std::string_view kNoneMarker = "（なし）";

struct ScreenSize {
    int width = 1920;
    int height = 1080;
};

// What the start-up read needs of the program's state.
struct StartupReadContext {
    std::string programDir; // with its trailing separator
    ScreenSize screen;
    // Full path of a file name read from the settings, as the data files are
    // resolved (relative to the program folder, network drives in their UNC form).
    std::function<std::string(const std::string&)> expandPath;
};

// What the save derives from the program's state rather than from the settings.
struct SaveContext {
    std::string programDir;
    std::string scheduleFilePath;
    std::string memoFilePath;
    DateValue displayMonth;
    DateValue thisMonthStart;
    DateValue today;
};

// One setting as the save writes it (or, for a key the program only reads,
// as it is held): the lines of the settings dump.
struct SettingValue {
    std::string section;
    std::string key;
    std::string value;
    bool written = false;
};

// The settings file in memory: plain values with their defaults, read at the
// two moments of start-up and saved back. Every key is declared once, in the
// table of Settings.cpp, which the read, the load, the save and the dump walk.
struct Settings {
    explicit Settings(ScreenSize screen = {});

    // Start-up read: every key read at start-up, the fixed lists (HOLIDAY,
    // DefColor, SCHFILE, MEMODATA) and the memo font's first form. The base
    // wallpaper check is applied here; `fileExists` answers for it.
    void readStartup(const ProfileFile& file, const StartupReadContext& context,
                     const std::function<bool(const std::string&)>& fileExists);
    // Settings load: every key read at load, and the fonts in their order.
    void load(const ProfileFile& file);

    // Every setting in section and table order, with the values the save writes.
    std::vector<SettingValue> values(const SaveContext& context) const;
    // Writes every written key into `file` (as loaded from disk) and saves it
    // atomically. On failure (a file whose load failed included) nothing is
    // written, false is returned and *error holds a Japanese reason.
    bool save(ProfileFile& file, const SaveContext& context, std::string* error = nullptr,
              const AtomicWriteOptions& options = {}) const;

    // Fonts by part.
    FontSetting& font(FontPart p) { return fonts[static_cast<std::size_t>(p)]; }
    const FontSetting& font(FontPart p) const { return fonts[static_cast<std::size_t>(p)]; }

    // SYSTEM
    std::string scheduleFile, memoDataFile, samplefile, popupWaveFile;
    int calenFlag = 0, forth = 0;
    int sTop = 0, sLeft = 0, sHeight = 0, sWidth = 0, tWidth = 0, hideTree = 0;
    int asnd = 0, rtupd = 0, anime = 0, autoPaint = 0, mostTopFirst = 0, regStartUp = 0;
    int watchWallPaper = 0, waitTime = 0, backUpCheck = 0, backUpCount = 0;
    std::string ptnStr;
    int popupWithPtn = 0, border = 0, todayPop = 0, shutDownReset = 0;
    int kaishi = 0, dispYobi = 0, getDeskTop = 0, wakuFlag = 0, fullFont = 0, ymRight = 0, drawArrow = 0;
    int todayMark = 0, schDisp = 0, shadowWidth = 0, schTitle = 0, drawUL = 0, editFont = 0, popupOpt = 0;
    int printOpt = 0, rikuyou = 0, kyureki = 0, bunkatu = 0, center = 0, wpLink = 0, qv = 0, swap = 0;
    int adjst = 0;
    std::string weekName;
    std::array<std::string, 6> outPtn;
    std::string outPtnChr;
    int refreshColor = 0;
    bool furikae = true, fillBackGround = true;
    int fbgColor = 0, fbgTrans = 0;

    // COLOR (the font keys of the section live in `fonts`)
    Colour scale = 0, normal = 0, sat = 0, sun = 0, today = 0, shadow = 0;
    std::string titleText;
    int miniSize = 0;
    int moreMark = 0; // 0: entries that do not fit a cell vanish without the "他N件" line end
    int yohakuT = 0, yohakuB = 0, yohakuL = 0, yohakuR = 0;
    int yohakuT2 = 0, yohakuB2 = 0, yohakuL2 = 0, yohakuR2 = 0;
    int yDrawCol = 0, yDrawRow = 0, yDrawTate = 0, yDrawPos = 0;

    // Desktop
    int tileWallpaper = 0;

    std::array<FontSetting, kFontPartCount> fonts;

    NameValueList holidayList;                    // HOLIDAY: "mm/dd=name"
    NameValueList defaultColours;                 // DefColor
    std::vector<std::string> recentScheduleFiles; // SCHFILE, full paths, current first
    std::vector<std::string> recentMemoFiles;     // MEMODATA
    NameValueList menuOptions;                    // MENUOPT: caption=OFF hides a tray item
    // Full path of a recent file -> the text SCHFILE or MEMODATA held for it.
    // An entry still in the lists is written back as the user wrote it, which
    // making its path relative again cannot always give ("\\server\share\x.dat").
    std::map<std::string, std::string> recentFileTexts;
};

} // namespace velmora
