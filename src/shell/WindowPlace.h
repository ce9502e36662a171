#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

namespace vellora {

// The main window's size and place on the screens, remembered between runs
// in the section "MainWindow" of the settings file.
struct WindowPlace {
    QRect geometry;  // without the window frame, in screen coordinates
    bool maximized = false;
};

// The settings file in the data root.
QString SettingsFile(const QString& programDir);

std::optional<WindowPlace> LoadWindowPlace(const QString& programDir);
// False when the settings file could not be written.
bool SaveWindowPlace(const QString& programDir, const WindowPlace& place);

// Where the window opens, given the usable area of every screen and of the
// primary one: the remembered place while it still shows on a screen (moved
// and shrunk to lie wholly on it), else centred on the primary screen at a
// comfortable size, half as large again as `design` where the screen has room.
QRect OpeningGeometry(const std::optional<QRect>& remembered, const QList<QRect>& screens, const QRect& primary,
                      const QSize& design);

}  // namespace vellora
