// A new author's whole road through the program's own windows, with the
// machine's sound devices: first start, a lesson with a narrated reading page
// and a question page, played by a learner, exported, deleted and imported
// back unchanged. With VELLORA_SCREENSHOTS set, every step leaves a picture.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include "DirectorySelector.h"
#include "DiskDrive.h"
#include "ExchangeTexts.h"
#include "FillRow.h"
#include "LessonSession.h"
#include "QtPrinters.h"
#include "ShellKeys.h"
#include "Synchro.h"
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
    for (const auto& [name, bytes] : filesIn(dir))
        c.media.emplace_back(name.left(1) + name.mid(8), bytes);
    std::stable_sort(c.media.begin(), c.media.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return c;
}

TEST(EndToEnd, AnAuthorMakesALessonALearnerPlaysItAndItComesBackFromDisk) {
    const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (espeak.isEmpty()) GTEST_SKIP() << "espeak-ng is not installed";
    TempDir tmp, disk;
    const QString narration = tmp.file(QStringLiteral("narration.wav"));
    const QString text = QStringLiteral("Frogs live near ponds. They eat flies and bugs.");
    ASSERT_EQ(QProcess::execute(espeak, {QStringLiteral("-w"), narration, text}), 0);

    // First start: the database is made on the author's Yes.
    LessonSession s(tmp.path());
    TMainForm& form = s.form();
    AppState& st = s.state();
    TFrame& f = s.frame();
    int step = 0;
    const auto shot = [&](const char* what) {
        saveScreenshot(&form, QStringLiteral("road-%1-%2.png")
                                  .arg(++step, 2, 10, QLatin1Char('0'))
                                  .arg(QLatin1String(what)));
    };
    const auto press = [&](const QKeySequence& keys) { QTest::keySequence(&form, keys); };
    form.FormActivate();
    ASSERT_TRUE(QFile::exists(tmp.file(QStringLiteral("db/VELLO002.DB"))));
    ASSERT_EQ(st.CurrentDomain, 0);
    shot("start");

    // File > New, then the title and the author's name.
    press(QKeySequence(Qt::Key_F3));
    ASSERT_TRUE(st.LessonOpen);
    TTitleScreen& title = s.title();
    typeInto(title.memTitle, QStringLiteral("Frogs"));
    for (auto [field, name] : {std::pair{title.DBeditFirst, "Ada"},
                               {title.DBeditMiddle, "B."},
                               {title.DBeditLast, "Reader"}}) {
        typeInto(field, QLatin1String(name));
        QTest::keyClick(field, Qt::Key_Return);
    }
    shot("title");

    // Continue through the title page's steps to a new reading page.
    s.expectNewPage(false);
    for (int k = 0; k < 10 && st.CurrentPage == 0; ++k) press(keys::kContinue);
    ASSERT_EQ(st.CurrentPage, 1);
    ASSERT_EQ(f.PageMode, QStringLiteral("r"));
    while (st.CurrentDomain < 11) press(keys::kContinue);
    ASSERT_EQ(st.CurrentDomain, 11);
    typeInto(f.TextBox, QStringLiteral("Frogs live near ponds."));
    QTest::keyClick(f.TextBox, Qt::Key_Return);
    QTest::keyClicks(f.TextBox, QStringLiteral("They eat flies and bugs."));
    shot("text");
    press(keys::kContinue);
    ASSERT_EQ(f.WurdCount, 9);
    shot("words");

    // The narration, chosen from a file, then synchronised: the estimate,
    // frozen word by word.
    while (st.CurrentDomain < 13) press(keys::kContinue);
    ASSERT_EQ(st.CurrentDomain, 13);
    s.dialogs.expectFile(narration);
    form.Slider->button(Tool::btnSoundSel)->click();
    ASSERT_TRUE(st.cbTextSound);
    press(keys::kContinue);
    ASSERT_EQ(st.CurrentDomain, 14);
    QApplication::processEvents();
    TSynchro& synchro = *f.Synchro();
    ASSERT_TRUE(synchro.SyncReady);
    saveScreenshot(&synchro, QStringLiteral("road-synchro.png"));
    for (int k = 0; k <= 9; ++k) synchro.btnFreeze->click();
    EXPECT_EQ(st.CurrentDomain, 15);
    EXPECT_EQ(f.StopTimes[9], synchro.SoundLength);
    shot("synchronised");

    // Continue to a new question page with four choices, the second right.
    s.expectNewPage(true);
    press(keys::kContinue);
    ASSERT_EQ(st.CurrentPage, 2);
    ASSERT_EQ(f.PageMode, QStringLiteral("q"));
    form.Icons(19);
    f.seChoices->setValue(4);
    ASSERT_EQ(f.ChoiceCount, 4);
    typeInto(f.Stimulus, QStringLiteral("Where do frogs live?"));
    const char* answers[] = {"In trees", "In ponds", "In the sea", "In the sky"};
    for (int n = 1; n <= 4; ++n) {
        typeInto(f.Choice[size_t(n)], QLatin1String(answers[n - 1]));
        f.Value[size_t(n)]->setValue(n == 2 ? 100 : 0);
    }
    shot("question");
    press(QKeySequence(Qt::Key_F7));

    // Play it as a learner: the reading page's words light in order, each
    // once the sound heard is past the stop before it; at the question a
    // wrong pick, then the right one.
    std::vector<int> lit;
    int early = 0;
    QObject::connect(f.Timer1, &QTimer::timeout, &f, [&] {
        for (int n = 1; n <= f.WurdCount; ++n) {
            if (f.wurd(n)->palette().color(QPalette::Base) != kLit) continue;
            if (lit.empty() || lit.back() != n) lit.push_back(n);
            if (n > 1 && st.MediaPosition < f.StopTimes[size_t(n) - 1]) ++early;
        }
    });
    QStringList verdicts;
    s.layer().setVerdictObserver([&] {
        verdicts << (f.VerdictPanel->isVisible() ? f.DefaultFont->text()
                                                 : f.ResponseMemo->toPlainText());
        saveScreenshot(&form, QStringLiteral("road-verdict-%1.png").arg(verdicts.size()));
    });
    QStringList picked;
    QTimer learner;
    QObject::connect(&learner, &QTimer::timeout, [&] {
        if (!st.AwaitingAnswer || f.QuestionBusy) return;
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
    QObject::connect(&guard, &QTimer::timeout, [&] { st.StopRequested = true; });
    guard.start(60000);
    press(QKeySequence(Qt::Key_F9));
    learner.stop();
    EXPECT_TRUE(guard.isActive());
    EXPECT_EQ(lit, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(early, 0);
    ASSERT_EQ(picked.size(), 2);
    EXPECT_NE(picked[0], QStringLiteral("In ponds"));
    EXPECT_EQ(picked[1], QStringLiteral("In ponds"));
    EXPECT_EQ(verdicts, (QStringList{QStringLiteral("Incorrect Choice !"),
                                     QStringLiteral("Correct Choice !")}));
    EXPECT_FALSE(st.Playing);
    EXPECT_EQ(f.Stimulus->toPlainText(), QStringLiteral("Where do frogs live?"));
    shot("played");

    // Export to a disk folder, delete the lesson, import it back.
    const qint64 lesson = st.LesnRegNum;
    const LessonContent made = contentOf(s.db(), lesson, st.DirPath);
    ASSERT_EQ(made.rows.at(TableId::Page).size(), 2u);
    ASSERT_EQ(made.rows.at(TableId::Wurd).size(), 9u);
    ASSERT_EQ(made.rows.at(TableId::Choice).size(), 4u);
    ASSERT_FALSE(made.media.empty());
    s.dialogs.expectDialog(QStringLiteral("DirectorySelector"), [&](QObject* o) {
        static_cast<TDirectorySelector*>(o)->setDirectory(disk.path());
        return int(QDialog::Accepted);
    });
    const QString drive = DiskDrive().driveName(disk.file(texts::kPieceFileName));
    s.dialogs.expect(MsgKind::Information, texts::diskPrompt(1, drive));
    s.dialogs.expect(MsgKind::Information, texts::kLesnExported);
    s.menu(MenuItem::ExportToDisk)->trigger();
    ASSERT_TRUE(s.dialogs.done());
    shot("exported");

    s.dialogs.expectDialog(QStringLiteral("NotifyDeleteLesson"),
                           [](QObject*) { return int(QDialog::Accepted); });
    press(QKeySequence(Qt::Key_F6));
    ASSERT_TRUE(s.dialogs.done());
    EXPECT_FALSE(st.LessonOpen);
    EXPECT_EQ(form.LesnTable->recordCount(), 0);
    shot("deleted");

    s.dialogs.expectFile(disk.file(QStringLiteral("lesn.lsn")));
    s.dialogs.expect(MsgKind::Information, texts::kLesnImported);
    s.menu(MenuItem::ImportFromDisk)->trigger();
    ASSERT_TRUE(s.dialogs.done());
    ASSERT_TRUE(st.LessonOpen);
    EXPECT_NE(st.LesnRegNum, lesson);
    EXPECT_EQ(contentOf(s.db(), st.LesnRegNum, st.DirPath), made);
    EXPECT_EQ(title.fieldText(QStringLiteral("Title")), QStringLiteral("Frogs"));
    shot("imported");
}

}  // namespace
}  // namespace vellora::testing
