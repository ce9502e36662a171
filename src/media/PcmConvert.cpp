#include "PcmConvert.h"

#include <algorithm>
#include <cstring>

namespace vellora {

namespace {

void put(char* out, QAudioFormat::SampleFormat format, float v) {
    switch (format) {
        case QAudioFormat::UInt8: {
            const auto s = uint8_t(std::clamp(int(v / 256.f) + 128, 0, 255));
            std::memcpy(out, &s, 1);
            break;
        }
        case QAudioFormat::Int16: {
            const auto s = int16_t(std::clamp(v, -32768.f, 32767.f));
            std::memcpy(out, &s, 2);
            break;
        }
        case QAudioFormat::Int32: {
            const auto s = int32_t(std::clamp(v, -32768.f, 32767.f)) * 65536;
            std::memcpy(out, &s, 4);
            break;
        }
        case QAudioFormat::Float: {
            const float s = v / 32768.f;
            std::memcpy(out, &s, 4);
            break;
        }
        default:
            break;
    }
}

}  // namespace

int64_t outputFrames(int64_t srcFrames, int srcRate, int outRate) {
    if (srcRate <= 0 || outRate <= 0 || srcFrames <= 0) return 0;
    if (srcRate == outRate) return srcFrames;
    return srcFrames * outRate / srcRate;
}

QByteArray renderFrames(const WaveSound& sound, int64_t srcStart, int64_t srcEnd, int64_t outFirst,
                        int64_t count, const QAudioFormat& format) {
    const int outCh = format.channelCount();
    const int bytes = format.bytesPerSample();
    const int srcCh = sound.channels;
    if (count <= 0 || outCh <= 0 || bytes <= 0 || srcCh <= 0 || srcEnd <= srcStart) return {};
    QByteArray out(qsizetype(count) * outCh * bytes, '\0');
    char* p = out.data();
    const int16_t* s = sound.samples.data();
    const bool sameRate = format.sampleRate() == sound.sampleRate;
    const double step = double(sound.sampleRate) / format.sampleRate();
    auto sample = [&](int64_t frame, int c) -> float {
        frame = std::clamp(frame, srcStart, srcEnd - 1);
        if (srcCh == 2 && outCh == 1) return (float(s[frame * 2]) + float(s[frame * 2 + 1])) / 2.f;
        return float(s[frame * srcCh + std::min(c, srcCh - 1)]);
    };
    for (int64_t j = 0; j < count; ++j) {
        const int64_t k = outFirst + j;
        int64_t i0 = srcStart + k;
        float frac = 0.f;
        if (!sameRate) {
            const double at = double(k) * step;
            i0 = srcStart + int64_t(at);
            frac = float(at - double(int64_t(at)));
        }
        for (int c = 0; c < outCh; ++c, p += bytes) {
            float v = sample(i0, c);
            if (frac > 0.f) v += (sample(i0 + 1, c) - v) * frac;
            put(p, format.sampleFormat(), v);
        }
    }
    return out;
}

}  // namespace vellora
