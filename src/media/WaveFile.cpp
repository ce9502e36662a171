#include "WaveFile.h"

#include "MediaTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vellora {

namespace {

constexpr int kMinRate = 4000;
constexpr int kMaxRate = 192000;
constexpr sf_count_t kChunkFrames = 4096;

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Flushes a directory so that a rename inside it survives a crash.
bool syncDirectory(const QString& dir) {
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

int64_t WaveSound::frameAt(int64_t ms) const {
    if (ms <= 0 || sampleRate <= 0) return 0;
    const int64_t frame = (ms * sampleRate + 500) / 1000;
    return std::min(frame, frames());
}

std::optional<WaveSound> readWave(const QString& path, QString* error) {
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return std::optional<WaveSound>();
    };
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) return fail(texts::kMediaMissing.arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(texts::kMediaUnreadable.arg(path, file.errorString()));

    SF_INFO sfInfo{};
    SNDFILE* sf = sf_open_fd(file.handle(), SFM_READ, &sfInfo, 0);
    if (!sf) return fail(texts::kNotSound.arg(path, QString::fromUtf8(sf_strerror(nullptr))));
    struct Closer {
        SNDFILE* sf;
        ~Closer() { sf_close(sf); }
    } closer{sf};

    if (sfInfo.channels < 1 || sfInfo.channels > 2 || sfInfo.samplerate < kMinRate ||
        sfInfo.samplerate > kMaxRate)
        return fail(texts::kSoundShape.arg(path).arg(sfInfo.channels).arg(sfInfo.samplerate));
    // Float samples beyond full scale are clipped rather than wrapped.
    sf_command(sf, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    WaveSound sound;
    sound.sampleRate = sfInfo.samplerate;
    sound.channels = sfInfo.channels;
    const int64_t maxFrames = int64_t(kMaxSoundMinutes) * 60 * sound.sampleRate;
    // What the header claims is only a hint, bounded by what the file can hold.
    const int64_t hinted = std::clamp<int64_t>(sfInfo.frames, 0, std::min<int64_t>(maxFrames, info.size()));
    sound.samples.reserve(size_t(hinted) * size_t(sound.channels));
    std::vector<int16_t> chunk(size_t(kChunkFrames) * size_t(sound.channels));
    for (;;) {
        const sf_count_t got = sf_readf_short(sf, chunk.data(), kChunkFrames);
        if (got <= 0) break;
        if (sound.frames() + got > maxFrames)
            return fail(texts::kSoundTooLong.arg(path).arg(kMaxSoundMinutes));
        sound.samples.insert(sound.samples.end(), chunk.begin(), chunk.begin() + got * sound.channels);
    }
    sound.samples.shrink_to_fit();
    return sound;
}

struct WaveWriter::File {
    int fd = -1;
    SNDFILE* sf = nullptr;
    QString path;
};

WaveWriter::WaveWriter() = default;

WaveWriter::~WaveWriter() { close(); }

bool WaveWriter::open(const QString& path, int sampleRate, int channels, int subFormat) {
    close();
    frames_ = 0;
    auto file = std::make_unique<File>();
    file->path = path;
    file->fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file->fd < 0) {
        error_ = systemError();
        return false;
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | (subFormat ? subFormat : SF_FORMAT_PCM_16);
    file->sf = sf_open_fd(file->fd, SFM_WRITE, &info, 0);
    if (!file->sf) {
        error_ = QString::fromUtf8(sf_strerror(nullptr));
        ::close(file->fd);
        return false;
    }
    file_ = std::move(file);
    return true;
}

bool WaveWriter::isOpen() const { return file_ != nullptr; }

bool WaveWriter::write(const int16_t* samples, int64_t frames) {
    return file_ && counted(sf_writef_short(file_->sf, samples, frames), frames);
}

bool WaveWriter::writeFloat(const float* samples, int64_t frames) {
    return file_ && counted(sf_writef_float(file_->sf, samples, frames), frames);
}

bool WaveWriter::counted(int64_t done, int64_t asked) {
    frames_ += done;
    if (done != asked) error_ = QString::fromUtf8(sf_strerror(file_->sf));
    return done == asked;
}

bool WaveWriter::close() {
    if (!file_) return true;
    bool ok = sf_close(file_->sf) == 0;
    if (!ok) error_ = QString::fromUtf8(sf_strerror(nullptr));
    if (::fdatasync(file_->fd) != 0) {
        if (ok) error_ = systemError();
        ok = false;
    }
    ::close(file_->fd);
    file_.reset();
    return ok;
}

bool writeWave(const QString& path, const WaveSound& sound, QString* error) {
    WaveWriter writer;
    if (writer.open(path, sound.sampleRate, sound.channels) && writer.write(sound.samples.data(), sound.frames()) &&
        writer.close())
        return true;
    if (error) *error = writer.errorString();
    QFile::remove(path);
    return false;
}

bool saveFileDurably(const QString& source, const QString& target, QString* error) {
    const QString part = target + QStringLiteral(".part");
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        QFile::remove(part);
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return fail(in.errorString());
    const int fd = ::open(QFile::encodeName(part).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return fail(systemError());
    QByteArray block;
    bool ok = true;
    while (ok && !(block = in.read(1 << 16)).isEmpty()) {
        const char* p = block.constData();
        qsizetype left = block.size();
        while (left > 0) {
            const ssize_t n = ::write(fd, p, size_t(left));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = false;
                break;
            }
            p += n;
            left -= n;
        }
    }
    QString why = ok ? QString() : systemError();
    if (ok && in.error() != QFileDevice::NoError) {
        ok = false;
        why = in.errorString();
    }
    if (ok && ::fdatasync(fd) != 0) {
        ok = false;
        why = systemError();
    }
    ::close(fd);
    if (!ok) return fail(why);
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(systemError());
    syncDirectory(QFileInfo(target).absolutePath());
    return true;
}

}  // namespace vellora
