#include "ZipPieces.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <QFile>
#include <algorithm>
#include <cerrno>

#include "ZipSupport.h"

namespace vellora::zipsupport {

ArchivePieces::ArchivePieces(const QStringList& paths) {
    for (const QString& path : paths) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat sb {};
        if (fd < 0 || ::fstat(fd, &sb) != 0 || !S_ISREG(sb.st_mode)) {
            systemError_ = fd < 0 ? errno : (S_ISDIR(sb.st_mode) ? EISDIR : EINVAL);
            if (fd >= 0) ::close(fd);
            failedPath_ = path;
            return;
        }
        pieces_.push_back({fd, size_, quint64(sb.st_size), sb.st_dev, sb.st_ino});
        size_ += quint64(sb.st_size);
    }
}

ArchivePieces::~ArchivePieces() {
    for (const Piece& p : pieces_) ::close(p.fd);
}

qint64 ArchivePieces::readAt(quint64 offset, char* data, quint64 length) const {
    // The first piece that ends after `offset`.
    auto piece = std::upper_bound(pieces_.begin(), pieces_.end(), offset,
                                  [](quint64 at, const Piece& p) { return at < p.start + p.size; });
    quint64 done = 0;
    while (done < length && piece != pieces_.end()) {
        const quint64 within = offset + done - piece->start;
        if (within >= piece->size) {  // an empty piece, or this one read whole
            ++piece;
            continue;
        }
        const quint64 want = std::min(length - done, piece->size - within);
        const ssize_t n = ::pread(piece->fd, data + done, size_t(want), off_t(within));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;  // cut short since it was opened
        done += quint64(n);
    }
    return qint64(done);
}

bool ArchivePieces::holds(dev_t device, ino_t inode) const {
    return std::any_of(pieces_.begin(), pieces_.end(),
                       [&](const Piece& p) { return p.device == device && p.inode == inode; });
}

void ArchivePieces::adviseSequential() const {
    for (const Piece& p : pieces_) ::posix_fadvise(p.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

namespace {

// What libzip reads through: a position over the pieces.
struct PiecesSource : CallbackSource<PiecesSource> {
    const ArchivePieces* pieces;
    quint64 position = 0;

    explicit PiecesSource(const ArchivePieces* p) : pieces(p) {}

    zip_int64_t handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
            case ZIP_SOURCE_OPEN:
                position = 0;
                return 0;
            case ZIP_SOURCE_READ: {
                const qint64 n = pieces->readAt(position, static_cast<char*>(data), length);
                if (n < 0) return fail(ZIP_ER_READ, errno);
                position += quint64(n);
                return n;
            }
            case ZIP_SOURCE_CLOSE:
                return 0;
            case ZIP_SOURCE_SEEK: {
                const zip_int64_t to = zip_source_seek_compute_offset(
                    position, pieces->size(), data, length, &error);
                if (to < 0) return -1;
                position = quint64(to);
                return 0;
            }
            case ZIP_SOURCE_TELL:
                return zip_int64_t(position);
            case ZIP_SOURCE_STAT: {
                auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
                if (!st) return -1;
                zip_stat_init(st);
                st->valid = ZIP_STAT_SIZE;
                st->size = pieces->size();
                return sizeof(*st);
            }
            case ZIP_SOURCE_SUPPORTS:
                return zip_source_make_command_bitmap(
                    ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_SEEK,
                    ZIP_SOURCE_TELL, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
            default:
                return fail(ZIP_ER_OPNOTSUPP);
        }
    }
};

}  // namespace

zip_source_t* ArchivePieces::source(zip_error_t* error) const {
    auto* reader = new PiecesSource(this);
    zip_source_t* made = zip_source_function_create(&PiecesSource::callback, reader, error);
    if (!made) delete reader;
    return made;
}

}  // namespace vellora::zipsupport
