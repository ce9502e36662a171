#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "WurdLayout.h"

using namespace vellora;

namespace {

// Exact metrics: 7 px per character (blanks `blankWidth`), height twice the
// point size.
struct FakeMeasurer : TextMeasurer {
    int blankWidth = 7;
    QSize measure(const QFont& font, const QString& text) const override {
        const auto blanks = int(text.count(QLatin1Char(' ')));
        return QSize(7 * (int(text.size()) - blanks) + blankWidth * blanks, font.pointSize() * 2);
    }
};

QFont sized(int points) {
    QFont font;
    font.setPointSize(points);
    return font;
}

// "text@left,top,width,height" per word, joined by "|".
QString describe(const std::vector<StagedWurd>& wurds) {
    QStringList out;
    for (const StagedWurd& w : wurds)
        out << QStringLiteral("%1@%2,%3,%4,%5")
                   .arg(w.text)
                   .arg(w.rect.left())
                   .arg(w.rect.top())
                   .arg(w.rect.width())
                   .arg(w.rect.height());
    return out.join(QLatin1Char('|'));
}

QString describe(const std::vector<QRect>& rects) {
    QStringList out;
    for (const QRect& r : rects)
        out << QStringLiteral("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
    return out.join(QLatin1Char('|'));
}

QStringList lines(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts) out << QString::fromUtf8(t);
    return out;
}

// "a", `count` empty lines (a line of blanks after the first `blanksAfter`), "b".
QStringList withEmptyLines(int count, int blanksAfter = -1) {
    QStringList out{QStringLiteral("a")};
    for (int i = 0; i < count; ++i) {
        if (i == blanksAfter) out << QStringLiteral("  ");
        out << QString();
    }
    return out << QStringLiteral("b");
}

}  // namespace

TEST(WurdLayout, IsWurdAndGap) {
    EXPECT_FALSE(IsWurd(QString()));
    EXPECT_FALSE(IsWurd(QStringLiteral(" \r  ")));
    EXPECT_TRUE(IsWurd(QStringLiteral(" \t")));
    EXPECT_TRUE(IsWurd(QStringLiteral("\r.")));
    // {width, length, gap}: integer division first, then x 0.6 rounded.
    const int gaps[][3] = {{0, 0, 1}, {42, 6, 4}, {9, 1, 5}, {8, 1, 5}, {4, 1, 2},
                           {5, 1, 3}, {14, 3, 2}, {13, 2, 4}, {0, 3, 0}};
    for (const auto& g : gaps) EXPECT_EQ(WurdGap(g[0], g[1]), g[2]) << g[0] << "/" << g[1];
}

TEST(WurdLayout, ParseSplitsStagesAndPlaces) {
    struct Row {
        QStringList text;
        bool widen;
        int blankWidth;
        const char* expected;
        int boxWidth = 0;
    };
    const Row rows[] = {
        {{}, false, 7, ""},
        {lines({"", "   ", ""}), false, 7, ""},
        {lines({"Hello, world!"}), false, 7, "Hello,@3,3,42,20|world!@49,3,42,20"},
        {lines({"a  b"}), false, 7, "a@3,3,7,20| b@14,3,14,20"},
        {lines({"  ab   "}), false, 7, "  ab@3,3,28,20"},
        {lines({"a\tb c."}), false, 7, "a\tb@3,3,21,20|c.@28,3,14,20"},
        // A line of blanks makes no word but still moves one line down; so
        // does an empty line, also before the first word.
        {lines({"   ", "x"}), false, 7, "x@3,23,7,20"},
        {lines({"a", "", "b"}), false, 7, "a@3,3,7,20|b@3,43,7,20"},
        // Title page: blanks prefixed until 24 px; the gap stays the word's own.
        {lines({"a b"}), true, 7, "   a@3,3,28,20|   b@35,3,28,20"},
        {lines({"abcd"}), true, 7, "abcd@3,3,28,20"},
        {lines({"a"}), true, 0, "a@3,3,7,20"},
        {withEmptyLines(29), false, 7, "a@3,3,7,20|b@3,603,7,20"},
        {withEmptyLines(30), false, 7, "a@3,3,7,20"},
        // A line of blanks neither counts as empty nor breaks the run.
        {withEmptyLines(30, 15), false, 7, "a@3,3,7,20"},
        // A line longer than the box goes on below; the box's first word
        // stays even when too wide, and the author's own breaks still count.
        {lines({"aaa bb cc", "d"}), false, 7, "aaa@3,3,21,20|bb@28,3,14,20|cc@3,23,14,20|d@3,43,7,20", 64},
        {lines({"aaaaaaaaaa b"}), false, 7, "aaaaaaaaaa@3,3,70,20|b@3,23,7,20", 40},
    };
    for (const Row& row : rows) {
        FakeMeasurer measurer;
        measurer.blankWidth = row.blankWidth;
        int asked = 0;
        const ParseResult result = ParseWurds(row.text, sized(10), measurer, row.widen,
                                              [&](const QString&) { return ++asked, true; }, row.boxWidth);
        EXPECT_EQ(describe(result.wurds), QString::fromUtf8(row.expected)) << row.text.join('/').toStdString();
        EXPECT_EQ(asked, 0);
        EXPECT_FALSE(result.editTextRequested);
    }
}

TEST(WurdLayout, The150thWordAsks) {
    struct Row {
        int words;
        bool yes;
        int expectedWords;
        bool asked;
    };
    const Row rows[] = {{149, false, 149, false}, {150, false, 150, true}, {151, false, 150, true},
                        {151, true, 150, true},   {300, true, 150, true}};
    for (const Row& row : rows) {
        QStringList text;
        for (int n = 1; n <= row.words; ++n) {
            if (n % 10 == 1) text << QString();
            text.last() += QStringLiteral("w%1 ").arg(n);
        }
        QStringList questions;
        const ParseResult result =
            ParseWurds(text, sized(10), FakeMeasurer(), false, [&](const QString& wurd) {
                questions << wurd;  // the question names the 150th word
                return row.yes;
            });
        EXPECT_EQ(int(result.wurds.size()), row.expectedWords) << row.words;
        EXPECT_EQ(result.editTextRequested, row.asked && row.yes) << row.words;
        EXPECT_EQ(questions, row.asked ? QStringList{QStringLiteral("w150")} : QStringList{});
    }
}

TEST(WurdLayout, AlignWurdsFlowsLines) {
    struct Word {
        const char* text;
        int points;
        int left;
    };
    struct Row {
        const char* name;
        int boxWidth;
        std::vector<Word> words;
        const char* expected;
    };
    const Row rows[] = {
        {"fits exactly", 45, {{"ab", 10, 3}, {"ab", 10, 60}}, "3,3,14,20|21,3,14,20"},
        {"one past", 44, {{"ab", 10, 3}, {"ab", 10, 60}}, "3,3,14,20|3,25,14,20"},
        {"common bottom", 100, {{"ab", 10, 3}, {"ab", 15, 3}, {"abcdefghij", 10, 3}},
         "3,13,14,20|21,3,14,30|3,35,70,20"},
        {"indent kept", 100, {{"ab", 10, 40}, {"c", 10, 3}}, "40,3,14,20|58,3,7,20"},
        {"one word to the margin", 100, {{"ab", 10, 40}}, "3,3,14,20"},
        {"too wide stands alone", 40, {{"a", 10, 3}, {"abcdefghij", 10, 3}, {"b", 10, 3}},
         "3,3,7,20|3,25,70,20|3,47,7,20"},
        {"first word too wide at its indent", 40, {{"abcd", 10, 20}, {"abcd", 10, 3}},
         "3,5,28,20|3,27,28,20"},
        {"no room at all", 0, {{"a", 10, 3}, {"", 10, 3}, {"b", 10, 3}}, "3,3,7,20|3,25,0,20|3,47,7,20"},
        {"empty word has a gap of 1", 100, {{"a", 10, 3}, {"", 10, 3}, {"b", 10, 3}},
         "3,3,7,20|14,3,0,20|15,3,7,20"},
        {"no words", 100, {}, ""},
    };
    for (const Row& row : rows) {
        std::vector<FlowWurd> wurds;
        for (const Word& w : row.words)
            wurds.push_back({QString::fromUtf8(w.text), sized(w.points), QRect(w.left, 99, 1, 1)});
        EXPECT_EQ(describe(AlignWurds(wurds, row.boxWidth, FakeMeasurer())),
                  QString::fromUtf8(row.expected))
            << row.name;
    }
}

TEST(WurdLayout, ArrowKeysNudgeOrSelect) {
    const auto alt = Qt::KeyboardModifiers(Qt::AltModifier);
    const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
    struct Row {
        int key;
        Qt::KeyboardModifiers mods;
        int current, count;
        bool handled;
        int selected;
        QPoint nudge;
    };
    const Row rows[] = {
        {Qt::Key_Up, ctrl, 1, 3, true, 1, {}},
        {Qt::Key_Left, ctrl, 1, 3, true, 1, {}},
        {Qt::Key_Down, ctrl, 1, 3, true, 2, {}},
        {Qt::Key_Right, ctrl, 3, 3, true, 3, {}},
        {Qt::Key_Left, ctrl | Qt::KeypadModifier, 3, 3, true, 2, {}},
        {Qt::Key_Left, alt, 2, 3, true, 2, {-1, 0}},
        {Qt::Key_Right, alt, 2, 3, true, 2, {1, 0}},
        {Qt::Key_Up, alt, 2, 3, true, 2, {0, -1}},
        {Qt::Key_Down, alt, 2, 3, true, 2, {0, 1}},
        {Qt::Key_Left, alt | Qt::ControlModifier, 2, 3, false, 2, {}},
        {Qt::Key_Left, Qt::ShiftModifier, 2, 3, false, 2, {}},
        {Qt::Key_Home, ctrl, 2, 3, false, 2, {}},
        {Qt::Key_Left, alt, 0, 3, false, 0, {}},
        {Qt::Key_Right, ctrl, 0, 0, false, 0, {}},
    };
    for (const Row& row : rows) {
        const WurdKeyResult r = WurdKey(row.key, row.mods, row.current, row.count);
        EXPECT_EQ(r.handled, row.handled) << row.key << " " << row.mods.toInt() << " " << row.current;
        EXPECT_EQ(r.currentWurd, row.selected) << row.key << " " << row.current;
        EXPECT_EQ(r.nudge, row.nudge) << row.key;
    }
}
