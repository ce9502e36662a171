#include <QApplication>
#include <cstdio>

#include "Application.h"
#include "QtDialogs.h"
#include "TMainForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellora"));
    QApplication::setOrganizationName(QString());

    const vellora::CommandLine cmd = vellora::parseCommandLine(QApplication::arguments());
    if (!cmd.error.isEmpty()) {
        std::fprintf(stderr, "vellora: %s\nusage: vellora [--data-dir DIR] [LESSON]\n", qPrintable(cmd.error));
        return 2;
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
