#include "flow_layout.h"

#include <QWidget>
#include <algorithm>

TFlowLayout::TFlowLayout(QWidget* parent) : QLayout(parent) { setContentsMargins(0, 0, 0, 0); }

TFlowLayout::~TFlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void TFlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* TFlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* TFlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize TFlowLayout::sizeHint() const {
    // All in one row.
    int width = 0, height = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        QSize s = item->sizeHint();
        width += s.width() + (width ? spacing() : 0);
        height = std::max(height, s.height());
    }
    return {width, height};
}

QSize TFlowLayout::minimumSize() const {
    // The widest item: everything else can wrap.
    QSize least;
    for (QLayoutItem* item : items_)
        if (!item->isEmpty()) least = least.expandedTo(item->sizeHint());
    return least;
}

void TFlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect& rect, bool place) const {
    int x = rect.x(), y = rect.y(), row = 0;
    const int gap = std::max(0, spacing());
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        QSize s = item->sizeHint();
        if (x > rect.x() && x + s.width() > rect.right() + 1) {
            x = rect.x();
            y += row + gap;
            row = 0;
        }
        if (place) item->setGeometry(QRect(QPoint(x, y), s));
        x += s.width() + gap;
        row = std::max(row, s.height());
    }
    return y + row - rect.y();
}
