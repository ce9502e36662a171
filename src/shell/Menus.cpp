#include "Menus.h"

namespace vellora {

MenuVisibility::MenuVisibility() {
    visible_.fill(true);
    set(MenuItem::StopMenu, false);
}

void MenuVisibility::Menu(int d, bool lessonOpen, int currentPage, bool playing) {
    if (playing) return;
    using M = MenuItem;
    for (M item : {M::FilePlay, M::FileDelete, M::FileSave, M::FilePlaySeparator, M::ExportToDisk, M::PageNew,
                   M::PageNext, M::PageBack, M::HelpDiagram})
        set(item, lessonOpen);

    set(M::PageMenu, currentPage > 0);
    set(M::PageDelete, currentPage > 0);

    const bool text = d == 11;
    for (M item : {M::EditMenu, M::EditCut, M::EditCopy, M::EditPaste, M::EditDelete, M::EditSelectAll,
                   M::WordsMenu, M::WordsEdit, M::WordsRead, M::TextNew, M::TextOpen, M::TextSave, M::TextSaveAs,
                   M::PageDeleteSeparator})
        set(item, text);

    set(M::TextMenu, d > 7);
    set(M::TextEdit, !text);
    set(M::PagePlay, d > 1);
    set(M::FilePrint, d == 1 || d == 15);
    set(M::QuestionMenu, d >= 16);
}

void MenuVisibility::MenuHide(bool show) {
    using M = MenuItem;
    for (M item : {M::FileMenu, M::PageMenu, M::TextMenu, M::HelpMenu, M::QuestionMenu}) set(item, show);
    set(M::StopMenu, !show);
    // While a lesson plays only the Stop menu stays; the text menus of the Text
    // domain come back with the next domain's rules.
    if (!show) {
        set(M::EditMenu, false);
        set(M::WordsMenu, false);
    }
}

}  // namespace vellora
