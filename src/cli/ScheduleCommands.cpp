#include "cli/CliCommands.h"

#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "schedule/EntryList.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace velmora::cli {

namespace {

int parsePositive(const std::string& text, const std::string& option) {
    try {
        std::size_t used = 0;
        const int v = std::stoi(text, &used);
        if (used == text.size() && v > 0) {
            return v;
        }
    } catch (const std::exception&) {
    }
    throw UsageError{option + " takes a positive number: " + text};
}

bool saved(Session& session) {
    return session.schedule.save(true) == SaveResult::Saved;
}

} // namespace

int runAdd(CliContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    const bool yes = takeFlag(rest, "--yes");
    if (rest.size() != 2) {
        throw UsageError{"add takes a date and a text"};
    }
    const auto date = parseDate(rest[0]);
    if (!date) {
        throw UsageError{"not a date yyyy/mm/dd: " + rest[0]};
    }
    Session session(context, yes);
    if (!session.schedule.lockForEditing()) {
        return kFailure;
    }
    const ScheduleKey key = session.schedule.appendEntry(EntryKind::Dated, *date, rest[1]);
    if (!saved(session)) {
        return kFailure;
    }
    context.out << key.text() << "\n";
    return kOk;
}

int runLock(CliContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    const bool yes = takeFlag(rest, "--yes");
    noArguments(rest);
    Session session(context, yes);
    return session.schedule.lockForEditing() ? kOk : kFailure;
}

int runUnlock(CliContext& context, const std::vector<std::string>& args) {
    noArguments(args);
    Session session(context, false);
    if (session.schedule.loadFailed()) {
        return kFailure; // the load said why
    }
    // Why a releasing save would be refused, told before it is tried.
    ProfileFile file(session.schedule.path());
    file.load();
    const std::string user = file.readString("COMPUTER", "UPDATEUSER", "");
    const std::string& me = session.schedule.computerName();
    std::string reason;
    if (!user.empty() && user != me) {
        reason = "ユーザー" + user + "が更新中です";
    } else if (user.empty() && !session.schedule.ownership().ownsFile) {
        reason = "ロックはかかっていません。このコンピュータのデータではないため保存しません";
    }
    if (!reason.empty() || !saved(session)) {
        context.err << "velmora-cli: ロックを解除できませんでした" << (reason.empty() ? "" : "（" + reason + "）")
                    << "\n";
        return kFailure;
    }
    return kOk;
}

int runWatch(CliContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    const std::string interval = takeOption(rest, "--interval");
    const std::string timeout = takeOption(rest, "--timeout");
    noArguments(rest);
    const int intervalMs = interval.empty() ? 5000 : parsePositive(interval, "--interval");
    const int timeoutS = timeout.empty() ? 60 : parsePositive(timeout, "--timeout");

    Session session(context, false, false);
    ChangeWatch& watch = session.schedule.watch();
    watch.setWait([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
    context.out << "watching\t" << session.schedule.path() << std::endl;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutS);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
        if (watch.tick()) {
            context.out << "reloaded\n";
            const NameValueList& day = session.schedule.section(ScheduleSection::Day);
            for (std::size_t i = 0; i < day.size(); ++i) {
                for (const std::string& text : parseEntryList(day.valueAt(i))) {
                    context.out << day.name(i) << '\t' << text << '\n';
                }
            }
            context.out.flush();
            return kOk;
        }
    }
    context.err << "velmora-cli: 変更はありませんでした\n";
    return kFailure;
}

} // namespace velmora::cli
