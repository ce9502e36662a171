#include "ColorGrid.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "TextCodes.h"

namespace vellora {

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void TColorGrid::setSelectedIndex(int index) {
    if (index < 0 || index >= kColorCount || index == selected_) return;
    selected_ = index;
    update();
}

QRect TColorGrid::cellRect(int index) const {
    const int col = index % kColumns, row = index / kColumns;
    const int left = col * width() / kColumns, right = (col + 1) * width() / kColumns;
    const int top = row * height() / kRows, bottom = (row + 1) * height() / kRows;
    return QRect(left, top, right - left, bottom - top);
}

int TColorGrid::indexAt(const QPoint& pos) const {
    if (!rect().contains(pos)) return -1;
    const int col = std::min(kColumns - 1, pos.x() * kColumns / std::max(1, width()));
    const int row = std::min(kRows - 1, pos.y() * kRows / std::max(1, height()));
    return row * kColumns + col;
}

void TColorGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < kColorCount; ++i) {
        const QRect cell = cellRect(i).adjusted(1, 1, -1, -1);
        p.fillRect(cell, ColorOfCode(i));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    // The selected cell is framed twice, dark inside light, so that the frame
    // shows on every colour of the palette.
    const QRect sel = cellRect(selected_).adjusted(1, 1, -2, -2);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(sel);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(sel.adjusted(1, 1, -1, -1));
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* event) {
    const int index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || index < 0) return;
    setSelectedIndex(index);
    emit clicked(index);
}

void TColorGrid::keyPressEvent(QKeyEvent* event) {
    int index = selected_;
    switch (event->key()) {
        case Qt::Key_Left: index = index % kColumns ? index - 1 : index; break;
        case Qt::Key_Right: index = index % kColumns < kColumns - 1 ? index + 1 : index; break;
        case Qt::Key_Up: index = index >= kColumns ? index - kColumns : index; break;
        case Qt::Key_Down: index = index + kColumns < kColorCount ? index + kColumns : index; break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter: emit clicked(selected_); return;
        case Qt::Key_Escape: emit exited(); return;
        default: QWidget::keyPressEvent(event); return;
    }
    setSelectedIndex(index);
}

void TColorGrid::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
    // A pop-up menu or a window switch is not the author leaving the grid.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason) emit exited();
}

bool TColorGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = indexAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), ColorName(index), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

}  // namespace vellora
