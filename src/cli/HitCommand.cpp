#include "cli/CliCommands.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/FontMapping.h"
#include "render/HitTest.h"
#include "render/WallpaperPass.h"

#include <charconv>
#include <ostream>

namespace velmora::cli {

namespace {

int coordinate(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError{"not a pixel position: " + text};
    }
    return value;
}

} // namespace

int runHit(CliContext& context, const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool alt = takeFlag(args, "--alt");
    const RenderRequest request = parseRenderRequest(args, context);
    if (args.size() != 2) {
        throw UsageError{"hit takes X and Y"};
    }
    const int x = coordinate(args[0]);
    const int y = coordinate(args[1]);

    ensureGuiApplication();
    Session session(context, false, false);
    const Settings settings = settingsFor(session, request);
    const DateValue now = context.now();

    // The click is answered from the geometry the pass `render` draws leaves,
    // as on the desktop: the same fonts, the same shift of the grid.
    CalendarState calendar(settings.holidayList);
    const bool adjust = adjustsAtStart(settings, request.month, now);
    DrawState state;
    const RenderInputs inputs{settings, session.schedule, calendar, now, request.month, adjust, false};
    renderCalendar(basePicture("", request.width, request.height), inputs, state);

    // The tool opens no picker; it only says where one would open.
    bool pickerAsked = false;
    const HitInput input{.x = x,
                         .y = y,
                         .screenWidth = request.width,
                         .screenHeight = request.height,
                         .settings = settings,
                         .state = state,
                         .displayMonth = request.month,
                         .now = now,
                         .adjust = adjust,
                         .alt = alt,
                         .pickerAllowed = true,
                         .picker = [&](const PickerRequest&) -> std::optional<PickedMonth> {
                             pickerAsked = true;
                             return std::nullopt;
                         }};
    const HitResult hit = hitTest(input);
    if (!hit.message.empty()) {
        context.err << hit.message << "\n";
    }
    if (pickerAsked) {
        context.out << "picker\n";
    } else {
        context.out << hit.code << '\t' << formatDate(hit.date.value_or(request.month)) << '\n';
    }
    return kOk;
}

} // namespace velmora::cli
