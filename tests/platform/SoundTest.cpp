// Reminder sounds: which files play, the beep that stands in for the others,
// and what the user is told; against a real sound server where one can run.
#include "platform/Sound.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/x11/X11Platform.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/XvfbServer.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

using namespace velmora;
using velmora::test::readBytes;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

using Outcome = SoundPlayer::Outcome;

std::string le(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string chunk(const std::string& id, const std::string& body) {
    std::string out = id + le(static_cast<std::uint32_t>(body.size()), 4) + body;
    if (body.size() % 2) {
        out += '\0';
    }
    return out;
}

std::string fmtBody(int encoding, int channels, int rate, int bits) {
    const int frame = channels * bits / 8;
    return le(encoding, 2) + le(channels, 2) + le(rate, 4) + le(rate * frame, 4) + le(frame, 2) + le(bits, 2);
}

std::string riff(const std::string& chunks) {
    return "RIFF" + le(static_cast<std::uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks;
}

// Mono 16-bit PCM at 44.1 kHz: `hz` at half of full scale.
std::string sineSamples(double seconds, double hz) {
    const int rate = 44100;
    const int n = static_cast<int>(seconds * rate);
    std::string out;
    for (int i = 0; i < n; ++i) {
        const auto v = static_cast<std::int16_t>(16000.0 * std::sin(2.0 * M_PI * hz * i / rate));
        out += le(static_cast<std::uint16_t>(v), 2);
    }
    return out;
}

// The same samples with a low byte below each: 24-bit, as loud.
std::string widenTo24Bits(const std::string& samples16) {
    std::string out;
    for (std::size_t i = 0; i + 1 < samples16.size(); i += 2) {
        out += '\0';
        out += samples16.substr(i, 2);
    }
    return out;
}

std::string sineWave(double seconds, double hz) {
    return riff(chunk("fmt ", fmtBody(1, 1, 44100, 16)) + chunk("data", sineSamples(seconds, hz)));
}

// Sounds are fed from the Qt event loop. Another test of this binary may
// have made the application already; one made here lives to the end, as
// the sound system keeps its state for the whole process.
void ensureApplication() {
    if (QCoreApplication::instance()) {
        return;
    }
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

bool pumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

// A player whose beeps, messages and endings the test reads.
struct RecordingPlayer {
    RecordingPlayer() : player([this] { ++beeps; }) {
        player.setFailure([this](const std::string& message) { messages.push_back(message); });
        player.setFinished([this](const std::string& file, Outcome outcome) {
            ended.push_back({file, outcome, clock.elapsed()});
        });
        clock.start();
    }
    struct Ending {
        std::string file;
        Outcome outcome;
        qint64 atMs;
    };
    int beeps = 0;
    std::vector<std::string> messages;
    std::vector<Ending> ended;
    QElapsedTimer clock;
    SoundPlayer player;
};

// Sets an environment variable for as long as it lives.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_had = true;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvironmentVariable() {
        if (m_had) {
            ::setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

// A helper program of the test, ended with it; its output goes to `output`.
class Helper {
public:
    Helper(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment,
           const std::string& output) {
        std::vector<std::string> environment = extraEnvironment;
        for (char** e = environ; *e; ++e) {
            const std::string name = std::string(*e).substr(0, std::string(*e).find('=') + 1);
            if (std::none_of(extraEnvironment.begin(), extraEnvironment.end(),
                             [&](const std::string& x) { return x.rfind(name, 0) == 0; })) {
                environment.emplace_back(*e);
            }
        }
        // Everything execve needs is made before fork: the child only calls what is safe there.
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& e : environment) {
            envp.push_back(const_cast<char*>(e.c_str()));
        }
        envp.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, 1);
            dup2(out, 2);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
    }
    ~Helper() { stop(SIGKILL); }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    // The exit status, or -1 when it was still running after `ms`.
    int wait(int ms) {
        for (int waited = 0; m_pid > 0 && waited <= ms; waited += 20) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(20000);
        }
        return -1;
    }
    void stop(int signal) {
        if (m_pid > 0) {
            kill(m_pid, signal);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    bool running() { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = -1;
};

// A PulseAudio server of the test's own whose default sink goes nowhere;
// its monitor ("velmora_null.monitor") gives back what was played. Its own
// runtime folder and home keep a user's session server untouched; as root
// (CI) it runs as a plain per-user server all the same.
class PrivateSoundServer {
public:
    PrivateSoundServer() {
        const std::string program = velmora::test::findProgram("pulseaudio");
        if (program.empty()) {
            m_why = "pulseaudio is not installed here";
            return;
        }
        m_socket = m_dir.file("native");
        fs::create_directories(m_dir.path() / "run");
        fs::permissions(m_dir.path() / "run", fs::perms::owner_all);
        fs::create_directories(m_dir.path() / "home");
        writeBytes(m_dir.file("server.pa"), "load-module module-null-sink sink_name=velmora_null\n"
                                            "set-default-sink velmora_null\n"
                                            "load-module module-native-protocol-unix auth-anonymous=1 socket=" +
                                                m_socket + "\n");
        m_server = std::make_unique<Helper>(
            std::vector<std::string>{program, "-n", "-F", m_dir.file("server.pa"), "--daemonize=no",
                                     "--exit-idle-time=-1", "--use-pid-file=no", "--realtime=no", "--high-priority=no",
                                     "--log-target=stderr"},
            std::vector<std::string>{"XDG_RUNTIME_DIR=" + m_dir.file("run"), "HOME=" + m_dir.file("home")},
            m_dir.file("server.log"));
        velmora::test::waitFor([&] { return fs::exists(m_socket) || !m_server->running(); }, 10000);
        if (!fs::exists(m_socket)) {
            m_why = "the sound server does not start here:\n" + readBytes(m_dir.file("server.log"));
        }
    }
    ~PrivateSoundServer() {
        if (m_server) {
            m_server->stop(SIGTERM);
        }
    }
    bool running() const { return m_why.empty(); }
    const std::string& why() const { return m_why; }
    std::string address() const { return "unix:" + m_socket; }

private:
    TempDir m_dir;
    std::string m_socket;
    std::string m_why;
    std::unique_ptr<Helper> m_server;
};

// Tests that need a process of their own (the sound system looks for its
// server once per process) run their other half in a copy of this program,
// with VELMORA_SOUND_TEST_CHILD naming a folder to work in.
const char* childFolder() {
    return std::getenv("VELMORA_SOUND_TEST_CHILD");
}

// The child's verdict, given before the process ends: Qt 6.4's sound
// backend may abort inside libpulse while it is torn down at exit
// (pa_pdispatch_run), after everything the test looks at has happened.
void finishChild() {
    if (!testing::Test::HasFailure()) {
        std::printf("child passed\n");
    }
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(testing::Test::HasFailure() ? 1 : 0);
}

void runInChild(const std::string& test, const std::string& folder, const std::vector<std::string>& environment) {
    std::vector<std::string> variables = environment;
    variables.push_back("VELMORA_SOUND_TEST_CHILD=" + folder);
    Helper child({"/proc/self/exe", "--gtest_filter=" + test}, variables, folder + "child.txt");
    const int status = child.wait(30000);
    const std::string output = readBytes(folder + "child.txt");
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("child passed"), std::string::npos) << output;
}

} // namespace

// ---------------------------------------------------------------------------
// Which files can be played, and the reason given for those that cannot.

struct WaveCase {
    const char* name;
    std::string bytes;   // the file; "<none>" for no file, "<folder>" for a folder
    const char* problem; // part of the reason; "" when the file plays
    int channels = 0;
    int bits = 0;
    double seconds = 0;
};

void PrintTo(const WaveCase& row, std::ostream* out) {
    *out << row.name;
}

class WaveFileTable : public ::testing::TestWithParam<WaveCase> {};

TEST_P(WaveFileTable, ReadsWhatCanBePlayedAndSaysWhyNot) {
    const WaveCase& row = GetParam();
    TempDir dir;
    const std::string path = dir.file("sound.wav");
    if (row.bytes == "<folder>") {
        fs::create_directory(path);
    } else if (row.bytes != "<none>") {
        writeBytes(path, row.bytes);
    }
    WaveFormat format;
    const std::string problem = readWaveFormat(path, &format);
    if (std::string(row.problem).empty()) {
        ASSERT_EQ(problem, "");
        EXPECT_EQ(format.channels, row.channels);
        EXPECT_EQ(format.bitsPerSample, row.bits);
        EXPECT_NEAR(format.seconds(), row.seconds, 0.001);
        // The samples named are in the file, whole frames only.
        EXPECT_LE(format.dataOffset + format.dataSize, fs::file_size(path));
        EXPECT_EQ(format.dataSize % static_cast<std::uint64_t>(format.frameBytes()), 0u);
    } else {
        EXPECT_NE(problem.find(row.problem), std::string::npos) << problem;
    }
}

namespace {

const std::string kPcm16 = chunk("fmt ", fmtBody(1, 1, 44100, 16));
const std::string kTenth = sineSamples(0.1, 440); // 4410 frames

std::string extensible(int encoding, int channels, int bits) {
    std::string body = fmtBody(0xFFFE, channels, 22050, bits) + le(22, 2) + le(bits, 2) + le(4, 4) + le(encoding, 2) +
                       std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    return chunk("fmt ", body);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Sound, WaveFileTable,
    ::testing::Values(
        WaveCase{"Pcm16Mono", riff(kPcm16 + chunk("data", kTenth)), "", 1, 16, 0.1},
        WaveCase{"Pcm8Stereo", riff(chunk("fmt ", fmtBody(1, 2, 8000, 8)) + chunk("data", std::string(16000, '\x80'))),
                 "", 2, 8, 1.0},
        WaveCase{"Pcm24", riff(chunk("fmt ", fmtBody(1, 1, 48000, 24)) + chunk("data", std::string(3 * 4800, '\0'))),
                 "", 1, 24, 0.1},
        WaveCase{"Float32", riff(chunk("fmt ", fmtBody(3, 1, 48000, 32)) + chunk("data", std::string(4 * 4800, '\0'))),
                 "", 1, 32, 0.1},
        WaveCase{"ExtensibleWrapsPcm", riff(extensible(1, 2, 16) + chunk("data", std::string(4 * 2205, '\0'))), "", 2,
                 16, 0.1},
        // Editors put tags and cue points anywhere around the samples.
        WaveCase{"ListChunkBeforeAndAfterFormat",
                 riff(chunk("LIST", "INFOISFT") + kPcm16 + chunk("LIST", "odd") + chunk("data", kTenth) +
                      chunk("LIST", "after")),
                 "", 1, 16, 0.1},
        // A header promising more samples than the file holds: the part that is there plays.
        WaveCase{"CutShortPlaysWhatIsThere", riff(kPcm16 + chunk("data", kTenth)).substr(0, 44 + 2205 * 2 + 1), "", 1,
                 16, 0.05},
        WaveCase{"Missing", "<none>", "ファイルが見つかりません"},
        WaveCase{"Folder", "<folder>", "ファイルを読めません"},
        WaveCase{"Empty", "", "WAV 形式のファイルではありません"},
        WaveCase{"Text", "これは音ではありません\r\n", "WAV 形式のファイルではありません"},
        WaveCase{"RiffButNotWave", "RIFF" + le(4, 4) + "AVI ", "WAV 形式のファイルではありません"},
        WaveCase{"SamplesBeforeFormat", riff(chunk("data", kTenth) + kPcm16), "壊れています"},
        WaveCase{"NoChannels", riff(chunk("fmt ", fmtBody(1, 0, 44100, 16)) + chunk("data", kTenth)), "壊れています"},
        WaveCase{"ALaw", riff(chunk("fmt ", fmtBody(6, 1, 8000, 8)) + chunk("data", kTenth)), "符号化方式（6）"},
        WaveCase{"Mp3InWave", riff(chunk("fmt ", fmtBody(0x55, 2, 44100, 16)) + chunk("data", kTenth)),
                 "符号化方式（85）"},
        WaveCase{"Float64", riff(chunk("fmt ", fmtBody(3, 1, 44100, 64)) + chunk("data", kTenth)), "ビット数（64）"},
        WaveCase{"NoSamplesChunk", riff(kPcm16 + chunk("LIST", "INFO")), "音のデータがありません"},
        // The header alone, its data chunk promising samples the file does not hold.
        WaveCase{"HeaderOnly", riff(kPcm16 + chunk("data", kTenth)).substr(0, 44), "音のデータがありません"},
        WaveCase{"LessThanOneFrame",
                 riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("data", kTenth)).substr(0, 44 + 3),
                 "音のデータがありません"}),
    [](const ::testing::TestParamInfo<WaveCase>& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------
// The player.

// Where a private sound server can run, the player's tests play to it; it
// is started before the first sound of the process, which is when the sound
// system looks for a server.
class SoundPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = std::make_unique<PrivateSoundServer>();
        if (s_server->running()) {
            s_variable = std::make_unique<EnvironmentVariable>("PULSE_SERVER", s_server->address());
        }
    }
    static void TearDownTestSuite() {
        s_variable.reset();
        s_server.reset();
    }
    static bool onPrivateServer() { return s_variable != nullptr; }

    static inline std::unique_ptr<PrivateSoundServer> s_server;
    static inline std::unique_ptr<EnvironmentVariable> s_variable;
};

TEST_F(SoundPlayerTest, AFileThatCannotPlayBeepsEveryTimeAndIsReportedOncePerFile) {
    TempDir dir;
    const std::string missing = dir.file("なくなった音.wav");
    const std::string text = dir.file("text.wav");
    writeBytes(text, "not a wave at all, only text\n");
    RecordingPlayer r;
    for (int i = 0; i < 3; ++i) {
        r.player.play(missing);
        r.player.play(text);
    }
    r.player.play("");

    EXPECT_EQ(r.beeps, 7) << "every reminder is heard, the broken sound by the beep";
    ASSERT_EQ(r.messages.size(), 2u) << "each file is reported once, not at every reminder";
    EXPECT_EQ(r.messages[0], "サウンドファイルを再生できません。\n" + missing + "\nファイルが見つかりません。");
    EXPECT_EQ(r.messages[1], "サウンドファイルを再生できません。\n" + text + "\nWAV 形式のファイルではありません。");
    ASSERT_EQ(r.ended.size(), 7u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(r.ended[i].outcome, Outcome::Failed) << i;
    }
    EXPECT_EQ(r.ended[6].outcome, Outcome::Beeped);
    EXPECT_EQ(r.player.playing(), 0u);

    // Without anyone to tell, the beep still stands in.
    SoundPlayer quiet([&] { ++r.beeps; });
    quiet.play(missing);
    EXPECT_EQ(r.beeps, 8);
}

TEST_F(SoundPlayerTest, AWaveStartsAtOnceAndIsNotCutByTheNextReminder) {
    ensureApplication();
    TempDir dir;
    const std::string wave = dir.file("ring.wav");
    writeBytes(wave, sineWave(0.3, 440));
    RecordingPlayer r;

    QElapsedTimer call;
    call.start();
    r.player.play(wave);
    EXPECT_LT(call.elapsed(), 150) << "the call must not wait for the 300 ms sound";
    // A second reminder while the first still sounds.
    pumpUntil([] { return false; }, 100);
    const qint64 secondAt = r.clock.elapsed();
    r.player.play(wave);

    ASSERT_TRUE(pumpUntil([&] { return r.ended.size() == 2; }, 10000)) << "both sounds end";
    EXPECT_TRUE(r.messages.empty()) << r.messages.front();
    EXPECT_EQ(r.player.playing(), 0u);
    const Outcome outcome = r.ended[0].outcome;
    EXPECT_EQ(r.ended[1].outcome, outcome);
    if (onPrivateServer()) {
        ASSERT_EQ(outcome, Outcome::Played);
    }
    if (outcome == Outcome::Silent) {
        // No sound device here: the beep, and nothing said.
        EXPECT_EQ(r.beeps, 2);
        return;
    }
    ASSERT_EQ(outcome, Outcome::Played);
    EXPECT_EQ(r.beeps, 0);
    // Each sound is kept to its full length: the second start did not end the first.
    EXPECT_GE(r.ended[0].atMs, 300);
    EXPECT_GE(r.ended[1].atMs - secondAt, 300);
}

TEST_F(SoundPlayerTest, EndingWhileSoundsPlayStopsThemAtOnce) {
    ensureApplication();
    TempDir dir;
    const std::string wave = dir.file("long.wav");
    writeBytes(wave, sineWave(3.0, 440));
    QElapsedTimer timer;
    {
        RecordingPlayer r;
        r.player.play(wave);
        r.player.play(wave);
        pumpUntil([] { return false; }, 200);
        if (!onPrivateServer() && r.player.playing() == 0) {
            GTEST_SKIP() << "no sound device here (" << s_server->why() << "): nothing plays that could be stopped";
        }
        ASSERT_EQ(r.player.playing(), 2u);
        timer.start();
    }
    EXPECT_LT(timer.elapsed(), 500) << "the program's end does not wait for its sounds";
    // What the stopped sounds still send must not reach the player that is gone.
    pumpUntil([] { return false; }, 300);
}

TEST(NoSoundDevice, TheBeepStandsInAndNothingIsSaidOrLeftWaiting) {
    if (const char* folder = childFolder()) {
        ensureApplication();
        const std::string wave = std::string(folder) + "ring.wav";
        writeBytes(wave, sineWave(0.3, 440));
        RecordingPlayer r;
        QElapsedTimer call;
        call.start();
        r.player.play(wave);
        r.player.play(wave);
        EXPECT_LT(call.elapsed(), 150);
        EXPECT_EQ(r.player.playing(), 0u) << "nothing waits for a device that is not there";
        ASSERT_EQ(r.ended.size(), 2u);
        EXPECT_EQ(r.ended[0].outcome, Outcome::Silent);
        EXPECT_EQ(r.ended[1].outcome, Outcome::Silent);
        EXPECT_EQ(r.beeps, 2);
        EXPECT_TRUE(r.messages.empty()) << "a machine without sound is no fault of the file";
        finishChild();
    }
    TempDir dir;
    // A server address where none answers: a machine without sound.
    runInChild("NoSoundDevice.TheBeepStandsInAndNothingIsSaidOrLeftWaiting", dir.dir(),
               {"PULSE_SERVER=unix:" + dir.file("nobody-here")});
}

// ---------------------------------------------------------------------------
// The platform's sound: the X server's bell stands for the beep.

namespace {

// Counts the bells an X server rings (XKB tells every client that asks).
class BellCounter {
public:
    explicit BellCounter(const std::string& display) : m_d(XOpenDisplay(display.c_str())) {
        int opcode = 0;
        int error = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        if (m_d && XkbQueryExtension(m_d, &opcode, &m_event, &error, &major, &minor)) {
            XkbSelectEvents(m_d, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
            XSync(m_d, False);
            m_ok = true;
        }
    }
    ~BellCounter() {
        if (m_d) {
            XCloseDisplay(m_d);
        }
    }
    bool ok() const { return m_ok; }
    // The bells rung so far, waiting a little for the last to arrive.
    int bells() {
        for (int round = 0; round < 10; ++round) {
            XSync(m_d, False);
            while (XPending(m_d)) {
                XEvent event;
                XNextEvent(m_d, &event);
                if (event.type == m_event && reinterpret_cast<XkbAnyEvent*>(&event)->xkb_type == XkbBellNotify) {
                    ++m_bells;
                }
            }
            usleep(20000);
        }
        return m_bells;
    }

private:
    ::Display* m_d;
    int m_event = 0;
    bool m_ok = false;
    int m_bells = 0;
};

} // namespace

TEST(PlatformSound, OnADesktopTheBellRingsAndABrokenFileIsToldOnceWithoutOneNothing) {
    velmora::test::Xvfb server("320x240x24");
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    EnvironmentVariable display("DISPLAY", server.display());
    BellCounter counter(server.display());
    ASSERT_TRUE(counter.ok()) << "the X server has no XKB";
    TempDir dir;
    const std::string missing = dir.file("missing.wav");

    auto desktop = X11Platform::connect();
    ASSERT_NE(desktop, nullptr);
    ASSERT_NE(desktop->wallpaperBackend(), "none");
    std::vector<std::string> told;
    desktop->playSound(""); // before anyone listens: the beep needs no one
    EXPECT_EQ(counter.bells(), 1);
    desktop->setSoundFailure([&](const std::string& message) { told.push_back(message); });
    desktop->playSound(missing);
    desktop->playSound(missing);
    EXPECT_EQ(counter.bells(), 3);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], "サウンドファイルを再生できません。\n" + missing + "\nファイルが見つかりません。");

    // Without a desktop (the command-line tool, tests of other parts): no bell, no message.
    HeadlessPlatform headless;
    std::vector<std::string> headlessTold;
    headless.setSoundFailure([&](const std::string& message) { headlessTold.push_back(message); });
    headless.playSound("");
    headless.playSound(missing);
    EXPECT_EQ(counter.bells(), 3);
    EXPECT_TRUE(headlessTold.empty());
}

// ---------------------------------------------------------------------------
// A real sound server: a private PulseAudio with a sink that goes nowhere,
// whose monitor is recorded while the player plays a tone.

namespace {

struct Tone {
    double loudSeconds = 0; // time above a tenth of the played level
    double hz = 0;          // its frequency, from its zero crossings
};

// The tones of a recording (mono 16-bit at 44.1 kHz), in order: stretches
// above a tenth of the played level, parted by at least 50 ms below it.
std::vector<Tone> tonesIn(const std::string& raw) {
    const std::size_t n = raw.size() / 2;
    std::vector<int> samples(n);
    for (std::size_t i = 0; i < n; ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                               (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    }
    std::vector<Tone> tones;
    std::size_t i = 0;
    while (i < n) {
        while (i < n && std::abs(samples[i]) <= 1600) {
            ++i;
        }
        if (i == n) {
            break;
        }
        const std::size_t first = i;
        std::size_t last = i;
        std::size_t loud = 0;
        for (; i < n && i - last < 2205; ++i) {
            if (std::abs(samples[i]) > 1600) {
                ++loud;
                last = i;
            }
        }
        Tone tone;
        tone.loudSeconds = loud / 44100.0;
        int crossings = 0;
        for (std::size_t j = first + 1; j <= last; ++j) {
            crossings += (samples[j - 1] < 0) != (samples[j] < 0);
        }
        tone.hz = last > first ? crossings / 2.0 / ((last - first) / 44100.0) : 0.0;
        tones.push_back(tone);
    }
    return tones;
}

} // namespace

TEST(SoundServer, AWaveIsHeardOnARealSoundServer) {
    if (const char* folder = childFolder()) {
        ensureApplication();
        RecordingPlayer r;
        for (const char* file : {"tone16.wav", "tone24.wav"}) {
            r.player.play(std::string(folder) + file);
            ASSERT_TRUE(pumpUntil([&] { return r.player.playing() == 0; }, 10000)) << file;
        }
        ASSERT_EQ(r.ended.size(), 2u);
        EXPECT_EQ(r.ended[0].outcome, Outcome::Played);
        EXPECT_EQ(r.ended[1].outcome, Outcome::Played);
        EXPECT_EQ(r.beeps, 0);
        EXPECT_TRUE(r.messages.empty());
        finishChild();
    }
    const std::string recorder = velmora::test::findProgram("parec");
    if (recorder.empty()) {
        GTEST_SKIP() << "parec (Debian: pulseaudio-utils) is not installed here: nothing can record the sound";
    }
    PrivateSoundServer server;
    if (!server.running()) {
        GTEST_SKIP() << "no sound server to play to: " << server.why();
    }
    TempDir dir;
    const std::string serverVariable = "PULSE_SERVER=" + server.address();
    Helper record({recorder, "-d", "velmora_null.monitor", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                   "--latency-msec=20"},
                  {serverVariable}, dir.file("recorded.raw"));
    usleep(300000);

    // 24-bit samples reach the device converted: a fault there is noise, not the tone.
    writeBytes(dir.file("tone16.wav"), sineWave(0.3, 440));
    writeBytes(dir.file("tone24.wav"),
               riff(chunk("fmt ", fmtBody(1, 1, 44100, 24)) + chunk("data", widenTo24Bits(sineSamples(0.3, 880)))));
    runInChild("SoundServer.AWaveIsHeardOnARealSoundServer", dir.dir(), {serverVariable});
    usleep(300000);
    record.stop(SIGINT);

    const std::vector<Tone> tones = tonesIn(readBytes(dir.file("recorded.raw")));
    ASSERT_EQ(tones.size(), 2u) << "the two tones reached the sink";
    for (int i = 0; i < 2; ++i) {
        // Nearly all of each: stopping when the device has taken the last
        // sample, not when it has played it, loses the last 100 ms.
        EXPECT_GE(tones[i].loudSeconds, 0.22) << "tone " << i << " whole";
        EXPECT_NEAR(tones[i].hz, i == 0 ? 440.0 : 880.0, 25.0) << "tone " << i << " is the one played";
    }
}
