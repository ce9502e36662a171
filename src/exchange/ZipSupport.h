#pragma once

// Pieces shared by TInfoZip and TIUnzip; not for use outside them.

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

#include "InfoZip.h"

#include <zip.h>

namespace vellora::zipsupport {

// Copy block for archive data: large enough that system calls are a small
// part of the cost, small enough to stay in cache.
inline constexpr qsizetype kBlockSize = qsizetype(1) << 20;

// Only one zip or unzip operation runs at a time in the process; an OnPrint
// handler that processes window messages must not start a second one.
class ExclusiveRun {
  public:
    ExclusiveRun();
    ~ExclusiveRun();
    ExclusiveRun(const ExclusiveRun&) = delete;
    ExclusiveRun& operator=(const ExclusiveRun&) = delete;
};

// Hands progress lines to a component's OnPrint handler.
class Printer {
  public:
    Printer(QObject* sender, const TInfoZipPrint& handler, bool quiet)
        : sender_(sender), handler_(handler), quiet_(quiet) {}

    // `text` is one line of output with its line end, as a library writes it.
    void raw(const QByteArray& text) const {
        if (!quiet_ && handler_) handler_(sender_, InfoZipPrintLine(text));
    }
    // One line of our own; control characters (which a file name may hold)
    // are shown as "?" so that every event stays one line.
    void line(const QString& text) const;

  private:
    QObject* sender_;
    TInfoZipPrint handler_;  // a copy: a handler may replace OnPrint while it runs
    bool quiet_;
};

// libzip's description of an error, with the system's when there is one.
QString errorText(zip_error_t* error);
QString errorText(int zipErrorCode, int systemError = 0);

// Closes a file descriptor when it goes away.
struct FdCloser {
    int fd = -1;
    explicit FdCloser(int f) : fd(f) {}
    ~FdCloser();
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
};

// write() until every byte is written; false with errno set when one fails.
bool writeAll(int fd, const char* data, qsizetype length);
// The same with pwrite() at `offset`.
bool pwriteAll(int fd, const char* data, qsizetype length, quint64 offset);

// Exceptions must not pass through libzip's C frames: callbacks park them here
// and the component throws them again once libzip has returned.
struct PendingError {
    std::exception_ptr error;
    void rethrowIfAny() {
        if (error) std::rethrow_exception(std::exchange(error, nullptr));
    }
};

// What every libzip callback source of ours shares: its error, and the
// commands that only report it or free the source. `Derived` has
// handle(data, length, command) for the others and is made with new.
template <typename Derived>
struct CallbackSource {
    zip_error_t error;

    CallbackSource() { zip_error_init(&error); }
    ~CallbackSource() { zip_error_fini(&error); }
    CallbackSource(const CallbackSource&) = delete;
    CallbackSource& operator=(const CallbackSource&) = delete;

    zip_int64_t fail(int zipError, int systemError = 0) {
        zip_error_set(&error, zipError, systemError);
        return -1;
    }

    static zip_int64_t callback(void* self, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
        auto* source = static_cast<Derived*>(self);
        switch (command) {
            case ZIP_SOURCE_ERROR:
                return zip_error_to_data(&source->error, data, length);
            case ZIP_SOURCE_FREE:
                delete source;
                return 0;
            default:
                return source->handle(data, length, command);
        }
    }
};

}  // namespace vellora::zipsupport
