#include "MainMenu.h"

namespace vellora {
namespace {

using M = MenuItem;

struct MenuRow {
    M item;
    M parent;  // the menu the item belongs to; itself for a top-level menu
    const char* caption;  // nullptr: a separator
    const char* name;
    QKeySequence shortcut;
    const char* hint;
};

const MenuRow kMenuRows[] = {
    {M::FileMenu, M::FileMenu, "&File", "File1", {}, nullptr},
    {M::FileNew, M::FileMenu, "&New", "FileNewItem", QKeySequence(Qt::Key_F3), nullptr},
    {M::FileOpen, M::FileMenu, "&Open", "FileOpenItem", QKeySequence(Qt::Key_F4), nullptr},
    {M::FilePlay, M::FileMenu, "P&lay", "FilePlay", QKeySequence(Qt::Key_F9), nullptr},
    {M::FilePlaySeparator, M::FileMenu, nullptr, "FilePlaySeparator", {}, nullptr},
    {M::FileDelete, M::FileMenu, "&Delete", "FileDeleteItem", QKeySequence(Qt::Key_F6), nullptr},
    {M::FileSave, M::FileMenu, "&Save", "FileSaveItem", QKeySequence(Qt::Key_F7), "Save changes"},
    {M::FileSaveSeparator, M::FileMenu, nullptr, "FileSaveSeparator", {}, nullptr},
    {M::FilePrinterSetup, M::FileMenu, "P&rinter Setup", "FilePrinterSetup", {}, nullptr},
    {M::FilePrint, M::FileMenu, "&Print", "FilePrint", {}, nullptr},
    {M::FilePrintSeparator, M::FileMenu, nullptr, "FilePrintSeparator", {}, nullptr},
    {M::ExportToDisk, M::FileMenu, "&Export To Disk", "ExportToDisk1", {}, nullptr},
    {M::ImportFromDisk, M::FileMenu, "&Import From Disk", "ImportFromDisk1", {}, nullptr},
    {M::FileImportSeparator, M::FileMenu, nullptr, "FileImportSeparator", {}, nullptr},
    {M::FileExit, M::FileMenu, "E&xit", "FileExitItem", QKeySequence(Qt::Key_F10), nullptr},

    {M::EditMenu, M::EditMenu, "&Edit", "Edit1", {}, nullptr},
    {M::EditCut, M::EditMenu, "Cut", "EditCutItem", QKeySequence(Qt::CTRL | Qt::Key_X), nullptr},
    {M::EditCopy, M::EditMenu, "Copy", "EditCopyItem", QKeySequence(Qt::CTRL | Qt::Key_C), nullptr},
    {M::EditPaste, M::EditMenu, "Paste", "EditPasteItem", QKeySequence(Qt::CTRL | Qt::Key_V), nullptr},
    {M::EditDelete, M::EditMenu, "Delete", "EditDeleteItem", QKeySequence(Qt::CTRL | Qt::Key_Delete), nullptr},
    {M::EditSelectAll, M::EditMenu, "&Select All", "EditSelectAllItem", {}, nullptr},

    {M::PageMenu, M::PageMenu, "&Page", "Page1", {}, nullptr},
    {M::PageNew, M::PageMenu, "&New", "New1", QKeySequence(Qt::CTRL | Qt::Key_F3), nullptr},
    {M::PageInsert, M::PageMenu, "&Insert", "Insert1", {}, nullptr},
    {M::PageDelete, M::PageMenu, "&Delete", "Delete2", QKeySequence(Qt::CTRL | Qt::Key_F6), nullptr},
    {M::PageDeleteSeparator, M::PageMenu, nullptr, "PageDeleteSeparator", {}, nullptr},
    {M::PagePlay, M::PageMenu, "&Play", "PagePlay", QKeySequence(Qt::CTRL | Qt::Key_F9), "Play current page"},
    {M::PageNext, M::PageMenu, "&Next", "PageNext", {}, "Go to next page"},
    {M::PageBack, M::PageMenu, "&Back", "PageBack", {}, "Return to previous page"},

    {M::TextMenu, M::TextMenu, "&Text", "Text1", {}, nullptr},
    {M::TextNew, M::TextMenu, "&New", "TextNew", {}, nullptr},
    {M::TextOpen, M::TextMenu, "&Open", "TextOpen", {}, nullptr},
    {M::TextSave, M::TextMenu, "&Save", "TextSave", {}, nullptr},
    {M::TextSaveAs, M::TextMenu, "Save &As", "TextSaveAs", {}, nullptr},
    {M::TextEdit, M::TextMenu, "&Edit", "TextEdit", {}, nullptr},

    {M::WordsMenu, M::WordsMenu, "&Words", "Words1", {}, nullptr},
    {M::WordsEdit, M::WordsMenu, "&Edit", "WordsEdit", {}, nullptr},
    {M::WordsRead, M::WordsMenu, "&Read", "WordsRead", {}, nullptr},
    {M::WordsSound, M::WordsMenu, "&Sound", "WordsSound", {}, nullptr},
    {M::WordsSynchro, M::WordsMenu, "S&ynchro", "WordsSynchro", {}, nullptr},
    {M::WordsAlign, M::WordsMenu, "&Align", "WordsAlign", {}, nullptr},

    {M::StopMenu, M::StopMenu, "&Stop", "Stop1", {}, nullptr},
    {M::StopAtEndOfPage, M::StopMenu, "At End Of &Page", "StopAtEndOfPage", {}, nullptr},

    {M::QuestionMenu, M::QuestionMenu, "Question", "Question1", {}, nullptr},
    {M::QuestionStimulus, M::QuestionMenu, "Stimulus", "Stimulus1", {}, nullptr},
    {M::QuestionChoices, M::QuestionMenu, "Choices", "Choices1", {}, nullptr},
    {M::QuestionChoice, M::QuestionMenu, "Choice", "Choice1", {}, nullptr},
    {M::QuestionResponse, M::QuestionMenu, "Response", "Response1", {}, nullptr},
    {M::QuestionPage, M::QuestionMenu, "Question Page", "QuestionPage1", {}, nullptr},

    {M::HelpMenu, M::HelpMenu, "&Help", "Help1", {}, nullptr},
    {M::HelpContents, M::HelpMenu, "&Contents", "HelpContentsItem", {}, nullptr},
    {M::HelpSearch, M::HelpMenu, "&Search", "HelpSearchItem", {}, nullptr},
    {M::HelpDiagram, M::HelpMenu, "Diagram", "miDiagram", {}, nullptr},
    {M::HelpTutorial, M::HelpMenu, "&Tutorial", "HelpTutorialItem", {}, nullptr},
    {M::HelpAbout, M::HelpMenu, "&About", "About1", {}, nullptr},
};

// Ten empty top-level items stand between the Question and Help menus; they
// do nothing and are kept out of sight.
constexpr int kEmptyTopLevelItems = 10;

}  // namespace

TMainMenu::TMainMenu(QMenuBar* bar) : QObject(bar) {
    setObjectName(QStringLiteral("MainMenu"));
    bar->setObjectName(QStringLiteral("MainMenu1"));
    std::array<QMenu*, kMenuItemCount> menus{};
    for (const MenuRow& row : kMenuRows) {
        QAction* action = nullptr;
        if (row.item == row.parent) {
            if (row.item == M::HelpMenu)
                for (int i = 0; i < kEmptyTopLevelItems; ++i) {
                    QAction* empty = bar->addAction(i == 0 ? QStringLiteral(" ") : QString());
                    empty->setObjectName(QStringLiteral("EmptyItem%1").arg(i + 1));
                    empty->setVisible(false);
                }
            QMenu* menu = bar->addMenu(QString::fromUtf8(row.caption));
            menu->setObjectName(QLatin1String(row.name));
            menu->setToolTipsVisible(true);
            menus[static_cast<int>(row.item)] = menu;
            action = menu->menuAction();
        } else {
            QMenu* parent = menus[static_cast<int>(row.parent)];
            action = row.caption ? parent->addAction(QString::fromUtf8(row.caption)) : parent->addSeparator();
            if (!row.shortcut.isEmpty()) action->setShortcut(row.shortcut);
            if (row.hint) {
                action->setToolTip(QString::fromUtf8(row.hint));
                action->setStatusTip(QString::fromUtf8(row.hint));
            }
        }
        action->setObjectName(QLatin1String(row.name));
        actions_[static_cast<int>(row.item)] = action;
    }
    apply();
}

QMenu* TMainMenu::menu(MenuItem item) const { return action(item)->menu(); }

void TMainMenu::Menu(int domain, bool lessonOpen, int currentPage, bool playing) {
    visibility_.Menu(domain, lessonOpen, currentPage, playing);
    apply();
}

void TMainMenu::MenuHide(bool show) {
    visibility_.MenuHide(show);
    apply();
}

void TMainMenu::apply() {
    for (int i = 0; i < kMenuItemCount; ++i) actions_[i]->setVisible(visibility_.visible(static_cast<MenuItem>(i)));
}

}  // namespace vellora
