#pragma once

#include <QString>

#include "PageOperations.h"

namespace vellora {

struct AppState;
struct PageData;
class Dialogs;
class PageHost;
class PageRows;
class TFrame;

// The page records and the page window together, as the main window sees
// them: page changes (save the page being left, load the one asked for, show
// it, enter its domain), new pages, and the page-window steps of entering a
// domain.
class PageLayer : public PageOperations {
public:
    PageLayer(AppState& state, PageHost& host, Dialogs& dialogs, PageRows& rows, TFrame& frame);

    // PageOperations
    int WurdCount() const override;
    int LastStopTime() const override;
    QString PageMode() const override;
    QString PreviousPageMode() const override;
    int WurdCountOfPage(int pageNumber) const override;
    int CurrentChoice() const override { return currentChoice_; }
    int ChoiceCount() const override { return choiceCount_; }
    void SetCurrentChoice(int choice) override { currentChoice_ = choice; }
    bool VideoControlShown() const override;
    void ChangePage(int pageNumber, int domain) override;
    void MakeNewPage(int pageNumber) override;
    void ClearPageMode() override;
    void SaveWurdRecords() override;
    bool SaveCurrentPage() override;
    void PrepareDomainEntry(int leaving) override;
    void ShowQuestionIfHidden() override;
    void ShowSynchro(bool show) override;
    bool TextBoxHasText() const override;
    bool ParseTextIntoWurds(int domain) override;
    void ToggleScrollTextBox(int domain) override;
    void ShowQuestionParts(int domain) override;
    void ResetAttempt() override {}
    void AlignWurds() override;
    void SetVideoControl(bool on) override;
    void SetWallpaper(const QString& path) override;
    void EditText(EditCommand command) override;
    void TextFile(TextFileCommand command) override;

    // The page records.
    qint64 PageRecord(int pageNumber) const;
    bool LoadPageRecord(qint64 pageRegNum);
    bool SavePageRecord(qint64 pageRegNum);
    void ShowLoadedPage(int domain);
    // The read tool: reads the page aloud and waits until the last word has
    // lit, then selects word 1.
    void btnRead3Click();
    void ReadWurds();
    // Shows the page's picture, or hides the frame when it has none.
    void ShowPagePicture();

private:
    bool question() const;
    // Loads and shows the words of the page in PageRegNum (WurdCount of them).
    void showWurds();
    // The words (or choices) of the page on screen; false when the store refused them.
    bool saveItemsOfPage();
    void leaveForTitle();
    // The lesson's Pages against its page rows: shown with the pages it holds.
    void checkPageCount();

    AppState& st_;
    PageHost& host_;
    Dialogs& dialogs_;
    PageRows& rows_;
    TFrame& frame_;
    int currentChoice_ = 1;
    int choiceCount_ = 0;
};

}  // namespace vellora
