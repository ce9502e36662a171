#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "Application.h"
#include "FakePages.h"
#include "ScriptedDialogs.h"
#include "TMainForm.h"
#include "TempDir.h"
#include "Texts.h"

namespace vellora::testing {

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

}  // namespace vellora::testing
