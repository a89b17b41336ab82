// The first start of the program on desktop environments that keep their
// wallpaper in their own settings, against their real settings services:
// GNOME's gsettings over dconf and XFCE's xfconfd, each in a D-Bus session
// of its own with its own HOME. The user's picture must become the base,
// never be wiped from the desktop's settings.
#include "core/ProfileFile.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QImageWriter>
#include <QUrl>

#include <gtest/gtest.h>

// Xlib after the test framework: its macros (None, Bool) clash with it.
#include "support/XvfbServer.h"

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

using namespace velmora;
using namespace velmora::test;
namespace fs = std::filesystem;

namespace {

constexpr QRgb kUsersColour = 0xFF20C040;

bool dconfBackendInstalled() {
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib64", "/usr/lib"}) {
        if (fs::exists(std::string(dir) + "/gio/modules/libdconfsettings.so")) {
            return true;
        }
    }
    return false;
}

// A session of the desktop's services: HOME, the runtime folder and the
// settings are the test's own, so the developer's desktop is never touched.
class DesktopSession {
public:
    DesktopSession(std::string display, std::string desktop)
        : m_display(std::move(display)), m_desktop(std::move(desktop)) {
        fs::create_directories(m_dir.path() / "home");
        fs::create_directories(m_dir.path() / "run");
        fs::permissions(m_dir.path() / "run", fs::perms::owner_all);
        fs::create_directories(m_dir.path() / "prog");
        fs::create_directories(m_dir.path() / "my pictures");
    }
    std::string programDir() const { return m_dir.file("prog") + "/"; }
    std::string file(const std::string& name) const { return m_dir.file(name); }

    // Runs the shell script in a fresh D-Bus session; its exit status. Its
    // standard output and error go to `log` (a file of the session's folder).
    int run(const std::string& script, const std::string& log = "session.txt") const {
        writeBytes(m_dir.file("script.sh"), script);
        const std::string command =
            "env -u DBUS_SESSION_BUS_ADDRESS -u GSETTINGS_BACKEND -u DESKTOP_SESSION HOME='" + m_dir.file("home") +
            "' XDG_RUNTIME_DIR='" + m_dir.file("run") + "' XDG_CONFIG_HOME='" + m_dir.file("home/.config") +
            "' XDG_CURRENT_DESKTOP=" + m_desktop + " DISPLAY=" + m_display + " VELMORA_HOME='" + programDir() +
            "' VELMORA_NOW='2026/12/08 10:00:00' QT_QPA_PLATFORM=xcb VELMORA='" VELMORA_BINARY_DIR
            "/velmora' timeout 60 dbus-run-session -- sh '" +
            m_dir.file("script.sh") + "' >'" + m_dir.file(log) + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // One command's standard output in a fresh session, without its line end.
    std::string output(const std::string& command) const {
        run(command + " >\"$HOME/../out.txt\"\n", "errors.txt");
        std::string text = readBytes(m_dir.file("out.txt"));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        return text;
    }
    std::string readLog(const std::string& name = "session.txt") const { return readBytes(m_dir.file(name)); }

    // Samplefile as calendar.ini holds it.
    std::string samplefile() const {
        ProfileFile file(programDir() + "calendar.ini");
        file.load();
        return file.readString("SYSTEM", "Samplefile", "(missing)");
    }

private:
    TempDir m_dir;
    std::string m_display;
    std::string m_desktop;
};

// The user's picture, in GNOME's own default format where Qt can write it.
std::string writeUsersPicture(const DesktopSession& session, const char* format) {
    const std::string path = session.file(std::string("my pictures/海辺.") + format);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(kUsersColour);
    QImageWriter writer(QString::fromStdString(path), format);
    writer.setQuality(100); // lossless WebP: the colour must come back exactly
    EXPECT_TRUE(writer.write(picture)) << path << ": " << writer.errorString().toStdString();
    return path;
}

std::string fileUri(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

bool nearColour(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

// Runs the program once ("/0") in the session, with every change of the
// background schema logged to `monitor.txt`; the monitor is known to listen
// (it has heard a first change) before the program starts.
constexpr const char* kGnomeRun = R"(schema=org.gnome.desktop.background
gsettings monitor $schema >"$HOME/../monitor.txt" &
monitor=$!
i=0
until grep -q secondary-color "$HOME/../monitor.txt"; do
    gsettings set $schema secondary-color "'#0102$(printf %02d $i)'"
    sleep 0.1
    i=$((i + 1))
    [ $i -lt 50 ] || exit 90
done
"$VELMORA" /0
status=$?
sleep 0.5
kill $monitor
exit $status
)";

} // namespace

// Past fault: a first start under GNOME put "no picture" back, so the user's
// picture-uri was gone and the calendar was drawn on the plain colour.
TEST(DesktopFirstStart, GnomeTheUsersWebPBecomesTheBaseAndIsNeverWiped) {
    Xvfb server("640x480x24");
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    if (findProgram("dbus-run-session").empty() || findProgram("gsettings").empty() || !dconfBackendInstalled()) {
        GTEST_SKIP() << "GNOME's settings tools (dbus, libglib2.0-bin, dconf-gsettings-backend) are not installed";
    }
    ASSERT_TRUE(QImageWriter::supportedImageFormats().contains("webp"))
        << "GNOME's pictures are WebP: Qt's image format plugins (qt6-image-formats-plugins) are needed";
    DesktopSession session(server.display(), "GNOME");
    if (session.output("gsettings get org.gnome.desktop.background picture-uri").empty()) {
        GTEST_SKIP() << "the GNOME desktop schemas (gsettings-desktop-schemas) are not installed: "
                     << session.readLog("errors.txt");
    }
    const std::string picture = writeUsersPicture(session, "webp");
    const std::string uri = fileUri(picture);
    ASSERT_EQ(session.run("gsettings set org.gnome.desktop.background picture-uri '" + uri +
                          "'\ngsettings set org.gnome.desktop.background picture-uri-dark '" + uri + "'\n"),
              0)
        << session.readLog();
    ASSERT_EQ(session.output("gsettings get org.gnome.desktop.background picture-uri"), "'" + uri + "'");

    ASSERT_EQ(session.run(kGnomeRun), 0) << session.readLog();
    EXPECT_NE(session.readLog().find("Wallpaper\tgnome"), std::string::npos) << session.readLog();
    const std::string changes = readBytes(session.file("monitor.txt"));
    EXPECT_EQ(changes.find("picture-uri: ''"), std::string::npos) << "the user's picture was wiped:\n" << changes;
    EXPECT_EQ(session.samplefile(), picture) << "the picture the desktop showed is the base";
    // The calendar stays on the desktop after the run, as at every end.
    const std::string calendarUri = fileUri(session.programDir() + "calendar.bmp");
    EXPECT_EQ(session.output("gsettings get org.gnome.desktop.background picture-uri"), "'" + calendarUri + "'");
    // The calendar is drawn over the user's picture (read from WebP), not over a plain colour.
    const QImage blank(QString::fromStdString(session.programDir() + "blank.bmp"));
    ASSERT_EQ(blank.size(), QSize(640, 480));
    EXPECT_PRED2(nearColour, blank.pixel(320, 240), kUsersColour);
    EXPECT_PRED2(nearColour, blank.pixel(2, 2), kUsersColour) << "zoomed over the whole screen";

    // The next start puts the user's picture back before it draws on it again.
    ASSERT_EQ(session.run(kGnomeRun), 0) << session.readLog();
    const std::string again = readBytes(session.file("monitor.txt"));
    const auto back = again.find("picture-uri: '" + uri + "'");
    EXPECT_NE(back, std::string::npos) << again;
    EXPECT_NE(again.find("picture-uri: '" + calendarUri + "'", back), std::string::npos) << again;
    EXPECT_EQ(again.find("picture-uri: ''"), std::string::npos) << again;
    EXPECT_EQ(session.samplefile(), picture);
    EXPECT_TRUE(fs::exists(picture)) << "the user's file is never touched";
}

TEST(DesktopFirstStart, XfceTheUsersPictureBecomesTheBaseAndIsNeverWiped) {
    Xvfb server("640x480x24");
    if (!server.running()) {
        GTEST_SKIP() << "Xvfb is not installed here";
    }
    if (findProgram("dbus-run-session").empty() || findProgram("xfconf-query").empty()) {
        GTEST_SKIP() << "XFCE's settings service (xfconf) or dbus is not installed";
    }
    DesktopSession session(server.display(), "XFCE");
    const std::string picture = writeUsersPicture(session, "png");
    const std::string backdrop = "/backdrop/screen0/monitorscreen/workspace0/";
    const std::string set = "xfconf-query -c xfce4-desktop -n -p " + backdrop;
    ASSERT_EQ(session.run(set + "last-image -t string -s '" + picture + "'\n" + set + "image-style -t int -s 5\n"), 0)
        << session.readLog();
    const std::string get = "xfconf-query -c xfce4-desktop -p " + backdrop + "last-image";
    ASSERT_EQ(session.output(get), picture) << session.readLog("errors.txt");

    // Every value the program sets is logged, to see that the picture is never wiped.
    const std::string run = "xfconf-query -c xfce4-desktop -m -v >\"$HOME/../monitor.txt\" &\n"
                            "monitor=$!\nsleep 0.5\n\"$VELMORA\" /0\nstatus=$?\nsleep 0.5\nkill $monitor\n"
                            "exit $status\n";
    ASSERT_EQ(session.run(run), 0) << session.readLog();
    EXPECT_NE(session.readLog().find("Wallpaper\txfce"), std::string::npos) << session.readLog();
    EXPECT_EQ(session.samplefile(), picture);
    EXPECT_EQ(session.output(get), session.programDir() + "calendar.bmp");
    const std::string changes = readBytes(session.file("monitor.txt"));
    EXPECT_NE(changes.find("set: " + backdrop + "last-image (" + session.programDir() + "calendar.bmp)"),
              std::string::npos)
        << "the monitor heard the program: " << changes;
    EXPECT_EQ(changes.find("set: " + backdrop + "last-image ()"), std::string::npos) << changes;
    const QImage blank(QString::fromStdString(session.programDir() + "blank.bmp"));
    ASSERT_EQ(blank.size(), QSize(640, 480));
    EXPECT_PRED2(nearColour, blank.pixel(320, 240), kUsersColour);
}
