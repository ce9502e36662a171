#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vellora {

// A whole sound decoded to interleaved 16-bit samples: what the player feeds
// the sound device. Any format libsndfile reads (PCM of any width, float,
// IMA/MS ADPCM, ...) ends up here.
struct WaveSound {
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples;

    int64_t frames() const { return channels > 0 ? int64_t(samples.size()) / channels : 0; }
    // Whole milliseconds of sound.
    int64_t lengthMs() const { return sampleRate > 0 ? frames() * 1000 / sampleRate : 0; }
    // The frame that sounds at `ms` (rounded to the nearest frame, within the sound).
    int64_t frameAt(int64_t ms) const;
};

// The longest sound the player takes; anything longer is refused at open.
inline constexpr int kMaxSoundMinutes = 60;

// Reads and decodes a sound file. The file's header is never trusted for
// sizes: samples are read in chunks until the data actually ends, so a
// header claiming more than the file holds gives the sound that is there.
// On failure returns nothing and sets `error` to a text for the user.
std::optional<WaveSound> readWave(const QString& path, QString* error);

// Writes a 16-bit PCM WAV file piece by piece (recording, tests).
class WaveWriter {
public:
    WaveWriter();
    ~WaveWriter();
    WaveWriter(const WaveWriter&) = delete;
    WaveWriter& operator=(const WaveWriter&) = delete;

    // `subFormat` is a libsndfile sub-format (16-bit PCM unless told).
    bool open(const QString& path, int sampleRate, int channels, int subFormat = 0);
    bool isOpen() const;
    // Interleaved samples, `frames` frames of `channels` each.
    bool write(const int16_t* samples, int64_t frames);
    bool writeFloat(const float* samples, int64_t frames);
    // Finishes the header and flushes the file to the disk.
    bool close();
    int64_t framesWritten() const { return frames_; }
    QString errorString() const { return error_; }

private:
    bool counted(int64_t done, int64_t asked);

    struct File;
    std::unique_ptr<File> file_;
    int64_t frames_ = 0;
    QString error_;
};

// Writes a whole sound as a 16-bit WAV file; false, with `error`, when it
// could not (a half-written file is removed).
bool writeWave(const QString& path, const WaveSound& sound, QString* error);

// Replaces `target` by a copy of `source` so that a reader sees the old file
// or the whole new one: copy beside the target, flush, rename, flush the
// directory.
bool saveFileDurably(const QString& source, const QString& target, QString* error);

}  // namespace vellora
