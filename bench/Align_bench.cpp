// How well Align finds words in a narration, against the syllable estimate:
// pages are spoken by espeak-ng at several voices and rates (the
// synthesiser's word events are the truth), then aligned. For each method:
// mean and median absolute onset error, the share of onsets within 20 ms and
// within 50 ms, and seconds of computation per second of audio.
//
//   Align_bench            (ALIGN_TRACE=1 lists every onset more than 50 ms off)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "Aligner.h"
#include "Speech.h"
#include "SyncLogic.h"

using namespace vellora;

namespace {

const char* const kPages[] = {
    "The sun comes up over the quiet garden. Its warm light wakes the flowers one by one.",
    "An old apple tree stands in the middle of the grass. Birds sing in its green branches.",
    "At the end of the day the family walks home to their little red house.",
    "Peter packed a big bag of books, pens and paper before he took the bus to school.",
    "Rivers carry water from the mountains to the sea, and many towns grow along their banks.",
    "Could you tell me, please, which train goes to the city? I think I have missed mine.",
};

struct Figures {
    std::vector<double> errors;
    double compute = 0;
    double audio = 0;
    void report(const char* name) const {
        std::vector<double> e = errors;
        std::sort(e.begin(), e.end());
        double sum = 0;
        int within20 = 0, within50 = 0;
        for (double x : e) sum += x, within20 += x <= 20, within50 += x <= 50;
        const double n = double(std::max<size_t>(1, e.size()));
        std::printf("%-18s mean %6.1f ms  median %6.1f ms  within 20 ms %5.1f %%  within 50 ms %5.1f %%  %.4f s/s\n",
                    name, sum / n, e.empty() ? 0 : e[e.size() / 2], 100 * within20 / n, 100 * within50 / n,
                    audio > 0 ? compute / audio : 0);
    }
};

// Onsets of words 1..n from stop times (entry 0 and entries 1..n-1).
void addErrors(Figures& f, const std::vector<int64_t>& got, const std::vector<int64_t>& truth) {
    for (size_t k = 0; k + 1 < truth.size() && k < got.size(); ++k) f.errors.push_back(std::abs(double(got[k] - truth[k])));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Figures align, estimate;
    const QStringList voices = speechVoices();
    QStringList use = {QStringLiteral("en")};
    for (const QString& v : {QStringLiteral("en-us"), QStringLiteral("en-gb-x-rp")})
        if (voices.contains(v)) use << v;
    for (const QString& voice : use)
        for (int rate : {130, 175}) {
            for (const char* page : kPages) {
                const QString text = QString::fromLatin1(page);
                const QStringList words = text.split(QLatin1Char(' '));
                QString why;
                const auto spoken = speakText(text, voice, rate, &why);
                if (!spoken) {
                    std::fprintf(stderr, "%s\n", qPrintable(why));
                    return 1;
                }
                const int64_t length = spoken->sound.lengthMs();
                const std::vector<int64_t> truth = stopTimesFromEvents(text, words, spoken->words, length);
                QElapsedTimer t;
                t.start();
                const auto a = alignWords(spoken->sound, words, &why);
                align.compute += double(t.nsecsElapsed()) / 1e9;
                align.audio += double(length) / 1000;
                if (!a) {
                    std::fprintf(stderr, "align failed: %s\n", qPrintable(why));
                    return 1;
                }
                addErrors(align, a->stops, truth);
                if (qEnvironmentVariableIsSet("ALIGN_TRACE"))
                    for (size_t k = 0; k + 1 < truth.size(); ++k)
                        if (std::abs(double(a->stops[k] - truth[k])) > 50)
                            std::printf("  %s %d: \"%s\" aligned %lld truth %lld\n", qPrintable(voice), rate,
                                        qPrintable(words[int(k)]), (long long)a->stops[k], (long long)truth[k]);
                const SyllableTable counts = EstimateSyllables(words);
                std::vector<int64_t> est;
                int64_t previous = 0;
                for (int i = 0; i <= int(words.size()); ++i) {
                    previous = EstimateStop(counts, i, int(words.size()), previous, length, previous);
                    est.push_back(previous);
                }
                addErrors(estimate, est, truth);
            }
        }
    std::printf("%zu onsets, %zu pages (voices %s; 130 and 175 words a minute)\n", align.errors.size(),
                std::size(kPages) * size_t(use.size()) * 2, qPrintable(use.join(QStringLiteral(", "))));
    align.report("Align");
    estimate.report("syllable estimate");
    return 0;
}
