#include "KeyPreview.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "ShellWindows.h"
#include "TFrame.h"
#include "TMainForm.h"

namespace vellora {

KeyPreview::KeyPreview(TMainForm& form) : QObject(&form), form_(form) {
    setObjectName(QStringLiteral("KeyPreview"));
    qApp->installEventFilter(this);
}

bool KeyPreview::isTextEntry(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return !e->isReadOnly();
    if (auto* e = qobject_cast<const QTextEdit*>(w)) return !e->isReadOnly();
    if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return !e->isReadOnly();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->isEditable();
    return qobject_cast<const QAbstractSpinBox*>(w) != nullptr;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != &form_) return false;
    // A key nobody takes travels on to the parents of its receiver: the
    // preview sees it only once, at its first receiver.
    if (event == lastEvent_ && lastReceiver_ && w->isAncestorOf(lastReceiver_)) {
        lastReceiver_ = w;
        return false;
    }
    lastEvent_ = event;
    lastReceiver_ = w;
    return route(static_cast<QKeyEvent*>(event), w);
}

bool KeyPreview::route(QKeyEvent* key, QWidget* receiver) {
    if (key->key() == Qt::Key_F1) {
        form_.ContextHelp();
        return true;
    }
    TFrame* frame = form_.Frame;
    TTitleScreen* title = form_.TitleScreen;
    const bool frameShows = frame && frame->isVisible();
    const bool titleShows = title && title->isVisible();
    if (frameShows && frame->FormKeyDown(key)) return true;

    const QString text = key->text();
    if (text.isEmpty()) return false;
    // The letter u asks for help, except where it is being typed as text.
    if (text == QLatin1String("u") && (frameShows || titleShows) && !isTextEntry(receiver)) {
        form_.ContextHelp();
        return true;
    }
    if (frameShows) return frame->FormKeyPress(key);
    if (titleShows) return title->FormKeyPress(key);
    return false;
}

}  // namespace vellora
