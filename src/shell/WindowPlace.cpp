#include "WindowPlace.h"

#include <QDir>
#include <QSettings>
#include <algorithm>

namespace vellora {
namespace {

const QString kSection = QStringLiteral("MainWindow");
constexpr double kComfortableScale = 1.5;
constexpr double kLargestShareOfScreen = 0.85;
// A place counts as on a screen when this much of it shows there: enough to
// catch the title bar and move the window.
constexpr int kVisibleWidth = 100;
constexpr int kVisibleHeight = 50;

bool showsOn(const QRect& r, const QRect& screen) {
    const QRect common = r.intersected(screen);
    return common.width() >= std::min(kVisibleWidth, r.width()) &&
           common.height() >= std::min(kVisibleHeight, r.height()) && !common.isEmpty();
}

QRect inside(QRect r, const QRect& screen) {
    r.setSize(r.size().boundedTo(screen.size()));
    r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() - r.height() + 1));
    return r;
}

}  // namespace

QString SettingsFile(const QString& programDir) { return QDir(programDir).filePath(QStringLiteral("Vellora.ini")); }

std::optional<WindowPlace> LoadWindowPlace(const QString& programDir) {
    QSettings s(SettingsFile(programDir), QSettings::IniFormat);
    s.beginGroup(kSection);
    bool ok[4] = {};
    const QRect r(s.value(QStringLiteral("Left")).toInt(&ok[0]), s.value(QStringLiteral("Top")).toInt(&ok[1]),
                  s.value(QStringLiteral("Width")).toInt(&ok[2]), s.value(QStringLiteral("Height")).toInt(&ok[3]));
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || r.width() <= 0 || r.height() <= 0) return std::nullopt;
    return WindowPlace{r, s.value(QStringLiteral("Maximized")).toBool()};
}

bool SaveWindowPlace(const QString& programDir, const WindowPlace& place) {
    QSettings s(SettingsFile(programDir), QSettings::IniFormat);
    s.beginGroup(kSection);
    s.setValue(QStringLiteral("Left"), place.geometry.left());
    s.setValue(QStringLiteral("Top"), place.geometry.top());
    s.setValue(QStringLiteral("Width"), place.geometry.width());
    s.setValue(QStringLiteral("Height"), place.geometry.height());
    s.setValue(QStringLiteral("Maximized"), place.maximized);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

QRect OpeningGeometry(const std::optional<QRect>& remembered, const QList<QRect>& screens, const QRect& primary,
                      const QSize& design) {
    if (remembered)
        for (const QRect& screen : screens)
            if (showsOn(*remembered, screen)) return inside(*remembered, screen);
    const double room = std::min(primary.width() * kLargestShareOfScreen / design.width(),
                                 primary.height() * kLargestShareOfScreen / design.height());
    const double scale = std::max(1.0, std::min(kComfortableScale, room));
    QRect r(QPoint(0, 0), QSize(qRound(design.width() * scale), qRound(design.height() * scale)));
    r.setSize(r.size().boundedTo(primary.size()));
    r.moveCenter(primary.center());
    return r;
}

}  // namespace vellora
