#include "LessonNumbers.h"

#include <QDir>
#include <QFileInfo>

#include "Database.h"
#include "FileNames.h"
#include "Texts.h"

namespace vellora {

QStringList SkipTakenLessonNumbers(Database& db, const QString& programDir) {
    QStringList skipped;
    qint64 next = db.nextKey(TableId::Lesn);
    for (;; ++next) {
        const QString dir = LessonDirectory(programDir, next);
        const QFileInfo info(dir);
        if (!info.exists() && !info.isSymLink()) break;
        skipped << dir;
    }
    if (!skipped.isEmpty()) db.reserveKeysThrough(TableId::Lesn, next - 1);
    return skipped;
}

QString SkippedFoldersMessage(const QStringList& folders) {
    QStringList shown;
    for (const QString& f : folders) shown << QDir::toNativeSeparators(f);
    return texts::kSkippedLessonFolders.arg(shown.join(QLatin1Char('\r')));
}

}  // namespace vellora
