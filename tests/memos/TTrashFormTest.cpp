// The memo drawer window driven as a user drives it, offscreen.
#include "memos/TTrashForm.h"

#include "core/DateText.h"
#include "memos/MemoState.h"
#include "memos/MemoStore.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace velmora;
using velmora::test::RecordingFeedback;
using velmora::test::TempDir;
using velmora::test::writeBytes;
namespace fs = std::filesystem;

namespace {

struct DrawerFixture {
    DrawerFixture() {
        writeBytes(dir.file("Memo.dat"), "[COMPUTER]\r\nCOMPUTER=PC-01\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n");
        store.setPath(dir.file("Memo.dat"));
        store.load(dir.file("Schedule.dat"));
        put("MEMO0002.$$$", "", "/pics/b.png", "ＭＳ ゴシック");
        put("MEMO0001.$$$", "一つ目", "", "游明朝");
    }
    void put(const std::string& name, const std::string& text, const std::string& picture, const std::string& face) {
        MemoState state;
        state.text = text;
        state.editorPicture = picture;
        state.font.face = face;
        EXPECT_TRUE(writeMemoState(dir.file(name), state));
    }

    TempDir dir;
    FixedClock clock{*parseDateTime("2026/12/08 09:30:15")};
    RecordingFeedback feedback;
    MemoStore store{"PC-01", clock, feedback};
    std::vector<std::string> trashed;
    TTrashForm form{store, feedback, [this](const std::string& path) {
                        trashed.push_back(path);
                        return fs::remove(path);
                    }};
    QTreeWidget* list = form.findChild<QTreeWidget*>(QStringLiteral("TrashList"));
    QPlainTextEdit* memo = form.findChild<QPlainTextEdit*>(QStringLiteral("TrashMemo"));
    QAction* revive = form.findChild<QAction*>(QStringLiteral("Revive"));
};

QStringList captions(QTreeWidget* list) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        out << list->topLevelItem(i)->text(0);
    }
    return out;
}

void showActive(QWidget& form) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
}

} // namespace

TEST(TTrashForm, ShowListsTheDrawerAndShowsTheSelectedMemoInItsFont) {
    DrawerFixture f;
    ASSERT_TRUE(f.list && f.memo && f.revive);
    ASSERT_TRUE(f.form.findChild<QWidget*>(QStringLiteral("Splitter1")));
    showActive(f.form);
    EXPECT_EQ(f.form.windowTitle(), "Velmora Ver.6.82");
    EXPECT_TRUE(f.form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(captions(f.list), (QStringList{"MEMO0001.$$$", "MEMO0002.$$$"}));
    EXPECT_EQ(f.list->currentItem(), f.list->topLevelItem(0));
    EXPECT_TRUE(f.list->topLevelItem(0)->isSelected());
    EXPECT_TRUE(f.list->hasFocus());
    EXPECT_EQ(f.memo->toPlainText(), "一つ目");
    EXPECT_EQ(f.memo->font().family(), "游明朝");
    EXPECT_TRUE(f.memo->isReadOnly());

    f.list->setCurrentItem(f.list->topLevelItem(1));
    EXPECT_EQ(f.memo->toPlainText(), "/pics/b.png");
    EXPECT_EQ(f.memo->font().family(), "ＭＳ ゴシック");
    f.form.reject();
}

TEST(TTrashForm, KeysMarkUnmarkAndTakeOut) {
    DrawerFixture f;
    std::vector<std::string> revived;
    f.form.onRevived = [&](const std::string& name) { revived.push_back(name); };
    showActive(f.form);
    const QBrush normal = f.list->topLevelItem(0)->foreground(0);

    QTest::keyClick(f.list, Qt::Key_Delete);
    EXPECT_EQ(captions(f.list), (QStringList{"xMEMO0001.$$$", "MEMO0002.$$$"}));
    EXPECT_NE(f.list->topLevelItem(0)->foreground(0), normal) << "a marked memo looks cut";
    EXPECT_FALSE(f.revive->isEnabled());
    QTest::keyClick(f.list, Qt::Key_Insert);
    EXPECT_TRUE(revived.empty()) << "a memo marked for deletion stays in the drawer";

    QTest::keyClick(f.list, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(captions(f.list), (QStringList{"MEMO0001.$$$", "MEMO0002.$$$"}));
    EXPECT_EQ(f.list->topLevelItem(0)->foreground(0), normal);

    QTest::keyClick(f.list, Qt::Key_Insert);
    EXPECT_EQ(revived, std::vector<std::string>{"MEMO0001.dfm"});
    EXPECT_TRUE(fs::exists(f.dir.file("MEMO0001.dfm")));
    EXPECT_EQ(captions(f.list), QStringList{"MEMO0002.$$$"});
    EXPECT_EQ(f.list->currentItem(), f.list->topLevelItem(0));
    EXPECT_EQ(f.memo->toPlainText(), "/pics/b.png");
    f.form.reject();
    EXPECT_TRUE(f.trashed.empty());
    EXPECT_TRUE(f.feedback.messages.empty());
}

TEST(TTrashForm, EveryWayOfClosingTrashesTheMarkedMemos) {
    const std::vector<std::pair<const char*, std::function<void(QDialog&)>>> ways = {
        {"OK button", [](QDialog& d) { QTest::mouseClick(d.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton); }},
        {"Esc", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close box", [](QDialog& d) { d.close(); }},
    };
    for (const auto& [name, closeIt] : ways) {
        DrawerFixture f;
        QTimer::singleShot(0, &f.form, [&] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&f.form)) << name;
            f.list->setCurrentItem(f.list->topLevelItem(1));
            QTest::keyClick(f.list, Qt::Key_Delete);
            closeIt(f.form);
        });
        f.form.exec();
        EXPECT_FALSE(f.form.isVisible()) << name;
        EXPECT_EQ(f.trashed, std::vector<std::string>{f.dir.dir() + "MEMO0002.$$$"}) << name;
        EXPECT_TRUE(fs::exists(f.dir.file("MEMO0001.$$$"))) << name;
        EXPECT_EQ(f.list->topLevelItemCount(), 0) << name;
        EXPECT_TRUE(f.memo->toPlainText().isEmpty()) << name;
    }
}
