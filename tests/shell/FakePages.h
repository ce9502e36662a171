#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "AppState.h"
#include "HelpSystem.h"
#include "PageOperations.h"
#include "TMainForm.h"
#include "Table.h"

namespace vellora::testing {

// A lesson of pages held in memory, standing in for the page window and the
// page records: it loads pages, maps the page domains to the page's kind and
// enters the domain, as the real page change does.
class FakePages : public PageOperations {
public:
    struct Page {
        QString kind;
        int wurds;
        int lastStop;
    };
    static Page reading() { return Page{QStringLiteral("r"), 0, 0}; }

    FakePages(TMainForm& form, AppState& state) : form_(form), st_(state) { form.setPageOperations(this); }
    ~FakePages() override { form_.setPageOperations(nullptr); }

    // Pages 1..n of one kind; the lesson is open.
    void makeLesson(int count, const Page& page = reading()) {
        pages.assign(count + 1, page);
        st_.PageCount = count;
        st_.LessonOpen = true;
        // The lesson's own record, so that saving the open lesson succeeds.
        if (st_.LesnRegNum <= 0 && form_.LesnTable) {
            form_.LesnTable->append();
            form_.LesnTable->post();
            st_.LesnRegNum = form_.LesnTable->key();
        }
    }
    // Shows page n as if it had been loaded after a page of the same kind,
    // without entering a domain.
    void load(int n) {
        mode = pages.at(n).kind;
        previousMode = mode;
        loaded = n;
        if (mode == QLatin1String("r")) st_.LastReadingPage = n;
        if (mode == QLatin1String("q")) st_.LastQuestionPage = n;
        form_.SetCurrentPage(n);
    }

    int WurdCount() const override { return loaded > 0 && mode == QLatin1String("r") ? pages[loaded].wurds : 0; }
    int LastStopTime() const override { return WurdCount() > 0 ? pages[loaded].lastStop : 0; }
    QString PageMode() const override { return mode; }
    QString PreviousPageMode() const override { return previousMode; }
    int WurdCountOfPage(int n) const override { return n > 0 && n < int(pages.size()) ? pages[n].wurds : 0; }
    int CurrentChoice() const override { return currentChoice; }
    int ChoiceCount() const override { return choiceCount; }
    void SetCurrentChoice(int c) override { currentChoice = c; }
    bool VideoControlShown() const override { return videoControl; }

    void ClearPageMode() override { mode.clear(), previousMode.clear(); }
    void SaveWurdRecords() override {}
    bool SaveCurrentPage() override { return true; }
    void ChangePage(int n, int domain) override {
        changes.emplace_back(n, domain);
        if (n == 0) {
            form_.SetCurrentPage(0);
            form_.Icons(2);
            return;
        }
        if (n > st_.PageCount) {
            ++newPageOffers;
            return;
        }
        previousMode = mode;
        mode = pages.at(n).kind;
        loaded = n;
        if (mode == QLatin1String("q")) {
            st_.LastQuestionPage = n;
            if (domain == 9) domain = 16;
            if (domain == 10) domain = 17;
        } else {
            st_.LastReadingPage = n;
        }
        form_.SetCurrentPage(n);
        form_.Icons(domain);
    }
    void MakeNewPage(int n) override {
        made.push_back(n);
        Page p = reading();
        p.kind = st_.NewPageKind == QLatin1String("q") ? QStringLiteral("q") : QStringLiteral("r");
        pages.resize(n + 1);
        pages[n] = p;
        st_.PageCount = n;
        ChangePage(n, 9);
    }

    void PrepareDomainEntry(int leaving) override { leftDomains.push_back(leaving); }
    void ShowQuestionIfHidden() override { ++questionReshown; }
    void ShowSynchro(bool show) override { synchro.push_back(show); }
    bool TextBoxHasText() const override { return textInBox; }
    bool ParseTextIntoWurds(int domain) override {
        parsedFor.push_back(domain);
        textInBox = !clearOnParse;
        pages.at(loaded).wurds = 5;
        return true;
    }
    void ToggleScrollTextBox(int domain) override { toggled.push_back(domain); }
    void ShowQuestionParts(int domain) override { questionParts.push_back(domain); }
    void ResetAttempt() override { ++attemptResets; }
    void AlignWurds() override { ++aligns; }
    void SetVideoControl(bool on) override { videoControl = on; }
    void SetWallpaper(const QString& path) override { wallpaper = path; }
    void EditText(EditCommand c) override { edits.push_back(c); }
    void TextFile(TextFileCommand c) override { textFiles.push_back(c); }

    std::vector<Page> pages;
    QString mode, previousMode;
    int loaded = 0;
    int currentChoice = 1;
    int choiceCount = 2;
    bool videoControl = false;
    bool textInBox = false;
    bool clearOnParse = true;  // false: a parse that leaves the text box full
    QString wallpaper;
    std::vector<std::pair<int, int>> changes;
    std::vector<int> made, leftDomains, parsedFor, toggled, questionParts;
    std::vector<bool> synchro;
    std::vector<EditCommand> edits;
    std::vector<TextFileCommand> textFiles;
    int newPageOffers = 0, questionReshown = 0, attemptResets = 0, aligns = 0;

private:
    TMainForm& form_;
    AppState& st_;
};

// Media tools that record what they were asked.
class FakeMedia : public MediaOperations {
public:
    explicit FakeMedia(TMainForm& form) : form_(form) { form.setMediaOperations(this); }
    ~FakeMedia() override { form_.setMediaOperations(nullptr); }

    QString MediaFileName(int domain, int index) override {
        calls.push_back(QStringLiteral("name %1 %2").arg(domain).arg(index));
        return wallpaperFile;
    }
    bool SelectPicture() override {
        calls.push_back(QStringLiteral("SelectPicture"));
        return pictureChosen;
    }
    void ShowPagePicture() override { calls.push_back(QStringLiteral("ShowPagePicture")); }
    void SelectVideo() override { calls.push_back(QStringLiteral("SelectVideo")); }
    void ShowPageVideo() override { calls.push_back(QStringLiteral("ShowPageVideo")); }
    void SelectSound() override { calls.push_back(QStringLiteral("SelectSound")); }
    void PlaySound() override { calls.push_back(QStringLiteral("PlaySound")); }
    void RecordSound() override { calls.push_back(QStringLiteral("RecordSound")); }
    void StopRecordSound() override { calls.push_back(QStringLiteral("StopRecordSound")); }

    QStringList calls;
    QString wallpaperFile;
    bool pictureChosen = false;

private:
    TMainForm& form_;
};

// A help viewer that remembers what it was asked to show.
class FakeHelp : public HelpViewer {
public:
    void showTopic(int topic) override { topics.push_back(topic); }
    void showSearch() override { ++searches; }
    std::vector<int> topics;
    int searches = 0;
};

}  // namespace vellora::testing
