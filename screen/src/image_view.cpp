#include "screen/image_view.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "screen/form_window.h"

uint32_t ShiftState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    uint32_t s = 0;
    if (mods & Qt::ShiftModifier) s |= 1;
    if (mods & Qt::AltModifier) s |= 2;
    if (mods & Qt::ControlModifier) s |= 4;
    if (buttons & Qt::LeftButton) s |= 8;
    if (buttons & Qt::RightButton) s |= 16;
    if (buttons & Qt::MiddleButton) s |= 32;
    return s;
}

TImageView::TImageView(TControl& control, QWidget* parent) : QWidget(parent), control_(&control) {
    setMouseTracking(true);  // moves without a button show the pointer's place
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(64, 48);  // a crowded window keeps some picture
}

QSize TImageView::sizeHint() const {
    const TForm* f = control_ ? &control_->Form() : nullptr;
    // A map shown on screen is never smaller than 800 x 600 at first.
    if (f && ShowsPixels() && f->Width > 0 && f->Height > 0) return QSize(f->Width, f->Height).expandedTo({800, 600});
    return {240, 120};
}

void TImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!control_ || !control_->Pixels) return;
    TControl::TPixels px = control_->Pixels();
    if (!px.Data || px.Width <= 0 || px.Height <= 0) return;
    QImage image(px.Data, px.Width, px.Height, px.Stride, QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(0, 0, image);
}

void TImageView::Mouse(TControl::TMouseAction action, QMouseEvent* e) {
    if (!control_) return;
    int button = e->button() == Qt::RightButton ? 1 : e->button() == Qt::MiddleButton ? 2 : 0;
    if (action != TControl::TMouseAction::Move && e->button() != Qt::LeftButton && button == 0) return;
    QPoint p = e->position().toPoint();
    TControl* c = control_;
    RunGuarded([&] { c->Mouse(action, button, ShiftState(e->modifiers(), e->buttons()), p.x(), p.y()); });
    update();
}

void TImageView::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    Mouse(TControl::TMouseAction::Down, e);
}

void TImageView::mouseMoveEvent(QMouseEvent* e) { Mouse(TControl::TMouseAction::Move, e); }

void TImageView::mouseReleaseEvent(QMouseEvent* e) { Mouse(TControl::TMouseAction::Up, e); }

void TImageView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (TControl* c = control_) RunGuarded([&] { c->ResizeImage(width(), height()); });
}

void TImageView::contextMenuEvent(QContextMenuEvent* e) { e->accept(); }
