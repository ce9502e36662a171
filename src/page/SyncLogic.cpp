#include "SyncLogic.h"

#include "Aligner.h"

#include <algorithm>

namespace vellora {

int SyllableCount(const QString& wurd) { return SyllableUnits(wurd); }

SyllableTable EstimateSyllables(const QStringList& wurds, int leaderWeight, int endPauseWeight) {
    SyllableTable t{};
    const int count = std::min<int>(int(wurds.size()), kMaxWurds);
    for (int n = count; n >= 1; --n) {
        const int c = SyllableCount(wurds[n - 1]);
        t[size_t(n)] = n == count ? c + endPauseWeight : c + t[size_t(n) + 1];
    }
    if (count >= 1) t[0] = t[1] + leaderWeight;
    return t;
}

qint64 EstimateStop(const SyllableTable& counts, int i, int n, qint64 start, qint64 length, qint64 previousStop,
                     int endPauseWeight) {
    if (i < 0 || i > n || n > kMaxWurds) return std::max(previousStop, qint64{0});
    const qint64 remaining = length - start;
    qint64 own = 0;
    qint64 divisor = 0;
    if (i == n) {
        own = counts[size_t(n)] - endPauseWeight;
        divisor = endPauseWeight;
    } else {
        own = counts[size_t(i)] - counts[size_t(i) + 1];
        divisor = counts[size_t(i) + 1];
    }
    // A table that was never filled shares nothing out.
    qint64 stop = divisor > 0 ? remaining / divisor * own + start : start;
    stop = std::min(stop, length);
    return std::max(stop, previousStop);
}

qint64 StepOf(StepSize size, qint64 increment) {
    switch (size) {
        case StepSize::Quarter: return increment / 4;
        case StepSize::TwentyFifth: return increment / 25;
        case StepSize::Full: break;
    }
    return increment;
}

qint64 Lengthen(qint64 current, qint64 step, qint64 previousStop, qint64 soundLength) {
    if (current + step >= soundLength) step = soundLength - current - 1;
    const qint64 end = std::max(current + step, previousStop);
    return std::min(end, soundLength - 1);
}

qint64 Shorten(qint64 current, qint64 step, qint64 previousStop, qint64 soundLength) {
    const qint64 end = std::max(current - step, previousStop);
    return std::min(end, soundLength - 1);
}

}  // namespace vellora
