#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "PackTool.h"
#include "SpeechTool.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The same per-user data directory as the program.
    QCoreApplication::setApplicationName(QStringLiteral("Vellora"));
    QCoreApplication::setOrganizationName(QString());
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments();
    // Speech needs no lessons: it runs before the data directory is looked at.
    if (arguments.size() > 1 && vellora::IsSpeechCommand(arguments[1]))
        return vellora::SpeechCommand(arguments.mid(1), out, err);
    return vellora::VelloraPack(arguments, out, err);
}
