#pragma once

#include <QStringList>

#include "Dialogs.h"

class QTextStream;

namespace vellora {

struct CommandLine;

// Dialogs for a run with nobody at the screen: every question is answered
// as a cancelled dialog would be, and what the program said is kept so that
// it can be reported on the command line.
class BatchDialogs : public Dialogs {
public:
    MsgAnswer message(MsgKind kind, const QString& text, MsgButtons buttons, const QString& title) override;
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(const QString&, const QString&) override { return {}; }
    int exec(QObject* dialog) override;

    // Each message and dialog title, on one line.
    const QStringList& told() const { return told_; }

private:
    QStringList told_;
};

// Why lesson `number` of `programDir` cannot be opened from the command
// line (not a number, no data directory, no database, no such lesson), or
// empty when it can; `lesson` gets the number. Reads only.
QString CommandLineLessonError(const QString& programDir, const QString& number, qint64* lesson);

// `vellora --print-pdf FILE LESSON` must show no window: call before the
// QApplication is made, with main()'s arguments.
void PrintPdfWithoutWindows(int argc, char** argv);

// Prints lesson `cmd.lesson` of the data directory into the PDF file
// `cmd.printPdf`, as File > Print does in the Lesn domain. The file appears
// whole or not at all, and the lessons stay as they are. Answers the exit
// status; a failure is one line on `err`.
int PrintLessonToPdf(const CommandLine& cmd, QTextStream& err);

}  // namespace vellora
