#include "Playback.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>
#include <QDir>
#include <QFile>

#include "AppState.h"
#include "Application.h"
#include "LessonLifecycle.h"
#include "PrintPdf.h"
#include "PrintTexts.h"
#include "QtDialogs.h"
#include "DomainTable.h"
#include "MediaDevice.h"
#include "MediaLayer.h"
#include "Navigation.h"
#include "PageLayer.h"
#include "TFrame.h"
#include "TMainForm.h"
#include "WaitUntil.h"

namespace vellora {

Playback::Playback(AppState& state, TMainForm& form, PageLayer& pages, MediaLayer& media, TFrame& frame,
                   MediaDevice& player)
    : st_(state), form_(form), pages_(pages), media_(media), frame_(frame), player_(player) {
    connect(&form_, &TMainForm::filePlayRequested, this, &Playback::FilePlayClick);
    connect(&form_, &TMainForm::pagePlayRequested, this, &Playback::PagePlayClick);
}

bool Playback::stopped() const { return st_.StopRequested || st_.Closing || st_.AppEnded; }

void Playback::waitForPlayer() {
    // Only a running play is waited for: a player that stopped early, failed
    // or holds nothing ends the wait at once.
    waitUntil([this] {
        return stopped() || (player_.mode() != MediaMode::Playing && player_.mode() != MediaMode::Seeking);
    });
}

void Playback::showBars(bool show) {
    form_.Panel1->setVisible(show);
    form_.pnlBottom->setVisible(show);
}

void Playback::playVideo() {
    // The video tool's step: the video domain of the page's kind, then its video.
    form_.navigator().Icons(DomainGroup(st_.CurrentDomain) == 3 ? 17 : 10);
    media_.ShowPageVideo();
}

void Playback::PlayPage(int, bool lessonMode) {
    st_.StopRequested = false;
    showBars(!lessonMode);
    form_.MenuHide(!st_.Playing);
    const auto finish = [&] {
        if (!st_.Playing) {
            st_.StopRequested = true;
            showBars(true);
        }
    };
    if (st_.CurrentPage == 0) {
        // The title page speaks its title sound, when it has one.
        media_.PlayMediaSound(2, 0);
        QCoreApplication::processEvents();
        return finish();
    }
    if (pages_.PageMode() == QLatin1String("r")) {
        frame_.PlayFinished = false;
        pages_.ReadWurds();
        QCoreApplication::processEvents();
        waitForPlayer();
        if (stopped()) return finish();
        playVideo();
        QCoreApplication::processEvents();
        st_.AwaitingAnswer = false;
        waitForPlayer();
        return finish();
    }
    // A question page: its video, then its picture.
    if (stopped()) return finish();
    playVideo();
    QCoreApplication::processEvents();
    waitForPlayer();
    if (stopped()) return finish();
    form_.navigator().Icons(16);
    media_.ShowPagePicture();
    QCoreApplication::processEvents();
    if (stopped()) return finish();
    // The question and its choices are read, then the page waits for the
    // learner's answer; Esc, Stop and closing end the wait too.
    pages_.RepeatQuestion();
    QCoreApplication::processEvents();
    if (stopped()) return finish();
    pages_.ResetAttempt();
    st_.AwaitingAnswer = true;
    // A page left by other means (Next, Back) has no answer to wait for;
    // a page the answer itself plays (while it is judged) comes back.
    const int questionPage = st_.CurrentPage;
    waitUntil([this, questionPage] {
        const bool left = st_.CurrentPage != questionPage || pages_.PageMode() != QLatin1String("q");
        return !st_.AwaitingAnswer || stopped() || (left && !frame_.QuestionBusy);
    });
    st_.AwaitingAnswer = false;
    finish();
}

void Playback::PagePlayClick() {
    if (!st_.LessonOpen) return;
    PlayPage(st_.CurrentPage, false);
}

void Playback::PlayQuestionPage() {
    frame_.PlayFinished = false;
    if (pages_.PageMode() != QLatin1String("r")) return;
    pages_.ReadWurds();
    QCoreApplication::processEvents();
    playVideo();
    QCoreApplication::processEvents();
    waitForPlayer();
}

void Playback::FilePlayClick() {
    // A second File > Play while a lesson plays is the same play.
    if (!st_.LessonOpen || st_.Playing) return;
    st_.SaveOnPageChange = false;
    st_.Playing = true;
    st_.StopRequested = false;
    st_.JumpPending = false;
    int p = -1;
    do {
        if (!st_.JumpPending) {
            ++p;
            form_.editPage->setText(QString::number(p));
            pages_.ChangePage(p, 9);
        } else {
            p = form_.editPage->text().toInt();
            st_.JumpPending = false;
        }
        if (stopped()) break;
        // A page that could not be shown ends the play rather than repeat it.
        if (st_.CurrentPage != p) break;
        PlayPage(p, true);
        if (stopped()) break;
        p = st_.CurrentPage;
        while (st_.JumpPending && !stopped()) {
            st_.JumpPending = false;
            PlayPage(st_.CurrentPage, true);
            p = st_.CurrentPage;
        }
    } while (p < st_.PageCount && !stopped());

    st_.SaveOnPageChange = true;
    st_.StopRequested = false;
    st_.Playing = false;
    showBars(true);
    player_.Close();
    // The verdict sound stays open, ready for the next question page.
    const QString shared = QDir(st_.ProgramDir).filePath(QStringLiteral("ShwCorct.wav"));
    if (QFile::exists(shared)) {
        player_.setDeviceType(DeviceType::WaveAudio);
        player_.setFileName(shared);
        player_.Open();
    }
    form_.MenuHide(true);
    emit lessonPlayed();
}

int PlayFromCommandLine(const CommandLine& cmd, QTextStream& err) {
    const QString programDir = defaultProgramDir(cmd.dataDir);
    qint64 lesson = 0;
    const QString problem = CommandLineLessonError(programDir, cmd.play, &lesson);
    if (!problem.isEmpty()) {
        err << "vellora: " << problem << Qt::endl;
        return 1;
    }
    QtDialogs dialogs;
    Application app(programDir, dialogs);
    if (!app.startUp()) return 1;
    dialogs.setParent(app.MainForm());
    app.show();
    app.MainForm()->FormActivate();
    app.lifecycle()->OpenLesson(lesson);
    if (!app.state().LessonOpen || app.state().LesnRegNum != lesson) {
        err << "vellora: " << texts::kPdfLessonNotOpened.arg(lesson).arg(app.MainForm()->pnlStatus->text()) << Qt::endl;
        app.finish();
        return 1;
    }
    // The play runs inside the event loop; the program ends with it.
    QTimer::singleShot(0, app.MainForm(), [&app] {
        app.playback()->FilePlayClick();
        QApplication::exit(0);
    });
    const int status = QApplication::exec();
    app.finish();
    return status;
}

}  // namespace vellora
