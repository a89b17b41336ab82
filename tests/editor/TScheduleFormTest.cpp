// The schedule list window driven as a user drives it, offscreen.
#include "editor/TScheduleForm.h"

#include "editor/TFindForm.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "schedule/EntriesForDate.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace velmora;
using velmora::test::cp932;
using velmora::test::readBytes;
using velmora::test::RecordingFeedback;
using velmora::test::TempDir;
using velmora::test::writeBytes;

namespace {

template <typename W = QWidget> W* control(QWidget& form, const char* name) {
    W* w = form.findChild<W*>(QLatin1String(name));
    EXPECT_TRUE(w) << name;
    return w;
}

void click(QWidget& form, const char* name) {
    QWidget* w = control(form, name);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(std::min(8, w->width() / 2), w->height() / 2));
}

void typeText(QWidget* box, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

// Acts on the next modal window other than `except`, once it shows.
void onNextModal(QWidget* except, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, except, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != except && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

QStringList captions(QWidget& form) {
    QStringList out;
    auto* list = control<QTreeWidget>(form, "ScheduleLV");
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        out << list->topLevelItem(i)->text(0);
    }
    return out;
}

void selectRow(QWidget& form, int row) {
    auto* list = control<QTreeWidget>(form, "ScheduleLV");
    list->clearSelection();
    list->setCurrentItem(list->topLevelItem(row));
}

struct ListFixture {
    ListFixture() {
        writeBytes(dir.file("Schedule.dat"), cp932("[COMPUTER]\r\nCOMPUTER=PC-A\r\n[DAY]\r\n"
                                                   "2026/03/10=\"朝会 \",\"昼食 \",\"夕会 \"\r\n"
                                                   "2026/02/01=\"節分準備 \"\r\n"));
        store.setPath(dir.file("Schedule.dat"));
        store.load();
        settings.font(FontPart::Schedule).face = "ＭＳ Ｐゴシック";
        settings.font(FontPart::Schedule).colour = 0x0000FF;
    }
    TempDir dir;
    FixedClock clock{*parseDateTime("2026/03/10 09:00:00")};
    RecordingFeedback feedback;
    ScheduleStore store{dir.dir(), "PC-A", clock, feedback};
    Settings settings;
    NoOpenReminders reminders;
    ScheduleListContext context() { return ScheduleListContext{store, settings, clock, reminders, feedback}; }
};

} // namespace

TEST(TScheduleForm, ShowsTheDayAndItsTreeAndStoresItsPlace) {
    ListFixture f;
    f.settings.sTop = -50;
    f.settings.sWidth = 640;
    f.settings.sHeight = 420;
    TScheduleForm form(f.context());
    QStringList shown;
    QString tree;
    QString day;
    bool toolbar = false;
    QTimer::singleShot(0, &form, [&] {
        shown = captions(form);
        tree = control<QTreeView>(form, "SchTree")->currentIndex().data().toString();
        day = control<QLabel>(form, "DayLabel")->text();
        toolbar = control(form, "ToolBar")->isVisible();
        click(form, "OkBtn");
    });
    EXPECT_FALSE(form.run(*parseDate("2026/03/10"))) << "nothing changed";
    EXPECT_EQ(shown, (QStringList{"朝会", "昼食", "夕会", ".."}));
    EXPECT_EQ(tree, "2026/03/10");
    EXPECT_EQ(day, "( 火 )");
    EXPECT_TRUE(toolbar) << "an entry view has its toolbar";
    EXPECT_EQ(f.settings.sTop, form.y());
    EXPECT_GE(f.settings.sTop, 0) << "a negative top is put on the screen";
    EXPECT_EQ(f.settings.sWidth, 640);
}

// Add through the editor (weekly, no fifth week, holidays to the day before,
// March only), retitle, reorder, delete and revive; the store then holds
// what the rules say and the entry lands on March's Tuesdays only.
TEST(TScheduleForm, EditsTheDayThroughTheEditorAndTheList) {
    ListFixture f;
    TScheduleForm form(f.context());
    QStringList afterAdd;
    QStringList afterEdits;
    std::vector<std::string> messages;
    bool enterKeptTheWindow = false;
    QTimer::singleShot(0, &form, [&] {
        onNextModal(&form, [&](QWidget* editor) {
            typeText(control(*editor, "ScheduleEdit"), QStringLiteral("燃えるゴミ"));
            click(*editor, "PtnGrpItem1");
            click(*editor, "Day5Chk");
            click(*editor, "HoliChk");
            click(*editor, "ChgGrpItem0");
            control<QTabWidget>(*editor, "PageControl")->setCurrentIndex(1);
            for (int m = 1; m <= 12; ++m) {
                if (m != 3) {
                    click(*editor, QByteArray("M" + QByteArray::number(m) + "Check").constData());
                }
            }
            click(*editor, "OkBtn");
        });
        form.addEntry();
        afterAdd = captions(form);

        // F2: an empty text is refused, Enter ends the edit and not the window.
        selectRow(form, 0);
        form.editSelectedText();
        auto* list = control<QTreeWidget>(form, "ScheduleLV");
        auto* box = list->findChild<QLineEdit*>("TextEdit");
        if (!box) {
            ADD_FAILURE() << "F2 opened no text box";
            form.reject();
            return;
        }
        box->clear();
        QTest::keyClick(box, Qt::Key_Return);
        messages = f.feedback.messages;
        enterKeptTheWindow = form.isVisible();
        selectRow(form, 0);
        form.editSelectedText();
        box = list->findChild<QLineEdit*>("TextEdit");
        if (!box) {
            ADD_FAILURE() << "F2 opened no text box";
            form.reject();
            return;
        }
        box->setText(QStringLiteral("全体朝会"));
        QTest::keyClick(box, Qt::Key_Return);

        selectRow(form, 2);
        form.moveSelected(true); // 夕会 above 昼食
        selectRow(form, 1);
        form.deleteSelected(true);
        selectRow(form, 0);
        form.deleteSelected(true);
        form.deleteSelected(false); // revived
        afterEdits = captions(form);
        click(form, "OkBtn");
    });
    EXPECT_TRUE(form.run(*parseDate("2026/03/10")));
    EXPECT_EQ(afterAdd, (QStringList{"朝会", "昼食", "夕会", "燃えるゴミ", ".."}));
    EXPECT_EQ(messages, std::vector<std::string>{"空白は入力出来ません"});
    EXPECT_TRUE(enterKeptTheWindow);
    EXPECT_EQ(afterEdits, (QStringList{"全体朝会", "夕会", "昼食", "燃えるゴミ", ".."}));

    ASSERT_EQ(f.store.save(true), SaveResult::Saved);
    ProfileFile file(f.store.path());
    ASSERT_EQ(file.load(), ReadOutcome::Read);
    EXPECT_EQ(file.read("DAY", "2026/03/10"), "全体朝会 \",\"昼食 ") << "夕会 was deleted, the rest renumbered";
    EXPECT_EQ(file.read("WEEK", "3"), "燃えるゴミ ");
    EXPECT_EQ(file.read("WEEK", "WEEK3-00OPT"), "1,1,1,1,0,001000000000");
    EXPECT_EQ(file.read("WEEK", "WEEK3-00OPT2"), "0,0,1,0,0");

    // The weekly entry lands on March's Tuesdays but the fifth.
    CalendarState calendar(f.settings.holidayList);
    calendar.holidayPass(f.settings, *parseDate("2026/03/01"), f.store, f.clock.today());
    const auto lists = [&](const char* date) {
        for (const EntryHit& hit : cellEntries(*parseDate(date), calendar.entryContext(f.store, f.settings))) {
            if (hit.text == "燃えるゴミ ") {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(lists("2026/03/03"));
    EXPECT_TRUE(lists("2026/03/24"));
    EXPECT_FALSE(lists("2026/03/31")) << "the fifth Tuesday is off";
    EXPECT_FALSE(lists("2026/04/07")) << "March only";
}

TEST(TScheduleForm, TheDatePickerAndTheArrowsMoveTheView) {
    ListFixture f;
    f.settings.asnd = 0; // oldest first: the upper arrow goes back a day
    TScheduleForm form(f.context());
    QStringList before;
    QStringList after;
    QString tree;
    QTimer::singleShot(0, &form, [&] {
        click(form, "DUp");
        before = captions(form);
        control<QDateEdit>(form, "DateInput")->setDate(QDate(2026, 2, 1));
        after = captions(form);
        tree = control<QTreeView>(form, "SchTree")->currentIndex().data().toString();
        click(form, "OkBtn");
    });
    form.run(*parseDate("2026/03/10"));
    EXPECT_EQ(before, QStringList{".."}) << "2026/03/09 holds nothing";
    EXPECT_EQ(after, (QStringList{"節分準備", ".."}));
    EXPECT_EQ(tree, "2026/02/01");
}

namespace {

// The enabled state of the list menu's items as it opens.
QStringList enabledItems(TScheduleForm& form) {
    QMenu* menu = form.listMenu();
    menu->popup(QPoint(0, 0));
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator() && a->isEnabled()) {
            out << a->text();
        }
    }
    menu->hide();
    return out;
}

} // namespace

TEST(TScheduleForm, ClipboardMenusAndTheFindDialog) {
    ListFixture f;
    ScheduleClipboard hub;
    ScheduleListContext context = f.context();
    context.clipboard = &hub;
    TScheduleForm form(context);
    QStringList noneSelected, oneSelected, parentSelected, pasted, found, afterEnd;
    bool okWhileFinding = true;
    bool okAfterClose = false;
    QTimer::singleShot(0, &form, [&] {
        auto* list = control<QTreeWidget>(form, "ScheduleLV");
        list->clearSelection();
        noneSelected = enabledItems(form);
        selectRow(form, 1);
        oneSelected = enabledItems(form);
        selectRow(form, 3);
        parentSelected = enabledItems(form);
        // Copy 昼食 and paste it behind the day's entries.
        selectRow(form, 1);
        control<QAction>(form, "CopyBtn")->trigger();
        list->clearSelection();
        control<QAction>(form, "PasteBtn")->trigger();
        pasted = captions(form);
        // The find dialog over all data: 夕会 is found on this day.
        click(form, "Search");
        auto* dialog = form.findForm();
        okWhileFinding = control<QPushButton>(form, "OkBtn")->isEnabled();
        control<QLineEdit>(*dialog, "FindText")->setText(QStringLiteral("夕会"));
        click(*dialog, "FindNext");
        for (QTreeWidgetItem* item : list->selectedItems()) {
            found << item->text(0);
        }
        click(*dialog, "FindNext");
        afterEnd = QStringList{QString::number(f.feedback.messages.size())};
        QPixmap shot = form.grab();
        shot.save(QStringLiteral("/tmp/hclip-schedule-find.png"));
        dialog->grab().save(QStringLiteral("/tmp/hclip-find-dialog.png"));
        click(*dialog, "CancelBtn");
        okAfterClose = control<QPushButton>(form, "OkBtn")->isEnabled();
        click(form, "OkBtn");
    });
    form.run(*parseDate("2026/03/10"));
    EXPECT_EQ(noneSelected, (QStringList{"追加", "全データを検索", "ここから検索"}));
    EXPECT_EQ(oneSelected, (QStringList{"切り取り", "コピー", "削除", "復活", "予定のみ編集", "ｽｹｼﾞｭｰﾙの複製",
                                        "全データを検索", "ここから検索"}));
    EXPECT_EQ(parentSelected, (QStringList{"全データを検索", "ここから検索"}));
    EXPECT_EQ(pasted, (QStringList{"朝会", "昼食", "夕会", "昼食", ".."}));
    EXPECT_FALSE(okWhileFinding);
    EXPECT_EQ(found, QStringList{"夕会"});
    EXPECT_EQ(afterEnd, QStringList{"1"});
    EXPECT_EQ(f.feedback.messages, std::vector<std::string>{"データの最後です"});
    EXPECT_TRUE(okAfterClose);
    EXPECT_EQ(hub.rows().size(), 1u);
    EXPECT_EQ(f.store.section(ScheduleSection::Day).value("2026/03/10"), "\"朝会 \",\"昼食 \",\"夕会 \",\"昼食 \"");
}
