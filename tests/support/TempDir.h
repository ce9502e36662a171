#pragma once

#include <QString>
#include <QTemporaryDir>

namespace vellora::testing {

// A fresh data directory that disappears with the test.
class TempDir {
public:
    TempDir() : dir_(QStringLiteral("/tmp/vellora-test-XXXXXX")) {}
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

}  // namespace vellora::testing
