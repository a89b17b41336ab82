#include "editor/TEditForm.h"

#include "core/DateText.h"
#include "core/NameValueList.h"
#include "support/TestSupport.h"
#include "widgets/MaskedDateEdit.h"
#include "widgets/TCPanel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace velmora;

namespace {

constexpr Colour kScheduleColour = 0x0000FF; // red, 0x00BBGGRR

EditFormContext context() {
    EditFormContext c;
    c.viewDate = *parseDate("2026/03/10"); // a Tuesday
    c.now = *parseDateTime("2026/03/10 09:05:30");
    c.scheduleFontName = "ＭＳ Ｐゴシック";
    c.scheduleFontColour = kScheduleColour;
    return c;
}

template <typename W = QWidget> W* control(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(QLatin1String(name));
    EXPECT_TRUE(w) << name;
    return w;
}

void click(QWidget& form, const char* name, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* w = control(form, name);
    // Near the left edge: a check box stretched by its layout takes clicks on its box and text only.
    QTest::mouseClick(w, button, {}, QPoint(std::min(8, w->width() / 2), w->height() / 2));
}

// Japanese text arrives through the input method, not as key presses.
void typeText(QWidget* box, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

void showPage(QWidget& form, int page) {
    control<QTabWidget>(form, "PageControl")->setCurrentIndex(page);
}

// Acts on the next modal window other than `except` (a dialog a click is about to run).
void onNextModal(QWidget* except, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, except, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != except) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

// Runs the editor on `row`, with `act` driving it once it shows.
template <typename Act> bool runAndDo(TEditForm& form, EntryRow& row, Act act) {
    QTimer::singleShot(0, &form, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        act(form);
    });
    return form.run(row);
}

} // namespace

TEST(TEditForm, AddsAWeeklyEntryWithItsRules) {
    NameValueList colours;
    TEditForm form(context(), colours, false);
    EntryRow row;
    const bool ok = runAndDo(form, row, [](TEditForm& f) {
        EXPECT_EQ(control<QRadioButton>(f, "PtnGrpItem1")->text(), "毎週火曜日の予定");
        EXPECT_EQ(control<QRadioButton>(f, "PtnGrpItem0")->text(), "2026年3月10日の予定");
        EXPECT_TRUE(control<QLineEdit>(f, "ScheduleEdit")->hasFocus());
        EXPECT_FALSE(control(f, "Day1Chk")->isEnabled()) << "weeks are for weekly entries";
        typeText(control(f, "ScheduleEdit"), QStringLiteral("燃えるゴミ"));
        click(f, "PtnGrpItem1");
        EXPECT_TRUE(control(f, "Day1Chk")->isEnabled());
        EXPECT_TRUE(control(f, "HoliChk")->isEnabled());
        click(f, "Day5Chk");
        click(f, "HoliChk");
        click(f, "ChgGrpItem0");
        showPage(f, 1);
        for (int m = 1; m <= 12; ++m) {
            if (m != 3) {
                click(f, QByteArray("M" + QByteArray::number(m) + "Check").constData());
            }
        }
        click(f, "OkBtn");
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(row.caption, "燃えるゴミ");
    EXPECT_EQ(row.kind, EntryKind::Weekly);
    EXPECT_EQ(row.field(RowField::Opt), "1,1,1,1,0,001000000000") << "WeekRule: no fifth week, March only";
    EXPECT_EQ(row.field(RowField::Opt2), "0,0,1,0,0") << "ShiftRule: holidays to the day before";
    EXPECT_EQ(row.field(RowField::Color), "255");
    EXPECT_FALSE(row.hasValue(RowField::FontName)) << "the schedule font is not stored";
    EXPECT_FALSE(row.hasValue(RowField::Popup));
    EXPECT_FALSE(row.hasValue(RowField::FromTo));
}

TEST(TEditForm, RefusesTextTheDataFileCannotHold) {
    NameValueList colours;
    TEditForm form(context(), colours, false);
    EntryRow row;
    QString message;
    bool stayedOpen = false;
    const bool ok = runAndDo(form, row, [&](TEditForm& f) {
        onNextModal(&f, [&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        click(f, "OkBtn");
        EXPECT_EQ(message, "スケジュールが入力されていません");
        typeText(control(f, "ScheduleEdit"), QStringLiteral("会議한"));
        onNextModal(&f, [&](QWidget* box) {
            message = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        click(f, "OkBtn");
        stayedOpen = f.isVisible();
        QTest::keyClick(control(f, "ScheduleEdit"), Qt::Key_Backspace);
        QTest::keyClick(control(f, "ScheduleEdit"), Qt::Key_Return);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(message.contains(QStringLiteral("「한」"))) << message.toStdString();
    ASSERT_TRUE(ok) << "Enter in the text box is OK";
    EXPECT_EQ(row.caption, "会議");
}

TEST(TEditForm, EscapeLeavesTheRowAndKeepsThePalette) {
    NameValueList colours;
    colours.set("0", "65280");
    TEditForm form(context(), colours, false);
    EntryRow row;
    row.caption = "給料日";
    row.kind = EntryKind::Monthly;
    row.setField(RowField::Opt, "1,0,1,1,2,001100000000");
    row.setField(RowField::Color, "-0");
    const EntryRow before = row;
    form.fillFromRow(row);
    const bool ok = runAndDo(form, row, [](TEditForm& f) {
        EXPECT_TRUE(control<QRadioButton>(f, "PtnGrpItem2")->isChecked());
        EXPECT_TRUE(control<QCheckBox>(f, "SatChk")->isChecked());
        EXPECT_FALSE(control<QCheckBox>(f, "SunChk")->isChecked());
        EXPECT_TRUE(control<QCheckBox>(f, "HoliChk")->isChecked());
        EXPECT_TRUE(control<QRadioButton>(f, "ChgGrpItem1")->isChecked());
        EXPECT_EQ(control<QSpinBox>(f, "HoseiSpin")->value(), 2);
        for (int m = 1; m <= 12; ++m) {
            EXPECT_EQ(control<QCheckBox>(f, QByteArray("M" + QByteArray::number(m) + "Check").constData())->isChecked(),
                      m == 3 || m == 4)
                << m;
        }
        EXPECT_TRUE(control<QCheckBox>(f, "PopOnlyChk")->isChecked());
        EXPECT_EQ(control<TCPanel>(f, "ColorPanel")->color(), QColor(Qt::black));
        EXPECT_EQ(control<TCPanel>(f, "Swatch0")->color(), QColor(0, 255, 0)) << "from DefColor";
        typeText(control(f, "ScheduleEdit"), QStringLiteral("変更"));
        click(f, "PtnGrpItem0");
        QTest::keyClick(&f, Qt::Key_Escape);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(row, before);
    EXPECT_EQ(colours.size(), 12u) << "the swatches are stored on cancel too";
    EXPECT_EQ(colours.value("0"), "65280");
}

TEST(TEditForm, ControlsFollowEachOther) {
    NameValueList colours;
    TEditForm form(context(), colours, false);
    EntryRow row;
    const bool ok = runAndDo(form, row, [](TEditForm& f) {
        typeText(control(f, "ScheduleEdit"), QStringLiteral("建国記念"));
        EXPECT_FALSE(control(f, "WarningChk")->isEnabled());
        EXPECT_TRUE(control(f, "TimeSpinEdit")->isHidden());
        click(f, "RadioGroup1Item3");
        EXPECT_TRUE(control(f, "WarningChk")->isEnabled());
        EXPECT_FALSE(control(f, "TimeSpinEdit")->isHidden());
        EXPECT_EQ(control<QSpinBox>(f, "TimeSpinEdit")->text(), "09") << "the time now";
        EXPECT_EQ(control<QSpinBox>(f, "MinSpinEdit")->text(), "05");
        click(f, "OutPtn2");
        showPage(f, 1);
        click(f, "HolidayChk");
        EXPECT_FALSE(control(f, "OutPtn1")->isEnabled());
        EXPECT_TRUE(control<QCheckBox>(f, "OutPtn6")->isChecked());
        EXPECT_FALSE(control<QCheckBox>(f, "OutPtn2")->isChecked());

        auto* from = control<MaskedDateEdit>(f, "DateEdit1");
        EXPECT_FALSE(from->isEnabled());
        click(f, "FromChk");
        EXPECT_TRUE(from->isEnabled());
        EXPECT_EQ(from->dateText(), "2026/03/10");
        EXPECT_TRUE(from->hasFocus());
        from->selectAll();
        QTest::keyClick(from, Qt::Key_Delete);
        EXPECT_FALSE(control<QCheckBox>(f, "FromChk")->isChecked()) << "an emptied date box clears its check";
        EXPECT_FALSE(from->isEnabled());
        click(f, "ToChk");
        click(f, "OkBtn");
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(row.field(RowField::Popup), "0,1,09,05,0");
    EXPECT_EQ(row.field(RowField::Holiday), "建国記念");
    EXPECT_EQ(row.field(RowField::PtnOpt), "000001");
    EXPECT_EQ(row.field(RowField::FromTo), "____/__/__-2026/03/10");
}

// Opened from a reminder window: the window and its queued pairs hang on the
// key, so the pattern shows but cannot change.
TEST(TEditForm, FromAReminderThePatternIsLocked) {
    NameValueList colours;
    EditFormContext c = context();
    c.key = "POPUP";
    c.patternLocked = true;
    TEditForm form(c, colours, false);
    EntryRow row;
    row.caption = "燃えるゴミ";
    row.kind = EntryKind::Weekly;
    row.setField(RowField::Key, "WEEK3-01");
    row.setField(RowField::Opt, "0,1,1,1,1,001000000000");
    form.fillFromRow(row);
    const bool ok = runAndDo(form, row, [](TEditForm& f) {
        auto* group = control<QGroupBox>(f, "PtnGrp");
        EXPECT_EQ(group->title(), "！！この項目は更新不可！！");
        EXPECT_TRUE(group->isVisible());
        EXPECT_FALSE(group->isEnabled());
        EXPECT_TRUE(control<QRadioButton>(f, "PtnGrpItem1")->isChecked());
        click(f, "PtnGrpItem0");
        control<QRadioButton>(f, "PtnGrpItem2")->setChecked(true); // past the disabled panel
        EXPECT_TRUE(control<QRadioButton>(f, "PtnGrpItem1")->isChecked());
        EXPECT_TRUE(control(f, "Day1Chk")->isEnabled()) << "the weekly rules stay editable";
        click(f, "Day1Chk");
        click(f, "OkBtn");
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(row.kind, EntryKind::Weekly);
    EXPECT_EQ(row.field(RowField::Key), "WEEK3-01");
    EXPECT_EQ(row.field(RowField::Opt), "1,1,1,1,1,001000000000");
    EXPECT_EQ(row.field(RowField::Opt2), "0,0,0,1,0");
}

TEST(TEditForm, ColoursFontAndProgramFiles) {
    NameValueList colours;
    TEditForm form(context(), colours, false);
    EntryRow row;
    test::TempDir dir;
    const std::string program = dir.file("backup tool");
    test::writeBytes(program, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    QString family;
    const bool ok = runAndDo(form, row, [&](TEditForm& f) {
        typeText(control(f, "ScheduleEdit"), QStringLiteral("バックアップ"));
        const QColor third = control<TCPanel>(f, "Swatch3")->color();
        const QColor ninth = control<TCPanel>(f, "Swatch9")->color();
        click(f, "Swatch3");
        EXPECT_EQ(control<TCPanel>(f, "ColorPanel")->color(), third);

        onNextModal(&f, [](QWidget* w) {
            auto* d = qobject_cast<QColorDialog*>(w);
            ASSERT_TRUE(d);
            d->setCurrentColor(QColor(10, 20, 30));
            d->accept();
        });
        click(f, "ColorPanel");
        EXPECT_EQ(control<TCPanel>(f, "Swatch9")->color(), QColor(10, 20, 30)) << "a new colour joins the palette";
        EXPECT_EQ(control<TCPanel>(f, "Swatch10")->color(), ninth);

        onNextModal(&f, [](QWidget* w) {
            qobject_cast<QColorDialog*>(w)->setCurrentColor(QColor(1, 2, 3));
            qobject_cast<QColorDialog*>(w)->accept();
        });
        click(f, "Swatch0", Qt::RightButton);
        EXPECT_EQ(control<TCPanel>(f, "Swatch0")->color(), QColor(1, 2, 3));

        onNextModal(&f, [&](QWidget* w) {
            auto* d = qobject_cast<QFontDialog*>(w);
            ASSERT_TRUE(d);
            for (const QString& name : QFontDatabase::families()) {
                if (name.contains(QStringLiteral("Gothic"))) {
                    d->setCurrentFont(QFont(name));
                    break;
                }
            }
            family = d->currentFont().family();
            d->accept();
        });
        click(f, "FontChange");
        EXPECT_EQ(control<QPushButton>(f, "FontChange")->font().family(), family);

        showPage(f, 1);
        onNextModal(&f, [&](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            ASSERT_TRUE(d);
            d->selectFile(QString::fromStdString(program));
            static_cast<QDialog*>(d)->accept(); // QFileDialog's own accept() is protected
        });
        control<QAction>(f, "ExecFileItem")->trigger();
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(QStringLiteral("/opt/tools/say \"hi\""))});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &drop);
        auto* secret = control<QPlainTextEdit>(f, "SecretEdit");
        secret->setFocus();
        QTest::keyClick(secret, Qt::Key_Return, Qt::ControlModifier);
    });
    ASSERT_TRUE(ok) << "Ctrl+Enter in the description is OK";
    EXPECT_EQ(row.field(RowField::Color), std::to_string(1 + 2 * 256 + 3 * 65536));
    EXPECT_EQ(row.field(RowField::FontName), family.toStdString());
    EXPECT_EQ(row.field(RowField::Supplement),
              "Exec \"" + program + "\" \"\"\nExec \"/opt/tools/say \"\"hi\"\"\" \"\"\n")
        << "a dropped file is a line too";
    EXPECT_EQ(colours.value("9"), std::to_string(10 + 20 * 256 + 30 * 65536));
    EXPECT_EQ(colours.value("0"), std::to_string(1 + 2 * 256 + 3 * 65536));
}
