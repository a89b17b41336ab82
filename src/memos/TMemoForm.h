#pragma once

#include "memos/MemoState.h"
#include "render/DeskTopMemo.h"
#include "widgets/NoteWindow.h"

#include <QPointer>

class QLineEdit;
class QMenu;
class QPlainTextEdit;

namespace velmora {

class MemoStore;
class UserFeedback;
class TMemoForm;

// What a memo window needs of the resident program.
class MemoHost {
public:
    virtual ~MemoHost() = default;
    virtual MemoStore& memoStore() = 0;
    // Where the memo's messages go.
    virtual UserFeedback& feedback() = 0;
    // True while the memo windows are being loaded or reloaded: activating
    // one does not reorder the list then, and reloading writes nothing.
    virtual bool loadingMemos() const = 0;
    virtual bool reloadingMemos() const = 0;
    // Writes the memo's file (new memos get their number here), or moves it
    // to the drawer when nothing is left in it; only under the quiet lock.
    virtual void saveMemo(TMemoForm& memo) = 0;
    // Writes the memo data file when the quiet lock allows it.
    virtual void saveMemoData() = 0;
    // The memo came to the front: its line goes first in the memo list.
    virtual void memoActivated(TMemoForm& memo) = 0;
    // The memo was pasted onto the wallpaper (its window is hidden).
    virtual void memoPasted(TMemoForm& memo) = 0;
    // The memo window closed (put in the drawer, or emptied); it is freed.
    virtual void memoClosed(TMemoForm& memo) = 0;
    virtual bool printerAvailable() const = 0;
    virtual void printImage(const QImage& picture) = 0;
};

// A desktop memo (Fusen): a note window showing its text in its font and
// colour, or a picture, with an input box for its text, its pop-up menu and
// its look (placement, frame, transparency, pasted onto the wallpaper).
class TMemoForm : public NoteWindow {
public:
    // `state`: as read from the memo's file, or a new memo's defaults (no file name).
    TMemoForm(MemoHost& host, const DesktopSource* desktop, const MemoState& state, QWidget* parent = nullptr);
    ~TMemoForm() override;

    // The state as it is now, the window's place and size included.
    MemoState state() const;
    const std::string& fileName() const { return m_state.fileName; }
    void setFileName(const std::string& name);
    // The first show's set-up: look digits, frame colour and placement from
    // the memo data; input mode for a new memo.
    void initialise(bool startInput);
    bool wasShown() const { return m_shownOnce; }
    bool inputMode() const;

    // Input mode: the text box over the memo. Start asks for the edit lock.
    void startInput();
    void endInput();
    // Fits the window to its text or picture (auto size), back on the screen.
    void autoFit();
    // Reads the memo's file again (another computer changed it).
    void reloadState(const MemoState& state);

    // Pasted onto the wallpaper or back as a window.
    void setDrawDesk(bool on);
    // A dropped file: a ".bmp" becomes the picture; anything else is refused.
    void dropFile(const QString& path);
    void setMemoFont(const QFont& font, Colour colour);
    void setMemoColour(Colour colour);
    // "引き出しに入れる": the memo goes to the drawer when its window closes.
    void putInDrawer();

    // The memo as the wallpaper shows it.
    WallpaperMemo wallpaperMemo() const;
    // The pop-up menu as it is before it opens (for tests).
    QMenu* popupMenu();
    // Rebuilds the menu's enabling for the memo file's owner state.
    void updateMenu();

protected:
    QColor textColour() const override;
    bool editing() const override { return inputMode(); }
    bool locked() const override { return m_state.locked; }
    bool autoSized() const override { return m_state.autoSize; }
    void facePictureGone() override;
    void lookChosen() override;
    void fitToContent() override { autoFit(); }
    void openMenu(const QPoint& globalPos) override;
    bool menuOpen() const override { return m_menuOpen; }
    void geometryCommitted() override;

    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void layoutChildren();
    void editorMenu(const QPoint& globalPos);
    void insertNow(const char* format);
    void pickColour();
    void pickFont();
    void pickFrameColour();
    void print();
    void saveLook();

    MemoHost& m_host;
    QWidget* m_label = nullptr;         // DLabel
    QPlainTextEdit* m_editor = nullptr; // MainMemo
    QLineEdit* m_fileNameEdit = nullptr;
    QMenu* m_menu = nullptr;
    QSize m_sizeBeforeInput;
    bool m_shownOnce = false;
    bool m_menuOpen = false;
    bool m_closing = false;
};

} // namespace velmora
