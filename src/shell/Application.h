#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "AppState.h"

namespace vellora {

class Dialogs;
class HandleDataBase;
class HelpWindow;
class TMainForm;
class TSplashScreen;
class TNotifyDeleteLesson;
class TLessonNotFound;
class TUtil;
class TFrame;
class TTitleScreen;
class TdlgDiagram;
class TAboutBox;
class TDirectorySelector;
class TdlgNewPage;
class TMedia;
class TDlgOpenLesson;
class TextAttributes;
class LessonLifecycle;
class ExchangeCommands;
class Printing;
class PageRows;
class PageLayer;
class ShellPageHost;
class MediaLayer;
class Playback;
class SampleLesson;
class MediaDevice;
class WaveRecorder;

// What the command line asks for.
struct CommandLine {
    QString dataDir;  // empty: the per-user data directory
    QString lesson;   // the lesson number to open, as typed
    QString printPdf; // --print-pdf FILE: print `lesson` into FILE and end
    QString play;     // --play LESSON: the lesson to play, as typed
    QString error;    // set when the arguments make no sense
};

CommandLine parseCommandLine(const QStringList& arguments);

// The data root: `dataDir` when given, else the per-user data directory.
QString defaultProgramDir(const QString& dataDir);

// The program: the database handler, the main window and every other window,
// created once at start-up and freed at the end.
class Application {
public:
    Application(const QString& programDir, Dialogs& dialogs);
    ~Application();

    // Sound and video through these instead of the machine's devices (tests
    // run on a clock they control). Call before startUp.
    void useMediaDevices(MediaDevice* player, WaveRecorder* recorder);

    // Runs the start-up sequence up to the message loop. Answers false, after
    // telling the user why, when the program cannot start.
    bool startUp(const QString& commandLineLesson = QString());
    // Shows the main window (the message loop then runs in main()).
    void show();
    // The steps after the message loop has ended.
    void finish();

    AppState& state() { return state_; }
    HandleDataBase& database() { return *handleDataBase_; }
    TMainForm* MainForm() const { return mainForm_.get(); }
    TSplashScreen* SplashScreen() const { return splash_.get(); }
    TUtil* Util() const { return util_.get(); }
    TFrame* Frame() const { return frame_.get(); }
    TTitleScreen* TitleScreen() const { return titleScreen_.get(); }
    TDlgOpenLesson* DlgOpenLesson() const { return dlgOpenLesson_.get(); }
    TextAttributes* textAttributes() const { return textAttributes_.get(); }
    LessonLifecycle* lifecycle() const { return lifecycle_.get(); }
    ExchangeCommands* exchange() const { return exchange_.get(); }
    Printing* printing() const { return printing_.get(); }
    PageLayer* pageLayer() const { return pageLayer_.get(); }
    PageRows* pageRows() const { return pageRows_.get(); }
    MediaLayer* mediaLayer() const { return mediaLayer_.get(); }
    MediaDevice* player() const { return player_; }
    Playback* playback() const { return playback_.get(); }
    SampleLesson* sampleLesson() const { return sample_.get(); }
    TdlgDiagram* dlgDiagram() const { return dlgDiagram_.get(); }
    TdlgNewPage* dlgNewPage() const { return dlgNewPage_.get(); }
    TAboutBox* AboutBox() const { return aboutBox_.get(); }
    TDirectorySelector* DirectorySelector() const { return directorySelector_.get(); }
    HelpWindow* Help() const { return helpWindow_; }

private:
    void attachPageLayer();

    AppState state_;
    Dialogs& dialogs_;
    std::unique_ptr<HandleDataBase> handleDataBase_;
    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TSplashScreen> splash_;
    std::unique_ptr<TNotifyDeleteLesson> notifyDeleteLesson_;
    std::unique_ptr<TLessonNotFound> lessonNotFound_;
    std::unique_ptr<TUtil> util_;
    std::unique_ptr<TFrame> frame_;
    std::unique_ptr<TTitleScreen> titleScreen_;
    std::unique_ptr<TdlgDiagram> dlgDiagram_;
    std::unique_ptr<TAboutBox> aboutBox_;
    std::unique_ptr<TDirectorySelector> directorySelector_;
    std::unique_ptr<TdlgNewPage> dlgNewPage_;
    std::unique_ptr<TMedia> media_;
    std::unique_ptr<TDlgOpenLesson> dlgOpenLesson_;
    // Collaborators of the main window; they go before the windows they use.
    std::unique_ptr<TextAttributes> textAttributes_;
    std::unique_ptr<LessonLifecycle> lifecycle_;
    std::unique_ptr<ExchangeCommands> exchange_;
    std::unique_ptr<Printing> printing_;
    // The page records and the page window as the main window reaches them.
    std::unique_ptr<PageRows> pageRows_;
    std::unique_ptr<ShellPageHost> pageHost_;
    std::unique_ptr<PageLayer> pageLayer_;
    std::unique_ptr<MediaLayer> mediaLayer_;
    std::unique_ptr<Playback> playback_;
    std::unique_ptr<SampleLesson> sample_;
    // The machine's sound devices, unless others were handed in.
    std::unique_ptr<MediaDevice> ownPlayer_;
    std::unique_ptr<WaveRecorder> ownRecorder_;
    MediaDevice* player_ = nullptr;
    WaveRecorder* recorder_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;  // owned by the main window
};

}  // namespace vellora
