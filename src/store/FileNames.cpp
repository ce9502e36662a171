#include "FileNames.h"

#include <QDir>

namespace vellora {

QString FilePath(const QString& prefix, const QString& number, const QString& extension) {
    const qsizetype zeros = 8 - prefix.size() - number.size();
    return prefix + QString(zeros > 0 ? zeros : 0, QLatin1Char('0')) + number + extension;
}

QString FilePath(const QString& prefix, qint64 number, const QString& extension) {
    return FilePath(prefix, QString::number(number), extension);
}

QString LessonDirectory(const QString& programDir, qint64 lesnRegNum) {
    return QDir::cleanPath(
        QDir(programDir)
            .filePath(QStringLiteral("workspac/") + FilePath(QString(), lesnRegNum, QString())));
}

QString ScratchDirectory(const QString& programDir) {
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("workspac/tempLESN")));
}

}  // namespace vellora
