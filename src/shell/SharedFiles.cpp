#include "SharedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "Dialogs.h"
#include "ShellTexts.h"

// The library is static: its compiled-in shared files are registered at use.
static void registerSharedFiles() {
    Q_INIT_RESOURCE(vellora_shared);
}

namespace vellora {

QStringList SharedFileNames() {
    return {QStringLiteral("Correct.wav"), QStringLiteral("InCorect.wav"),
            QStringLiteral("ShwCorct.wav"), QStringLiteral("gradient.bmp")};
}

QStringList WriteSharedFiles(const QString& programDir, Dialogs& dialogs) {
    static const bool registered = (registerSharedFiles(), true);
    (void)registered;
    QStringList written;
    for (const QString& name : SharedFileNames()) {
        const QString target = QDir(programDir).filePath(name);
        const QFileInfo there(target);
        if (there.exists() || there.isSymLink()) continue;
        QFile source(QStringLiteral(":/shared/") + name);
        QSaveFile out(target);
        QString why;
        if (!source.open(QIODevice::ReadOnly))
            why = source.errorString();
        else if (!out.open(QIODevice::WriteOnly) || out.write(source.readAll()) != source.size() ||
                 !out.commit())
            why = out.errorString();
        if (why.isEmpty())
            written << name;
        else
            dialogs.warning(
                texts::kSharedFileNotWritten.arg(QDir::toNativeSeparators(target), why));
    }
    return written;
}

}  // namespace vellora
