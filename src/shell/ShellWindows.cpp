#include "ShellWindows.h"

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

TdlgDiagram::TdlgDiagram(QWidget* parent) : QDialog(parent) { name(this, "dlgDiagram", QStringLiteral("System Domains")); }

TDm::TDm(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("Dm")); }

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) { name(this, "AboutBox", QStringLiteral("About")); }

TDirectorySelector::TDirectorySelector(QWidget* parent) : QDialog(parent) {
    name(this, "DirectorySelector", QStringLiteral("Select Directory"));
}

TdlgNewPage::TdlgNewPage(QWidget* parent) : QDialog(parent) { name(this, "dlgNewPage", QStringLiteral("New Page")); }

TMedia::TMedia(QWidget* parent) : QDialog(parent) { name(this, "Media", QStringLiteral("Media")); }

}  // namespace vellora
