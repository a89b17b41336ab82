#include "platform/x11/DesktopBackends.h"

#include <QFile>
#include <QProcess>
#include <QUrl>

#include <algorithm>
#include <sstream>

namespace velmora {

namespace {

bool hasPart(const std::string& list, const char* name) {
    std::istringstream in(list);
    for (std::string part; std::getline(in, part, ':');) {
        std::string upper;
        for (char c : part) {
            upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        if (upper == name) {
            return true;
        }
    }
    return false;
}

std::string fileUri(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

bool runAll(const std::vector<Command>& commands, const CommandRunner& run, std::string* error) {
    for (const Command& c : commands) {
        const int status = run(c, nullptr);
        if (status != 0) {
            if (error) {
                *error = status < 0 ? c.front() + " がみつかりません" : c.front() + " が壁紙の設定を受け付けません";
            }
            return false;
        }
    }
    return true;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string trimmed(const std::string& text) {
    const auto space = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    const auto begin = std::find_if_not(text.begin(), text.end(), space);
    const auto end = std::find_if_not(text.rbegin(), text.rend(), space).base();
    return begin < end ? std::string(begin, end) : std::string();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// A string as gsettings prints it: in single quotes, or double quotes when it
// holds a single quote, with backslash escapes.
std::string gvariantString(const std::string& printed) {
    const std::string text = trimmed(printed);
    if (text.size() < 2 || (text.front() != '\'' && text.front() != '"') || text.back() != text.front()) {
        return text;
    }
    std::string value;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && i + 2 < text.size()) {
            ++i;
        }
        value += text[i];
    }
    return value;
}

bool gsettingsGet(const CommandRunner& run, const std::string& schema, const std::string& key, std::string* value) {
    std::string output;
    if (run({"gsettings", "get", schema, key}, &output) != 0) {
        return false;
    }
    *value = gvariantString(output);
    return true;
}

// Setting an empty string needs its GVariant form; anything else gsettings takes as it is.
std::string gsettingsValue(const std::string& text) {
    return text.empty() ? "''" : text;
}

// The layout only matters to the calendar when it shows no picture at all.
std::vector<Command> showingAPicture(const std::string& schema, const CommandRunner& run) {
    std::string options;
    if (gsettingsGet(run, schema, "picture-options", &options) && options != "none") {
        return {};
    }
    return {{"gsettings", "set", schema, "picture-options", "zoom"}};
}

WallpaperStyle styleFromPictureOptions(const std::string& options) {
    const struct {
        const char* name;
        WallpaperStyle style;
    } names[] = {
        {"none", WallpaperStyle::NoPicture},    {"wallpaper", WallpaperStyle::Tile},
        {"centered", WallpaperStyle::Centre},   {"scaled", WallpaperStyle::Scale},
        {"stretched", WallpaperStyle::Stretch}, {"zoom", WallpaperStyle::Zoom},
        {"spanned", WallpaperStyle::Span},
    };
    for (const auto& n : names) {
        if (options == n.name) {
            return n.style;
        }
    }
    return WallpaperStyle::Zoom;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "#rrggbb", or "#rrrrggggbbbb" of which the high byte of each part counts.
std::optional<QRgb> hexColour(const std::string& text) {
    if (text.empty() || text.front() != '#' || (text.size() != 7 && text.size() != 13)) {
        return std::nullopt;
    }
    const std::size_t digits = (text.size() - 1) / 3;
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        const int high = hexDigit(text[1 + i * digits]);
        const int low = hexDigit(text[2 + i * digits]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        parts[i] = high * 16 + low;
    }
    return qRgb(parts[0], parts[1], parts[2]);
}

// A local file from a file URI or a plain path; "" stays "" (no picture).
std::optional<std::string> localPath(const std::string& value) {
    if (value.empty() || value.front() == '/') {
        return value;
    }
    const QUrl url(QString::fromStdString(value));
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    return url.toLocalFile().toStdString();
}

// The gsettings desktops; darkKey is "" where the desktop has no dark style.
std::optional<DesktopWallpaper> gsettingsWallpaper(const CommandRunner& run, const std::string& schema,
                                                   const std::string& pictureKey, const std::string& darkKey) {
    std::string picture;
    bool read = false;
    if (!darkKey.empty()) {
        std::string scheme;
        if (gsettingsGet(run, "org.gnome.desktop.interface", "color-scheme", &scheme) && scheme == "prefer-dark") {
            // An empty dark key means the light picture is used for both styles.
            read = gsettingsGet(run, schema, darkKey, &picture) && !picture.empty();
        }
    }
    std::string options;
    std::string colour;
    if ((!read && !gsettingsGet(run, schema, pictureKey, &picture)) ||
        !gsettingsGet(run, schema, "picture-options", &options) ||
        !gsettingsGet(run, schema, "primary-color", &colour)) {
        return std::nullopt;
    }
    const std::optional<std::string> path = localPath(picture);
    if (!path) {
        return std::nullopt;
    }
    DesktopWallpaper wallpaper;
    wallpaper.path = *path;
    wallpaper.style = styleFromPictureOptions(options);
    wallpaper.background = hexColour(colour).value_or(wallpaper.background);
    return wallpaper;
}

bool xfconfGet(const CommandRunner& run, const std::string& property, std::string* value) {
    std::string output;
    if (run({"xfconf-query", "-c", "xfce4-desktop", "-p", property}, &output) != 0) {
        return false;
    }
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
        output.pop_back();
    }
    *value = output;
    return true;
}

std::optional<double> number(const std::string& text) {
    bool ok = false;
    const double value = QString::fromStdString(trimmed(text)).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

int integer(const std::string& text, int otherwise) {
    bool ok = false;
    const int value = QString::fromStdString(trimmed(text)).toInt(&ok);
    return ok ? value : otherwise;
}

// xfconf prints the colour array as "r,g,b,a" on one line, or one number a
// line under a heading; in some locales with a decimal comma.
std::optional<QRgb> xfceColour(const std::string& printed) {
    std::vector<double> parts;
    for (const std::string& line : linesOf(printed)) {
        std::vector<double> onLine;
        std::istringstream in(line);
        for (std::string part; std::getline(in, part, ',');) {
            if (const auto n = number(part)) {
                onLine.push_back(*n);
            } else {
                onLine.clear();
                break;
            }
        }
        if (onLine.size() >= 3) {
            parts = onLine;
            break;
        }
        std::string decimal = line;
        std::replace(decimal.begin(), decimal.end(), ',', '.');
        if (const auto n = number(decimal)) {
            parts.push_back(*n);
        }
    }
    if (parts.size() < 3) {
        return std::nullopt;
    }
    const auto byte = [](double v) { return static_cast<int>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); };
    return qRgb(byte(parts[0]), byte(parts[1]), byte(parts[2]));
}

std::optional<DesktopWallpaper> xfceWallpaper(const CommandRunner& run) {
    std::string list;
    if (run({"xfconf-query", "-c", "xfce4-desktop", "-l"}, &list) != 0) {
        return std::nullopt;
    }
    std::vector<std::string> properties;
    for (const std::string& line : linesOf(list)) {
        properties.push_back(trimmed(line));
    }
    const std::string suffix = "last-image";
    std::string image;
    for (const std::string& p : properties) {
        if (endsWith(p, "/" + suffix) && (image.empty() || (image.find("workspace0") == std::string::npos &&
                                                            p.find("workspace0") != std::string::npos))) {
            image = p;
        }
    }
    DesktopWallpaper wallpaper;
    if (image.empty() || !xfconfGet(run, image, &wallpaper.path)) {
        return std::nullopt;
    }
    const std::string base = image.substr(0, image.size() - suffix.size());
    const auto listed = [&](const std::string& p) {
        return std::find(properties.begin(), properties.end(), p) != properties.end();
    };
    std::string value;
    if (listed(base + "image-style") && xfconfGet(run, base + "image-style", &value)) {
        const WallpaperStyle styles[] = {WallpaperStyle::NoPicture, WallpaperStyle::Centre, WallpaperStyle::Tile,
                                         WallpaperStyle::Stretch,   WallpaperStyle::Scale,  WallpaperStyle::Zoom,
                                         WallpaperStyle::Span};
        const int n = integer(value, -1);
        if (n >= 0 && n < static_cast<int>(std::size(styles))) {
            wallpaper.style = styles[n];
        }
    }
    if (listed(base + "rgba1") && xfconfGet(run, base + "rgba1", &value)) {
        wallpaper.background = xfceColour(value).value_or(wallpaper.background);
    }
    return wallpaper;
}

// One backdrop property per monitor and workspace; set every one of them.
// For the calendar a backdrop that shows no picture (style 0) is switched to zoomed.
bool setXfceImages(const std::string& path, const CommandRunner& run, std::string* error, bool showPicture) {
    std::string list;
    if (run({"xfconf-query", "-c", "xfce4-desktop", "-l"}, &list) != 0) {
        if (error) {
            *error = "xfconf-query がみつかりません";
        }
        return false;
    }
    std::vector<Command> commands;
    for (const std::string& line : linesOf(list)) {
        const std::string property = trimmed(line);
        if (endsWith(property, "/last-image")) {
            commands.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", path});
        }
        std::string style;
        if (showPicture && endsWith(property, "/image-style") && xfconfGet(run, property, &style) &&
            integer(style, -1) == 0) {
            commands.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", "5"});
        }
    }
    if (commands.empty()) {
        if (error) {
            *error = "XFCE の壁紙の設定がみつかりません";
        }
        return false;
    }
    return runAll(commands, run, error);
}

std::string configHome() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.startsWith('/')) {
        config = qEnvironmentVariable("HOME") + "/.config";
    }
    return config.toStdString();
}

std::string plasmaAppletsrcPath() {
    return configHome() + "/plasma-org.kde.plasma.desktop-appletsrc";
}

} // namespace

DesktopKind desktopKindFrom(const std::string& currentDesktop, const std::string& session) {
    const std::string all = currentDesktop + ":" + session;
    if (hasPart(all, "X-CINNAMON") || hasPart(all, "CINNAMON")) {
        return DesktopKind::Cinnamon;
    }
    if (hasPart(all, "MATE")) {
        return DesktopKind::Mate;
    }
    if (hasPart(all, "KDE") || hasPart(all, "PLASMA")) {
        return DesktopKind::Kde;
    }
    if (hasPart(all, "XFCE")) {
        return DesktopKind::Xfce;
    }
    if (hasPart(all, "GNOME") || hasPart(all, "UNITY") || hasPart(all, "BUDGIE")) {
        return DesktopKind::Gnome;
    }
    return DesktopKind::PlainX;
}

bool setDesktopWallpaper(DesktopKind kind, const std::string& path, const CommandRunner& run, std::string* error) {
    const std::string uri = fileUri(path);
    switch (kind) {
    case DesktopKind::PlainX:
        return true;
    case DesktopKind::Gnome: {
        const std::string schema = "org.gnome.desktop.background";
        std::vector<Command> commands = showingAPicture(schema, run);
        commands.push_back({"gsettings", "set", schema, "picture-uri", uri});
        if (!runAll(commands, run, error)) {
            return false;
        }
        // Older versions have no key for the dark style; the light one is enough there.
        run({"gsettings", "set", schema, "picture-uri-dark", uri}, nullptr);
        return true;
    }
    case DesktopKind::Cinnamon: {
        const std::string schema = "org.cinnamon.desktop.background";
        std::vector<Command> commands = showingAPicture(schema, run);
        commands.push_back({"gsettings", "set", schema, "picture-uri", uri});
        return runAll(commands, run, error);
    }
    case DesktopKind::Mate: {
        const std::string schema = "org.mate.background";
        std::vector<Command> commands = showingAPicture(schema, run);
        commands.push_back({"gsettings", "set", schema, "picture-filename", path});
        return runAll(commands, run, error);
    }
    case DesktopKind::Kde:
        return runAll({{"plasma-apply-wallpaperimage", path}}, run, error);
    case DesktopKind::Xfce:
        return setXfceImages(path, run, error, true);
    }
    return false;
}

std::optional<DesktopWallpaper> readDesktopWallpaper(DesktopKind kind, const CommandRunner& run) {
    switch (kind) {
    case DesktopKind::PlainX:
        return std::nullopt;
    case DesktopKind::Gnome:
        return gsettingsWallpaper(run, "org.gnome.desktop.background", "picture-uri", "picture-uri-dark");
    case DesktopKind::Cinnamon:
        return gsettingsWallpaper(run, "org.cinnamon.desktop.background", "picture-uri", "");
    case DesktopKind::Mate:
        return gsettingsWallpaper(run, "org.mate.background", "picture-filename", "");
    case DesktopKind::Kde: {
        QFile file(QString::fromStdString(plasmaAppletsrcPath()));
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        return plasmaWallpaperFrom(file.readAll().toStdString());
    }
    case DesktopKind::Xfce:
        return xfceWallpaper(run);
    }
    return std::nullopt;
}

std::optional<DesktopWallpaper> plasmaWallpaperFrom(const std::string& appletsrc) {
    // Keys of one group may come in any order, so the group is read to its end.
    std::optional<DesktopWallpaper> group;
    bool hasImage = false;
    for (const std::string& raw : linesOf(appletsrc)) {
        const std::string line = trimmed(raw);
        if (!line.empty() && line.front() == '[') {
            if (hasImage) {
                break;
            }
            const std::string name = "][Wallpaper][org.kde.image][General]";
            group = endsWith(line, name) && line.size() > name.size() + 1
                        ? std::optional<DesktopWallpaper>(DesktopWallpaper())
                        : std::nullopt;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!group || equals == std::string::npos) {
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (key == "Image" && !hasImage) {
            const std::optional<std::string> path = localPath(value);
            if (path) {
                group->path = *path;
                hasImage = true;
            }
        } else if (key == "FillMode") {
            const int m = integer(value, -1);
            group->style = m == 0   ? WallpaperStyle::Stretch
                           : m == 1 ? WallpaperStyle::Scale
                           : m == 3 ? WallpaperStyle::Tile
                           : m == 6 ? WallpaperStyle::Centre
                                    : WallpaperStyle::Zoom;
        } else if (key == "Color") {
            std::istringstream in(value);
            int parts[3];
            int count = 0;
            for (std::string part; count < 3 && std::getline(in, part, ',');) {
                const int n = integer(part, -1);
                if (n < 0) {
                    break;
                }
                parts[count++] = std::min(n, 255);
            }
            if (count == 3) {
                group->background = qRgb(parts[0], parts[1], parts[2]);
            }
        }
    }
    return hasImage ? group : std::nullopt;
}

bool setDesktopBaseWallpaper(DesktopKind kind, const std::string& path, const CommandRunner& run, std::string* error) {
    const std::string uri = path.empty() ? std::string() : fileUri(path);
    switch (kind) {
    case DesktopKind::PlainX:
        return true;
    case DesktopKind::Gnome:
        if (!runAll({{"gsettings", "set", "org.gnome.desktop.background", "picture-uri", gsettingsValue(uri)}}, run,
                    error)) {
            return false;
        }
        run({"gsettings", "set", "org.gnome.desktop.background", "picture-uri-dark", gsettingsValue(uri)}, nullptr);
        return true;
    case DesktopKind::Cinnamon:
        return runAll({{"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", gsettingsValue(uri)}},
                      run, error);
    case DesktopKind::Mate:
        return runAll({{"gsettings", "set", "org.mate.background", "picture-filename", gsettingsValue(path)}}, run,
                      error);
    case DesktopKind::Kde:
        // Plasma always shows some image; with none of the user's own, leave it as it is.
        if (path.empty()) {
            return true;
        }
        return runAll({{"plasma-apply-wallpaperimage", path}}, run, error);
    case DesktopKind::Xfce:
        return setXfceImages(path, run, error, false);
    }
    return false;
}

std::string desktopSettingsFile(DesktopKind kind) {
    switch (kind) {
    case DesktopKind::PlainX:
        return {};
    case DesktopKind::Gnome:
    case DesktopKind::Cinnamon:
    case DesktopKind::Mate:
        return configHome() + "/dconf/user";
    case DesktopKind::Kde:
        return plasmaAppletsrcPath();
    case DesktopKind::Xfce:
        return configHome() + "/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml";
    }
    return {};
}

int runCommand(const Command& command, std::string* output) {
    if (command.empty()) {
        return -1;
    }
    QProcess process;
    QStringList arguments;
    for (std::size_t i = 1; i < command.size(); ++i) {
        arguments << QString::fromStdString(command[i]);
    }
    process.start(QString::fromStdString(command.front()), arguments);
    if (!process.waitForStarted(3000)) {
        return -1;
    }
    process.waitForFinished(10000);
    if (output) {
        *output = process.readAllStandardOutput().toStdString();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace velmora
