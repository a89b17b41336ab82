#include "memos/TMemoForm.h"

#include "core/DateText.h"
#include "memos/MemoStore.h"
#include "support/RecordingFeedback.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::RecordingFeedback;
using velmora::test::TempDir;
using velmora::test::writeBytes;

namespace {

// The resident program's side of a memo window, recorded.
class FakeHost : public MemoHost {
public:
    explicit FakeHost(MemoStore& store) : m_store(store) {}
    MemoStore& memoStore() override { return m_store; }
    UserFeedback& feedback() override { return messages; }
    bool loadingMemos() const override { return false; }
    bool reloadingMemos() const override { return false; }
    void saveMemo(TMemoForm& memo) override { saved.push_back(memo.state().text); }
    void saveMemoData() override { ++dataSaves; }
    void memoActivated(TMemoForm&) override {}
    void memoPasted(TMemoForm&) override { ++pasted; }
    void memoClosed(TMemoForm&) override { ++closed; }
    bool printerAvailable() const override { return false; }
    void printImage(const QImage&) override {}

    RecordingFeedback messages;
    std::vector<std::string> saved;
    int dataSaves = 0;
    int pasted = 0;
    int closed = 0;

private:
    MemoStore& m_store;
};

class TMemoFormTest : public ::testing::Test {
protected:
    void SetUp() override { useOwner("PC-01"); }

    void useOwner(const std::string& owner) {
        writeBytes(dir.file("Memo.dat"), "[COMPUTER]\r\nCOMPUTER=" + owner +
                                             "\r\n[MEMOFILE]\r\n0=MEMO0000.dfm\r\n"
                                             "[MEMOOPT]\r\nMEMO0000.dfm=2021\r\n");
        store.setPath(dir.file("Memo.dat"));
        store.load(dir.file("Schedule.dat"));
    }

    std::unique_ptr<TMemoForm> memo(int width, int height, const std::string& text, const std::string& file = "") {
        MemoState state;
        state.width = width;
        state.height = height;
        state.text = state.editorText = text;
        state.fileName = file;
        state.autoSize = false;
        state.font.face = "Noto Sans CJK JP";
        state.font.size = 12;
        return std::make_unique<TMemoForm>(host, nullptr, state);
    }

    QAction* action(TMemoForm& form, const char* name) {
        return form.popupMenu()->findChild<QAction*>(QString::fromUtf8(name));
    }

    TempDir dir;
    FixedClock clock{*parseDateTime("2026/12/08 09:30:15")};
    RecordingFeedback feedback;
    MemoStore store{"PC-01", clock, feedback};
    FakeHost host{store};
};

} // namespace

TEST_F(TMemoFormTest, InputGrowsTheMemoAndCtrlEnterOrEscEndsIt) {
    const struct { int width, height, grownWidth, grownHeight; } sizes[] = {{100, 50, 200, 300}, {400, 300, 600, 450}};
    for (const auto& s : sizes) {
        auto form = memo(s.width, s.height, "前の文");
        form->initialise(true);
        ASSERT_TRUE(form->inputMode());
        EXPECT_EQ(form->size(), QSize(s.grownWidth, s.grownHeight)) << s.width;
        EXPECT_EQ(action(*form, "EndInputBtn")->text(), QStringLiteral("入力終了"));
        auto* editor = form->findChild<QPlainTextEdit*>(QStringLiteral("MainMemo"));
        ASSERT_TRUE(editor && editor->isVisible() == form->isVisible());
        editor->selectAll();
        editor->insertPlainText(QStringLiteral("新しい文"));
        QTest::keyClicks(editor, QStringLiteral("  "));
        QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_FALSE(form->inputMode());
        EXPECT_EQ(form->state().text, "新しい文") << "trailing blanks go";
        EXPECT_EQ(form->size(), QSize(s.width, s.height)) << "a memo without auto size gets its size back";
        EXPECT_EQ(form->state().width, s.width);
    }
    EXPECT_EQ(host.saved, (std::vector<std::string>{"新しい文", "新しい文"}));
    EXPECT_EQ(host.dataSaves, 2);

    auto form = memo(200, 100, "残る文");
    form->initialise(true);
    auto* editor = form->findChild<QPlainTextEdit*>(QStringLiteral("MainMemo"));
    editor->insertPlainText(QStringLiteral("捨てる"));
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(form->inputMode());
    EXPECT_EQ(form->state().text, "残る文") << "Esc gives the memo its text back";
}

TEST_F(TMemoFormTest, AnEmptiedMemoClosesUnlessItHoldsThePictureMarker) {
    auto form = memo(200, 100, "消す");
    form->initialise(true);
    auto* editor = form->findChild<QPlainTextEdit*>(QStringLiteral("MainMemo"));
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(host.closed, 0) << "the picture path is NONE: the blank memo stays";

    form->putInDrawer();
    QCoreApplication::processEvents();
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(form->state().picture, "");
    EXPECT_EQ(form->state().text, "") << "the label text was already empty";
}

TEST_F(TMemoFormTest, TheMenuFollowsTheOwnerOfTheMemoFile) {
    auto form = memo(200, 100, "a", "MEMO0000.dfm");
    form->initialise(false);
    EXPECT_EQ(form->look(), (MemoLook{2, 0, 2, 1})) << "the look digits come from the memo data";
    for (const char* name : {"EndInputBtn", "ColorChangeBtn", "N1", "AutoSizeBtn", "lock", "TopMost", "TransComp",
                             "DrawDesk", "DeleteBtn"}) {
        EXPECT_TRUE(action(*form, name)->isEnabled()) << name;
    }
    EXPECT_FALSE(action(*form, "Print1")->isEnabled()) << "no printer";
    EXPECT_FALSE(action(*form, "GrapfDelete")->isEnabled()) << "no picture";
    EXPECT_TRUE(action(*form, "TopMost")->isChecked());
    EXPECT_TRUE(action(*form, "DrawDesk")->isChecked());

    useOwner("OTHER-PC");
    for (const char* name : {"EndInputBtn", "ColorChangeBtn", "N1", "AutoSizeBtn", "lock", "TopMost", "DrawDesk"}) {
        EXPECT_FALSE(action(*form, name)->isEnabled()) << name;
    }
    EXPECT_TRUE(action(*form, "DeleteBtn")->isEnabled()) << "the drawer item stays";
}

TEST_F(TMemoFormTest, LookChoicesKeepTransCompForTopMostMemos) {
    auto form = memo(200, 100, "a", "MEMO0000.dfm");
    form->initialise(false);
    form->choosePlacement(1);
    EXPECT_EQ(form->look(), (MemoLook{1, 0, 1, 1}));
    EXPECT_EQ(store.memoOptions().value("MEMO0000.dfm"), "1011");
    form->chooseTransparency(2);
    EXPECT_EQ(form->look().trans, 1);
    form->choosePlacement(2);
    form->chooseTransparency(3);
    EXPECT_EQ(store.memoOptions().value("MEMO0000.dfm"), "2031");
    EXPECT_EQ(host.dataSaves, 4);
}

TEST_F(TMemoFormTest, OnlyBitmapsAreTakenAsPictures) {
    auto form = memo(200, 100, "", "MEMO0000.dfm");
    form->initialise(false);
    form->chooseTransparency(0); // a see-through memo keeps its size until it is shown again
    QImage picture(64, 32, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString bmp = QString::fromStdString(dir.file("cat.BMP"));
    ASSERT_TRUE(picture.save(bmp, "BMP"));
    form->dropFile(QString::fromStdString(dir.file("photo.jpg")));
    EXPECT_EQ(host.messages.messages, std::vector<std::string>{"間違った形式です"});
    EXPECT_EQ(form->state().picture, "NONE");

    form->dropFile(bmp);
    EXPECT_EQ(form->state().picture, bmp.toStdString());
    EXPECT_EQ(form->state().editorPicture, bmp.toStdString());
    EXPECT_TRUE(form->state().autoSize) << "an empty memo takes the picture's size";
    EXPECT_EQ(form->size(), QSize(64 + 6, 32 + 6));
    EXPECT_TRUE(action(*form, "GrapfDelete")->isEnabled());
}
