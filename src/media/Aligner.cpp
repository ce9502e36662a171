#include "Aligner.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/jsgf.h>

#include <QAudioFormat>
#include <QFileInfo>
#include <QMutex>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "MediaTexts.h"
#include "PcmConvert.h"
#include "Speech.h"

namespace vellora {
namespace {

constexpr int kRate = 16000;
constexpr int kFrameMs = 10;
// The shortest a spoken word can be; a sound with less per word is no reading of them.
constexpr int64_t kMinWordMs = 60;
const char* const kModel = "/usr/share/pocketsphinx/model/en-us";
// The decoder's default language weight, for the page's grammar.
constexpr float kLanguageWeight = 6.5f;

bool isVowel(QChar c) {
    switch (c.unicode()) {
        case 'a': case 'e': case 'i': case 'o': case 'u': case 'y': return true;
        default: return false;
    }
}

// The word as the recogniser's dictionary spells it: lower case letters and
// apostrophes only.
QString spoken(const QString& wurd) {
    QString w;
    for (QChar c : wurd.toLower())
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('\'')) w += c;
    return w;
}

// A pronunciation guessed letter by letter for a word the dictionary lacks.
QByteArray guessPhones(const QString& w) {
    static const char* const kLetter[26] = {"AE", "B", "K", "D", "EH", "F", "G", "HH", "IH", "JH", "K", "L", "M",
                                            "N",  "AA", "P", "K", "R", "S", "T", "AH", "V", "W", "K S", "Y", "Z"};
    QByteArray phones;
    for (QChar c : w) {
        if (c < QLatin1Char('a') || c > QLatin1Char('z')) continue;
        if (!phones.isEmpty()) phones += ' ';
        phones += kLetter[c.unicode() - 'a'];
    }
    return phones;
}

bool startsWithStop(const QString& w) {
    return !w.isEmpty() && QStringLiteral("pbtdkgcq").contains(w[0]);
}

bool endsClause(const QString& wurd) {
    const QString t = wurd.trimmed();
    return !t.isEmpty() && QStringLiteral(".,;:!?").contains(t.back());
}

// The recogniser, made once: loading the model is the slow part.
struct Recogniser {
    ps_decoder_t* ps = nullptr;
    Recogniser() {
        const QByteArray model(kModel);
        if (!QFileInfo(QString::fromLatin1(model + "/en-us")).isDir()) return;
        const QByteArray hmm = model + "/en-us", dict = model + "/cmudict-en-us.dict";
        cmd_ln_t* config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-dict", dict.constData(),
                                       "-remove_silence", "no", "-beam", "1e-80", "-pbeam", "1e-80", "-wbeam", "1e-60",
                                       "-logfn", "/dev/null", "-samprate", "16000", nullptr);
        if (config) ps = ps_init(config);
    }
};

QMutex& recogniserLock() {
    static QMutex lock;
    return lock;
}

struct Segment {
    QString word;
    int64_t startMs;
    int64_t endMs;
};

// Speech recognition held to the page's words; the segments in order, or
// nothing when it could not follow them.
std::optional<std::vector<Segment>> recognise(const std::vector<int16_t>& samples, const QStringList& words,
                                              const std::function<bool(int)>& progress) {
    QMutexLocker locker(&recogniserLock());
    static Recogniser r;
    if (!r.ps) return std::nullopt;
    QByteArray grammar = "#JSGF V1.0;\ngrammar page;\npublic <page> =";
    for (const QString& w : words) {
        const QByteArray word = w.toUtf8();
        // The dictionary answers a copy of the pronunciation, ours to free.
        if (char* known = ps_lookup_word(r.ps, word.constData())) {
            ckd_free(known);
        } else {
            const QByteArray phones = guessPhones(w);
            if (phones.isEmpty() || ps_add_word(r.ps, word.constData(), phones.constData(), FALSE) < 0)
                return std::nullopt;
        }
        grammar += ' ' + word;
    }
    grammar += " ;\n";
    // The grammar is parsed and freed here: handing the text to the decoder
    // would leave each page's parsed grammar behind.
    jsgf_t* jsgf = jsgf_parse_string(grammar.constData(), nullptr);
    if (!jsgf) return std::nullopt;
    jsgf_rule_t* rule = jsgf_get_public_rule(jsgf);
    fsg_model_t* fsg = rule ? jsgf_build_fsg(jsgf, rule, ps_get_logmath(r.ps), kLanguageWeight) : nullptr;
    jsgf_grammar_free(jsgf);
    if (!fsg) return std::nullopt;
    const int set = ps_set_fsg(r.ps, "page", fsg);
    fsg_model_free(fsg);  // the search keeps its own reference
    if (set < 0 || ps_set_search(r.ps, "page") < 0) return std::nullopt;
    if (ps_start_utt(r.ps) < 0) return std::nullopt;
    // A second of sound at a time, so that the run shows progress and can stop.
    const size_t step = kRate;
    for (size_t at = 0; at < samples.size(); at += step) {
        if (progress && !progress(int(at * 90 / std::max<size_t>(1, samples.size())))) {
            ps_end_utt(r.ps);
            return std::nullopt;
        }
        ps_process_raw(r.ps, samples.data() + at, std::min(step, samples.size() - at), FALSE, FALSE);
    }
    ps_end_utt(r.ps);
    std::vector<Segment> segments;
    for (ps_seg_t* s = ps_seg_iter(r.ps); s; s = ps_seg_next(s)) {
        int sf = 0, ef = 0;
        ps_seg_frames(s, &sf, &ef);
        QString w = QString::fromUtf8(ps_seg_word(s));
        w = w.section(QLatin1Char('('), 0, 0);  // "on(2)": a second pronunciation
        segments.push_back({w, int64_t(sf) * kFrameMs, int64_t(ef + 1) * kFrameMs});
    }
    // The decoder counts frames on from its earlier utterances: the last
    // segment ends with this sound, which places them all.
    if (!segments.empty()) {
        const int64_t offset = segments.back().endMs - int64_t(samples.size()) * 1000 / kRate;
        if (offset > kFrameMs)
            for (Segment& g : segments) g.startMs -= offset, g.endMs -= offset;
    }
    int matched = 0;
    for (const Segment& g : segments)
        if (matched < words.size() && g.word == words[matched]) ++matched;
    if (matched != words.size()) return std::nullopt;
    return segments;
}

// Loudness of each 10 ms of the sound.
std::vector<double> energyOf(const std::vector<int16_t>& samples) {
    std::vector<double> e;
    const size_t frame = kRate / 100;
    for (size_t at = 0; at + frame <= samples.size(); at += frame) {
        double sum = 0;
        for (size_t k = at; k < at + frame; ++k) sum += double(samples[k]) * samples[k];
        e.push_back(std::sqrt(sum / double(frame)));
    }
    return e;
}

// Without recognition: speech found from the sound's loudness, and the
// stretch from its first to its last loud moment shared out by syllables.
Alignment estimateFromPauses(const std::vector<double>& energy, double threshold, const QStringList& wurds) {
    size_t first = 0, last = energy.size();
    while (first < energy.size() && energy[first] < threshold) ++first;
    while (last > first && energy[last - 1] < threshold) --last;
    Alignment a;
    const int n = int(wurds.size());
    std::vector<int> units;
    int total = 0;
    for (const QString& w : wurds) total += units.emplace_back(SyllableUnits(w));
    const int64_t start = int64_t(first) * kFrameMs, end = int64_t(last) * kFrameMs;
    a.stops.push_back(start);
    int done = 0;
    for (int k = 0; k < n; ++k) {
        done += units[size_t(k)];
        a.stops.push_back(start + (end - start) * done / std::max(1, total));
    }
    a.confidence.assign(size_t(n), 0.3);
    return a;
}

}  // namespace

int SyllableUnits(const QString& wurd) {
    const QString w = wurd.toLower();
    int c = 0;
    for (int k = 0; k < w.size(); ++k) {
        const QChar ch = w[k];
        if (ch == QLatin1Char('.') || ch == QLatin1Char('?') || ch == QLatin1Char('!'))
            ++c;
        else if (isVowel(ch) && (k == 0 || !isVowel(w[k - 1])))
            ++c;
    }
    return std::max(c, 1);
}

std::optional<Alignment> alignWords(const WaveSound& sound, const QStringList& wurds, QString* error,
                                    const std::function<bool(int)>& progress) {
    auto fail = [&](const QString& why) -> std::optional<Alignment> {
        if (error) *error = why;
        return std::nullopt;
    };
    const int n = int(wurds.size());
    if (n == 0) return Alignment{{0}, {}, true};
    if (sound.lengthMs() < kMinWordMs * n) return fail(texts::kAlignTooShort.arg(sound.lengthMs()).arg(n));
    QAudioFormat format;
    format.setSampleRate(kRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    const int64_t frames = outputFrames(sound.frames(), sound.sampleRate, kRate);
    const QByteArray pcm = renderFrames(sound, 0, sound.frames(), 0, frames, format);
    std::vector<int16_t> samples(size_t(pcm.size()) / 2);
    std::memcpy(samples.data(), pcm.constData(), samples.size() * 2);
    const std::vector<double> energy = energyOf(samples);
    const double loudest = energy.empty() ? 0 : *std::max_element(energy.begin(), energy.end());
    if (loudest < 100) return fail(texts::kAlignSilent);
    if (progress && !progress(0)) return fail(texts::kAlignCancelled);

    QStringList words;  // the recogniser's spelling of each word that has letters
    std::vector<int> wurdOf;
    for (int k = 0; k < n; ++k) {
        const QString w = spoken(wurds[k]);
        if (w.isEmpty()) continue;
        words << w;
        wurdOf.push_back(k);
    }
    const auto segments = words.isEmpty() ? std::nullopt : recognise(samples, words, progress);
    if (progress && !progress(95)) return fail(texts::kAlignCancelled);
    if (!segments) return estimateFromPauses(energy, loudest / 10, wurds);

    Alignment a;
    a.recognised = true;
    std::vector<int64_t> onset(size_t(n), -1), end(size_t(n), -1);
    a.confidence.assign(size_t(n), 0.0);
    int next = 0;
    const Segment* silence = nullptr;
    for (const Segment& g : *segments) {
        if (next >= words.size() || g.word != words[next]) {
            if (g.word == QLatin1String("<sil>")) silence = &g;
            continue;
        }
        const int k = wurdOf[size_t(next)];
        int64_t at = g.startMs;
        // The recogniser hears a stop consonant's closure as silence: before
        // such a word the silence is the word's own, unless the text pauses
        // there (then only the closure's last moments are). Any other word
        // starts where the silence ends.
        if (silence && silence->endMs == g.startMs && startsWithStop(words[next])) {
            const bool pause = k > 0 && endsClause(wurds[k - 1]);
            at = pause ? std::max(silence->startMs, g.startMs - 60) : silence->startMs;
        }
        onset[size_t(k)] = at;
        end[size_t(k)] = g.endMs;
        const int64_t length = g.endMs - g.startMs;
        a.confidence[size_t(k)] = length < 40 ? 0.3 : 0.9;
        silence = nullptr;
        ++next;
    }
    // Words without letters: between their neighbours.
    fillMissingOnsets(onset, sound.lengthMs());
    a.stops.push_back(onset[0]);
    for (int k = 1; k < n; ++k) a.stops.push_back(std::max(onset[size_t(k)], a.stops.back()));
    const int64_t lastEnd = end[size_t(n) - 1] >= 0 ? end[size_t(n) - 1] : sound.lengthMs();
    a.stops.push_back(std::clamp(lastEnd, a.stops.back(), sound.lengthMs()));
    if (progress) progress(100);
    return a;
}

}  // namespace vellora
