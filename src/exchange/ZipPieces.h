#pragma once

// An archive read from one file or from the pieces of a package cut over
// several disks; not for use outside the zip components.

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

typedef struct zip_source zip_source_t;
typedef struct zip_error zip_error_t;

namespace vellora::zipsupport {

// The bytes of an archive as one run, whether they lie in one file or in
// several read one after the other. Every piece is opened at once and its
// size taken then; a piece that shrinks afterwards reads as the end.
class ArchivePieces {
  public:
    explicit ArchivePieces(const QStringList& paths);
    ~ArchivePieces();
    ArchivePieces(const ArchivePieces&) = delete;
    ArchivePieces& operator=(const ArchivePieces&) = delete;

    // False when a piece could not be opened or is not a plain file:
    // failedPath() and systemError() tell which and why.
    bool isOpen() const { return failedPath_.isEmpty(); }
    const QString& failedPath() const { return failedPath_; }
    int systemError() const { return systemError_; }

    quint64 size() const { return size_; }

    // Reads up to `length` bytes at `offset`, crossing from piece to piece;
    // fewer only at the end. -1 with errno set when a read fails.
    qint64 readAt(quint64 offset, char* data, quint64 length) const;

    // True when the file (device, inode) is one of the pieces.
    bool holds(dev_t device, ino_t inode) const;

    // Tells the system the pieces will be read from start to end.
    void adviseSequential() const;

    // A seekable read-only libzip source over these bytes, for
    // zip_open_from_source; it must not outlive this object. Null with
    // `error` set when libzip cannot make one.
    zip_source_t* source(zip_error_t* error) const;

  private:
    struct Piece {
        int fd = -1;
        quint64 start = 0;  // offset of its first byte in the archive
        quint64 size = 0;
        dev_t device = 0;
        ino_t inode = 0;
    };
    std::vector<Piece> pieces_;
    quint64 size_ = 0;
    QString failedPath_;
    int systemError_ = 0;
};

}  // namespace vellora::zipsupport
