#pragma once

#include <QApplication>
#include <QDir>
#include <QWidget>

namespace vellora::testing {

// Saves a PNG of `w` as `name` when VELLORA_SCREENSHOTS names a directory.
inline void saveScreenshot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("VELLORA_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    QApplication::processEvents();
    w->grab().save(QDir(dir).filePath(name));
}

}  // namespace vellora::testing
