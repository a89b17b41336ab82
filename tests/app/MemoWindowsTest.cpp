#include "app/MemoWindows.h"

#include "HubTestSupport.h"
#include "memos/MemoState.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::test;

namespace {

struct MemoFixture : HubFixture {
    MemoFixture() {
        desktop.attach(hub);
        std::filesystem::create_directories(home.file("Memo"));
        memoData("0=MEMO0000.dfm\r\n1=MEMO0001.dfm\r\n", "MEMO0001.dfm=1001\r\n");
        memo("MEMO0000.dfm", "一つ目", 10);
        memo("MEMO0001.dfm", "壁紙の", 200);
        start();
    }
    void memoData(const std::string& files, const std::string& options) {
        writeBytes(home.file("Memo/Memo.dat"),
                   cp932("[COMPUTER]\r\nCOMPUTER=PC-A\r\n[MEMOFILE]\r\n" + files + "[MEMOOPT]\r\n" + options));
    }
    void memo(const std::string& file, const std::string& text, int left) {
        MemoState s;
        s.left = left;
        s.top = 20;
        s.text = s.editorText = text;
        s.fileName = file;
        s.colour = 0x00FFFF; // yellow
        ASSERT_TRUE(writeMemoState(home.file("Memo/" + file), s));
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (TMemoForm* m : memos.windows()) {
            out.push_back(m->state().text + (m->isVisible() ? "" : " (hidden)"));
        }
        return out;
    }
    DesktopPicture desktop;
    MemoWindows memos{hub, feedback, desktop};
};

} // namespace

TEST(MemoWindows, PastedMemosStayInTheWallpaperUntilClickedBack) {
    MemoFixture f;
    f.memos.openAll();
    EXPECT_EQ(f.texts(), (std::vector<std::string>{"壁紙の (hidden)", "一つ目"}));
    ASSERT_EQ(f.memos.wallpaperFiles(), std::vector<std::string>{"MEMO0001.dfm"});
    const Rect r = f.memos.wallpaperRects().front();
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 20);

    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::black);
    f.memos.compose(picture);
    EXPECT_EQ(picture.pixelColor(r.left + 5, r.top + r.bottom / 2 - 5), QColor(Qt::yellow)) << "its face";
    EXPECT_EQ(picture.pixelColor(r.left - 1, r.top), QColor(Qt::black)) << "nothing beside it";

    f.memos.bringBack(0);
    EXPECT_EQ(f.texts(), (std::vector<std::string>{"壁紙の", "一つ目"}));
    EXPECT_TRUE(f.memos.wallpaperFiles().empty());
    EXPECT_EQ(f.hub.memos().memoOptions().value("MEMO0001.dfm"), "1000");
    ProfileFile saved(f.home.file("Memo/Memo.dat"));
    ASSERT_EQ(saved.load(), ReadOutcome::Read);
    EXPECT_EQ(saved.read("MEMOOPT", "MEMO0001.dfm"), "1000") << "the memo data is saved at once";
}

TEST(MemoWindows, AnotherComputersSaveIsFollowed) {
    MemoFixture f;
    f.memos.openAll();
    // The other computer changed the first memo, dropped the second and added a third.
    f.memo("MEMO0000.dfm", "書き換えた", 10);
    std::filesystem::last_write_time(f.home.file("Memo/MEMO0000.dfm"),
                                     std::filesystem::file_time_type::clock::now() + std::chrono::seconds(5));
    f.memo("MEMO0002.dfm", "新しい", 400);
    f.memoData("2=MEMO0002.dfm\r\n0=MEMO0000.dfm\r\n", "");
    f.hub.memos().load(f.hub.schedule().path());
    EXPECT_TRUE(f.memos.refresh()) << "a pasted memo went: the wallpaper is drawn again";
    QCoreApplication::processEvents();
    EXPECT_EQ(f.texts(), (std::vector<std::string>{"書き換えた", "新しい"}));
    EXPECT_TRUE(f.memos.wallpaperFiles().empty());
    EXPECT_TRUE(std::filesystem::exists(f.home.file("Memo/MEMO0001.dfm"))) << "a reload deletes no file";
    EXPECT_EQ(readBytes(f.home.file("Memo/Memo.dat")),
              cp932("[COMPUTER]\r\nCOMPUTER=PC-A\r\n[MEMOFILE]\r\n2=MEMO0002.dfm\r\n0=MEMO0000.dfm\r\n[MEMOOPT]\r\n"))
        << "following a save writes nothing";
}
