#pragma once

#include "WaveFile.h"

#include <QAudioFormat>
#include <QByteArray>

namespace vellora {

// How many frames at `outRate` a stretch of `srcFrames` at `srcRate` becomes.
int64_t outputFrames(int64_t srcFrames, int srcRate, int outRate);

// Renders output frames [outFirst, outFirst + count) of the stretch of
// `sound` that starts at source frame `srcStart` and ends before `srcEnd`,
// in `format` (any sample format, channel count and rate the sound device
// asks for; rates are converted by linear interpolation, channels by copying
// or averaging).
QByteArray renderFrames(const WaveSound& sound, int64_t srcStart, int64_t srcEnd, int64_t outFirst,
                        int64_t count, const QAudioFormat& format);

}  // namespace vellora
