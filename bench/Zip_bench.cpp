// Times the zip components against the zip and unzip programs on a
// lesson-sized folder and prints the figures (median of several runs).
//
//   Zip_bench [total MiB, default 256] [runs, default 5]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "IUnzip.h"
#include "InfoZip.h"

using namespace vellora;

namespace {

double medianSeconds(int runs, const std::function<void()>& prepare,
                     const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void runTool(const QString& program, const QStringList& args, const QString& dir) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
}

void makeLesson(const QString& dir, qint64 totalBytes) {
    QDir().mkpath(dir);
    // A few tables, many sounds and pictures, and one large video.
    std::vector<std::pair<QString, qint64>> files;
    for (const char* table : {"VELLO002.DB", "BPGQU002.DB", "BKWRD002.DB", "BKCHO002.DB"})
        files.push_back({QString::fromLatin1(table), 64 * 1024});
    const qint64 video = totalBytes / 2;
    files.push_back({QStringLiteral("V0000001.AVI"), video});
    const int media = 60;
    for (int i = 0; i < media; ++i)
        files.push_back({QStringLiteral("W%1.WAV").arg(i + 2, 7, 10, QLatin1Char('0')),
                         (totalBytes - video) / media});
    QByteArray block(1 << 20, Qt::Uninitialized);
    quint32 x = 12345;
    for (char& c : block) c = char((x = x * 1664525u + 1013904223u) >> 24);
    for (const auto& [name, size] : files) {
        QFile f(dir + QLatin1Char('/') + name);
        f.open(QIODevice::WriteOnly);
        for (qint64 left = size; left > 0; left -= block.size())
            f.write(block.constData(), std::min<qint64>(left, block.size()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 mib = argc > 1 ? QByteArray(argv[1]).toLongLong() : 256;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 5;
    QTemporaryDir tmp(QDir::currentPath() + QStringLiteral("/zip-bench-XXXXXX"));
    const QString lesson = tmp.filePath(QStringLiteral("L0000001"));
    makeLesson(lesson, mib << 20);
    const QString ours = tmp.filePath(QStringLiteral("ours.zip"));
    const QString theirs = tmp.filePath(QStringLiteral("theirs.zip"));

    const double zipOurs = medianSeconds(
        runs, [&] { QFile::remove(ours); },
        [&] {
            TInfoZip z;
            z.Level = 0;
            z.NoDirEntries = true;
            z.NameOfZipFile = ours;
            z.FileList << lesson + QStringLiteral("/*.*");
            z.Execute();
        });
    const double zipTool = medianSeconds(
        runs, [&] { QFile::remove(theirs); },
        [&] {
            runTool(QStringLiteral("zip"), {"-0", "-r", "-q", theirs, "."}, lesson);
        });

    const QString outOurs = tmp.filePath(QStringLiteral("outOurs"));
    const QString outTheirs = tmp.filePath(QStringLiteral("outTheirs"));
    const double unzipOurs = medianSeconds(
        runs, [&] { QDir(outOurs).removeRecursively(), QDir().mkpath(outOurs); },
        [&] {
            TIUnzip u;
            u.FileName = ours;
            u.Dest = outOurs;
            u.Execute();
        });
    const double unzipTool = medianSeconds(
        runs, [&] { QDir(outTheirs).removeRecursively(), QDir().mkpath(outTheirs); },
        [&] {
            runTool(QStringLiteral("unzip"), {"-q", "-o", theirs, "-d", outTheirs}, tmp.path());
        });

    std::printf("lesson folder: %lld MiB, median of %d runs\n", mib, runs);
    std::printf("zip   TInfoZip level 0 %7.3f s   zip -0 -r %7.3f s   ratio %.2f\n", zipOurs,
                zipTool, zipOurs / zipTool);
    std::printf("unzip TIUnzip           %7.3f s   unzip     %7.3f s   ratio %.2f\n", unzipOurs,
                unzipTool, unzipOurs / unzipTool);
    return 0;
}
