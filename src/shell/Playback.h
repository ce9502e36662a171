#pragma once

#include <QObject>

class QTextStream;

namespace vellora {

struct AppState;
class MediaDevice;
class MediaLayer;
class PageLayer;
class TFrame;
class TMainForm;

// Playing what the author made: the words of a page (the read tool), one
// page (Page > Play) or the whole lesson from its title page (File > Play),
// as a learner meets it. Every wait runs the event loop through the one wait
// helper, so Esc, Stop > At End Of Page and closing the window reach the
// play through the shared flags; no wait outlasts its sound, its video or
// the window.
class Playback : public QObject {
    Q_OBJECT
public:
    Playback(AppState& state, TMainForm& form, PageLayer& pages, MediaLayer& media, TFrame& frame,
             MediaDevice& player);

    void FilePlayClick();
    void PagePlayClick();
    // Plays the page on screen; `lessonMode` hides the bars as lesson play does.
    void PlayPage(int pageNumber, bool lessonMode);
    // The words and video of a reading page a question action has shown.
    void PlayQuestionPage();

signals:
    // A whole-lesson play has ended (by itself or stopped).
    void lessonPlayed();

private:
    // A play ends at once when the learner asked to stop or the window closes.
    bool stopped() const;
    // Runs the event loop while the player plays (a sound or a video).
    void waitForPlayer();
    void playVideo();
    void showBars(bool show);

    AppState& st_;
    TMainForm& form_;
    PageLayer& pages_;
    MediaLayer& media_;
    TFrame& frame_;
    MediaDevice& player_;
};

struct CommandLine;

// `vellora --play LESSON`: opens the lesson and plays it from its title page
// as File > Play does, for a learner who never sees the authoring tools, and
// ends the program when the play ends. Answers the exit status; a lesson
// that cannot be played is one line on `err`.
int PlayFromCommandLine(const CommandLine& cmd, QTextStream& err);

}  // namespace vellora
