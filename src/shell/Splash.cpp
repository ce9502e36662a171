#include "Splash.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QScreen>

#include "DomainTexts.h"
#include "ShellResources.h"
#include "ShellTexts.h"

namespace vellora {
namespace {
constexpr int kBevel = 8;
}

TSplashScreen::TSplashScreen(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    initShellResources();
    setObjectName(QStringLiteral("SplashScreen"));
    setWindowTitle(texts::kApplicationTitle);
    setFixedSize(kWidth, kHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashScreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor teal(0, 128, 128);
    p.fillRect(rect(), teal);
    // A wide bevel: light on the top and left edges, dark on the others.
    for (int i = 0; i < kBevel; ++i) {
        p.setPen(teal.lighter(170 - i * 8));
        p.drawLine(i, i, width() - 1 - i, i);
        p.drawLine(i, i, i, height() - 1 - i);
        p.setPen(teal.darker(220 - i * 12));
        p.drawLine(i, height() - 1 - i, width() - 1 - i, height() - 1 - i);
        p.drawLine(width() - 1 - i, i, width() - 1 - i, height() - 1 - i);
    }

    QFont title(QStringLiteral("Liberation Serif"));
    title.setPixelSize(48);
    title.setBold(true);
    title.setItalic(true);
    p.setFont(title);
    const QRect titleBox(0, 34, width(), 70);
    p.setPen(QColor(0, 0, 128));  // navy shadow
    p.drawText(titleBox.translated(3, 3), Qt::AlignCenter, texts::kProductName);
    p.setPen(QColor(0, 0, 255));
    p.drawText(titleBox, Qt::AlignCenter, texts::kProductName);

    const QPixmap picture = QIcon(QStringLiteral(":/icons/vellora.svg")).pixmap(56, 56);
    p.drawPixmap((width() - 56) / 2, 112, picture);

    QFont small(QStringLiteral("Liberation Sans"));
    small.setPixelSize(13);
    small.setBold(true);
    p.setFont(small);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 178, width(), 24), Qt::AlignCenter, texts::kSplashVersion);
}

}  // namespace vellora
