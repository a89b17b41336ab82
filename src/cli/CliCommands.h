#pragma once

#include "core/UserFeedback.h"
#include "memos/MemoStore.h"
#include "platform/Platform.h"
#include "schedule/ScheduleStore.h"
#include "settings/Startup.h"

#include <memory>

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace velmora::cli {

// Exit statuses of the command-line tool.
inline constexpr int kOk = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

// Thrown by a command for arguments it cannot take; main prints the usage.
struct UsageError {
    std::string message;
};

struct CliContext {
    const Platform& platform;
    const Clock& clock;
    std::string home;               // --home
    std::optional<DateValue> today; // --today
    std::ostream& out;
    std::ostream& err;

    // The start-up steps as the resident program runs them.
    StartupState startUp() const;
    // The time the command works at: --today with the clock's time of day, or the clock.
    DateValue now() const;
};

// Messages go to stderr; a question is answered OK only when told so.
class CliFeedback : public UserFeedback {
public:
    CliFeedback(std::ostream& err, bool answerOk) : m_err(err), m_answerOk(answerOk) {}
    void showMessage(std::string_view text) override;
    bool confirm(std::string_view text) override;

private:
    std::ostream& m_err;
    bool m_answerOk;
};

// The program's state after start-up with the schedule file loaded, as the
// resident program holds it.
struct Session {
    // `writesBack`: the command ends as the program does, saving the
    // settings (the files in use, the recent lists); queries leave them.
    Session(CliContext& context, bool answerOk, bool writesBack = true);
    ~Session();

    CliContext& context;
    StartupState state;
    FixedClock clock;
    CliFeedback feedback;
    ScheduleStore schedule;
    MemoStore memos;
    bool writesBack;
};

// Takes "OPTION VALUE" out of the arguments; the value, or "" when absent.
std::string takeOption(std::vector<std::string>& args, const std::string& option);
// Takes "--yes" out of the arguments; true when it was there.
bool takeFlag(std::vector<std::string>& args, const std::string& flag);
// Fails with a usage error when arguments are left.
void noArguments(const std::vector<std::string>& args, std::size_t from = 0);

int runSettings(CliContext& context, const std::vector<std::string>& args);
int runPaths(CliContext& context, const std::vector<std::string>& args);
int runAdd(CliContext& context, const std::vector<std::string>& args);
int runLock(CliContext& context, const std::vector<std::string>& args);
int runUnlock(CliContext& context, const std::vector<std::string>& args);
int runWatch(CliContext& context, const std::vector<std::string>& args);
int runBackup(CliContext& context, const std::vector<std::string>& args);
int runBackups(CliContext& context, const std::vector<std::string>& args);
int runRestore(CliContext& context, const std::vector<std::string>& args);
int runHolidays(CliContext& context, const std::vector<std::string>& args);
int runOldCalendar(CliContext& context, const std::vector<std::string>& args);
int runDay(CliContext& context, const std::vector<std::string>& args);
int runRender(CliContext& context, const std::vector<std::string>& args);
int runHit(CliContext& context, const std::vector<std::string>& args);
int runReminders(CliContext& context, const std::vector<std::string>& args);

// The month, view and picture size of the drawing commands.
struct RenderRequest {
    DateValue month;  // first day of the month shown
    std::string view; // "", "month" or "year"
    int width = 1920;
    int height = 1080;
};
// Takes --month yyyy/mm, --view month|year and --size WxH out of the arguments.
RenderRequest parseRenderRequest(std::vector<std::string>& args, const CliContext& context);
// The session's settings with the view the request asks for.
Settings settingsFor(const Session& session, const RenderRequest& request);

} // namespace velmora::cli
