#pragma once

#include "memos/TMemoForm.h"
#include "render/Canvas.h"

#include <QDateTime>
#include <QImage>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace velmora {

class MainHub;
class UserFeedback;

// The picture of the desktop as the program installed it (calendar.bmp, or
// the bare desktop before the first calendar), read again when it changes:
// what see-through note windows show.
class DesktopPicture : public DesktopSource {
public:
    // The hub is made after the picture (the reminder windows it serves come first).
    void attach(MainHub& hub) { m_hub = &hub; }
    QImage desktopPiece(const QRect& screenRect) const override;
    // A pass wrote a new picture.
    void changed() { m_time = QDateTime(); }

private:
    MainHub* m_hub = nullptr;
    mutable QImage m_picture;
    mutable QDateTime m_time;
    mutable std::string m_path;
};

// The desktop memos of the run: their windows, the memos pasted onto the
// wallpaper (bottom first) and the files behind them: the memo windows' host.
class MemoWindows : public MemoHost {
public:
    MemoWindows(MainHub& hub, UserFeedback& feedback, DesktopPicture& desktop);
    ~MemoWindows() override;

    // Opens the windows of the memo list, the most recently activated last;
    // memos pasted onto the wallpaper stay hidden and join the wallpaper.
    void openAll();
    // Saves and closes every window (another memo data file comes); true
    // when memos were pasted onto the wallpaper.
    bool closeAll();
    // After another computer's change was loaded: windows whose files went
    // are closed, changed ones read again, new ones opened. True when the
    // wallpaper shows memos that may have changed.
    bool refresh();
    // Every window writes what it holds (its file and look), before the memo
    // data file is saved.
    void saveAll();
    // "メモを作成する": a new memo in input mode (the caller holds the lock).
    TMemoForm* create();
    // A memo taken out of the drawer: shown as a window, even one that was
    // pasted onto the wallpaper before (it joins the wallpaper at the next load).
    TMemoForm* openRevived(const std::string& fileName);

    std::vector<std::string> wallpaperFiles() const;
    std::vector<Rect> wallpaperRects() const;
    // A click on a pasted memo: its window comes back.
    void bringBack(std::size_t index);
    // Pastes the wallpaper memos into the picture of a pass; transparent
    // windows repaint over the new desktop afterwards.
    void compose(QImage& picture);

    std::vector<TMemoForm*> windows() const;
    const std::vector<TMemoForm*>& wallpaperMemos() const { return m_wallpaper; }

    // MemoHost
    MemoStore& memoStore() override;
    UserFeedback& feedback() override { return m_feedback; }
    bool loadingMemos() const override { return m_loading; }
    bool reloadingMemos() const override { return m_reloading; }
    void saveMemo(TMemoForm& memo) override;
    void saveMemoData() override;
    void memoActivated(TMemoForm& memo) override;
    void memoPasted(TMemoForm& memo) override;
    void memoClosed(TMemoForm& memo) override;
    bool printerAvailable() const override { return false; }
    void printImage(const QImage&) override {}

private:
    TMemoForm* open(const std::string& fileName, bool revived = false);
    void discard(TMemoForm* memo);
    bool writeState(TMemoForm& memo, const MemoState& state);
    std::string pathOf(const std::string& fileName) const;

    MainHub& m_hub;
    UserFeedback& m_feedback;
    DesktopPicture& m_desktop;
    std::vector<TMemoForm*> m_windows;
    std::vector<TMemoForm*> m_wallpaper;
    std::map<std::string, std::filesystem::file_time_type> m_known;
    bool m_loading = false;
    bool m_reloading = false;
};

} // namespace velmora
