#include "Speech.h"

#include <espeak-ng/speak_lib.h>

#include <QMutex>

#include "MediaTexts.h"

#include <algorithm>

namespace vellora {
namespace {

struct Collect {
    std::vector<int16_t> samples;
    std::vector<WordEvent> words;
    QByteArray utf8;
};

// Events count places in bytes of the UTF-8 text, from 1; words are found by
// character.
int charIndexOf(const QByteArray& utf8, int bytePosition) {
    return QString::fromUtf8(utf8.left(std::max(0, bytePosition - 1))).size();
}

int synthCallback(short* wav, int count, espeak_EVENT* events) {
    auto* c = static_cast<Collect*>(events->user_data);
    if (wav && count > 0) c->samples.insert(c->samples.end(), wav, wav + count);
    for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e)
        if (e->type == espeakEVENT_WORD)
            c->words.push_back({charIndexOf(c->utf8, e->text_position), e->length, int64_t(e->audio_position)});
    return 0;
}

// The synthesiser is one per process and not reentrant.
QMutex& engineLock() {
    static QMutex lock;
    return lock;
}

}  // namespace

// Starts the synthesiser once; its sample rate, 0 when it cannot start.
static int engineRate() {
    static const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    return rate;
}

QStringList speechVoices() {
    QMutexLocker locker(&engineLock());
    QStringList names;
    if (engineRate() <= 0) return names;
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v)
        if ((*v)->languages && (*v)->languages[0])
            names << QString::fromUtf8((*v)->languages + 1);  // past the priority byte
    names.removeDuplicates();
    names.sort();
    names.removeAll(QStringLiteral("en"));
    names.prepend(QStringLiteral("en"));
    return names;
}

std::optional<SpokenText> speakText(const QString& text, const QString& voice, int wordsPerMinute, QString* error) {
    QMutexLocker locker(&engineLock());
    const int rate = engineRate();
    auto fail = [&](const QString& why) -> std::optional<SpokenText> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (rate <= 0) return fail(texts::kSpeechNoEngine);
    const QByteArray name = (voice.isEmpty() ? QStringLiteral("en") : voice).toUtf8();
    if (espeak_SetVoiceByName(name.constData()) != EE_OK)
        return fail(texts::kSpeechNoVoice.arg(QString::fromUtf8(name)));
    espeak_SetParameter(espeakRATE, std::clamp(wordsPerMinute, 80, 450), 0);
    espeak_SetSynthCallback(synthCallback);
    Collect c;
    c.utf8 = text.toUtf8();
    if (espeak_Synth(c.utf8.constData(), size_t(c.utf8.size()) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                     &c) != EE_OK || espeak_Synchronize() != EE_OK)
        return fail(texts::kSpeechFailed);
    SpokenText spoken;
    spoken.sound.sampleRate = rate;
    spoken.sound.channels = 1;
    spoken.sound.samples = std::move(c.samples);
    spoken.words = std::move(c.words);
    return spoken;
}

void fillMissingOnsets(std::vector<int64_t>& onsets, int64_t lengthMs) {
    const int n = int(onsets.size());
    for (int k = 0; k < n; ++k) {
        if (onsets[size_t(k)] >= 0) continue;
        int next = k + 1;
        while (next < n && onsets[size_t(next)] < 0) ++next;
        const int64_t before = k > 0 ? onsets[size_t(k) - 1] : 0;
        const int64_t after = next < n ? onsets[size_t(next)] : lengthMs;
        onsets[size_t(k)] = before + (after - before) / (next - k + 1);
    }
}

std::vector<int64_t> stopTimesFromEvents(const QString& text, const QStringList& wurds,
                                         const std::vector<WordEvent>& events, int64_t lengthMs) {
    const int n = int(wurds.size());
    // Each word's place in the text, found in order.
    std::vector<int> start(size_t(n), -1), end(size_t(n), -1);
    int from = 0;
    for (int k = 0; k < n; ++k) {
        const QString w = wurds[k].trimmed();
        const int at = w.isEmpty() ? -1 : int(text.indexOf(w, from));
        if (at < 0) continue;
        start[size_t(k)] = at;
        end[size_t(k)] = at + int(w.size());
        from = end[size_t(k)];
    }
    // A word's onset: the first event that starts inside it.
    std::vector<int64_t> onset(size_t(n), -1);
    for (const WordEvent& e : events)
        for (int k = 0; k < n; ++k)
            if (start[size_t(k)] >= 0 && e.textPosition >= start[size_t(k)] && e.textPosition < end[size_t(k)]) {
                if (onset[size_t(k)] < 0 || e.audioMs < onset[size_t(k)]) onset[size_t(k)] = e.audioMs;
                break;
            }
    fillMissingOnsets(onset, lengthMs);
    std::vector<int64_t> stops(size_t(n) + 1, 0);
    if (n == 0) return stops;
    stops[0] = onset[0];
    for (int k = 1; k < n; ++k) stops[size_t(k)] = std::max(onset[size_t(k)], stops[size_t(k) - 1]);
    stops[size_t(n)] = std::max(lengthMs, stops[size_t(n) - 1]);
    return stops;
}

}  // namespace vellora
