// A page change in a store of a million words: the page being left saved
// with its 150 words, the next page found and loaded with its 150 words —
// first the store work alone, then through the page window, words shown. Timed with the lookup indexes and with the walks over the whole
// table (one per page and one per word) that the lookups replace.
//
//   PageChange_bench [wordRows=1000000] [changes=200] [scanChanges=3] [scanWords=150]
//
// scanWords below 150 times that many word walks per change and scales their
// time to the page's word count (the words of a page lie together, so each
// walk of a page costs about the same); the output says so.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ctime>
#include <random>
#include <vector>

#include "AppState.h"
#include "BenchPage.h"
#include "Database.h"
#include "Dialogs.h"
#include "PageHost.h"
#include "PageLayer.h"
#include "PageRows.h"
#include "TFrame.h"
#include "PageStore.h"
#include "Table.h"

using namespace vellora;
using vellora::bench::BenchHost;
using vellora::bench::FailingDialogs;

namespace {

constexpr int kWurdsPerPage = 150;
constexpr qint64 kLesson = 1;

const QString kLesnRegNum = QStringLiteral("LesnRegNum");
const QString kPageNumber = QStringLiteral("PageNumber");
const QString kPageRegNum = QStringLiteral("PageRegNum");
const QString kWurdNumber = QStringLiteral("WurdNumber");

// The store as the program keeps it: every commit waits for the disk.
struct Store : vellora::testing::PageStore {
    int pages = 0;

    Store() : PageStore(true) {}

    // One transaction; pages of two lessons interleaved, so a lookup has rows
    // of another lesson to pass over.
    void fill(int wordRows) {
        Database::Transaction tx(*db);
        lesn->append();
        lesn->post();
        const int pageCount = (wordRows + kWurdsPerPage - 1) / kWurdsPerPage;
        for (int p = 1; p <= pageCount; ++p) {
            for (const qint64 l : {kLesson + 1, kLesson}) {
                const qint64 key = rows->ReservePageRecord(l, p, true);
                rows->FillNewPage(key, false, l);
                if (l != kLesson) continue;
                const int words = std::min(kWurdsPerPage, wordRows - (p - 1) * kWurdsPerPage);
                for (int n = 1; n <= words; ++n)
                    rows->NewWurdRecord({0, key, n, QStringLiteral("word"), 8 * n, 20, 40, 17, QString(), 250 * n,
                                         QStringLiteral("Arial"), 12, 0, 0, false});
                PageData data = *rows->LoadPage(key);
                data.Wurds = words;
                rows->SavePage(key, data, false);
            }
        }
        tx.commit();
        pages = pageCount;
    }
};

// The page on screen, as the page window holds it.
struct ScreenPage {
    qint64 key = 0;
    PageData page;
    std::vector<WurdData> wurds;
};

// How a page change finds rows by number.
struct Lookups {
    virtual ~Lookups() = default;
    virtual qint64 pageRecord(qint64 lesn, int number) = 0;
    // The page's words 1..count (entry 0 unused), each found by its number.
    virtual std::vector<std::optional<WurdData>> loadWurds(qint64 pageKey, int count) = 0;
};

struct IndexedLookups : Lookups {
    PageRows& rows;
    explicit IndexedLookups(PageRows& r) : rows(r) {}
    qint64 pageRecord(qint64 lesn, int number) override { return rows.PageRecord(lesn, number); }
    std::vector<std::optional<WurdData>> loadWurds(qint64 pageKey, int count) override {
        return rows.LoadWurds(pageKey, count);
    }
};

// A walk from the first row in key order to the first match.
qint64 walk(Table& t, const QString& f1, qint64 v1, const QString& f2, qint64 v2) {
    for (bool ok = t.first(); ok; ok = t.next())
        if (t.asInteger(f1) == v1 && t.asInteger(f2) == v2) return t.key();
    return 0;
}

struct ScanLookups : Lookups {
    Store& s;
    int sampled;              // word walks per page actually run
    double scaledExtraMs = 0; // time the words not walked would have taken
    ScanLookups(Store& store, int words) : s(store), sampled(words) {}
    qint64 pageRecord(qint64 lesn, int number) override {
        return walk(*s.page, kLesnRegNum, lesn, kPageNumber, number);
    }
    std::vector<std::optional<WurdData>> loadWurds(qint64 pageKey, int count) override {
        const int walked = std::min(sampled, count);
        std::vector<qint64> keys(size_t(count) + 1, 0);
        QElapsedTimer t;
        t.start();
        for (int n = 1; n <= walked; ++n) keys[size_t(n)] = walk(*s.wurd, kPageRegNum, pageKey, kWurdNumber, n);
        const double perWord = walked > 0 ? t.nsecsElapsed() / 1e6 / walked : 0;
        if (walked < count) {
            // The other keys are taken from the index, untimed; their walks
            // are counted at the measured time per walk.
            const auto rest = s.rows->WurdRecNums(pageKey, count);
            for (int n = walked + 1; n <= count; ++n) keys[size_t(n)] = rest[size_t(n)];
            scaledExtraMs += perWord * (count - walked);
        }
        std::vector<std::optional<WurdData>> wurds(keys.size());
        for (size_t n = 1; n < keys.size(); ++n) wurds[n] = s.rows->LoadWurd(keys[n]);
        return wurds;
    }
};

}  // namespace

// The store part of one page change: save the page on screen with its words
// in one transaction, find page `to`, load it and its words onto the screen.
// False when a row is missing. `saveMs` receives the time of the save.
bool ChangePageStoreWork(PageRows& rows, Lookups& lookups, ScreenPage& screen, int to, double* saveMs = nullptr) {
    QElapsedTimer t;
    t.start();
    if (screen.key != 0 && !rows.SavePageWithWurds(screen.key, screen.page, false, screen.wurds)) return false;
    if (saveMs) *saveMs = t.nsecsElapsed() / 1e6;
    const qint64 next = lookups.pageRecord(kLesson, to);
    if (next == 0) return false;
    const auto page = rows.LoadPage(next);
    if (!page) return false;
    screen.key = next;
    screen.page = *page;
    screen.wurds.clear();
    const auto wurds = lookups.loadWurds(next, page->Wurds);
    for (size_t n = 1; n < wurds.size(); ++n) {
        if (!wurds[n]) return false;
        screen.wurds.push_back(*wurds[n]);
    }
    return true;
}

namespace {

struct Figures {
    double median = 0, p99 = 0;
};

Figures figuresOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) return {};
    const size_t p99 = std::min(ms.size() - 1, size_t(double(ms.size()) * 0.99));
    return {ms[ms.size() / 2], ms[p99]};
}

struct Run {
    std::vector<double> total, save, load, cpu;
};

// CPU time of this thread: the work itself, apart from waits for the disk
// and for other programs on a busy machine.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs `changes` page changes to random pages, the author having moved every
// stop time of the page left or not.
Run run(Store& s, Lookups& lookups, int changes, bool edited, std::mt19937& rng, const double* extraMs) {
    std::uniform_int_distribution<int> pick(1, std::max(1, s.pages - 1));  // full pages only
    ScreenPage screen;
    ChangePageStoreWork(*s.rows, lookups, screen, pick(rng));
    Run r;
    for (int i = 0; i < changes; ++i) {
        if (edited)
            for (auto& w : screen.wurds) w.WStopTime += 1;
        const double before = extraMs ? *extraMs : 0;
        double saveMs = 0;
        const double cpu = cpuMs();
        QElapsedTimer t;
        t.start();
        if (!ChangePageStoreWork(*s.rows, lookups, screen, pick(rng), &saveMs)) {
            std::fprintf(stderr, "page change %d failed\n", i);
            std::exit(1);
        }
        const double total = t.nsecsElapsed() / 1e6 + (extraMs ? *extraMs - before : 0);
        r.cpu.push_back(cpuMs() - cpu);
        r.total.push_back(total);
        r.save.push_back(saveMs);
        r.load.push_back(total - saveMs);
    }
    return r;
}

void report(const char* what, const Run& r) {
    const Figures total = figuresOf(r.total), save = figuresOf(r.save), load = figuresOf(r.load),
                  cpu = figuresOf(r.cpu);
    std::printf("%s over %zu changes\n  median %.2f ms, p99 %.2f ms; save median %.2f, p99 %.2f; find and load "
                "median %.2f, p99 %.2f; cpu median %.2f, p99 %.2f\n",
                what, r.total.size(), total.median, total.p99, save.median, save.p99, load.median, load.p99,
                cpu.median, cpu.p99);
}

// Page changes through the page window: save the words on screen, load the
// next page's words into their boxes, lay them out and paint them.
void runWindow(Store& s, int changes, bool edited, std::mt19937& rng, bool saving = true) {
    AppState st;
    st.SaveOnPageChange = saving;
    st.LessonOpen = true;
    st.LesnRegNum = kLesson;
    st.PageCount = s.pages - 1;  // full pages only
    BenchHost host(st);
    FailingDialogs dialogs;
    TFrame frame;
    frame.attach(st, dialogs, *s.rows, s.tmp.file(QStringLiteral("Vellora.ini")));
    frame.resize(940, 540);
    frame.show();
    PageLayer layer(st, host, dialogs, *s.rows, frame);
    std::uniform_int_distribution<int> pick(1, st.PageCount);
    layer.ChangePage(pick(rng), 12);
    Run r;
    for (int i = 0; i < changes; ++i) {
        if (edited)
            for (int n = 1; n <= frame.WurdCount; ++n) frame.StopTimes[size_t(n)] += 1;
        const double cpu = cpuMs();
        QElapsedTimer t;
        t.start();
        layer.ChangePage(pick(rng), 12);
        frame.repaint();
        const double total = t.nsecsElapsed() / 1e6;
        if (frame.WurdCount != kWurdsPerPage) {
            std::fprintf(stderr, "page change %d showed %d words\n", i, frame.WurdCount);
            std::exit(1);
        }
        r.total.push_back(total);
        r.cpu.push_back(cpuMs() - cpu);
    }
    const Figures total = figuresOf(r.total), cpu = figuresOf(r.cpu);
    std::printf("page window, %s, over %d changes\n  median %.2f ms, p99 %.2f ms; cpu median %.2f, p99 %.2f\n",
                !saving ? "saving off (lesson play)" : edited ? "stop times changed" : "nothing changed", changes, total.median, total.p99, cpu.median,
                cpu.p99);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int wordRows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int changes = argc > 2 ? std::atoi(argv[2]) : 200;
    const int scanChanges = argc > 3 ? std::atoi(argv[3]) : 3;
    const int scanWords = argc > 4 ? std::atoi(argv[4]) : kWurdsPerPage;

    Store s;
    QElapsedTimer t;
    t.start();
    s.fill(wordRows);
    std::printf("store: %d word rows, %d pages of lesson %lld (and as many of another), built in %.1f s\n",
                int(s.wurd->recordCount()), s.pages, static_cast<long long>(kLesson), t.nsecsElapsed() / 1e9);

    std::mt19937 rng(42);
    IndexedLookups indexed(*s.rows);
    const Run edited = run(s, indexed, changes, true, rng, nullptr);
    report("indexed, stop times changed:", edited);
    report("indexed, nothing changed:", run(s, indexed, changes, false, rng, nullptr));
    // The same without waiting for the disk: what the store itself costs.
    s.db->setDurable(false);
    report("indexed, stop times changed, no disk waits:", run(s, indexed, changes, true, rng, nullptr));
    s.db->setDurable(true);

    if (scanChanges > 0) {
        ScanLookups scans(s, scanWords);
        report("full walks, stop times changed:", run(s, scans, scanChanges, true, rng, &scans.scaledExtraMs));
        if (scanWords < kWurdsPerPage)
            std::printf("  (full walks: %d of %d word walks run per change, the rest counted at their measured "
                        "time)\n",
                        scanWords, kWurdsPerPage);
    }
    runWindow(s, changes, true, rng);
    runWindow(s, changes, false, rng);
    runWindow(s, changes, false, rng, false);
    std::printf("target: median <= 10 ms for the indexed page change\n");
    return 0;
}
