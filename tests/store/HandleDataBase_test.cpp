#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

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

struct RecordingStatus : StatusLine {
    QStringList lines;
    void setStatusText(const QString& t) override { lines << t; }
};

// Expects the question about creating the database, answered `answer`.
ScriptedDialogs& askedToCreate(ScriptedDialogs& d, MsgAnswer answer = MsgAnswer::Yes) {
    return d.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, answer, texts::kInvalidDatabase);
}

}  // namespace

TEST(HandleDataBase, FirstStartCreatesAliasDirectoryAndTablesOnYes) {
    TempDir tmp;
    ScriptedDialogs d;
    RecordingStatus status;
    askedToCreate(d);
    HandleDataBase h(tmp.path(), d, status);
    EXPECT_FALSE(h.DataBaseOpen());
    h.OpenDataBase();
    EXPECT_TRUE(h.DataBaseOpen());
    EXPECT_EQ(h.aliases().path(QStringLiteral("QUES002")), tmp.file(QStringLiteral("db")));
    EXPECT_TRUE(QFileInfo(tmp.file(QStringLiteral("db"))).isDir());
    ASSERT_FALSE(status.lines.isEmpty());
    EXPECT_EQ(status.lines.last(), QStringLiteral(" Creating the new Database  ") + tmp.file(QStringLiteral("db")) +
                                       QStringLiteral("Ques002"));
    Table t(h.database(), TableId::Lesn);
    EXPECT_EQ(t.recordCount(), 0);
    // Opening again changes nothing and still reports the database open.
    h.OpenDataBase();
    EXPECT_TRUE(h.DataBaseOpen());
}

TEST(HandleDataBase, AliasPresentButDirectoryMissing) {
    TempDir tmp;
    SilentStatusLine status;
    {
        ScriptedDialogs d;
        HandleDataBase h(tmp.path(), d, status);
        h.CreateAlias();
    }
    ScriptedDialogs d;
    askedToCreate(d);
    HandleDataBase h(tmp.path(), d, status);
    h.OpenDataBase();
    EXPECT_TRUE(h.DataBaseOpen());
}

TEST(HandleDataBase, DirectoryThatCannotBeMadeIsTriedABoundedNumberOfTimes) {
    TempDir tmp;
    SilentStatusLine status;
    // A plain file sits where the directory's parent should be.
    QFile blocker(tmp.file(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScriptedDialogs d;
    for (int i = 0; i < HandleDataBase::kDirectoryAttempts; ++i)
        d.expect(MsgKind::Warning, texts::kCannotCreateDirectory);
    HandleDataBase h(tmp.path(), d, status);
    h.aliases().add(HandleDataBase::kAlias, tmp.file(QStringLiteral("blocker/db")));
    EXPECT_THROW(h.OpenDataBase(), HDDBExeption);
}

TEST(HandleDataBase, MissingTableIsAddedAndExistingRowsAreKept) {
    TempDir tmp;
    SilentStatusLine status;
    {
        ScriptedDialogs d;
        askedToCreate(d);
        HandleDataBase h(tmp.path(), d, status);
        h.OpenDataBase();
        Table l(h.database(), TableId::Lesn);
        l.append();
        l.setString(QStringLiteral("AuthorLast"), QStringLiteral("Kept"));
        l.post();
    }
    ASSERT_TRUE(QFile::remove(tmp.file(QStringLiteral("db/BKWRD002.DB"))));
    ScriptedDialogs d;
    askedToCreate(d);
    HandleDataBase h(tmp.path(), d, status);
    h.OpenDataBase();
    Table l(h.database(), TableId::Lesn);
    ASSERT_TRUE(l.first());
    EXPECT_EQ(l.asString(QStringLiteral("AuthorLast")), QStringLiteral("Kept"));
}

TEST(CreateTables, TwiceInOneDirectoryKeepsTheFirstTables) {
    TempDir tmp;
    HandleDataBase::CreateTables(tmp.path(), false);
    {
        Database db(tmp.path());
        Table w(db, TableId::Wurd);
        w.append();
        w.setInteger(QStringLiteral("WurdRegNum"), 9);
        w.post();
    }
    HandleDataBase::CreateTables(tmp.path(), false);
    Database db(tmp.path());
    Table w(db, TableId::Wurd);
    EXPECT_EQ(w.recordCount(), 1);
    EXPECT_TRUE(w.findKey(9));
    EXPECT_FALSE(db.autoIncKeys(TableId::Wurd));
    EXPECT_THROW(HandleDataBase::CreateTables(tmp.file(QStringLiteral("missing")), true), StoreError);
}

TEST(Database, OpeningTellsTheConditionsApart) {
    TempDir tmp;
    struct Case {
        QString dir;
        StoreError::Code code;
    };
    QDir().mkpath(tmp.file(QStringLiteral("empty")));
    for (const auto& c : {Case{tmp.file(QStringLiteral("nowhere")), StoreError::Code::PathNotFound},
                          Case{tmp.file(QStringLiteral("empty")), StoreError::Code::TableDoesNotExist}}) {
        try {
            Database db(c.dir);
            ADD_FAILURE() << "opened " << c.dir.toStdString();
        } catch (const StoreError& e) {
            EXPECT_EQ(e.code(), c.code) << e.what();
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

TEST(Database, TableFilesThatAreNotOursAreRefused) {
    TempDir tmp;
    Database::createTables(tmp.path(), true);
    // A trigger smuggled into a table file would run on our writes.
    {
        sqlite3* db = nullptr;
        sqlite3_open(tmp.file(QStringLiteral("BKCHO002.DB")).toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TRIGGER t AFTER INSERT ON BKCHO002 BEGIN DELETE FROM BKCHO002; END;", nullptr,
                     nullptr, nullptr);
        sqlite3_close(db);
    }
    try {
        Database db(tmp.path());
        ADD_FAILURE();
    } catch (const StoreError& e) {
        EXPECT_EQ(e.code(), StoreError::Code::NotADatabase);
    }
    // A table with other columns under our name.
    TempDir other;
    Database::createTables(other.path(), true);
    QFile::remove(other.file(QStringLiteral("BKWRD002.DB")));
    {
        sqlite3* db = nullptr;
        sqlite3_open(other.file(QStringLiteral("BKWRD002.DB")).toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TABLE BKWRD002 (WurdRegNum INTEGER PRIMARY KEY, Something TEXT);", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_THROW(Database db(other.path()), StoreError);
}
