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
#include "StatusLine.h"

namespace vellora {

class Database;
class Dialogs;
class Table;
class TFrame;
class TGauge;
class TSpinButton;
class TTitleScreen;
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
    // Enters a domain: screen, name, hint.
    void Icons(int domain);
    void FormActivate();
    // Saves everything open; true when all saving succeeded or nothing was open.
    bool SaveAll();
    // The exit dialogue.
    void ShutDown();

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
    QFrame* Slider;

    QFrame* ClientOfMainScreen;

    QFrame* pnlBottom;
    QPushButton* BtnBack;
    QFrame* Panel4;
    QLabel* pnlStatus;
    TGauge* Gauge1;
    QPushButton* BtnNext;

    // Pop-up panels
    QFrame* pnlColor;
    QWidget* ColorGrid1;
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildIndicatorBox(QWidget* central);
    void buildBottom(QWidget* central);
    void buildPopups(QWidget* central);
    void FormResize();
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
};

}  // namespace vellora
