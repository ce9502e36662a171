#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "PackTool.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The same per-user data directory as the program.
    QCoreApplication::setApplicationName(QStringLiteral("Vellora"));
    QCoreApplication::setOrganizationName(QString());
    QTextStream out(stdout);
    QTextStream err(stderr);
    return vellora::VelloraPack(QCoreApplication::arguments(), out, err);
}
