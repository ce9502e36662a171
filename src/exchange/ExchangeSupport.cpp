#include "ExchangeSupport.h"

#include <QDir>
#include <QFileInfo>

#include "DiskDrive.h"
#include "IUnzip.h"
#include "InfoZip.h"
#include "Spanning.h"
#include "StatusLine.h"
#include "StoreError.h"

namespace vellora {

QString oneLine(const QString& message) {
    QString line = message;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

namespace exchangesupport {

RunGuard::RunGuard(ExchangeContext& context, bool suspendSaving) : context_(context) {
    context_.host.setBusyCursor(true);
    if (suspendSaving) context_.host.setSavingSuspended(true);
    context_.state.ZipLineCount = 0;
}

RunGuard::~RunGuard() {
    context_.state.PackageFileCount = 0;
    context_.state.ZipLineCount = 0;
    context_.state.SingleFileMode = false;
    // A window that cannot take its cursor back must not end the program.
    try {
        context_.host.setSavingSuspended(false);
        context_.host.setBusyCursor(false);
        context_.status.ShowProgress(false, 0);
    } catch (...) {
    }
}

QString errorDetail(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EFileError& e) {
        return e.message();
    } catch (const EInfoZipException& e) {
        return e.message();
    } catch (const StoreError& e) {
        return e.message();
    } catch (const HDDBExeption& e) {
        return e.message();
    } catch (const EPackageError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

void deletePackageFiles(const QString& directory, const QStringList& patterns, ExchangeContext& context) {
    // An empty directory name would mean the current directory.
    if (directory.isEmpty() || !QFileInfo(directory).isDir()) return;
    for (const QString& pattern : patterns) DeleteFiles(QDir(directory).filePath(pattern), context.status, context.files);
}

bool sameDirectory(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QDir::cleanPath(QDir(a).absolutePath()) == QDir::cleanPath(QDir(b).absolutePath());
}

}  // namespace exchangesupport
}  // namespace vellora
