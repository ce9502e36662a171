#pragma once

// Pieces shared by export and import; not for use outside them.

#include <QString>
#include <exception>

#include "Exchange.h"

namespace vellora::exchangesupport {

// The busy cursor, SavingSuspended and the per-run counters, put back on
// every way out of an export or import, errors included.
class RunGuard {
public:
    RunGuard(ExchangeContext& context, bool suspendSaving);
    ~RunGuard();
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    ExchangeContext& context_;
};

// The text of an error caught while exporting or importing.
QString errorDetail(const std::exception_ptr& error);

// Deletes the package files (archive and tables) from `directory`, in the
// order given; names are matched without regard to case.
void deletePackageFiles(const QString& directory, const QStringList& patterns, ExchangeContext& context);

// `a` and `b` name the same directory.
bool sameDirectory(const QString& a, const QString& b);

}  // namespace vellora::exchangesupport
