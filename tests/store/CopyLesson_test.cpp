#include "CopyLesson.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>

#include "FileNames.h"
#include "FillRow.h"
#include "TestFiles.h"
#include "HandleDataBase.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "StatusLine.h"
#include "Table.h"
#include "TempDir.h"
#include "Texts.h"

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
qint64 add(Database& db, TableId id, int seed, std::initializer_list<std::pair<const char*, QVariant>> fields) {
    Table t(db, id);
    t.append();
    fillRow(t, seed);
    for (const auto& [name, value] : fields) t.setField(fieldIndex(t.def(), QLatin1String(name)), value);
    t.post();
    return t.key();
}
qint64 addLesson(Database& db, int seed, bool sound, qint64 background) {
    return add(db, TableId::Lesn, seed, {{"LessonSoundFile", sound}, {"Background", background}});
}
struct PageMedia {
    bool picture = false, video = false, sound = false;
};
qint64 addPage(Database& db, qint64 lesn, int number, int type, int seed, PageMedia m = {}) {
    return add(db, TableId::Page, seed,
               {{"LesnRegNum", lesn}, {"PageNumber", number}, {"PageType", type}, {"Picture", m.picture},
                {"Video", m.video}, {"PageSoundFile", m.sound}});
}
qint64 addWurd(Database& db, qint64 page, int number, int seed, bool sound) {
    return add(db, TableId::Wurd, seed, {{"PageRegNum", page}, {"WurdNumber", number}, {"WSoundFile", sound}});
}
qint64 addChoice(Database& db, qint64 page, int seed, bool choiceSound, bool responseSound) {
    return add(db, TableId::Choice, seed,
               {{"PageRegNum", page}, {"ChoiceSound", choiceSound}, {"ResponseSound", responseSound}});
}

// Every field but those listed must be equal, blank staying blank.
void expectSameFields(TableId id, const Row& a, const Row& b, std::initializer_list<const char*> except) {
    const TableDef& def = tableDef(id);
    for (size_t i = 0; i < def.fields.size(); ++i) {
        if (std::any_of(except.begin(), except.end(), [&](const char* e) { return QLatin1String(e) == QLatin1String(def.fields[i].name); }))
            continue;
        EXPECT_EQ(a[i].isNull(), b[i].isNull()) << def.name << "." << def.fields[i].name;
        EXPECT_EQ(a[i], b[i]) << def.name << "." << def.fields[i].name;
    }
}

qint64 integer(const Row& r, TableId id, const char* field) {
    return r[size_t(fieldIndex(tableDef(id), QLatin1String(field)))].toLongLong();
}

// The lesson of the examples: two reading pages of three words each and one
// question page of four choices, with media flags on some rows.
struct Sample {
    qint64 lesn = 0;
    std::vector<qint64> pages, wurds, choices;
    qint64 strayChoice = 0, strayWurd = 0;

    void build(Database& db, bool strays = false) {
        lesn = addLesson(db, 1, true, 2);
        pages.push_back(addPage(db, lesn, 1, 0, 11, {true, false, true}));
        pages.push_back(addPage(db, lesn, 2, 0, 12, {true, true, true}));
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
        CopyLessonOptions o;
        CopyLesson(*other, sample.lesn, *package, CopyDirection::Out, o);
    }
    CopyLessonOptions options(StatusLine* status = nullptr) const {
        CopyLessonOptions o;
        o.programDir = programDir;
        o.status = status;
        return o;
    }
};

}  // namespace

TEST(CopyLesson, OutCopiesEveryRowAndFieldWithKeysUnchangedAndReportsProgress) {
    TempDir tmp;
    auto working = makeDatabase(tmp.file(QStringLiteral("db")), true);
    // Another lesson before it, so that the keys are not simply 1, 2, 3.
    const qint64 otherLesn = addLesson(*working, 50, false, 0);
    addWurd(*working, addPage(*working, otherLesn, 1, 0, 51), 1, 52, false);
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
    EXPECT_EQ(r.pages, 3);
    EXPECT_EQ(r.wurds, 6);
    EXPECT_EQ(r.choices, 4);
    const auto src = dumpDatabase(*working);
    const auto dst = dumpDatabase(*package);
    ASSERT_EQ(dst.at(TableId::Lesn).size(), 1u);
    ASSERT_EQ(dst.at(TableId::Page).size(), 3u);
    ASSERT_EQ(dst.at(TableId::Wurd).size(), 6u);
    ASSERT_EQ(dst.at(TableId::Choice).size(), 4u);
    // Same keys, every field identical.
    for (TableId id : kAllTables)
        for (const auto& [key, row] : dst.at(id)) {
            ASSERT_TRUE(src.at(id).count(key)) << tableDef(id).name << " " << key;
            expectSameFields(id, src.at(id).at(key), row, {});
        }

    const QString lead = QStringLiteral(" ") + kS26;
    std::vector<QString> expected = {lead + QStringLiteral(" ") + lessonDir};
    for (int p = 1; p <= 3; ++p) {
        expected.push_back(lead + QStringLiteral(" Page %1").arg(p));
        for (int n = 1; n <= (p < 3 ? 3 : 4); ++n)
            expected.push_back(p < 3 ? QStringLiteral("Copying ") + kS26 + QStringLiteral(" Page %1, Word %2").arg(p).arg(n)
                                     : lead + QStringLiteral(" Page 3, Choice %1").arg(n));
    }
    EXPECT_EQ(status.texts, expected);
}

// Copying in (new keys, references following them, media renamed without
// mixing them up) is checked end to end by the import's golden round trips
// (exchange/Import_test.cpp), the renaming itself by MediaRenumbering_test.cpp.

TEST(CopyLesson, OnlyTheBranchOfThePageTypeIsCopiedInBothDirections) {
    ImportSetup s(true);
    const auto pkg = dumpDatabase(*s.package);
    EXPECT_EQ(pkg.at(TableId::Wurd).size(), 6u);
    EXPECT_EQ(pkg.at(TableId::Choice).size(), 4u);
    EXPECT_FALSE(pkg.at(TableId::Wurd).count(s.sample.strayWurd));
    EXPECT_FALSE(pkg.at(TableId::Choice).count(s.sample.strayChoice));

    // The same lesson copied straight from the installation that holds the
    // stray rows, the other way round.
    const CopyLessonResult r =
        CopyLesson(*s.other, s.sample.lesn, *s.working, CopyDirection::In, s.options());
    EXPECT_EQ(r.wurds, 6);
    EXPECT_EQ(r.choices, 4);
    const auto after = dumpDatabase(*s.working);
    EXPECT_EQ(after.at(TableId::Wurd).size(), 6u);
    EXPECT_EQ(after.at(TableId::Choice).size(), 4u);
    const size_t wtext = size_t(fieldIndex(tableDef(TableId::Wurd), QStringLiteral("WText")));
    for (const auto& [key, row] : after.at(TableId::Wurd))
        EXPECT_FALSE(row[wtext].toString().startsWith(QStringLiteral("301")))
            << "stray word copied";
    for (const auto& [key, row] : after.at(TableId::Choice)) {
        const qint64 page = integer(row, TableId::Choice, "PageRegNum");
        EXPECT_GT(integer(after.at(TableId::Page).at(page), TableId::Page, "PageType"), 0);
    }
}

TEST(CopyLesson, LessonWithoutPagesCopiesOnlyTheLessonRow) {
    TempDir tmp;
    auto working = makeDatabase(tmp.file(QStringLiteral("db")), true);
    const qint64 lesn = addLesson(*working, 7, false, 0);
    // Pages of another lesson are not taken along.
    addPage(*working, addLesson(*working, 8, false, 0), 1, 0, 9);
    auto package = makeDatabase(tmp.file(QStringLiteral("pkg")), false);
    const CopyLessonResult out = CopyLesson(*working, lesn, *package, CopyDirection::Out, {});
    EXPECT_EQ(out.pages, 0);
    const auto pkg = dumpDatabase(*package);
    EXPECT_EQ(pkg.at(TableId::Lesn).size(), 1u);
    EXPECT_TRUE(pkg.at(TableId::Page).empty());

    auto again = makeDatabase(tmp.file(QStringLiteral("db2")), true);
    CopyLessonOptions o;
    o.programDir = tmp.path();
    const CopyLessonResult in = CopyLesson(*package, lesn, *again, CopyDirection::In, o);
    const auto rows = dumpDatabase(*again);
    EXPECT_EQ(rows.at(TableId::Lesn).size(), 1u);
    EXPECT_TRUE(rows.at(TableId::Page).empty());
    EXPECT_EQ(in.lessonDirectory, tmp.path() + QStringLiteral("/workspac/00000001"));
}

TEST(CopyLesson, InTakesThePackagesFirstLessonWhateverNumberIsAsked) {
    ImportSetup s;
    for (qint64 asked : {qint64(0), qint64(-5), qint64(1), qint64(999999)}) {
        const CopyLessonResult r =
            CopyLesson(*s.package, asked, *s.working, CopyDirection::In, s.options());
        EXPECT_EQ(r.pages, 3) << asked;
    }
    // Importing the same package again gives a new lesson each time.
    EXPECT_EQ(dumpTable(*s.working, TableId::Lesn).size(), 4u);
}

// Every refusal leaves both sides as they were.
TEST(CopyLesson, MissingLessonUnknownDirectionOrWrongDestinationIsRefusedAndWritesNothing) {
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
    expectMissing([&] { CopyDirectionFromText(QStringLiteral("sideways")); });
    expectMissing([&] { CopyDirectionFromText(QStringLiteral("OUT")); });
    expectMissing([&] { CopyLesson(*empty, 1, *s.working, CopyDirection::In, s.options()); });  // no lesson
    EXPECT_EQ(CopyDirectionFromText(QStringLiteral("out")), CopyDirection::Out);
    EXPECT_EQ(CopyDirectionFromText(QStringLiteral("in")), CopyDirection::In);
    // "out" into tables that assign keys would renumber the lesson and break
    // its references; "in" into caller-keyed tables has no keys to give.
    EXPECT_THROW(CopyLesson(*s.other, s.sample.lesn, *otherWorking, CopyDirection::Out, {}), HDDBExeption);
    EXPECT_THROW(CopyLesson(*s.package, 1, *package, CopyDirection::In, s.options()), HDDBExeption);
    // "out" into a package that already holds the lesson.
    EXPECT_THROW(CopyLesson(*s.other, s.sample.lesn, *s.package, CopyDirection::Out, {}), StoreError);
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
        const qint64 own = addLesson(*s.working, 90, false, 0);
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

TEST(CopyLesson, NamedDatabasesUseTheOpenWorkingConnection) {
    TempDir program;
    ScriptedDialogs dialogs;
    dialogs.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes,
                   texts::kInvalidDatabase);
    SilentStatusLine silent;
    HandleDataBase hdb(program.path(), dialogs, silent);
    hdb.OpenDataBase();
    Sample sample;
    sample.build(hdb.database());

    const QString lessonDir = LessonDirectory(program.path(), sample.lesn);
    QDir().mkpath(lessonDir);
    Database::createTables(lessonDir, false);
    // An open transaction with a write of its own on the working connection: a
    // second connection could not read past it consistently nor write at all.
    Database::Transaction outer(hdb.database());
    const qint64 extra = addLesson(hdb.database(), 5, false, 0);
    const CopyLessonResult out = CopyLesson(hdb, QStringLiteral("QUES002"), sample.lesn, lessonDir,
                                            QStringLiteral("out"), nullptr);
    EXPECT_EQ(out.pages, 3);

    const QString scratch = ScratchDirectory(program.path());
    QDir().mkpath(scratch);
    for (const QString& f : QDir(lessonDir).entryList(QDir::Files))
        QFile::copy(QDir(lessonDir).filePath(f), QDir(scratch).filePath(f));
    const CopyLessonResult in = CopyLesson(hdb, scratch, sample.lesn, QStringLiteral("ques002"),
                                           QStringLiteral("in"), nullptr);
    EXPECT_EQ(in.lesnRegNum, extra + 1);
    EXPECT_EQ(in.lessonDirectory, LessonDirectory(program.path(), extra + 1));
    EXPECT_EQ(in.scratchDirectory, scratch);
    outer.commit();
    EXPECT_EQ(dumpTable(hdb.database(), TableId::Page).size(), 6u);

    EXPECT_THROW(
        CopyLesson(hdb, QStringLiteral("QUES002"), 1, lessonDir, QStringLiteral("across"), nullptr),
        HDDBExeption);
    EXPECT_THROW(CopyLesson(hdb, QStringLiteral("NoSuchAlias"), 1, lessonDir, QStringLiteral("out"),
                            nullptr),
                 StoreError);
}

TEST(CopyLesson, WordsAddedOutOfPageOrderSwapTheirNumbersAndKeepTheirSounds) {
    // Words are copied page by page, so a word added to page 2 before one was
    // added to page 1 takes the other's old number, and the reverse.
    TempDir program;
    auto other = makeDatabase(program.file(QStringLiteral("other")), true);
    const qint64 lesn = addLesson(*other, 1, false, 0);
    const qint64 page1 = addPage(*other, lesn, 1, 0, 2);
    const qint64 page2 = addPage(*other, lesn, 2, 0, 3);
    const qint64 onPage2 = addWurd(*other, page2, 1, 4, true);
    const qint64 onPage1 = addWurd(*other, page1, 1, 5, true);
    const QString scratch = ScratchDirectory(program.path());
    auto package = makeDatabase(scratch, false);
    CopyLesson(*other, lesn, *package, CopyDirection::Out, {});
    writeFile(
        QDir(scratch).filePath(FilePath(QStringLiteral("W"), onPage2, QStringLiteral(".WAV"))),
        "page 2 word");
    writeFile(
        QDir(scratch).filePath(FilePath(QStringLiteral("W"), onPage1, QStringLiteral(".WAV"))),
        "page 1 word");

    auto working = makeDatabase(program.file(QStringLiteral("db")), true);
    CopyLessonOptions o;
    o.programDir = program.path();
    const CopyLessonResult r = CopyLesson(*package, lesn, *working, CopyDirection::In, o);
    EXPECT_EQ(r.mediaRenamed, 2);
    for (const auto& [key, row] : dumpTable(*working, TableId::Wurd)) {
        const qint64 pageNumber =
            integer(dumpTable(*working, TableId::Page).at(integer(row, TableId::Wurd, "PageRegNum")),
                    TableId::Page, "PageNumber");
        EXPECT_EQ(readFile(QDir(scratch).filePath(
                      FilePath(QStringLiteral("W"), key, QStringLiteral(".WAV")))),
                  QByteArray("page ") + QByteArray::number(pageNumber) + " word");
    }
    EXPECT_EQ(readFile(QDir(scratch).filePath(QStringLiteral("W0000001.WAV"))),
              QByteArray("page 1 word"));
}
