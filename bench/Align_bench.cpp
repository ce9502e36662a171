// How well Align finds words in a narration, against the syllable estimate:
// pages are spoken by espeak-ng at several voices and rates (the
// synthesiser's word events are the truth), then aligned. For each method:
// mean and median absolute onset error, the share of onsets within 20 ms and
// within 50 ms, and seconds of computation per second of audio; for Align,
// how many words more than 50 ms off its confidence flags (below
// kLowConfidence), and how many flagged words are within 50 ms after all.
// Two sets: the pages, voices and rates Align was tuned on, and held-out
// ones it never saw while being tuned.
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

const char* const kTunedPages[] = {
    "The sun comes up over the quiet garden. Its warm light wakes the flowers one by one.",
    "An old apple tree stands in the middle of the grass. Birds sing in its green branches.",
    "At the end of the day the family walks home to their little red house.",
    "Peter packed a big bag of books, pens and paper before he took the bus to school.",
    "Rivers carry water from the mountains to the sea, and many towns grow along their banks.",
    "Could you tell me, please, which train goes to the city? I think I have missed mine.",
};

const char* const kHeldOutPages[] = {
    "My brother keeps two goats and a grey pony on a small farm by the river.",
    "When the bell rang, the children ran outside to play in the fresh snow.",
    "Doctors say that drinking water and sleeping well keep the body healthy.",
    "Kate baked a cake for her grandmother, who turned ninety yesterday.",
    "Did anybody see where I put my keys? They were on the kitchen table.",
    "Every autumn the geese fly south, calling loudly across the cold sky.",
};

struct Set {
    const char* name;
    std::vector<const char*> pages;
    QStringList voices;  // those the synthesiser lacks are left out
    std::vector<int> rates;
};

struct Figures {
    std::vector<double> errors;
    int offFlagged = 0, off = 0, fineFlagged = 0;
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
        if (off + fineFlagged + offFlagged > 0)
            std::printf("%-18s words >50 ms off flagged low: %d of %d; flagged words within 50 ms: %d\n", "", offFlagged,
                        off, fineFlagged);
    }
};

// Onsets of words 1..n from stop times (entry 0 and entries 1..n-1).
void addErrors(Figures& f, const std::vector<int64_t>& got, const std::vector<int64_t>& truth) {
    for (size_t k = 0; k + 1 < truth.size() && k < got.size(); ++k) f.errors.push_back(std::abs(double(got[k] - truth[k])));
}

// Speaks and aligns every page of `set`; false when the synthesiser or Align fails.
bool run(const Set& set) {
    Figures align, estimate;
    const QStringList voices = speechVoices();
    QStringList use;
    for (const QString& v : set.voices)
        if (voices.contains(v.section(QLatin1Char('+'), 0, 0))) use << v;
    int pages = 0;
    for (const QString& voice : use)
        for (int rate : set.rates) {
            for (const char* page : set.pages) {
                const QString text = QString::fromLatin1(page);
                const QStringList words = text.split(QLatin1Char(' '));
                QString why;
                const auto spoken = speakText(text, voice, rate, &why);
                if (!spoken) {
                    std::fprintf(stderr, "%s\n", qPrintable(why));
                    return false;
                }
                ++pages;
                const int64_t length = spoken->sound.lengthMs();
                const std::vector<int64_t> truth = stopTimesFromEvents(text, words, spoken->words, length);
                QElapsedTimer t;
                t.start();
                const auto a = alignWords(spoken->sound, words, &why);
                align.compute += double(t.nsecsElapsed()) / 1e9;
                align.audio += double(length) / 1000;
                if (!a) {
                    std::fprintf(stderr, "align failed: %s\n", qPrintable(why));
                    return false;
                }
                addErrors(align, a->stops, truth);
                for (size_t k = 0; k + 1 < truth.size(); ++k) {
                    const bool wrong = std::abs(double(a->stops[k] - truth[k])) > 50;
                    const bool flagged = a->confidence[k] < kLowConfidence;
                    align.off += wrong, align.offFlagged += wrong && flagged, align.fineFlagged += !wrong && flagged;
                    if (wrong && qEnvironmentVariableIsSet("ALIGN_TRACE"))
                        std::printf("  %s %d: \"%s\" aligned %lld truth %lld confidence %.2f%s\n", qPrintable(voice), rate,
                                    qPrintable(words[int(k)]), (long long)a->stops[k], (long long)truth[k],
                                    a->confidence[k], a->recognised ? "" : " (not recognised)");
                }
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
    QStringList rates;
    for (int r : set.rates) rates << QString::number(r);
    std::printf("%s: %zu onsets, %d pages (voices %s; %s words a minute)\n", set.name, align.errors.size(), pages,
                qPrintable(use.join(QStringLiteral(", "))), qPrintable(rates.join(QStringLiteral(", "))));
    align.report("Align");
    estimate.report("syllable estimate");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Set tuned{"tuned", {std::begin(kTunedPages), std::end(kTunedPages)},
                    {QStringLiteral("en"), QStringLiteral("en-us"), QStringLiteral("en-gb-x-rp")}, {130, 175}};
    const Set heldOut{"held out", {std::begin(kHeldOutPages), std::end(kHeldOutPages)},
                      {QStringLiteral("en-us-nyc"), QStringLiteral("en-gb-scotland"), QStringLiteral("en+f3"),
                       QStringLiteral("en-029")},
                      {110, 200}};
    return run(tuned) && run(heldOut) ? 0 : 1;
}
