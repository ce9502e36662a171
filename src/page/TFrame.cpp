#include "TFrame.h"

#include <QMouseEvent>

namespace vellora {

TFrame::TFrame(QWidget* parent)
    : QWidget(parent), Timer1(new QTimer(this)), SelectJump1Page(new QSpinBox(this)), SelectJump2Page(new QSpinBox(this)) {
    setObjectName(QStringLiteral("Frame"));
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    SelectJump1Page->setObjectName(QStringLiteral("SelectJump1Page"));
    SelectJump2Page->setObjectName(QStringLiteral("SelectJump2Page"));
    SelectJump1Page->hide();
    SelectJump2Page->hide();
}

bool TFrame::FormKeyDown(QKeyEvent*) { return false; }

bool TFrame::FormKeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit stopRequested();
        return true;
    }
    return false;
}

void TFrame::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::RightButton) emit rightPressed();
}

TSynchro::TSynchro(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Synchro"));
    setWindowTitle(QStringLiteral("Synchro"));
}

}  // namespace vellora
