#pragma once

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QObject>
#include <QWidget>

// The shell's windows, created once at start-up. Each is filled in by the
// part of the program that owns its behaviour; here they carry their names,
// titles and the events the main window relies on.
namespace vellora {

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

    // Typed characters reach the title screen through the main window while
    // it shows; true when the key was used here.
    virtual bool FormKeyPress(QKeyEvent* event);

signals:
    void rightPressed();
    // Esc: stop what is playing at its next check.
    void stopRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
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
