#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <QtGlobal>

#include "WurdLayout.h"

namespace vellora {

// Stop times of a page, in milliseconds from the start of its sound: entry
// n (1..150) is where word n ends, entry 0 where the leader (the silence
// before word 1) ends. One spare entry past the last word takes a Longer or
// Shorter pressed after the last word was frozen. 64-bit, so a narration of
// any length synchronises to its end.
using StopTimeTable = std::array<qint64, kMaxWurds + 2>;

// Syllable units from each word to the end of the page: entry n (1..count)
// counts word n and every word after it plus the end pause; entry 0 adds the
// leader.
using SyllableTable = std::array<int, kMaxWurds + 2>;

inline constexpr int kLeaderWeight = 2;
inline constexpr int kEndPauseWeight = 1;

// One word's units: one per group of vowels (a e i o u y) and one per
// sentence end (. ? !); at least one.
int SyllableCount(const QString& wurd);

// The table for `wurds` (word n is wurds[n - 1], at most 150 of them).
SyllableTable EstimateSyllables(const QStringList& wurds, int leaderWeight = kLeaderWeight,
                                int endPauseWeight = kEndPauseWeight);

// The estimated end of stretch i (0 the leader) of a page of n words starting
// at `start` in a sound of `length` ms: the remaining time shared out by the
// units after the stretch, never past the sound's end nor before
// `previousStop`.
qint64 EstimateStop(const SyllableTable& counts, int i, int n, qint64 start, qint64 length, qint64 previousStop,
                     int endPauseWeight = kEndPauseWeight);

// Which of the three Longer (or Shorter) buttons: a full step, a quarter, a
// twenty-fifth.
enum class StepSize { Full, Quarter, TwentyFifth };
qint64 StepOf(StepSize size, qint64 increment);

// A stretch's end moved by one step, kept within previousStop..soundLength - 1.
qint64 Lengthen(qint64 current, qint64 step, qint64 previousStop, qint64 soundLength);
qint64 Shorten(qint64 current, qint64 step, qint64 previousStop, qint64 soundLength);

}  // namespace vellora
