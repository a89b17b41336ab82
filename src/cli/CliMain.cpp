#include "cli/CliCommands.h"

#include "core/DateText.h"
#include "platform/StartupEnvironment.h"
#include "render/FontMapping.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>

namespace velmora::cli {

namespace {

constexpr const char* kUsageText =
    "usage: velmora-cli [--home DIR] [--today yyyy/mm/dd] COMMAND [ARGS]\n"
    "\n"
    "  --home DIR     the program folder (default: VELMORA_HOME, else the\n"
    "                 executable's folder, else ~/.local/share/Velmora)\n"
    "  --today DATE   the day the command treats as today (default: the clock)\n"
    "\n"
    "commands:\n"
    "  settings [--save]   print every setting as SECTION<TAB>Key<TAB>value;\n"
    "                      --save then writes the settings file\n"
    "  paths               print where the program's files live\n"
    "  add DATE TEXT [--yes]\n"
    "                      take the schedule lock, add TEXT to DATE (yyyy/mm/dd),\n"
    "                      save and release; --yes answers OK to the owner question\n"
    "  lock [--yes]        take the schedule lock and keep it\n"
    "  unlock              save the schedule file, releasing the lock\n"
    "  watch [--interval MS] [--timeout S]\n"
    "                      watch the schedule file; print its dated entries after\n"
    "                      the first reload (status 1 when none came in time)\n"
    "  backup [schedule|memo|both]\n"
    "                      make a backup generation of the data files in use\n"
    "  backups             list the restore menu: name<TAB>caption<TAB>enabled\n"
    "  restore BUSchN|BUMemoN [--yes]\n"
    "                      restore that generation of the file in use\n"
    "  holidays YEAR [YEAR2]\n"
    "                      every holiday the month calendars of those years show:\n"
    "                      yyyy/mm/dd<TAB>name\n"
    "  oldcal FROM [TO]    old-calendar date, rokuyou and leap flag of each day:\n"
    "                      yyyy/mm/dd<TAB>mm/dd<TAB>rokuyou<TAB>leap\n"
    "  day DATE            what the month calendar's cell of DATE lists:\n"
    "                      kind<TAB>key<TAB>colour<TAB>face<TAB>text\n"
    "  render [--month yyyy/mm] [--view month|year] [--size WxH] [--base FILE]\n"
    "         [--out FILE] [--print FILE.pdf]\n"
    "                      draw the calendar over the base picture into a bitmap\n"
    "  hit X Y [--month yyyy/mm] [--view month|year] [--size WxH] [--alt]\n"
    "                      what a click at X,Y on that picture does: code<TAB>yyyy/mm/dd\n"
    "                      (\"picker\" where the month picker would open)\n"
    "  reminders [--at hh:nn]\n"
    "                      what today's reminders do: now<TAB>key<TAB>text,\n"
    "                      exec<TAB>program<TAB>params, time<TAB>key<TAB>text per\n"
    "                      queued pair; --at then checks that minute:\n"
    "                      fire<TAB>key<TAB>text<TAB>sound|beep|silent\n"
    "  --help, -h          print this text\n"
    "\n"
    "使い方: velmora-cli [--home フォルダ] [--today 年/月/日] コマンド [引数]\n"
    "\n"
    "  --home フォルダ     プログラムフォルダ（省略時: VELMORA_HOME、実行ファイルの\n"
    "                      フォルダ、~/.local/share/Velmora の順）\n"
    "  --today 年/月/日    今日とみなす日\n"
    "\n"
    "コマンド:\n"
    "  settings [--save]   設定の一覧（--save で設定ファイルを保存）\n"
    "  paths               ファイルの場所\n"
    "  add 日付 文字列     予定を追加（ロックして保存）\n"
    "  lock / unlock       予定ファイルのロック / 保存して解除\n"
    "  watch               予定ファイルの更新を待って表示\n"
    "  backup / backups    バックアップの作成 / 一覧\n"
    "  restore 名前        バックアップから復元\n"
    "  holidays 年 [年2]   祝日の一覧\n"
    "  oldcal 開始 [終了]  旧暦と六曜\n"
    "  day 日付            その日のカレンダーに出る予定\n"
    "  render              カレンダーをビットマップ（または PDF）に描画\n"
    "  hit X Y             その位置をクリックしたときの動作\n"
    "  reminders           今日のアラームの判定\n"
    "  --help, -h          この説明を表示\n";

using Command = std::function<int(CliContext&, const std::vector<std::string>&)>;

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        // clang-format off
        {"settings", runSettings},
        {"paths", runPaths},
        {"add", runAdd},
        {"lock", runLock},
        {"unlock", runUnlock},
        {"watch", runWatch},
        {"backup", runBackup},
        {"backups", runBackups},
        {"restore", runRestore},
        {"holidays", runHolidays},
        {"oldcal", runOldCalendar},
        {"day", runDay},
        {"render", runRender},
        {"hit", runHit},
        {"reminders", runReminders},
        // clang-format on
    };
    return table;
}

int usage(std::ostream& err, const std::string& message) {
    if (!message.empty()) {
        err << "velmora-cli: " << message << "\n";
    }
    err << kUsageText;
    return kUsage;
}

} // namespace

StartupState CliContext::startUp() const {
    return runStartup(makeStartupEnvironment(platform, clock, home, today));
}

DateValue CliContext::now() const {
    const DateValue clockNow = clock.now();
    if (!today) {
        return clockNow;
    }
    return DateValue(today->value() + (clockNow.value() - clockNow.dayNumber()));
}

void CliFeedback::showMessage(std::string_view text) {
    m_err << text << "\n";
}

bool CliFeedback::confirm(std::string_view text) {
    m_err << text << (m_answerOk ? " -> OK" : " -> キャンセル") << "\n";
    return m_answerOk;
}

Session::Session(CliContext& c, bool answerOk, bool writes)
    : context(c), state(c.startUp()), clock(c.now()), feedback(c.err, answerOk),
      schedule(state.locations.programDir, state.locations.computerName, clock, feedback),
      memos(state.locations.computerName, clock, feedback), writesBack(writes) {
    schedule.setPath(state.locations.scheduleFilePath);
    schedule.setRecentFiles(&state.settings.recentScheduleFiles);
    schedule.load();
    memos.setPath(state.locations.memoFilePath);
    memos.setRecentFiles(&state.settings.recentMemoFiles);
    // A command that only reads makes no memo file.
    memos.load(state.locations.scheduleFilePath, writes);
    loadSettings(state);
}

Session::~Session() {
    // As the program does when it ends: the data files in use and the recent
    // lists go into the settings, so the next run finds the same files.
    std::string error;
    if (writesBack && !saveSettings(state, &error)) {
        context.err << "velmora-cli: 設定ファイルを保存できませんでした: " << state.locations.settingsPath << ": "
                    << error << "\n";
    }
}

std::string takeOption(std::vector<std::string>& args, const std::string& option) {
    const auto it = std::find(args.begin(), args.end(), option);
    if (it == args.end()) {
        return {};
    }
    if (it + 1 == args.end()) {
        throw UsageError{option + " needs a value"};
    }
    std::string value = *(it + 1);
    args.erase(it, it + 2);
    return value;
}

bool takeFlag(std::vector<std::string>& args, const std::string& flag) {
    const auto it = std::find(args.begin(), args.end(), flag);
    if (it == args.end()) {
        return false;
    }
    args.erase(it);
    return true;
}

void noArguments(const std::vector<std::string>& args, std::size_t from) {
    if (args.size() > from) {
        throw UsageError{"unexpected argument " + args[from]};
    }
}

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto platform = createPlatform();
    auto clock = platform->createClock();
    CliContext context{*platform, *clock, {}, std::nullopt, std::cout, std::cerr};

    std::size_t i = 0;
    for (; i < args.size() && (args[i].rfind("--", 0) == 0 || args[i] == "-h"); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsageText;
            return kOk;
        }
        if (i + 1 >= args.size()) {
            return usage(std::cerr, option + " needs a value");
        }
        if (option == "--home") {
            context.home = args[++i];
        } else if (option == "--today") {
            context.today = parseDate(args[++i]);
            if (!context.today) {
                return usage(std::cerr, "--today takes a date yyyy/mm/dd: " + args[i]);
            }
        } else {
            return usage(std::cerr, "unknown option " + option);
        }
    }
    if (i >= args.size()) {
        return usage(std::cerr, "no command");
    }
    const auto command = commands().find(args[i]);
    if (command == commands().end()) {
        return usage(std::cerr, "unknown command " + args[i]);
    }
    int status = kOk;
    try {
        status =
            command->second(context, std::vector<std::string>(args.begin() + static_cast<long>(i) + 1, args.end()));
    } catch (const UsageError& e) {
        status = usage(std::cerr, e.message);
    }
    endGuiApplication();
    return status;
}

} // namespace velmora::cli

int main(int argc, char** argv) {
    return velmora::cli::main(argc, argv);
}
