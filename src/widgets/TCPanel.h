#pragma once

#include "widgets/TClabel.h"

#include <functional>

namespace velmora {

// A sunken panel showing a colour (and, when given, a caption that contrasts
// with it) that answers clicks: the colour panels and swatches of the dialogs.
// It takes the focus only when asked to (setFocusPolicy); then Space clicks it.
class TCPanel : public TClabel {
public:
    explicit TCPanel(const QString& text = {}, QWidget* parent = nullptr);

    // Called with the button after a click (press and release over the panel);
    // Space counts as a left click.
    std::function<void(Qt::MouseButton)> onClicked;

    // Opens the colour dialog on the panel's colour; on OK the panel takes the
    // chosen colour and true is returned, on cancel nothing changes.
    bool chooseColor(const QString& title = {});

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::MouseButton m_pressed = Qt::NoButton;
};

} // namespace velmora
