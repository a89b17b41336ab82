// The tray menu as it opens, and the commands behind its check items.
#include "app/TrayMenu.h"
#include "app/HubTestSupport.h"
#include "platform/Autostart.h"
#include "schedule/Backup.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmora;
using velmora::test::HubFixture;

namespace {

std::vector<std::string> captions(const std::vector<MenuEntry>& menu, bool visibleOnly = false) {
    std::vector<std::string> out;
    for (const MenuEntry& e : menu) {
        if (!visibleOnly || e.visible) {
            out.push_back(e.caption);
        }
    }
    return out;
}

const MenuEntry& named(const std::vector<MenuEntry>& menu, const std::string& name) {
    for (const MenuEntry& e : menu) {
        if (e.name == name) {
            return e;
        }
    }
    static const MenuEntry none;
    ADD_FAILURE() << "no item " << name;
    return none;
}

} // namespace

TEST(TrayMenu, TheItemsInTheirOrderHiddenByMenuOpt) {
    Settings s;
    s.ptnStr = "0100010";
    s.outPtn = {"会社", "家", "その他１", "その他２", "その他３", "常に表示"};
    MenuInputs in{s, "/p/", "/d/Schedule.dat", "/d/Memo.dat"};
    const auto menu = buildTrayMenu(in);
    EXPECT_EQ(captions(menu),
              (std::vector<std::string>{"描画オプション設定", "メモを作成する", "メモの引き出し", "カレンダー表示",
                                        "カレンダーを印刷", "出力パターン", "一時的に壁紙を切断", "ｽｹｼﾞｭｰﾙの切り替え",
                                        "メモの切り替え", "スタートアップへ登録", "バックアップより復元", "ヘルプ", "-",
                                        "終了する"}));
    const MenuEntry& patterns = named(menu, "OutParent");
    EXPECT_EQ(captions(patterns.children),
              (std::vector<std::string>{"会社", "家", "その他１", "その他２", "その他３", "上記を除く", "全て表示"}));
    std::string checks;
    for (const MenuEntry& e : patterns.children) {
        checks += e.checked ? '1' : '0';
    }
    EXPECT_EQ(checks, "0100010") << "the marks mirror PtnStr";
    // Windows that do not exist yet: shown, never a dead click.
    EXPECT_FALSE(named(menu, "OptionBtn").enabled);
    EXPECT_FALSE(named(menu, "CreateMemoBtn").enabled);
    EXPECT_FALSE(named(menu, "FormPrint2").enabled);
    EXPECT_TRUE(named(menu, "CalInputBtn").enabled);

    s.menuOptions.append("カレンダー表示", "OFF");
    s.menuOptions.append("描画オプション設定", "OFF");
    s.menuOptions.append("ヘルプ", "ON");
    s.wpLink = 0;
    auto hidden = captions(buildTrayMenu(in), true);
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), "カレンダー表示"), 0);
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), "描画オプション設定"), 1) << "kept while WPLink is 0";
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), "ヘルプ"), 1);
    s.wpLink = 1;
    hidden = captions(buildTrayMenu(in), true);
    EXPECT_EQ(std::count(hidden.begin(), hidden.end(), "描画オプション設定"), 0);
}

TEST(TrayMenu, RecentFilesAndBackupsAreRebuiltAtEveryOpening) {
    HubFixture f;
    f.start();
    Settings& s = f.hub.settings();
    const std::string current = f.hub.schedule().path();
    s.recentScheduleFiles = {current, "/share/Team.dat"};
    MenuInputs in{s, f.home.dir(), current, f.hub.memos().path()};
    const MenuEntry switcher = named(buildTrayMenu(in), "ScheduleChange");
    ASSERT_EQ(switcher.children.size(), 3u);
    EXPECT_EQ(switcher.children[0].caption, "ファイルを開く");
    EXPECT_EQ(switcher.children[1].name, "OpenSch1");
    EXPECT_TRUE(switcher.children[1].checked);
    EXPECT_EQ(switcher.children[2].caption, "/share/Team.dat");
    EXPECT_FALSE(switcher.children[2].checked);
    const auto calendarMenu = buildCalendarMenu(in);
    EXPECT_EQ(captions(calendarMenu),
              (std::vector<std::string>{"最小化する", "印刷する", "ｽｹｼﾞｭｰﾙの切り替え", "終了する"}));
    EXPECT_EQ(named(calendarMenu, "ScheduleChange2").children[2].name, "OpenSch22");

    // Without generations both restore items are disabled and hold nothing (no arrow to an empty menu).
    const MenuEntry emptyRestore = named(buildTrayMenu(in), "BU");
    for (const MenuEntry& kind : emptyRestore.children) {
        EXPECT_FALSE(kind.enabled) << kind.caption;
        EXPECT_TRUE(kind.children.empty()) << kind.caption;
    }

    // A backup of this file is offered; one of another file is listed disabled.
    ASSERT_TRUE(backUp(BackupKind::Schedule, BackupSource{f.home.dir(), current, {}}, 3, f.clock.now()));
    const MenuEntry restore = named(buildTrayMenu(in), "BU");
    ASSERT_EQ(restore.children.size(), 2u);
    ASSERT_EQ(restore.children[0].children.size(), 1u);
    EXPECT_TRUE(restore.children[0].enabled);
    EXPECT_TRUE(restore.children[0].children[0].enabled);
    EXPECT_EQ(restore.children[0].children[0].caption, "2026/05/13 10:00のバックアップ");
    MenuInputs other{s, f.home.dir(), "/share/Team.dat", f.hub.memos().path()};
    EXPECT_FALSE(named(buildTrayMenu(other), "BU").children[0].children[0].enabled);
}

TEST(TrayMenu, OneButtonOpensTheListTheOtherTheMenu) {
    EXPECT_TRUE(trayButtonOpensList(TrayButton::Left, 0));
    EXPECT_FALSE(trayButtonOpensList(TrayButton::Right, 0));
    EXPECT_FALSE(trayButtonOpensList(TrayButton::Left, 1));
    EXPECT_TRUE(trayButtonOpensList(TrayButton::Right, 1));
    EXPECT_TRUE(trayButtonOpensList(TrayButton::Middle, 0));
    EXPECT_TRUE(trayButtonOpensList(TrayButton::Middle, 1));
}

TEST(TrayCommands, APatternItemTogglesItsMarkClosesHiddenRemindersAndRedraws) {
    HubFixture f;
    f.settings("PtnStr=1100000\r\nPopupWithPtn=1\r\n");
    f.start();
    f.runRedraw();
    ScheduleStore& store = f.hub.schedule();
    store.section(ScheduleSection::PopupStat).append("2026/05/13-01", "1");
    store.section(ScheduleSection::PtnOpt).append("2026/05/13-01", "010000"); // 個人 only
    store.section(ScheduleSection::PopupStat).append("2026/05/13-02", "1");
    store.section(ScheduleSection::PtnOpt).append("2026/05/13-02", "110000");
    f.platform.calls.clear();

    f.hub.toggleOutputPattern(1); // 個人 off
    EXPECT_EQ(f.hub.settings().ptnStr, "1000000");
    EXPECT_EQ(f.reminderWindows.closed, (std::vector<std::string>{"2026/05/13-01"}));
    EXPECT_FALSE(store.section(ScheduleSection::PopupStat).contains("2026/05/13-01"));
    EXPECT_TRUE(store.section(ScheduleSection::PopupStat).contains("2026/05/13-02"));
    EXPECT_EQ(f.platform.calls.back(), "calendar calendar.bmp");
}

TEST(TrayCommands, StartUpRegistrationLeavesExactlyOneAutostartFile) {
    HubFixture f;
    f.start();
    test::TempDir config;
    // The autostart folder of this test only, whatever happens in it.
    struct ConfigHome {
        explicit ConfigHome(const std::string& dir) {
            if (const char* was = std::getenv("XDG_CONFIG_HOME")) {
                previous = was;
            }
            setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        }
        ~ConfigHome() {
            if (previous) {
                setenv("XDG_CONFIG_HOME", previous->c_str(), 1);
            } else {
                unsetenv("XDG_CONFIG_HOME");
            }
        }
        std::optional<std::string> previous;
    } configHome(config.dir());
    f.hub.registerStartUp(2, "/opt/velmora/velmora");
    const std::string file = autostartFilePath();
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_NE(test::readBytes(file).find("Exec=/opt/velmora/velmora /0"), std::string::npos);
    EXPECT_NE(test::readBytes(file).find("\nPath=" + f.home.path().string() + "\n"), std::string::npos)
        << "it starts in the program folder";
    f.hub.registerStartUp(1, "/opt/velmora/velmora");
    EXPECT_EQ(test::readBytes(file).find("/0"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config.path() / "autostart"), {}), 1);
    f.hub.registerStartUp(0, "/opt/velmora/velmora");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(f.hub.settings().regStartUp, 0);
}
