#pragma once

// What the page-window benchmarks stand the page window on: the main window
// as far as a page needs it, and dialogs that end the run on any message.
#include <cstdio>
#include <cstdlib>

#include "AppState.h"
#include "Dialogs.h"
#include "PageHost.h"

namespace vellora::bench {

struct BenchHost : PageHost {
    // `pageSound` is the page sound's file (the text domain's media file).
    explicit BenchHost(AppState& st, QString pageSound = {}) : st_(st), pageSound_(std::move(pageSound)) {}
    void Icons(int domain) override { st_.CurrentDomain = domain; }
    void SetCurrentPage(int n) override { st_.CurrentPage = n; }
    bool SetPageCount(int n) override { return st_.PageCount = n, true; }
    bool AskNewPage() override { return false; }
    void RespaceTitle() override {}
    QString MediaFileName(int domain, int) override { return domain == 11 ? pageSound_ : QString(); }
    int BackgroundIndex() const override { return 0; }
    void ShowTextFont(int) override {}
    void ShowRecording(bool) override {}
    AppState& st_;
    QString pageSound_;
};

// Any message during the run is a failure of the benchmark.
struct FailingDialogs : Dialogs {
    MsgAnswer message(MsgKind, const QString& text, MsgButtons, const QString&) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::exit(1);
    }
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(const QString&, const QString&) override { return {}; }
    int exec(QObject*) override { return 0; }
};

}  // namespace vellora::bench
