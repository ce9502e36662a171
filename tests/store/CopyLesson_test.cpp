#include "CopyLesson.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>

#include "FileNames.h"
#include "FillRow.h"
#include "QtPrinters.h"
#include "StatusLine.h"
#include "TempDir.h"
#include "TestFiles.h"

using namespace vellora;
using namespace vellora::testing;

namespace {

const QString kS26 = QStringLiteral("Transferring the database to ");

struct RecordingStatus : StatusLine {
    std::vector<QString> texts;
    QString throwOn;  // interrupts the copy when this text is shown
    void setStatusText(const QString& text) override {
        texts.push_back(text);
        if (!throwOn.isEmpty() && text.endsWith(throwOn))
            throw StoreError(StoreError::Code::Io, QStringLiteral("stop"));
    }
};

std::unique_ptr<Database> makeDatabase(const QString& dir, bool autoInc) {
    QDir().mkpath(dir);
    Database::createTables(dir, autoInc);
    return std::make_unique<Database>(dir);
}

// Appends a filled row with the given fields set; answers its key.
qint64 add(Database& db, TableId id, int seed,
           std::initializer_list<std::pair<const char*, QVariant>> fields) {
    Table t(db, id);
    t.append();
    fillRow(t, seed);
    for (const auto& [name, value] : fields)
        t.setField(fieldIndex(t.def(), QLatin1String(name)), value);
    t.post();
    return t.key();
}
qint64 addLesson(Database& db, int seed, bool sound = false, qint64 background = 0) {
    return add(db, TableId::Lesn, seed, {{"LessonSoundFile", sound}, {"Background", background}});
}
qint64 addPage(Database& db, qint64 lesn, int number, int type, int seed, bool picture = false,
               bool video = false, bool sound = false) {
    return add(db, TableId::Page, seed,
               {{"LesnRegNum", lesn},
                {"PageNumber", number},
                {"PageType", type},
                {"Picture", picture},
                {"Video", video},
                {"PageSoundFile", sound}});
}
qint64 addWurd(Database& db, qint64 page, int number, int seed, bool sound) {
    return add(db, TableId::Wurd, seed,
               {{"PageRegNum", page}, {"WurdNumber", number}, {"WSoundFile", sound}});
}
qint64 addChoice(Database& db, qint64 page, int seed, bool choiceSound, bool responseSound) {
    return add(
        db, TableId::Choice, seed,
        {{"PageRegNum", page}, {"ChoiceSound", choiceSound}, {"ResponseSound", responseSound}});
}

// The lesson of the examples: two reading pages of three words each and one
// question page of four choices, with media flags on some rows.
struct Sample {
    qint64 lesn = 0;
    std::vector<qint64> pages, wurds, choices;
    qint64 strayChoice = 0, strayWurd = 0;

    void build(Database& db, bool strays = false) {
        lesn = addLesson(db, 1, true, 2);
        pages.push_back(addPage(db, lesn, 1, 0, 11, true, false, true));
        pages.push_back(addPage(db, lesn, 2, 0, 12, true, true, true));
        pages.push_back(addPage(db, lesn, 3, 1, 13));
        for (int p = 0; p < 2; ++p)
            for (int w = 1; w <= 3; ++w)
                wurds.push_back(addWurd(db, pages[size_t(p)], w, 100 + p * 10 + w, true));
        for (int c = 1; c <= 4; ++c)
            choices.push_back(addChoice(db, pages[2], 200 + c, true, c % 2 == 1));
        if (strays) {
            // Rows of the other kind than their page: never copied.
            strayChoice = addChoice(db, pages[0], 300, true, true);
            strayWurd = addWurd(db, pages[2], 1, 301, true);
        }
    }
};

// A program directory with a working database ("db") and the sample lesson
// in a second installation, exported into the scratch directory.
struct ImportSetup {
    TempDir program;
    QString programDir = program.path();
    QString scratch = ScratchDirectory(programDir);
    std::unique_ptr<Database> working =
        makeDatabase(QDir(programDir).filePath(QStringLiteral("db")), true);
    TempDir otherProgram;
    std::unique_ptr<Database> other = makeDatabase(otherProgram.file(QStringLiteral("db")), true);
    std::unique_ptr<Database> package;
    Sample sample;

    explicit ImportSetup(bool strays = false) {
        sample.build(*other, strays);
        package = makeDatabase(scratch, false);
        CopyLesson(*other, sample.lesn, *package, CopyDirection::Out, {});
    }
    CopyLessonOptions options(StatusLine* status = nullptr) const {
        CopyLessonOptions o;
        o.programDir = programDir;
        o.status = status;
        return o;
    }
};

}  // namespace

TEST(CopyLesson, OutCopiesTheLessonsRowsWithKeysUnchangedAndReportsProgress) {
    TempDir tmp;
    auto working = makeDatabase(tmp.file(QStringLiteral("db")), true);
    // Another lesson before it, so that the keys are not simply 1, 2, 3.
    addWurd(*working, addPage(*working, addLesson(*working, 50), 1, 0, 51), 1, 52, false);
    Sample s;
    s.build(*working);
    const QString lessonDir = tmp.file(QStringLiteral("workspac/00000002"));
    auto package = makeDatabase(lessonDir, false);

    RecordingStatus status;
    CopyLessonOptions o;
    o.status = &status;
    o.destinationName = lessonDir;
    const CopyLessonResult r = CopyLesson(*working, s.lesn, *package, CopyDirection::Out, o);

    EXPECT_EQ(r.lesnRegNum, s.lesn);
    EXPECT_EQ(std::tuple(r.pages, r.wurds, r.choices), std::tuple(3, 6, 4));
    // Every field identical, blank staying blank, and nothing of the other lesson.
    EXPECT_EQ(dumpDatabase(*package), lessonRows(*working, s.lesn));

    const QString lead = QStringLiteral(" ") + kS26;
    std::vector<QString> expected = {lead + QStringLiteral(" ") + lessonDir};
    for (int p = 1; p <= 3; ++p) {
        expected.push_back(lead + QStringLiteral(" Page %1").arg(p));
        for (int n = 1; n <= (p < 3 ? 3 : 4); ++n)
            expected.push_back(p < 3 ? QStringLiteral("Copying ") + kS26 +
                                           QStringLiteral(" Page %1, Word %2").arg(p).arg(n)
                                     : lead + QStringLiteral(" Page 3, Choice %1").arg(n));
    }
    EXPECT_EQ(status.texts, expected);
}

// Copying in (new keys, references following them, media renamed without
// mixing them up) is checked end to end by the import's golden round trips
// (exchange/Import_test.cpp), the renaming itself by MediaRenumbering_test.cpp.

TEST(CopyLesson, OnlyTheBranchOfThePageTypeIsCopiedInBothDirections) {
    ImportSetup s(true);  // the package came out of the database with the stray rows
    CopyLesson(*s.other, s.sample.lesn, *s.working, CopyDirection::In, s.options());
    for (Database* db : {s.package.get(), s.working.get()}) {
        EXPECT_EQ(dumpTable(*db, TableId::Wurd).size(), 6u);
        EXPECT_EQ(dumpTable(*db, TableId::Choice).size(), 4u);
    }
    EXPECT_FALSE(dumpTable(*s.package, TableId::Wurd).count(s.sample.strayWurd));
    EXPECT_FALSE(dumpTable(*s.package, TableId::Choice).count(s.sample.strayChoice));
}

TEST(CopyLesson, ALessonWithoutPagesCopiesOnlyItsRowBothWays) {
    TempDir tmp;
    auto working = makeDatabase(tmp.file(QStringLiteral("db")), true);
    const qint64 lesn = addLesson(*working, 7);
    addPage(*working, addLesson(*working, 8), 1, 0, 9);  // another lesson's page stays behind
    auto package = makeDatabase(tmp.file(QStringLiteral("pkg")), false);
    EXPECT_EQ(CopyLesson(*working, lesn, *package, CopyDirection::Out, {}).pages, 0);
    auto again = makeDatabase(tmp.file(QStringLiteral("db2")), true);
    CopyLessonOptions o;
    o.programDir = tmp.path();
    const CopyLessonResult in = CopyLesson(*package, lesn, *again, CopyDirection::In, o);
    EXPECT_EQ(in.lessonDirectory, tmp.path() + QStringLiteral("/workspac/00000001"));
    for (Database* db : {package.get(), again.get()}) {
        EXPECT_EQ(dumpTable(*db, TableId::Lesn).size(), 1u);
        EXPECT_TRUE(dumpTable(*db, TableId::Page).empty());
    }
}

// Every refusal leaves both sides as they were.
TEST(CopyLesson, MissingLessonOrWrongDestinationIsRefusedAndWritesNothing) {
    ImportSetup s;
    auto package = makeDatabase(s.program.file(QStringLiteral("pkg")), false);
    auto empty = makeDatabase(s.program.file(QStringLiteral("empty")), false);
    auto otherWorking = makeDatabase(s.program.file(QStringLiteral("w2")), true);
    const auto packageBefore = dumpDatabase(*s.package);
    const auto expectMissing = [](auto&& f) {
        try {
            f();
            ADD_FAILURE() << "no exception";
        } catch (const HDDBExeption& e) {
            EXPECT_EQ(e.message(), QStringLiteral("SrcLesnRegNum does not exist"));
        }
    };
    expectMissing([&] { CopyLesson(*s.other, 77, *package, CopyDirection::Out, {}); });
    expectMissing(
        [&] { CopyLesson(*empty, 1, *s.working, CopyDirection::In, s.options()); });  // no lesson
    // "out" into tables that assign keys would renumber the lesson and break
    // its references; "in" into caller-keyed tables has no keys to give.
    EXPECT_THROW(CopyLesson(*s.other, s.sample.lesn, *otherWorking, CopyDirection::Out, {}),
                 HDDBExeption);
    EXPECT_THROW(CopyLesson(*s.package, 1, *package, CopyDirection::In, s.options()), HDDBExeption);
    // "out" into a package that already holds the lesson.
    EXPECT_THROW(CopyLesson(*s.other, s.sample.lesn, *s.package, CopyDirection::Out, {}),
                 StoreError);
    EXPECT_EQ(dumpDatabase(*s.package), packageBefore);
    for (TableId id : kAllTables) {
        EXPECT_TRUE(dumpTable(*package, id).empty());
        EXPECT_TRUE(dumpTable(*s.working, id).empty());
        EXPECT_TRUE(dumpTable(*otherWorking, id).empty());
    }
}

namespace {

// Makes one word row of the package one the working database refuses: its
// text is longer than the field allows. Only a crafted package holds such a row.
void spoilWord(const QString& packageDir, qint64 wurd) {
    sqlite3* db = nullptr;
    ASSERT_EQ(
        sqlite3_open(QDir(packageDir).filePath(QStringLiteral("BKWRD002.DB")).toUtf8().constData(),
                     &db),
        SQLITE_OK);
    const QByteArray sql = "PRAGMA ignore_check_constraints=ON; UPDATE BKWRD002 SET WText='" +
                           QByteArray(30, 'x') + "' WHERE WurdRegNum=" + QByteArray::number(wurd) +
                           ";";
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err), SQLITE_OK)
        << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

void putSampleMedia(const QString& dir) {
    for (const char* n : {"L0000001.WAV", "T0000001.WAV", "T0000002.WAV", "W0000001.WAV",
                          "W0000002.WAV", "W0000005.WAV", "C0000001.WAV"})
        writeFile(QDir(dir).filePath(QString::fromLatin1(n)), QByteArray("content of ") + n);
}

}  // namespace

TEST(CopyLesson, InThatFailsHalfWayLeavesTheWorkingDatabaseAndTheMediaAsTheyWere) {
    enum class Failure { RefusedRow, Interrupted, RenameRefused, RenameBlocked };
    for (Failure failure : {Failure::RefusedRow, Failure::Interrupted, Failure::RenameRefused,
                            Failure::RenameBlocked}) {
        SCOPED_TRACE(int(failure));
        ImportSetup s;
        const qint64 own = addLesson(*s.working, 90);
        addWurd(*s.working, addPage(*s.working, own, 1, 0, 91), 1, 92, false);
        putSampleMedia(s.scratch);
        RecordingStatus status;
        CopyLessonOptions o = s.options(&status);
        int renames = 0;
        switch (failure) {
            case Failure::RefusedRow:
                spoilWord(s.scratch, s.sample.wurds[4]);  // page 2, word 2
                break;
            case Failure::Interrupted:
                status.throwOn = QStringLiteral("Page 3, Choice 2");
                break;
            case Failure::RenameRefused:
                // The fifth move fails: some files are already staged or renamed.
                o.renameFile = [&](const QString& from, const QString& to) {
                    return ++renames != 5 && QFile::rename(from, to);
                };
                break;
            case Failure::RenameBlocked:
                // A directory holds the new name of word 2's sound.
                QDir(s.scratch).mkdir(QStringLiteral("W0000003.WAV"));
                break;
        }
        const auto before = dumpDatabase(*s.working);
        const auto filesBefore = filesIn(s.scratch);

        EXPECT_THROW(CopyLesson(*s.package, 1, *s.working, CopyDirection::In, o), StoreError);

        EXPECT_EQ(dumpDatabase(*s.working), before);
        EXPECT_EQ(filesIn(s.scratch), filesBefore);
        if (failure == Failure::RenameRefused) {
            EXPECT_GE(renames, 5);
        }

        // The store hands out the numbers it would have given anyway: the
        // failed copy left no trace in the key counters either.
        if (failure != Failure::RefusedRow && failure != Failure::RenameBlocked) {
            o.renameFile = {};
            status.throwOn.clear();
            const CopyLessonResult r = CopyLesson(*s.package, 1, *s.working, CopyDirection::In, o);
            EXPECT_EQ(r.lesnRegNum, own + 1);
            EXPECT_EQ(readFile(QDir(s.scratch).filePath(QStringLiteral("W0000003.WAV"))),
                      QByteArray("content of W0000002.WAV"));
        }
    }
}

TEST(CopyLesson, WordsAddedOutOfPageOrderSwapTheirNumbersAndKeepTheirSounds) {
    // Words are copied page by page, so a word added to page 2 before one was
    // added to page 1 takes the other's old number, and the reverse.
    TempDir program;
    auto other = makeDatabase(program.file(QStringLiteral("other")), true);
    const qint64 lesn = addLesson(*other, 1);
    const qint64 page1 = addPage(*other, lesn, 1, 0, 2);
    const qint64 onPage2 = addWurd(*other, addPage(*other, lesn, 2, 0, 3), 1, 4, true);
    const qint64 onPage1 = addWurd(*other, page1, 1, 5, true);
    const QString scratch = ScratchDirectory(program.path());
    auto package = makeDatabase(scratch, false);
    CopyLesson(*other, lesn, *package, CopyDirection::Out, {});
    const auto sound = [&](qint64 key) {
        return QDir(scratch).filePath(FilePath(QStringLiteral("W"), key, QStringLiteral(".WAV")));
    };
    writeFile(sound(onPage2), "page 2 word");
    writeFile(sound(onPage1), "page 1 word");

    auto working = makeDatabase(program.file(QStringLiteral("db")), true);
    CopyLessonOptions o;
    o.programDir = program.path();
    EXPECT_EQ(CopyLesson(*package, lesn, *working, CopyDirection::In, o).mediaRenamed, 2);
    // In the empty database page 1's word becomes word 1.
    EXPECT_EQ(readFile(sound(1)), QByteArray("page 1 word"));
    EXPECT_EQ(readFile(sound(2)), QByteArray("page 2 word"));
}
