#pragma once

#include <QDialog>
#include <QFrame>
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

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TVideoPanel;
    template <class W>
    W* owned(const char* name, const QRect& rect, QWidget* parent = nullptr);
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
    std::function<QString(int, int)> mediaNames_;
    std::unique_ptr<TSynchro> synchro_;
    // A clicked word is sounding (its play waits).
    bool sounding_ = false;
};

}  // namespace vellora
