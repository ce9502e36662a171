#pragma once

#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QWidget>

// The shell's windows, created once at start-up. Each is filled in by the
// part of the program that owns its behaviour; here they carry their names,
// titles and the events the main window relies on.
namespace vellora {

class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit TSplashScreen(QWidget* parent = nullptr);
};

class TNotifyDeleteLesson : public QDialog {
    Q_OBJECT
public:
    explicit TNotifyDeleteLesson(QWidget* parent = nullptr);
};

class TLessonNotFound : public QDialog {
    Q_OBJECT
public:
    explicit TLessonNotFound(QWidget* parent = nullptr);
};

// The blank screen shown when neither the title nor a page is; it holds the
// lesson default font sample.
class TUtil : public QWidget {
    Q_OBJECT
public:
    explicit TUtil(QWidget* parent = nullptr);
    QLabel* DefaultFont;

signals:
    void clicked();
    void rightPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TTitleScreen : public QWidget {
    Q_OBJECT
public:
    explicit TTitleScreen(QWidget* parent = nullptr);

signals:
    void rightPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
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

class TDlgOpenLesson : public QDialog {
    Q_OBJECT
public:
    explicit TDlgOpenLesson(QWidget* parent = nullptr);
};

}  // namespace vellora
