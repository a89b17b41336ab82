#pragma once

#include "app/MainHub.h"
#include "app/MemoWindows.h"
#include "app/PopupWindows.h"
#include "app/TrayMenu.h"

#include <QImage>
#include <QSystemTrayIcon>
#include <QWidget>

#include <memory>

class QMenu;
class QTimer;

namespace velmora {

class THintForm;
class TNenGetsuForm;

// Messages in boxes titled "Velmora". VELMORA_MESSAGE_LOG (for tests) names a
// file that receives them instead, one per line, and every question is
// answered Cancel there.
class DialogFeedback : public UserFeedback {
public:
    void showMessage(std::string_view text) override;
    bool confirm(std::string_view text) override;
    // The display connection is gone: messages go to standard error.
    static void setDisplayGone();
};

// The hidden main window: it owns the hub, turns its timer wishes into
// QTimers, carries the tray icon and its menu, hears the desktop, and
// becomes the full-screen calendar window on "カレンダー表示".
class TMainForm : public QWidget, public HubWindows {
public:
    TMainForm(Platform& platform, Clock& clock, bool once, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The start-up sequence; the first calendar follows from the event loop.
    void FormCreate(const StartupEnvironment& environment);
    // Ends the program the way "終了する" does: the saves, the last wallpaper,
    // the event loop. `calendarChanged`: calendar.bmp was just rewritten.
    void terminate(bool calendarChanged = false);
    // True once terminate() has run (possibly before the event loop started).
    bool terminated() const { return m_terminating; }

    MainHub& hub() { return m_hub; }
    QSystemTrayIcon* trayIcon() { return m_tray; }
    // The tray menu as it is after its last opening (for tests).
    QMenu* trayMenu() { return m_trayMenu; }
    // Rebuilds the menus' dynamic items, as before they open.
    void TrayPopUpMenuPopup();

    // HubWindows
    void setTrayVisible(bool visible) override;
    bool calendarWindowVisible() const override { return isVisible(); }
    void paintCalendar(const QImage& picture) override;
    std::optional<PickedMonth> pickMonth(const PickerRequest& request) override;
    bool showDay(DateValue date) override;
    void setBusyCursor(bool busy) override;
    void quitWhenIdle() override;
    void openDesktopMemos() override;
    void drawDeskTopMemo(QImage& picture) override;
    void saveDesktopMemos() override;
    bool closeDesktopMemos() override;
    bool refreshDesktopMemos() override;
    std::vector<std::string> wallpaperMemoFiles() const override;
    std::vector<Rect> wallpaperMemoRects() const override;
    void bringBackMemo(std::size_t index) override;
    // The desktop memos (for tests).
    MemoWindows& memoWindows() { return *m_memoWindows; }
    PopupWindows& popupWindows() { return m_popups; }
    void showDayHint(const std::vector<std::string>& lines, int x, int y) override;
    void hideDayHint() override;
    // The day hint's window (for tests).
    THintForm* hintForm() { return m_hint; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // After every handler: the QTimers follow what the hub wants.
    void syncTimers();
    // The pointer's moves over the desktop are heard while the hint wants them.
    void syncPointerWatch();
    void pointerMoved(int x, int y, bool inWindow);
    template <typename F> void handle(F&& f) {
        f();
        syncTimers();
    }
    void showTray();
    std::string noTrayMessage() const;
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void fillMenu(QMenu* menu, const std::vector<MenuEntry>& entries);
    void command(const MenuEntry& entry);
    MenuInputs menuInputs() const;
    void CalInputBtnClick();
    void MinimizeBtn2Click();
    // A data file chosen in the file dialog; nullopt when none was, or the program ended meanwhile.
    std::optional<std::string> askDataFile(const QString& title, const QString& kind, const std::string& current,
                                           const QString& proposedName);
    void openScheduleFile();
    void openMemoFile();
    void help();
    void CreateMemoBtnClick();
    void TrashClick();

    Platform& m_platform;
    DialogFeedback m_feedback;
    // Made before the hub, which opens reminders in them; they reach it once attached.
    DesktopPicture m_desktopPicture;
    PopupWindows m_popups;
    MainHub m_hub;
    std::unique_ptr<MemoWindows> m_memoWindows;
    bool m_once;
    bool m_terminating = false;
    int m_trayAttempts = 0;
    bool m_busy = false;
    int m_iconDay = 0;

    QTimer* m_mainTimer;
    QTimer* m_jnlTimer;
    QTimer* m_atlasTimer;
    QTimer* m_wpTimer;
    QTimer* m_wallPaperTimer;
    QTimer* m_schFileTimer;
    QTimer* m_memoFileTimer;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QMenu* m_calendarMenu = nullptr;
    TNenGetsuForm* m_nenGetsu = nullptr;
    THintForm* m_hint = nullptr;
    QTimer* m_restTimer = nullptr; // the day hint's wait: restarted at every move
    bool m_pointerWatched = false;
    QImage m_picture;
    QPoint m_clickPoint;
    Qt::MouseButton m_clickButton = Qt::NoButton;
};

// The two-line message of a second start.
inline constexpr const char* kSecondStartMessage =
    "Velmoraが二重起動されたため、一度終了します。\r\n終了処理完了後にVelmoraを再起動して下さい";

} // namespace velmora
