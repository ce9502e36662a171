#pragma once

#include <QString>

namespace vellora {

// Commands of the Edit menu, forwarded to the page window's text editing.
enum class EditCommand { Cut, Copy, Paste, Delete, SelectAll };
// Commands of the Text menu: the page text as a plain text file.
enum class TextFileCommand { New, Open, Save, SaveAs };

// What the domain steps ask of the page window and the page records: the facts
// the transition rules read, page changes, and the page-window steps of
// entering a domain. The main window holds one (or none: then no page is ever
// loaded and these steps do nothing).
class PageOperations {
public:
    virtual ~PageOperations() = default;

    // Facts about the page in the page window.
    virtual int WurdCount() const = 0;
    // Stop time of the last word (0: not yet synchronised, or no words).
    virtual int LastStopTime() const = 0;
    // "r" reading page, "q" question page, "" none loaded yet.
    virtual QString PageMode() const = 0;
    virtual QString PreviousPageMode() const = 0;
    // Words held by page `pageNumber` (the page on screen counts what it shows).
    virtual int WurdCountOfPage(int pageNumber) const = 0;
    virtual int CurrentChoice() const = 0;
    virtual int ChoiceCount() const = 0;
    virtual void SetCurrentChoice(int choice) = 0;
    // The page's video plays under the learner's control.
    virtual bool VideoControlShown() const = 0;

    // Leave the current page and show `pageNumber`, entering `domain`.
    virtual void ChangePage(int pageNumber, int domain) = 0;
    // Reserve, fill and show a new page of the kind in NewPageKind.
    virtual void MakeNewPage(int pageNumber) = 0;
    // A lesson is being loaded: no page kind is current any more.
    virtual void ClearPageMode() = 0;
    // Saving the open lesson: the current page's words, then (after the
    // lesson record) the page record; false when the page row is missing.
    virtual void SaveWurdRecords() = 0;
    virtual bool SaveCurrentPage() = 0;

    // Steps of entering a domain.
    // Before anything else; `leaving` is the domain being left.
    virtual void PrepareDomainEntry(int leaving) = 0;
    // The same domain again on the same kind of page: show a hidden question.
    virtual void ShowQuestionIfHidden() = 0;
    // The synchronisation window: shown and prepared in the Synchro domain only.
    virtual void ShowSynchro(bool show) = 0;
    // The reading page's text box holds at least one line.
    virtual bool TextBoxHasText() const = 0;
    // Turns the text box into words (and shows its font in the indicator
    // box); false when the author chose to edit the text again at the word
    // limit (the text stays, no words are made).
    virtual bool ParseTextIntoWurds(int domain) = 0;
    // Text box in the Text domain, word block in the Words domain.
    virtual void ToggleScrollTextBox(int domain) = 0;
    // Question parts for the domain; lays out and shows the question on a
    // question page, hides it on a reading page.
    virtual void ShowQuestionParts(int domain) = 0;
    // The next judged selection is a first attempt.
    virtual void ResetAttempt() = 0;

    // Tool actions on the page.
    virtual void AlignWurds() = 0;
    virtual void SetVideoControl(bool on) = 0;
    // Shows `path` as the page's wallpaper; an empty path hides it.
    virtual void SetWallpaper(const QString& path) = 0;
    virtual void EditText(EditCommand command) = 0;
    virtual void TextFile(TextFileCommand command) = 0;
};

// Lesson media: choosing, recording and playing the files of the current
// domain. The main window holds one (or none: then the media tools do nothing).
class MediaOperations {
public:
    virtual ~MediaOperations() = default;

    // The media file path of a domain's item (empty when the domain has none).
    virtual QString MediaFileName(int domain, int index) = 0;
    // Picture for the current domain (the lesson wallpaper in domain 1);
    // true when a file was put in place.
    virtual bool SelectPicture() = 0;
    virtual void ShowPagePicture() = 0;
    virtual void SelectVideo() = 0;
    virtual void ShowPageVideo() = 0;
    virtual void SelectSound() = 0;
    virtual void PlaySound() = 0;
    // Recording swaps the microphone button for the stop button and back.
    virtual void RecordSound() = 0;
    virtual void StopRecordSound() = 0;
};

}  // namespace vellora

namespace vellora {
// The page layer used while none is attached.
PageOperations& noPageOperations();
}  // namespace vellora
