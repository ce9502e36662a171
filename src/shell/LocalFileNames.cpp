#include "LocalFileNames.h"

namespace vellora::local {

QString FilePath(const QString& prefix, const QString& number, const QString& extension) {
    const qsizetype zeros = 8 - prefix.size() - number.size();
    return prefix + (zeros > 0 ? QString(zeros, QLatin1Char('0')) : QString()) + number + extension;
}

}  // namespace vellora::local
