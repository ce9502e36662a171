// Speed of the lesson store's table layer: appending word rows batched in one
// transaction and one by one, and keyed finds in a table of a million words.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "Database.h"
#include "Table.h"

using namespace vellora;

namespace {

void appendWord(Table& w, int i) {
    w.append();
    w.setInteger(QStringLiteral("PageRegNum"), 1 + i / 150);
    w.setInteger(QStringLiteral("WurdNumber"), 1 + i % 150);
    w.setString(QStringLiteral("WText"), QStringLiteral("word"));
    w.setInteger(QStringLiteral("WLeft"), i % 500);
    w.setInteger(QStringLiteral("WTop"), i % 300);
    w.setInteger(QStringLiteral("WStopTime"), i % 30000);
    w.setString(QStringLiteral("WFontName"), QStringLiteral("Arial"));
    w.setString(QStringLiteral("WFontColor"), QStringLiteral("0"));
    w.post();
}

}  // namespace

int main(int argc, char** argv) {
    const int bigRows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir tmp;
    Database::createTables(tmp.path(), true);
    Database db(tmp.path());
    Table w(db, TableId::Wurd);

    // One transaction.
    QElapsedTimer t;
    t.start();
    {
        Database::Transaction tx(db);
        for (int i = 0; i < bigRows; ++i) appendWord(w, i);
        tx.commit();
    }
    const double batchSeconds = t.nsecsElapsed() / 1e9;
    std::printf("append batched: %d rows in %.3f s = %.0f rows/s (target >= 100000)\n", bigRows, batchSeconds,
                bigRows / batchSeconds);

    // Each row its own commit (durable: every commit reaches the disk).
    const int single = 300;
    t.restart();
    for (int i = 0; i < single; ++i) appendWord(w, i);
    const double singleSeconds = t.nsecsElapsed() / 1e9;
    std::printf("append singly:  %d rows in %.3f s = %.0f rows/s\n", single, singleSeconds, single / singleSeconds);

    // Keyed finds at random in the million-row table.
    const qint64 count = w.recordCount();
    std::mt19937 rng(42);
    std::uniform_int_distribution<qint64> pick(1, count);
    const int finds = 200000;
    qint64 found = 0;
    t.restart();
    for (int i = 0; i < finds; ++i) found += w.findKey(pick(rng)) ? 1 : 0;
    const double findMicros = t.nsecsElapsed() / 1e3 / finds;
    std::printf("find by key:    %.2f us per find in %lld rows (%lld found; target <= 20 us)\n", findMicros,
                static_cast<long long>(count), static_cast<long long>(found));
    return found == finds ? 0 : 1;
}
