#include "ShellWindows.h"

#include <QMouseEvent>
#include <QVBoxLayout>

#include "ShellTexts.h"

namespace vellora {
namespace {

void name(QWidget* w, const char* objectName, const QString& title) {
    w->setObjectName(QLatin1String(objectName));
    w->setWindowTitle(title);
}

}  // namespace

TNotifyDeleteLesson::TNotifyDeleteLesson(QWidget* parent) : QDialog(parent) {
    name(this, "NotifyDeleteLesson", QStringLiteral("Delete Lesn"));
}

TLessonNotFound::TLessonNotFound(QWidget* parent) : QDialog(parent) {
    name(this, "LessonNotFound", QStringLiteral("Lesson Not Found"));
}

TUtil::TUtil(QWidget* parent) : QWidget(parent), DefaultFont(new QLabel(QStringLiteral("Default Font"), this)) {
    name(this, "Util", QString());
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    DefaultFont->setObjectName(QStringLiteral("DefaultFont"));
    DefaultFont->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    DefaultFont->hide();
}

void TUtil::mousePressEvent(QMouseEvent* event) {
    // Handled here: the client panel behind must not see the press again.
    event->accept();
    if (event->button() == Qt::RightButton)
        emit rightPressed();
    else
        emit clicked();
}

TTitleScreen::TTitleScreen(QWidget* parent) : QWidget(parent) {
    name(this, "TitleScreen", QString());
    setWindowFlag(Qt::FramelessWindowHint);
    setAutoFillBackground(true);
}

bool TTitleScreen::FormKeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit stopRequested();
        return true;
    }
    return false;
}

void TTitleScreen::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::RightButton) emit rightPressed();
}

TMedia::TMedia(QWidget* parent) : QDialog(parent) { name(this, "Media", QStringLiteral("Media")); }

TDlgOpenLesson::TDlgOpenLesson(QWidget* parent) : QDialog(parent) {
    name(this, "DlgOpenLesson", QStringLiteral("Open Lesn"));
}

}  // namespace vellora
