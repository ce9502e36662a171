// The store's database: its tables as cursors, the rules the store enforces,
// transactions, and finding, creating and opening the working database.
#include "Database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "HandleDataBase.h"
#include "ScriptedDialogs.h"
#include "StatusLine.h"
#include "Table.h"
#include "TempDir.h"
#include "Texts.h"

using namespace vellora;
using vellora::testing::ScriptedDialogs;
using vellora::testing::TempDir;

namespace {

struct Db {
    TempDir tmp;
    std::unique_ptr<Database> db;
    explicit Db(bool autoInc = true) {
        Database::createTables(tmp.path(), autoInc);
        db = std::make_unique<Database>(tmp.path());
    }
};

qint64 addWord(Table& t, qint64 page, qint64 number, const QString& text = QStringLiteral("w")) {
    t.append();
    t.setInteger(QStringLiteral("PageRegNum"), page);
    t.setInteger(QStringLiteral("WurdNumber"), number);
    t.setString(QStringLiteral("WText"), text);
    t.post();
    return t.key();
}

// Appends a row with `field` set and posts it; false, the row dropped, when
// the store refuses it.
bool posted(Table& t, const char* field = nullptr, const QVariant& value = {}) {
    t.append();
    if (field) t.setField(t.indexOf(QLatin1String(field)), value);
    try {
        t.post();
        return true;
    } catch (const StoreError& e) {
        EXPECT_EQ(e.code(), StoreError::Code::ConstraintFailed) << e.what();
        t.cancel();
        return false;
    }
}

struct RecordingStatus : StatusLine {
    QStringList lines;
    void setStatusText(const QString& t) override { lines << t; }
};

// Expects the question about creating the database, answered Yes.
void askedToCreate(ScriptedDialogs& d) {
    d.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes,
             texts::kInvalidDatabase);
}

// Runs `sql` on a table file.
void execOn(const QString& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

}  // namespace

TEST(Table, KeysAreOneHigherThanAnyHandedOutOrTheCallersOwnAndUnique) {
    Db d;
    Table w(*d.db, TableId::Wurd);
    EXPECT_EQ(addWord(w, 1, 1), 1);
    EXPECT_EQ(addWord(w, 1, 2), 2);
    EXPECT_EQ(addWord(w, 1, 3), 3);
    ASSERT_TRUE(w.findKey(3));
    w.remove();
    // The highest row was deleted: its number is still never handed out
    // again, and a placeholder written into the key does not survive the post.
    ASSERT_TRUE(posted(w, "WurdRegNum", 999));
    EXPECT_EQ(w.key(), 4);
    EXPECT_EQ(w.recordCount(), 3);

    Db caller(false);
    Table c(*caller.db, TableId::Wurd);
    EXPECT_TRUE(posted(c, "WurdRegNum", 77));
    EXPECT_EQ(c.key(), 77);
    EXPECT_FALSE(posted(c, "WurdRegNum", 77));
    EXPECT_FALSE(posted(c));  // no key at all
    EXPECT_EQ(c.recordCount(), 1);
}

TEST(Table, TheStoreEnforcesMinimumValuesSizesAndRanges) {
    Db d;
    struct Case {
        TableId table;
        const char* field;  // none: a blank row, which passes a minimum-value rule
        QVariant value;
        bool accepted;
    };
    const Case cases[] = {
        {TableId::Wurd, "PageRegNum", 0, false},
        {TableId::Wurd, "WurdNumber", 0, false},
        {TableId::Wurd, "PageRegNum", 1, true},
        {TableId::Wurd, nullptr, {}, true},
        {TableId::Page, "LesnRegNum", 0, false},
        {TableId::Page, "PageNumber", 0, false},
        {TableId::Page, "PageNumber", -5, false},
        {TableId::Page, "PageType", 3000000000LL, false},  // beyond 32 bits
        {TableId::Choice, "PageRegNum", 0, true},
        {TableId::Lesn, "Pages", 0, true},
        {TableId::Wurd, "WText", QString(21, QLatin1Char('x')), false},
        {TableId::Wurd, "WText", QString(20, QChar(0x00e9)), true},  // 20 characters, 40 bytes
        {TableId::Lesn, "DirPath", QString(1024, QLatin1Char('p')), true},
        {TableId::Lesn, "DirPath", QString(1025, QLatin1Char('p')), false},
        {TableId::Lesn, "Title", QString(5000, QLatin1Char('t')), true},  // a memo has no limit
    };
    for (const Case& c : cases) {
        Table t(*d.db, c.table);
        EXPECT_EQ(posted(t, c.field, c.value), c.accepted)
            << (c.field ? c.field : "blank") << " = " << c.value.toString().left(20).toStdString();
    }
}

TEST(Table, WalkFindEditDelete) {
    Db d;
    Table w(*d.db, TableId::Wurd);
    EXPECT_FALSE(w.first());
    EXPECT_TRUE(w.eof());
    for (int i = 1; i <= 5; ++i) addWord(w, 10, i, QStringLiteral("word%1").arg(i));

    QStringList seen;
    for (w.first(); !w.eof(); w.next()) seen << w.asString(QStringLiteral("WText"));
    EXPECT_EQ(seen.join(','), QStringLiteral("word1,word2,word3,word4,word5"));

    ASSERT_TRUE(w.findKey(2));
    EXPECT_FALSE(w.findKey(42));  // not found leaves the position
    EXPECT_EQ(w.key(), 2);
    EXPECT_FALSE(w.findKey(QStringLiteral("abc")));
    EXPECT_TRUE(w.findKey(QStringLiteral("4")));
    EXPECT_EQ(w.asString(QStringLiteral("wtext")), QStringLiteral("word4"));

    w.edit();
    w.setString(QStringLiteral("WText"), QStringLiteral("changed"));
    w.edit();  // does nothing while editing
    w.post();
    ASSERT_TRUE(w.findKey(4));
    EXPECT_EQ(w.asString(QStringLiteral("WText")), QStringLiteral("changed"));

    // Navigating away posts the row being edited.
    w.edit();
    w.setInteger(QStringLiteral("WStopTime"), 1234);
    w.first();
    ASSERT_TRUE(w.findKey(4));
    EXPECT_EQ(w.asInteger(QStringLiteral("WStopTime")), 1234);

    w.remove();
    EXPECT_EQ(w.key(), 5);  // the next row becomes current
    w.remove();
    EXPECT_EQ(w.key(), 3);  // the last row went: the one before it
    EXPECT_EQ(w.recordCount(), 3);
}

TEST(Table, FieldAccessByPositionAndConversionsAndBlankFieldsReadAsZeroEmptyFalse) {
    Db d;
    Table p(*d.db, QStringLiteral("Bpgqu002.db"));
    EXPECT_EQ(QString::fromLatin1(p.def().name), QStringLiteral("BPGQU002"));
    p.append();
    p.setField(1, 7);  // LesnRegNum
    p.setField(2, QStringLiteral(" 3 "));
    p.setString(QStringLiteral("FontColor"), QStringLiteral("12"));
    p.setLines(QStringLiteral("StimulusText"), {QStringLiteral("one"), QStringLiteral("two")});
    p.setBoolean(QStringLiteral("ShowScore"), true);
    p.post();
    ASSERT_TRUE(p.findKey(p.key()));
    EXPECT_EQ(p.asInteger(QStringLiteral("LesnRegNum")), 7);
    EXPECT_EQ(p.asInteger(QStringLiteral("PageNumber")), 3);
    EXPECT_EQ(p.asInteger(QStringLiteral("FontColor")), 12);  // Alpha holding digits
    EXPECT_EQ(p.asString(QStringLiteral("PageNumber")), QStringLiteral("3"));
    EXPECT_EQ(p.asLines(QStringLiteral("StimulusText")),
              QStringList({QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_TRUE(p.asBoolean(QStringLiteral("ShowScore")));
    EXPECT_EQ(p.asInteger(QStringLiteral("FontSize")), 0);
    EXPECT_EQ(p.asString(QStringLiteral("FontName")), QString());
    EXPECT_FALSE(p.asBoolean(QStringLiteral("Video")));
    EXPECT_TRUE(p.isBlank(QStringLiteral("Video")));
    EXPECT_TRUE(p.asLines(QStringLiteral("EFontName")).isEmpty());
    p.edit();
    EXPECT_THROW(p.setField(3, QStringLiteral("three")), StoreError);
    EXPECT_THROW(p.setInteger(QStringLiteral("NoSuchField"), 1), StoreError);
}

TEST(Table, ReadOnlyTablesRefuseWrites) {
    Db d;
    Table w(*d.db, TableId::Wurd, true);
    EXPECT_THROW(w.append(), StoreError);
    d.db.reset();
    Database ro(d.tmp.path(), Database::Mode::ReadOnly);
    Table l(ro, TableId::Lesn);
    EXPECT_THROW(l.append(), StoreError);
}

TEST(Table, TransactionsRollBackUnlessCommitted) {
    Db d;
    Table w(*d.db, TableId::Wurd);
    {
        Database::Transaction t(*d.db);
        addWord(w, 1, 1);
        addWord(w, 1, 2);
    }
    EXPECT_EQ(w.recordCount(), 0);
    {
        Database::Transaction outer(*d.db);
        addWord(w, 1, 1);
        {
            Database::Transaction inner(*d.db);
            addWord(w, 1, 2);
        }
        outer.commit();
    }
    EXPECT_EQ(w.recordCount(), 1);
}

TEST(HandleDataBase, CreatesTheDatabaseOnYesAndAgainWhenATableOrItsDirectoryIsGone) {
    TempDir tmp;
    RecordingStatus status;
    const QString dir = tmp.file(QStringLiteral("db"));
    {
        ScriptedDialogs d;
        askedToCreate(d);
        HandleDataBase h(tmp.path(), d, status);
        EXPECT_FALSE(h.DataBaseOpen());
        h.OpenDataBase();
        EXPECT_TRUE(h.DataBaseOpen());
        EXPECT_EQ(h.aliases().path(QStringLiteral("QUES002")), dir);
        EXPECT_EQ(status.lines.value(status.lines.size() - 1),
                  QStringLiteral(" Creating the new Database  ") + dir + QStringLiteral("Ques002"));
        // Opening again changes nothing and still reports the database open.
        h.OpenDataBase();
        EXPECT_TRUE(h.DataBaseOpen());
        Table l(h.database(), TableId::Lesn);
        l.append();
        l.setString(QStringLiteral("AuthorLast"), QStringLiteral("Kept"));
        l.post();
    }
    // A missing table is made again; the other tables keep their rows.
    ASSERT_TRUE(QFile::remove(tmp.file(QStringLiteral("db/BKWRD002.DB"))));
    {
        ScriptedDialogs d;
        askedToCreate(d);
        HandleDataBase h(tmp.path(), d, status);
        h.OpenDataBase();
        Table l(h.database(), TableId::Lesn);
        ASSERT_TRUE(l.first());
        EXPECT_EQ(l.asString(QStringLiteral("AuthorLast")), QStringLiteral("Kept"));
    }
    // The alias is there but its directory is not.
    ASSERT_TRUE(QDir(dir).removeRecursively());
    ScriptedDialogs d;
    askedToCreate(d);
    HandleDataBase h(tmp.path(), d, status);
    h.OpenDataBase();
    EXPECT_TRUE(h.DataBaseOpen());
    EXPECT_TRUE(QFileInfo(dir).isDir());
}

TEST(HandleDataBase, DirectoryThatCannotBeMadeIsTriedABoundedNumberOfTimes) {
    TempDir tmp;
    SilentStatusLine status;
    // A plain file sits where the directory's parent should be.
    ASSERT_TRUE(QFile(tmp.file(QStringLiteral("blocker"))).open(QIODevice::WriteOnly));
    ScriptedDialogs d;
    for (int i = 0; i < HandleDataBase::kDirectoryAttempts; ++i)
        d.expect(MsgKind::Warning, texts::kCannotCreateDirectory);
    HandleDataBase h(tmp.path(), d, status);
    h.aliases().add(HandleDataBase::kAlias, tmp.file(QStringLiteral("blocker/db")));
    EXPECT_THROW(h.OpenDataBase(), HDDBExeption);
}

TEST(Database, OpeningTellsTheConditionsApartAndRefusesTableFilesThatAreNotOurs) {
    TempDir tmp;
    const auto dir = [&](const char* name) { return tmp.file(QLatin1String(name)); };
    QDir().mkpath(dir("empty"));
    for (const char* name : {"trigger", "columns"}) {
        QDir().mkpath(dir(name));
        Database::createTables(dir(name), true);
    }
    // A trigger smuggled into a table file would run on our writes.
    execOn(dir("trigger/BKCHO002.DB"),
           "CREATE TRIGGER t AFTER INSERT ON BKCHO002 BEGIN DELETE FROM BKCHO002; END;");
    // A table with other columns under our name.
    QFile::remove(dir("columns/BKWRD002.DB"));
    execOn(dir("columns/BKWRD002.DB"),
           "CREATE TABLE BKWRD002 (WurdRegNum INTEGER PRIMARY KEY, Something TEXT);");
    const std::pair<const char*, StoreError::Code> cases[] = {
        {"nowhere", StoreError::Code::PathNotFound},
        {"empty", StoreError::Code::TableDoesNotExist},
        {"trigger", StoreError::Code::NotADatabase},
        {"columns", StoreError::Code::NotADatabase},
    };
    for (const auto& [name, code] : cases) {
        try {
            Database db(dir(name));
            ADD_FAILURE() << "opened " << name;
        } catch (const StoreError& e) {
            EXPECT_EQ(e.code(), code) << name << ": " << e.what();
        }
    }
    try {
        Database::resolve(QStringLiteral("NoSuchAlias"), nullptr);
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.code(), StoreError::Code::UnknownDatabase);
    }
    EXPECT_EQ(Database::resolve(QStringLiteral("/a/b/../c"), nullptr), QStringLiteral("/a/c"));
}
