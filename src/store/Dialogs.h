#pragma once

#include <QObject>
#include <QString>

namespace vellora {

enum class MsgKind { Information, Warning, Error, Confirmation };
enum class MsgButtons { Ok, YesNo, OkCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// Every message box, file dialog and modal dialog of the program goes through
// this interface. The program uses the Qt implementation; tests use a scripted
// one that checks each text and gives the scripted answer.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MsgAnswer message(MsgKind kind, const QString& text, MsgButtons buttons,
                              const QString& title = QString()) = 0;

    // Empty when the user cancelled.
    virtual QString getOpenFileName(const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    virtual QString getSaveFileName(const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    virtual QString getExistingDirectory(const QString& caption, const QString& dir) = 0;

    // Runs one of the program's own modal dialogs (a QDialog, known by its
    // objectName) and answers its result code.
    virtual int exec(QObject* dialog) = 0;

    void information(const QString& text, const QString& title = QString()) {
        message(MsgKind::Information, text, MsgButtons::Ok, title);
    }
    void warning(const QString& text, const QString& title = QString()) {
        message(MsgKind::Warning, text, MsgButtons::Ok, title);
    }
    void error(const QString& text, const QString& title = QString()) {
        message(MsgKind::Error, text, MsgButtons::Ok, title);
    }
    // A Yes/No question; true on Yes.
    bool confirm(const QString& text, const QString& title = QString()) {
        return message(MsgKind::Confirmation, text, MsgButtons::YesNo, title) == MsgAnswer::Yes;
    }
};

}  // namespace vellora
