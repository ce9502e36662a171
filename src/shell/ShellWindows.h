#pragma once

#include <QDialog>
#include <QObject>
#include <QWidget>

#include "LessonDialogs.h"
#include "TTitleScreen.h"
#include "TUtil.h"

// The shell's windows, created once at start-up. Each is filled in by the
// part of the program that owns its behaviour; here they carry their names,
// titles and the events the main window relies on.
namespace vellora {

class TMedia : public QDialog {
    Q_OBJECT
public:
    explicit TMedia(QWidget* parent = nullptr);
};

}  // namespace vellora
