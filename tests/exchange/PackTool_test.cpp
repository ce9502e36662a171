#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "ExchangeTestSupport.h"
#include "PackTool.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

ToolRun pack(const QString& dataDir, QStringList args) {
    ToolRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    if (!dataDir.isEmpty()) args = QStringList{QStringLiteral("--data-dir"), dataDir} + args;
    run.status = VelloraPack(QStringList{QStringLiteral("vellora-pack")} + args, out, err);
    out.flush();
    err.flush();
    return run;
}

// One line on stderr, starting with the tool's name.
void expectOneLineError(const ToolRun& run, const QString& fragment) {
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("vellora-pack: "))) << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QLatin1Char('\r')));
    EXPECT_TRUE(run.err.contains(fragment)) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

struct PackToolTest : ::testing::Test {
    DataDir source;
    DataDir target;
    TempDir out;
    BuiltLesson lesson = makeLesson(source, {.readingPages = 2, .wordsPerPage = 3, .questionPages = 1,
                                             .mediaSize = 20000, .seed = 4, .title = QStringLiteral("Birds\nand bees")});

    QString number(qint64 n) const { return QString::number(n); }
    qint64 importedNumber(const ToolRun& run) const { return run.out.trimmed().toLongLong(); }
};

TEST_F(PackToolTest, ListsEveryLessonWithItsPagesAndTitle) {
    makeLesson(source, {.readingPages = 0, .questionPages = 0, .seed = 8, .title = QStringLiteral("Empty")});
    const ToolRun run = pack(source.programDir, {QStringLiteral("list")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("1\t3\tBirds and bees\n2\t0\tEmpty\n"));
}

TEST_F(PackToolTest, ExportsToOneDirectoryAndImportsIt) {
    const auto before = filesIn(lesson.directory);
    const ToolRun exported = pack(source.programDir, {QStringLiteral("export"), number(lesson.number), out.path()});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.isEmpty() && exported.err.isEmpty());
    EXPECT_EQ(namesIn(out.path()), (QStringList{QStringLiteral("DiskID"), QStringLiteral("lesn.lsn")}));
    EXPECT_EQ(filesIn(lesson.directory), before);

    // Into a new data directory, whose working database it makes first.
    TempDir fresh;
    const QString dataDir = fresh.file(QStringLiteral("data"));
    EXPECT_EQ(pack(dataDir, {QStringLiteral("list")}).out, QString());
    const ToolRun first = pack(dataDir, {QStringLiteral("import"), out.file(QStringLiteral("lesn.lsn"))});
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, QStringLiteral("1\n"));

    makeLesson(target, {.seed = 30});
    const ToolRun imported = pack(target.programDir, {QStringLiteral("import"), out.file(QStringLiteral("lesn.lsn"))});
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    const qint64 n = importedNumber(imported);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(lessonRows(target.db(), n)[TableId::Page].size(), 3u);
    EXPECT_EQ(filesIn(LessonDirectory(target.programDir, n)).size(), lesson.media.size());
    EXPECT_FALSE(QFileInfo::exists(target.scratch()));
}

TEST_F(PackToolTest, ExportsOntoDisksOfAGivenSizeAndImportsThemInOrder) {
    const qint64 diskSize = 30000;
    const ToolRun exported = pack(source.programDir, {QStringLiteral("export"), number(lesson.number), out.path(),
                                                  QStringLiteral("--disk-size"), QString::number(diskSize)});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    QStringList pieces;
    for (int n = 1; QFileInfo::exists(out.file(QStringLiteral("disk%1").arg(n))); ++n) {
        qint64 used = 0;
        for (const auto& [name, bytes] : filesIn(out.file(QStringLiteral("disk%1").arg(n)))) used += bytes.size();
        EXPECT_LE(used, diskSize);
        EXPECT_EQ(diskIdAt(out.file(QStringLiteral("disk%1/DiskID").arg(n))).DiskNumber, n);
        pieces << out.file(QStringLiteral("disk%1/lesn.lsn").arg(n));
    }
    ASSERT_GE(pieces.size(), 3);

    const ToolRun imported = pack(target.programDir, QStringList{QStringLiteral("import")} + pieces);
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    const qint64 n = importedNumber(imported);
    EXPECT_EQ(filesIn(LessonDirectory(target.programDir, n)).size(), lesson.media.size());

    // Disk 2 before disk 1 and never again: the set cannot be completed and
    // nothing is imported.
    const auto dbBefore = dumpDatabase(target.db());
    QStringList wrong = pieces;
    std::swap(wrong[0], wrong[1]);
    expectOneLineError(pack(target.programDir, QStringList{QStringLiteral("import")} + wrong),
                       texts::kCouldNotReassemble);
    EXPECT_EQ(dumpDatabase(target.db()), dbBefore);
    // Inserted again when the set asks for it, disk 2 completes it.
    const QStringList again = QStringList{pieces[1], pieces[0]} + pieces.mid(1);
    const ToolRun second = pack(target.programDir, QStringList{QStringLiteral("import")} + again);
    EXPECT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_EQ(importedNumber(second), n + 1);
}

TEST_F(PackToolTest, FailuresEndWithOneLineAndNothingChanged) {
    ASSERT_EQ(pack(source.programDir, {QStringLiteral("export"), number(lesson.number), out.path()}).status, 0);
    QDir().mkpath(out.file(QStringLiteral("junk")));
    QDir().mkpath(out.file(QStringLiteral("named")));
    writeFile(out.file(QStringLiteral("junk/lesn.lsn")), patternBytes(3000, 2));
    writeFile(out.file(QStringLiteral("named/other.lsn")), readFile(out.file(QStringLiteral("lesn.lsn"))));
    struct Case {
        const char* what;
        QStringList args;
        QString fragment;
    };
    const Case cases[] = {
        {"unknown lesson", {QStringLiteral("export"), QStringLiteral("99"), out.file(QStringLiteral("x"))},
         QStringLiteral("no lesson numbered 99")},
        {"export twice into one directory", {QStringLiteral("export"), number(lesson.number), out.path()},
         oneLine(texts::kLesnDisk)},
        {"disks too small",
         {QStringLiteral("export"), number(lesson.number), out.file(QStringLiteral("small")), QStringLiteral("--disk-size"),
          QStringLiteral("2000")},
         texts::kInsufficientCapacity},
        {"not a package", {QStringLiteral("import"), out.file(QStringLiteral("junk/lesn.lsn"))}, texts::kErrorImporting},
        {"not named lesn.lsn", {QStringLiteral("import"), out.file(QStringLiteral("named/other.lsn"))},
         QStringLiteral("must be named lesn.lsn")},
        {"no such file", {QStringLiteral("import"), out.file(QStringLiteral("none/lesn.lsn"))}, texts::kCouldNotReassemble},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto dbBefore = dumpDatabase(source.db());
        const auto dataBefore = treeDigest(source.programDir);
        expectOneLineError(pack(source.programDir, c.args), c.fragment);
        EXPECT_EQ(dumpDatabase(source.db()), dbBefore);
        EXPECT_EQ(treeDigest(source.programDir), dataBefore);
    }
}

TEST_F(PackToolTest, ArgumentsThatMakeNoSenseGiveUsage) {
    const QStringList cases[] = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("list"), QStringLiteral("extra")},
        {QStringLiteral("export"), QStringLiteral("1")},
        {QStringLiteral("import")},
        {QStringLiteral("export"), QStringLiteral("1"), QStringLiteral("d"), QStringLiteral("--disk-size"), QStringLiteral("0")},
        {QStringLiteral("export"), QStringLiteral("1"), QStringLiteral("d"), QStringLiteral("--disk-size"), QStringLiteral("lots")},
        {QStringLiteral("import"), QStringLiteral("x"), QStringLiteral("--disk-size"), QStringLiteral("100")},
        {QStringLiteral("list"), QStringLiteral("--data-dir")},
        {QStringLiteral("list"), QStringLiteral("--verbose")},
    };
    for (const QStringList& args : cases) {
        const ToolRun run = pack(QString(), args);
        EXPECT_EQ(run.status, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("usage:"))) << args.join(QLatin1Char(' ')).toStdString();
    }
    const ToolRun help = pack(QString(), {QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage:")));
}

#ifdef VELLORA_PACK_PATH
// The built program: exit status, standard output and one error line.
TEST_F(PackToolTest, TheBuiltProgramExportsAndImports) {
    auto run = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(VELLORA_PACK_PATH), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return ToolRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                   QString::fromUtf8(p.readAllStandardError())};
    };
    const QString dirOption = QStringLiteral("--data-dir");
    const ToolRun exported = run({dirOption, source.programDir, QStringLiteral("export"), number(lesson.number), out.path()});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    const ToolRun imported = run({dirOption, target.programDir, QStringLiteral("import"), out.file(QStringLiteral("lesn.lsn"))});
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, QStringLiteral("1\n"));
    const ToolRun listed = run({dirOption, target.programDir, QStringLiteral("list")});
    EXPECT_EQ(listed.out, QStringLiteral("1\t3\tBirds and bees\n"));
    const ToolRun twice = run({dirOption, source.programDir, QStringLiteral("export"), number(lesson.number), out.path()});
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.err, QStringLiteral("vellora-pack: ") + oneLine(texts::kLesnDisk) + QStringLiteral("\n"));
    EXPECT_EQ(run({QStringLiteral("bogus")}).status, 2);

    // Speech: one line per word with its stop time; bad input ends with one line.
    const QString text = out.file(QStringLiteral("page.txt"));
    writeFile(text, "The cat sat\non the mat.");
    const QString wav = out.file(QStringLiteral("page.wav"));
    const ToolRun spoken = run({QStringLiteral("speak"), text, wav, QStringLiteral("--rate"), QStringLiteral("160")});
    ASSERT_EQ(spoken.status, 0) << spoken.err.toStdString();
    const QStringList lines = spoken.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("mat.\t")));
    qint64 previous = 0;
    for (const QString& line : lines) {
        const qint64 stop = line.section(QLatin1Char('\t'), 1, 1).toLongLong();
        EXPECT_GT(stop, previous) << line.toStdString();
        previous = stop;
    }
    EXPECT_GT(QFileInfo(wav).size(), 1000);
    // Align finds the same words in that narration, each near its spoken time.
    const ToolRun aligned = run({QStringLiteral("align"), wav, text});
    ASSERT_EQ(aligned.status, 0) << aligned.err.toStdString();
    const QStringList found = aligned.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(found.size(), 6);
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(found[k].section(QLatin1Char('\t'), 1, 1).toDouble(),
                    lines[k].section(QLatin1Char('\t'), 1, 1).toDouble(), 120) << found[k].toStdString();
    writeFile(out.file(QStringLiteral("cut.wav")), readFile(wav).left(40));
    writeFile(out.file(QStringLiteral("binary.txt")), QByteArray("\0\1\2", 3));
    const struct {
        QStringList args;
        int status;
    } bad[] = {
        {{QStringLiteral("speak"), out.file(QStringLiteral("missing.txt")), wav}, 1},
        {{QStringLiteral("speak"), out.file(QStringLiteral("binary.txt")), wav}, 1},
        {{QStringLiteral("speak"), text, out.file(QStringLiteral("no/such/dir/x.wav"))}, 1},
        {{QStringLiteral("speak"), text, wav, QStringLiteral("--voice"), QStringLiteral("no-such-voice")}, 1},
        {{QStringLiteral("speak"), text}, 2},
        {{QStringLiteral("align"), out.file(QStringLiteral("cut.wav")), text}, 1},
        {{QStringLiteral("align"), wav, out.file(QStringLiteral("missing.txt"))}, 1},
        {{QStringLiteral("align"), wav}, 2},
        {{QStringLiteral("speak"), text, wav, QStringLiteral("--rate"), QStringLiteral("9")}, 2},
    };
    for (const auto& c : bad) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(QLatin1Char(' ')).toStdString();
        if (c.status == 1)
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains(QStringLiteral("usage:"))) << r.err.toStdString();
    }
}
#endif

}  // namespace
