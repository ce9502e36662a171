#pragma once

#include <QKeySequence>
#include <QString>

// Keys of the main window that no menu item carries. None of them is taken
// elsewhere: the menus use F-keys and Ctrl with F-keys or editing letters, the
// words step nudges and selects words with Alt or Ctrl and the arrows, and Alt
// with a letter of a menu or a button opens that menu or presses that button.
namespace vellora::keys {

// Continue and Return (Exit where Return is not offered): forward and back a
// step, as Page Down and Page Up are forward and back a screen.
inline const QKeySequence kContinue{Qt::ALT | Qt::Key_PageDown};
inline const QKeySequence kReturn{Qt::ALT | Qt::Key_PageUp};
// Opens the domain list; the arrows and Enter choose, Esc closes it.
inline const QKeySequence kDomainList{Qt::ALT | Qt::Key_D};

// A hint followed by its key, as tool tips show it.
inline QString hintWithKey(const QString& hint, const QKeySequence& key) {
    return QStringLiteral("%1 (%2)").arg(hint, key.toString(QKeySequence::NativeText));
}

}  // namespace vellora::keys
