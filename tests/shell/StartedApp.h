#pragma once

#include <QApplication>
#include <QTest>
#include <memory>

#include "Application.h"
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

    StartedApp() {
        dialogs.expect(MsgKind::Confirmation, texts::kDatabaseNotFound, MsgAnswer::Yes, texts::kInvalidDatabase);
        app = std::make_unique<Application>(tmp.path(), dialogs);
        EXPECT_TRUE(app->startUp());
        app->show();
        form().activateWindow();
        QApplication::setActiveWindow(&form());
        form().FormActivate();
    }
    TMainForm& form() { return *app->MainForm(); }
    AppState& state() { return app->state(); }
};

}  // namespace vellora::testing
