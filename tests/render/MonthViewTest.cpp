#include "render/MonthView.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "render/BmpFile.h"
#include "render/FontMapping.h"
#include "render/QtCanvas.h"
#include "render/RecordingCanvas.h"
#include "schedule/EntryList.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <QFontInfo>
#include <QGuiApplication>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

DateValue day(const char* text) {
    return *parseDate(text);
}

struct Scene {
    Scene() : clock(*parseDateTime("2026/12/08 09:00:00")), store("/nowhere/", "PC", clock, feedback) {
        settings.dispYobi = 1;
    }
    DrawState draw(Canvas& canvas, const char* month = "2026/12/01", bool adjust = false) {
        DrawState state;
        calendar = CalendarState(settings.holidayList);
        calendar.holidayPass(settings, day(month), store, clock.today());
        RenderInputs in{settings, store, calendar, clock.now(), day(month), adjust, false};
        drawFrame(canvas, in, state);
        drawGrid(canvas, in, state);
        drawDateStep(canvas, in, state);
        drawEntryStep(canvas, in, state);
        return state;
    }
    FixedClock clock;
    SilentFeedback feedback;
    ScheduleStore store;
    Settings settings;
    CalendarState calendar;
};

} // namespace

TEST(MonthView, TitleArrowsAndClickAreas) {
    Scene scene;
    scene.settings.yohakuT = 20;
    scene.settings.yohakuL = 30;
    scene.settings.yohakuR = 10;
    RecordingCanvas canvas(1920, 1080);
    const DrawState s = scene.draw(canvas);
    // Title size 40 pt at 96 dpi is 53 px, times 1.8 with the weekday header.
    EXPECT_EQ(s.titleHeight, 95);
    const auto title = canvas.withText("Velmora");
    ASSERT_FALSE(title.empty());
    const int width = title.back().rect.right - title.back().rect.left;
    EXPECT_EQ(s.titleX, 30 + (1920 - 30 - 10 - width) / 2);
    EXPECT_EQ(title.back().rect.top, 25);
    EXPECT_EQ(s.titleRight, s.titleX + width);
    const auto triangles = canvas.ofKind("polygon");
    ASSERT_EQ(triangles.size(), 2u);
    const int wl = s.titleX - 30;
    EXPECT_EQ(triangles[0].points[0], (Point{30 + static_cast<int>(wl * 0.33), 20 + (53 + 5) / 2}));
    EXPECT_EQ(triangles[0].points[1], (Point{30 + static_cast<int>(wl * 0.66), 25}));
    const auto ym = canvas.withText("  2026/12  ");
    ASSERT_FALSE(ym.empty());
    EXPECT_EQ(ym.back().rect.left, 30);
    EXPECT_EQ(ym.back().rect.top, 20 + 25);
    EXPECT_EQ(s.areas.previous, (Rect{40, 30, s.titleX, 30 + 95}));
    EXPECT_EQ(s.areas.main, (Rect{40, 125, 1920 - 20, 1080}));
}

TEST(MonthView, GridRowsAndCells) {
    const struct {
        const char* month;
        int kaishi;
        const char* gridStart;
        int rows;
    } rows[] = {
        {"2026/06/01", 0, "2026/06/01", 5}, // a Monday first with 30 days
        {"2027/02/01", 0, "2027/02/01", 5}, // exactly four weeks: the last row all March
        {"2026/11/01", 0, "2026/10/26", 6}, // a Sunday first: the Monday six days before
        {"2026/11/01", 1, "2026/11/01", 5}, {"2026/08/01", 0, "2026/07/27", 6},
    };
    for (const auto& row : rows) {
        Scene scene;
        scene.settings.kaishi = row.kaishi;
        RecordingCanvas canvas(1920, 1080);
        const DrawState s = scene.draw(canvas, row.month);
        EXPECT_EQ(formatDate(s.gridStart), row.gridStart) << row.month;
        EXPECT_EQ(s.rows, row.rows) << row.month;
        EXPECT_EQ(s.cellWidth, (1920 - 20) / 7);
        EXPECT_EQ(s.cellHeight, (1080 - s.titleHeight - 20) / row.rows);
        EXPECT_EQ(canvas.ofKind("line").size(), 8u + row.rows + 1);
    }
}

TEST(MonthView, AdjustingBringsTodaysWeekToItsRow) {
    Scene scene;
    scene.settings.adjst = 1;
    RecordingCanvas canvas(1920, 1080);
    const DrawState s = scene.draw(canvas, "2026/12/01", true);
    EXPECT_EQ(formatDate(s.gridStart), "2026/12/07") << "today 12/08 in the top row";
    EXPECT_EQ(s.adjustShift, 7);
}

TEST(MonthView, DayNumbersHolidaysAndEntries) {
    Scene scene;
    scene.settings.holidayList.set("12/23", "記念日");
    scene.store.entryLists(EntryKind::Dated)
        .set("2026/12/24", formatEntryList({"とても長い予定の文字列がセルの幅を超えて続きます ", "短い "}));
    scene.settings.bunkatu = 1;
    RecordingCanvas canvas(1920, 1080);
    const DrawState s = scene.draw(canvas);
    const auto seven = canvas.withText(" 7");
    ASSERT_EQ(seven.size(), 1u);
    EXPECT_TRUE(seven[0].font.bold);
    const auto holiday = canvas.withText("記念日");
    ASSERT_EQ(holiday.size(), 1u);
    EXPECT_EQ(holiday[0].font.colour, scene.settings.font(FontPart::Holiday).colour);
    // Wednesday 12/23 is row 3, column 2 of a grid from Monday 11/30; the name
    // follows the width of "23" and two blanks at the small size.
    const int x0 = 10 + 2 * s.cellWidth;
    const int y0 = s.titleHeight + 10 + 3 * s.cellHeight;
    const int small = std::max(1, s.cellHeight / 12);
    EXPECT_EQ(holiday[0].rect.left, x0 + 5 + 4 * (small * 96 / 72 / 2));
    EXPECT_EQ(holiday[0].rect.top, y0 + 1);
    // Wrapped mode: continuation lines start with two blanks and stay in the box.
    const auto lines = canvas.ofKind("textRect");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1].text.substr(0, 2), "  ");
    for (const auto& l : lines) {
        EXPECT_LE(l.rect.left, l.clip.left);
        EXPECT_LE(canvas.textWidth(l.text), l.clip.right - l.clip.left + 0) << l.text;
    }
    const auto mark = canvas.ofKind("rectangle");
    ASSERT_EQ(mark.size(), 1u) << "today's box";
    EXPECT_EQ(mark[0].penColour, resolveColour(scene.settings.today));
}

TEST(QtCanvas, TintMixesInIntegers) {
    for (const int transparency : {100, 0, 40}) {
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(QColor(200, 100, 50));
        QtCanvas(image).tint(Rect{10, 5, 30, 15}, 0x0000FF /* red */, transparency);
        const QColor inside = image.pixelColor(10, 5);
        const QColor outside = image.pixelColor(9, 5);
        EXPECT_EQ(inside.red(), 255 * (100 - transparency) / 100 + 200 * transparency / 100) << transparency;
        EXPECT_EQ(inside.green(), 100 * transparency / 100) << transparency;
        EXPECT_EQ(image.pixelColor(29, 14), inside);
        EXPECT_EQ(outside, QColor(200, 100, 50)) << "only the area is tinted";
        EXPECT_EQ(image.pixelColor(30, 15), QColor(200, 100, 50));
    }
}

TEST(BmpFile, TwentyFourBitsBottomUpPadded) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    image.setPixelColor(0, 0, QColor(10, 20, 30)); // top-left
    const std::string bytes = bmpBytes(image);
    const int rowBytes = 12; // 3 pixels * 3 bytes, padded to 4
    ASSERT_EQ(bytes.size(), 54u + 2 * rowBytes);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24u);
    // The top row comes last; pixels are blue, green, red.
    EXPECT_EQ(static_cast<unsigned char>(bytes[54 + rowBytes]), 30u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[54 + rowBytes + 2]), 10u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[54]), 3u);
    const QImage back =
        QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "BMP");
    ASSERT_FALSE(back.isNull()) << "any reader takes it";
    EXPECT_EQ(back.pixelColor(0, 0), QColor(10, 20, 30));
}

TEST(FontMapping, DefaultFacesResolveToJapaneseFonts) {
    installFontSubstitutions();
    for (const char* face :
         {"HG丸ｺﾞｼｯｸM-PRO", "ＭＳ Ｐゴシック", "ＭＳ ゴシック", "ＭＳ 明朝", "メイリオ", "No Such Face"}) {
        const std::string family = mappedFamily(face);
        QFont font(QString::fromStdString(family));
        const QString resolved = QFontInfo(font).family();
        // Without the mapping fontconfig would pick a Latin face and borrow glyphs line by line.
        EXPECT_TRUE(resolved.startsWith("IPA") || resolved.startsWith("MotoyaLMaru") ||
                    resolved.startsWith("Noto Sans CJK JP"))
            << face << " -> " << resolved.toStdString();
    }
    EXPECT_EQ(mappedFamily("HG丸ｺﾞｼｯｸM-PRO"), "MotoyaLMaru");
    // Faces with a bold of their own at home get a family with one (fonts-noto-cjk).
    EXPECT_EQ(mappedFamily("メイリオ"), "Noto Sans CJK JP");
    EXPECT_EQ(mappedFamily("游明朝"), "Noto Serif CJK JP");
    EXPECT_TRUE(hasBoldFace(mappedFamily("メイリオ")));
    EXPECT_FALSE(hasBoldFace(mappedFamily("HG丸ｺﾞｼｯｸM-PRO")));
}

// Past fault: Qt stops emboldening a face without a bold at 64 pixels, and
// the shown month's day numbers came out regular on 4K screens and with FullFont.
TEST(QtCanvas, BoldIsVisibleAtEverySize) {
    installFontSubstitutions();
    for (const char* face : {"HG丸ｺﾞｼｯｸM-PRO", "ＭＳ 明朝", "メイリオ"}) {
        for (const int px : {40, 120}) {
            const auto ink = [&](bool bold) {
                QImage image(px * 3, px * 2, QImage::Format_RGB32);
                image.fill(Qt::white);
                {
                    QtCanvas canvas(image);
                    canvas.font.face = face;
                    canvas.font.bold = bold;
                    canvas.fontPixelHeight = px;
                    canvas.textOut(px / 4, px / 4, "28");
                }
                long sum = 0;
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        sum += 255 - qGray(image.pixel(x, y));
                    }
                }
                return sum;
            };
            const long regular = ink(false);
            ASSERT_GT(regular, 0) << face;
            EXPECT_GT(static_cast<double>(ink(true)) / static_cast<double>(regular), 1.3) << face << " at " << px;
        }
    }
}

TEST(MonthView, ShadowsAndWeekdayNames) {
    Scene scene;
    scene.settings.shadowWidth = 2;
    scene.settings.weekName = "日,月,火,水,木,金"; // six names: the English ones stand in
    RecordingCanvas canvas(1920, 1080);
    scene.draw(canvas);
    const auto title = canvas.withText("Velmora");
    ASSERT_EQ(title.size(), 4u) << "three shadow copies, then the text";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(title[static_cast<std::size_t>(i)].rect.left, title[3].rect.left + i);
        EXPECT_EQ(title[static_cast<std::size_t>(i)].font.colour, scene.settings.shadow);
    }
    EXPECT_EQ(title[3].font.colour, scene.settings.font(FontPart::Title).colour);
    EXPECT_EQ(canvas.withText("Mon").size(), 4u);
    EXPECT_TRUE(canvas.withText("日").empty());

    scene.settings.shadowWidth = 0;
    RecordingCanvas plain(1920, 1080);
    scene.draw(plain);
    EXPECT_EQ(plain.withText("Velmora").size(), 1u);
}

TEST(MonthView, PrintModeIsBlackOnWhiteWithoutShadows) {
    Scene scene;
    scene.settings.shadowWidth = 3;
    scene.settings.holidayList.set("12/23", "記念日");
    RecordingCanvas canvas(1920, 1080);
    DrawState state;
    scene.calendar = CalendarState(scene.settings.holidayList);
    scene.calendar.holidayPass(scene.settings, day("2026/12/01"), scene.store, scene.clock.today());
    RenderInputs in{scene.settings, scene.store, scene.calendar, scene.clock.now(), day("2026/12/01"), false, true};
    drawFrame(canvas, in, state);
    drawGrid(canvas, in, state);
    drawDateStep(canvas, in, state);
    for (const auto& call : canvas.ofKind("text")) {
        EXPECT_EQ(call.font.colour, 0) << call.text;
    }
    EXPECT_EQ(canvas.withText("Velmora").size(), 1u);
    for (const auto& l : canvas.ofKind("line")) {
        EXPECT_EQ(l.penColour, 0u);
    }
}
