#include "ShellWindows.h"

#include "ShellTexts.h"

namespace vellora {
namespace {

void name(QWidget* w, const char* objectName, const QString& title) {
    w->setObjectName(QLatin1String(objectName));
    w->setWindowTitle(title);
}

}  // namespace

TMedia::TMedia(QWidget* parent) : QDialog(parent) { name(this, "Media", QStringLiteral("Media")); }

}  // namespace vellora
