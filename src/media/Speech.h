#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "WaveFile.h"

namespace vellora {

// Where the synthesiser started a word: its place in the text (characters
// from 0) and in the sound.
struct WordEvent {
    int textPosition = 0;
    int length = 0;
    int64_t audioMs = 0;
};

// Speech made from text by espeak-ng, with the start of every word it spoke.
struct SpokenText {
    WaveSound sound;
    std::vector<WordEvent> words;
};

// Speaks `text` with `voice` (an espeak-ng voice name, "en" when empty) at
// `wordsPerMinute`. Nothing, with `error` set, when the synthesiser cannot
// start or the voice does not exist.
std::optional<SpokenText> speakText(const QString& text, const QString& voice, int wordsPerMinute, QString* error);

// The voices the synthesiser has (their espeak-ng names), "en" first.
QStringList speechVoices();

// Words whose onset is unknown (below 0) get one between their known
// neighbours' (the sound's start and end at the edges), spread evenly.
void fillMissingOnsets(std::vector<int64_t>& onsets, int64_t lengthMs);

// The page's stop times from the spoken words: `wurds` are the page's words
// in order, found in `text` one after another. Entry 0 is where word 1
// starts (the leader's end), entry n where word n+1 starts, and the last
// word ends with the sound. A word the synthesiser gave no event gets a time
// between its neighbours'.
std::vector<int64_t> stopTimesFromEvents(const QString& text, const QStringList& wurds,
                                         const std::vector<WordEvent>& events, int64_t lengthMs);

}  // namespace vellora
