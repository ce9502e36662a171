#pragma once

#include <array>

namespace vellora {

// Every item of the menu bar whose visibility is ruled, the menus themselves
// included; separators are named by the item they follow.
enum class MenuItem {
    FileMenu, FileNew, FileOpen, FilePlay, FilePlaySeparator, FileDelete, FileSave, FileSaveSeparator,
    FilePrinterSetup, FilePrint, FilePrintSeparator, ExportToDisk, ImportFromDisk, FileImportSeparator, FileExit,
    EditMenu, EditCut, EditCopy, EditPaste, EditDelete, EditSelectAll,
    PageMenu, PageNew, PageInsert, PageDelete, PageDeleteSeparator, PagePlay, PageNext, PageBack,
    TextMenu, TextNew, TextOpen, TextSave, TextSaveAs, TextEdit,
    WordsMenu, WordsEdit, WordsRead, WordsSound, WordsSynchro, WordsAlign,
    StopMenu, StopAtEndOfPage,
    QuestionMenu, QuestionStimulus, QuestionChoices, QuestionChoice, QuestionResponse, QuestionPage,
    HelpMenu, HelpContents, HelpSearch, HelpDiagram, HelpTutorial, HelpAbout,
    Count
};
inline constexpr int kMenuItemCount = static_cast<int>(MenuItem::Count);

// Visibility of the menu bar. Items that no rule names keep what they have.
class MenuVisibility {
public:
    // At start-up: everything shows except the Stop menu.
    MenuVisibility();

    bool visible(MenuItem item) const { return visible_[static_cast<int>(item)]; }
    void set(MenuItem item, bool visible) { visible_[static_cast<int>(item)] = visible; }

    // Menu(D): the rules for a domain; nothing changes while a lesson plays.
    void Menu(int domain, bool lessonOpen, int currentPage, bool playing);
    // MenuHide(Show): editing menus (Show) or the Stop menu (not Show).
    void MenuHide(bool show);

private:
    std::array<bool, kMenuItemCount> visible_{};
};

}  // namespace vellora
