#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

#include "WaveFile.h"

namespace vellora {

// Every word's place in a page sound, found by listening to it.
struct Alignment {
    // Entry 0: where the first word starts (the leader's end); entry n: where
    // word n ends, which is where word n+1 starts; the last word ends with
    // its own sound.
    std::vector<int64_t> stops;
    // Per word (word n at n - 1), 0 to 1: how sure the aligner is of it.
    std::vector<double> confidence;
    // False when speech recognition could not follow the words and the times
    // come from the pauses in the sound instead.
    bool recognised = false;
};

// A word below this confidence is worth a listen.
inline constexpr double kLowConfidence = 0.6;

// Aligns `wurds` (a page's words in order, punctuation and all) with
// `sound`: forced alignment by speech recognition (pocketsphinx with its US
// English model), else an estimate from the sound's pauses shared out by
// syllables. `progress` gets 0..100 and answers false to cancel. Nothing,
// with `error` set, for a sound that is silent, too short for its words, or
// a cancelled run.
std::optional<Alignment> alignWords(const WaveSound& sound, const QStringList& wurds, QString* error,
                                    const std::function<bool(int)>& progress = {});

// Vowel groups and sentence ends of a word, at least one: the units the
// estimates share time by.
int SyllableUnits(const QString& wurd);

}  // namespace vellora
