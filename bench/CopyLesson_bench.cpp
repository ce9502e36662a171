// Measures CopyLesson "in" (import into the working database) for lessons of
// 10,000 and 100,000 word rows and prints rows per second and time per row.
// Each size runs several times on a fresh setup (the machine's disk makes
// single runs noisy, and other work on it slows the wall clock), the median
// run is the figure; the process's CPU time is shown beside it. Lessons are measured
// without media files and with a sound file for one word in ten.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "CopyLesson.h"
#include "FileNames.h"
#include "StatusLine.h"
#include "Table.h"

using namespace vellora;

namespace {

constexpr int kWordsPerPage = 100;
constexpr int kRuns = 5;

// Counts what the status line is asked to show, as a real one would format it.
struct CountingStatus : StatusLine {
    qint64 shown = 0;
    void setStatusText(const QString& text) override { shown += text.size() > 0; }
};

std::unique_ptr<Database> makeDatabase(const QString& dir, bool autoInc) {
    QDir().mkpath(dir);
    Database::createTables(dir, autoInc);
    return std::make_unique<Database>(dir);
}

// A lesson of `words` words on reading pages, plus one question page.
qint64 buildLesson(Database& db, int words, int soundEvery) {
    Database::Transaction tx(db);
    Table lesn(db, TableId::Lesn), page(db, TableId::Page), wurd(db, TableId::Wurd),
        choice(db, TableId::Choice);
    lesn.append();
    lesn.setString(QStringLiteral("Title"), QStringLiteral("Benchmark lesson"));
    lesn.setString(QStringLiteral("TitleFontName"), QStringLiteral("Arial"));
    lesn.setBoolean(QStringLiteral("LessonSoundFile"), true);
    lesn.post();
    const qint64 l = lesn.key();
    const int pages = (words + kWordsPerPage - 1) / kWordsPerPage;
    int w = 0;
    for (int p = 1; p <= pages; ++p) {
        page.append();
        page.setInteger(QStringLiteral("LesnRegNum"), l);
        page.setInteger(QStringLiteral("PageNumber"), p);
        page.setInteger(QStringLiteral("PageType"), 0);
        page.setString(QStringLiteral("FontName"), QStringLiteral("Times New Roman"));
        page.setBoolean(QStringLiteral("PageSoundFile"), true);
        page.post();
        const qint64 pk = page.key();
        for (int n = 1; n <= kWordsPerPage && w < words; ++n, ++w) {
            wurd.append();
            wurd.setInteger(QStringLiteral("PageRegNum"), pk);
            wurd.setInteger(QStringLiteral("WurdNumber"), n);
            wurd.setString(QStringLiteral("WText"), QStringLiteral("word%1").arg(w));
            wurd.setInteger(QStringLiteral("WLeft"), 10 * n);
            wurd.setInteger(QStringLiteral("WTop"), 20);
            wurd.setInteger(QStringLiteral("WStopTime"), 300 * n);
            wurd.setString(QStringLiteral("WFontName"), QStringLiteral("Arial"));
            wurd.setInteger(QStringLiteral("WFontSize"), 14);
            wurd.setString(QStringLiteral("WFontColor"), QStringLiteral("4"));
            wurd.setBoolean(QStringLiteral("WSoundFile"), soundEvery > 0 && w % soundEvery == 0);
            wurd.post();
        }
    }
    page.append();
    page.setInteger(QStringLiteral("LesnRegNum"), l);
    page.setInteger(QStringLiteral("PageNumber"), pages + 1);
    page.setInteger(QStringLiteral("PageType"), 1);
    page.post();
    for (int c = 0; c < 4; ++c) {
        choice.append();
        choice.setInteger(QStringLiteral("PageRegNum"), page.key());
        choice.setString(QStringLiteral("ChoiceText"), QStringLiteral("choice"));
        choice.setBoolean(QStringLiteral("ChoiceSound"), true);
        choice.post();
    }
    tx.commit();
    return l;
}

struct Figure {
    double seconds;
    double cpu;
    qint64 rows;
    int media;
};

Figure runOnce(int words, int soundEvery) {
    QTemporaryDir tmp;
    const QString programDir = tmp.path();
    auto source = makeDatabase(programDir + QStringLiteral("/source"), true);
    const qint64 lesn = buildLesson(*source, words, soundEvery);

    // The package in the scratch directory, with the media files it names.
    const QString scratch = ScratchDirectory(programDir);
    auto package = makeDatabase(scratch, false);
    CopyLesson(*source, lesn, *package, CopyDirection::Out, {});
    Table w(*package, TableId::Wurd, true);
    for (bool more = w.first(); more; more = w.next())
        if (w.asBoolean(QStringLiteral("WSoundFile"))) {
            QFile f(QDir(scratch).filePath(FilePath(media::kWurdSound, w.key(), media::kWav)));
            if (f.open(QIODevice::WriteOnly)) f.write("RIFF");
        }

    // A working database that already holds a lesson, so new numbers collide
    // with the package's.
    auto working = makeDatabase(programDir + QStringLiteral("/db"), true);
    buildLesson(*working, 505, soundEvery);

    // Flush the set-up's own writes, so that the copy's commit does not pay
    // for them.
    ::sync();

    CountingStatus status;
    CopyLessonOptions o;
    o.programDir = programDir;
    o.status = &status;
    const std::clock_t cpuStart = std::clock();
    const auto start = std::chrono::steady_clock::now();
    const CopyLessonResult r = CopyLesson(*package, lesn, *working, CopyDirection::In, o);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return {seconds, cpu, 1 + r.pages + r.wurds + r.choices, r.mediaRenamed};
}

void run(int words, int soundEvery, int times) {
    std::vector<Figure> runs;
    for (int i = 0; i < times; ++i) runs.push_back(runOnce(words, soundEvery));
    std::sort(runs.begin(), runs.end(),
              [](const Figure& a, const Figure& b) { return a.seconds < b.seconds; });
    const Figure& m = runs[runs.size() / 2];
    std::printf(
        "CopyLesson in: %6d words, %6lld rows, %5d media renamed: median %.3f s (best %.3f, worst "
        "%.3f): "
        "%7.0f rows/s, %5.2f us per row (CPU %5.2f us per row)\n",
        words, static_cast<long long>(m.rows), m.media, m.seconds, runs.front().seconds,
        runs.back().seconds, m.rows / m.seconds, m.seconds * 1e6 / m.rows, m.cpu * 1e6 / m.rows);
}

}  // namespace

int main() {
    for (int soundEvery : {0, 10}) {
        std::printf(
            soundEvery ? "With a sound file for one word in %d:\n" : "Without media files:\n",
            soundEvery);
        run(10000, soundEvery, kRuns);
        run(100000, soundEvery, 3);
    }
    return 0;
}
