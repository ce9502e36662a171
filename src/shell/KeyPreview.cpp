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
    const QEvent::Type type = event->type();
    // Every new key press comes after the release of the one before (and
    // after its own shortcut check); neither belongs to a press still on its
    // way to the parents, so the press seen last is done with.
    if (type == QEvent::KeyRelease || type == QEvent::ShortcutOverride) {
        lastEvent_ = nullptr;
        lastReceiver_ = nullptr;
        return false;
    }
    if (type != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != &form_) return false;
    // A key nobody takes travels on to the parent of its receiver, one step
    // at a time: the preview sees it only once, at its first receiver. Key
    // events are often built at one address one after another, so the
    // address alone cannot tell a travelling key from the next key.
    if (event == lastEvent_ && lastReceiver_ && w == lastReceiver_->parentWidget()) {
        lastReceiver_ = w;
        return false;
    }
    const bool used = route(static_cast<QKeyEvent*>(event), w);
    // Routing may have run a nested event loop (a message box) that saw
    // other keys; the press that goes on travelling is this one.
    lastEvent_ = used ? nullptr : event;
    lastReceiver_ = used ? nullptr : w;
    return used;
}

bool KeyPreview::route(QKeyEvent* key, QWidget* receiver) {
    if (key->key() == Qt::Key_F1) {
        form_.ContextHelp();
        return true;
    }
    // The domain list chooses with the arrows, Enter and Esc of its own.
    if (receiver == form_.lbDomain) return false;
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
    const bool used = frameShows ? frame->FormKeyPress(key) : titleShows && title->FormKeyPress(key);
    // A learner playing a lesson types into none of its boxes.
    return used || (form_.state().Playing && isTextEntry(receiver));
}

}  // namespace vellora
