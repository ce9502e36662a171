#include "Controls.h"

#include <QPainter>

namespace vellora {

TGauge::TGauge(QWidget* parent) : QWidget(parent) {}

void TGauge::setProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == progress_) return;
    progress_ = percent;
    repaint();  // long loops show progress without returning to the event loop
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    const QRect r((width() - side) / 2, (height() - side) / 2, side, side);
    p.setPen(palette().color(QPalette::WindowText));
    p.setBrush(palette().color(QPalette::Base));
    p.drawEllipse(r);
    p.setBrush(palette().color(QPalette::Highlight));
    // Qt angles are in 1/16 degree, counter-clockwise from three o'clock.
    p.drawPie(r, 90 * 16, -progress_ * 360 * 16 / 100);
}

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setAutoRepeat(true);
    down_->setAutoRepeat(true);
    up_->setFocusPolicy(Qt::NoFocus);
    down_->setFocusPolicy(Qt::NoFocus);
    connect(up_, &QToolButton::clicked, this, &TSpinButton::upClicked);
    connect(down_, &QToolButton::clicked, this, &TSpinButton::downClicked);
}

void TSpinButton::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

TStatusLine::TStatusLine(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

QFont TStatusLine::fittedFont() const {
    // 13 pixels on the 22-pixel line of the design size.
    int size = std::max(kSmallestPixelSize, contentsRect().height() * 3 / 5);
    QFont f = font();
    const int room = contentsRect().width();
    for (;; --size) {
        f.setPixelSize(size);
        if (size == kSmallestPixelSize || QFontMetrics(f).horizontalAdvance(text()) <= room) return f;
    }
}

void TStatusLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFont f = fittedFont();
    p.setFont(f);
    p.setPen(palette().color(QPalette::WindowText));
    const QRect r = contentsRect();
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QFontMetrics(f).elidedText(text(), Qt::ElideRight, r.width()));
}

}  // namespace vellora
