#include "widgets/NoteWindow.h"

#include "memos/MemoFormModel.h"
#include "memos/NoteTones.h"
#include "render/FontMapping.h"
#include "render/NoteFrame.h"
#include "render/NoteRegions.h"
#include "render/QtCanvas.h"

#include <QActionGroup>
#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace velmora {

namespace {

constexpr int kHoverTick = 100;

Qt::WindowFlags flagsFor(int placement) {
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
    if (placement == 0) {
        flags |= Qt::WindowStaysOnBottomHint;
    } else if (placement == 2) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

} // namespace

QImage NotePicture::get(const std::string& path) const {
    const QString p = QString::fromStdString(path);
    if (p != m_path) {
        m_path = p;
        m_image = QImage(p);
    }
    return m_image;
}

void addLookMenus(QMenu* menu, const std::function<void(int)>& placement, const std::function<void(int)>& frame,
                  const std::function<void(int)>& transparency) {
    const auto submenu = [menu](const char* name, const char* caption,
                                std::initializer_list<std::pair<const char*, const char*>> items,
                                const std::function<void(int)>& choose) {
        QMenu* sub = menu->addMenu(QString::fromUtf8(caption));
        sub->menuAction()->setObjectName(QString::fromUtf8(name));
        auto* group = new QActionGroup(sub);
        int value = 0;
        for (const auto& [itemName, itemCaption] : items) {
            QAction* a = sub->addAction(QString::fromUtf8(itemCaption));
            a->setObjectName(QString::fromUtf8(itemName));
            a->setCheckable(true);
            group->addAction(a);
            QObject::connect(a, &QAction::triggered, menu, [choose, value] { choose(value); });
            ++value;
        }
    };
    submenu("PlacementMenu", "貼付る高さ", {{"Bottom", "いつも一番下"}, {"Top", "ふつう"}, {"TopMost", "いつも一番上"}},
            placement);
    submenu("FrameMenu", "枠の描き方",
            {{"OrgFrame", "内側に合わせる"}, {"NoFrame", "枠なし"}, {"DefFrame", "色を指定する"}}, frame);
    submenu("TransMenu", "透明にする",
            {{"TransNo", "透明にしない"},
             {"TransStd", "割と透明"},
             {"TransComp", "透明にする"},
             {"TransMore", "透明・透過にする"}},
            transparency);
    menuAction(menu, "TransStd")->setVisible(false);
}

QAction* menuAction(QMenu* menu, const char* name) {
    return menu->findChild<QAction*>(QString::fromUtf8(name));
}

void checkLookMenus(QMenu* menu, const MemoLook& look) {
    const char* placements[] = {"Bottom", "Top", "TopMost"};
    const char* frames[] = {"OrgFrame", "NoFrame", "DefFrame"};
    const char* transparencies[] = {"TransNo", "TransStd", "TransComp", "TransMore"};
    menuAction(menu, placements[std::clamp(look.placement, 0, 2)])->setChecked(true);
    menuAction(menu, frames[std::clamp(look.frame, 0, 2)])->setChecked(true);
    menuAction(menu, transparencies[std::clamp(look.trans, 0, 3)])->setChecked(true);
}

NoteLabel::NoteLabel(NoteWindow* note) : QWidget(note), m_note(note) {
    setObjectName(QStringLiteral("DLabel"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void NoteLabel::paintEvent(QPaintEvent*) {
    if (m_note->faceIsShaped() && !m_note->hovering()) {
        return; // the window is cut to the letters, filled with their colour
    }
    QPainter p(this);
    if (!m_note->faceShowsDesktop()) {
        p.fillRect(rect(), toQColor(m_note->m_state.colour));
    }
    if (m_note->hasPicture()) {
        const QImage picture = m_note->picture();
        if (picture.isNull()) {
            // Said after the paint; the picture is forgotten at once.
            QTimer::singleShot(0, m_note, [note = m_note] { note->facePictureGone(); });
        } else {
            p.drawImage(rect(), picture);
        }
    }
    p.setFont(m_note->shapeFont());
    p.setPen(m_note->textColour());
    const QFontMetrics fm(p.font());
    QString text = m_note->shapeText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    int y = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        p.drawText(QRect(0, y, std::max(width(), fm.horizontalAdvance(line)), fm.height()),
                   Qt::AlignLeft | Qt::AlignTop, line);
        y += fm.height();
    }
}

NoteWindow::NoteWindow(const DesktopSource* desktop, const MemoState& state, QWidget* parent)
    : QWidget(parent, flagsFor(1)), m_state(state), m_desktop(desktop), m_hoverTimer(new QTimer(this)) {
    m_look.placement = 1;
    m_appliedPlacement = 1;
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    m_hoverTimer->setInterval(kHoverTick);
    connect(m_hoverTimer, &QTimer::timeout, this, [this] { hoverTick(); });
}

NoteWindow::~NoteWindow() = default;

QString NoteWindow::shapeText() const {
    return QString::fromStdString(m_state.text);
}

QFont NoteWindow::shapeFont() const {
    return qtFontOf(m_state.font);
}

bool NoteWindow::hasPicture() const {
    // A memo keeps "NONE" for no picture, a reminder an empty path.
    return !m_state.picture.empty() && m_state.picture != "NONE";
}

QImage NoteWindow::picture() const {
    return m_picture.get(m_state.picture);
}

bool NoteWindow::pictureFillsWindow() const {
    return m_look.frame == 1 && hasPicture();
}

void NoteWindow::setLook(const MemoLook& look) {
    const bool shapeKindChanged =
        look.trans != m_look.trans || look.placement != m_look.placement || look.frame != m_look.frame;
    m_look = look;
    if (shapeKindChanged) {
        m_frameRegion.reset();
        m_shapeFailed = false;
    }
    refreshLook();
}

void NoteWindow::setFrameColour(Colour colour) {
    m_frameColour = colour;
    update();
}

QRect NoteWindow::clientRect() const {
    return rect().adjusted(kNoteFrameWidth, kNoteFrameWidth, -kNoteFrameWidth, -kNoteFrameWidth);
}

void NoteWindow::dropTextRegion() {
    m_textRegion.reset();
}

void NoteWindow::dropFrameRegion() {
    m_frameRegion.reset();
}

void NoteWindow::refreshLook() {
    applyPlacement();
    if (!faceIsShaped()) {
        m_hoverTimer->stop();
        m_hovering = false;
    }
    applyShape();
    update();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->update();
    }
}

void NoteWindow::applyPlacement() {
    if (m_appliedPlacement == m_look.placement) {
        return;
    }
    // Changing the stacking hints re-creates the window on X11: it is hidden
    // and shown again where it was.
    const bool wasVisible = isVisible();
    const QRect where = geometry();
    setWindowFlags(flagsFor(m_look.placement));
    m_appliedPlacement = m_look.placement;
    if (wasVisible) {
        setGeometry(where);
        show();
    }
    reassertPlacement();
}

void NoteWindow::choosePlacement(int placement) {
    MemoLook l = m_look;
    velmora::choosePlacement(l, placement);
    setLook(l);
    lookChosen();
}

void NoteWindow::chooseFrame(int frame) {
    Colour colour = m_state.colour;
    if (frame == 2) {
        const QColor chosen = QColorDialog::getColor(toQColor(m_frameColour), this, QStringLiteral("枠の色"));
        if (!chosen.isValid()) {
            return;
        }
        colour = colourOf(chosen);
    }
    MemoLook l = m_look;
    l.frame = frame;
    setFrameColour(colour);
    setLook(l);
    dropFrameRegion();
    fitToContent();
    refreshLook();
    lookChosen();
}

void NoteWindow::chooseTransparency(int trans) {
    MemoLook l = m_look;
    velmora::chooseTransparency(l, trans);
    if (l.trans < 2) {
        dropTextRegion();
        dropFrameRegion();
    }
    setWindowTitle(l.trans > 0 ? QStringLiteral("Tomei") : QStringLiteral("NotTomei"));
    setLook(l);
    lookChosen();
}

void NoteWindow::reassertPlacement() {
    if (m_look.placement == 0) {
        lower();
    } else {
        raise();
    }
}

bool NoteWindow::faceShowsDesktop() const {
    return !editing() && paintedTransparency(m_look) > 0 &&
           (paintedTransparency(m_look) < 2 || m_hovering || m_shapeFailed);
}

bool NoteWindow::faceIsShaped() const {
    return !editing() && paintedTransparency(m_look) > 1 && !m_shapeFailed;
}

void NoteWindow::applyShape() {
    if (!faceIsShaped() || m_hovering || size().isEmpty()) {
        if (!m_applied.isEmpty()) {
            clearMask();
            m_applied = QRegion();
        }
        return;
    }
    const QSize client = clientRect().size();
    if (!m_textRegion) {
        m_textRegion = buildTextRegion(size(), client, shapeFont(), shapeText());
    }
    QRegion shape = *m_textRegion;
    if (m_look.frame != 1) {
        if (!m_frameRegion || m_frameRegion->boundingRect().size() != size()) {
            m_frameRegion = buildFrameRegion(size(), client, m_look);
        }
        shape += *m_frameRegion;
    }
    if (shape.isEmpty()) {
        // Nothing would be left to see or to click: the note stays whole.
        m_shapeFailed = true;
        if (!m_shapeFailureShown) {
            m_shapeFailureShown = true;
            QMessageBox::warning(this, QStringLiteral("Velmora"),
                                 QStringLiteral("一部のウィンドを透明にできませんでした"));
        }
        clearMask();
        m_applied = QRegion();
        return;
    }
    if (shape != m_applied) {
        setMask(shape);
        m_applied = shape;
    }
}

QImage NoteWindow::desktopUnderClient() const {
    if (!m_desktop) {
        return {};
    }
    const QRect client = clientRect();
    return m_desktop->desktopPiece(QRect(mapToGlobal(client.topLeft()), client.size()));
}

void NoteWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool transparent = !editing() && m_look.trans > 0;
    QImage behind;
    if (transparent && m_desktop) {
        behind = m_desktop->desktopPiece(QRect(mapToGlobal(QPoint(0, 0)), size()));
        if (!behind.isNull()) {
            painter.drawImage(0, 0, behind);
        }
    }
    if (faceIsShaped() && !m_hovering) {
        // Under the shape only the letters and the frame remain.
        painter.fillRect(clientRect(), textColour());
    }
    if (pictureFillsWindow()) {
        return;
    }
    MemoLook frameLook = m_look;
    frameLook.trans = transparent ? paintedTransparency(m_look) : 0;
    if (m_hovering) {
        frameLook.placement = 1;
    }
    paintNoteFrame(painter, size(), kNoteFrameWidth, kNoteFrameWidth, frameLook, m_frameColour,
                   behind.isNull() ? nullptr : &behind);
}

Qt::Edges NoteWindow::edgesAt(const QPoint& pos) const {
    // The frame is thin: a little more than it is counted as an edge.
    const int grip = kNoteFrameWidth + 2;
    Qt::Edges edges;
    if (pos.x() < grip) {
        edges |= Qt::LeftEdge;
    } else if (pos.x() >= width() - grip) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() < grip) {
        edges |= Qt::TopEdge;
    } else if (pos.y() >= height() - grip) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

void NoteWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const Qt::Edges edges = edgesAt(pos);
    if (event->button() == Qt::RightButton) {
        if (!m_dragging) {
            reassertPlacement();
            openMenu(event->globalPosition().toPoint());
        }
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    reassertPlacement();
    m_dragEdges = {};
    m_dragging = false;
    if (edges && !(autoSized() && !editing())) {
        m_dragEdges = edges; // the edges size the note
        m_dragging = true;
    } else if (!locked() || (edges && autoSized() && !editing())) {
        m_dragging = !locked(); // anywhere moves an unlocked note
    }
    m_dragged = false;
    m_pressGlobal = event->globalPosition().toPoint();
    m_pressGeometry = geometry();
}

void NoteWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        if (edges && !(autoSized() && !editing())) {
            const bool diagonal = (edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge));
            const bool falling = edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
            setCursor(diagonal ? (falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor)
                               : (edges & (Qt::LeftEdge | Qt::RightEdge) ? Qt::SizeHorCursor : Qt::SizeVerCursor));
        } else {
            unsetCursor();
        }
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    if (!m_dragged && delta.manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    m_dragged = true;
    if (!m_dragEdges) {
        move(m_pressGeometry.topLeft() + delta);
        return;
    }
    QRect r = m_pressGeometry;
    const int minimum = 4 * kNoteFrameWidth;
    if (m_dragEdges & Qt::LeftEdge) {
        r.setLeft(std::min(r.left() + delta.x(), r.right() - minimum));
    }
    if (m_dragEdges & Qt::RightEdge) {
        r.setRight(std::max(r.right() + delta.x(), r.left() + minimum));
    }
    if (m_dragEdges & Qt::TopEdge) {
        r.setTop(std::min(r.top() + delta.y(), r.bottom() - minimum));
    }
    if (m_dragEdges & Qt::BottomEdge) {
        r.setBottom(std::max(r.bottom() + delta.y(), r.top() + minimum));
    }
    setGeometry(r);
}

void NoteWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const bool dragged = m_dragged;
    m_dragging = false;
    m_dragged = false;
    if (dragged) {
        applyShape();
        update();
        geometryCommitted();
    }
}

void NoteWindow::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    // A TransComp note shows whole while the pointer is over it; a TransMore one never does.
    if (paintedTransparency(m_look) == 2 && !m_shapeFailed && !editing() && !m_dragging && !m_hoverTimer->isActive()) {
        m_hovering = true;
        applyShape();
        update();
        m_hoverTimer->start();
    }
}

void NoteWindow::hoverTick() {
    if (paintedTransparency(m_look) != 2) {
        m_hoverTimer->stop();
        m_hovering = false;
        applyShape();
        update();
        return;
    }
    if (!frameGeometry().contains(QCursor::pos()) && !menuOpen() && !editing()) {
        m_hoverTimer->stop();
        m_hovering = false;
        applyShape();
        update();
    }
}

void NoteWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dropTextRegion();
    dropFrameRegion();
    if (!m_dragging) {
        applyShape();
    }
}

void NoteWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    applyShape();
    reassertPlacement();
}

} // namespace velmora
