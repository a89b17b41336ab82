#include "app/TMainForm.h"

#include "memos/TTrashForm.h"

#include "core/PathText.h"
#include "editor/THintForm.h"
#include "editor/TNenGetsuForm.h"
#include "editor/TScheduleForm.h"
#include "platform/InstallLayout.h"
#include "render/BmpFile.h"
#include "render/FontMapping.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolTip>

#include <cstdlib>
#include <iostream>

namespace velmora {

namespace {

constexpr const char* kCaption = "Velmora Ver.6.82";
constexpr int kTrayAttempts = 5;
constexpr int kTrayRetryMs = 2000;
constexpr int kSlowTrayRetryMs = 10000;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// Where test runs want the messages instead of boxes.
const char* messageLog() {
    const char* path = std::getenv("VELMORA_MESSAGE_LOG");
    return path && *path ? path : nullptr;
}

void logMessage(const char* path, std::string_view text) {
    QFile file(QString::fromLocal8Bit(path));
    if (file.open(QIODevice::Append)) {
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.write("\n");
    }
}

// A small calendar leaf with today's day on it.
QIcon trayIconFor(int day) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(1.5, 2.5, 29, 28), 3, 3);
    p.setBrush(QColor(0xC8, 0x1E, 0x1E));
    p.drawRect(QRectF(1.5, 2.5, 29, 8));
    QFont f = p.font();
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(1, 11, 30, 20), Qt::AlignCenter, QString::number(day));
    return QIcon(pixmap);
}

void syncTimer(QTimer* timer, const TimerWant& want) {
    if (!want.running || want.interval <= 0) {
        timer->stop();
    } else if (!timer->isActive() || timer->interval() != want.interval) {
        timer->start(want.interval);
    }
}

} // namespace

// Without a screen no box could ever be closed: the messages go to stderr.
static bool s_displayGone = false;

void DialogFeedback::setDisplayGone() {
    s_displayGone = true;
}

static bool noScreen() {
    return s_displayGone || QGuiApplication::platformName() == QLatin1String("offscreen");
}

void DialogFeedback::showMessage(std::string_view text) {
    if (const char* log = messageLog()) {
        logMessage(log, text);
        return;
    }
    if (noScreen()) {
        std::cerr << text << "\n";
        return;
    }
    QMessageBox::information(nullptr, QStringLiteral("Velmora"), QString::fromUtf8(text.data(), text.size()));
}

bool DialogFeedback::confirm(std::string_view text) {
    if (const char* log = messageLog()) {
        logMessage(log, text);
        return false;
    }
    if (noScreen()) {
        std::cerr << text << " -> キャンセル\n";
        return false;
    }
    return QMessageBox::question(nullptr, QStringLiteral("Velmora"), QString::fromUtf8(text.data(), text.size()),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

TMainForm::TMainForm(Platform& platform, Clock& clock, bool once, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_popups(platform, m_feedback, m_desktopPicture),
      m_hub(platform, clock, m_feedback, *this, m_popups),
      m_memoWindows(std::make_unique<MemoWindows>(m_hub, m_feedback, m_desktopPicture)), m_once(once),
      m_mainTimer(new QTimer(this)), m_jnlTimer(new QTimer(this)), m_atlasTimer(new QTimer(this)),
      m_wpTimer(new QTimer(this)), m_wallPaperTimer(new QTimer(this)), m_schFileTimer(new QTimer(this)),
      m_memoFileTimer(new QTimer(this)) {
    m_desktopPicture.attach(m_hub);
    m_popups.attach(m_hub);
    // A sound file that cannot be played is said once; the beep stands in for it.
    m_platform.setSoundFailure([this](const std::string& message) { m_feedback.showMessage(message); });
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowFlag(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    connect(m_mainTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.mainTimerTick(); }); });
    connect(m_jnlTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.jnlTimerTick(); }); });
    connect(m_atlasTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.atlasTimerTick(); }); });
    connect(m_wpTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.wpTimerTick(); }); });
    connect(m_wallPaperTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.wallPaperTimerTick(); }); });
    connect(m_schFileTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.schFileTimerTick(); }); });
    connect(m_memoFileTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.memoFileTimerTick(); }); });
    m_nenGetsu = new TNenGetsuForm(this);
    m_nenGetsu->setWindowTitle(QString::fromUtf8(kCaption));
    m_hint = new THintForm(this);
    m_restTimer = new QTimer(this);
    m_restTimer->setSingleShot(true);
    m_restTimer->setInterval(MainHub::kHintDelay);
    connect(m_restTimer, &QTimer::timeout, this, [this] { handle([this] { m_hub.pointerRested(); }); });
    m_trayMenu = new QMenu(this);
    m_calendarMenu = new QMenu(this);
    connect(m_trayMenu, &QMenu::aboutToShow, this, &TMainForm::TrayPopUpMenuPopup);
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate(const StartupEnvironment& environment) {
    // The test-only period of the main timer, so that a day change can be seen quickly.
    if (const char* period = std::getenv("VELMORA_MAIN_TIMER_MS"); period && std::atoi(period) > 0) {
        m_hub.setMainPeriod(std::atoi(period));
    }
    m_platform.watchDesktop(
        [this] { handle([this] { m_hub.settingsChanged(); }); },
        [this](const DesktopDoubleClick& click) { handle([this, click] { m_hub.desktopDoubleClick(click); }); });
    handle([&] { m_hub.startUp(environment, m_once); });
}

void TMainForm::syncTimers() {
    const HubTimers& t = m_hub.timers();
    syncTimer(m_mainTimer, t.main);
    syncTimer(m_jnlTimer, t.jnl);
    syncTimer(m_atlasTimer, t.atlas);
    syncTimer(m_wpTimer, t.wp);
    syncTimer(m_wallPaperTimer, t.wallPaper);
    syncTimer(m_schFileTimer, t.schFile);
    syncTimer(m_memoFileTimer, t.memoFile);
    syncPointerWatch();
    // The icon shows today's day: after midnight, tomorrow's.
    const int today = m_hub.state().today.day();
    if (m_tray && today != m_iconDay) {
        m_iconDay = today;
        m_tray->setIcon(trayIconFor(today));
    }
}

void TMainForm::syncPointerWatch() {
    const bool wanted = m_hub.wantsPointer();
    if (wanted == m_pointerWatched) {
        return;
    }
    m_pointerWatched = wanted;
    if (!wanted) {
        m_restTimer->stop();
        m_platform.watchPointer({});
        return;
    }
    m_platform.watchPointer([this](int x, int y) { pointerMoved(x, y, false); });
}

void TMainForm::pointerMoved(int x, int y, bool inWindow) {
    handle([&] {
        if (m_hub.pointerMoved(x, y, inWindow)) {
            m_restTimer->start();
        }
    });
}

// Tray

void TMainForm::setTrayVisible(bool visible) {
    if (m_once || m_terminating) {
        return; // a single pass never stays in the tray
    }
    if (!visible) {
        if (m_tray) {
            m_tray->hide();
        }
        return;
    }
    showTray();
}

std::string TMainForm::noTrayMessage() const {
    // Only what is true here: double-clicks work only when they are on.
    std::string text = "通知領域（システムトレイ）が見つからないため、Velmoraのアイコンを表示できません。\n"
                       "カレンダーは壁紙に表示され続けます。\n";
    if (m_hub.state().settings.wpLink == 1) {
        text += "壁紙のカレンダーはダブルクリックで操作できます。\n";
    }
    text += "通知領域が現れると、アイコンはそこに表示されます。\n"
            "終了するには、Velmoraをもう一度起動してください（両方とも終了します）。\n"
            "設定ファイル: " +
            m_hub.state().locations.settingsPath;
    return text;
}

void TMainForm::showTray() {
    if (m_tray) {
        m_tray->show();
        return;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // At log-in the tray may come after us: look again soon a few times,
        // say it once, then keep looking slowly for the whole run (a panel
        // that starts late still gets the icon).
        ++m_trayAttempts;
        if (m_trayAttempts == kTrayAttempts) {
            m_feedback.showMessage(noTrayMessage());
        }
        QTimer::singleShot(m_trayAttempts < kTrayAttempts ? kTrayRetryMs : kSlowTrayRetryMs, this, [this] {
            if (!m_tray && !m_terminating) {
                showTray();
            }
        });
        return;
    }
    m_iconDay = m_hub.state().today.day();
    m_tray = new QSystemTrayIcon(trayIconFor(m_iconDay), this);
    m_tray->setToolTip(QStringLiteral("Velmora"));
    connect(m_tray, &QSystemTrayIcon::activated, this, &TMainForm::trayActivated);
    m_tray->show();
}

void TMainForm::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    TrayButton button = TrayButton::Left;
    if (reason == QSystemTrayIcon::Context) {
        button = TrayButton::Right;
    } else if (reason == QSystemTrayIcon::MiddleClick) {
        button = TrayButton::Middle;
    } else if (reason != QSystemTrayIcon::Trigger) {
        return;
    }
    if (trayButtonOpensList(button, m_hub.settings().popupOpt)) {
        handle([this] { m_hub.openScheduleList(); });
        return;
    }
    m_trayMenu->popup(QCursor::pos());
}

MenuInputs TMainForm::menuInputs() const {
    const StartupState& s = m_hub.state();
    return MenuInputs{s.settings,
                      s.locations.programDir,
                      m_hub.schedule().path(),
                      m_hub.memos().path(),
                      m_hub.cutLink(),
                      false,
                      false,
                      true,
                      false};
}

void TMainForm::TrayPopUpMenuPopup() {
    fillMenu(m_trayMenu, buildTrayMenu(menuInputs()));
}

void TMainForm::fillMenu(QMenu* menu, const std::vector<MenuEntry>& entries) {
    // clear() leaves the submenus alive; a menu rebuilt at every opening must not pile them up.
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu()) {
            sub->deleteLater();
        }
    }
    menu->clear();
    for (const MenuEntry& e : entries) {
        if (e.separator) {
            menu->addSeparator();
            continue;
        }
        if (!e.children.empty() || e.name == "BU") {
            QMenu* sub = menu->addMenu(q(e.caption));
            sub->menuAction()->setObjectName(q(e.name));
            sub->menuAction()->setVisible(e.visible);
            sub->setEnabled(e.enabled);
            fillMenu(sub, e.children);
            continue;
        }
        QAction* action = menu->addAction(q(e.caption));
        action->setObjectName(q(e.name));
        action->setVisible(e.visible);
        action->setEnabled(e.enabled);
        action->setCheckable(e.checkable);
        action->setChecked(e.checked);
        connect(action, &QAction::triggered, this, [this, e] { handle([this, &e] { command(e); }); });
    }
}

void TMainForm::command(const MenuEntry& e) {
    const std::string& n = e.name;
    if (n == "CalInputBtn") {
        CalInputBtnClick();
    } else if (n == "MinimizeBtn2") {
        MinimizeBtn2Click();
    } else if (n == "SelPtn1" || n == "SelPtn2" || n == "SelPtn3" || n == "SelPtn4" || n == "SelPtn5") {
        m_hub.toggleOutputPattern(n.back() - '1');
    } else if (n == "Others") {
        m_hub.toggleOutputPattern(5);
    } else if (n == "DispAll") {
        m_hub.toggleOutputPattern(6);
    } else if (n == "CutLink") {
        m_hub.toggleCutLink();
    } else if (n.rfind("RegStartUp", 0) == 0) {
        m_hub.registerStartUp(n.back() - '0', m_platform.executableDir() + "velmora");
    } else if (n == "ScheduleChangeOpen" || n == "ScheduleChange2Open") {
        openScheduleFile();
    } else if (n == "MemoDataChangeOpen") {
        openMemoFile();
    } else if (n.rfind("OpenSch", 0) == 0) {
        m_hub.switchSchedule(e.data, true);
    } else if (n.rfind("OpenMemo", 0) == 0) {
        m_hub.switchMemo(e.data, true);
    } else if (n.rfind("BUSch", 0) == 0 || n.rfind("BUMemo", 0) == 0) {
        m_hub.restore(n);
    } else if (n == "CreateMemoBtn") {
        CreateMemoBtnClick();
    } else if (n == "Trash") {
        TrashClick();
    } else if (n == "help1") {
        help();
    } else if (n == "TerminateBtn3") {
        terminate();
    } else if (n == "TerminateBtn1") {
        // The calendar shown in the window is what stays on the desktop.
        std::string error;
        const bool saved =
            !m_picture.isNull() && saveBmp(m_picture, m_hub.state().locations.calendarBitmapPath, &error);
        if (!m_picture.isNull() && !saved) {
            m_feedback.showMessage("カレンダーを保存できませんでした。\n" + error);
        }
        terminate(saved);
    }
}

std::optional<std::string> TMainForm::askDataFile(const QString& title, const QString& kind, const std::string& current,
                                                  const QString& proposedName) {
    // A name that does not exist yet is a new data file: the load makes it.
    QFileDialog dialog(nullptr, title, q(folderOf(current)), kind + QStringLiteral("(*.dat)"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(proposedName);
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    // The program may have ended while the dialog was open.
    if (!chosen || m_terminating) {
        return std::nullopt;
    }
    return withDataExtension(dialog.selectedFiles().front().toStdString());
}

void TMainForm::openScheduleFile() {
    if (const auto path = askDataFile(QStringLiteral("スケジュールデータを開く"), QStringLiteral("スケジュールデータ"),
                                      m_hub.schedule().path(), QStringLiteral("Schedule.dat"))) {
        m_hub.switchSchedule(*path, false);
    }
}

void TMainForm::CreateMemoBtnClick() {
    if (m_hub.memos().lockForEditing()) {
        m_memoWindows->create();
    }
}

void TMainForm::TrashClick() {
    if (!m_hub.memos().lockForEditing()) {
        return;
    }
    setTrayVisible(false);
    TTrashForm drawer(m_hub.memos(), m_feedback,
                      [this](const std::string& path) { return m_platform.moveToTrash(path); });
    drawer.onRevived = [this](const std::string& fileName) { m_memoWindows->openRevived(fileName); };
    drawer.exec();
    if (m_terminating) {
        return; // the end saved everything already
    }
    m_hub.memos().save(true); // the drawer's lock goes, whatever was done in it
    setTrayVisible(true);
}

// Desktop memos

void TMainForm::openDesktopMemos() {
    m_memoWindows->openAll();
}

void TMainForm::drawDeskTopMemo(QImage& picture) {
    m_memoWindows->compose(picture);
}

void TMainForm::saveDesktopMemos() {
    m_memoWindows->saveAll();
}

bool TMainForm::closeDesktopMemos() {
    return m_memoWindows->closeAll();
}

bool TMainForm::refreshDesktopMemos() {
    return m_memoWindows->refresh();
}

std::vector<std::string> TMainForm::wallpaperMemoFiles() const {
    return m_memoWindows->wallpaperFiles();
}

std::vector<Rect> TMainForm::wallpaperMemoRects() const {
    return m_memoWindows->wallpaperRects();
}

void TMainForm::bringBackMemo(std::size_t index) {
    m_memoWindows->bringBack(index);
}

void TMainForm::openMemoFile() {
    if (const auto path = askDataFile(QStringLiteral("メモデータを開く"), QStringLiteral("メモデータ"),
                                      m_hub.memos().path(), QStringLiteral("Memo.dat"))) {
        m_hub.switchMemo(*path, false);
    }
}

void TMainForm::help() {
    const std::string page = helpPagePath(m_platform.executableDir());
    if (!m_platform.openDocument(page)) {
        m_feedback.showMessage("ヘルプを開けませんでした。\n" + page);
    }
}

// The full-screen calendar window

void TMainForm::CalInputBtnClick() {
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, m_platform.screenWidth(), m_platform.screenHeight());
    setGeometry(screen);
    m_popups.setHidden(true); // the calendar is looked at whole
    // A full-screen window as the desktop knows one (no frame, over panels),
    // without a taskbar button: the program lives in the tray.
    setMouseTracking(true);
    m_platform.keepOffTaskbar(static_cast<unsigned long>(winId()));
    showFullScreen();
    raise();
    activateWindow();
    m_hub.calendarWindowShown();
}

void TMainForm::MinimizeBtn2Click() {
    hide();
    m_popups.setHidden(false);
    m_hub.calendarWindowReturned();
    m_picture = QImage();
}

void TMainForm::paintCalendar(const QImage& picture) {
    m_picture = picture;
    update();
}

void TMainForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_picture.isNull()) {
        p.fillRect(rect(), Qt::gray);
        return;
    }
    p.drawImage(rect(), m_picture);
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    // Esc leaves the full-screen calendar as "最小化する" does.
    if (event->key() == Qt::Key_Escape && isVisible() && !m_terminating) {
        MinimizeBtn2Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TMainForm::mouseMoveEvent(QMouseEvent* event) {
    // The click areas of the title line say what they do.
    const QPoint at = event->position().toPoint();
    if (const auto hint = m_hub.hintAt(at.x(), at.y())) {
        QToolTip::showText(event->globalPosition().toPoint(), QString::fromStdString(*hint), this);
    } else {
        QToolTip::hideText();
    }
    // The window covers the screen at (0, 0): its points are the screen's.
    pointerMoved(at.x(), at.y(), true);
}

void TMainForm::leaveEvent(QEvent* event) {
    m_restTimer->stop();
    handle([this] { m_hub.pointerLeft(); });
    QWidget::leaveEvent(event);
}

void TMainForm::mousePressEvent(QMouseEvent* event) {
    m_clickPoint = event->position().toPoint();
    m_clickButton = event->button();
}

void TMainForm::mouseReleaseEvent(QMouseEvent* event) {
    if (m_clickButton == Qt::RightButton) {
        fillMenu(m_calendarMenu, buildCalendarMenu(menuInputs()));
        m_calendarMenu->popup(event->globalPosition().toPoint());
        return;
    }
    if (m_clickButton != Qt::LeftButton) {
        return;
    }
    // The window covers the screen at (0, 0): its points are the calendar's.
    const bool alt = (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier) != 0;
    const QPoint at = m_clickPoint;
    handle([this, at, alt] { m_hub.paintBoxClick(at.x(), at.y(), alt); });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the calendar window returns to the desktop; only "終了する" ends the program.
    event->ignore();
    if (isVisible() && !m_terminating) {
        handle([this] { MinimizeBtn2Click(); });
    }
}

// HubWindows

std::optional<PickedMonth> TMainForm::pickMonth(const PickerRequest& request) {
    const QRect area(0, 0, m_platform.screenWidth(), m_platform.screenHeight());
    const auto chosen = m_nenGetsu->ask(request.year, request.month, request.monthHidden, area, m_hub.state().today);
    if (!chosen) {
        return std::nullopt;
    }
    return PickedMonth{chosen->year(), chosen->month()};
}

bool TMainForm::showDay(DateValue date) {
    ScheduleListContext context{m_hub.schedule(), m_hub.settings(), m_hub.clock(), m_hub.openReminders(), m_feedback};
    context.clipboard = &m_hub.scheduleClipboard();
    TScheduleForm form(context, isVisible() ? this : nullptr);
    setBusyCursor(false);
    return form.run(date);
}

void TMainForm::showDayHint(const std::vector<std::string>& lines, int x, int y) {
    QStringList text;
    for (const std::string& line : lines) {
        text << QString::fromStdString(line);
    }
    const FontSetting& setting = m_hub.settings().font(FontPart::Schedule);
    QFont font(QString::fromStdString(mappedFamily(setting.face)));
    if (setting.size > 0) {
        font.setPointSize(setting.size);
    }
    font.setBold(setting.bold);
    font.setItalic(setting.italic);
    const QPoint at(x, y);
    const QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area =
        screen ? screen->availableGeometry() : QRect(0, 0, m_platform.screenWidth(), m_platform.screenHeight());
    m_hint->showLines(text, font, at, area);
}

void TMainForm::hideDayHint() {
    m_hint->hide();
}

void TMainForm::setBusyCursor(bool busy) {
    if (busy == m_busy) {
        return;
    }
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TMainForm::quitWhenIdle() {
    QTimer::singleShot(0, this, [this] { terminate(); });
}

void TMainForm::terminate(bool calendarChanged) {
    if (m_terminating) {
        return;
    }
    m_terminating = true;
    hide();
    if (m_tray) {
        m_tray->hide();
    }
    setBusyCursor(false);
    // The reminder windows keep their places for the next day: their states
    // go into the schedule file the close query saves.
    m_popups.closeAll();
    m_hub.closeQuery();
    m_hub.destroy(calendarChanged);
    syncTimers();
    // Also ends the loops of dialogs that are open now; before the event
    // loop runs, main() sees terminated() instead.
    QCoreApplication::exit(0);
}

} // namespace velmora
