#pragma once

#include <QString>
#include <deque>
#include <functional>

#include "Dialogs.h"

namespace vellora::testing {

// A Dialogs that plays a script: each message must be the next expected one
// (kind, exact text, title when given) and gets the scripted answer. Any
// message nobody expected is a test failure.
class ScriptedDialogs : public Dialogs {
  public:
    struct Expected {
        MsgKind kind;
        QString text;
        MsgAnswer answer;
        QString title;          // checked when not empty
        bool fragment = false;  // text need only be contained in the message
    };
    struct Shown {
        MsgKind kind;
        QString text;
        QString title;
    };

    ~ScriptedDialogs() override;

    ScriptedDialogs& expect(MsgKind kind, const QString& text, MsgAnswer answer = MsgAnswer::Ok,
                            const QString& title = QString());
    // A message whose text contains `fragment` (for texts that carry a path).
    ScriptedDialogs& expectContaining(MsgKind kind, const QString& fragment,
                                      MsgAnswer answer = MsgAnswer::Ok);
    // A file or directory dialog answering `path` (empty = cancelled).
    ScriptedDialogs& expectFile(const QString& path);
    // One of the program's own modal dialogs: `handler` gets the dialog (to fill
    // its controls) and answers the result code.
    ScriptedDialogs& expectDialog(const QString& objectName, std::function<int(QObject*)> handler);

    MsgAnswer message(MsgKind kind, const QString& text, MsgButtons buttons,
                      const QString& title) override;
    QString getOpenFileName(const QString& caption, const QString& dir,
                            const QString& filter) override;
    QString getSaveFileName(const QString& caption, const QString& dir,
                            const QString& filter) override;
    QString getExistingDirectory(const QString& caption, const QString& dir) override;
    int exec(QObject* dialog) override;

    bool done() const { return messages_.empty() && files_.empty() && dialogs_.empty(); }
    const std::vector<Shown>& shown() const { return shown_; }

  private:
    std::deque<Expected> messages_;
    std::deque<QString> files_;
    std::deque<std::pair<QString, std::function<int(QObject*)>>> dialogs_;
    std::vector<Shown> shown_;
};

}  // namespace vellora::testing
