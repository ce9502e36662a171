#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vellora {

struct AppState;
class Dialogs;
class LessonLifecycle;
class MediaLayer;
class PageLayer;
class PageRows;
class TFrame;
class TMainForm;
class TTitleScreen;

// The sample lesson the program carries: its text, and for each page the
// narration, the words' stop times and the picture (made when the program
// is built, from tools/sample).
struct SampleText {
    struct Page {
        QString text;
        std::vector<qint64> times;  // entry 0: the leader's end; then each word's stop
        QString sound;              // resource paths
        QString picture;
    };
    struct Choice {
        QString text;
        int value = 0;
    };
    QString title;
    QString objective;
    // Further title-page fields by name ("AuthorFirst", "CopyRHolder", ...).
    std::vector<std::pair<QString, QString>> fields;
    std::vector<Page> pages;
    QString question;
    std::vector<Choice> choices;
};

// Reads the sample lesson's text (the build's sample.txt); nothing when it
// is missing or incomplete.
std::optional<SampleText> ReadSampleText(const QString& path);

// Installs a copy of the sample lesson as a new lesson through the program's
// own steps (a new lesson, its pages, their text, sounds, pictures and stop
// times, the question page's choices) and shows its title page.
class SampleLesson {
public:
    SampleLesson(AppState& state, TMainForm& form, LessonLifecycle& lifecycle, TTitleScreen& title, PageLayer& pages,
                 PageRows& rows, MediaLayer& media, TFrame& frame, Dialogs& dialogs);
    // Opens the copy installed earlier, or installs one when there is none.
    bool Open();
    // False, after telling the user why, when it could not be made.
    bool Install();

private:
    bool Install(const std::optional<SampleText>& sample);
    std::optional<qint64> installedCopy(const SampleText& sample) const;
    bool makePage(int number, const SampleText::Page& page);
    bool copy(const QString& resource, const QString& target);

    AppState& st_;
    TMainForm& form_;
    LessonLifecycle& lifecycle_;
    TTitleScreen& title_;
    PageLayer& pages_;
    PageRows& rows_;
    MediaLayer& media_;
    TFrame& frame_;
    Dialogs& dialogs_;
};

}  // namespace vellora
