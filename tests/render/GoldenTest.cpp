#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/WallpaperPass.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace velmora;

namespace {

// A calendar drawn small with fixed data. Compared with its golden picture by
// the share of clearly different pixels, so that a font update passes and a
// moved grid, a lost text or a wrong colour does not. Set
// VELMORA_UPDATE_GOLDEN=1 to write new golden pictures after a wanted change.
QImage drawFixed(int view) {
    FixedClock clock(*parseDateTime("2026/12/08 09:00:00"));
    SilentFeedback feedback;
    ScheduleStore store("/nowhere/", "PC", clock, feedback);
    store.entryLists(EntryKind::Dated).set("2026/12/24", formatEntryList({"忘年会 19:00 ", "プレゼント "}));
    store.entryLists(EntryKind::Dated).set("2026/12/08", formatEntryList({"歯医者 "}));
    store.entryLists(EntryKind::Weekly).set("4", formatEntryList({"定例会議 "}));
    Settings settings;
    settings.calenFlag = view;
    settings.holidayList.set("01/01", "元日");
    settings.holidayList.set("11/23", "勤労感謝の日");
    settings.fbgTrans = 40;
    settings.fbgColor = 0x402010;
    settings.rikuyou = 1;
    settings.kyureki = 1;
    CalendarState calendar(settings.holidayList);
    RenderInputs in{settings, store, calendar, clock.now(), *parseDate("2026/12/01"), false, false};
    DrawState state;
    QImage base(960, 540, QImage::Format_RGB32);
    base.fill(QColor(90, 140, 200));
    return renderCalendar(base, in, state);
}

double differingShare(const QImage& a, const QImage& b) {
    long differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            const int d =
                std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()), std::abs(p.blue() - q.blue())});
            differing += d > 64;
        }
    }
    return static_cast<double>(differing) / (a.width() * a.height());
}

void compareWithGolden(const QImage& picture, const char* name) {
    const std::string path = std::string(VELMORA_TEST_DATA_DIR) + "/render/" + name;
    if (std::getenv("VELMORA_UPDATE_GOLDEN")) {
        ASSERT_TRUE(picture.save(QString::fromStdString(path)));
        GTEST_SKIP() << "wrote " << path;
    }
    const QImage golden(QString::fromStdString(path));
    ASSERT_FALSE(golden.isNull()) << path;
    ASSERT_EQ(golden.size(), picture.size());
    EXPECT_LT(differingShare(picture, golden.convertToFormat(QImage::Format_RGB32)), 0.01) << name;
}

} // namespace

TEST(Golden, MonthView) {
    compareWithGolden(drawFixed(0), "month-2026-12.png");
}

TEST(Golden, SeveralMonthsView) {
    compareWithGolden(drawFixed(1), "year-2026.png");
}

TEST(Golden, TheComparisonNoticesAMovedGrid) {
    // Guards the tolerance itself: a layout a few pixels off must not pass.
    const QImage picture = drawFixed(0);
    QImage shifted(picture.size(), QImage::Format_RGB32);
    shifted.fill(QColor(90, 140, 200));
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 6; x < picture.width(); ++x) {
            shifted.setPixelColor(x, y, picture.pixelColor(x - 6, y));
        }
    }
    EXPECT_GT(differingShare(picture, shifted), 0.01);
}
