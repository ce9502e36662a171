#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "Database.h"
#include "Table.h"
#include "TempDir.h"

using namespace vellora;
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

}  // namespace

TEST(Table, StoreAssignsKeysOneHigherThanAnyHandedOutEvenAfterDeletes) {
    Db d;
    Table w(*d.db, TableId::Wurd);
    EXPECT_EQ(addWord(w, 1, 1), 1);
    EXPECT_EQ(addWord(w, 1, 2), 2);
    EXPECT_EQ(addWord(w, 1, 3), 3);
    ASSERT_TRUE(w.findKey(3));
    w.remove();
    // The highest row was deleted: its number is still never handed out again.
    EXPECT_EQ(addWord(w, 1, 4), 4);
    // A placeholder written into the key does not survive the post.
    w.append();
    w.setInteger(QStringLiteral("WurdRegNum"), 999);
    w.setInteger(QStringLiteral("PageRegNum"), 1);
    w.setInteger(QStringLiteral("WurdNumber"), 1);
    w.post();
    EXPECT_EQ(w.key(), 5);
    EXPECT_EQ(w.recordCount(), 4);
}

TEST(Table, MinimumValueRules) {
    Db d;
    struct Case {
        TableId table;
        const char* field;
        qint64 value;
        bool accepted;
    };
    const Case cases[] = {
        {TableId::Wurd, "PageRegNum", 0, false},  {TableId::Wurd, "WurdNumber", 0, false},
        {TableId::Wurd, "PageRegNum", 1, true},   {TableId::Page, "LesnRegNum", 0, false},
        {TableId::Page, "PageNumber", 0, false},  {TableId::Page, "PageNumber", -5, false},
        {TableId::Choice, "PageRegNum", 0, true}, {TableId::Lesn, "Pages", 0, true},
    };
    for (const auto& c : cases) {
        Table t(*d.db, c.table);
        t.append();
        t.setInteger(QString::fromLatin1(c.field), c.value);
        if (c.accepted) {
            EXPECT_NO_THROW(t.post()) << c.field;
        } else {
            try {
                t.post();
                ADD_FAILURE() << c.field << " = " << c.value << " was accepted";
            } catch (const StoreError& e) {
                EXPECT_EQ(e.code(), StoreError::Code::ConstraintFailed);
                t.cancel();
            }
        }
    }
    // A blank value passes a minimum-value rule.
    Table w(*d.db, TableId::Wurd);
    w.append();
    EXPECT_NO_THROW(w.post());
}

TEST(Table, TextSizesAreEnforcedByTheStore) {
    Db d;
    Table w(*d.db, TableId::Wurd);
    w.append();
    w.setInteger(QStringLiteral("PageRegNum"), 1);
    w.setInteger(QStringLiteral("WurdNumber"), 1);
    w.setString(QStringLiteral("WText"), QString(21, QLatin1Char('x')));
    EXPECT_THROW(w.post(), StoreError);
    w.setString(QStringLiteral("WText"), QString(20, QChar(0x00e9)));  // 20 characters, 40 bytes
    EXPECT_NO_THROW(w.post());

    Table l(*d.db, TableId::Lesn);
    l.append();
    l.setString(QStringLiteral("DirPath"), QString(1024, QLatin1Char('p')));
    EXPECT_NO_THROW(l.post());
    l.append();
    l.setString(QStringLiteral("DirPath"), QString(1025, QLatin1Char('p')));
    EXPECT_THROW(l.post(), StoreError);
    l.cancel();
    // A memo has no size limit.
    l.append();
    l.setString(QStringLiteral("Title"), QString(5000, QLatin1Char('t')));
    EXPECT_NO_THROW(l.post());
    EXPECT_EQ(l.asString(QStringLiteral("Title")).size(), 5000);
}

TEST(Table, CallerWrittenKeysAreRefusedOnDuplicatesAndWhenBlank) {
    Db d(false);
    Table w(*d.db, TableId::Wurd);
    w.append();
    w.setInteger(QStringLiteral("WurdRegNum"), 77);
    w.setInteger(QStringLiteral("PageRegNum"), 1);
    w.setInteger(QStringLiteral("WurdNumber"), 1);
    w.post();
    EXPECT_EQ(w.key(), 77);
    w.append();
    w.setInteger(QStringLiteral("WurdRegNum"), 77);
    w.setInteger(QStringLiteral("PageRegNum"), 1);
    w.setInteger(QStringLiteral("WurdNumber"), 2);
    EXPECT_THROW(w.post(), StoreError);
    w.cancel();
    w.append();
    w.setInteger(QStringLiteral("PageRegNum"), 1);
    w.setInteger(QStringLiteral("WurdNumber"), 2);
    EXPECT_THROW(w.post(), StoreError);
    w.cancel();
    EXPECT_EQ(w.recordCount(), 1);
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

TEST(Table, BlankFieldsReadAsZeroEmptyFalse) {
    Db d;
    Table c(*d.db, TableId::Choice);
    c.append();
    c.post();
    EXPECT_EQ(c.asInteger(QStringLiteral("Correctness")), 0);
    EXPECT_EQ(c.asString(QStringLiteral("ChoiceText")), QString());
    EXPECT_FALSE(c.asBoolean(QStringLiteral("ChoiceSound")));
    EXPECT_TRUE(c.isBlank(QStringLiteral("ChoiceSound")));
    EXPECT_TRUE(c.asLines(QStringLiteral("ResponseText")).isEmpty());
    ASSERT_TRUE(c.findKey(c.key()));
    EXPECT_EQ(c.asInteger(QStringLiteral("Jump2Page")), 0);
}

TEST(Table, FieldAccessByPositionAndConversions) {
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
    EXPECT_EQ(p.asLines(QStringLiteral("StimulusText")), QStringList({QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_TRUE(p.asBoolean(QStringLiteral("ShowScore")));
    p.edit();
    EXPECT_THROW(p.setField(3, QStringLiteral("three")), StoreError);
    EXPECT_THROW(p.setInteger(QStringLiteral("NoSuchField"), 1), StoreError);
    p.setInteger(QStringLiteral("PageType"), 3000000000LL);  // beyond 32 bits
    EXPECT_THROW(p.post(), StoreError);
    p.cancel();
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

TEST(Query, SelectsOneTableInKeyOrderWithFieldsInOrder) {
    Db d;
    Table w(*d.db, TableId::Wurd);
    addWord(w, 5, 1, QStringLiteral("a"));
    addWord(w, 6, 1, QStringLiteral("x"));
    addWord(w, 5, 2, QStringLiteral("b"));
    Query q(*d.db, TableId::Wurd, QStringLiteral("PageRegNum"), 5);
    EXPECT_EQ(q.recordCount(), 2);
    QStringList texts;
    for (q.first(); !q.eof(); q.next()) texts << q.field(3).toString();
    EXPECT_EQ(texts.join(','), QStringLiteral("a,b"));
    Query none(*d.db, TableId::Page, QStringLiteral("LesnRegNum"), 1);
    EXPECT_EQ(none.recordCount(), 0);
    EXPECT_FALSE(none.first());
}
