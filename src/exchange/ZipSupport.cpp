#include "ZipSupport.h"

#include <unistd.h>
#include <zip.h>

#include <cerrno>

#include "ZipTexts.h"

namespace vellora {

QString InfoZipPrintLine(QByteArrayView text) {
    if (!text.isEmpty() && (text.back() == '\n' || text.back() == '\r')) text.chop(1);
    return QString::fromUtf8(text);
}

namespace zipsupport {

namespace {
bool running = false;
}

ExclusiveRun::ExclusiveRun() {
    if (running) throw EInfoZipException(texts::kZipBusy);
    running = true;
}

ExclusiveRun::~ExclusiveRun() {
    running = false;
}

void Printer::line(const QString& text) const {
    if (quiet_ || !handler_) return;
    QString shown = text;
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control) c = QLatin1Char('?');
    raw(shown.toUtf8() + '\n');
}

QString errorText(zip_error_t* error) {
    return QString::fromUtf8(zip_error_strerror(error));
}

QString errorText(int zipErrorCode, int systemError) {
    zip_error_t error;
    // Without a system error of its own, one that libzip takes from the
    // system gets the current errno.
    zip_error_init_with_code(&error, zipErrorCode);
    if (systemError != 0) zip_error_set(&error, zipErrorCode, systemError);
    QString text = errorText(&error);
    zip_error_fini(&error);
    return text;
}

FdCloser::~FdCloser() {
    if (fd >= 0) ::close(fd);
}

bool writeAll(int fd, const char* data, qsizetype length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, size_t(length));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        length -= n;
    }
    return true;
}

bool pwriteAll(int fd, const char* data, qsizetype length, quint64 offset) {
    while (length > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(length), off_t(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        length -= n;
        offset += quint64(n);
    }
    return true;
}

}  // namespace zipsupport
}  // namespace vellora
