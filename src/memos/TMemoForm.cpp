#include "memos/TMemoForm.h"

#include "core/Cp932.h"
#include "core/UserFeedback.h"
#include "memos/MemoFormModel.h"
#include "memos/MemoStore.h"
#include "memos/NoteTones.h"
#include "render/FontMapping.h"
#include "render/QtCanvas.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

namespace velmora {

namespace {

QColor qColor(Colour c) {
    return toQColor(c);
}

QStringList linesOf(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t.split(QLatin1Char('\n'));
}

QAction* addItem(QMenu* menu, const char* name, const char* caption) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromUtf8(name));
    return a;
}

} // namespace

TMemoForm::TMemoForm(MemoHost& host, const DesktopSource* desktop, const MemoState& state, QWidget* parent)
    : NoteWindow(desktop, state, parent), m_host(host) {
    setObjectName(QStringLiteral("Fusen"));
    setWindowTitle(QStringLiteral("NotTomei"));
    setAcceptDrops(true);
    m_label = new NoteLabel(this);
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("MainMemo"));
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setReadOnly(true);
    m_editor->setPlainText(QString::fromStdString(m_state.editorText));
    m_editor->hide();
    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { editorMenu(m_editor->mapToGlobal(p)); });
    m_editor->installEventFilter(this);
    m_editor->viewport()->installEventFilter(this);
    m_fileNameEdit = new QLineEdit(QString::fromStdString(m_state.fileName), this);
    m_fileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    m_fileNameEdit->hide();
    if (m_state.picture.empty()) {
        m_state.picture = "NONE";
    }
    setGeometry(m_state.left, m_state.top, std::max(m_state.width, 4 * kNoteFrameWidth),
                std::max(m_state.height, 4 * kNoteFrameWidth));
    buildMenu();
    layoutChildren();
}

TMemoForm::~TMemoForm() = default;

void TMemoForm::setFileName(const std::string& name) {
    m_state.fileName = name;
    m_fileNameEdit->setText(QString::fromStdString(name));
}

MemoState TMemoForm::state() const {
    MemoState s = m_state;
    const QRect g = geometry();
    const QSize size = inputMode() && m_sizeBeforeInput.isValid() ? m_sizeBeforeInput : g.size();
    s.left = g.x();
    s.top = g.y();
    s.width = size.width();
    s.height = size.height();
    s.editorText = m_editor->toPlainText().toStdString();
    return s;
}

bool TMemoForm::inputMode() const {
    return !m_editor->isReadOnly();
}

void TMemoForm::initialise(bool input) {
    MemoStore& store = m_host.memoStore();
    const std::string value = m_state.fileName.empty() ? "" : store.memoOptions().value(m_state.fileName);
    MemoLook look = value.empty() ? MemoLook{1, 0, 0, 0} : parseMemoLook(value);
    Colour frame = m_state.colour;
    if (look.frame == 2) {
        const std::string colour = store.memoOptions().value(memoColorKey(m_state.fileName));
        if (!colour.empty()) {
            frame = static_cast<Colour>(
                std::stoul(colour.find_first_not_of("0123456789") == std::string::npos ? colour : std::string("0")));
        }
    }
    setFrameColour(frame);
    setLook(look);
    setWindowTitle(look.trans > 0 ? QStringLiteral("Tomei") : QStringLiteral("NotTomei"));
    m_shownOnce = true;
    if (input) {
        startInput();
    }
}

void TMemoForm::layoutChildren() {
    m_label->setGeometry(pictureFillsWindow() ? rect() : clientRect());
    m_editor->setGeometry(clientRect());
}

void TMemoForm::facePictureGone() {
    m_state.picture = "NONE";
    m_host.feedback().showMessage("画像ファイルが存在しません。再度指定して下さい");
}

QColor TMemoForm::textColour() const {
    return qColor(m_state.font.colour);
}

// Input

void TMemoForm::startInput() {
    if (inputMode() || !m_host.memoStore().lockForEditing()) {
        return;
    }
    m_editor->setReadOnly(false);
    if (look().placement == 0) {
        raise();
    }
    m_sizeBeforeInput = size();
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xE1));
    m_editor->setPalette(palette);
    m_editor->setFont(shapeFont());
    m_editor->setPlainText(QString::fromStdString(m_state.text));
    m_label->hide();
    m_editor->show();
    m_editor->setEnabled(true);
    refreshLook();
    const NoteSize grown = inputModeSize({width(), height()});
    resize(grown.width, grown.height);
    layoutChildren();
    m_editor->moveCursor(QTextCursor::Start);
    activateWindow();
    m_editor->setFocus();
    updateMenu();
}

void TMemoForm::endInput() {
    if (!inputMode()) {
        return;
    }
    const std::string typed = m_editor->toPlainText().toStdString();
    if (!cp932::canEncode(typed)) {
        m_host.feedback().showMessage("保存できない文字が含まれています。その文字を別の文字に置き換えてください。");
        return;
    }
    const InputEnd end = velmora::endInput(typed, m_state.picture);
    if (end.autoSizeOff) {
        m_state.autoSize = false;
    }
    m_editor->setPlainText(QString::fromStdString(end.text));
    m_editor->setReadOnly(true);
    if (look().trans > 1 && m_state.text != end.text) {
        dropTextRegion();
    }
    m_state.text = end.text;
    m_state.editorText = end.text;
    m_editor->hide();
    m_label->show();
    if (end.hide) {
        // Nothing left to show: the window goes, and its file to the drawer.
        close();
        return;
    }
    if (look().placement == 0) {
        lower();
    }
    autoFit();
    refreshLook();
    m_host.saveMemo(*this);
    updateMenu();
    m_host.saveMemoData();
}

void TMemoForm::autoFit() {
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    if (!screen.isEmpty()) {
        move(fitIntoScreen(x(), screen.width()), fitIntoScreen(y(), screen.height()));
    }
    if (hasPicture() && !QFileInfo::exists(QString::fromStdString(m_state.picture))) {
        m_state.picture = "NONE";
    }
    if (m_state.autoSize && !inputMode()) {
        NoteSize content;
        if (hasPicture() && !picture().isNull()) {
            content = {picture().width(), picture().height()};
        } else {
            const QFontMetrics fm(shapeFont());
            const QStringList lines = linesOf(m_state.text);
            for (const QString& line : lines) {
                content.width = std::max(content.width, fm.horizontalAdvance(line));
            }
            content.height = static_cast<int>(lines.size()) * fm.height();
            content.width = std::max(content.width, fm.height());
        }
        const NoteSize fitted = autoFitSize(content, kNoteFrameWidth, pictureFillsWindow());
        resize(fitted.width, fitted.height);
    } else if (m_sizeBeforeInput.isValid()) {
        resize(m_sizeBeforeInput);
    }
    m_sizeBeforeInput = QSize();
    layoutChildren();
    update();
}

void TMemoForm::reloadState(const MemoState& state) {
    if (inputMode()) {
        return; // what is being typed wins; it is saved when input ends
    }
    m_state = state;
    if (m_state.picture.empty()) {
        m_state.picture = "NONE";
    }
    m_editor->setPlainText(QString::fromStdString(m_state.editorText));
    setGeometry(m_state.left, m_state.top, m_state.width, m_state.height);
    dropTextRegion();
    autoFit();
    refreshLook();
}

// Look

void TMemoForm::saveLook() {
    if (!m_state.fileName.empty()) {
        m_host.memoStore().setLook(m_state.fileName, look(), frameColour());
    }
}

void TMemoForm::lookChosen() {
    saveLook();
    m_host.saveMemoData();
}

void TMemoForm::setDrawDesk(bool on) {
    MemoLook l = look();
    l.drawDesk = on ? 1 : 0;
    setLook(l);
    saveLook();
    if (on) {
        m_host.saveMemo(*this);
        m_host.memoPasted(*this);
    }
    m_host.saveMemoData();
}

void TMemoForm::dropFile(const QString& path) {
    if (!isMemoPictureFile(path.toStdString())) {
        m_host.feedback().showMessage("間違った形式です");
        return;
    }
    if (m_editor->toPlainText().trimmed().isEmpty() && !hasPicture()) {
        m_state.autoSize = true;
    }
    m_state.picture = path.toStdString();
    m_state.editorPicture = m_state.picture;
    if (look().trans == 0 && !inputMode()) {
        autoFit();
    }
    refreshLook();
    m_host.saveMemo(*this);
}

void TMemoForm::setMemoFont(const QFont& font, Colour colour) {
    m_state.font = fontSettingOf(font, colour);
    m_editor->setFont(shapeFont());
    dropTextRegion();
    autoFit();
    refreshLook();
    m_host.saveMemo(*this);
    m_host.saveMemoData();
}

void TMemoForm::setMemoColour(Colour colour) {
    m_state.colour = colour;
    if (look().frame != 2) {
        setFrameColour(colour);
    }
    refreshLook();
    m_host.saveMemo(*this);
    m_host.saveMemoData();
}

void TMemoForm::putInDrawer() {
    if (!m_host.memoStore().lockForEditing()) {
        return;
    }
    // The text stays in the file (the label keeps it); the emptied input box
    // and picture path are what send the memo to the drawer.
    m_editor->setPlainText(QString());
    m_state.editorText.clear();
    m_state.picture.clear();
    close();
}

WallpaperMemo TMemoForm::wallpaperMemo() const {
    WallpaperMemo memo;
    const QRect client = pictureFillsWindow() ? rect() : clientRect();
    memo.clientPos = geometry().topLeft() + client.topLeft();
    memo.look = look();
    memo.frameColour = frameColour();
    memo.textColour = m_state.font.colour;
    QImage face(client.size(), QImage::Format_RGB32);
    // A transparent memo is drawn on its key colour, which the wallpaper leaves out.
    const QColor key = m_state.font.colour == 0xFFFFFF ? Qt::black : Qt::white;
    face.fill(look().trans != 0 ? key : qColor(m_state.colour));
    QPainter p(&face);
    if (hasPicture() && !picture().isNull()) {
        p.drawImage(face.rect(), picture());
    }
    p.setFont(shapeFont());
    p.setPen(textColour());
    const QFontMetrics fm(p.font());
    int y = 0;
    for (const QString& line : linesOf(m_state.text)) {
        p.drawText(QRect(0, y, face.width(), fm.height()), Qt::AlignLeft | Qt::AlignTop, line);
        y += fm.height();
    }
    p.end();
    memo.client = face;
    return memo;
}

// Menus

void TMemoForm::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu"));
    connect(addItem(m_menu, "EndInputBtn", "入力開始"), &QAction::triggered, this,
            [this] { inputMode() ? endInput() : startInput(); });
    connect(addItem(m_menu, "ColorChangeBtn", "色の変更"), &QAction::triggered, this, [this] { pickColour(); });
    connect(addItem(m_menu, "N1", "フォント指定"), &QAction::triggered, this, [this] { pickFont(); });
    connect(addItem(m_menu, "FontColorBtn", "文字の色"), &QAction::triggered, this, [this] {
        const QColor chosen = QColorDialog::getColor(textColour(), this, QStringLiteral("文字の色"));
        if (chosen.isValid()) {
            setMemoFont(shapeFont(), colourOf(chosen));
        }
    });
    connect(addItem(m_menu, "DeleteBtn", "引き出しに入れる"), &QAction::triggered, this, [this] { putInDrawer(); });
    QAction* autoSize = addItem(m_menu, "AutoSizeBtn", "自動サイズ");
    autoSize->setCheckable(true);
    connect(autoSize, &QAction::triggered, this, [this](bool on) {
        m_state.autoSize = on;
        autoFit();
        refreshLook();
        m_host.saveMemo(*this);
    });
    QAction* lock = addItem(m_menu, "lock", "位置ロック");
    lock->setCheckable(true);
    connect(lock, &QAction::triggered, this, [this](bool on) {
        m_state.locked = on;
        m_host.saveMemo(*this);
    });
    connect(addItem(m_menu, "Print1", "印刷"), &QAction::triggered, this, [this] { print(); });
    m_menu->addSeparator();

    addLookMenus(
        m_menu, [this](int v) { choosePlacement(v); }, [this](int v) { chooseFrame(v); },
        [this](int v) { chooseTransparency(v); });
    connect(addItem(m_menu, "GrapfDelete", "画像を削除"), &QAction::triggered, this, [this] {
        m_state.picture = "NONE";
        autoFit();
        refreshLook();
        m_host.saveMemo(*this);
    });
    QAction* drawDesk = addItem(m_menu, "DrawDesk", "壁紙に合成");
    drawDesk->setCheckable(true);
    connect(drawDesk, &QAction::triggered, this, [this](bool on) { setDrawDesk(on); });
}

void TMemoForm::updateMenu() {
    const bool owns = m_host.memoStore().ownership().ownsFile && !m_host.memoStore().loadFailed();
    for (QAction* a : m_menu->findChildren<QAction*>()) {
        a->setEnabled(owns);
    }
    const auto find = [this](const char* name) { return m_menu->findChild<QAction*>(QString::fromUtf8(name)); };
    find("EndInputBtn")->setText(inputMode() ? QStringLiteral("入力終了") : QStringLiteral("入力開始"));
    find("DeleteBtn")->setEnabled(true);
    find("Print1")->setEnabled(m_host.printerAvailable());
    find("AutoSizeBtn")->setChecked(m_state.autoSize);
    find("lock")->setChecked(m_state.locked);
    find("DrawDesk")->setChecked(look().drawDesk == 1);
    checkLookMenus(m_menu, look());
    find("GrapfDelete")->setEnabled(owns && hasPicture());
}

QMenu* TMemoForm::popupMenu() {
    updateMenu();
    return m_menu;
}

void TMemoForm::openMenu(const QPoint& globalPos) {
    updateMenu();
    m_menuOpen = true;
    m_menu->exec(globalPos);
    m_menuOpen = false;
}

void TMemoForm::editorMenu(const QPoint& globalPos) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("MemoPopup"));
    const bool writable = inputMode();
    const bool selected = m_editor->textCursor().hasSelection();
    QAction* cut = menu.addAction(QStringLiteral("切り取り(&T)"), m_editor, &QPlainTextEdit::cut);
    cut->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    cut->setEnabled(writable && selected);
    QAction* copy = menu.addAction(QStringLiteral("コピー(&C)"), m_editor, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    copy->setEnabled(selected);
    QAction* paste = menu.addAction(QStringLiteral("貼り付け(&P)"), m_editor, &QPlainTextEdit::paste);
    paste->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    paste->setEnabled(writable);
    menu.addSeparator();
    QAction* now = menu.addAction(QStringLiteral("日付時刻の挿入"), this, [this] { insertNow("yyyy/MM/dd HH:mm:ss"); });
    now->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    QAction* date = menu.addAction(QStringLiteral("日付の挿入"), this, [this] { insertNow("yyyy/MM/dd"); });
    date->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    QAction* time = menu.addAction(QStringLiteral("時刻の挿入"), this, [this] { insertNow("HH:mm:ss"); });
    time->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    for (QAction* a : {now, date, time}) {
        a->setEnabled(writable);
    }
    m_menuOpen = true;
    menu.exec(globalPos);
    m_menuOpen = false;
}

void TMemoForm::insertNow(const char* format) {
    if (inputMode()) {
        m_editor->insertPlainText(QDateTime::currentDateTime().toString(QString::fromLatin1(format)));
    }
}

void TMemoForm::pickColour() {
    const QColor chosen = QColorDialog::getColor(qColor(m_state.colour), this, QStringLiteral("色の変更"));
    if (chosen.isValid()) {
        setMemoColour(colourOf(chosen));
    }
}

void TMemoForm::pickFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, shapeFont(), this, QStringLiteral("フォント指定"));
    if (ok) {
        setMemoFont(chosen, m_state.font.colour);
    }
}

void TMemoForm::print() {
    const bool wasInput = inputMode();
    m_editor->show();
    const QImage image = grab().toImage();
    if (!wasInput) {
        m_editor->hide();
    }
    QApplication::clipboard()->setImage(image);
    m_host.printImage(image);
}

// Events

void TMemoForm::geometryCommitted() {
    layoutChildren();
    m_host.saveMemo(*this);
}

void TMemoForm::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_host.memoStore().ownership().ownsFile) {
        inputMode() ? endInput() : startInput();
    }
}

void TMemoForm::resizeEvent(QResizeEvent* event) {
    NoteWindow::resizeEvent(event);
    layoutChildren();
}

void TMemoForm::changeEvent(QEvent* event) {
    NoteWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_host.loadingMemos()) {
        m_host.memoActivated(*this);
    }
}

void TMemoForm::closeEvent(QCloseEvent* event) {
    if (m_closing) {
        event->accept();
        return;
    }
    m_closing = true;
    event->accept();
    // The host saves the memo (or sends it to the drawer) and frees the window.
    QTimer::singleShot(0, this, [this] { m_host.memoClosed(*this); });
}

void TMemoForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TMemoForm::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && m_host.memoStore().ownership().ownsFile) {
        dropFile(urls.front().toLocalFile());
        event->acceptProposedAction();
    }
}

bool TMemoForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if (ctrl && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            endInput();
            return true;
        }
        if (key->key() == Qt::Key_Escape && inputMode()) {
            m_editor->setPlainText(QString::fromStdString(m_state.text));
            endInput();
            return true;
        }
        if (ctrl && inputMode()) {
            const char* format = key->key() == Qt::Key_N   ? "yyyy/MM/dd HH:mm:ss"
                                 : key->key() == Qt::Key_D ? "yyyy/MM/dd"
                                 : key->key() == Qt::Key_T ? "HH:mm:ss"
                                                           : nullptr;
            if (format) {
                insertNow(format);
                return true;
            }
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == m_editor->viewport() && !inputMode()) {
        startInput();
        return true;
    }
    return NoteWindow::eventFilter(watched, event);
}

} // namespace velmora
