#pragma once

#include "memos/MemoState.h"
#include "widgets/NoteWindow.h"

#include <QPointer>

class QLabel;
class QMenu;

namespace velmora {

class ScheduleStore;
class TPopupForm;
class UserFeedback;
struct Settings;

// What a reminder window needs of the resident program.
class PopupHost {
public:
    virtual ~PopupHost() = default;
    virtual ScheduleStore& scheduleStore() = 0;
    virtual const Settings& settings() const = 0;
    virtual UserFeedback& feedback() = 0;
    // "閉じる" (`reshow` false) or "閉じる（再表示）": the host files the
    // entry's reminder state and frees the window, which saves its state.
    virtual void reminderClosed(TPopupForm& window, bool reshow) = 0;
    // "予定の編集": the entry editor for the window's entry.
    virtual void editEntry(TPopupForm& window) = 0;
    // The entry's supplementary description ("" when it has none).
    virtual std::string supplementText(const std::string& key) = 0;
    virtual bool printerAvailable() const = 0;
    virtual void printImage(const QImage& picture) = 0;
};

// A reminder window: the entry's text on its colour in a note window, with
// the look of the memo windows, its colour and font, closing with or without
// coming back, the entry's supplement, the entry editor and a picture.
class TPopupForm : public NoteWindow {
public:
    // `state`: the saved state of the entry's window, or a fresh window's
    // place, text and font; `state.entryKey` names the entry.
    TPopupForm(PopupHost& host, const DesktopSource* desktop, const MemoState& state, QWidget* parent = nullptr);
    ~TPopupForm() override;

    const std::string& key() const { return m_state.entryKey; }
    void setKey(const std::string& key) { m_state.entryKey = key; }
    void setText(const std::string& text);
    // The state as the window's file keeps it.
    MemoState state() const;
    // "9" normally; "" once the entry was edited from the window with a new reminder time.
    const std::string& closeValue() const { return m_closeValue; }
    void setCloseValue(const std::string& value) { m_closeValue = value; }

    // The first show's set-up: the look from POPUPOPT, the colour and font
    // from the entry, the frame colour, the size.
    void initialise();
    // Size to the text or picture; colour and font name from the entry.
    void autoFit();

    void closeReminder(bool reshow);
    // "補足説明を見る" (and a double-click): the supplement beside the window,
    // its text on the clipboard.
    void showSupplement();
    // The window beside the reminder that shows the supplement (for tests).
    QWidget* supplementBox() const { return m_supplement; }

    void setReminderColour(Colour colour);
    void setReminderFont(const QFont& font);
    void dropFile(const QString& path);

    QMenu* popupMenu();
    void updateMenu();

protected:
    QColor textColour() const override;
    bool locked() const override { return m_state.locked; }
    // The frame never sizes a reminder: it follows its text.
    bool autoSized() const override { return true; }
    void facePictureGone() override;
    void lookChosen() override;
    void fitToContent() override { autoFit(); }
    void openMenu(const QPoint& globalPos) override;
    bool menuOpen() const override { return m_menuOpen; }

    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenu();
    void layoutLabel();
    void writeLook();

    PopupHost& m_host;
    std::string m_closeValue = "9";
    QWidget* m_label = nullptr; // DLabel
    QMenu* m_menu = nullptr;
    QPointer<QWidget> m_supplement;
    bool m_menuOpen = false;
    bool m_faceChosen = false; // a face chosen in the window outlives the refits
};

} // namespace velmora
