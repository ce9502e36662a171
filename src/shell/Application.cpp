#include "Application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include "AboutBox.h"
#include "Diagram.h"
#include "Dialogs.h"
#include "DirectorySelector.h"
#include "ExchangeCommands.h"
#include "HandleDataBase.h"
#include "HelpWindow.h"
#include "LessonLifecycle.h"
#include "MediaLayer.h"
#include "Playback.h"
#include "SampleLesson.h"
#include "Synchro.h"
#include "TUtil.h"
#include "QtMediaDevice.h"
#include "ShellTexts.h"
#include "NewPageDialog.h"
#include "PageLayer.h"
#include "PageRows.h"
#include "Printing.h"
#include "SharedFiles.h"
#include "ShellPageHost.h"
#include "ShellWindows.h"
#include "Splash.h"
#include "StoreError.h"
#include "TFrame.h"
#include "TMainForm.h"
#include "TextAttributes.h"

namespace vellora {

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    QCommandLineOption dataDir(QStringLiteral("data-dir"), QStringLiteral("Keep lessons and settings in DIR."),
                               QStringLiteral("DIR"));
    parser.addOption(dataDir);
    QCommandLineOption printPdf(QStringLiteral("print-pdf"), QStringLiteral("Print the lesson into the PDF file FILE."),
                                QStringLiteral("FILE"));
    parser.addOption(printPdf);
    QCommandLineOption play(QStringLiteral("play"), QStringLiteral("Play lesson LESSON."), QStringLiteral("LESSON"));
    parser.addOption(play);
    parser.addPositionalArgument(QStringLiteral("lesson"), QStringLiteral("Number of a lesson to open."));
    CommandLine result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    result.dataDir = parser.value(dataDir);
    if (parser.isSet(dataDir) && result.dataDir.isEmpty()) result.error = QStringLiteral("--data-dir needs a directory");
    const QStringList rest = parser.positionalArguments();
    if (!rest.isEmpty()) result.lesson = rest.first();
    result.printPdf = parser.value(printPdf);
    result.play = parser.value(play);
    if (!result.error.isEmpty()) return result;
    if (parser.isSet(printPdf) && parser.isSet(play))
        result.error = QStringLiteral("--print-pdf and --play cannot be used together");
    else if (parser.isSet(printPdf) && result.printPdf.isEmpty())
        result.error = QStringLiteral("--print-pdf needs a file");
    else if (parser.isSet(printPdf) && result.lesson.isEmpty())
        result.error = QStringLiteral("--print-pdf needs a lesson number");
    else if (parser.isSet(play) && result.play.isEmpty())
        result.error = QStringLiteral("--play needs a lesson number");
    return result;
}

QString defaultProgramDir(const QString& dataDir) {
    if (!dataDir.isEmpty()) return QDir::cleanPath(QDir(dataDir).absolutePath());
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

Application::Application(const QString& programDir, Dialogs& dialogs) : dialogs_(dialogs) {
    state_.ProgramDir = QDir::cleanPath(programDir);
}

void Application::useMediaDevices(MediaDevice* player, WaveRecorder* recorder) {
    player_ = player;
    recorder_ = recorder;
}

Application::~Application() {
    if (mainForm_) {
        mainForm_->setPageOperations(nullptr);
        mainForm_->setMediaOperations(nullptr);
        mainForm_->releaseWindows();
    }
}

void Application::attachPageLayer() {
    TMainForm& form = *mainForm_;
    TFrame& frame = *frame_;
    pageRows_ = std::make_unique<PageRows>(*form.LesnTable, *form.PageTable, *form.WurdTable, *form.ChoiceTable);
    pageHost_ = std::make_unique<ShellPageHost>(state_, form, *lifecycle_, *titleScreen_, dialogs_);
    frame.attach(state_, dialogs_, *pageRows_, QDir(state_.ProgramDir).filePath(QStringLiteral("Vellora.ini")));
    frame.setBackgroundSource([&form] { return form.BackgroundIndex(); });
    frame.setTextFocusObserver([this] { textAttributes_->DisplayFont(11, 1); });
    pageLayer_ = std::make_unique<PageLayer>(state_, *pageHost_, dialogs_, *pageRows_, frame);
    form.setPageOperations(pageLayer_.get());
    // The font tools act on the text box while typing and on the selected
    // word in the Words domain.
    textAttributes_->setTarget(11, &frame.textBoxTarget());
    textAttributes_->setTarget(12, &frame.wurdTarget());
    textAttributes_->setTarget(18, &frame.stimulusTarget());
    textAttributes_->setTarget(19, &frame.choicesTarget());
    textAttributes_->setCurrentWurdSource([&frame] { return frame.CurrentWurd; });
    lifecycle_->setWurdRegNumSource([&frame](int n) -> qint64 {
        return n >= 1 && n <= frame.WurdCount ? frame.WurdRecNums[size_t(n)] : 0;
    });

    // Sound and video: the page window plays, the media tools choose and record.
    if (!player_) {
        ownPlayer_ = std::make_unique<QtMediaDevice>();
        player_ = ownPlayer_.get();
    }
    if (!recorder_) {
        ownRecorder_ = std::make_unique<QtWaveRecorder>();
        recorder_ = ownRecorder_.get();
    }
    QObject::connect(player_, &MediaDevice::deviceMessage, &form, &TMainForm::setStatusText);
    frame.setPlayer(player_);
    frame.setMediaNames([host = pageHost_.get()](int domain, int index) { return host->MediaFileName(domain, index); });
    mediaLayer_ = std::make_unique<MediaLayer>(state_, *pageHost_, dialogs_, *pageRows_, frame, *recorder_);
    mediaLayer_->setCurrentChoiceSource([layer = pageLayer_.get()] { return layer->CurrentChoice(); });
    form.setMediaOperations(mediaLayer_.get());
    lifecycle_->setChoiceRegNumSource([media = mediaLayer_.get()](int slot) { return media->ChoiceRecNum(slot); });
    QObject::connect(&form, &TMainForm::readRequested, &form, [layer = pageLayer_.get()] { layer->btnRead3Click(); });
    QObject::connect(&form, &TMainForm::alignRequested, &form, [layer = pageLayer_.get()] { layer->AlignToSound(); });
    QObject::connect(&frame, &TFrame::wurdClicked, &form, [this](int n) { textAttributes_->DisplayFont(12, n); });
    QObject::connect(&frame, &TFrame::backgroundClicked, &form, &TMainForm::CleanUp);
    QObject::connect(frame.Synchro(), &TSynchro::pageSoundMade, &form,
                     [media = mediaLayer_.get()] { media->MarkSoundPresent(11); });
    playback_ = std::make_unique<Playback>(state_, form, *pageLayer_, *mediaLayer_, frame, *player_);
    // Files of a lesson about to be deleted are let go by the player first.
    QObject::connect(lifecycle_.get(), &LessonLifecycle::closingMedia, player_, [this] { player_->Close(); });
    sample_ = std::make_unique<SampleLesson>(state_, form, *lifecycle_, *titleScreen_, *pageLayer_, *pageRows_,
                                             *mediaLayer_, frame, dialogs_);
    QObject::connect(util_->btnSample, &QPushButton::clicked, &form, [this] { sample_->Open(); });
    pageLayer_->setPlayQuestionPage([playback = playback_.get()] { playback->PlayQuestionPage(); });
}

bool Application::startUp(const QString& commandLineLesson) {
    QDir().mkpath(state_.ProgramDir);
    mainForm_ = std::make_unique<TMainForm>(state_, dialogs_);
    handleDataBase_ = std::make_unique<HandleDataBase>(state_.ProgramDir, dialogs_, *mainForm_);
    QApplication::setApplicationDisplayName(texts::kApplicationTitle);

    // The splash stays on screen while the other windows are made; it closes
    // when the main window first becomes active.
    splash_ = std::make_unique<TSplashScreen>();
    splash_->show();
    splash_->repaint();
    QObject::connect(mainForm_.get(), &TMainForm::activated, splash_.get(), &QWidget::close);

    notifyDeleteLesson_ = std::make_unique<TNotifyDeleteLesson>(mainForm_.get());
    lessonNotFound_ = std::make_unique<TLessonNotFound>(mainForm_.get());
    util_ = std::make_unique<TUtil>();
    frame_ = std::make_unique<TFrame>();
    titleScreen_ = std::make_unique<TTitleScreen>(state_, *util_);
    dlgDiagram_ = std::make_unique<TdlgDiagram>(state_, mainForm_.get());
    aboutBox_ = std::make_unique<TAboutBox>(mainForm_.get());
    directorySelector_ = std::make_unique<TDirectorySelector>(mainForm_.get());
    dlgNewPage_ = std::make_unique<TdlgNewPage>(state_, mainForm_.get());
    mainForm_->attachShellDialogs(dlgDiagram_.get(), dlgNewPage_.get(), aboutBox_.get());
    helpWindow_ = createHelpWindow(mainForm_.get());
    mainForm_->setHelpViewer(helpWindow_);
    QObject::connect(directorySelector_.get(), &TDirectorySelector::helpRequested, mainForm_.get(),
                     &TMainForm::showHelpTopic);
    media_ = std::make_unique<TMedia>(mainForm_.get());
    dlgOpenLesson_ = std::make_unique<TDlgOpenLesson>(mainForm_.get());

    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct RestoreCursor {
            ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
        } restore;
        handleDataBase_->OpenDataBase();
        mainForm_->attachDatabase(handleDataBase_->database());
    } catch (const HDDBExeption& e) {
        splash_->close();
        dialogs_.error(e.message());
        return false;
    } catch (const StoreError& e) {
        splash_->close();
        dialogs_.error(texts::kStartupFailed.arg(e.message()));
        return false;
    }

    WriteSharedFiles(state_.ProgramDir, dialogs_);
    mainForm_->hostWindows(titleScreen_.get(), util_.get(), frame_.get());
    mainForm_->setCommandLineLesson(commandLineLesson);

    textAttributes_ = std::make_unique<TextAttributes>(state_, *mainForm_, *util_, *titleScreen_);
    lifecycle_ = std::make_unique<LessonLifecycle>(
        state_, *mainForm_, handleDataBase_->database(), dialogs_, *textAttributes_,
        LessonWindows{titleScreen_.get(), util_.get(), frame_.get(), dlgOpenLesson_.get(), lessonNotFound_.get(),
                      notifyDeleteLesson_.get()});
    exchange_ = std::make_unique<ExchangeCommands>(state_, *mainForm_, *handleDataBase_, dialogs_, *lifecycle_,
                                                   *directorySelector_);
    printing_ = std::make_unique<Printing>(state_, *mainForm_, dialogs_);
    attachPageLayer();
    // Focusing a title field enters its domain.
    QObject::connect(titleScreen_.get(), &TTitleScreen::domainRequested, mainForm_.get(), &TMainForm::Icons);
    return true;
}

void Application::show() {
    if (!mainForm_->isVisible()) mainForm_->PlaceOnScreen();
    mainForm_->show();
    mainForm_->raise();
    mainForm_->activateWindow();
    // Without a window manager the main window may never become active: the
    // steps of the first activation then run as soon as the event loop turns.
    QTimer::singleShot(0, mainForm_.get(), [this] {
        if (splash_) splash_->close();
        mainForm_->FormActivate();
    });
}

void Application::finish() {
    if (frame_) {
        frame_->Timer1->stop();
        frame_->FormClose();
    }
    if (player_) player_->Close();
    if (recorder_) recorder_->Close();
    if (mainForm_) {
        mainForm_->setPageOperations(nullptr);
        mainForm_->setMediaOperations(nullptr);
        mainForm_->releaseWindows();
    }
    handleDataBase_.reset();
}

}  // namespace vellora
