#include "cli/CliCommands.h"

#include "core/DateText.h"
#include "core/NameValueList.h"
#include "reminders/Reminders.h"

#include <optional>
#include <ostream>

namespace velmora::cli {

namespace {

// A fixed measure stands in for the toolkit: the tool draws no window.
constexpr int kCharacterWidth = 16;

int characters(const std::string& utf8) {
    int n = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++n;
        }
    }
    return n;
}

// Prints what the window layer would be asked to do. Programs are printed,
// never started.
class PrintedWindows : public ReminderWindows {
public:
    explicit PrintedWindows(std::ostream& out) : m_out(out) {}
    ~PrintedWindows() override { flush(); }
    PrintedWindows(const PrintedWindows&) = delete;
    PrintedWindows& operator=(const PrintedWindows&) = delete;

    // From now on opened windows are timed ones, printed with their sound.
    void startFiring() { m_firing = true; }
    void flush() {
        if (m_fired) {
            m_out << "fire\t" << m_fired->key << '\t' << m_fired->text << '\t' << m_fired->sound << '\n';
            m_fired.reset();
        }
    }

    void openSaved(const std::string&, const std::string& text, const std::string& key, std::optional<int>) override {
        opened(text, key);
    }
    void openFresh(const ReminderGeometry&, const std::string& text, const std::string& key,
                   const FontSetting&) override {
        opened(text, key);
    }
    void close(const std::string&) override {}
    void playSound(const std::string& waveFile) override {
        if (m_fired) {
            m_fired->sound = waveFile.empty() ? "beep" : "sound";
        }
    }
    void launch(const std::string& program, const std::string& parameters, const std::string&) override {
        flush();
        m_out << "exec\t" << program << '\t' << parameters << '\n';
    }

private:
    struct Fired {
        std::string key;
        std::string text;
        std::string sound = "silent";
    };

    void opened(const std::string& text, const std::string& key) {
        flush();
        if (m_firing) {
            m_fired = Fired{key, text};
        } else {
            m_out << "now\t" << key << '\t' << text << '\n';
        }
    }

    std::ostream& m_out;
    bool m_firing = false;
    std::optional<Fired> m_fired;
};

} // namespace

int runReminders(CliContext& context, const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const std::string at = takeOption(args, "--at");
    noArguments(args);
    std::optional<double> atTime;
    if (!at.empty()) {
        atTime = parseHourMinute(at);
        if (!atTime) {
            throw UsageError{"--at takes a time hh:nn: " + at};
        }
    }

    Session session(context, false, false);
    PrintedWindows windows(context.out);
    NoReminderSecrets secrets;
    ReminderContext reminderContext{
        session.schedule,
        session.state.settings,
        session.clock,
        windows,
        secrets,
        ScreenSize{context.platform.screenWidth(), context.platform.screenHeight()},
        [](const std::string& text, const FontSetting&) { return characters(text) * kCharacterWidth; },
        session.state.locations.programDir};
    Reminders reminders(reminderContext);
    reminders.popupProc(true);
    windows.flush();

    const NameValueList& queue = session.schedule.section(ScheduleSection::PopupTime);
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const std::vector<std::string> items = fromCommaText(queue.valueAt(i));
        for (std::size_t j = 0; j + 1 < items.size(); j += 2) {
            context.out << queue.name(i) << '\t' << items[j] << '\t' << trimmed(items[j + 1]) << '\n';
        }
    }

    if (atTime) {
        session.clock.set(DateValue(session.clock.today().value() + *atTime));
        windows.startFiring();
        reminders.timedCheck();
        windows.flush();
    }
    return kOk;
}

} // namespace velmora::cli
