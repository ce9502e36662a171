#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "AboutBox.h"
#include "Diagram.h"
#include "DomainTexts.h"
#include "FakePages.h"
#include "HelpWindow.h"
#include "KeyPreview.h"
#include "MainMenu.h"
#include "Navigation.h"
#include "ShellWindows.h"
#include "StartedApp.h"
#include "TFrame.h"
#include "ToolStripWidget.h"

using namespace vellora;
using namespace vellora::testing;
using Tools = AppWithPages;
using Menus = AppWithPages;
using Keys = AppWithPages;

TEST_F(Keys, F1ShowsTheTopicOfTheCurrentDomainInTheHelpWindow) {
    HelpWindow* help = s.app->Help();
    ASSERT_NE(help, nullptr);
    pages.makeLesson(1);
    pages.pages[1].kind = QStringLiteral("q");
    pages.load(1);

    QTest::keyClick(f.BtnNext, Qt::Key_F1);  // Start
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentTopic(), 400);
    f.Icons(22);
    QTest::keyClick(f.Frame, Qt::Key_F1);
    EXPECT_EQ(help->currentTopic(), 422);
    f.Icons(7);
    auto* edit = new QLineEdit(f.TitleScreen);
    edit->show();
    QTest::keyClick(edit, Qt::Key_F1);  // also from inside a text field
    EXPECT_EQ(help->currentTopic(), 407);
    EXPECT_EQ(f.HelpContext(), 407);
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(Keys, LetterUAsksForHelpUnlessItIsTyped) {
    FakeHelp help;
    f.setHelpViewer(&help);
    pages.makeLesson(1);
    f.Icons(3);
    auto* edit = new QLineEdit(f.TitleScreen);
    edit->show();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("Ruth"));
    EXPECT_EQ(edit->text(), QStringLiteral("Ruth"));
    EXPECT_TRUE(help.topics.empty());

    auto* button = new QPushButton(f.TitleScreen);
    button->show();
    QTest::keyClick(button, Qt::Key_U);
    EXPECT_EQ(help.topics, std::vector<int>{403});

    // With only the blank screen showing, u is no help key.
    f.Icons(0);
    QTest::keyClick(f.BtnNext, Qt::Key_U);
    EXPECT_EQ(help.topics, std::vector<int>{403});
    EXPECT_FALSE(KeyPreview::isTextEntry(button));
    edit->setReadOnly(true);
    EXPECT_FALSE(KeyPreview::isTextEntry(edit));
}

TEST_F(Keys, EscapeOnTheTitleOrThePageRequestsAStop) {
    pages.makeLesson(1);
    f.Icons(2);
    QTest::keyClick(f.TitleScreen, Qt::Key_Escape);
    EXPECT_TRUE(st.StopRequested);
    st.StopRequested = false;
    pages.load(1);
    f.Icons(9);
    auto* edit = new QLineEdit(f.Frame);
    edit->show();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(st.StopRequested);
    // Other keys still reach the focused control.
    QTest::keyClicks(edit, QStringLiteral("abc"));
    EXPECT_EQ(edit->text(), QStringLiteral("abc"));
    st.StopRequested = false;
    f.Icons(0);
    QTest::keyClick(f.BtnNext, Qt::Key_Escape);
    EXPECT_FALSE(st.StopRequested);
}

TEST(HelpMenu, ContentsSearchTutorialAndAbout) {
    StartedApp s;
    TMainForm& f = s.form();
    FakeHelp help;
    f.setHelpViewer(&help);
    f.MainMenu1->action(MenuItem::HelpContents)->trigger();
    f.MainMenu1->action(MenuItem::HelpTutorial)->trigger();
    f.MainMenu1->action(MenuItem::HelpSearch)->trigger();
    EXPECT_EQ(help.topics, (std::vector<int>{501, 0}));
    EXPECT_EQ(help.searches, 1);
    EXPECT_EQ(f.HelpContext(), 504);
    s.dialogs.expectDialog(QStringLiteral("AboutBox"), [](QObject*) { return int(QDialog::Accepted); });
    f.MainMenu1->action(MenuItem::HelpAbout)->trigger();
    EXPECT_TRUE(s.dialogs.done());
    // Help buttons of the dialogs open their topics.
    QTest::mouseClick(s.app->dlgDiagram()->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(help.topics.back(), 28);
    f.setHelpViewer(nullptr);
    f.ContextHelp();  // no viewer: nothing happens
}

TEST_F(Tools, ButtonsThatEnterADomainFirst) {
    FakeMedia media(f);
    pages.makeLesson(2);
    pages.pages[2].kind = QStringLiteral("q");
    pages.load(1);
    f.Icons(15);
    auto click = [&](Tool t) {
        ASSERT_TRUE(f.Slider->button(t)->isVisible()) << TToolStrip::name(t) << " in " << st.CurrentDomain;
        QTest::mouseClick(f.Slider->button(t), Qt::LeftButton);
    };
    click(Tool::btnPictSel);
    EXPECT_EQ(st.CurrentDomain, 9);
    click(Tool::btnPictViw);
    f.Icons(15);
    click(Tool::btnVideoSel);
    EXPECT_EQ(st.CurrentDomain, 10);
    click(Tool::btnVideoViw);
    EXPECT_EQ(media.calls, (QStringList{"SelectPicture", "ShowPagePicture", "SelectVideo", "ShowPageVideo"}));

    // On a question page the picture and video domains are the question's.
    pages.ChangePage(2, 16);
    click(Tool::btnPictSel);
    EXPECT_EQ(st.CurrentDomain, 16);
    pages.currentChoice = 4;
    pages.choiceCount = 2;
    // Both choice tools enter the Choice domain.
    click(Tool::btnChoices1);
    EXPECT_EQ(st.CurrentDomain, 20);
    EXPECT_EQ(pages.currentChoice, 1);
    pages.currentChoice = 2;
    click(Tool::btnChoice1);
    EXPECT_EQ(st.CurrentDomain, 20);
    EXPECT_EQ(pages.currentChoice, 2);
    click(Tool::btnRespond1);
    EXPECT_EQ(st.CurrentDomain, 21);
    click(Tool::btnQPage);
    EXPECT_EQ(st.CurrentDomain, 22);
    click(Tool::btnQuestion);
    EXPECT_EQ(st.CurrentDomain, 18);
    media.calls.clear();
    click(Tool::btnMic2);
    click(Tool::btnSoundSel);
    click(Tool::btnSoundView);
    EXPECT_EQ(media.calls, (QStringList{"RecordSound", "SelectSound", "PlaySound"}));

    // The text tool and the align tool on the reading page.
    pages.ChangePage(1, 12);
    click(Tool::btnAlign);
    EXPECT_EQ(pages.aligns, 1);
    click(Tool::btnText1);
    EXPECT_EQ(st.CurrentDomain, 11);
}

TEST_F(Tools, NewMakesALessonOrAPageOfTheKindInHand) {
    int newLessons = 0;
    QObject::connect(&f, &TMainForm::newLessonRequested, [&] { ++newLessons; });
    QTest::mouseClick(f.Slider->button(Tool::btnNew), Qt::LeftButton);  // Start, no lesson
    EXPECT_EQ(newLessons, 1);
    pages.makeLesson(3);
    pages.load(3);
    f.Icons(15);
    QTest::mouseClick(f.Slider->button(Tool::btnNew), Qt::LeftButton);
    EXPECT_EQ(pages.made, std::vector<int>{4});
    EXPECT_EQ(st.NewPageKind, QStringLiteral("r"));
    EXPECT_EQ(st.CurrentPage, 4);
    EXPECT_EQ(st.CurrentDomain, 9);
    st.NewPageKind = QStringLiteral("q");  // as the new-page dialog last left it
    f.Icons(12);
    QTest::mouseClick(f.Slider->button(Tool::btnNew), Qt::LeftButton);
    EXPECT_EQ(pages.made, (std::vector<int>{4, 5}));
    EXPECT_EQ(st.CurrentDomain, 16);
    EXPECT_EQ(newLessons, 1);
}

TEST_F(Tools, VideoControlSwapsItsButtons) {
    pages.makeLesson(1);
    pages.load(1);
    f.Icons(10);
    QToolButton* on = f.Slider->button(Tool::btnVidCtlOn);
    QToolButton* off = f.Slider->button(Tool::btnVidCtlOf);
    ASSERT_TRUE(on->isVisible());
    EXPECT_FALSE(off->isVisible());
    QTest::mouseClick(on, Qt::LeftButton);
    EXPECT_TRUE(pages.videoControl);
    EXPECT_TRUE(off->isVisible());
    EXPECT_FALSE(on->isVisible());
    EXPECT_EQ(off->x(), on->x());
    // Entering a domain again keeps the page's choice.
    f.Icons(15);
    EXPECT_TRUE(off->isVisible());
    QTest::mouseClick(off, Qt::LeftButton);
    EXPECT_FALSE(pages.videoControl);
    EXPECT_TRUE(on->isVisible());
}

TEST_F(Tools, LessonBackgroundPanel) {
    FakeMedia media(f);
    pages.makeLesson(0);
    f.Icons(1);
    QToolButton* wallpaper = f.Slider->button(Tool::btnWalPaper);
    QTest::mouseClick(wallpaper, Qt::LeftButton);
    ASSERT_TRUE(f.BackPanel->isVisible());
    EXPECT_EQ(f.BackPanel->x(), f.Slider->x() + wallpaper->x());
    EXPECT_EQ(f.BackPanel->y(), f.pnlSetStyle->y());

    // Wallpaper chosen by the author, but the choice cancelled and no file yet.
    media.wallpaperFile = s.tmp.file(QStringLiteral("B0000001.BMP"));
    QTest::mouseClick(f.rbWallpaper, Qt::LeftButton);
    EXPECT_EQ(f.BackgroundIndex(), 0);
    EXPECT_FALSE(f.Browse->isEnabled());
    EXPECT_TRUE(pages.wallpaper.isEmpty());

    // A picture put in place: the wallpaper shows and can be browsed again.
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(media.wallpaperFile, "BMP"));
    media.pictureChosen = true;
    QTest::mouseClick(f.rbWallpaper, Qt::LeftButton);
    EXPECT_EQ(f.BackgroundIndex(), 2);
    EXPECT_TRUE(f.Browse->isEnabled());
    EXPECT_TRUE(f.imWallPaper->isVisibleTo(f.BackPanel));
    EXPECT_EQ(pages.wallpaper, media.wallpaperFile);
    QTest::mouseClick(f.Browse, Qt::LeftButton);
    EXPECT_EQ(media.calls.count(QStringLiteral("SelectPicture")), 3);

    QTest::mouseClick(f.rbPlain, Qt::LeftButton);
    EXPECT_FALSE(f.Browse->isEnabled());
    EXPECT_TRUE(pages.wallpaper.isEmpty());

    // Loading a lesson: its wallpaper file is used without asking.
    media.calls.clear();
    st.LoadingLesson = true;
    f.SetBackgroundIndex(2);
    st.LoadingLesson = false;
    EXPECT_FALSE(media.calls.contains(QStringLiteral("SelectPicture")));
    EXPECT_EQ(pages.wallpaper, media.wallpaperFile);
    QFile::remove(media.wallpaperFile);
    st.LoadingLesson = true;
    f.SetBackgroundIndex(2);
    st.LoadingLesson = false;
    EXPECT_EQ(f.BackgroundIndex(), 0);
    f.SetBackgroundIndex(-1);
    EXPECT_EQ(f.BackgroundIndex(), -1);
}

TEST_F(Menus, ItemsReachTheirOperations) {
    FakeMedia media(f);
    QStringList signalled;
    QObject::connect(&f, &TMainForm::newLessonRequested, [&] { signalled << "new"; });
    QObject::connect(&f, &TMainForm::fileOpenRequested, [&] { signalled << "open"; });
    QObject::connect(&f, &TMainForm::new1Requested, [&] { signalled << "new1"; });
    QObject::connect(&f, &TMainForm::exportRequested, [&] { signalled << "export"; });
    QObject::connect(&f, &TMainForm::readRequested, [&] { signalled << "read"; });
    TMainMenu& menu = *f.MainMenu1;
    menu.action(MenuItem::FileNew)->trigger();  // a lesson is made
    s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"), [](QObject*) { return int(QDialog::Rejected); });
    menu.action(MenuItem::FileOpen)->trigger();
    menu.action(MenuItem::PageNew)->trigger();
    // Export asks for its destination first; cancelling it ends the export.
    s.dialogs.expectDialog(QStringLiteral("DirectorySelector"), [](QObject*) { return int(QDialog::Rejected); });
    menu.action(MenuItem::ExportToDisk)->trigger();
    EXPECT_EQ(signalled, (QStringList{"new", "open", "new1", "export"}));

    // Editing commands act on a page only.
    pages.makeLesson(1);
    f.Icons(2);
    menu.action(MenuItem::EditCopy)->trigger();
    menu.action(MenuItem::TextOpen)->trigger();
    EXPECT_TRUE(pages.edits.empty());
    EXPECT_TRUE(pages.textFiles.empty());
    pages.load(1);
    f.Icons(11);
    EXPECT_TRUE(menu.action(MenuItem::EditMenu)->isVisible());
    EXPECT_TRUE(menu.action(MenuItem::WordsMenu)->isVisible());
    menu.action(MenuItem::EditCopy)->trigger();
    menu.action(MenuItem::TextSaveAs)->trigger();
    EXPECT_EQ(pages.edits, std::vector<EditCommand>{EditCommand::Copy});
    EXPECT_EQ(pages.textFiles, std::vector<TextFileCommand>{TextFileCommand::SaveAs});
    menu.action(MenuItem::WordsSynchro)->trigger();
    EXPECT_EQ(st.CurrentDomain, 14);
    EXPECT_FALSE(menu.action(MenuItem::EditMenu)->isVisible());
    menu.action(MenuItem::WordsRead)->trigger();
    EXPECT_EQ(signalled.last(), QStringLiteral("read"));

    s.dialogs.expect(MsgKind::Information, texts::kInsertPageRefused);
    menu.action(MenuItem::PageInsert)->trigger();
    s.dialogs.expect(MsgKind::Information, texts::kDeletePageRefused);
    menu.action(MenuItem::PageDelete)->trigger();
    menu.action(MenuItem::StopAtEndOfPage)->trigger();
    EXPECT_TRUE(st.StopRequested);

    // Lesson play: only the Stop menu, and the domain's menus afterwards.
    st.Playing = true;
    f.MenuHide(false);
    f.Icons(15);
    EXPECT_TRUE(menu.action(MenuItem::StopMenu)->isVisible());
    EXPECT_FALSE(menu.action(MenuItem::FileMenu)->isVisible());
    st.Playing = false;
    f.MenuHide(true);
    EXPECT_FALSE(menu.action(MenuItem::StopMenu)->isVisible());
    EXPECT_TRUE(menu.action(MenuItem::FileMenu)->isVisible());
    EXPECT_FALSE(menu.action(MenuItem::QuestionMenu)->isVisible());
    EXPECT_TRUE(menu.action(MenuItem::FilePrint)->isVisible());  // domain 15
}
