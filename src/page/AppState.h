#pragma once

#include <QString>

namespace vellora {

// The run-time state of the main window: one instance for the whole program,
// shared by reference with the collaborators that read or change it. The
// current registration numbers and media flags are plain fields here.
struct AppState {
    bool LessonOpen = false;
    int CurrentPage = 0;  // 0 is the title page; change it through TMainForm::SetCurrentPage
    int PageCount = 0;
    // The page number last asked of the page change, and the number of the
    // page row loaded last.
    int RequestedPage = 0;
    int LoadedPageNumber = 0;
    static constexpr int ProgramDataVersion = 12;
    int LastReadingPage = -1;
    int LastQuestionPage = -1;
    QString ProgramDir;  // the data root, without a trailing separator
    int CurrentDomain = 0;
    // Kind of the next new page, "r" or "q", as the new-page dialog left it;
    // empty until that dialog was first answered Yes.
    QString NewPageKind;
    // A lesson record is being loaded into the screens.
    bool LoadingLesson = false;

    bool DisplayEnabled = false;
    bool TitleShown = false;
    bool FrameShown = false;
    bool ResizeEnabled = false;
    bool Closing = false;
    bool AppEnded = false;
    bool ForceDomainRefresh = false;
    bool SaveOnPageChange = true;
    bool StyleEventsEnabled = true;
    bool CleaningUp = false;
    bool SavingSuspended = false;

    // Play flags: long operations notice each other through these.
    bool Playing = false;
    bool StopRequested = false;
    bool JumpPending = false;
    bool AwaitingAnswer = false;

    int BaseWidth = 0;
    int BaseHeight = 0;

    // Current registration numbers and the open lesson's media directory.
    qint64 LesnRegNum = 0;
    qint64 PageRegNum = 0;
    qint64 WurdRegNum = 0;
    qint64 ChoiceRegNum = 0;
    QString DirPath;
    qint64 MediaPosition = 0;

    // Which media files the current lesson or page has.
    bool cbTitleSound = false;
    bool cbPicture = false;
    bool cbVideo = false;
    bool cbTextSound = false;
};

}  // namespace vellora
