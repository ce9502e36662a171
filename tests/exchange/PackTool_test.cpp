#include "PackTool.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>

#include "ExchangeTestSupport.h"

using namespace vellora;
using namespace vellora::testing;
using namespace Qt::StringLiterals;

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
    if (!dataDir.isEmpty()) args = QStringList{"--data-dir", dataDir} + args;
    run.status = VelloraPack(QStringList{"vellora-pack"} + args, out, err);
    out.flush();
    err.flush();
    return run;
}

// One line on stderr, starting with the tool's name.
void expectOneLineError(const ToolRun& run, const QString& fragment) {
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith(u"vellora-pack: "_s)) << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QLatin1Char('\r')));
    EXPECT_TRUE(run.err.contains(fragment)) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

struct PackToolTest : ::testing::Test {
    DataDir source;
    DataDir target;
    TempDir out;
    BuiltLesson lesson = makeLesson(source, {.readingPages = 2,
                                             .wordsPerPage = 3,
                                             .questionPages = 1,
                                             .mediaSize = 20000,
                                             .seed = 4,
                                             .title = "Birds\nand bees"});

    const QString number = QString::number(lesson.number);
};

TEST_F(PackToolTest, ListsEveryLessonWithItsPagesAndTitle) {
    makeLesson(source, {.readingPages = 0, .questionPages = 0, .seed = 8, .title = "Empty"});
    const ToolRun run = pack(source.programDir, {"list"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, u"1\t3\tBirds and bees\n2\t0\tEmpty\n"_s);
}

TEST_F(PackToolTest, ExportsToOneDirectoryAndImportsIt) {
    const auto before = filesIn(lesson.directory);
    const ToolRun exported = pack(source.programDir, {"export", number, out.path()});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.isEmpty() && exported.err.isEmpty());
    EXPECT_EQ(namesIn(out.path()), (QStringList{"DiskID", "lesn.lsn"}));
    EXPECT_EQ(filesIn(lesson.directory), before);

    // Into a new data directory, whose working database it makes first.
    TempDir fresh;
    const QString dataDir = fresh.file(u"data"_s);
    EXPECT_EQ(pack(dataDir, {"list"}).out, QString());
    const ToolRun first = pack(dataDir, {"import", piece(out.path())});
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, u"1\n"_s);

    makeLesson(target, {.seed = 30});
    const ToolRun imported = pack(target.programDir, {"import", piece(out.path())});
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, u"2\n"_s);
    expectSameLesson(source, lesson, target, 2);
    EXPECT_FALSE(QFileInfo::exists(target.scratch()));
}

TEST_F(PackToolTest, ExportsOntoDisksOfAGivenSizeAndImportsThemInOrder) {
    const qint64 diskSize = 30000;
    const ToolRun exported = pack(source.programDir, {"export", number, out.path(), "--disk-size",
                                                      QString::number(diskSize)});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    QStringList pieces;
    for (int n = 1; QFileInfo::exists(piece(out.path(), n)); ++n) {
        const QString disk = QFileInfo(piece(out.path(), n)).path();
        EXPECT_LE(QFileInfo(piece(disk)).size() + DiskId::kSize, diskSize);
        EXPECT_EQ(namesIn(disk), (QStringList{"DiskID", "lesn.lsn"}));
        EXPECT_EQ(diskIdIn(disk).DiskNumber, n);
        pieces << piece(disk);
    }
    ASSERT_GE(pieces.size(), 3);

    const ToolRun imported = pack(target.programDir, QStringList{"import"} + pieces);
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    expectSameLesson(source, lesson, target, 1);

    // Disk 2 before disk 1 and never again: the set cannot be completed and
    // nothing is imported.
    const auto dbBefore = dumpDatabase(target.db());
    QStringList wrong = pieces;
    std::swap(wrong[0], wrong[1]);
    expectOneLineError(pack(target.programDir, QStringList{"import"} + wrong),
                       texts::kCouldNotReassemble);
    EXPECT_EQ(dumpDatabase(target.db()), dbBefore);
    // Inserted again when the set asks for it, disk 2 completes it.
    const QStringList again = QStringList{pieces[1], pieces[0]} + pieces.mid(1);
    const ToolRun second = pack(target.programDir, QStringList{"import"} + again);
    EXPECT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, u"2\n"_s);
    expectSameLesson(source, lesson, target, 2);
}

TEST_F(PackToolTest, FailuresEndWithOneLineAndNothingChanged) {
    ASSERT_EQ(pack(source.programDir, {"export", number, out.path()}).status, 0);
    QDir().mkpath(out.file(u"junk"_s));
    QDir().mkpath(out.file(u"named"_s));
    writeFile(out.file(u"junk/lesn.lsn"_s), patternBytes(3000, 2));
    writeFile(out.file(u"named/other.lsn"_s), readFile(piece(out.path())));
    struct Case {
        const char* what;
        QStringList args;
        QString fragment;
    };
    const Case cases[] = {
        {"unknown lesson", {"export", "99", out.file(u"x"_s)}, "no lesson numbered 99"},
        {"export twice into one directory",
         {"export", number, out.path()},
         oneLine(texts::kLesnDisk)},
        {"disks too small",
         {"export", number, out.file(u"small"_s), "--disk-size", "2000"},
         texts::kInsufficientCapacity},
        {"not a package", {"import", out.file(u"junk/lesn.lsn"_s)}, texts::kErrorImporting},
        {"not named lesn.lsn",
         {"import", out.file(u"named/other.lsn"_s)},
         "must be named lesn.lsn"},
        {"no such file", {"import", out.file(u"none/lesn.lsn"_s)}, texts::kCouldNotReassemble},
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
        {"frobnicate"},
        {"list", "extra"},
        {"export", "1"},
        {"import"},
        {"export", "1", "d", "--disk-size", "0"},
        {"export", "1", "d", "--disk-size", "lots"},
        {"import", "x", "--disk-size", "100"},
        {"list", "--data-dir"},
        {"list", "--verbose"},
    };
    for (const QStringList& args : cases) {
        const ToolRun run = pack(QString(), args);
        EXPECT_EQ(run.status, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(u"usage:"_s)) << args.join(QLatin1Char(' ')).toStdString();
    }
    const ToolRun help = pack(QString(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(u"usage:"_s));
}

#ifdef VELLORA_PACK_PATH
// The built program: exit status, standard output and one error line.
TEST_F(PackToolTest, TheBuiltProgramExportsAndImports) {
    auto run = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(VELLORA_PACK_PATH), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return ToolRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                       QString::fromUtf8(p.readAllStandardOutput()),
                       QString::fromUtf8(p.readAllStandardError())};
    };
    const QString dirOption = u"--data-dir"_s;
    const ToolRun exported = run({dirOption, source.programDir, "export", number, out.path()});
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    const ToolRun imported = run({dirOption, target.programDir, "import", piece(out.path())});
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, u"1\n"_s);
    const ToolRun listed = run({dirOption, target.programDir, "list"});
    EXPECT_EQ(listed.out, u"1\t3\tBirds and bees\n"_s);
    const ToolRun twice = run({dirOption, source.programDir, "export", number, out.path()});
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.err, u"vellora-pack: "_s + oneLine(texts::kLesnDisk) + u"\n"_s);
    EXPECT_EQ(run({"bogus"}).status, 2);

    // Speech: one line per word with its stop time; bad input ends with one line.
    const QString text = out.file(u"page.txt"_s);
    writeFile(text, "The cat sat\non the mat.");
    const QString wav = out.file(u"page.wav"_s);
    const ToolRun spoken = run({"speak", text, wav, "--rate", "160"});
    ASSERT_EQ(spoken.status, 0) << spoken.err.toStdString();
    const QStringList lines = spoken.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[5].startsWith(u"mat.\t"_s));
    qint64 previous = 0;
    for (const QString& line : lines) {
        const qint64 stop = line.section(QLatin1Char('\t'), 1, 1).toLongLong();
        EXPECT_GT(stop, previous) << line.toStdString();
        previous = stop;
    }
    EXPECT_GT(QFileInfo(wav).size(), 1000);
    // Align finds the same words in that narration, each near its spoken time.
    const ToolRun aligned = run({"align", wav, text});
    ASSERT_EQ(aligned.status, 0) << aligned.err.toStdString();
    const QStringList found = aligned.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(found.size(), 6);
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(found[k].section(QLatin1Char('\t'), 1, 1).toDouble(),
                    lines[k].section(QLatin1Char('\t'), 1, 1).toDouble(), 120)
            << found[k].toStdString();
    writeFile(out.file(u"cut.wav"_s), readFile(wav).left(40));
    writeFile(out.file(u"binary.txt"_s), QByteArray("\0\1\2", 3));
    const struct {
        QStringList args;
        int status;
    } bad[] = {
        {{"speak", out.file(u"missing.txt"_s), wav}, 1},
        {{"speak", out.file(u"binary.txt"_s), wav}, 1},
        {{"speak", text, out.file(u"no/such/dir/x.wav"_s)}, 1},
        {{"speak", text, wav, "--voice", "no-such-voice"}, 1},
        {{"speak", text}, 2},
        {{"align", out.file(u"cut.wav"_s), text}, 1},
        {{"align", wav, out.file(u"missing.txt"_s)}, 1},
        {{"align", wav}, 2},
        {{"speak", text, wav, "--rate", "9"}, 2},
    };
    for (const auto& c : bad) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(QLatin1Char(' ')).toStdString();
        if (c.status == 1)
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        else
            EXPECT_TRUE(r.err.contains(u"usage:"_s)) << r.err.toStdString();
    }
}
#endif

}  // namespace
