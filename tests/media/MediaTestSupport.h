#pragma once

#include "WaveFile.h"

#include <QString>

#include <sndfile.h>

#include <cmath>
#include <vector>

namespace vellora::testing {

// Writes a WAV of `frames` frames: a 440 Hz tone at half scale, in the
// libsndfile sub-format asked for. True when written.
inline bool writeTone(const QString& path, int rate, int channels, int64_t frames,
                      int subFormat = SF_FORMAT_PCM_16) {
    WaveWriter writer;
    if (!writer.open(path, rate, channels, subFormat)) return false;
    std::vector<int16_t> samples(size_t(frames) * size_t(channels));
    for (int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            samples[size_t(f * channels + c)] = int16_t(16000 * std::sin(2 * M_PI * 440 * double(f) / rate));
    return writer.write(samples.data(), frames) && writer.close();
}

}  // namespace vellora::testing
