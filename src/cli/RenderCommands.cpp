#include "cli/CliCommands.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/BmpFile.h"
#include "render/FontMapping.h"
#include "render/HitTest.h"
#include "render/WallpaperPass.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <filesystem>
#include <ostream>

namespace velmora::cli {

RenderRequest parseRenderRequest(std::vector<std::string>& args, const CliContext& context) {
    RenderRequest r;
    const std::string month = takeOption(args, "--month");
    const std::string view = takeOption(args, "--view");
    const std::string size = takeOption(args, "--size");
    if (!month.empty()) {
        const auto first = parseDate(month + "/01");
        if (!first || month.size() != 7) {
            throw UsageError{"--month takes yyyy/mm: " + month};
        }
        r.month = *first;
    } else {
        r.month = context.now().datePart().startOfMonth();
    }
    if (!view.empty() && view != "month" && view != "year") {
        throw UsageError{"--view takes month or year: " + view};
    }
    r.view = view;
    if (!size.empty()) {
        const auto x = size.find('x');
        try {
            r.width = std::stoi(size.substr(0, x));
            r.height = std::stoi(size.substr(x + 1));
        } catch (const std::exception&) {
            r.width = 0;
        }
        if (x == std::string::npos || r.width < 320 || r.height < 240 || r.width > 16384 || r.height > 16384) {
            throw UsageError{"--size takes WxH (320x240 .. 16384x16384): " + size};
        }
    }
    return r;
}

Settings settingsFor(const Session& session, const RenderRequest& request) {
    Settings s = session.state.settings;
    if (request.view == "month") {
        s.calenFlag = 0;
    } else if (request.view == "year") {
        s.calenFlag = 1;
    }
    return s;
}

namespace {

// The print picture on one landscape page of a PDF, fitted as on paper;
// written beside the target and renamed over it.
bool writePrintPdf(const QImage& picture, const std::string& path, std::string* error) {
    const std::string temp = path + ".tmp";
    {
        QPdfWriter writer(QString::fromStdString(temp));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setResolution(200);
        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = "PDFを作成できません";
            return false;
        }
        const Rect r = fitToPage(picture.width(), picture.height(), writer.width(), writer.height());
        painter.drawImage(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), picture);
        painter.end();
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        *error = "PDFを保存できません";
        return false;
    }
    return true;
}

} // namespace

int runRender(CliContext& context, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    RenderRequest request = parseRenderRequest(rest, context);
    std::string base = takeOption(rest, "--base");
    std::string out = takeOption(rest, "--out");
    const std::string pdf = takeOption(rest, "--print");
    noArguments(rest);

    ensureGuiApplication();
    Session session(context, false, false);
    const Settings settings = settingsFor(session, request);
    if (base.empty() && std::filesystem::exists(session.state.locations.blankBitmapPath)) {
        base = session.state.locations.blankBitmapPath;
    } else if (!base.empty() && !std::filesystem::exists(base)) {
        context.err << "velmora-cli: 下絵のファイルがみつかりません: " << base << "\n";
        return kFailure;
    }
    if (out.empty()) {
        out = session.state.locations.calendarBitmapPath;
    }
    CalendarState calendar(settings.holidayList);
    const DateValue now = context.now();
    const bool adjust = adjustsAtStart(settings, request.month, now);
    std::string error;
    if (!pdf.empty()) {
        // Printing draws without margins on a white page, in black, without shadows.
        Settings paper = settings;
        paper.yohakuT = paper.yohakuB = paper.yohakuL = paper.yohakuR = 0;
        paper.yohakuT2 = paper.yohakuB2 = paper.yohakuL2 = paper.yohakuR2 = 0;
        RenderInputs in{paper, session.schedule, calendar, now, request.month, adjust, true};
        QImage white(request.width, request.height, QImage::Format_RGB32);
        white.fill(Qt::white);
        DrawState state;
        if (!writePrintPdf(renderCalendar(white, in, state), pdf, &error)) {
            context.err << "velmora-cli: 印刷用のPDFを保存できませんでした: " << pdf << ": " << error << "\n";
            return kFailure;
        }
        context.out << pdf << "\n";
        return kOk;
    }
    RenderInputs in{settings, session.schedule, calendar, now, request.month, adjust, false};
    DrawState state;
    const QImage picture = renderCalendar(basePicture(base, request.width, request.height), in, state);
    if (!saveBmp(picture, out, &error)) {
        context.err << "velmora-cli: カレンダーを保存できませんでした: " << out << ": " << error << "\n";
        return kFailure;
    }
    context.out << out << "\n";
    return kOk;
}

} // namespace velmora::cli
