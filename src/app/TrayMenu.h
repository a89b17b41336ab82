#pragma once

#include <string>
#include <vector>

namespace velmora {

struct Settings;

// One item of the tray menu or of the calendar window's menu, as data: the
// window layer turns it into a menu each time one opens.
struct MenuEntry {
    std::string name;    // "OptionBtn", "OpenSch1", "BUSch3", ...
    std::string caption; // as shown
    bool visible = true;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    bool separator = false;
    std::string data; // the file of a recent-file item
    std::vector<MenuEntry> children;
};

// What the menus show besides the settings.
struct MenuInputs {
    const Settings& settings;
    std::string programDir;
    std::string scheduleFilePath;
    std::string memoFilePath;
    bool cutLink = false;
    bool printerAvailable = false;
    // Commands whose windows the program has; the others stay visible but disabled.
    bool hasOptionsDialog = false;
    bool hasMemoWindows = false;
    bool hasPrinting = false;
};

// The tray menu as it opens: the fixed items in their order, hidden by
// MENUOPT ("描画オプション設定" never while WPLink is 0), the pattern names and
// checks, the recent data files (the current one checked) and the backup
// generations (only those of the files in use enabled).
std::vector<MenuEntry> buildTrayMenu(const MenuInputs& inputs);

// The full-screen calendar window's menu.
std::vector<MenuEntry> buildCalendarMenu(const MenuInputs& inputs);

// True when `button` on the tray icon opens the schedule list rather than
// the menu: the middle button always, the left one unless PopupOpt is 1, the
// right one when it is.
enum class TrayButton { Left, Right, Middle };
bool trayButtonOpensList(TrayButton button, int popupOpt);

} // namespace velmora
