#include "QtDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace vellora {

MsgAnswer QtDialogs::message(MsgKind kind, const QString& text, MsgButtons buttons, const QString& title) {
    QMessageBox box(parent_);
    switch (kind) {
        case MsgKind::Information: box.setIcon(QMessageBox::Information); break;
        case MsgKind::Warning: box.setIcon(QMessageBox::Warning); break;
        case MsgKind::Error: box.setIcon(QMessageBox::Critical); break;
        case MsgKind::Confirmation: box.setIcon(QMessageBox::Question); break;
    }
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    box.setText(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Ok);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Cancel: return MsgAnswer::Cancel;
        default:
            // Esc on a Yes/No box means No.
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

QString QtDialogs::getOpenFileName(const QString& caption, const QString& dir, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, caption, dir, filter);
}

QString QtDialogs::getSaveFileName(const QString& caption, const QString& dir, const QString& filter) {
    return QFileDialog::getSaveFileName(parent_, caption, dir, filter);
}

QString QtDialogs::getExistingDirectory(const QString& caption, const QString& dir) {
    return QFileDialog::getExistingDirectory(parent_, caption, dir);
}

int QtDialogs::exec(QObject* dialog) {
    auto* d = qobject_cast<QDialog*>(dialog);
    return d ? d->exec() : QDialog::Rejected;
}

}  // namespace vellora
