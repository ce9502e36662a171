#pragma once

#include <QPointer>
#include <QWidget>

#include "Dialogs.h"

namespace vellora {

// Message boxes and dialogs on screen.
class QtDialogs : public Dialogs {
public:
    // Dialogs are centred on `parent` when it is set.
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message(MsgKind kind, const QString& text, MsgButtons buttons, const QString& title) override;
    QString getOpenFileName(const QString& caption, const QString& dir, const QString& filter) override;
    QString getSaveFileName(const QString& caption, const QString& dir, const QString& filter) override;
    QString getExistingDirectory(const QString& caption, const QString& dir) override;
    int exec(QObject* dialog) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace vellora
