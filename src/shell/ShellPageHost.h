#pragma once

#include "PageHost.h"

namespace vellora {

struct AppState;
class Dialogs;
class LessonLifecycle;
class TMainForm;
class TTitleScreen;

// The main window as the page layer sees it.
class ShellPageHost : public PageHost {
public:
    ShellPageHost(AppState& state, TMainForm& form, LessonLifecycle& lifecycle, TTitleScreen& title,
                  Dialogs& dialogs);

    void Icons(int domain) override;
    void SetCurrentPage(int pageNumber) override;
    bool SetPageCount(int pageCount) override;
    bool AskNewPage() override;
    void RespaceTitle() override;
    QString MediaFileName(int domain, int index) override;
    int BackgroundIndex() const override;
    void ShowTextFont(int domain) override;
    void ShowRecording(bool recording) override;

private:
    AppState& state_;
    TMainForm& form_;
    LessonLifecycle& lifecycle_;
    TTitleScreen& title_;
    Dialogs& dialogs_;
};

}  // namespace vellora
