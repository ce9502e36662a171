#include "TUtil.h"

#include <QFontMetrics>
#include <QMouseEvent>

#include "ShellTexts.h"

namespace vellora {

TUtil::TUtil(QWidget* parent)
    : QWidget(parent), DefaultFont(new QLabel(QStringLiteral("Default Font"), this)), measurer_(&platform_) {
    setObjectName(QStringLiteral("Util"));
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    DefaultFont->setObjectName(QStringLiteral("DefaultFont"));
    DefaultFont->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    DefaultFont->hide();
    btnSample = new QPushButton(texts::kSampleButton, this);
    btnSample->setObjectName(QStringLiteral("btnSample"));
    btnSample->setToolTip(texts::kSampleHint);
    btnSample->hide();
}

TUtil::~TUtil() = default;

void TUtil::setMeasurer(const TextMeasurer* measurer) { measurer_ = measurer ? measurer : &platform_; }

void TUtil::Measure(const QString& text) {
    const QSize size = measurer_->measure(font(), text);
    MeasuredWidth = size.width();
    MeasuredHeight = size.height();
    emit measured(MeasuredWidth, MeasuredHeight);
}

void TUtil::mousePressEvent(QMouseEvent* event) {
    // Handled here: the client panel behind must not see the press again.
    event->accept();
    if (event->button() == Qt::RightButton)
        emit rightPressed();
    else
        emit clicked();
}

void TUtil::resizeEvent(QResizeEvent*) {
    // The sample sits in the lower middle of the blank screen, large enough
    // for any size the author picks.
    DefaultFont->setGeometry(0, 0, width(), height() * 2 / 3);
    btnSample->adjustSize();
    btnSample->move((width() - btnSample->width()) / 2, height() / 2 - btnSample->height() / 2);
}

}  // namespace vellora
