#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "ChoiceDeal.h"
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
    int CurrentChoice() const override;
    int ChoiceCount() const override;
    void SetCurrentChoice(int choice) override;
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
    void ResetAttempt() override;
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
    // Words > Align: the Synchro domain, where Align runs at once instead of
    // the leader playing.
    void AlignToSound();
    // Shows the page's picture, or hides the frame when it has none.
    void ShowPagePicture();

    // Choice rows of the question page: dealt into the slots when the page
    // shows, saved from the slots when it is left.
    void AssignChoiceRecords(qint64 pageRegNum, bool direct);
    void LoadChoiceRecords();
    // False, with the slot's controls as they were, when its row is missing.
    bool LoadChoiceRecord(int slot);
    // Throws StoreError when the store refuses a row.
    void SaveChoiceRecords();
    void SaveChoiceRecord(int slot);
    // Clears the slot's sounds (files and boxes), or deletes the row while
    // DeletingChoices.
    void DeleteChoiceRecord(int slot, qint64 choiceRegNum);
    void SetChoices(int n);
    // The author's change of the count spin edit.
    void seChoicesClick(int n);
    // Answering and authoring a question page.
    // The common handler of clicks on the question's parts.
    void ChangeQuestionDomain(QObject* sender);
    void DistribActionFunctions(int mode, int slot, int value, int attempt);
    void InitRadioButtons(const int (&codes)[6]);
    void DefaultResponse(int value, int slot);
    void CustomResponse(int value, int slot);
    void PlaceResponseMemo();
    void RevealCorrect(int value);
    void BackToPage(int pageNumber);
    void RepeatQuestion();
    void Present(int item, bool show);
    // The author's click on item `index` of a radio group: field 11..23.
    void rgClick(int field, int index);
    void HiLitAction(int slot);
    void SelectJumpPageEnter(int column);
    void SelectJumpPageExit(int column);
    // Plays a reading page a question action showed (lesson playback's).
    void setPlayQuestionPage(std::function<void()> play) { playQuestionPage_ = std::move(play); }

    // Told whenever a verdict or a custom response shows, before its sound.
    void setVerdictObserver(std::function<void()> observer) { verdictShown_ = std::move(observer); }

    // Dealing draws from this; tests seed it.
    ChoiceRandom& random() { return random_; }

private:
    bool question() const;
    // Loads and shows the words of the page in PageRegNum (WurdCount of them).
    void showWurds();
    // The question page's rows into the screen, and the screen into the row.
    void loadQuestionPage(const PageData& page);
    void saveQuestionPage(PageData& page) const;
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
    ChoiceRandom random_;
    std::function<void()> playQuestionPage_;
    // The next entry into the Synchro domain aligns rather than plays.
    bool alignOnEntry_ = false;
    std::function<void()> verdictShown_;
    // Plays a shared or lesson sound to its end; a missing file is skipped.
    void playWaiting(const QString& file);
    // Hides the jump-page spin edits (the question's pop-ups).
    void cleanUpQuestion();
};

}  // namespace vellora
