// Pages and words through the program's own set-up: page records, page
// changes, words typed, stored and loaded again, and the page window's
// display, with the real page layer (no test double).
#include <gtest/gtest.h>

#include <QImage>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include "LessonSession.h"
#include "PageTexts.h"
#include "Table.h"
#include "TestFiles.h"

namespace vellora::testing {
namespace {

struct PageSession : LessonSession {
    explicit PageSession(const QString& dir) : LessonSession(dir) { life().FileNewClick(); }
    void cont() { form().navigator().btnContinueClick(); }
    void typeText(const QString& text) {
        form().Icons(11);
        frame().TextBox->setFocus();
        QTest::keyClicks(frame().TextBox, text);
    }
    std::vector<WurdData> storedWurds() {
        std::vector<WurdData> out;
        const qint64 page = rows().PageRecord(state().LesnRegNum, state().CurrentPage);
        for (qint64 key : rows().WurdRecNums(page, frame().WurdCount))
            if (key) out.push_back(*rows().LoadWurd(key));
        return out;
    }
};

// Words typed on a page are stored, and come back exactly, with their style,
// colour, size, place and stop time, when the lesson is opened again. (The
// way to a new page's Text domain by Continue: EndToEnd_test.)
TEST(Pages, TypedWordsAreSavedAndComeBackExactlyAfterReopeningTheLesson) {
    TempDir tmp;
    qint64 lesson = 0;
    std::vector<WurdData> saved;
    {
        PageSession s(tmp.path());
        s.newPage(false);
        s.newPage(false);  // a second page, so that the words are not on page 1
        s.typeText(QStringLiteral("The cat sat,"));
        QTest::keyClick(s.frame().TextBox, Qt::Key_Return);
        QTest::keyClicks(s.frame().TextBox, QStringLiteral("and the dog ran!"));
        s.cont();
        ASSERT_EQ(s.state().CurrentDomain, 12);
        ASSERT_EQ(s.frame().WurdCount, 7);
        EXPECT_TRUE(s.frame().sbWurdsBox->isVisible());
        EXPECT_FALSE(s.frame().TextBox->isVisible());
        // Ctrl selects the next word, Alt nudges it a pixel.
        QTest::keyClick(s.frame().wurd(1), Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(s.frame().CurrentWurd, 2);
        const QPoint at = s.frame().wurd(2)->pos();
        QTest::keyClick(s.frame().wurd(2), Qt::Key_Down, Qt::AltModifier);
        EXPECT_EQ(s.frame().wurd(2)->pos(), at + QPoint(0, 1));
        QTest::keyClick(&s.form(), Qt::Key_F7);

        const QStringList expected = {"The", "cat", "sat,", "and", "the", "dog", "ran!"};
        const std::vector<WurdData> words = s.storedWurds();
        ASSERT_EQ(int(words.size()), 7);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(words[size_t(i)].WText, expected[i]);
            EXPECT_EQ(words[size_t(i)].WurdNumber, i + 1);
        }
        // The second line starts one line lower, at the left margin again.
        EXPECT_EQ(words[3].WLeft, 3);
        EXPECT_EQ(words[1].WTop, words[0].WTop + 1);
        EXPECT_GT(words[3].WTop, words[0].WTop);

        // Style, colour, size and place of word 2, and stop times.
        TWurd* w = s.frame().wurd(2);
        QFont f = w->font();
        f.setBold(true);
        f.setItalic(true);
        f.setPointSize(20);
        w->setFont(f);
        QPalette p = w->palette();
        p.setColor(QPalette::Text, Qt::red);
        w->setPalette(p);
        w->setGeometry(40, 50, 61, 33);
        s.frame().StopTimes = {};
        s.frame().StopTimes[1] = 500, s.frame().StopTimes[2] = 70000,
        s.frame().StopTimes[3] = 90123;
        EXPECT_TRUE(s.form().SaveAll());
        saved = s.storedWurds();
        lesson = s.state().LesnRegNum;
        s.dialogs.expect(MsgKind::Confirmation, QStringLiteral("Exit Vellora?"), MsgAnswer::No);
        s.form().ShutDown();
    }
    ASSERT_EQ(saved.size(), 7u);
    EXPECT_EQ(saved[1].WFontStyle, 110);
    EXPECT_EQ(saved[1].WFontColor, 9);  // red
    EXPECT_EQ(saved[1].WFontSize, 20);
    EXPECT_EQ(saved[2].WStopTime, 90123);  // beyond 16 bits, kept whole

    LessonSession again(tmp.path());
    again.state().LastReadingPage = 7;  // as if a page of another lesson had been visited
    again.life().OpenLesson(lesson);
    EXPECT_EQ(again.state().LastReadingPage, -1);
    EXPECT_TRUE(again.form().pages().PageMode().isEmpty());
    again.form().pages().ChangePage(2, 12);
    TFrame& frame = *again.app->Frame();
    ASSERT_EQ(frame.WurdCount, 7);
    TWurd* w = frame.wurd(2);
    EXPECT_EQ(w->text(), QStringLiteral("cat"));
    EXPECT_EQ(w->geometry(), QRect(40, 50, 61, 33));
    EXPECT_TRUE(w->font().bold() && w->font().italic() && !w->font().underline());
    EXPECT_EQ(w->font().pointSize(), 20);
    EXPECT_EQ(w->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(frame.StopTimes[1], 500);
    EXPECT_EQ(frame.StopTimes[2], 70000);
    EXPECT_EQ(frame.StopTimes[3], 90123);
    EXPECT_EQ(frame.wurd(1)->font().family(), saved[0].WFontName);
}

TEST(Pages, PageChangesNewPagesAndTheirDomains) {
    TempDir tmp;
    PageSession s(tmp.path());
    // Past the last page, answering No: nothing changes.
    s.dialogs.expectDialog(QStringLiteral("dlgNewPage"),
                           [](QObject*) { return int(QDialog::Rejected); });
    s.form().pages().ChangePage(1, 9);
    EXPECT_EQ(s.state().PageCount, 0);
    EXPECT_EQ(s.state().CurrentPage, 0);
    EXPECT_EQ(s.state().CurrentDomain, 2);

    s.newPage(false);  // 1 reading
    s.newPage(true);   // 2 question
    EXPECT_EQ(s.state().CurrentPage, 2);
    EXPECT_EQ(s.state().CurrentDomain, 16);  // Picture on a question page

    struct Case {
        int page, domain, expectedDomain;
        const char* mode;
    } cases[] = {
        {1, 10, 10, "r"}, {2, 10, 17, "q"}, {1, 9, 9, "r"}, {2, 9, 16, "q"}, {1, 12, 12, "r"}};
    for (const Case& c : cases) {
        s.form().pages().ChangePage(c.page, c.domain);
        EXPECT_EQ(s.state().CurrentPage, c.page);
        EXPECT_EQ(s.state().CurrentDomain, c.expectedDomain) << c.page << " " << c.domain;
        EXPECT_EQ(s.form().pages().PageMode(), QString::fromLatin1(c.mode));
    }
    EXPECT_EQ(s.state().LastReadingPage, 1);
    EXPECT_EQ(s.state().LastQuestionPage, 2);

    // A count that the lesson's rows disagree with is repaired on the title
    // page: the lesson goes on with 2.
    s.state().PageCount = 5;
    s.dialogs.expect(MsgKind::Information, texts::kPagesRepaired.arg(5).arg(2));
    s.form().pages().ChangePage(0, 2);
    EXPECT_EQ(s.state().PageCount, 2);
    // Pages 3, 4, then 5 of 4: the count reaches the indicator, the state and
    // the lesson row.
    s.form().pages().ChangePage(2, 9);
    s.newPage(false);
    s.newPage(false);
    s.newPage(false);
    EXPECT_EQ(s.state().PageCount, 5);
    EXPECT_EQ(s.form().editPages->text(), QStringLiteral("5"));
    Table lesson(s.db(), TableId::Lesn);
    ASSERT_TRUE(lesson.findKey(s.state().LesnRegNum));
    EXPECT_EQ(lesson.asInteger(QStringLiteral("Pages")), 5);
    // Back and Next step through them; Back on the title page does nothing.
    s.form().BtnBack->click();
    EXPECT_EQ(s.state().CurrentPage, 4);
    s.form().pages().ChangePage(0, 2);
    s.form().BtnBack->click();
    EXPECT_EQ(s.state().CurrentPage, 0);
    s.form().BtnNext->click();
    EXPECT_EQ(s.state().CurrentPage, 1);
}

TEST(Pages, SavingIsSkippedWhilePlayingAndOnQuestionPages) {
    TempDir tmp;
    PageSession s(tmp.path());
    s.newPage(false);
    s.typeText(QStringLiteral("alpha beta"));
    s.cont();
    s.frame().wurd(1)->setText(QStringLiteral("changed"));
    s.state().SaveOnPageChange = false;  // as during lesson play
    EXPECT_TRUE(s.form().SaveAll());
    EXPECT_EQ(s.storedWurds()[0].WText, QStringLiteral("alpha"));
    s.state().SaveOnPageChange = true;
    EXPECT_TRUE(s.form().SaveAll());
    EXPECT_EQ(s.storedWurds()[0].WText, QStringLiteral("changed"));

    // A question page has no words to save, and its row keeps its question.
    s.newPage(true);
    EXPECT_EQ(s.form().pages().WurdCount(), 0);
    EXPECT_TRUE(s.form().SaveAll());
    const std::optional<PageData> q = s.rows().LoadPage(s.state().PageRegNum);
    EXPECT_EQ(q->StimulusText, QStringLiteral("Question"));
    EXPECT_EQ(q->Choices, 2);
}

TEST(Pages, DamagedRowsAndFilesEndInAClearMessage) {
    TempDir tmp;
    PageSession s(tmp.path());
    s.newPage(false);
    s.typeText(QStringLiteral("a b c"));
    s.cont();
    // A word too long for its row sends the author back to the text, and the
    // page keeps its words.
    s.typeText(QStringLiteral("short Pneumonoultramicroscopic"));
    s.dialogs.expect(MsgKind::Warning,
                     texts::kWurdTooLong.arg(QStringLiteral("Pneumonoultramicroscopic")).arg(20));
    s.cont();
    EXPECT_EQ(s.state().CurrentDomain, 11);
    EXPECT_EQ(s.frame().TextBox->toPlainText(), QStringLiteral("short Pneumonoultramicroscopic"));
    EXPECT_EQ(s.rows().WurdRecNums(s.state().PageRegNum, 3)[3] != 0, true);
    s.frame().TextBox->clear();
    s.frame().TextBox->document()->setModified(false);
    s.form().pages().ChangePage(1, 12);
    EXPECT_EQ(s.frame().WurdCount, 3);

    const qint64 page = s.state().PageRegNum;
    const qint64 first = s.frame().WurdRecNums[1];
    s.newPage(false);
    // A page row counting more words than it has rows shows the rows it has;
    // a stored colour outside the palette loads blue.
    PageData row = *s.rows().LoadPage(page);
    row.Wurds = 9;
    ASSERT_TRUE(s.rows().SavePage(page, row, false));
    WurdData w = *s.rows().LoadWurd(first);
    w.WFontColor = 77;
    ASSERT_TRUE(s.rows().SaveWurd(first, w));
    s.dialogs.expect(MsgKind::Information, texts::WurdsMissing(1, 9, 3));
    s.form().pages().ChangePage(1, 12);
    EXPECT_EQ(s.frame().WurdCount, 3);
    EXPECT_EQ(s.frame().wurd(3)->text().trimmed(), QStringLiteral("c"));
    EXPECT_EQ(s.frame().wurd(1)->palette().color(QPalette::Text), QColor(0, 0, 255));

    // A text file that is not text, a picture that is not a picture.
    const QString binary = tmp.file(QStringLiteral("binary.txt"));
    const QString latin1 = tmp.file(QStringLiteral("latin1.txt"));
    writeFile(binary, QByteArray("ab\0cd", 5));
    writeFile(latin1, "caf\xe9");
    s.form().Icons(11);
    for (const QString& f : {binary, latin1}) {
        s.dialogs.expectFile(f);
        s.dialogs.expect(MsgKind::Error, texts::kNotText.arg(QFileInfo(f).fileName()));
        s.form().pages().TextFile(TextFileCommand::Open);
        EXPECT_TRUE(s.frame().TextBox->document()->isEmpty());
    }
    const QString notPicture = s.life().MediaFileName(9, 0);
    writeFile(notPicture, "not a picture");
    s.dialogs.expect(MsgKind::Warning, texts::kNotPicture.arg(QFileInfo(notPicture).fileName()));
    s.form().pages().ChangePage(2, 9);
    s.form().pages().ChangePage(1, 9);
    EXPECT_FALSE(s.frame().PicturePanel->isVisible());
    EXPECT_EQ(s.state().CurrentPage, 1);
}

TEST(Pages, ParsedWordsLayOutAndShowInEveryBackground) {
    TempDir tmp;
    PageSession s(tmp.path());
    s.newPage(false);
    QStringList words;
    for (int i = 1; i <= 40; ++i)
        words << (i % 7 == 0 ? QStringLiteral("Lesson,") : QStringLiteral("word%1").arg(i));
    s.typeText(words.join(QLatin1Char(' ')));
    s.cont();
    ASSERT_EQ(s.frame().WurdCount, 40);
    for (int n = 1; n <= 40; n += 3) {
        QFont f = s.frame().wurd(n)->font();
        f.setBold(true);
        f.setPointSize(16);
        s.frame().wurd(n)->setFont(f);
    }
    s.form().pages().AlignWurds();
    // Every word inside the box, none overlapping the one before.
    const int right = s.frame().sbWurdsBox->width() - 6;
    for (int n = 1; n <= 40; ++n) {
        const QRect r = s.frame().wurd(n)->geometry();
        EXPECT_LE(r.right(), right + 1) << n;
        if (n > 1) {
            const QRect prev = s.frame().wurd(n - 1)->geometry();
            EXPECT_FALSE(r.intersects(prev)) << n;
        }
    }

    // Backgrounds: the gradient is drawn in bands of blue from the top.
    const QString wallpaper = tmp.file(QStringLiteral("tile.png"));
    QImage tile(16, 16, QImage::Format_RGB32);
    tile.fill(QColor(200, 120, 40));
    ASSERT_TRUE(tile.save(wallpaper));
    s.form().SetBackgroundIndex(1);
    const QImage gradient = s.frame().grab().toImage();
    EXPECT_EQ(gradient.pixelColor(s.frame().width() - 2, 1), QColor(0, 0, 255));
    // The wallpaper is the lesson's background picture, tiled from the top left.
    s.frame().setBackgroundSource([] { return 2; });
    s.form().pages().SetWallpaper(wallpaper);
    const QImage tiled = s.frame().grab().toImage();
    EXPECT_EQ(tiled.pixelColor(s.frame().width() - 2, s.frame().height() - 2),
              QColor(200, 120, 40));
}

TEST(Pages, ResizingScalesTheControlsButNotTheWords) {
    TempDir tmp;
    PageSession s(tmp.path());
    s.newPage(false);
    s.typeText(QStringLiteral("one two"));
    s.cont();
    TFrame& f = s.frame();
    const QRect box = f.sbWurdsBox->geometry();
    const QRect word = f.wurd(2)->geometry();
    const QSize before = f.size();
    f.resize(before * 2);
    EXPECT_NEAR(f.sbWurdsBox->width(), box.width() * 2, 1);
    EXPECT_NEAR(f.sbWurdsBox->x(), box.x() * 2, 1);
    EXPECT_EQ(f.wurd(2)->geometry(), word);
    f.resize(before);
    EXPECT_NEAR(f.sbWurdsBox->width(), box.width(), 1);
}

TEST(Pages, TextFilesAndTheLastOneRemembered) {
    TempDir tmp;
    const QString ini = QDir(tmp.path()).filePath(QStringLiteral("Vellora.ini"));
    const QString saved = tmp.file(QStringLiteral("story.txt"));
    struct Case {
        bool saveAs;
        QString remembered;
    } cases[] = {{true, saved}, {false, QString()}};  // untitled text: remembered empty
    for (const Case& c : cases) {
        PageSession s(tmp.path());
        s.newPage(false);
        s.typeText(QStringLiteral("Once upon a time"));
        if (c.saveAs) {
            s.dialogs.expectFile(saved);
            s.form().pages().TextFile(TextFileCommand::SaveAs);
            EXPECT_EQ(readFile(saved), QByteArray("Once upon a time"));
        } else {
            // New asks before the typed text goes; OK saves it first (Cancel here).
            s.dialogs.expect(MsgKind::Confirmation, texts::kUntitled + texts::kTextChanged,
                             MsgAnswer::Cancel);
            s.form().pages().TextFile(TextFileCommand::New);
            EXPECT_TRUE(s.frame().TextBox->document()->isEmpty());
        }
        s.app->finish();
        EXPECT_EQ(QSettings(ini, QSettings::IniFormat).value(texts::kLastOpenKey).toString(),
                  c.remembered);
    }
}

}  // namespace
}  // namespace vellora::testing
