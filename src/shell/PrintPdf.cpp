#include "PrintPdf.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextStream>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "Application.h"
#include "Database.h"
#include "FileUtils.h"
#include "HandleDataBase.h"
#include "LessonLifecycle.h"
#include "PrintTexts.h"
#include "Printing.h"
#include "ShellTexts.h"
#include "StoreError.h"
#include "TMainForm.h"
#include "Table.h"

namespace vellora {
namespace {

QString oneLine(QString text) {
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
}

QtMessageHandler previousHandler = nullptr;

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

int fail(QTextStream& err, const QString& message) {
    err << "vellora: " << oneLine(message) << '\n';
    err.flush();
    return 1;
}

// What the program said since `from`, or `fallback` when it said nothing.
QString toldSince(const BatchDialogs& dialogs, qsizetype from, const QString& fallback) {
    const QStringList said = dialogs.told().mid(from);
    return said.isEmpty() ? fallback : said.join(QStringLiteral(" "));
}

// Replaces `to` with `from` in one step of the file system, and makes both
// the bytes and the new name last.
bool putInPlace(const QString& from, const QString& to, QString& why) {
    if (!FlushFile(from)) {
        why = QStringLiteral("cannot flush it onto the disk");
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), ec);
    if (ec) {
        why = QString::fromStdString(ec.message());
        return false;
    }
    FlushDirectory(QFileInfo(to).absolutePath());
    return true;
}

}  // namespace

MsgAnswer BatchDialogs::message(MsgKind, const QString& text, MsgButtons buttons, const QString&) {
    told_ << oneLine(text);
    switch (buttons) {
        case MsgButtons::YesNo: return MsgAnswer::No;
        case MsgButtons::OkCancel: return MsgAnswer::Cancel;
        case MsgButtons::Ok: break;
    }
    return MsgAnswer::Ok;
}

int BatchDialogs::exec(QObject* dialog) {
    // The dialog's title and what its labels say.
    if (auto* w = qobject_cast<QWidget*>(dialog)) {
        QStringList said;
        for (const QLabel* label : w->findChildren<QLabel*>())
            if (!label->text().trimmed().isEmpty()) said << label->text();
        told_ << oneLine(said.isEmpty() ? w->windowTitle() : w->windowTitle() + QStringLiteral(": ") + said.join(' '));
    }
    return QDialog::Rejected;
}

void PrintPdfWithoutWindows(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--") return;
        if (argument == "--print-pdf" || argument.startsWith("--print-pdf=")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            // What the toolkit says about windows nobody sees is noise on the
            // command line; only its serious complaints get through.
            previousHandler = qInstallMessageHandler(
                [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
                    if (type != QtCriticalMsg && type != QtFatalMsg) return;
                    if (previousHandler)
                        previousHandler(type, context, message);
                    else
                        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
                });
            return;
        }
    }
}

QString CommandLineLessonError(const QString& programDir, const QString& number, qint64* lesson) {
    bool isNumber = false;
    *lesson = number.toLongLong(&isNumber);
    if (!isNumber || *lesson <= 0) return texts::kNotALessonNumber.arg(number);
    if (!QFileInfo(programDir).isDir()) return texts::kNoDataDirectory.arg(native(programDir));
    // Read-only: start-up would offer to make a missing database, and a
    // command-line run makes nothing.
    try {
        const AliasRegistry aliases(QDir(programDir).filePath(QStringLiteral("aliases.ini")));
        Database db(Database::resolve(HandleDataBase::kAlias, &aliases), Database::Mode::ReadOnly);
        Table lessons(db, TableId::Lesn, true);
        if (!lessons.findKey(*lesson)) return texts::kLessonNotFoundNumber.arg(*lesson).arg(native(programDir));
    } catch (const StoreError& e) {
        return texts::kNoLessonDatabase.arg(native(programDir), e.message());
    }
    return QString();
}

int PrintLessonToPdf(const CommandLine& cmd, QTextStream& err) {
    // A number that is no lesson number is said before anything is looked at.
    qint64 lesson = 0;
    if (cmd.lesson.toLongLong() <= 0) return fail(err, texts::kNotALessonNumber.arg(cmd.lesson));

    const QFileInfo target(QFileInfo(cmd.printPdf).absoluteFilePath());
    if (target.isDir()) return fail(err, texts::kPdfIsDirectory.arg(native(target.filePath())));
    // The PDF is written beside its place under a passing name and renamed
    // into place when complete; a failure takes the passing file away.
    QTemporaryFile part(QDir(target.absolutePath()).filePath(QLatin1Char('.') + target.fileName() +
                                                              QStringLiteral(".XXXXXX")));
    if (!part.open()) return fail(err, texts::kCannotWritePdf.arg(native(target.filePath()), part.errorString()));
    part.close();

    const QString programDir = defaultProgramDir(cmd.dataDir);
    const QString problem = CommandLineLessonError(programDir, cmd.lesson, &lesson);
    if (!problem.isEmpty()) return fail(err, problem);

    BatchDialogs dialogs;
    Application app(programDir, dialogs);
    if (!app.startUp()) return fail(err, toldSince(dialogs, 0, texts::kStartupFailed.arg(native(programDir))));
    // The window is shown (the screens switch only while it is), though on
    // no screen. The end of an editing session is not run: it would write
    // the settings, and printing changes nothing.
    app.show();
    TMainForm& form = *app.MainForm();
    form.FormActivate();
    AppState& st = app.state();

    const qsizetype before = dialogs.told().size();
    app.lifecycle()->OpenLesson(lesson);
    if (!st.LessonOpen || st.LesnRegNum != lesson)
        return fail(err, texts::kPdfLessonNotOpened.arg(lesson).arg(toldSince(dialogs, before, form.pnlStatus->text())));
    // Printing only reads the lesson: nothing is saved on the way.
    st.SaveOnPageChange = false;
    st.SavingSuspended = true;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(part.fileName());
    const qsizetype printing = dialogs.told().size();
    const PrintOutcome outcome = app.printing()->printLesson(printer);
    if (outcome != PrintOutcome::Printed)
        return fail(err, texts::kCannotWritePdf.arg(native(target.filePath()),
                                                    toldSince(dialogs, printing, form.pnlStatus->text())));
    QString why;
    if (!putInPlace(part.fileName(), target.filePath(), why))
        return fail(err, texts::kCannotWritePdf.arg(native(target.filePath()), why));
    part.setAutoRemove(false);
    // Whatever the lesson itself had to say (a page count repaired, a page
    // with words missing) is worth knowing even though the print succeeded.
    for (const QString& note : dialogs.told().mid(before)) err << "vellora: " << note << '\n';
    err.flush();
    return 0;
}

}  // namespace vellora
