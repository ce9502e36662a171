#include <QApplication>
#include <QTextStream>
#include <cstdio>

#include "Application.h"
#include "Playback.h"
#include "PrintPdf.h"
#include "QtDialogs.h"
#include "TMainForm.h"

int main(int argc, char** argv) {
    vellora::PrintPdfWithoutWindows(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setOrganizationName(QString());

    const vellora::CommandLine cmd = vellora::parseCommandLine(QApplication::arguments());
    if (!cmd.error.isEmpty()) {
        std::fprintf(stderr,
                     "vellora: %s\n"
                     "usage: vellora [--data-dir DIR] [LESSON | --print-pdf FILE LESSON | --play LESSON]\n"
                     "  --data-dir DIR           lessons and settings in DIR\n"
                     "  LESSON                   open lesson number LESSON\n"
                     "  --print-pdf FILE LESSON  print every page of the lesson into the PDF file FILE,\n"
                     "                           showing no window, and end\n"
                     "  --play LESSON            play the lesson from its title page for a learner, and end\n",
                     qPrintable(cmd.error));
        return 2;
    }
    if (!cmd.printPdf.isEmpty()) {
        QTextStream err(stderr);
        return vellora::PrintLessonToPdf(cmd, err);
    }
    if (!cmd.play.isEmpty()) {
        QTextStream err(stderr);
        return vellora::PlayFromCommandLine(cmd, err);
    }

    vellora::QtDialogs dialogs;
    vellora::Application vellora(vellora::defaultProgramDir(cmd.dataDir), dialogs);
    if (!vellora.startUp(cmd.lesson)) return 1;
    dialogs.setParent(vellora.MainForm());
    vellora.show();
    const int rc = QApplication::exec();
    vellora.finish();
    return rc;
}
