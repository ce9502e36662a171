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

TSplashScreen::TSplashScreen(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    name(this, "SplashScreen", texts::kApplicationTitle);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(texts::kApplicationTitle, this);
    title->setObjectName(QStringLiteral("lbTitle"));
    QFont f = title->font();
    f.setPixelSize(28);
    f.setBold(true);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    resize(360, 160);
}

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

void TTitleScreen::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::RightButton) emit rightPressed();
}

TdlgDiagram::TdlgDiagram(QWidget* parent) : QDialog(parent) { name(this, "dlgDiagram", QStringLiteral("System Domains")); }

TDm::TDm(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("Dm")); }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) { name(this, "AboutBox", QStringLiteral("About")); }

TDirectorySelector::TDirectorySelector(QWidget* parent) : QDialog(parent) {
    name(this, "DirectorySelector", QStringLiteral("Select Directory"));
}

TdlgNewPage::TdlgNewPage(QWidget* parent) : QDialog(parent) { name(this, "dlgNewPage", QStringLiteral("New Page")); }

TMedia::TMedia(QWidget* parent) : QDialog(parent) { name(this, "Media", QStringLiteral("Media")); }

TDlgOpenLesson::TDlgOpenLesson(QWidget* parent) : QDialog(parent) {
    name(this, "DlgOpenLesson", QStringLiteral("Open Lesn"));
}

}  // namespace vellora
