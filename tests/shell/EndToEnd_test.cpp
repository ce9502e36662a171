// A new author's whole road through the program's own windows, with the
// machine's sound devices: first start, a lesson with a narrated reading page
// and a question page, played by a learner, exported, deleted and imported
// back unchanged. With VELLORA_SCREENSHOTS set, every step leaves a picture.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include "DirectorySelector.h"
#include "FillRow.h"
#include "ExchangeTexts.h"
#include "DiskDrive.h"
#include "LessonSession.h"
#include "LessonTestHelpers.h"
#include "PageLayer.h"
#include "QtPrinters.h"
#include "ShellKeys.h"
#include "Synchro.h"
#include "TFrame.h"
#include "TTitleScreen.h"
#include "Table.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "ToolStripWidget.h"

namespace vellora::testing {
namespace {

const QColor kLit(255, 255, 0);

// One lesson's rows with the keys and the links that an import renumbers
// left out, in key order, and its media files by kind and order.
struct LessonContent {
    std::map<TableId, std::vector<Row>> rows;
    std::vector<std::pair<QString, QByteArray>> media;
    bool operator==(const LessonContent&) const = default;
};

LessonContent contentOf(Database& db, qint64 lesson, const QString& dir) {
    LessonContent c;
    const int dirPath = fieldIndex(tableDef(TableId::Lesn), QStringLiteral("DirPath"));
    for (const auto& [id, rows] : lessonRows(db, lesson))
        for (auto [key, row] : rows) {
            // The lesson row keeps its own columns but the directory; the
            // others lose their owner's key too.
            row[0] = QVariant();
            row[id == TableId::Lesn ? size_t(dirPath) : 1] = QVariant();
            c.rows[id].push_back(row);
        }
    // Media names carry the renumbered keys: the kind letter and extension
    // stay, and the files sort in key order within a kind.
    for (const auto& [name, bytes] : filesIn(dir)) c.media.emplace_back(name.left(1) + name.mid(8), bytes);
    std::stable_sort(c.media.begin(), c.media.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return c;
}

struct Road {
    TempDir tmp;
    TempDir disk;
    std::unique_ptr<LessonSession> s;
    int step = 0;

    TMainForm& form() { return s->form(); }
    TFrame& frame() { return *s->app->Frame(); }
    AppState& st() { return s->state(); }
    void shot(const char* what) {
        saveScreenshot(&form(), QStringLiteral("road-%1-%2.png").arg(++step, 2, 10, QLatin1Char('0')).arg(QLatin1String(what)));
    }
    void press(const QKeySequence& keys) { QTest::keySequence(&form(), keys); }
    // Types over what the field holds, as an author selecting it all first.
    void type(QWidget* w, const QString& text) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, text);
    }
};

TEST(EndToEnd, AnAuthorMakesALessonALearnerPlaysItAndItComesBackFromDisk) {
    const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (espeak.isEmpty()) GTEST_SKIP() << "espeak-ng is not installed";
    Road r;
    const QString narration = r.tmp.file(QStringLiteral("narration.wav"));
    const QString text = QStringLiteral("Frogs live near ponds.\nThey eat flies and bugs.");
    ASSERT_EQ(QProcess::execute(espeak, {QStringLiteral("-w"), narration, QString(text).replace('\n', ' ')}), 0);

    // First start: the database is made on the author's Yes.
    r.s = std::make_unique<LessonSession>(r.tmp.path());
    r.form().FormActivate();
    ASSERT_TRUE(QFile::exists(r.tmp.file(QStringLiteral("db/VELLO002.DB"))));
    ASSERT_EQ(r.st().CurrentDomain, 0);
    r.shot("start");

    // File > New, then the title and the author's name.
    r.press(QKeySequence(Qt::Key_F3));
    ASSERT_TRUE(r.st().LessonOpen);
    TTitleScreen& title = r.s->title();
    r.type(title.memTitle, QStringLiteral("Frogs"));
    for (auto [field, name] : {std::pair{title.DBeditFirst, "Ada"}, {title.DBeditMiddle, "B."}, {title.DBeditLast, "Reader"}}) {
        r.type(field, QLatin1String(name));
        QTest::keyClick(field, Qt::Key_Return);
    }
    r.shot("title");

    // Continue through the title page's steps to a new reading page.
    r.s->expectNewPage(false);
    for (int k = 0; k < 10 && r.st().CurrentPage == 0; ++k) r.press(keys::kContinue);
    ASSERT_EQ(r.st().CurrentPage, 1);
    ASSERT_EQ(r.frame().PageMode, QStringLiteral("r"));
    while (r.st().CurrentDomain < 11) r.press(keys::kContinue);
    ASSERT_EQ(r.st().CurrentDomain, 11);
    r.type(r.frame().TextBox, QStringLiteral("Frogs live near ponds."));
    QTest::keyClick(r.frame().TextBox, Qt::Key_Return);
    QTest::keyClicks(r.frame().TextBox, QStringLiteral("They eat flies and bugs."));
    r.shot("text");
    r.press(keys::kContinue);
    ASSERT_EQ(r.frame().WurdCount, 9);
    r.shot("words");

    // The narration, chosen from a file, then synchronised: the estimate,
    // frozen word by word.
    while (r.st().CurrentDomain < 13) r.press(keys::kContinue);
    ASSERT_EQ(r.st().CurrentDomain, 13);
    r.s->dialogs.expectFile(narration);
    r.form().Slider->button(Tool::btnSoundSel)->click();
    ASSERT_TRUE(r.st().cbTextSound);
    r.press(keys::kContinue);
    ASSERT_EQ(r.st().CurrentDomain, 14);
    QApplication::processEvents();
    TSynchro& synchro = *r.frame().Synchro();
    ASSERT_TRUE(synchro.SyncReady);
    saveScreenshot(&synchro, QStringLiteral("road-synchro.png"));
    for (int k = 0; k <= 9; ++k) synchro.btnFreeze->click();
    EXPECT_EQ(r.st().CurrentDomain, 15);
    EXPECT_EQ(r.frame().StopTimes[9], synchro.SoundLength);
    r.shot("synchronised");

    // Continue to a new question page with four choices, the third right.
    r.s->expectNewPage(true);
    r.press(keys::kContinue);
    ASSERT_EQ(r.st().CurrentPage, 2);
    ASSERT_EQ(r.frame().PageMode, QStringLiteral("q"));
    TFrame& f = r.frame();
    r.form().Icons(19);
    f.seChoices->setValue(4);
    ASSERT_EQ(f.ChoiceCount, 4);
    r.type(f.Stimulus, QStringLiteral("Where do frogs live?"));
    const char* answers[] = {"In trees", "In ponds", "In the sea", "In the sky"};
    for (int n = 1; n <= 4; ++n) {
        r.type(f.Choice[size_t(n)], QLatin1String(answers[n - 1]));
        f.Value[size_t(n)]->setValue(n == 2 ? 100 : 0);
    }
    r.shot("question");
    r.press(QKeySequence(Qt::Key_F7));

    // Play it as a learner: the reading page's words light in order; at the
    // question a wrong pick, then the right one.
    std::vector<int> lit;
    QObject::connect(f.Timer1, &QTimer::timeout, &f, [&] {
        for (int n = 1; n <= f.WurdCount; ++n)
            if (f.wurd(n)->palette().color(QPalette::Base) == kLit && (lit.empty() || lit.back() != n)) lit.push_back(n);
    });
    QStringList verdicts;
    r.s->app->pageLayer()->setVerdictObserver([&] {
        verdicts << (f.VerdictPanel->isVisible() ? f.DefaultFont->text() : f.ResponseMemo->toPlainText());
        saveScreenshot(&r.form(), QStringLiteral("road-verdict-%1.png").arg(verdicts.size()));
    });
    QStringList picked;
    QTimer learner;
    QObject::connect(&learner, &QTimer::timeout, [&] {
        if (!r.st().AwaitingAnswer || f.QuestionBusy) return;
        int slot = 0;
        for (int n = 1; n <= 4; ++n)
            if ((f.Value[size_t(n)]->value() == 100) == !picked.isEmpty()) slot = n;
        picked << f.Choice[size_t(slot)]->toPlainText();
        if (picked.size() == 1) {
            QTest::mouseMove(f.Question);
            f.QuestionArmed = 100;
            QTest::mouseClick(f.Choice[size_t(slot)]->viewport(), Qt::LeftButton);
        } else {
            // The right one by its letter, with the question box in focus: a
            // stray letter before it types nothing into the lesson.
            f.Stimulus->setFocus();
            QTest::keyClick(f.Stimulus, Qt::Key_X);
            QTest::keyClick(f.Stimulus, Qt::Key(Qt::Key_A + slot - 1));
        }
    });
    learner.start(20);
    QTimer guard;  // a play that never ended fails here rather than hanging
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { r.st().StopRequested = true; });
    guard.start(60000);
    r.press(QKeySequence(Qt::Key_F9));
    learner.stop();
    EXPECT_TRUE(guard.isActive());
    EXPECT_EQ(lit, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    ASSERT_EQ(picked.size(), 2);
    EXPECT_NE(picked[0], QStringLiteral("In ponds"));
    EXPECT_EQ(picked[1], QStringLiteral("In ponds"));
    EXPECT_EQ(verdicts, (QStringList{QStringLiteral("Incorrect Choice !"), QStringLiteral("Correct Choice !")}));
    EXPECT_FALSE(r.st().Playing);
    EXPECT_EQ(f.Stimulus->toPlainText(), QStringLiteral("Where do frogs live?"));
    r.shot("played");

    // Export to a disk folder, delete the lesson, import it back.
    const qint64 lesson = r.st().LesnRegNum;
    const LessonContent made = contentOf(r.s->db(), lesson, r.st().DirPath);
    ASSERT_EQ(made.rows.at(TableId::Page).size(), 2u);
    ASSERT_EQ(made.rows.at(TableId::Wurd).size(), 9u);
    ASSERT_EQ(made.rows.at(TableId::Choice).size(), 4u);
    ASSERT_FALSE(made.media.empty());
    r.s->dialogs.expectDialog(QStringLiteral("DirectorySelector"), [&](QObject* o) {
        static_cast<TDirectorySelector*>(o)->setDirectory(r.disk.path());
        return int(QDialog::Accepted);
    });
    r.s->dialogs.expect(MsgKind::Information, texts::diskPrompt(1, DiskDrive().driveName(r.disk.file(texts::kPieceFileName))));
    r.s->dialogs.expect(MsgKind::Information, texts::kLesnExported);
    r.s->menu(MenuItem::ExportToDisk)->trigger();
    ASSERT_TRUE(r.s->dialogs.done());
    r.shot("exported");

    r.s->dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"), [](QObject*) { return int(QDialog::Accepted); });
    r.press(QKeySequence(Qt::Key_F6));
    ASSERT_TRUE(r.s->dialogs.done());
    EXPECT_FALSE(r.st().LessonOpen);
    EXPECT_EQ(r.form().LesnTable->recordCount(), 0);
    r.shot("deleted");

    r.s->dialogs.expectFile(r.disk.file(QStringLiteral("lesn.lsn")));
    r.s->dialogs.expect(MsgKind::Information, texts::kLesnImported);
    r.s->menu(MenuItem::ImportFromDisk)->trigger();
    ASSERT_TRUE(r.s->dialogs.done());
    ASSERT_TRUE(r.st().LessonOpen);
    EXPECT_NE(r.st().LesnRegNum, lesson);
    EXPECT_EQ(contentOf(r.s->db(), r.st().LesnRegNum, r.st().DirPath), made);
    EXPECT_EQ(title.fieldText(QStringLiteral("Title")), QStringLiteral("Frogs"));
    r.shot("imported");
}

}  // namespace
}  // namespace vellora::testing
