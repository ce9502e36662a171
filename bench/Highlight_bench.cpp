// How closely the highlight follows the voice: a 60-second narration of 150
// words (spoken by espeak-ng) is read aloud through the real sound device,
// and for every word the lag is taken from the moment the heard position
// crosses the previous word's stop time to the word painted yellow.
//
//   Highlight_bench [runs=1]
//
// Without a sound device the player plays silently in real time and the
// figures are those of the silent clock (the output says which).
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "AppState.h"
#include "BenchPage.h"
#include "Dialogs.h"
#include "PageHost.h"
#include "PageLayer.h"
#include "PageRows.h"
#include "PageStore.h"
#include "QtMediaDevice.h"
#include "TFrame.h"
#include "Table.h"
#include "WaitUntil.h"

using namespace vellora;
using vellora::bench::BenchHost;
using vellora::bench::FailingDialogs;

namespace {

constexpr int kWurds = 150;
constexpr qint64 kLesson = 1;

const char* const kVocabulary[] = {"the",   "small", "brown", "dog",   "runs",  "across", "a",     "wide",
                                   "green", "field", "while", "birds", "sing",  "in",     "tall",  "trees",
                                   "and",   "clouds", "drift", "slowly", "over", "hills",  "near",  "town"};

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (espeak.isEmpty()) {
        std::fprintf(stderr, "espeak-ng is not installed\n");
        return 1;
    }
    QTemporaryDir tmp;
    QStringList words;
    for (int n = 0; n < kWurds; ++n) words << QString::fromLatin1(kVocabulary[(n * 7) % std::size(kVocabulary)]);
    const QString sound = tmp.filePath(QStringLiteral("T0000001.WAV"));
    // About 150 words a minute: a minute of narration.
    if (QProcess::execute(espeak, {QStringLiteral("-s"), QStringLiteral("150"), QStringLiteral("-w"), sound,
                                   words.join(QLatin1Char(' '))}) != 0) {
        std::fprintf(stderr, "espeak-ng failed\n");
        return 1;
    }

    vellora::testing::PageStore store(false);
    const qint64 page = store.rows->ReservePageRecord(kLesson, 1, true);
    store.rows->FillNewPage(page, false, kLesson);
    for (int n = 1; n <= kWurds; ++n)
        store.rows->NewWurdRecord({0, page, n, words[n - 1], 30 * (n % 8), 20 * (n / 8), 28, 17, QString(), 0,
                                   QStringLiteral("Arial"), 12, 0, 0, false});
    PageData data = *store.rows->LoadPage(page);
    data.Wurds = kWurds;
    store.rows->SavePage(page, data, false);

    AppState st;
    st.LessonOpen = true;
    st.LesnRegNum = kLesson;
    st.PageCount = 1;
    BenchHost host(st, sound);
    FailingDialogs dialogs;
    TFrame frame;
    frame.attach(st, dialogs, *store.rows, tmp.filePath(QStringLiteral("Vellora.ini")));
    frame.setMediaNames([&host](int d, int i) { return host.MediaFileName(d, i); });
    QtMediaDevice player;
    frame.setPlayer(&player);
    frame.resize(940, 540);
    frame.show();
    PageLayer layer(st, host, dialogs, *store.rows, frame);
    layer.ChangePage(1, 12);
    if (frame.WurdCount != kWurds) {
        std::fprintf(stderr, "the page shows %d words\n", frame.WurdCount);
        return 1;
    }
    player.setFileName(sound);
    if (!player.Open()) {
        std::fprintf(stderr, "%s\n", qPrintable(player.errorText()));
        return 1;
    }
    const qint64 length = player.length();
    player.Close();
    // Evenly spread stop times: the lag does not depend on where they fall.
    for (int n = 0; n <= kWurds; ++n) frame.StopTimes[size_t(n)] = length * n / (kWurds + 1) + length / (kWurds + 1);

    std::vector<double> lags;
    int lastLit = 0;
    // Runs right after the reading tick: the word is painted by now.
    QObject::connect(frame.Timer1, &QTimer::timeout, &frame, [&] {
        const int lit = frame.Reading() ? frame.CurrentWurd : 0;
        if (lit > 1 && lit != lastLit) lags.push_back(double(player.position() - frame.StopTimes[size_t(lit) - 1]));

        lastLit = lit;
    });
    for (int r = 0; r < runs; ++r) {
        lastLit = 0;
        layer.ReadWurds();
    }
    std::printf("narration %.1f s, %d words, %s, %zu word changes over %d run(s)\n", double(length) / 1000, kWurds,
                player.silent() ? "silent real-time play (no sound device)" : "sound device", lags.size(), runs);
    std::printf("highlight lag: median %.1f ms, p99 %.1f ms, max %.1f ms\n", percentile(lags, 0.5),
                percentile(lags, 0.99), percentile(lags, 1.0));
    return 0;
}
