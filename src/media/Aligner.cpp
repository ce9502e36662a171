#include "Aligner.h"

#include <pocketsphinx.h>
#include <sphinxbase/ckd_alloc.h>
#include <sphinxbase/cmn.h>
#include <sphinxbase/feat.h>
#include <sphinxbase/fe.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/genrand.h>

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
// How far the signal may move a boundary the recogniser found.
constexpr int64_t kSnapMs = 30;
// A silence longer than this is a pause, not a consonant's closure.
constexpr int64_t kPauseMs = 80;
// The closure of a stop consonant after a pause.
constexpr int64_t kClosureMs = 40;
// The longest release of a stop consonant: its burst and the aspiration
// after it, before the voice or the next sound starts.
constexpr int64_t kReleaseMs = 80;

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

// The recogniser, made once: loading the model is the slow part.
struct Recogniser {
    ps_decoder_t* ps = nullptr;
    Recogniser() {
        const QByteArray model(kModel);
        if (!QFileInfo(QString::fromLatin1(model + "/en-us")).isDir()) return;
        const QByteArray hmm = model + "/en-us", dict = model + "/cmudict-en-us.dict";
        cmd_ln_t* config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-dict", dict.constData(),
                                       "-remove_silence", "no", "-beam", "1e-80", "-pbeam", "1e-80", "-wbeam", "1e-60",
                                       "-logfn", "/dev/null", "-samprate", "16000",
                                       // Digital silence (synthetic speech, edited sound) has no
                                       // spectrum: without a trace of noise its frames throw the
                                       // cepstral mean off and the search can lose the page.
                                       // The noise starts from the same seed for every page, so a
                                       // page aligns the same every time.
                                       "-dither", "yes",
                                       // The page's grammar says where silence may come.
                                       "-fsgusefiller", "no", nullptr);
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
    double scorePerFrame;  // the recogniser's acoustic score, per 10 ms
};

// A consonant made by closing the mouth: silent while it is shut.
bool isStopPhone(const QString& phone) {
    static const QStringList stops = {QStringLiteral("P"), QStringLiteral("B"), QStringLiteral("T"), QStringLiteral("D"),
                                      QStringLiteral("K"), QStringLiteral("G"), QStringLiteral("CH"), QStringLiteral("JH")};
    return stops.contains(phone);
}

bool isVowelPhone(const QString& phone) {
    static const QStringList vowels = {QStringLiteral("AA"), QStringLiteral("AE"), QStringLiteral("AH"), QStringLiteral("AO"),
                                       QStringLiteral("AW"), QStringLiteral("AY"), QStringLiteral("EH"), QStringLiteral("ER"),
                                       QStringLiteral("EY"), QStringLiteral("IH"), QStringLiteral("IY"), QStringLiteral("OW"),
                                       QStringLiteral("OY"), QStringLiteral("UH"), QStringLiteral("UW")};
    return vowels.contains(phone);
}

// A sound made with the voice flowing freely (vowels, glides, liquids,
// nasals) or so weakly closed that it runs on like one (the breathy "h",
// the soft "th" of "the"): two of these side by side change into each other
// gradually, with no closure, burst or hiss to mark where one word ends.
bool flowsOn(const QString& phone) {
    static const QStringList consonants = {QStringLiteral("W"),  QStringLiteral("Y"), QStringLiteral("R"),
                                           QStringLiteral("L"),  QStringLiteral("M"), QStringLiteral("N"),
                                           QStringLiteral("NG"), QStringLiteral("HH"), QStringLiteral("DH")};
    return consonants.contains(phone) || isVowelPhone(phone);
}

struct Recognised {
    std::vector<Segment> segments;
    // Per word: whether it begins, and whether it ends, with a stop.
    std::vector<bool> startsWithStop, endsWithStop;
    // Per word: whether it begins, and whether it ends, with a sound that
    // flows on into its neighbour's.
    std::vector<bool> startsFlowing, endsFlowing;
    // Per word: whether a stop comes before its first vowel.
    std::vector<bool> closesBeforeVowel;
};

// The page's words in order, with silence allowed where the text pauses
// (after a word ending in punctuation) or, with `silences` false, nowhere.
// Silence between every pair of words lets the search wander into it and
// lose the page; a stop's closure or a breath elsewhere is found in the
// signal afterwards.
fsg_model_t* pageGrammar(ps_decoder_t* ps, const char* name, const QStringList& words,
                         const std::vector<bool>& pauseAfter, bool silences) {
    const int n = int(words.size());
    fsg_model_t* fsg = fsg_model_init(name, ps_get_logmath(ps), kLanguageWeight, n + 1);
    fsg->start_state = 0;
    fsg->final_state = n;
    for (int k = 0; k < n; ++k)
        fsg_model_trans_add(fsg, k, k + 1, 0, fsg_model_word_add(fsg, words[k].toUtf8().constData()));
    if (silences) {
        const float silprob = float(cmd_ln_float32_r(ps_get_config(ps), "-silprob"));
        for (int k = 1; k < n; ++k)
            if (pauseAfter[size_t(k) - 1]) fsg_model_add_silence(fsg, "<sil>", k, silprob);
    }
    return fsg;
}

// The seed of the faint noise added to the sound before recognition.
constexpr unsigned long kDitherSeed = 1;

// Hands the decoder the page's own cepstral mean (what it would take from
// the page decoded in one piece), so that the page can be fed to it a second
// at a time. False if the sound could not be analysed.
bool setPageMean(ps_decoder_t* ps, const std::vector<int16_t>& samples) {
    fe_t* fe = ps_get_fe(ps);
    const int size = fe_get_output_size(fe);
    mfcc_t** cep = nullptr;
    int32 frames = 0;
    genrand_seed(kDitherSeed);
    fe_start_utt(fe);
    const bool done = fe_process_utt(fe, samples.data(), samples.size(), &cep, &frames) >= 0;
    std::vector<mfcc_t> last(size_t(size), 0);
    int32 more = 0;
    fe_end_utt(fe, last.data(), &more);
    if (!done || frames <= 0) {
        if (cep) fe_free_2d(cep);
        return false;
    }
    std::vector<mfcc_t> mean(size_t(size), 0);
    for (int32 f = 0; f < frames; ++f)
        for (int c = 0; c < size; ++c) mean[size_t(c)] += cep[f][c];
    for (mfcc_t& m : mean) m /= mfcc_t(frames);
    fe_free_2d(cep);
    cmn_live_set(ps_get_feat(ps)->cmn_struct, mean.data());
    return true;
}

// Speech recognition held to the page's words; the segments in order, or
// nothing when it could not follow them or `cancelled` was set by a progress
// answer.
std::optional<Recognised> recognise(const std::vector<int16_t>& samples, const QStringList& words,
                                    const std::vector<bool>& pauseAfter, const std::function<bool(int)>& progress,
                                    bool* cancelled) {
    QMutexLocker locker(&recogniserLock());
    static Recogniser r;
    if (!r.ps) return std::nullopt;
    Recognised out;
    for (const QString& w : words) {
        const QByteArray word = w.toUtf8();
        // The dictionary answers a copy of the pronunciation, ours to free.
        QByteArray phones;
        if (char* known = ps_lookup_word(r.ps, word.constData())) {
            phones = known;
            ckd_free(known);
        } else {
            phones = guessPhones(w);
            if (phones.isEmpty() || ps_add_word(r.ps, word.constData(), phones.constData(), FALSE) < 0)
                return std::nullopt;
        }
        const QStringList p = QString::fromLatin1(phones).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        out.startsWithStop.push_back(!p.isEmpty() && isStopPhone(p.front()));
        out.endsWithStop.push_back(!p.isEmpty() && isStopPhone(p.back()));
        out.startsFlowing.push_back(!p.isEmpty() && flowsOn(p.front()));
        bool closes = false;
        for (const QString& phone : p) {
            if (isVowelPhone(phone)) break;
            closes = closes || isStopPhone(phone);
        }
        out.closesBeforeVowel.push_back(closes);
        // A word's closing "th" ("with") keeps its hiss.
        out.endsFlowing.push_back(!p.isEmpty() && flowsOn(p.back()) && p.back() != QLatin1String("DH"));
    }
    // Silence where the text pauses; a search that still loses the page is
    // tried once more with none, the pauses then going to the words beside
    // them until the signal gives them back.
    const char* const kSearches[] = {"page", "unbroken"};
    for (const char* name : kSearches) {
        fsg_model_t* fsg = pageGrammar(r.ps, name, words, pauseAfter, name == kSearches[0]);
        const int set = ps_set_fsg(r.ps, name, fsg);
        fsg_model_free(fsg);  // the search keeps its own reference
        if (set < 0) return std::nullopt;
    }
    for (const char* name : kSearches) {
        const int from = name == kSearches[0] ? 5 : 50;
        if (ps_set_search(r.ps, name) < 0 || !setPageMean(r.ps, samples)) return std::nullopt;
        // A second at a time, so that the run shows progress and can stop;
        // with the page's own cepstral mean it decodes as the whole would.
        genrand_seed(kDitherSeed);  // the same noise on every run
        if (ps_start_utt(r.ps) < 0) return std::nullopt;
        for (size_t at = 0; at < samples.size(); at += kRate) {
            if (progress && !progress(from + int(int64_t(at) * 45 / int64_t(samples.size())))) {
                ps_end_utt(r.ps);
                *cancelled = true;
                return std::nullopt;
            }
            ps_process_raw(r.ps, samples.data() + at, std::min<size_t>(kRate, samples.size() - at), FALSE, FALSE);
        }
        ps_end_utt(r.ps);
        std::vector<Segment>& segments = out.segments;
        segments.clear();
        for (ps_seg_t* s = ps_seg_iter(r.ps); s; s = ps_seg_next(s)) {
            int sf = 0, ef = 0;
            int32 ascr = 0, lscr = 0, lback = 0;
            ps_seg_frames(s, &sf, &ef);
            ps_seg_prob(s, &ascr, &lscr, &lback);
            QString w = QString::fromUtf8(ps_seg_word(s));
            w = w.section(QLatin1Char('('), 0, 0);  // "on(2)": a second pronunciation
            segments.push_back({w, int64_t(sf) * kFrameMs, int64_t(ef + 1) * kFrameMs,
                                double(ascr) / std::max(1, ef - sf + 1)});
        }
        // Frames count on from earlier pages; the grammar starts with a word,
        // which starts with the sound.
        const int64_t offset = segments.empty() ? 0 : segments.front().startMs;
        for (Segment& g : segments) g.startMs -= offset, g.endMs -= offset;
        int matched = 0;
        for (const Segment& g : segments)
            if (matched < words.size() && g.word == words[matched]) ++matched;
        if (matched == words.size()) return out;
    }
    return std::nullopt;
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

// Loudness over any 5 ms of the sound, from running sums of its squares.
class Loudness {
public:
    explicit Loudness(const std::vector<int16_t>& samples) : sums_(samples.size() + 1, 0.0) {
        for (size_t k = 0; k < samples.size(); ++k) sums_[k + 1] = sums_[k] + double(samples[k]) * samples[k];
    }
    int64_t lengthMs() const { return int64_t(sums_.size() - 1) / kPerMs; }
    // Root mean square of the 5 ms from `ms`.
    double at(int64_t ms) const {
        const size_t a = size_t(std::clamp<int64_t>(ms, 0, lengthMs()) * kPerMs);
        const size_t b = std::min(sums_.size() - 1, a + 5 * kPerMs);
        return b > a ? std::sqrt((sums_[b] - sums_[a]) / double(b - a)) : 0.0;
    }

private:
    static constexpr size_t kPerMs = kRate / 1000;
    std::vector<double> sums_;
};

struct Stretch {
    int64_t startMs = -1;
    int64_t endMs = -1;
    int64_t length() const { return endMs - startMs; }
};

// The longest near-silent stretch that reaches into [from, to], followed to
// its ends: 5 ms windows quieter than `quiet`, in 1 ms steps.
Stretch quietStretch(const Loudness& loud, double quiet, int64_t from, int64_t to) {
    Stretch best, run;
    for (int64_t t = std::max<int64_t>(0, from); t <= to + 1; ++t) {
        const bool still = t <= to && loud.at(t) < quiet;
        if (still && run.startMs < 0) run.startMs = t;
        if (!still && run.startMs >= 0) {
            run.endMs = t;
            if (run.length() > best.length()) best = run;
            run = {};
        }
    }
    if (best.startMs < 0) return best;
    while (best.startMs > 0 && loud.at(best.startMs - 1) < quiet) --best.startMs;
    while (best.endMs < loud.lengthMs() && loud.at(best.endMs) < quiet) ++best.endMs;
    best.endMs += 4;  // the last quiet window runs 5 ms
    return best;
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
    std::vector<bool> pauseAfter;
    for (int k = 0; k < n; ++k) {
        const QString w = spoken(wurds[k]);
        if (w.isEmpty()) continue;
        words << w;
        wurdOf.push_back(k);
        const QString t = wurds[k].trimmed();
        pauseAfter.push_back(!t.isEmpty() && QStringLiteral(".,;:!?").contains(t.back()));
    }
    bool cancelled = false;
    const auto segments = words.isEmpty() ? std::nullopt : recognise(samples, words, pauseAfter, progress, &cancelled);
    if (cancelled || (progress && !progress(95))) return fail(texts::kAlignCancelled);
    if (!segments) return estimateFromPauses(energy, loudest / 10, wurds);

    Alignment a;
    a.recognised = true;
    std::vector<int64_t> onset(size_t(n), -1), end(size_t(n), -1);
    a.confidence.assign(size_t(n), 0.0);
    const Loudness loud(samples);
    // Near silence: a hundredth of the loudest 10 ms, and above a noisy recording's floor.
    const double quiet = std::max(loudest / 100, 2 * *std::min_element(energy.begin(), energy.end()));
    std::vector<double> scores;
    for (const Segment& g : segments->segments)
        if (g.word != QLatin1String("<sil>")) scores.push_back(g.scorePerFrame);
    std::nth_element(scores.begin(), scores.begin() + long(scores.size() / 2), scores.end());
    const double typical = scores.empty() ? -1 : std::min(-1.0, scores[scores.size() / 2]);
    int next = 0;
    const Segment* silence = nullptr;
    for (const Segment& g : segments->segments) {
        if (next >= words.size() || g.word != words[next]) {
            if (g.word == QLatin1String("<sil>")) silence = &g;
            continue;
        }
        const int k = wurdOf[size_t(next)];
        const bool stop = segments->startsWithStop[size_t(next)];
        const bool afterStop = next > 0 && segments->endsWithStop[size_t(next) - 1];
        // The recogniser's boundary, moved to the silence the signal shows
        // near it (within 30 ms, or within the silence it heard before the
        // word). A pause: the word starts when the sound comes back, a stop
        // consonant with its closure (up to 40 ms) before. A short silence is
        // the word's own stop closure or the catch before a vowel, unless it
        // is the last word's closing stop, released well before this word.
        int64_t at = g.startMs;
        const Stretch s = quietStretch(loud, quiet, (silence ? silence->startMs : g.startMs) - kSnapMs, g.startMs + kSnapMs);
        if (s.startMs >= 0) {
            if (s.length() > kPauseMs) at = stop ? std::max(s.startMs, s.endMs - kClosureMs) : s.endMs;
            else if (afterStop && !stop) {
                // The closure ends with the stop's release, a burst and a
                // breath of aspiration; a quiet moment after them is where
                // this word begins.
                at = std::max(at, s.endMs);
                // (Unless this word has a closure of its own before its
                // vowel, as "sky" has, whose quiet that could be.)
                const Stretch release = quietStretch(loud, quiet, s.endMs + 5, s.endMs + kReleaseMs);
                if (release.startMs > s.endMs && !segments->closesBeforeVowel[size_t(next)])
                    at = std::max(at, release.endMs);
            }
            else if (!(afterStop && s.endMs < g.startMs - kSnapMs)) at = s.startMs;
        }
        // A word holds no pause of its own: one in the first half of what the
        // recogniser gave it (a search without silence there hands the pause
        // to a word) comes before the word.
        bool shown = s.startMs >= 0;
        if (s.startMs < 0 || s.length() <= kPauseMs) {
            const Stretch p = quietStretch(loud, quiet, g.startMs + kSnapMs, (g.startMs + g.endMs) / 2);
            if (p.startMs >= 0 && p.length() > kPauseMs) {
                at = stop ? std::max(p.startMs, p.endMs - kClosureMs) : p.endMs;
                shown = true;
            }
        }
        onset[size_t(k)] = at;
        end[size_t(k)] = g.endMs;
        // How well the word's sound fits the recogniser's models, against
        // the page's typical word: half as good again is worth a listen.
        // A word whose start the sound shows (a silence at the boundary)
        // leaves the models less to get wrong; one that flows on from the
        // word before with nothing between (vowels, glides, nasals into each
        // other) leaves them everything, and counts half.
        const double fit = std::clamp(1.0 - 0.8 * (g.scorePerFrame / typical - 1.0), 0.0, 1.0);
        const bool unmarked = !shown && next > 0 && segments->endsFlowing[size_t(next) - 1] &&
                              segments->startsFlowing[size_t(next)];
        a.confidence[size_t(k)] = shown ? kLowConfidence + (1.0 - kLowConfidence) * fit : unmarked ? fit / 2 : fit;
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
