#pragma once

#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QWidget>

#include "LessonDialogs.h"
#include "TTitleScreen.h"
#include "TUtil.h"

// The shell's windows, created once at start-up. Each is filled in by the
// part of the program that owns its behaviour; here they carry their names,
// titles and the events the main window relies on.
namespace vellora {

class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit TSplashScreen(QWidget* parent = nullptr);
};

class TdlgDiagram : public QDialog {
    Q_OBJECT
public:
    explicit TdlgDiagram(QWidget* parent = nullptr);
};

// The domain unit: never shown.
class TDm : public QObject {
    Q_OBJECT
public:
    explicit TDm(QObject* parent = nullptr);
};

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

class TDirectorySelector : public QDialog {
    Q_OBJECT
public:
    explicit TDirectorySelector(QWidget* parent = nullptr);
};

class TdlgNewPage : public QDialog {
    Q_OBJECT
public:
    explicit TdlgNewPage(QWidget* parent = nullptr);
};

class TMedia : public QDialog {
    Q_OBJECT
public:
    explicit TMedia(QWidget* parent = nullptr);
};

}  // namespace vellora
