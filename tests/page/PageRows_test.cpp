#include <gtest/gtest.h>

#include <map>
#include <random>

#include "PageRows.h"
#include "PageStore.h"
#include "Table.h"

using namespace vellora;

namespace {

const QString kLesnRegNum = QStringLiteral("LesnRegNum");
const QString kPageNumber = QStringLiteral("PageNumber");
const QString kPageRegNum = QStringLiteral("PageRegNum");
const QString kWurdNumber = QStringLiteral("WurdNumber");

struct Store : vellora::testing::PageStore {
    // Nothing here needs to survive a crash.
    Store() : PageStore(false) {}
    // A lesson whose default font has a style, as the author may set it.
    qint64 addLesson(const QString& fontName = QStringLiteral("Arial")) {
        lesn->append();
        lesn->setString(QStringLiteral("LDefaultFontName"), fontName);
        lesn->setInteger(QStringLiteral("LDefaultFontSize"), 14);
        lesn->setInteger(QStringLiteral("LDefaultFontColor"), 6);
        lesn->setInteger(QStringLiteral("LDefaultFontStyle"), 111);
        lesn->post();
        return lesn->key();
    }
};

WurdData word(qint64 page, int n, qint64 stop) {
    return {0,  page, n, QStringLiteral(" w%1").arg(n), 10 * n, 20 + n, 30 + n, 17, QStringLiteral("hint%1").arg(n),
            stop, QStringLiteral("Courier New"), 9 + n, n + 20, 110, true};
}

// What a walk over the whole table in key order finds for each pair of
// values of `f1` and `f2` (blank reads 0): the first row with them.
std::map<std::pair<qint64, qint64>, qint64> firstRowsByWalk(Table& t, const QString& f1, const QString& f2) {
    std::map<std::pair<qint64, qint64>, qint64> first;
    for (bool ok = t.first(); ok; ok = t.next()) first.try_emplace({t.asInteger(f1), t.asInteger(f2)}, t.key());
    return first;
}

qint64 valueOr0(const std::map<std::pair<qint64, qint64>, qint64>& m, qint64 a, qint64 b) {
    const auto it = m.find({a, b});
    return it == m.end() ? 0 : it->second;
}

}  // namespace

TEST(PageRows, PagesOfEachKindRoundTripWhatTheirKindSaves) {
    Store s;
    const qint64 lesn = s.addLesson();
    PageData edited{0, 999, 7, 5, 33, 3, true, true, true, true, QStringLiteral("Times New Roman"), 18, 23, 101,
                    QStringLiteral("Courier New"), 11, 40, 11, true, QStringLiteral("Why?\nBecause.")};
    for (const bool question : {false, true}) {
        SCOPED_TRACE(question ? "question" : "reading");
        const qint64 key = s.rows->MakeNewPageRows(lesn, 1, question ? QStringLiteral("q") : QStringLiteral("r"));
        const PageData before = *s.rows->LoadPage(key);
        ASSERT_TRUE(s.rows->SavePage(key, edited, question));
        const PageData after = *s.rows->LoadPage(key);
        // Written for both kinds (a colour outside the palette kept as is).
        EXPECT_EQ(after.PageNumber, 7);
        EXPECT_TRUE(after.Video && after.Picture && after.PageSoundFile && after.VideoControl);
        EXPECT_EQ(after.FontName, edited.FontName);
        EXPECT_EQ(after.FontSize, 18);
        EXPECT_EQ(after.FontColor, 23);
        EXPECT_EQ(after.FontStyle, 101);
        // Never rewritten.
        EXPECT_EQ(after.PageType, before.PageType);
        EXPECT_EQ(after.LesnRegNum, lesn);
        // Only the kind's own fields.
        EXPECT_EQ(after.Wurds, question ? before.Wurds : 33);
        EXPECT_EQ(after.Choices, question ? 3 : before.Choices);
        EXPECT_EQ(after.ShowScore, question ? true : before.ShowScore);
        EXPECT_EQ(after.StimulusText, question ? edited.StimulusText : before.StimulusText);
        EXPECT_EQ(after.EFontName, question ? edited.EFontName : before.EFontName);
        EXPECT_EQ(after.EFontSize, question ? 11 : before.EFontSize);
        EXPECT_EQ(after.EFontColor, question ? 40 : before.EFontColor);
        EXPECT_EQ(after.EFontStyle, question ? 11 : before.EFontStyle);
    }
    EXPECT_FALSE(s.rows->SavePage(12345, edited, false));
    EXPECT_FALSE(s.rows->LoadPage(12345).has_value());
}

TEST(PageRows, WordsRoundTripEveryFieldAndSavingKeepsTheirSound) {
    Store s;
    const qint64 k = s.rows->NewWurdRecord(word(3, 1, 70000));  // above 16 bits: kept whole
    WurdData expected = word(3, 1, 70000);
    expected.WurdRegNum = k;
    EXPECT_EQ(*s.rows->LoadWurd(k), expected);

    WurdData changed = word(4, 2, 65536 + 123);
    changed.WSoundFile = false;
    changed.WFontColor = -7;
    ASSERT_TRUE(s.rows->SaveWurd(k, changed));
    changed.WurdRegNum = k;
    changed.WSoundFile = true;  // only choosing or recording a sound changes it
    EXPECT_EQ(*s.rows->LoadWurd(k), changed);

    EXPECT_FALSE(s.rows->SaveWurd(k + 1, changed));
    EXPECT_TRUE(s.rows->DeleteWurd(k));
    EXPECT_FALSE(s.rows->LoadWurd(k).has_value());
    EXPECT_FALSE(s.rows->DeleteWurd(k));
}

TEST(PageRows, NewPageDefaults) {
    const struct Case {
        const char* kind;
        int pageType;
        bool question;  // question defaults and four choice rows
    } cases[] = {{"r", 0, false}, {"q", 1, true}, {"", 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Store s;
        const qint64 lesn = s.addLesson();
        s.addLesson(QStringLiteral("Other"));  // the lesson table stands on another lesson
        const qint64 key = s.rows->MakeNewPageRows(lesn, 5, QString::fromLatin1(c.kind));
        const PageData p = *s.rows->LoadPage(key);
        EXPECT_EQ(p.LesnRegNum, lesn);
        EXPECT_EQ(p.PageNumber, 5);
        EXPECT_EQ(p.PageType, c.pageType);
        EXPECT_EQ(p.Choices, c.question ? 2 : 0);
        EXPECT_EQ(p.Wurds, 0);
        EXPECT_FALSE(p.Video || p.Picture || p.PageSoundFile || p.VideoControl || p.ShowScore);
        EXPECT_EQ(p.FontName, QStringLiteral("Arial"));
        EXPECT_EQ(p.FontSize, 14);
        EXPECT_EQ(p.FontColor, 6);
        EXPECT_EQ(p.FontStyle, 0);  // whatever the lesson's default style
        EXPECT_EQ(p.StimulusText, c.question ? QStringLiteral("Question") : QString());
        EXPECT_EQ(p.EFontName, c.question ? QStringLiteral("Arial") : QString());
        EXPECT_EQ(p.EFontSize, c.question ? 14 : 0);
        EXPECT_EQ(p.EFontColor, c.question ? 6 : 0);
        EXPECT_EQ(p.EFontStyle, 0);

        Query choices(*s.db, TableId::Choice, kPageRegNum, key);
        ASSERT_EQ(choices.recordCount(), c.question ? 4 : 0);
        int n = 0;
        for (bool ok = choices.first(); ok; ok = choices.next()) {
            ++n;
            EXPECT_EQ(choices.asString(QStringLiteral("ChoiceText")), QStringLiteral("Choice%1").arg(n));
            EXPECT_EQ(choices.asString(QStringLiteral("ResponseText")), QStringLiteral("Response%1").arg(n));
            EXPECT_EQ(choices.asInteger(QStringLiteral("Enumerator")), n < 3 ? 0 : -1);
            EXPECT_FALSE(choices.field(choices.indexOf(QStringLiteral("Jump2Page"))).isNull());
        }
    }
}

TEST(PageRows, NewPageTakesUnsavedLessonDefaultsAndNeedsItsRow) {
    Store s;
    const qint64 lesn = s.addLesson();
    ASSERT_TRUE(s.lesn->findKey(lesn));
    s.lesn->edit();  // the open lesson is kept in edit state between saves
    s.lesn->setString(QStringLiteral("LDefaultFontName"), QStringLiteral("Typed"));
    const qint64 key = s.rows->ReservePageRecord(lesn, 1, true);
    ASSERT_TRUE(s.rows->FillNewPage(key, false, lesn));
    EXPECT_EQ(s.rows->LoadPage(key)->FontName, QStringLiteral("Typed"));
    EXPECT_EQ(s.lesn->state(), Table::State::Edit);
    EXPECT_FALSE(s.rows->FillNewPage(key + 1, false, lesn));
}

TEST(PageRows, LookupsEqualTheFullScanAmongInterleavedRows) {
    Store s;
    std::mt19937 rng(7);
    // Pages of three lessons, numbers repeated, and one row left blank.
    for (int i = 0; i < 60; ++i) {
        s.page->append();
        s.page->setInteger(kLesnRegNum, 1 + int(rng() % 3));
        s.page->setInteger(kPageNumber, 1 + int(rng() % 8));
        s.page->post();
    }
    s.page->append();
    s.page->post();
    // Words of four pages interleaved, numbers repeated and skipped, one blank.
    for (int i = 0; i < 300; ++i) {
        s.wurd->append();
        s.wurd->setInteger(kPageRegNum, 1 + int(rng() % 4));
        s.wurd->setInteger(kWurdNumber, 1 + int(rng() % 70));
        s.wurd->post();
    }
    s.wurd->append();
    s.wurd->post();
    const auto pages = firstRowsByWalk(*s.page, kLesnRegNum, kPageNumber);
    for (qint64 lesn = 0; lesn <= 4; ++lesn) {
        for (int number = 0; number <= 9; ++number) {
            ASSERT_EQ(s.rows->PageRecord(lesn, number), valueOr0(pages, lesn, number)) << lesn << "/" << number;
        }
    }
    const auto wurds = firstRowsByWalk(*s.wurd, kPageRegNum, kWurdNumber);
    for (qint64 page = 0; page <= 5; ++page) {
        const auto keys = s.rows->WurdRecNums(page, 80);
        const auto loaded = s.rows->LoadWurds(page, 80);
        for (int n = 0; n <= 80; ++n) {
            const qint64 walked = valueOr0(wurds, page, n);
            ASSERT_EQ(s.rows->WurdRecord(n, page), walked) << page << "/" << n;
            if (n > 0) {
                ASSERT_EQ(keys[size_t(n)], walked) << page << "/" << n;
                ASSERT_EQ(loaded[size_t(n)] ? loaded[size_t(n)]->WurdRegNum : 0, walked) << page << "/" << n;
            }
        }
    }
    // A miss leaves the position where it was.
    ASSERT_TRUE(s.page->findKey(10));
    EXPECT_EQ(s.rows->PageRecord(9, 1), 0);
    EXPECT_EQ(s.page->key(), 10);
}

TEST(PageRows, PageCountsShowALessonWhosePagesDisagree) {
    Store s;
    const struct {
        std::vector<int> numbers;
        int pages;
        int count, max;
        bool match;
    } cases[] = {
        {{}, 0, 0, 0, true},         {{1, 2, 3}, 3, 3, 3, true}, {{3, 1, 2}, 3, 3, 3, true},
        {{1, 2, 3}, 2, 3, 3, false}, {{1, 3}, 3, 2, 3, false},   {{1, 1, 3}, 3, 3, 3, false},
    };
    for (const auto& c : cases) {
        const qint64 lesn = s.addLesson();
        for (int n : c.numbers) s.rows->ReservePageRecord(lesn, n, true);
        s.rows->ReservePageRecord(lesn + 100, 1, true);  // another lesson's page
        EXPECT_EQ(s.rows->PageCountOfLesson(lesn), c.count) << lesn;
        EXPECT_EQ(s.rows->MaxPageNumber(lesn), c.max) << lesn;
        EXPECT_EQ(s.rows->PagesMatch(lesn, c.pages), c.match) << lesn;
    }
}

TEST(PageRows, SavingAPageOfWordsIsAllOrNothing) {
    Store s;
    std::vector<WurdData> words;
    for (int n = 1; n <= 3; ++n) {
        words.push_back(word(1, n, 100 * n));
        words.back().WurdRegNum = s.rows->NewWurdRecord(words.back());
    }
    std::vector<WurdData> changed = words;
    for (auto& w : changed) w.WStopTime += 5;
    changed[1].WText = QString(21, QLatin1Char('x'));  // one more than the field holds
    EXPECT_THROW(s.rows->SaveWurds(changed), StoreError);
    for (const auto& w : words) EXPECT_EQ(*s.rows->LoadWurd(w.WurdRegNum), w);

    // A missing row is reported; the others are saved, the page with them.
    changed[1] = words[1];
    changed[1].WurdRegNum = 999;
    const qint64 page = s.rows->ReservePageRecord(1, 1, true);
    std::vector<qint64> missing;
    PageData p;
    p.PageNumber = 1;
    p.Wurds = 3;
    ASSERT_TRUE(s.rows->SavePageWithWurds(page, p, false, changed, &missing));
    EXPECT_EQ(missing, std::vector<qint64>{999});
    EXPECT_EQ(s.rows->LoadWurd(words[2].WurdRegNum)->WStopTime, 305);
    EXPECT_EQ(s.rows->LoadPage(page)->Wurds, 3);
    EXPECT_FALSE(s.rows->SavePageWithWurds(page + 1, p, false, words));
    EXPECT_EQ(s.rows->LoadWurd(words[2].WurdRegNum)->WStopTime, 305);
}
