#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <memory>

#include "Application.h"
#include "FakePages.h"
#include "HandleDataBase.h"
#include "LessonLifecycle.h"
#include "MainMenu.h"
#include "Navigation.h"
#include "NewPageDialog.h"
#include "PageLayer.h"
#include "PageRows.h"
#include "Screenshot.h"
#include "ScriptedDialogs.h"
#include "ShellWindows.h"
#include "SimulatedMedia.h"
#include "TFrame.h"
#include "TMainForm.h"
#include "TempDir.h"
#include "TextAttributes.h"
#include "Texts.h"

namespace vellora::testing {

// One run of the program on a data directory: the first run in a directory
// answers Yes to creating the database. The main window is shown, as the
// screen switching needs.
struct LessonSession {
    ScriptedDialogs dialogs;
    std::unique_ptr<Application> app;

    // `script` adds the answers needed while the program starts (a lesson
    // named on the command line opens as the window first becomes active).
    // `player` and `recorder` replace the machine's sound devices.
    explicit LessonSession(const QString& dataDir, const QString& lesson = QString(),
                           const std::function<void(ScriptedDialogs&)>& script = nullptr,
                           MediaDevice* player = nullptr, WaveRecorder* recorder = nullptr) {
        if (!QFile::exists(QDir(dataDir).filePath(QStringLiteral("db/VELLO002.DB"))))
            dialogs.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes,
                           texts::kInvalidDatabase);
        if (script) script(dialogs);
        app = std::make_unique<Application>(dataDir, dialogs);
        app->useMediaDevices(player, recorder);
        EXPECT_TRUE(app->startUp(lesson));
        app->show();
        QApplication::setActiveWindow(app->MainForm());
    }
    TMainForm& form() { return *app->MainForm(); }
    AppState& state() { return app->state(); }
    LessonLifecycle& life() { return *app->lifecycle(); }
    TextAttributes& attributes() { return *app->textAttributes(); }
    TTitleScreen& title() { return *app->TitleScreen(); }
    Database& db() { return app->database().database(); }
    QAction* menu(MenuItem item) { return form().MainMenu1->action(item); }
    TFrame& frame() { return *app->Frame(); }
    PageLayer& layer() { return *app->pageLayer(); }
    PageRows& rows() { return *app->pageRows(); }

    // The new-page question, answered Yes for a question or a reading page.
    void expectNewPage(bool question) {
        dialogs.expectDialog(QStringLiteral("dlgNewPage"), [question](QObject* o) {
            auto* dlg = static_cast<TdlgNewPage*>(o);
            (question ? dlg->rbQuestion : dlg->rbReading)->setChecked(true);
            return int(QDialog::Accepted);
        });
    }
    // Makes the page after the last through the Next button.
    void newPage(bool question) {
        expectNewPage(question);
        form().BtnNext->click();
    }
    // A new reading page whose words are `text`, typed in the Text domain.
    void newReadingPage(const QString& text) {
        newPage(false);
        form().Icons(11);
        QTest::keyClicks(frame().TextBox, text);
        form().navigator().btnContinueClick();
    }
};

// The program started in a fresh data directory (Yes to creating the
// database), its main window shown and its first domain entered.
struct StartedApp {
    TempDir tmp;
    ScriptedDialogs dialogs;
    std::unique_ptr<Application> app;

    StartedApp() : StartedApp(QString(), true) {}
    // With `lesson` named on the command line; unless `enter`, the window
    // stays hidden and no domain is entered yet.
    StartedApp(const QString& lesson, bool enter) {
        dialogs.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes,
                       texts::kInvalidDatabase);
        app = std::make_unique<Application>(tmp.path(), dialogs);
        EXPECT_TRUE(app->startUp(lesson));
        if (!enter) return;
        app->show();
        form().activateWindow();
        QApplication::setActiveWindow(&form());
        form().FormActivate();
    }
    TMainForm& form() { return *app->MainForm(); }
    AppState& state() { return app->state(); }
};

// The started program with a lesson of pages held in memory, as a fixture.
struct AppWithPages : ::testing::Test {
    StartedApp s;
    TMainForm& f = s.form();
    AppState& st = s.state();
    FakePages pages{f, st};
};

// Types `text` over whatever `w` holds.
inline void typeInto(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, text);
}

// A session in a data directory of its own whose player and recorder run on
// a clock the test moves.
struct SimulatedLesson : ::testing::Test {
    TempDir tmp;
    SimulatedClock clock;
    SimulatedMediaDevice player{clock};
    SimulatedRecorder recorder{clock};
    std::unique_ptr<LessonSession> s;

    // Starts the program, and makes a new lesson unless `newLesson` is false.
    void start(bool newLesson = true) {
        s = std::make_unique<LessonSession>(tmp.path(), QString(), nullptr, &player, &recorder);
        if (newLesson) s->life().FileNewClick();
    }
    TFrame& frame() { return s->frame(); }
    AppState& st() { return s->state(); }
    PageRows& rows() { return s->rows(); }
};

}  // namespace vellora::testing
