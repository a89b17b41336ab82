#pragma once

#include "memos/MemoFiles.h"
#include "memos/MemoState.h"
#include "settings/ColorText.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QTimer;

namespace velmora {

// What lies behind note windows: the picture of the desktop as installed.
// Windows of other programs are never copied; a transparent note shows the
// desktop itself.
class DesktopSource {
public:
    virtual ~DesktopSource() = default;
    // The part of the desktop picture under a rectangle of the screen; a
    // null picture when none is known.
    virtual QImage desktopPiece(const QRect& screenRect) const = 0;
};

class NoteWindow;

// The picture of a note, read again only when its path changes.
class NotePicture {
public:
    // Null when the path names no readable picture.
    QImage get(const std::string& path) const;

private:
    mutable QString m_path;
    mutable QImage m_image;
};

// The look submenus of a note's menu: "貼付る高さ" (Bottom, Top, TopMost),
// "枠の描き方" (OrgFrame, NoFrame, DefFrame) and "透明にする" (TransNo,
// TransStd (hidden), TransComp, TransMore), each item calling its chooser
// with its position.
void addLookMenus(QMenu* menu, const std::function<void(int)>& placement, const std::function<void(int)>& frame,
                  const std::function<void(int)>& transparency);
// Checks the items of the look in those submenus.
void checkLookMenus(QMenu* menu, const MemoLook& look);
// An action of a menu (or its submenus) by object name.
QAction* menuAction(QMenu* menu, const char* name);

// DLabel: the face of a note window, its colour, picture and text line by
// line from its top-left corner, as the shape is cut. Clicks go to the window.
class NoteLabel : public QWidget {
public:
    explicit NoteLabel(NoteWindow* note);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    NoteWindow* m_note;
};

// A note window (memos, reminder windows): borderless but for a thin frame
// of its own, stacked at the bottom, normally or on top, optionally
// pseudo-transparent (the desktop shows through its face) or shaped so that
// only its letters and frame exist on the screen. Dragging moves it unless
// it is locked; its edges size it. Subclasses give the face and the menu.
class NoteWindow : public QWidget {
public:
    // `state`: what the note shows and where (its file's content).
    NoteWindow(const DesktopSource* desktop, const MemoState& state, QWidget* parent = nullptr);
    ~NoteWindow() override;

    const MemoLook& look() const { return m_look; }
    // Sets the look and applies it at once (stacking, shape, face).
    void setLook(const MemoLook& look);
    Colour frameColour() const { return m_frameColour; }
    void setFrameColour(Colour colour);

    // The client area: the window without its frame.
    QRect clientRect() const;
    // The look chosen in the menus ("貼付る高さ", "枠の描き方", "透明にする"),
    // with the rules that tie them; a frame of its own colour asks for the
    // colour first (cancel changes nothing). The window keeps the choice
    // where it belongs (lookChosen).
    void choosePlacement(int placement);
    void chooseFrame(int frame);
    void chooseTransparency(int trans);
    // The placement again (clicks do this): bottom, raised, or raised top-most.
    void reassertPlacement();
    // Cached shapes are rebuilt at the next paint (text, font or size changed).
    void dropTextRegion();
    void dropFrameRegion();
    // True while the whole window shows because the pointer is over a TransComp note.
    bool hovering() const { return m_hoverTimer && m_hovering; }
    // The region the window is cut to now (empty: the whole window).
    QRegion currentShape() const { return m_applied; }
    // Whether the face shows the desktop (transparent and whole), or is
    // filled with the text colour under a shape (transparent and shaped).
    bool faceShowsDesktop() const;
    bool faceIsShaped() const;

protected:
    friend class NoteLabel;
    // What the shape is made of: the text drawn in the face, in its font.
    QString shapeText() const;
    QFont shapeFont() const;
    // The face's colours: the text's colour and the face colour behind it.
    virtual QColor textColour() const = 0;
    // While editing the window is whole and plain.
    virtual bool editing() const { return false; }
    // Dragging anywhere moves the note unless it is locked.
    virtual bool locked() const { return false; }
    // An auto-sized note cannot be sized by its edges.
    virtual bool autoSized() const { return false; }
    // A picture that fills the window leaves no frame to paint.
    bool pictureFillsWindow() const;
    // The note's picture: whether it names one, and the picture (null when
    // its file cannot be read).
    bool hasPicture() const;
    QImage picture() const;
    // The picture's file could not be read when the face was painted.
    virtual void facePictureGone() {}
    // The pop-up menu at a screen point (the right button on the frame).
    virtual void openMenu(const QPoint& globalPos) = 0;
    virtual bool menuOpen() const { return false; }
    // A look was chosen in the menus: it is kept (memo data, POPUPOPT).
    virtual void lookChosen() {}
    // The size follows the content again (a frame came or went).
    virtual void fitToContent() {}
    // A move or size by the user has ended.
    virtual void geometryCommitted() {}

    // The desktop under the client area (null when unknown), for the face
    // of a transparent note.
    QImage desktopUnderClient() const;
    // Applies stacking, shape and repaint after a look or content change.
    void refreshLook();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyPlacement();
    void applyShape();
    void hoverTick();
    Qt::Edges edgesAt(const QPoint& pos) const;

protected:
    MemoState m_state;

private:
    const DesktopSource* m_desktop;
    NotePicture m_picture;
    MemoLook m_look;
    Colour m_frameColour = 0;
    std::optional<QRegion> m_textRegion;
    std::optional<QRegion> m_frameRegion;
    QRegion m_applied;
    bool m_shapeFailed = false;
    bool m_shapeFailureShown = false;
    QTimer* m_hoverTimer = nullptr;
    bool m_hovering = false;
    // A drag in progress: a move (no edges) or a size by the edges.
    bool m_dragging = false;
    bool m_dragged = false;
    Qt::Edges m_dragEdges;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
    int m_appliedPlacement = -1;
};

} // namespace velmora
