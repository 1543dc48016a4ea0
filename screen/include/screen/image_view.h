// The widget of an image control with a pixel source (a map window's raster): shows the
// pixels and hands mouse presses,
// moves and releases (with pixel coordinates and the shift state) and its size on to the
// control. Keys go to the form through its window.
#pragma once
#include <QWidget>

#include "platform/controls.h"

// Qt's modifiers and held buttons as the forms' shift state (Shift, Alt, Ctrl, then the
// left, right and middle buttons).
uint32_t ShiftState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = {});

class TImageView : public QWidget {
public:
    explicit TImageView(TControl& control, QWidget* parent = nullptr);
    // The control is going: nothing more is read from it or handed to it.
    void Detach() { control_ = nullptr; }
    bool ShowsPixels() const { return control_ && control_->Pixels; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    // The right button goes to the form as mouse input; its tools open the pop-up menu.
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void Mouse(TControl::TMouseAction action, QMouseEvent* e);
    TControl* control_;
};
