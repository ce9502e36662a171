#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

#include "AppState.h"
#include "Controls.h"  // the status line is read as the label it is
#include "StatusLine.h"
#include "ToolStrip.h"

namespace vellora {

class Database;
class Dialogs;
class DomainNavigator;
class HelpViewer;
class KeyPreview;
class MediaOperations;
class PageOperations;
class ShellActions;
class Table;
class TAboutBox;
class TdlgDiagram;
class TdlgNewPage;
class TFrame;
class TColorGrid;
class TGauge;
class TMainMenu;
class TSpinButton;
class TTitleScreen;
class TToolStrip;
class TUtil;

// The main window: indicator box and tool strip at the top, the client panel
// that hosts the title screen, the page window or the blank screen, and the
// status bar at the bottom. It holds the controls and wires them; the
// operations live in collaborators that share its state.
class TMainForm : public QMainWindow, public StatusLine {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 591;
    static constexpr int kDesignHeight = 404;

    TMainForm(AppState& state, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TMainForm() override;

    AppState& state() { return state_; }
    Dialogs& dialogs() { return dialogs_; }

    // Places the three hosted windows into the client panel, each filling it.
    void hostWindows(TTitleScreen* title, TUtil* util, TFrame* frame);
    // Opens the four lesson tables on the working database.
    void attachDatabase(Database& db);
    // Lets go of the hosted windows when the program ends.
    void releaseWindows();

    // Remembers the lesson number given on the command line.
    void setCommandLineLesson(const QString& argument) { commandLineLesson_ = argument; }

    void SetCurrentPage(int n);
    void TitleOn();
    void FrameOn();
    void ClearDisplay();
    void CleanUp();
    // Enters a domain: screen, tool strip, menus, hint, focus.
    void Icons(int domain);
    // Menu(D) for the current lesson and page; MenuHide for lesson play.
    void Menu(int domain);
    void MenuHide(bool show);
    void FormResize();
    void FormActivate();
    // Opens where the window was last time, or centred at a comfortable size.
    void PlaceOnScreen();
    // Remembers the window's size and place for the next start.
    void RememberPlace();
    // Saves everything open; true when all saving succeeded or nothing was open.
    bool SaveAll();
    // The exit dialogue.
    void ShutDown();

    // The dialogs of the domains, made with the other windows at start-up.
    void attachShellDialogs(TdlgDiagram* diagram, TdlgNewPage* newPage, TAboutBox* about);
    TdlgDiagram* diagram() const { return diagram_; }
    TdlgNewPage* newPageDialog() const { return newPage_; }
    // The page layer and the media layer (none: their steps do nothing).
    void setPageOperations(PageOperations* pages) { pages_ = pages; }
    PageOperations& pages() const;
    void setMediaOperations(MediaOperations* media) { media_ = media; }
    MediaOperations* media() const { return media_; }
    DomainNavigator& navigator() const { return *navigator_; }

    // Help: the topic of the current domain (F1), topics by number, search.
    void setHelpViewer(HelpViewer* help) { help_ = help; }
    void ContextHelp();
    int HelpContext() const { return helpContext_; }
    void showHelpTopic(int topic);
    void HelpSearch(int context);
    void miDiagramClick();
    void About1Click();

    // The lesson background item: 0 plain, 1 gradient, 2 wallpaper, -1 none.
    int BackgroundIndex() const;
    void SetBackgroundIndex(int index);

    // Adds one step of SaveAll, run in the order added while a lesson is open.
    void addSaver(std::function<bool()> saver) { savers_.push_back(std::move(saver)); }

    // StatusLine
    void setStatusText(const QString& text) override;
    void ShowProgress(bool visible, int percent) override;

    // Indicator box
    QFrame* Panel1;
    QFrame* Panel7;
    QLineEdit* editPageLabel;
    QLineEdit* editPage;
    QLineEdit* Edit9;
    QLineEdit* editPages;
    TSpinButton* SpinButton3;
    QLineEdit* editFont;
    QLineEdit* editSizeFont;
    QLineEdit* editDomainLabel;
    QLineEdit* editDomain;
    QToolButton* BitBtn1;
    QFrame* Panel2;
    QToolButton* IconsLeft;
    QToolButton* IconsRight;
    TToolStrip* Slider;

    QFrame* ClientOfMainScreen;

    QFrame* pnlBottom;
    QPushButton* BtnBack;
    QFrame* Panel4;
    TStatusLine* pnlStatus;
    TGauge* Gauge1;
    QPushButton* BtnNext;

    // Pop-up panels
    QFrame* pnlColor;
    TColorGrid* ColorGrid1;
    QFrame* pnlSetStyle;
    QCheckBox* Bold;
    QCheckBox* Italics;
    QCheckBox* Underline;
    QFrame* pnlSize;
    QLineEdit* editSize;
    TSpinButton* SpinButton2;
    QComboBox* FontCombo;
    QFrame* BackPanel;
    QGroupBox* Background;
    QGroupBox* rgBackground;
    QRadioButton* rbPlain;
    QRadioButton* rbGradient;
    QRadioButton* rbWallpaper;
    QPushButton* Browse;
    QLabel* imWallPaper;
    QListWidget* lbDomain;

    TMainMenu* MainMenu1;

    std::unique_ptr<Table> LesnTable;
    std::unique_ptr<Table> PageTable;
    std::unique_ptr<Table> WurdTable;
    std::unique_ptr<Table> ChoiceTable;

    TTitleScreen* TitleScreen = nullptr;
    TUtil* Util = nullptr;
    TFrame* Frame = nullptr;

signals:
    // Continue: the right mouse button on the window background acts as it.
    void continueRequested();
    // The command line named an existing lesson: open it at its title page.
    void openLessonRequested(qint64 lesnRegNum);
    // The user has asked to end the program and it may end now.
    void terminated();
    // The main window became the active window (the splash closes then).
    void activated();

    // Operations of other areas that the buttons and menus reach.
    void newLessonRequested();     // File > New; New in the Start and Lesn domains
    void new1Requested();          // Page > New; Continue and Next with no lesson open
    void fileOpenRequested();      // File > Open
    void fileDeleteRequested();    // File > Delete
    void filePlayRequested();      // File > Play
    void pagePlayRequested();      // Page > Play
    void printRequested();         // File > Print, the print tool
    void printerSetupRequested();  // File > Printer Setup
    void exportRequested();        // File > Export To Disk
    void importRequested();        // File > Import From Disk
    void readRequested();          // the read tool, Words > Read
    void alignRequested();         // Words > Align
    // A domain was entered: show the font of its text in the indicator box.
    void displayFontRequested(int domain);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildIndicatorBox(QWidget* central);
    void buildBottom(QWidget* central);
    void buildPopups(QWidget* central);
    void buildKeys();
    // Presses a tool button from the keyboard when the domain offers it.
    bool pressTool(Tool t);
    void ClientOfMainScreenResize();
    void FormClick();
    void terminate();
    bool isHosted(const QWidget* w) const;

    AppState& state_;
    Dialogs& dialogs_;
    QWidget* central_;
    std::vector<std::function<bool()>> savers_;
    QString commandLineLesson_;
    bool activatedOnce_ = false;
    PageOperations* pages_ = nullptr;
    MediaOperations* media_ = nullptr;
    HelpViewer* help_ = nullptr;
    TdlgDiagram* diagram_ = nullptr;
    TdlgNewPage* newPage_ = nullptr;
    TAboutBox* about_ = nullptr;
    int helpContext_ = 0;
    DomainNavigator* navigator_ = nullptr;
    ShellActions* actions_ = nullptr;
    KeyPreview* keyPreview_ = nullptr;
};

}  // namespace vellora
