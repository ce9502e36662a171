#pragma once

// Helpers shared by the lesson lifecycle tests.

#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <functional>
#include <memory>

#include "Database.h"
#include "LessonDialogs.h"
#include "TMainForm.h"
#include "Table.h"
#include "TempDir.h"

namespace vellora::testing {

inline QString lessonDir(const TempDir& tmp, const char* name) { return tmp.file(QStringLiteral("workspac/") + QLatin1String(name)); }

// The lesson row as another connection sees it: what was really written.
struct StoredLesson {
    std::unique_ptr<Database> db;
    std::unique_ptr<Table> t;
    StoredLesson(const TempDir& tmp, qint64 number) {
        db = std::make_unique<Database>(tmp.file(QStringLiteral("db")), Database::Mode::ReadOnly);
        t = std::make_unique<Table>(*db, TableId::Lesn, true);
        found = t->findKey(number);
    }
    bool found = false;
    qint64 i(const char* f) const { return t->asInteger(QLatin1String(f)); }
    QString s(const char* f) const { return t->asString(QLatin1String(f)); }
};

inline int rowsWith(Database& db, TableId id, const char* field, qint64 value) {
    return Query(db, id, QLatin1String(field), value).recordCount();
}

inline qint64 addPage(TMainForm& f, qint64 lesson, int number, int type, int words, int choices) {
    f.PageTable->append();
    f.PageTable->setInteger(QStringLiteral("LesnRegNum"), lesson);
    f.PageTable->setInteger(QStringLiteral("PageNumber"), number);
    f.PageTable->setInteger(QStringLiteral("PageType"), type);
    f.PageTable->post();
    const qint64 key = f.PageTable->key();
    for (int w = 1; w <= words; ++w) {
        f.WurdTable->append();
        f.WurdTable->setInteger(QStringLiteral("PageRegNum"), key);
        f.WurdTable->setInteger(QStringLiteral("WurdNumber"), w);
        f.WurdTable->setString(QStringLiteral("WText"), QStringLiteral("word"));
        f.WurdTable->post();
    }
    for (int c = 1; c <= choices; ++c) {
        f.ChoiceTable->append();
        f.ChoiceTable->setInteger(QStringLiteral("PageRegNum"), key);
        f.ChoiceTable->post();
    }
    return key;
}

inline void typeInto(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, text);
}

// Answers the open dialog with lesson `number`, checking what it shows.
inline std::function<int(QObject*)> chooseLesson(qint64 number) {
    return [number](QObject* o) {
        auto* dlg = qobject_cast<TDlgOpenLesson*>(o);
        EXPECT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->selectLesson(number));
        EXPECT_EQ(dlg->LRegNum->text(), QString::number(number));
        return int(QDialog::Accepted);
    };
}


}  // namespace vellora::testing
