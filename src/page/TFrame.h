#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "ChoiceDeal.h"
#include "MediaDevice.h"
#include "PageOperations.h"
#include "TextMeasurer.h"
#include "TextTarget.h"
#include "SyncLogic.h"
#include "WurdLayout.h"

class QSettings;
class QVideoWidget;

namespace vellora {

class TSynchro;

struct AppState;
struct WurdData;
struct ChoiceData;
struct QuestionInput;
class Dialogs;
class PageRows;

// One word of a reading page: a borderless single-line edit that knows its
// word number (its tag) and reports clicks.
class TWurd : public QLineEdit {
    Q_OBJECT
public:
    TWurd(int tag, QWidget* parent);
    int Tag;

signals:
    void clicked(int tag);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // No selection on entry: its blue would cover the word's own colour (lit,
    // frozen), and the focus often comes to word 1 only because another
    // control was hidden.
    void focusInEvent(QFocusEvent* event) override;
};

// The selection outline: a red dotted frame drawn behind the words, one pixel
// larger than the selected word on every side.
class TOutline : public QWidget {
public:
    explicit TOutline(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TFrame;

// A captioned column of radio items whose state is one item index (-1 none).
// `itemClicked` reports the author's own clicks only.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent);
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* item(int i) const { return items_.value(i); }
    int count() const { return int(items_.size()); }

signals:
    void itemClicked(int index);

private:
    QList<QRadioButton*> items_;
};

// The panel that shows a page's video (the media layer draws into it).
class TVideoPanel : public QFrame {
    Q_OBJECT
public:
    explicit TVideoPanel(TFrame* owner);
    // The page window's player; the panel draws what it plays as video.
    MediaDevice* MP = nullptr;
    // Where the picture is drawn, 2 pixels inside the panel's edges; made
    // at the first video.
    QVideoWidget* VideoWidget = nullptr;
    // Opens the player's file as a video and places the panel beside the
    // words at the video's own size (shrunk to fit); false, after a warning,
    // when the file cannot be opened, with the display left as it was.
    bool Open();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TFrame* owner_;
};

// The page window: hosted borderless in the main window's client panel, it
// shows the current reading or question page — the words (or the text box
// while the author types), the picture or video beside them, and the lesson
// background behind everything.
class TFrame : public QWidget {
    Q_OBJECT
public:
    // The most characters one word's row holds.
    static constexpr int kMaxWurdText = 20;
    enum class WurdColor { White, Yellow, Aqua };

    explicit TFrame(QWidget* parent = nullptr);
    ~TFrame() override;

    // The store and state the words are kept in; without them the window
    // only shows. `settingsFile` is Vellora.ini (the last text file).
    void attach(AppState& state, Dialogs& dialogs, PageRows& rows, const QString& settingsFile);
    // The player of the page's sounds and video (one file open at a time).
    void setPlayer(MediaDevice* player);
    MediaDevice* Player() const { return player_; }
    // Vellora.ini, once attached (the last text file, the speaking voice).
    QSettings* Settings() const { return settings_.get(); }
    // Names the lesson's media files: MediaFileName(domain, index).
    void setMediaNames(std::function<QString(int, int)> names) { mediaNames_ = std::move(names); }
    QString MediaFileName(int domain, int index) const;
    // Replaces the platform's text metrics (tests give exact numbers).
    void setMeasurer(const TextMeasurer* measurer);
    const TextMeasurer& measurer() const { return *measurer_; }
    // The lesson background: 0 plain, 1 gradient, 2 wallpaper.
    void setBackgroundSource(std::function<int()> source) { backgroundIndex_ = std::move(source); }
    // The indicator box shows the text box's font when it takes the focus.
    void setTextFocusObserver(std::function<void()> observer) { textFocus_ = std::move(observer); }

    // Controls
    QFrame* sbWurdsBox;
    QLabel* lbTestWurd;
    TOutline* shpWOutline;
    QPlainTextEdit* TextBox;
    QFrame* PicturePanel;
    QLabel* Image1;
    TVideoPanel* VideoPanel;
    QFrame* MediaPlayer1;
    QFrame* Question;
    // The 10 ms word-highlight timer of reading aloud.
    QTimer* Timer1;
    // Jump-page editors of a question page's actions; hidden until used.
    QSpinBox* SelectJump1Page;
    QSpinBox* SelectJump2Page;

    // The question page: the question column in `Question`, the row
    // indicators beside it and the authoring panels to its right. Arrays of
    // row controls are indexed by slot 1..4 (entry 0 unused, except Indic,
    // whose entry 0 is the stimulus's indicator).
    QPlainTextEdit* Stimulus;
    QCheckBox* QuSound;
    std::array<QLineEdit*, 5> Enum{};
    std::array<QPlainTextEdit*, 5> Choice{};
    std::array<QCheckBox*, 5> Fix{};
    std::array<QCheckBox*, 5> ChSound{};
    QPushButton* btnRepeat;
    QLineEdit* Clicked;
    QLineEdit* SelectedValue;
    QFrame* pnlSelect;
    std::array<QFrame*, 5> Indic{};
    QFrame* IndicRepeat;
    QFrame* pnlOptions;
    QCheckBox* cbDisplayScore;
    QFrame* pnlValue;
    QFrame* pnlVal;
    QLabel* lbValue;
    std::array<QSpinBox*, 5> Value{};
    QLabel* lbChoices;
    QSpinBox* seChoices;
    QFrame* pnlResponse;
    QLabel* lbResponses;
    std::array<QPlainTextEdit*, 5> Response{};
    std::array<QCheckBox*, 5> RspSound{};
    QGroupBox* gbFirst;
    QGroupBox* gbSecond;
    // The action matrix: cells a..f (0..5) of each slot.
    std::array<std::array<QFrame*, 6>, 5> Act{};
    std::array<QFrame*, 5> H1x{};  // H11..H14
    std::array<QFrame*, 5> H2x{};  // H21..H24
    QFrame* pnlAction;
    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QFrame* H1;
    QFrame* H2;
    TRadioGroup* rgResponse01;
    TRadioGroup* rgRemediate01;
    TRadioGroup* rgAction01;
    TRadioGroup* rgResponse02;
    TRadioGroup* rgRemediate02;
    TRadioGroup* rgAction02;
    QLineEdit* PlayPage01;
    QLineEdit* JumpPage01;
    QLineEdit* PlayPage02;
    QLineEdit* JumpPage02;
    QPlainTextEdit* ResponseMemo;

    // Choice slots of the question page shown.
    int ChoiceCount = 0;
    int CurrentChoice = 1;
    // Entries 1..4 name the row in each slot (0: none); 5..10 unused.
    std::array<qint64, 11> ChoiceRecNums{};
    // Per slot: Show1Page, Jump1Page, Show2Page, Jump2Page.
    std::array<std::array<int, 4>, 5> ChoicePages{};
    bool DeletingChoices = false;

    // Lays out the question column for ChoiceCount choices.
    void FormatQuestion();
    QuestionInput questionInput() const;
    void SetQuestionVisibility(int domain);
    // Indicators: the rows in `colour`, the selected one (0 stimulus,
    // 1..4 a choice, anything else none) teal.
    void HilightSelection(const QColor& colour, int selected);
    QColor ButtonFace() const;
    void SetChoice(int slot);
    // A value of 100 marks a correct choice: aqua, any other white.
    void ValueChange(int n);
    // After a sound was recorded or chosen for `domain`: tick its box.
    void SetSound(int domain);
    // The count of slots shown, mirrored in the count spin edit without
    // counting as the author's change.
    void SetChoices(int n);
    // A slot's row as its controls hold it, and the controls set from a row.
    ChoiceData SlotData(int slot) const;
    void ShowSlot(int slot, const ChoiceData& row);
    // The code a matrix cell shows (cell 0..5 = a..f).
    int CellCode(int slot, int cell) const;
    void SetCellCode(int slot, int cell, int code);
    // Answering: clicks are taken while armed (100) and not busy; Attempt
    // is 1 or 2 (0 before first use).
    int QuestionArmed = 0;
    bool QuestionBusy = false;
    int Attempt = 0;
    int ChosenValue = 0;
    // The action panel's column (1 or 2) and setting (11..23, 0 none) being edited.
    int EditedSelection = 1;
    int EditedField = 0;
    // The spoken verdict's panel under the question, with its one line.
    QFrame* VerdictPanel;
    QLabel* DefaultFont;
    // The question item a control belongs to: 0 the stimulus (and anything
    // else), 1..4 a choice row, 5..8 a response row.
    int QuestionItem(const QObject* control) const;
    // The six codes of a slot's matrix cells.
    void SlotCells(int slot, int (&cells)[6]) const;
    // The score option's handler.

    void cbDisplayScoreClick();
    // The author changed the count spin edit (not the program).
    std::function<void(int)> onChoicesChanged;

    // Page kind: "r" reading, "q" question, "" none yet.
    QString PageMode;
    QString PreviousPageMode;
    void SetPageMode(const QString& mode);

    // Word state of the page shown (entries 1..WurdCount; 0 is the leader).
    int WurdCount = 0;
    int CurrentWurd = 1;
    bool NeedsAlign = false;
    std::array<int, kMaxWurds + 1> WurdComponentNums{};
    std::array<qint64, kMaxWurds + 1> WurdRecNums{};
    // Milliseconds from the start of the page sound at which each word ends.
    StopTimeTable StopTimes{};
    bool VideoControlShown = false;

    // Words: parsing, controls, painting.
    // Splits the text box into words and rows; false when the author chose
    // to edit the text again at the 150-word limit (the count is unchanged).
    bool ParseWurds(qint64 pageRegNum, bool titlePage, const std::function<bool(const QString&)>& ask150);
    void EraseOldWurds();
    void AdjustWurdsNumber();
    TWurd* CreateWurd(int n);
    void DestroyAllWurds();
    void AssignWurdComponentNums();
    void AlignWurds();
    void DrawAWurd(int n, WurdColor color, int mode);
    QString Capshun(int n) const;
    TWurd* wurd(int n) const;
    void ParkTestWurd();

    // Reading aloud: the page sound plays and each word lights up yellow
    // while it sounds; a clicked word sounds alone.
    int LastClickedWurd = 1;
    // The last play ended by itself (its completion notice said so).
    bool PlayFinished = false;
    void btnReadTextClick();
    void WurdEnd();
    void SayWurd(int n);
    // Plays `file` whole from its start (waiting when asked), then closes it.
    void Playy(const QString& file, DeviceType type, bool wait);
    void MediaPlayer1Notify(NotifyValue value);
    bool Reading() const { return Timer1->isActive(); }

    // Synchronisation: the window that tunes each word's stop time by ear.
    TSynchro* Synchro() const { return synchro_.get(); }
    SyllableTable SylCounts{};
    void EstimateSyllables();
    // Estimates where stretch i (0 the leader) of n words ends.
    void SetNextWurdLength(int i, int n, qint64 start, qint64 length);
    // Stores word n's stop time in its row at once and paints it aqua.
    void FreezeWurd(int n);
    // Every word's stop time stored at once.
    void FreezeAll();
    // Words frozen since the page was shown: Align leaves them where they are.
    std::array<bool, kMaxWurds + 2> Frozen{};
    bool HasWurdRow(int n) const;
    // A media error the author asked about (a sound that cannot be played).
    void SayMediaError(const QString& text);

    // Word rows of the page.
    void LoadWurdRecordPointers(qint64 pageRegNum);
    void LoadWurds(int currentPage);
    void LoadWurdRecord(int n, qint64 wurdRegNum, int currentPage);
    void SaveWurdRecords(qint64 pageRegNum);

    // Display
    void ToggleScrollTextBox(int domain);
    void ScaleImage();
    // Loads and shows the page picture; false (frame hidden) when the file
    // is missing or not a picture.
    bool ShowPicture(const QString& file);
    void HidePicture();
    void btnPictureClick();
    void SetVideoControlSize();
    // Shows the video `file` in the video panel and plays it.
    void btnVideoClick(const QString& file);
    void SetWallpaper(const QString& file);
    bool TextBoxModified() const;

    // Text file commands of the text box.
    QString FileName;
    void New1Click();
    void Open1Click();
    void Save1Click(bool saveAs = false);
    void SaveAs1Click() { Save1Click(true); }
    void EditMenuClick(EditCommand command);
    // Remembers the last text file in the settings file.
    void FormClose();

    // Font tool targets: the text box (Text domain) and the current word
    // (Words domain).
    TextTarget& textBoxTarget() { return *textBoxTarget_; }
    TextTarget& wurdTarget() { return *wurdTarget_; }
    // The question (Question domain) and the choices with their letters
    // (Choices domain); the column is laid out again after a change.
    TextTarget& stimulusTarget() { return *stimulusTarget_; }
    TextTarget& choicesTarget() { return *choicesTarget_; }

    // Keys reach the page window through the main window while it shows; each
    // answers true when the key was used here.
    virtual bool FormKeyDown(QKeyEvent* event);
    virtual bool FormKeyPress(QKeyEvent* event);

signals:
    // A press of the right mouse button on the page background.
    void rightPressed();
    // Esc: stop reading or playing at the next check.
    void stopRequested();
    // A word was clicked (reading and word sounds act on it).
    void wurdClicked(int n);
    // A left click on the page background: pop-up panels close.
    void backgroundClicked();
    // A click on a part of the question (or a letter key choosing a choice).
    void questionClicked(QObject* control);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Shown, activated or deactivated: the question takes no click until the
    // mouse has moved over it.
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TVideoPanel;
    // Builds the question page's controls (hidden until a question shows).
    void BuildQuestion();
    // Clicks on the question's controls (and their viewports) and the
    // keyboard's entry into a response memo.
    bool questionEvent(QObject* watched, QEvent* event);
    std::vector<std::pair<QObject*, QObject*>> clickOwners_;
    // A control of the window's design: it scales with the window.
    template <class W>
    W* owned(const char* name, const QRect& rect, QWidget* parent = nullptr) {
        auto* w = new W(parent ? parent : this);
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(rect);
        owned_.push_back(w);
        return w;
    }
    void FormResize();
    // The player's play, pause, stop, next, previous, step and back buttons.
    void BuildPlayerBar();
    // Shows one word row in word n's box.
    void showWurdRow(int n, const WurdData& row, int currentPage);
    bool CheckTextSaved();
    void WurdClick(int n);
    QFont textBoxFont() const;
    int wurdsBoxRight() const { return sbWurdsBox->x() + sbWurdsBox->width(); }

    AppState* state_ = nullptr;
    MediaDevice* player_ = nullptr;
    Dialogs* dialogs_ = nullptr;
    PageRows* rows_ = nullptr;
    std::unique_ptr<QSettings> settings_;
    QString lastTextFile_;
    FontMetricsMeasurer platform_;
    const TextMeasurer* measurer_;
    std::function<int()> backgroundIndex_;
    std::function<void()> textFocus_;
    std::vector<QWidget*> owned_;
    std::vector<TWurd*> wurdBoxes_;
    QSize previousSize_;
    QPixmap picture_;
    QPixmap wallpaper_;
    std::unique_ptr<TextTarget> textBoxTarget_;
    std::unique_ptr<TextTarget> wurdTarget_;
    std::unique_ptr<TextTarget> stimulusTarget_;
    std::unique_ptr<TextTarget> choicesTarget_;
    std::function<QString(int, int)> mediaNames_;
    std::unique_ptr<TSynchro> synchro_;
    // A clicked word is sounding (its play waits).
    bool sounding_ = false;
};

}  // namespace vellora
