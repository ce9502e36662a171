#include "ZipSupport.h"

#include <zip.h>

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

QString errorText(int zipErrorCode) {
    zip_error_t error;
    zip_error_init_with_code(&error, zipErrorCode);
    QString text = errorText(&error);
    zip_error_fini(&error);
    return text;
}

}  // namespace zipsupport
}  // namespace vellora
