#pragma once

#include "core/DateValue.h"
#include "render/Canvas.h"
#include "render/DrawState.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct Settings;

// What a click on the wallpaper asks for.
enum HitCode : int {
    kHitNothing = 0,
    kHitDay = 1,        // a day: `date`
    kHitTitle = 2,      // open the drawing options
    kHitBack = 3,       // go back, or the picker chose a month: `date` is the new month
    kHitForward = 4,    // go forward: `date` is the new month
    kHitSwitchView = 5, // between the one-month and the several-months view
    kHitMonthBlock = 6, // a block's header: open `date`'s month in the one-month view
    kHitMemo = 7,       // a wallpaper memo was brought back
};

// What the month picker opens with, and what it gives back.
struct PickerRequest {
    int year = 0;
    int month = 0;
    bool monthHidden = false; // the several-months view picks a year only
};
struct PickedMonth {
    int year = 0;
    int month = 0;
};

struct HitInput {
    int x = 0; // screen pixels
    int y = 0;
    int screenWidth = 0; // W and H of the last pass
    int screenHeight = 0;
    const Settings& settings;
    const DrawState& state; // of the last pass
    DateValue displayMonth;
    DateValue now;
    bool adjust = false; // the adjust flag the last pass drew with
    bool alt = false;    // the click with Alt held
    bool pickerAllowed = false;
    // On when memos answer clicks: the memo check is set and the main window is hidden.
    bool memoCheck = false;
    std::vector<Rect> memoRects{}; // in drawing order, the last on top
    std::function<void(std::size_t)> bringBackMemo{};
    // The month picker; nullopt when it was cancelled.
    std::function<std::optional<PickedMonth>(const PickerRequest&)> picker{};
};

struct HitResult {
    int code = kHitNothing;
    std::optional<DateValue> date;
    bool adjust = false; // the adjust flag for the next pass
    // The last pass left no grid: the caller captures the desktop, draws, and shows `message`.
    bool captureAndDraw = false;
    std::string message;
    std::optional<std::size_t> memo; // the memo brought back
};

HitResult hitTest(const HitInput& input);

// The rectangle a bitmap takes on a printed page: the page's full height when
// it fits that way, else the page's full width; the aspect is kept.
Rect fitToPage(int bitmapWidth, int bitmapHeight, int pageWidth, int pageHeight);

} // namespace velmora
