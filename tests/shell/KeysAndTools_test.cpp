// The main window's keys, help menu, tool buttons and menus; the text
// attribute tools: font, size, colour and style, with their pop-ups; the help
// topics, their search and the help window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include "ColorGrid.h"
#include "Controls.h"
#include "Diagram.h"
#include "DomainTable.h"
#include "DomainTexts.h"
#include "Domains.h"
#include "HelpIndex.h"
#include "HelpTopics.h"
#include "HelpWindow.h"
#include "KeyPreview.h"
#include "LessonSession.h"
#include "TTitleScreen.h"
#include "TUtil.h"
#include "Table.h"
#include "TextCodes.h"
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

// Typing u and Esc into a title field are covered with the title screen.
TEST_F(Keys, UAsksForHelpAndEscForAStopButNotOnTheBlankScreen) {
    FakeHelp help;
    f.setHelpViewer(&help);
    pages.makeLesson(1);
    f.Icons(3);
    auto* button = new QPushButton(f.TitleScreen);
    button->show();
    QTest::keyClick(button, Qt::Key_U);
    EXPECT_EQ(help.topics, std::vector<int>{403});
    EXPECT_FALSE(KeyPreview::isTextEntry(button));
    auto* readOnly = new QLineEdit(f.TitleScreen);
    readOnly->setReadOnly(true);
    EXPECT_FALSE(KeyPreview::isTextEntry(readOnly));

    pages.load(1);
    f.Icons(9);
    auto* edit = new QLineEdit(f.Frame);
    edit->show();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(st.StopRequested);
    // Other keys still reach the focused control.
    QTest::keyClicks(edit, QStringLiteral("abc"));
    EXPECT_EQ(edit->text(), QStringLiteral("abc"));

    // With only the blank screen showing, neither is a command.
    st.StopRequested = false;
    f.Icons(0);
    QTest::keyClick(f.BtnNext, Qt::Key_U);
    QTest::keyClick(f.BtnNext, Qt::Key_Escape);
    EXPECT_EQ(help.topics, std::vector<int>{403});
    EXPECT_FALSE(st.StopRequested);
}

TEST_F(Tools, ButtonsThatEnterADomainFirst) {
    FakeMedia media(f);
    pages.makeLesson(2);
    pages.pages[2].kind = QStringLiteral("q");
    const struct {
        int page, domain;  // changed to, or entered, first; 0: as it is
        Tool tool;
        int entered;
        const char* call;  // asked of the media tools
        int choice[2];     // the current choice before and after; 0: not checked
    } steps[] = {
        {1, 15, Tool::btnPictSel, 9, "SelectPicture", {}},
        {0, 0, Tool::btnPictViw, 9, "ShowPagePicture", {}},
        {0, 15, Tool::btnVideoSel, 10, "SelectVideo", {}},
        {0, 0, Tool::btnVideoViw, 10, "ShowPageVideo", {}},
        // On a question page the picture and video domains are the question's.
        {2, 16, Tool::btnPictSel, 16, "SelectPicture", {}},
        // Both choice tools enter the Choice domain, on a choice that shows.
        {0, 0, Tool::btnChoices1, 20, nullptr, {4, 1}},
        {0, 0, Tool::btnChoice1, 20, nullptr, {2, 2}},
        {0, 0, Tool::btnRespond1, 21, nullptr, {}},
        {0, 0, Tool::btnQPage, 22, nullptr, {}},
        {0, 0, Tool::btnQuestion, 18, nullptr, {}},
        {0, 0, Tool::btnMic2, 18, "RecordSound", {}},
        {0, 0, Tool::btnSoundSel, 18, "SelectSound", {}},
        {0, 0, Tool::btnSoundView, 18, "PlaySound", {}},
        {1, 12, Tool::btnAlign, 12, nullptr, {}},
        {0, 0, Tool::btnText1, 11, nullptr, {}},
    };
    for (const auto& c : steps) {
        if (c.page)
            pages.ChangePage(c.page, c.domain);
        else if (c.domain)
            f.Icons(c.domain);
        if (c.choice[0]) pages.currentChoice = c.choice[0];
        media.calls.clear();
        QToolButton* b = f.Slider->button(c.tool);
        ASSERT_TRUE(b->isVisible()) << TToolStrip::name(c.tool) << " in " << st.CurrentDomain;
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(st.CurrentDomain, c.entered) << TToolStrip::name(c.tool);
        EXPECT_EQ(media.calls, c.call ? QStringList{c.call} : QStringList())
            << TToolStrip::name(c.tool);
        EXPECT_TRUE(!c.choice[1] || pages.currentChoice == c.choice[1]) << TToolStrip::name(c.tool);
    }
    EXPECT_EQ(pages.aligns, 1);
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
    QTest::mouseClick(on, Qt::LeftButton);
    EXPECT_TRUE(pages.videoControl);
    EXPECT_FALSE(on->isVisible());
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
    FakeHelp help;
    f.setHelpViewer(&help);
    TMainMenu& menu = *f.MainMenu1;
    menu.action(MenuItem::HelpContents)->trigger();
    menu.action(MenuItem::HelpTutorial)->trigger();
    menu.action(MenuItem::HelpSearch)->trigger();
    EXPECT_EQ(help.topics, (std::vector<int>{501, 0}));
    EXPECT_EQ(help.searches, 1);
    EXPECT_EQ(f.HelpContext(), 504);
    // Help buttons of the dialogs open their topics.
    QTest::mouseClick(s.app->dlgDiagram()->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(help.topics.back(), 28);
    f.setHelpViewer(nullptr);

    QStringList signalled;
    QObject::connect(&f, &TMainForm::newLessonRequested, [&] { signalled << "new"; });
    QObject::connect(&f, &TMainForm::fileOpenRequested, [&] { signalled << "open"; });
    QObject::connect(&f, &TMainForm::new1Requested, [&] { signalled << "new1"; });
    QObject::connect(&f, &TMainForm::exportRequested, [&] { signalled << "export"; });
    QObject::connect(&f, &TMainForm::readRequested, [&] { signalled << "read"; });
    EXPECT_FALSE(menu.action(MenuItem::FileSave)->isVisible());  // no lesson yet
    menu.action(MenuItem::FileNew)->trigger();                   // a lesson is made
    s.dialogs.expectDialog(QStringLiteral("DlgOpenLesson"),
                           [](QObject*) { return int(QDialog::Rejected); });
    menu.action(MenuItem::FileOpen)->trigger();
    menu.action(MenuItem::PageNew)->trigger();
    // Export asks for its destination first; cancelling it ends the export.
    s.dialogs.expectDialog(QStringLiteral("DirectorySelector"),
                           [](QObject*) { return int(QDialog::Rejected); });
    menu.action(MenuItem::ExportToDisk)->trigger();
    EXPECT_EQ(signalled, (QStringList{"new", "open", "new1", "export"}));

    // Editing commands act on a page only, as do the page items.
    pages.makeLesson(1);
    f.Icons(2);
    EXPECT_TRUE(menu.action(MenuItem::FileSave)->isVisible());
    EXPECT_FALSE(menu.action(MenuItem::PageDelete)->isVisible());
    menu.action(MenuItem::EditCopy)->trigger();
    menu.action(MenuItem::TextOpen)->trigger();
    EXPECT_TRUE(pages.edits.empty());
    EXPECT_TRUE(pages.textFiles.empty());
    pages.load(1);
    f.Icons(11);
    EXPECT_TRUE(menu.action(MenuItem::EditMenu)->isVisible());
    EXPECT_TRUE(menu.action(MenuItem::WordsMenu)->isVisible());
    EXPECT_TRUE(menu.action(MenuItem::PageDelete)->isVisible());
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
}

// The codes of saved styles: FileSave and Pages tests; a stored code that
// means nothing is plain.
TEST(StyleCode, AnythingButTheEightCodesIsPlain) {
    for (qint64 meaningless : {2LL, 5LL, 12LL, 102LL, 1000LL, -1LL, -100LL, 11111LL})
        EXPECT_EQ(StyleOfCode(meaningless), TextStyle{}) << meaningless;
}

namespace {

// A new lesson in a data directory of its own.
struct Attributes : ::testing::Test {
    TempDir tmp;
    LessonSession s{tmp.path()};
    TMainForm& f = s.form();
    TTitleScreen& t = s.title();
    void SetUp() override { s.life().FileNewClick(); }
};

}  // namespace

TEST_F(Attributes, FontToolShowsAStandInForAMissingFontAndSetsTheChosenOne) {
    s.attributes().btnFont1Click();
    EXPECT_TRUE(f.FontCombo->isVisible());
    // The title is in "Arial", which the machine lacks: the list shows its stand-in.
    const QString standIn = QFontInfo(QFont(QStringLiteral("Arial"))).family();
    EXPECT_EQ(f.FontCombo->currentText(), standIn);
    EXPECT_EQ(f.editFont->text(), QStringLiteral("Arial"));
    EXPECT_EQ(t.memTitle->font().family(), QStringLiteral("Arial"));

    const int serif = f.FontCombo->findText(QStringLiteral("DejaVu Serif"));
    ASSERT_GE(serif, 0);
    emit f.FontCombo->activated(serif);
    EXPECT_EQ(t.memTitle->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(f.editFont->text(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(f.editFont->font().family(), QStringLiteral("DejaVu Serif"));

    // The author names change together.
    f.Icons(4);
    s.attributes().btnFont1Click();
    emit f.FontCombo->activated(serif);
    for (QLineEdit* e : {t.DBeditFirst, t.DBeditMiddle, t.DBeditLast})
        EXPECT_EQ(e->font().family(), QStringLiteral("DejaVu Serif"));
    // The other pop-ups closed when this one opened.
    s.attributes().btnColor1Click();
    EXPECT_FALSE(f.FontCombo->isVisible());
    EXPECT_TRUE(f.pnlColor->isVisible());

    // A long family name is cut to the field when saved.
    s.attributes().SetFont(2, QStringLiteral("Liberation Sans Narrow Condensed"));
    EXPECT_TRUE(s.life().SaveLesnRecord());
    ASSERT_TRUE(f.LesnTable->findKey(qint64(1)));
    EXPECT_EQ(f.LesnTable->asString(QStringLiteral("TitleFontName")),
              QStringLiteral("Liberation Sans Narr"));
}

TEST_F(Attributes, SizeToolSpinsUpAndDownButNeverBelowOne) {
    s.attributes().btnSize1Click();
    EXPECT_TRUE(f.pnlSize->isVisible());
    EXPECT_EQ(f.editSize->text(), QStringLiteral("22"));
    EXPECT_EQ(f.editSizeFont->text(), QStringLiteral("22"));  // every change of the edit is copied
    emit f.SpinButton2->upClicked();
    EXPECT_EQ(t.memTitle->font().pointSize(), 23);
    EXPECT_EQ(f.editSize->text(), QStringLiteral(" 23"));
    EXPECT_EQ(f.editSizeFont->text(), QStringLiteral(" 23"));

    // (the edit's text, up or down, the size then; the size was 7)
    const struct {
        const char* start;
        bool up;
        int size;
    } cases[] = {
        {"2", false, 1}, {"1", false, 7}, {"0", false, 1},   {"x", false, 1},   {"-5", false, 1},
        {"1", true, 2},  {"-3", true, 1}, {" 40", true, 41}, {"12", false, 11},
    };
    for (const auto& c : cases) {
        s.attributes().SetSize(2, 7);
        f.editSize->setText(QLatin1String(c.start));
        if (c.up)
            emit f.SpinButton2->upClicked();
        else
            emit f.SpinButton2->downClicked();
        EXPECT_EQ(t.memTitle->font().pointSize(), c.size) << c.start << (c.up ? " up" : " down");
    }
    // A size typed in and confirmed applies; nonsense shows the size again.
    f.editSize->setText(QStringLiteral("30"));
    QTest::keyClick(f.editSize, Qt::Key_Return);
    EXPECT_EQ(t.memTitle->font().pointSize(), 30);
    f.editSize->setText(QStringLiteral("0"));
    QTest::keyClick(f.editSize, Qt::Key_Return);
    EXPECT_EQ(t.memTitle->font().pointSize(), 30);
    EXPECT_EQ(f.editSize->text(), QStringLiteral("30"));
}

TEST_F(Attributes, ColorToolGridShowsTheCurrentColourAndSetsTheChosenOne) {
    s.attributes().btnColor1Click();
    ASSERT_TRUE(f.pnlColor->isVisible());
    EXPECT_EQ(f.ColorGrid1->selectedIndex(), kColorNavy);
    for (int code : {kColorTeal, 9, 0, 15}) {
        QTest::mouseClick(f.ColorGrid1, Qt::LeftButton, {}, f.ColorGrid1->cellRect(code).center());
        EXPECT_EQ(t.memTitle->palette().color(QPalette::Text), ColorOfCode(code));
        EXPECT_EQ(f.editFont->palette().color(QPalette::Text), ColorOfCode(code));
        EXPECT_EQ(f.ColorGrid1->selectedIndex(), code);
    }
    saveScreenshot(&f, QStringLiteral("title-screen-colour-grid.png"));
    // The keyboard works the grid too.
    f.ColorGrid1->setFocus();
    QTest::keyClick(f.ColorGrid1, Qt::Key_Up);
    QTest::keyClick(f.ColorGrid1, Qt::Key_Left);
    QTest::keyClick(f.ColorGrid1, Qt::Key_Space);
    EXPECT_EQ(t.memTitle->palette().color(QPalette::Text), ColorOfCode(10));
    // Leaving the grid closes its panel.
    t.DBEditHolder->setFocus();
    EXPECT_FALSE(f.pnlColor->isVisible());
}

TEST_F(Attributes, StyleToolBoxesShowAndSetTheStyleOnlyWhileStyleEventsAreOn) {
    s.attributes().SetStyle(2, 110, 1);
    s.attributes().btnStyleClick();
    EXPECT_TRUE(f.pnlSetStyle->isVisible());
    EXPECT_TRUE(f.pnlSetStyle->isEnabled());
    EXPECT_TRUE(f.Bold->isChecked());
    EXPECT_TRUE(f.Italics->isChecked());
    EXPECT_FALSE(f.Underline->isChecked());
    // Showing the style did not write anything back.
    EXPECT_TRUE(t.memTitle->font().bold());
    EXPECT_TRUE(t.memTitle->font().italic());

    f.Italics->click();
    f.Underline->click();
    EXPECT_EQ(StyleCodeOf(StyleOfFont(t.memTitle->font())), 101);
    EXPECT_TRUE(f.editFont->font().underline());

    s.state().StyleEventsEnabled = false;
    f.Bold->click();
    EXPECT_TRUE(t.memTitle->font().bold());
    s.state().StyleEventsEnabled = true;
    f.Bold->click();
    EXPECT_EQ(StyleCodeOf(StyleOfFont(t.memTitle->font())), 101);
    f.Bold->click();
    EXPECT_EQ(StyleCodeOf(StyleOfFont(t.memTitle->font())), 1);
}

TEST_F(Attributes, DisplayFontEnteringADomainShowsItsTargetWithoutChangingIt) {
    // Title bold and teal; names italic (read from the middle name) and 12 points.
    s.attributes().apply(2, {QStringLiteral("Arial"), 26, ColorOfCode(kColorTeal), 100});
    s.attributes().apply(3, {QStringLiteral("DejaVu Serif"), 12, ColorOfCode(9), 0});
    t.DBeditMiddle->setFont(FontWithStyle(t.DBeditMiddle->font(), 10));

    f.Icons(3);
    EXPECT_EQ(f.editFont->text(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(f.editSizeFont->text(), QStringLiteral("12"));
    EXPECT_EQ(f.editFont->palette().color(QPalette::Text), ColorOfCode(9));
    EXPECT_TRUE(f.Italics->isChecked());
    EXPECT_FALSE(f.Bold->isChecked());
    EXPECT_FALSE(t.DBeditFirst->font().italic());  // the first name keeps its own style

    f.Icons(2);
    EXPECT_EQ(f.editFont->text(), QStringLiteral("Arial"));
    EXPECT_EQ(f.editSizeFont->text(), QStringLiteral("26"));
    EXPECT_TRUE(f.Bold->isChecked());
    EXPECT_FALSE(f.Italics->isChecked());
    EXPECT_TRUE(t.memTitle->font().bold());
    EXPECT_EQ(t.memTitle->font().pointSize(), 26);
    EXPECT_FALSE(t.DBeditMiddle->font().bold());
    EXPECT_TRUE(t.DBeditMiddle->font().italic());

    // Domain 1: the lesson's default font on the utility window, whose sample shows.
    EXPECT_FALSE(s.app->Util()->DefaultFont->isVisible());
    f.Icons(1);
    EXPECT_TRUE(s.app->Util()->DefaultFont->isVisible());
    EXPECT_EQ(f.editFont->text(), QStringLiteral("arial"));
    EXPECT_EQ(f.editSizeFont->text(), QStringLiteral("15"));
    s.attributes().SetSize(1, 18);
    EXPECT_EQ(s.app->Util()->DefaultFont->font().pointSize(), 18);

    // A domain without a target: size 1, plain, the font name stays.
    f.Icons(9);
    EXPECT_FALSE(s.app->Util()->DefaultFont->isVisibleTo(s.app->Util()));
    EXPECT_EQ(f.editFont->text(), QStringLiteral("arial"));
    EXPECT_EQ(f.editSizeFont->text(), QStringLiteral("1"));
    EXPECT_FALSE(f.Bold->isChecked());
    s.attributes().SetFont(9, QStringLiteral("DejaVu Sans"));  // only the indicator box changes
    EXPECT_EQ(f.editFont->text(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(t.memTitle->font().family(), QStringLiteral("Arial"));
}

namespace {

// A target with nothing to show, like a page without choices: reads answer
// nothing; it takes only a font name.
class EmptyChoices : public TextTarget {
  public:
    QString name;
    std::optional<QString> fontName(int) const override { return std::nullopt; }
    std::optional<int> fontSize(int) const override { return std::nullopt; }
    std::optional<QColor> fontColor(int) const override { return std::nullopt; }
    std::optional<int> fontStyle(int) const override { return std::nullopt; }
    void setFontName(const QString& n, int) override { name = n; }
    void setFontSize(int, int) override {}
    void setFontColor(const QColor&, int) override {}
    void setFontStyle(int, int) override {}
};

}  // namespace

TEST_F(Attributes, DisplayFontATargetWithNothingToShowKeepsTheIndicatorValues) {
    EmptyChoices choices;
    s.attributes().setTarget(20, &choices);
    f.Icons(2);  // indicator: Arial 22 navy
    f.Icons(20);
    EXPECT_EQ(f.editFont->text(), QStringLiteral("Arial"));
    EXPECT_EQ(f.editFont->palette().color(QPalette::Text), ColorOfCode(kColorNavy));
    EXPECT_EQ(f.editSizeFont->text(), QStringLiteral("22"));
    EXPECT_FALSE(f.Bold->isChecked());
    s.attributes().SetFont(20, QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(choices.name, QStringLiteral("DejaVu Sans"));
    EXPECT_FALSE(s.attributes().read(20).has_value());
    s.attributes().setTarget(20, nullptr);
}

// The strip's font tools open their pop-ups just below the strip, never past
// the window's right edge.
TEST_F(Attributes, PopupsOpenBelowTheStripInsideTheWindow) {
    f.Icons(2);
    const std::pair<Tool, QWidget*> tools[] = {{Tool::btnFont1, f.FontCombo},
                                               {Tool::btnSize1, f.pnlSize},
                                               {Tool::btnColor1, f.pnlColor},
                                               {Tool::btnStyle, f.pnlSetStyle}};
    for (const auto& [tool, popup] : tools) {
        QToolButton* b = f.Slider->button(tool);
        ASSERT_TRUE(b->isVisible());
        b->click();
        EXPECT_TRUE(popup->isVisible()) << popup->objectName().toStdString();
        EXPECT_EQ(popup->y(), f.Panel1->geometry().bottom() + 1);
    }
    auto* button = new QToolButton(f.Slider);
    button->setGeometry(f.Slider->width() - 20, 2, 31, 31);
    s.attributes().btnStyleClick(button);
    EXPECT_LE(f.pnlSetStyle->x() + f.pnlSetStyle->width(), f.centralWidget()->width());
}

// ---- Help ----

namespace {

// Every topic number the program opens: one per domain, the Help menu's
// three, and the dialogs' help buttons and menu contexts.
QList<int> programTopics() {
    QList<int> topics;
    for (int d = 0; d < kDomainCount; ++d) topics << helpTopicForDomain(d);
    topics << kHelpContents << kHelpSearch << kHelpTutorial << kHelpExportToDisk
           << kHelpImportFromDisk << kHelpLessonNotFound << kHelpDeleteLesson << kHelpNewPage
           << kHelpDiagram << kHelpOpenLesson << kHelpExportDestination;
    return topics;
}

const HelpIndex& index() {
    static const HelpIndex instance;
    return instance;
}

// Clicks the first link to `href` in the browser's page, as a reader would.
bool clickLink(QTextBrowser* browser, const QString& href) {
    QTextDocument* doc = browser->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().anchorHref() != href) continue;
            QTextCursor c(doc);
            c.setPosition(f.position() + f.length() / 2);
            browser->setTextCursor(c);
            browser->ensureCursorVisible();
            const QPoint at = browser->cursorRect(c).center();
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(HelpTopics, EveryTopicLoadsWithItsOwnTitleAndEveryLinkLeadsSomewhere) {
    for (int topic : programTopics()) {
        SCOPED_TRACE(topic);
        ASSERT_TRUE(index().contains(topic));
        EXPECT_GT(index().text(topic).simplified().size(), 300);  // a real page, not a placeholder
    }
    QSet<QString> titles, files;
    QSet<int> reached{kHelpContents};
    for (const QString& href : index().links(kHelpContents)) reached << index().resolveLink(href);
    int links = 0;
    for (int topic : index().topics()) {
        SCOPED_TRACE(topic);
        EXPECT_FALSE(index().html(topic).isEmpty()) << index().fileName(topic).toStdString();
        EXPECT_FALSE(index().title(topic).isEmpty());
        EXPECT_FALSE(titles.contains(index().title(topic))) << index().title(topic).toStdString();
        EXPECT_FALSE(files.contains(index().fileName(topic)));
        titles << index().title(topic);
        files << index().fileName(topic);
        EXPECT_EQ(index().topicForFile(index().fileName(topic).toUpper()), topic);
        EXPECT_TRUE(reached.contains(topic)) << "contents misses it";
        for (const QString& href : index().links(topic)) {
            EXPECT_GE(index().resolveLink(href), 0) << "links to " << href.toStdString();
            ++links;
        }
    }
    EXPECT_GT(links, 100);
    // A domain's topic carries the domain's name and its hint, and links on.
    for (int d = 0; d < kDomainCount; ++d) {
        SCOPED_TRACE(d);
        const int topic = helpTopicForDomain(d);
        EXPECT_EQ(index().title(topic), DomainName(d));
        EXPECT_TRUE(index().text(topic).contains(QStringLiteral("domain %1").arg(d)));
        EXPECT_TRUE(index().text(topic).contains(DomainHint(d).simplified()));
        EXPECT_GE(index().links(topic).size(), 3);
    }
}

TEST(HelpLinks, ResolveOnlyRealTopicsAndAnchors) {
    struct Case {
        const char* href;
        int topic;
    };
    const Case cases[] = {
        {"contents.html", kHelpContents},
        {"TUTORIAL.HTML", kHelpTutorial},
        {"domain-14-synchro.html", helpTopicForDomain(14)},
        {"missing.html", -1},
        {"help.css", -1},
        {"../help/contents.html", -1},
        {"qrc:/help/contents.html", -1},
        {"contents.html#no-such-anchor", -1},
        {"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(index().resolveLink(QLatin1String(c.href)), c.topic) << c.href;
}

TEST(HelpSearch, FindsTopicsByTheirWordsIgnoringCaseAndNeedsThemAll) {
    const int synchro = helpTopicForDomain(14);
    struct Case {
        const char* query;
        int found, notFound;  // -1: nothing in particular
    };
    const Case cases[] = {
        {"fREEZE", synchro, -1},
        {"  freeze,  leader ", synchro, -1},
        {"Leader fixed", -1, synchro},  // "fixed" is about choices, not the synchronisation
        {"fixed shuffled", helpTopicForDomain(20), synchro},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const QList<int> found = index().search(QLatin1String(c.query));
        EXPECT_EQ(found.contains(c.found), c.found >= 0);
        EXPECT_FALSE(found.contains(c.notFound));
        // Whatever is found really holds every word.
        for (int topic : found)
            for (const QString& w : HelpIndex::searchWords(QLatin1String(c.query)))
                EXPECT_TRUE(
                    (index().title(topic) + index().text(topic)).contains(w, Qt::CaseInsensitive))
                    << topic;
    }
    for (const char* query : {"freeze zxqwv", "   "})
        EXPECT_TRUE(index().search(QLatin1String(query)).isEmpty()) << query;
    // Title matches come first; navigation pages are no results.
    const QList<int> found = index().search(QStringLiteral("synchro"));
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found.first(), helpTopicForDomain(14));
    EXPECT_FALSE(found.contains(kHelpContents));
    EXPECT_FALSE(index().search(QStringLiteral("Contents")).contains(kHelpContents));
    EXPECT_FALSE(index().search(QStringLiteral("search box")).contains(kHelpSearch));
}

TEST(HelpWindowTest, ShowsATopicThroughItsBrowserAndWalksTheHistory) {
    HelpWindow w;
    QTextBrowser* browser = w.HelpBrowser;
    QToolButton *back = w.HelpBack, *forward = w.HelpForward;
    HelpViewer& viewer = w;
    viewer.showTopic(kHelpTutorial);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.currentTopic(), kHelpTutorial);
    EXPECT_EQ(browser->documentTitle(), index().title(kHelpTutorial));
    EXPECT_TRUE(w.windowTitle().contains(index().title(kHelpTutorial)));
    EXPECT_FALSE(back->isEnabled());

    viewer.showTopic(helpTopicForDomain(22));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Question Page"));
    EXPECT_TRUE(back->isEnabled());

    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(w.currentTopic(), kHelpTutorial);
    EXPECT_TRUE(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    EXPECT_EQ(w.currentTopic(), helpTopicForDomain(22));

    QTest::mouseClick(w.HelpContents, Qt::LeftButton);
    EXPECT_EQ(w.currentTopic(), kHelpContents);
    // A link inside the topic leads on.
    ASSERT_TRUE(clickLink(browser, QStringLiteral("domain-11-text.html")));
    EXPECT_EQ(w.currentTopic(), helpTopicForDomain(11));
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Text"));
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("Text")));
}

TEST(HelpWindowTest, FactoryWindowIsAWindowOfItsOwnDeletedWithItsOwner) {
    QPointer<HelpWindow> w;
    {
        QWidget owner;
        w = createHelpWindow(&owner);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->isWindow());
    }
    EXPECT_TRUE(w.isNull());
}
