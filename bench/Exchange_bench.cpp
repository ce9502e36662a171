// Times `vellora-pack export` and `vellora-pack import` against the plain
// tools doing the same work (zip -0 -r then split; cat then unzip), against a
// durable copy of the lesson's media (cp -r, then every file and the folder
// flushed to the disk with sync -d: the pace to keep, since export and import
// both wait for the disk) and against a plain cp -r (the floor), on a lesson
// with 200 MB of media. The measurements alternate within each round; the figures
// are medians over the rounds.
//
//   Exchange_bench [--media-mb N] [--rounds R] [--disk-mb D] [--dir WORKDIR] [--keep 1]
//
// Two cases: the whole package on one disk (the default), and the package
// cut onto disks of D MB (--disk-mb, 0 to skip). EXCHANGE_BENCH_TRACE=1 in
// the environment prints every single run.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "Database.h"
#include "FileNames.h"
#include "HandleDataBase.h"
#include "Dialogs.h"
#include "StatusLine.h"
#include "Table.h"

#ifndef VELLORA_PACK_PATH
#define VELLORA_PACK_PATH "vellora-pack"
#endif

using namespace vellora;

namespace {

struct Options {
    int mediaMb = 200;
    int rounds = 7;
    int diskMb = 64;
    QString dir;
    bool keep = false;  // leave the work directory for a closer look
};

Options parse(const QStringList& args) {
    Options o;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--media-mb")) o.mediaMb = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--rounds")) o.rounds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--disk-mb")) o.diskMb = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--dir")) o.dir = args[i + 1];
        else if (args[i] == QLatin1String("--keep")) o.keep = args[i + 1] != QLatin1String("0");
    }
    return o;
}

// Says Yes to making the working database, as a user starting afresh would.
struct AnswerYes : Dialogs {
    MsgAnswer message(MsgKind, const QString&, MsgButtons buttons, const QString&) override {
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(const QString&, const QString&) override { return {}; }
    int exec(QObject*) override { return 0; }
};

// Processor time (user and system) of every child process waited for so far.
double childCpuSeconds() {
    struct rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor seconds of the last timed run: less swayed than the wall clock
// by other work on a shared machine, but blind to waiting for the disk.
double lastCpu = 0;

// Runs a program (or a shell line) and answers the seconds it took.
double timed(const QString& program, const QStringList& args, const QString& workDir = QString()) {
    // Each run starts with nothing left to write back from the one before.
    QProcess::execute(QStringLiteral("sync"), {});
    QProcess p;
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = childCpuSeconds();
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    const bool finished = p.waitForFinished(-1);
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    lastCpu = childCpuSeconds() - cpuBefore;
    if (qEnvironmentVariableIsSet("EXCHANGE_BENCH_TRACE"))
        std::fprintf(stderr, "%.3f s wall %.3f s cpu: %s %s\n", seconds, lastCpu, qPrintable(program),
                     qPrintable(args.join(QLatin1Char(' '))));
    if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))));
        std::exit(1);
    }
    return seconds;
}

double shell(const QString& line, const QString& workDir = QString()) {
    return timed(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), line}, workDir);
}

void writeBytes(const QString& path, qint64 size, quint32 seed) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 1;
    for (qint64 left = size; left > 0;) {
        for (char& c : block) c = char((x = x * 1664525u + 1013904223u) >> 24);
        const qint64 n = std::min<qint64>(left, block.size());
        f.write(block.constData(), n);
        left -= n;
    }
}

// A lesson of 40 reading pages, each with a picture, a video and a page
// sound, plus a lesson sound and background: about `mediaMb` MB in all.
qint64 makeLesson(HandleDataBase& hdb, int mediaMb) {
    Database& db = hdb.database();
    Database::Transaction transaction(db);
    Table lessons(db, TableId::Lesn);
    lessons.append();
    lessons.setString(QStringLiteral("Title"), QStringLiteral("Benchmark"));
    lessons.setBoolean(QStringLiteral("LessonSoundFile"), true);
    lessons.setInteger(QStringLiteral("Background"), 2);
    lessons.post();
    const qint64 lesson = lessons.key();
    const QString dir = LessonDirectory(hdb.programDir(), lesson);
    QDir().mkpath(dir);
    lessons.edit();
    lessons.setString(QStringLiteral("DirPath"), dir);
    lessons.post();

    const int pages = 40;
    const qint64 total = qint64(mediaMb) << 20;
    const qint64 perPage = (total - (4 << 20)) / pages;
    writeBytes(QDir(dir).filePath(FilePath(QStringLiteral("L"), lesson, QStringLiteral(".WAV"))), 2 << 20, 1);
    writeBytes(QDir(dir).filePath(FilePath(QStringLiteral("B"), lesson, QStringLiteral(".BMP"))), 2 << 20, 2);
    Table page(db, TableId::Page);
    Table words(db, TableId::Wurd);
    for (int p = 1; p <= pages; ++p) {
        page.append();
        page.setInteger(QStringLiteral("LesnRegNum"), lesson);
        page.setInteger(QStringLiteral("PageNumber"), p);
        page.setInteger(QStringLiteral("PageType"), 0);
        page.setBoolean(QStringLiteral("Picture"), true);
        page.setBoolean(QStringLiteral("Video"), true);
        page.setBoolean(QStringLiteral("PageSoundFile"), true);
        page.post();
        const qint64 key = page.key();
        writeBytes(QDir(dir).filePath(FilePath(QStringLiteral("P"), key, QStringLiteral(".BMP"))), perPage / 4, quint32(key * 3));
        writeBytes(QDir(dir).filePath(FilePath(QStringLiteral("V"), key, QStringLiteral(".WAV"))), perPage / 2, quint32(key * 3 + 1));
        writeBytes(QDir(dir).filePath(FilePath(QStringLiteral("T"), key, QStringLiteral(".WAV"))),
                   perPage - perPage / 4 - perPage / 2, quint32(key * 3 + 2));
        for (int w = 1; w <= 30; ++w) {
            words.append();
            words.setInteger(QStringLiteral("PageRegNum"), key);
            words.setInteger(QStringLiteral("WurdNumber"), w);
            words.setString(QStringLiteral("WText"), QStringLiteral("word%1").arg(w));
            words.post();
        }
    }
    transaction.commit();
    return lesson;
}

qint64 treeBytes(const QString& dir) {
    qint64 n = 0;
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files)) n += f.size();
    return n;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void removeAll(const QString& path) {
    QFileInfo info(path);
    if (info.isDir()) QDir(path).removeRecursively();
    else QFile::remove(path);
}

// The lesson directory the import made: the newest numbered folder.
void removeImportedLessons(const QString& programDir, const QString& keep) {
    const QDir workspace(QDir(programDir).filePath(QStringLiteral("workspac")));
    for (const QString& name : workspace.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (workspace.filePath(name) != keep) removeAll(workspace.filePath(name));
}

struct Samples {
    std::vector<double> wall, cpu;
};

void report(const char* what, const std::map<QString, Samples>& t, double mb) {
    auto wall = [&](const char* k) { return median(t.at(QLatin1String(k)).wall); };
    auto cpu = [&](const char* k) { return median(t.at(QLatin1String(k)).cpu); };
    std::printf("\n%s (%.0f MB of media, medians of %zu rounds)\n", what, mb, t.at(QStringLiteral("cp")).wall.size());
    std::printf("  %-24s %9s %10s %9s\n", "", "wall s", "MB/s", "cpu s");
    const std::pair<const char*, const char*> rows[] = {{"cp", "cp -r (floor)"},
                                                        {"durable", "cp -r + sync -d"},
                                                        {"export", "vellora-pack export"},
                                                        {"zip+split", "zip -0 -r + split"},
                                                        {"import", "vellora-pack import"},
                                                        {"cat+unzip", "cat + unzip"}};
    for (const auto& [key, label] : rows)
        std::printf("  %-24s %9.3f %10.1f %9.3f\n", label, wall(key), mb / wall(key), cpu(key));
    auto ratio = [&](const char* label, const char* a, const char* b, double target) {
        const double w = wall(a) / wall(b);
        const double c = cpu(a) / cpu(b);
        std::printf("  %-24s wall %5.2f  cpu %5.2f   (target <= %.2f) %s\n", label, w, c, target,
                    w <= target ? "met" : "NOT met");
    };
    ratio("export / (zip + split)", "export", "zip+split", 0.8);
    ratio("import / (cat + unzip)", "import", "cat+unzip", 0.6);
    ratio("export / durable copy", "export", "durable", 1.3);
    ratio("import / durable copy", "import", "durable", 1.3);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Options o = parse(app.arguments());
    QTemporaryDir tmp(o.dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/vellora-exchange-bench-XXXXXX")
                                      : o.dir + QStringLiteral("/vellora-exchange-bench-XXXXXX"));
    if (!tmp.isValid()) return 1;
    tmp.setAutoRemove(!o.keep);
    const QString pack = QStringLiteral(VELLORA_PACK_PATH);
    const QString source = tmp.filePath(QStringLiteral("source"));
    const QString target = tmp.filePath(QStringLiteral("target"));
    const QString work = tmp.filePath(QStringLiteral("work"));
    QDir().mkpath(source);
    QDir().mkpath(target);
    QDir().mkpath(work);

    qint64 lesson = 0;
    QString lessonDir;
    {
        AnswerYes yes;
        SilentStatusLine status;
        HandleDataBase hdb(source, yes, status);
        hdb.OpenDataBase();
        lesson = makeLesson(hdb, o.mediaMb);
        lessonDir = LessonDirectory(source, lesson);
    }
    timed(pack, {QStringLiteral("--data-dir"), target, QStringLiteral("list")});  // makes the target's database
    const double mb = double(treeBytes(lessonDir)) / (1 << 20);
    std::printf("lesson %lld: %.1f MB in %lld files; work directory %s\n", lesson, mb,
                qlonglong(QDir(lessonDir).entryList(QDir::Files).size()), qPrintable(tmp.path()));

    struct Case {
        const char* name;
        qint64 diskBytes;  // 0: one disk holding everything
    };
    std::vector<Case> cases = {{"one disk", 0}};
    if (o.diskMb > 0) cases.push_back({"several disks", qint64(o.diskMb) << 20});

    const QString n = QString::number(lesson);
    if (o.rounds <= 0) return 0;
    for (const Case& c : cases) {
        const QString splitSize = c.diskBytes > 0 ? QString::number(c.diskBytes) : QStringLiteral("1T");
        // Packages to import, made once.
        const QString package = tmp.filePath(QStringLiteral("package"));
        removeAll(package);
        QStringList exportArgs = {QStringLiteral("--data-dir"), source, QStringLiteral("export"), n, package};
        if (c.diskBytes > 0) exportArgs << QStringLiteral("--disk-size") << QString::number(c.diskBytes);
        timed(pack, exportArgs);
        QStringList pieces;
        if (c.diskBytes > 0) {
            for (int d = 1; QFileInfo::exists(QStringLiteral("%1/disk%2").arg(package).arg(d)); ++d)
                pieces << QStringLiteral("%1/disk%2/lesn.lsn").arg(package).arg(d);
        } else {
            pieces << package + QStringLiteral("/lesn.lsn");
        }
        const QString zipped = tmp.filePath(QStringLiteral("plain.zip"));
        removeAll(zipped);
        shell(QStringLiteral("zip -0 -q -r '%1' .").arg(zipped), lessonDir);
        const QString plainPieces = tmp.filePath(QStringLiteral("plain-pieces"));
        removeAll(plainPieces);
        QDir().mkpath(plainPieces);
        shell(QStringLiteral("split -b %1 '%2' '%3/part.'").arg(splitSize, zipped, plainPieces));
        removeAll(zipped);

        std::map<QString, Samples> times;
        auto note = [&](const char* key, double seconds) {
            times[QLatin1String(key)].wall.push_back(seconds);
            times[QLatin1String(key)].cpu.push_back(lastCpu);
        };
        for (int r = 0; r < o.rounds; ++r) {
            const QString out = QDir(work).filePath(QStringLiteral("out"));
            // cp -r: the floor.
            note("cp", shell(QStringLiteral("cp -r '%1' '%2'").arg(lessonDir, out)));
            removeAll(out);
            // cp -r with every file and the folder on the disk.
            note("durable", shell(QStringLiteral("cp -r '%1' '%2' && sync -d '%2'/* '%2'").arg(lessonDir, out)));
            removeAll(out);
            // vellora-pack export.
            QStringList args = {QStringLiteral("--data-dir"), source, QStringLiteral("export"), n, out};
            if (c.diskBytes > 0) args << QStringLiteral("--disk-size") << QString::number(c.diskBytes);
            note("export", timed(pack, args));
            removeAll(out);
            // zip -0 -r, then split into disks.
            QDir().mkpath(out);
            note("zip+split",
                shell(QStringLiteral("zip -0 -q -r '%1/lesn.zip' . && split -b %2 '%1/lesn.zip' '%1/lesn.lsn.' && rm '%1/lesn.zip'")
                          .arg(out, splitSize),
                      lessonDir));
            removeAll(out);
            // vellora-pack import.
            note("import",
                timed(pack, QStringList{QStringLiteral("--data-dir"), target, QStringLiteral("import")} + pieces));
            removeImportedLessons(target, QString());
            // cat the pieces, then unzip.
            QDir().mkpath(out);
            note("cat+unzip",
                shell(QStringLiteral("cat '%1'/part.* > '%2/lesn.zip' && unzip -q '%2/lesn.zip' -d '%2/lesson'").arg(plainPieces, out)));
            removeAll(out);
        }
        report(c.name, times, mb);
        removeAll(package);
        removeAll(plainPieces);
    }
    return 0;
}
