#pragma once

#include <QDialog>
#include <QKeyEvent>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

namespace vellora {

// The page window: hosted borderless in the main window's client panel, it
// shows the current reading or question page.
class TFrame : public QWidget {
    Q_OBJECT
public:
    explicit TFrame(QWidget* parent = nullptr);

    // The 10 ms word-highlight timer of reading aloud.
    QTimer* Timer1;
    // Jump-page editors of a question page's actions; hidden until used.
    QSpinBox* SelectJump1Page;
    QSpinBox* SelectJump2Page;

    // Keys reach the page window through the main window while it shows; each
    // answers true when the key was used here.
    virtual bool FormKeyDown(QKeyEvent* event);
    virtual bool FormKeyPress(QKeyEvent* event);

signals:
    // A press of the right mouse button on the page background.
    void rightPressed();
    // Esc: stop reading or playing at the next check.
    void stopRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The word/sound synchronisation window.
class TSynchro : public QDialog {
    Q_OBJECT
public:
    explicit TSynchro(QWidget* parent = nullptr);
};

}  // namespace vellora
