#include "app/MemoWindows.h"

#include "app/MainHub.h"
#include "core/PathText.h"
#include "core/UserFeedback.h"
#include "memos/MemoFormModel.h"
#include "memos/MemoStore.h"
#include "memos/NoteTones.h"
#include "render/DeskTopMemo.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace velmora {

namespace fs = std::filesystem;

namespace {

bool blank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

MemoWindows::MemoWindows(MainHub& hub, UserFeedback& feedback, DesktopPicture& desktop)
    : m_hub(hub), m_feedback(feedback), m_desktop(desktop) {}

MemoWindows::~MemoWindows() {
    for (TMemoForm* memo : m_windows) {
        delete memo;
    }
}

MemoStore& MemoWindows::memoStore() {
    return m_hub.memos();
}

std::string MemoWindows::pathOf(const std::string& fileName) const {
    return m_hub.memos().folder() + fileName;
}

std::vector<TMemoForm*> MemoWindows::windows() const {
    return m_windows;
}

TMemoForm* MemoWindows::openRevived(const std::string& fileName) {
    return open(fileName, true);
}

TMemoForm* MemoWindows::open(const std::string& fileName, bool revived) {
    MemoState state;
    std::string error;
    const std::string path = pathOf(fileName);
    if (!readMemoState(path, &state, &error)) {
        m_feedback.showMessage("メモファイルを読み込めませんでした。\n" + path + "\n" + error);
        return nullptr;
    }
    state.fileName = fileName;
    if (revived && !state.editorPicture.empty()) {
        state.picture = state.editorPicture; // put away, the memo lost only its label's picture
    }
    auto* memo = new TMemoForm(*this, &m_desktop, state);
    m_windows.push_back(memo);
    std::error_code ec;
    m_known[fileName] = fs::last_write_time(path, ec);
    memo->initialise(false);
    if (memo->look().drawDesk == 1 && !revived) {
        m_wallpaper.push_back(memo);
    } else {
        memo->autoFit();
        memo->show();
    }
    return memo;
}

void MemoWindows::openAll() {
    m_wallpaper.clear();
    m_loading = true;
    const NameValueList list = m_hub.memos().memoFiles();
    for (std::size_t i = list.size(); i-- > 0;) {
        const std::string fileName = list.valueAt(i);
        const auto found = findInFolder(m_hub.memos().folder(), fileName);
        const bool open = std::any_of(m_windows.begin(), m_windows.end(),
                                      [&](TMemoForm* m) { return equalsIgnoreCase(m->fileName(), fileName); });
        if (found && !open && memoNumber(*found)) {
            this->open(*found);
        }
    }
    m_loading = false;
}

void MemoWindows::saveAll() {
    for (TMemoForm* memo : m_windows) {
        if (memo->inputMode()) {
            continue; // what is being typed is saved when input ends
        }
        saveMemo(*memo);
        if (!memo->fileName().empty()) {
            m_hub.memos().setLook(memo->fileName(), memo->look(), memo->frameColour());
        }
    }
}

bool MemoWindows::closeAll() {
    const bool pasted = !m_wallpaper.empty();
    saveAll();
    while (!m_windows.empty()) {
        discard(m_windows.back());
    }
    return pasted;
}

bool MemoWindows::refresh() {
    const bool pastedBefore = !m_wallpaper.empty();
    bool pastedChanged = false;
    m_reloading = true;
    const NameValueList& list = m_hub.memos().memoFiles();
    for (TMemoForm* memo : std::vector<TMemoForm*>(m_windows)) {
        if (memo->fileName().empty()) {
            continue; // a new memo not saved yet
        }
        bool listed = false;
        for (std::size_t i = 0; i < list.size(); ++i) {
            listed = listed || equalsIgnoreCase(list.valueAt(i), memo->fileName());
        }
        const std::string path = pathOf(memo->fileName());
        std::error_code ec;
        const auto time = fs::last_write_time(path, ec);
        const bool pasted = std::find(m_wallpaper.begin(), m_wallpaper.end(), memo) != m_wallpaper.end();
        if (!listed || ec) {
            pastedChanged = pastedChanged || pasted;
            discard(memo);
        } else if (time != m_known[memo->fileName()]) {
            MemoState state;
            if (readMemoState(path, &state)) {
                state.fileName = memo->fileName();
                memo->reloadState(state);
                m_known[memo->fileName()] = time;
                pastedChanged = pastedChanged || pasted;
            }
        }
    }
    const std::size_t pastedCount = m_wallpaper.size();
    m_loading = true;
    for (std::size_t i = list.size(); i-- > 0;) {
        const std::string fileName = list.valueAt(i);
        const bool open = std::any_of(m_windows.begin(), m_windows.end(),
                                      [&](TMemoForm* m) { return equalsIgnoreCase(m->fileName(), fileName); });
        const auto found = findInFolder(m_hub.memos().folder(), fileName);
        if (!open && found && memoNumber(*found)) {
            this->open(*found);
        }
    }
    m_loading = false;
    m_reloading = false;
    return pastedChanged || (pastedBefore != !m_wallpaper.empty()) || pastedCount != m_wallpaper.size();
}

TMemoForm* MemoWindows::create() {
    MemoState state;
    state.font = m_hub.settings().font(FontPart::Fusen);
    state.picture = "NONE";
    // A new memo opens in the middle of the screen, where it is seen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    state.width = 200;
    state.height = 100;
    state.left = area.center().x() - state.width / 2;
    state.top = area.center().y() - state.height / 2;
    auto* memo = new TMemoForm(*this, &m_desktop, state);
    m_windows.push_back(memo);
    memo->show();
    memo->initialise(true);
    return memo;
}

bool MemoWindows::writeState(TMemoForm& memo, const MemoState& state) {
    const std::string path = pathOf(state.fileName);
    std::string error;
    if (!writeMemoState(path, state, &error)) {
        m_feedback.showMessage("メモを保存できませんでした。\n" + path + "\n" + error);
        return false;
    }
    std::error_code ec;
    m_known[state.fileName] = fs::last_write_time(path, ec);
    (void)memo;
    return true;
}

void MemoWindows::saveMemo(TMemoForm& memo) {
    MemoStore& store = m_hub.memos();
    if (m_reloading || !store.quietLockAllows()) {
        return; // the memo keeps its changes in memory
    }
    MemoState state = memo.state();
    if (!blank(state.editorText) || !state.picture.empty()) {
        if (state.fileName.empty()) {
            state.fileName = memoFileName(nextMemoNumber(store.folder()));
            if (!writeState(memo, state)) {
                return;
            }
            memo.setFileName(state.fileName);
            store.addMemo(state.fileName);
            store.setLook(state.fileName, memo.look(), memo.frameColour());
        } else if (!findInFolder(store.folder(), drawerFileName(state.fileName)) && memo.wasShown()) {
            writeState(memo, state);
        }
        return;
    }
    // Nothing left in it: the memo goes to the drawer, its text kept in the file.
    if (!state.fileName.empty() && fs::exists(pathOf(state.fileName)) && writeState(memo, state)) {
        store.moveToDrawer(state.fileName);
        m_known.erase(state.fileName);
    }
}

void MemoWindows::saveMemoData() {
    if (m_hub.memos().quietLockAllows()) {
        m_hub.memos().save(true); // the edit is done: other computers may edit and see it
    }
}

void MemoWindows::memoActivated(TMemoForm& memo) {
    if (!memo.fileName().empty()) {
        m_hub.memos().moveToFront(memo.fileName());
    }
}

void MemoWindows::memoPasted(TMemoForm& memo) {
    if (std::find(m_wallpaper.begin(), m_wallpaper.end(), &memo) == m_wallpaper.end()) {
        std::vector<int> placements;
        for (TMemoForm* m : m_wallpaper) {
            placements.push_back(m->look().placement);
        }
        const std::size_t at = wallpaperMemoIndex(placements, memo.look().placement);
        m_wallpaper.insert(m_wallpaper.begin() + static_cast<std::ptrdiff_t>(at), &memo);
    }
    memo.hide();
    m_hub.drawWallPaper(true);
}

void MemoWindows::bringBack(std::size_t index) {
    if (index >= m_wallpaper.size()) {
        return;
    }
    TMemoForm* memo = m_wallpaper[index];
    m_wallpaper.erase(m_wallpaper.begin() + static_cast<std::ptrdiff_t>(index));
    MemoLook look = memo->look();
    look.drawDesk = 0;
    memo->setLook(look);
    if (!memo->fileName().empty()) {
        m_hub.memos().setLook(memo->fileName(), look, memo->frameColour());
    }
    memo->show();
    memo->autoFit();
    saveMemoData();
}

void MemoWindows::memoClosed(TMemoForm& memo) {
    if (std::find(m_windows.begin(), m_windows.end(), &memo) == m_windows.end()) {
        return;
    }
    saveMemo(memo);
    if (!memo.fileName().empty() && !m_hub.memos().loadFailed()) {
        m_hub.memos().setLook(memo.fileName(), memo.look(), memo.frameColour());
    }
    discard(&memo);
    saveMemoData(); // a memo dropped while being written leaves no lock behind
}

void MemoWindows::discard(TMemoForm* memo) {
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), memo), m_windows.end());
    m_wallpaper.erase(std::remove(m_wallpaper.begin(), m_wallpaper.end(), memo), m_wallpaper.end());
    memo->hide();
    memo->deleteLater();
}

std::vector<std::string> MemoWindows::wallpaperFiles() const {
    std::vector<std::string> files;
    for (TMemoForm* memo : m_wallpaper) {
        if (!memo->fileName().empty()) {
            files.push_back(memo->fileName());
        }
    }
    return files;
}

std::vector<Rect> MemoWindows::wallpaperRects() const {
    std::vector<Rect> rects;
    for (TMemoForm* memo : m_wallpaper) {
        const QRect g = memo->geometry();
        rects.push_back(Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
    }
    return rects;
}

void MemoWindows::compose(QImage& picture) {
    std::vector<WallpaperMemo> memos;
    for (TMemoForm* memo : m_wallpaper) {
        memos.push_back(memo->wallpaperMemo());
    }
    drawDeskTopMemo(picture, memos, kNoteFrameWidth, kNoteFrameWidth);
    // The desktop under the transparent windows changes with the pass.
    m_desktop.changed();
    std::vector<QPointer<TMemoForm>> windows(m_windows.begin(), m_windows.end());
    QTimer::singleShot(0, [windows] {
        for (const QPointer<TMemoForm>& memo : windows) {
            if (memo && memo->look().trans > 0 && memo->isVisible()) {
                memo->update();
            }
        }
    });
}

QImage DesktopPicture::desktopPiece(const QRect& screenRect) const {
    if (!m_hub) {
        return {};
    }
    const DataLocations& loc = m_hub->state().locations;
    const std::string path = QFileInfo::exists(QString::fromStdString(loc.calendarBitmapPath)) ? loc.calendarBitmapPath
                                                                                               : loc.blankBitmapPath;
    const QFileInfo info(QString::fromStdString(path));
    if (path != m_path || !m_time.isValid() || info.lastModified() != m_time) {
        m_path = path;
        m_time = info.lastModified();
        m_picture = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    }
    if (m_picture.isNull()) {
        return {};
    }
    QImage piece(screenRect.size(), QImage::Format_RGB32);
    piece.fill(Qt::black);
    QPainter p(&piece);
    p.drawImage(QPoint(0, 0), m_picture, screenRect);
    return piece;
}

} // namespace velmora
