#include "ShellActions.h"

#include <QDir>
#include <QFile>
#include <QPixmap>

#include "Diagram.h"
#include "Dialogs.h"
#include "DomainTexts.h"
#include "MainMenu.h"
#include "Navigation.h"
#include "PageOperations.h"
#include "TMainForm.h"
#include "ToolStripWidget.h"

namespace vellora {
namespace {

constexpr int kHelpContents = 501;
constexpr int kHelpSearch = 504;
constexpr int kHelpTutorial = 0;

}  // namespace

ShellActions::ShellActions(TMainForm& form) : QObject(&form), form_(form) {
    setObjectName(QStringLiteral("ShellActions"));
    wireTools();
    wireMenus();
    for (QRadioButton* rb : {form_.rbPlain, form_.rbGradient, form_.rbWallpaper})
        connect(rb, &QRadioButton::clicked, this, &ShellActions::rgBackgroundClick);
    connect(form_.Browse, &QPushButton::clicked, this, &ShellActions::BrowseClick);
}

void ShellActions::wireTools() {
    TToolStrip* strip = form_.Slider;
    DomainNavigator& nav = form_.navigator();
    auto on = [&](Tool t, auto&& handler) { connect(strip->button(t), &QToolButton::clicked, this, handler); };
    on(Tool::btnExit, [&nav] { nav.btnExitClick(); });
    on(Tool::btnReturn, [&nav] { nav.btnReturnClick(); });
    on(Tool::btnContinue, [&nav] { nav.btnContinueClick(); });
    on(Tool::btnNew, [&nav] { nav.btnNewClick(); });
    on(Tool::btnPrint, [this] { emit form_.printRequested(); });
    on(Tool::btnText1, [&nav] { nav.RequestDomain(11); });
    on(Tool::btnWalPaper, [this] { btnWalPaperClick(); });
    on(Tool::btnAlign, [this] { form_.pages().AlignWurds(); });
    on(Tool::btnQuestion, [&nav] { nav.Icons(18); });
    on(Tool::btnChoices1, [this] { enterChoiceDomain(20); });
    on(Tool::btnChoice1, [this] { enterChoiceDomain(20); });
    on(Tool::btnRespond1, [&nav] { nav.Icons(21); });
    on(Tool::btnQPage, [&nav] { nav.Icons(22); });
    on(Tool::btnPictSel, [this] {
        enterPictureDomain();
        if (MediaOperations* m = form_.media()) m->SelectPicture();
    });
    on(Tool::btnPictViw, [this] {
        enterPictureDomain();
        if (MediaOperations* m = form_.media()) m->ShowPagePicture();
    });
    on(Tool::btnMic2, [this] {
        if (MediaOperations* m = form_.media()) m->RecordSound();
    });
    on(Tool::btnStop, [this] {
        if (MediaOperations* m = form_.media()) m->StopRecordSound();
    });
    on(Tool::btnSoundSel, [this] {
        if (MediaOperations* m = form_.media()) m->SelectSound();
    });
    on(Tool::btnSoundView, [this] {
        if (MediaOperations* m = form_.media()) m->PlaySound();
    });
    on(Tool::btnVideoSel, [this] {
        enterVideoDomain();
        if (MediaOperations* m = form_.media()) m->SelectVideo();
    });
    on(Tool::btnVideoViw, [this] {
        enterVideoDomain();
        if (MediaOperations* m = form_.media()) m->ShowPageVideo();
    });
    on(Tool::btnVidCtlOn, [this] { btnVidCtlOnClick(); });
    on(Tool::btnVidCtlOf, [this] { btnVidCtlOfClick(); });
    on(Tool::btnRead3, [this] { emit form_.readRequested(); });
    // The four font tools open the text-attribute pop-ups, wired where those live.
}

void ShellActions::wireMenus() {
    TMainMenu* menu = form_.MainMenu1;
    DomainNavigator& nav = form_.navigator();
    auto on = [&](MenuItem item, auto&& handler) { connect(menu->action(item), &QAction::triggered, this, handler); };
    using M = MenuItem;
    on(M::FileNew, [this] { emit form_.newLessonRequested(); });
    on(M::FileOpen, [this] { emit form_.fileOpenRequested(); });
    on(M::FilePlay, [this] { emit form_.filePlayRequested(); });
    on(M::FileDelete, [this] { emit form_.fileDeleteRequested(); });
    on(M::FileSave, [this] { form_.SaveAll(); });
    on(M::FilePrinterSetup, [this] { emit form_.printerSetupRequested(); });
    on(M::FilePrint, [this] { emit form_.printRequested(); });
    on(M::ExportToDisk, [this] { emit form_.exportRequested(); });
    on(M::ImportFromDisk, [this] { emit form_.importRequested(); });
    on(M::FileExit, [this] { form_.ShutDown(); });
    menu->action(M::ExportToDisk)->setProperty("helpContext", 2);
    menu->action(M::ImportFromDisk)->setProperty("helpContext", 3);

    // Text editing reaches the page window only on a page.
    const std::pair<M, EditCommand> edits[] = {{M::EditCut, EditCommand::Cut},
                                               {M::EditCopy, EditCommand::Copy},
                                               {M::EditPaste, EditCommand::Paste},
                                               {M::EditDelete, EditCommand::Delete},
                                               {M::EditSelectAll, EditCommand::SelectAll}};
    for (const auto& [item, command] : edits)
        on(item, [this, command = command] {
            if (form_.state().CurrentPage > 0) form_.pages().EditText(command);
        });
    const std::pair<M, TextFileCommand> files[] = {{M::TextNew, TextFileCommand::New},
                                                   {M::TextOpen, TextFileCommand::Open},
                                                   {M::TextSave, TextFileCommand::Save},
                                                   {M::TextSaveAs, TextFileCommand::SaveAs}};
    for (const auto& [item, command] : files)
        on(item, [this, command = command] {
            if (form_.state().CurrentPage > 0) form_.pages().TextFile(command);
        });
    on(M::TextEdit, [&nav] { nav.lbDomainClick(); });

    on(M::PageNew, [this] { emit form_.new1Requested(); });
    on(M::PageInsert, [this] { form_.dialogs().information(texts::kInsertPageRefused); });
    on(M::PageDelete, [this] { form_.dialogs().information(texts::kDeletePageRefused); });
    on(M::PagePlay, [this] { emit form_.pagePlayRequested(); });
    on(M::PageNext, [&nav] { nav.SpinButton1UpClick(); });
    on(M::PageBack, [&nav] { nav.SpinButton1DownClick(); });

    on(M::WordsEdit, [&nav] { nav.Icons(12); });
    on(M::WordsRead, [this] { emit form_.readRequested(); });
    on(M::WordsSound, [this] {
        if (MediaOperations* m = form_.media()) m->SelectSound();
    });
    on(M::WordsSynchro, [&nav] { nav.Icons(14); });
    on(M::WordsAlign, [this] { emit form_.alignRequested(); });
    on(M::StopAtEndOfPage, [this] { form_.state().StopRequested = true; });
    on(M::QuestionStimulus, [this, &nav] {
        if (form_.state().LessonOpen) nav.Icons(18);
    });

    on(M::HelpContents, [this] { form_.showHelpTopic(kHelpContents); });
    on(M::HelpSearch, [this] { form_.HelpSearch(kHelpSearch); });
    on(M::HelpDiagram, [this] { form_.miDiagramClick(); });
    on(M::HelpTutorial, [this] { form_.showHelpTopic(kHelpTutorial); });
    on(M::HelpAbout, [this] { form_.About1Click(); });
}

void ShellActions::enterPictureDomain() {
    form_.navigator().Icons(DomainGroup(form_.state().CurrentDomain) == 3 ? 16 : 9);
}

void ShellActions::enterVideoDomain() {
    form_.navigator().Icons(DomainGroup(form_.state().CurrentDomain) == 3 ? 17 : 10);
}

void ShellActions::enterChoiceDomain(int domain) {
    PageOperations& pages = form_.pages();
    const int choice = pages.CurrentChoice();
    if (choice < 1 || choice > pages.ChoiceCount()) pages.SetCurrentChoice(1);
    form_.navigator().Icons(domain);
}

void ShellActions::btnVidCtlOnClick() {
    form_.pages().SetVideoControl(true);
    form_.Slider->ShowVideoControl(true);
}

void ShellActions::btnVidCtlOfClick() {
    form_.pages().SetVideoControl(false);
    form_.Slider->ShowVideoControl(false);
}

void ShellActions::btnWalPaperClick() {
    form_.CleanUp();
    QWidget* button = form_.Slider->button(Tool::btnWalPaper);
    form_.BackPanel->move(form_.Slider->x() + button->x(), form_.pnlSetStyle->y());
    form_.BackPanel->show();
    form_.BackPanel->raise();
}

void ShellActions::showWallpaper(const QString& path) {
    const bool shown = !path.isEmpty();
    form_.Browse->setEnabled(shown);
    if (shown) form_.imWallPaper->setPixmap(QPixmap(path));
    form_.imWallPaper->setVisible(shown);
    form_.pages().SetWallpaper(path);
}

void ShellActions::rgBackgroundClick() {
    AppState& st = form_.state();
    if (form_.BackgroundIndex() < 0) form_.rbPlain->setChecked(true);
    QString wallpaper;
    MediaOperations* media = form_.media();
    if (form_.rbWallpaper->isChecked() && media) {
        const QString file = media->MediaFileName(1, 0);
        if (st.LoadingLesson) {
            if (QFile::exists(file)) wallpaper = file;
        } else if (media->SelectPicture() || QFile::exists(file)) {
            wallpaper = file;
        }
        // A wallpaper with no picture is no wallpaper at all.
        if (wallpaper.isEmpty()) form_.rbPlain->setChecked(true);
    } else if (form_.rbWallpaper->isChecked()) {
        form_.rbPlain->setChecked(true);
    }
    showWallpaper(wallpaper);
    if (form_.rbGradient->isChecked()) {
        const QString gradient = QDir(st.ProgramDir).filePath(QStringLiteral("gradient.bmp"));
        if (QFile::exists(gradient)) form_.imWallPaper->setPixmap(QPixmap(gradient));
        form_.imWallPaper->show();
    }
}

void ShellActions::BrowseClick() {
    MediaOperations* media = form_.media();
    if (media && media->SelectPicture()) showWallpaper(media->MediaFileName(1, 0));
}

}  // namespace vellora
