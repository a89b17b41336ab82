#include "app/TrayMenu.h"

#include "core/PathText.h"
#include "schedule/Backup.h"
#include "settings/Settings.h"

namespace velmora {

namespace {

MenuEntry item(std::string name, std::string caption, bool enabled = true) {
    MenuEntry e;
    e.name = std::move(name);
    e.caption = std::move(caption);
    e.enabled = enabled;
    return e;
}

MenuEntry check(std::string name, std::string caption, bool checked) {
    MenuEntry e = item(std::move(name), std::move(caption));
    e.checkable = true;
    e.checked = checked;
    return e;
}

MenuEntry separator() {
    MenuEntry e;
    e.caption = "-";
    e.separator = true;
    return e;
}

bool samePath(const std::string& a, const std::string& b) {
    return lowerAscii(a) == lowerAscii(b);
}

// The first item, then one per recent file: caption the path, the current one checked.
MenuEntry recentFiles(std::string name, std::string caption, std::string first, const std::string& prefix,
                      const std::string& suffix, const std::vector<std::string>& recent, const std::string& current) {
    MenuEntry menu = item(std::move(name), std::move(caption));
    menu.children.push_back(item(menu.name + "Open", std::move(first)));
    int n = 1;
    for (const std::string& path : recent) {
        MenuEntry e = check(prefix + std::to_string(n++) + suffix, path, samePath(path, current));
        e.data = path;
        menu.children.push_back(e);
    }
    return menu;
}

MenuEntry printMenu(const MenuInputs& in) {
    const bool canPrint = in.hasPrinting && in.printerAvailable;
    MenuEntry print = item("Print", "印刷する", canPrint);
    print.children = {item("PrintCalendar", "カレンダー部のみ", canPrint),
                      item("PrintWallpaper", "壁紙全体", canPrint)};
    return print;
}

} // namespace

std::vector<MenuEntry> buildTrayMenu(const MenuInputs& in) {
    const Settings& s = in.settings;
    std::vector<MenuEntry> menu;
    menu.push_back(item("OptionBtn", "描画オプション設定", in.hasOptionsDialog));
    menu.push_back(item("CreateMemoBtn", "メモを作成する", in.hasMemoWindows));
    menu.push_back(item("Trash", "メモの引き出し", in.hasMemoWindows));
    menu.push_back(item("CalInputBtn", "カレンダー表示"));
    menu.push_back(item("FormPrint2", "カレンダーを印刷", in.hasPrinting && in.printerAvailable));

    MenuEntry patterns = item("OutParent", "出力パターン");
    const std::string& ptn = s.ptnStr;
    const auto on = [&](std::size_t i) { return i < ptn.size() && ptn[i] == '1'; };
    for (std::size_t i = 0; i < 5; ++i) {
        patterns.children.push_back(check("SelPtn" + std::to_string(i + 1), s.outPtn[i], on(i)));
    }
    patterns.children.push_back(check("Others", "上記を除く", on(5)));
    patterns.children.push_back(check("DispAll", "全て表示", on(6)));
    menu.push_back(patterns);

    menu.push_back(check("CutLink", "一時的に壁紙を切断", in.cutLink));
    menu.push_back(recentFiles("ScheduleChange", "ｽｹｼﾞｭｰﾙの切り替え", "ファイルを開く", "OpenSch", "",
                               s.recentScheduleFiles, in.scheduleFilePath));
    menu.push_back(
        recentFiles("MemoDataChange", "メモの切り替え", "開く", "OpenMemo", "", s.recentMemoFiles, in.memoFilePath));

    MenuEntry startup = item("N3", "スタートアップへ登録");
    startup.children = {check("RegStartUp0", "登録しない", s.regStartUp == 0),
                        check("RegStartUp1", "登録する（常駐）", s.regStartUp == 1),
                        check("RegStartUp2", "登録する（非常駐）", s.regStartUp == 2)};
    menu.push_back(startup);

    MenuEntry restore = item("BU", "バックアップより復元");
    menu.push_back(restore);
    menu.push_back(item("help1", "ヘルプ"));
    menu.push_back(separator());
    menu.push_back(item("TerminateBtn3", "終了する"));

    for (MenuEntry& e : menu) {
        if (!e.separator && s.menuOptions.value(e.caption) == "OFF") {
            e.visible = false;
        }
    }
    // Without the desktop link the options are the only way to switch it back on.
    if (s.wpLink == 0) {
        menu.front().visible = true;
    }

    MenuEntry& backups = menu[10];
    if (backups.visible) {
        MenuEntry schedule = item("BUSchParent", "スケジュールデータの復元");
        for (const RestoreItem& r : restoreMenu(BackupKind::Schedule, in.programDir, in.scheduleFilePath)) {
            schedule.children.push_back(item(r.name, r.caption, r.enabled));
        }
        MenuEntry memo = item("BUMemoParent", "メモデータの復元");
        for (const RestoreItem& r : restoreMenu(BackupKind::Memo, in.programDir, in.memoFilePath)) {
            memo.children.push_back(item(r.name, r.caption, r.enabled));
        }
        // A generation-less kind is a plain, disabled item: an empty submenu would still show its arrow.
        schedule.enabled = !schedule.children.empty();
        memo.enabled = !memo.children.empty();
        backups.children = {schedule, memo};
    }
    return menu;
}

std::vector<MenuEntry> buildCalendarMenu(const MenuInputs& in) {
    return {item("MinimizeBtn2", "最小化する"), printMenu(in),
            recentFiles("ScheduleChange2", "ｽｹｼﾞｭｰﾙの切り替え", "開く", "OpenSch", "2", in.settings.recentScheduleFiles,
                        in.scheduleFilePath),
            item("TerminateBtn1", "終了する")};
}

bool trayButtonOpensList(TrayButton button, int popupOpt) {
    switch (button) {
    case TrayButton::Middle:
        return true;
    case TrayButton::Left:
        return popupOpt != 1;
    case TrayButton::Right:
        return popupOpt == 1;
    }
    return false;
}

} // namespace velmora
