#include "reminders/TPopupForm.h"

#include "core/UserFeedback.h"
#include "memos/MemoFormModel.h"
#include "memos/NoteTones.h"
#include "reminders/PopupFormModel.h"
#include "render/FontMapping.h"
#include "render/QtCanvas.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"
#include "widgets/TClabel.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace velmora {

namespace {

class SupplementBox : public QWidget {
public:
    SupplementBox() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
        setObjectName(QStringLiteral("SupplementBox"));
    }

protected:
    void mousePressEvent(QMouseEvent*) override { close(); }
};

} // namespace

TPopupForm::TPopupForm(PopupHost& host, const DesktopSource* desktop, const MemoState& state, QWidget* parent)
    : NoteWindow(desktop, state, parent), m_host(host) {
    setObjectName(QStringLiteral("PopupForm"));
    setWindowTitle(QStringLiteral("NotTomei"));
    setAcceptDrops(true);
    if (m_state.picture == "NONE") {
        m_state.picture.clear(); // a reminder without picture has an empty path
    }
    m_label = new NoteLabel(this);
    setGeometry(m_state.left, m_state.top, std::max(m_state.width, 4 * kNoteFrameWidth),
                std::max(m_state.height, 4 * kNoteFrameWidth));
    buildMenu();
    layoutLabel();
}

TPopupForm::~TPopupForm() {
    delete m_supplement;
}

void TPopupForm::setText(const std::string& text) {
    m_state.text = text;
    dropTextRegion();
    autoFit();
    refreshLook();
}

MemoState TPopupForm::state() const {
    MemoState s = m_state;
    s.left = x();
    s.top = y();
    s.width = width();
    s.height = height();
    return s;
}

void TPopupForm::facePictureGone() {
    m_state.picture.clear();
    m_host.feedback().showMessage("画像ファイルが存在しません。再度指定して下さい");
}

QColor TPopupForm::textColour() const {
    return TClabel::textColorFor(toQColor(m_state.colour));
}

void TPopupForm::initialise() {
    ScheduleStore& store = m_host.scheduleStore();
    const NameValueList& options = store.section(ScheduleSection::PopupOpt);
    const MemoLook look = reminderLook(options.find(key()), m_host.settings().mostTopFirst);
    setWindowTitle(look.trans > 0 ? QStringLiteral("Tomei") : QStringLiteral("NotTomei"));
    autoFit();
    Colour frame = m_state.colour;
    if (look.frame == 2) {
        if (const auto colour = reminderColour(options.value(key() + "-Color"))) {
            frame = *colour;
        }
    }
    setFrameColour(frame);
    setLook(look);
    updateMenu();
}

void TPopupForm::autoFit() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(fitIntoScreen(x(), area.width()), fitIntoScreen(y(), area.height()));
    }
    ScheduleStore& store = m_host.scheduleStore();
    if (const auto colour = reminderColour(store.section(ScheduleSection::ColorOpt).value(key()))) {
        m_state.colour = *colour;
    }
    const std::string fontName = store.section(ScheduleSection::FontName).value(key());
    if (!m_faceChosen) {
        m_state.font.face = fontName.empty() ? m_host.settings().font(FontPart::Schedule).face : fontName;
    }
    if (hasPicture() && !QFileInfo::exists(QString::fromStdString(m_state.picture))) {
        m_state.picture.clear();
    }
    NoteSize content;
    if (hasPicture() && !picture().isNull()) {
        content = {picture().width(), picture().height()};
    } else {
        const QFontMetrics fm(shapeFont());
        content = {std::max(fm.horizontalAdvance(shapeText()), fm.height()), fm.height()};
    }
    const NoteSize fitted = autoFitSize(content, kNoteFrameWidth, pictureFillsWindow());
    resize(fitted.width, fitted.height);
    layoutLabel();
    update();
}

void TPopupForm::layoutLabel() {
    m_label->setGeometry(pictureFillsWindow() ? rect() : clientRect());
}

void TPopupForm::resizeEvent(QResizeEvent* event) {
    NoteWindow::resizeEvent(event);
    layoutLabel();
}

// Commands

void TPopupForm::closeReminder(bool reshow) {
    m_host.reminderClosed(*this, reshow);
}

void TPopupForm::showSupplement() {
    const std::string text = m_host.supplementText(key());
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        m_host.feedback().showMessage("この予定に補足説明はありません");
        return;
    }
    QApplication::clipboard()->setText(QString::fromStdString(text));
    delete m_supplement;
    // A box without caption or buttons beside the reminder; it never takes
    // the focus, and a click closes it.
    auto* box = new SupplementBox;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    auto* label = new QLabel(QString::fromStdString(text), box);
    label->setObjectName(QStringLiteral("MESSAGE"));
    label->setWordWrap(false);
    label->setFont(shapeFont());
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(label);
    box->setStyleSheet(QStringLiteral("QWidget { background: #ffffe1; color: black; border: 1px solid #808080; }"
                                      "QLabel { border: none; }"));
    box->adjustSize();
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    QPoint at(x(), y() + height() + 3);
    if (at.y() + box->height() > screen.bottom()) {
        at.setY(y() - box->height() - 3);
    }
    if (at.x() + box->width() > screen.right()) {
        at.setX(screen.width() - box->width());
    }
    box->move(at);
    box->show();
    m_supplement = box;
}

void TPopupForm::writeLook() {
    NameValueList& options = m_host.scheduleStore().section(ScheduleSection::PopupOpt);
    // Only an entry whose window has a record keeps its look there.
    if (!options.find(key())) {
        return;
    }
    options.set(key(), formatReminderLook(look()));
    if (look().frame == 2) {
        options.set(key() + "-Color", std::to_string(frameColour()));
    } else {
        while (options.remove(key() + "-Color")) {
        }
    }
}

void TPopupForm::lookChosen() {
    writeLook();
}

void TPopupForm::setReminderColour(Colour colour) {
    NameValueList& colours = m_host.scheduleStore().section(ScheduleSection::ColorOpt);
    colours.set(key(), colorOptFor(colour, colours.value(key())));
    m_state.colour = colour;
    if (look().frame != 2) {
        setFrameColour(colour);
    }
    refreshLook();
}

void TPopupForm::setReminderFont(const QFont& font) {
    m_state.font = fontSettingOf(font, m_state.font.colour);
    m_faceChosen = true;
    dropTextRegion();
    autoFit();
    refreshLook();
}

void TPopupForm::dropFile(const QString& path) {
    if (!isMemoPictureFile(path.toStdString())) {
        m_host.feedback().showMessage("間違った形式です");
        return;
    }
    m_state.picture = path.toStdString();
    if (look().trans == 0) {
        autoFit();
    }
    refreshLook();
}

// Menu

void TPopupForm::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char* name, const char* caption) {
        QAction* a = m_menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromUtf8(name));
        return a;
    };
    connect(item("ColorChg", "色の変更"), &QAction::triggered, this, [this] {
        const QColor chosen = QColorDialog::getColor(toQColor(m_state.colour), this, QStringLiteral("色の変更"));
        if (chosen.isValid()) {
            setReminderColour(colourOf(chosen));
        }
    });
    connect(item("FontChg", "フォント指定"), &QAction::triggered, this, [this] {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, shapeFont(), this, QStringLiteral("フォント指定"));
        if (ok) {
            setReminderFont(chosen);
        }
    });
    connect(item("Close2", "閉じる（再表示）"), &QAction::triggered, this, [this] { closeReminder(true); });
    connect(item("Close1", "閉じる"), &QAction::triggered, this, [this] { closeReminder(false); });
    QAction* lock = item("Lock", "位置ロック");
    lock->setCheckable(true);
    connect(lock, &QAction::triggered, this, [this](bool on) { m_state.locked = on; });
    connect(item("Print1", "印刷"), &QAction::triggered, this, [this] { m_host.printImage(grab().toImage()); });
    connect(item("Hosoku", "補足説明を見る"), &QAction::triggered, this, [this] { showSupplement(); });
    m_menu->addSeparator();
    connect(item("SchEdit", "予定の編集"), &QAction::triggered, this, [this] { m_host.editEntry(*this); });
    addLookMenus(
        m_menu, [this](int v) { choosePlacement(v); }, [this](int v) { chooseFrame(v); },
        [this](int v) { chooseTransparency(v); });
    connect(item("GrapfDelete", "画像を削除"), &QAction::triggered, this, [this] {
        m_state.picture.clear();
        autoFit();
        refreshLook();
    });
}

void TPopupForm::updateMenu() {
    ScheduleStore& store = m_host.scheduleStore();
    const bool owns = store.ownership().ownsFile;
    for (QAction* a : m_menu->findChildren<QAction*>()) {
        a->setEnabled(owns);
    }
    menuAction(m_menu, "Lock")->setEnabled(true);
    menuAction(m_menu, "Lock")->setChecked(m_state.locked);
    menuAction(m_menu, "Print1")->setEnabled(m_host.printerAvailable());
    if (oneDayReminder(key(), store.section(ScheduleSection::Popup).value(key()))) {
        menuAction(m_menu, "Close2")->setEnabled(false);
    }
    menuAction(m_menu, "GrapfDelete")->setEnabled(owns && hasPicture());
    checkLookMenus(m_menu, look());
}

QMenu* TPopupForm::popupMenu() {
    updateMenu();
    return m_menu;
}

void TPopupForm::openMenu(const QPoint& globalPos) {
    updateMenu();
    m_menuOpen = true;
    m_menu->exec(globalPos);
    m_menuOpen = false;
}

// Events

void TPopupForm::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        showSupplement();
    }
}

void TPopupForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TPopupForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && m_host.scheduleStore().ownership().ownsFile) {
        dropFile(urls.front().toLocalFile());
        event->acceptProposedAction();
    }
}

} // namespace velmora
