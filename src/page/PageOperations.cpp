#include "PageOperations.h"

namespace vellora {
namespace {

// No page layer: no page is ever loaded, so every page step does nothing.
class NoPageOperations final : public PageOperations {
public:
    int WurdCount() const override { return 0; }
    int LastStopTime() const override { return 0; }
    QString PageMode() const override { return QString(); }
    QString PreviousPageMode() const override { return QString(); }
    int WurdCountOfPage(int) const override { return 0; }
    int CurrentChoice() const override { return 1; }
    int ChoiceCount() const override { return 0; }
    void SetCurrentChoice(int) override {}
    bool VideoControlShown() const override { return false; }
    void ChangePage(int, int) override {}
    void MakeNewPage(int) override {}
    void ClearPageMode() override {}
    void SaveWurdRecords() override {}
    bool SaveCurrentPage() override { return true; }
    void PrepareDomainEntry(int) override {}
    void ShowQuestionIfHidden() override {}
    void ShowSynchro(bool) override {}
    bool TextBoxHasText() const override { return false; }
    bool ParseTextIntoWurds(int) override { return true; }
    void ToggleScrollTextBox(int) override {}
    void ShowQuestionParts(int) override {}
    void ResetAttempt() override {}
    void AlignWurds() override {}
    void SetVideoControl(bool) override {}
    void SetWallpaper(const QString&) override {}
    void EditText(EditCommand) override {}
    void TextFile(TextFileCommand) override {}
};

}  // namespace

PageOperations& noPageOperations() {
    static NoPageOperations none;
    return none;
}

}  // namespace vellora
