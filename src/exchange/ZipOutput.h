#pragma once

#include <QtGlobal>

namespace vellora {

// Where TInfoZip writes a stored archive instead of a file of its own: the
// disks of a package, say. The archive's size is told before its first byte,
// and it is written from start to end in parts; a byte can be rewritten only
// while the part that holds it is still being written.
class ZipOutput {
  public:
    virtual ~ZipOutput() = default;

    // Before anything is written: the archive will be exactly `size` bytes.
    virtual void begin(quint64 size) = 0;
    // Adds bytes at the end.
    virtual void write(const char* data, qsizetype length) = 0;
    // How many more bytes the part being written takes; 0 when it is full
    // and the next part has not begun.
    virtual quint64 room() const = 0;
    // Rewrites bytes already written at `offset` in the archive; they lie in
    // the part being written.
    virtual void rewrite(quint64 offset, const char* data, qsizetype length) = 0;
    // Every byte has been written.
    virtual void commit() = 0;
};

}  // namespace vellora
