#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>

#include "AboutBox.h"
#include "AppState.h"
#include "Diagram.h"
#include "DirectorySelector.h"
#include "NewPageDialog.h"
#include "ScriptedDialogs.h"
#include "Splash.h"
#include "TempDir.h"
#include "TestFiles.h"

using namespace vellora;
using namespace vellora::testing;

TEST(ShortenedPath, LongPathsKeepTheirHeadAndTail) {
    struct Case {
        QString path, shown;
    };
    const QString thirty = QStringLiteral("/home/author/lessons/exportABC");  // 30 characters
    ASSERT_EQ(thirty.size(), 30);
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("/"), QStringLiteral("/")},
        {QStringLiteral("/media/usb0/lessons/ab"),
         QStringLiteral("/media/usb0/lessons/ab")},  // 22: unchanged
        {QStringLiteral("/media/usb0/lessons/abc"), QStringLiteral("/me..ia/usb0/lessons/abc")},
        {thirty, QStringLiteral("/ho..r/lessons/exportABC")},
    };
    for (const Case& c : cases) {
        const QString shown = ShortenedPath(c.path);
        EXPECT_EQ(shown, c.shown) << c.path.toStdString();
        EXPECT_LE(shown.size(), 24);
    }
}

TEST(NewPageDialog, YesTakesTheKindAndNoKeepsIt) {
    AppState st;
    TdlgNewPage dialog(st);
    ScriptedDialogs dialogs;
    auto answer = [&](bool question, int result) {
        dialogs.expectDialog(QStringLiteral("dlgNewPage"), [=](QObject* o) {
            auto* d = static_cast<TdlgNewPage*>(o);
            (question ? d->rbQuestion : d->rbReading)->setChecked(true);
            return result;
        });
    };
    EXPECT_TRUE(dialog.rbReading->isChecked());
    answer(true, QDialog::Rejected);
    EXPECT_FALSE(dialog.Execute(dialogs));
    EXPECT_TRUE(st.NewPageKind.isEmpty());
    answer(true, QDialog::Accepted);
    EXPECT_TRUE(dialog.Execute(dialogs));
    EXPECT_EQ(st.NewPageKind, QStringLiteral("q"));
    answer(false, QDialog::Rejected);
    dialog.Execute(dialogs);
    EXPECT_EQ(st.NewPageKind, QStringLiteral("q"));
    answer(false, QDialog::Accepted);
    dialog.Execute(dialogs);
    EXPECT_EQ(st.NewPageKind, QStringLiteral("r"));

    // The notice of a kind not met yet: NewPageOffer.NoPageOfTheKindYetOffersANewPage.
    int help = 0;
    QObject::connect(&dialog, &TdlgNewPage::helpRequested, [&](int topic) { help = topic; });
    QTest::mouseClick(dialog.HelpBtn, Qt::LeftButton);
    EXPECT_EQ(help, 24);
}

TEST(DirectorySelector, OnlyAnAcceptedDirectoryIsChosen) {
    TempDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("disk/lessons")));
    writeFile(tmp.file(QStringLiteral("disk/readme.txt")), QByteArray());
    const QString disk = tmp.file(QStringLiteral("disk"));

    TDirectorySelector chooser;
    ScriptedDialogs dialogs;
    dialogs.expectDialog(QStringLiteral("DirectorySelector"), [&](QObject* o) {
        auto* d = static_cast<TDirectorySelector*>(o);
        EXPECT_FALSE(d->ExportDirChosen);
        EXPECT_EQ(d->directory(), QDir(disk).absolutePath());
        EXPECT_EQ(d->DirectoryListBox1->item(0)->text(), QStringLiteral(".."));
        EXPECT_EQ(d->DirectoryListBox1->item(1)->text(), QStringLiteral("lessons"));
        EXPECT_EQ(d->FileListBox1->count(), 1);
        EXPECT_EQ(d->lbFullExportPath->text(), ShortenedPath(d->directory()));
        EXPECT_GT(d->DriveComboBox1->count(), 0);
        // Into "lessons", then back up and in again.
        emit d->DirectoryListBox1->itemActivated(d->DirectoryListBox1->item(1));
        EXPECT_TRUE(d->directory().endsWith(QStringLiteral("/disk/lessons")));
        EXPECT_EQ(d->FileListBox1->count(), 0);
        emit d->DirectoryListBox1->itemActivated(d->DirectoryListBox1->item(0));
        EXPECT_EQ(d->directory(), QDir(disk).absolutePath());
        d->setDirectory(QDir(disk).filePath(QStringLiteral("lessons")));
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(chooser.Choose(dialogs, disk));
    EXPECT_TRUE(chooser.ExportDirChosen);
    EXPECT_TRUE(chooser.directory().endsWith(QStringLiteral("/disk/lessons")));

    dialogs.expectDialog(QStringLiteral("DirectorySelector"),
                         [](QObject*) { return int(QDialog::Rejected); });
    EXPECT_FALSE(chooser.Choose(dialogs, disk));
    EXPECT_FALSE(chooser.ExportDirChosen);

    // A start that does not exist begins at home.
    dialogs.expectDialog(QStringLiteral("DirectorySelector"), [](QObject* o) {
        EXPECT_EQ(static_cast<TDirectorySelector*>(o)->directory(), QDir::homePath());
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(chooser.Choose(dialogs, tmp.file(QStringLiteral("missing"))));
}

TEST(AboutBox, MemoryFiguresFromTheSystem) {
    const auto full = ParseMeminfo(
        "MemTotal:       24576000 kB\nMemFree:         1000000 kB\n"
        "MemAvailable:   18432000 kB\nBuffers:          200 kB\n");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->totalKB, 24576000);
    EXPECT_EQ(full->loadPercent(), 25);
    const auto old = ParseMeminfo("MemTotal: 1000 kB\nMemFree: 333 kB\n");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->loadPercent(), 67);
    EXPECT_FALSE(ParseMeminfo("MemFree: 10 kB\n"));
    EXPECT_FALSE(ParseMeminfo("MemTotal: 0 kB\n"));
    EXPECT_FALSE(ParseMeminfo("garbage\n\x01\x02"));
    const auto odd =
        ParseMeminfo("MemTotal: 100 kB\nMemAvailable: 500 kB\n");  // more free than there is
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->loadPercent(), 0);

    EXPECT_EQ(PhysicalMemoryText(24576000), QStringLiteral("24,576,000 KB"));
    EXPECT_EQ(PhysicalMemoryText(999), QStringLiteral("999 KB"));
    EXPECT_EQ(MemoryLoadText(37), QStringLiteral("37 %"));
}

TEST(AboutBox, ThePictureTurnsThePages) {
    TAboutBox box;
    EXPECT_EQ(box.Notebook1->currentWidget(), box.pageDefault);
    QTest::mousePress(box.AboutImage, Qt::LeftButton);
    EXPECT_FALSE(box.Shape1->isVisibleTo(&box));
    QTest::mouseRelease(box.AboutImage, Qt::LeftButton);
    EXPECT_TRUE(box.Shape1->isVisibleTo(&box));
    EXPECT_EQ(box.Notebook1->currentWidget(), box.pageSystemStats);
    EXPECT_FALSE(box.lbSystemVersion->text().isEmpty());
    if (QFile::exists(QStringLiteral("/proc/meminfo"))) {
        EXPECT_TRUE(box.lbMemoryInUse->text().endsWith(QStringLiteral(" %")));
        EXPECT_TRUE(box.lbPhysicalMemory->text().endsWith(QStringLiteral(" KB")));
    }
    QTest::mouseClick(box.AboutImage, Qt::LeftButton);
    EXPECT_EQ(box.Notebook1->currentWidget(), box.pageCredits);
    QTest::mouseClick(box.AboutImage, Qt::LeftButton);
    EXPECT_EQ(box.Notebook1->currentWidget(), box.pageDefault);
}

TEST(Splash, ShowsItsPicture) {
    TSplashScreen splash;
    const QImage image = splash.grab().toImage();
    EXPECT_EQ(image.pixelColor(180, 20), QColor(0, 128, 128));  // the teal face
}

TEST(Diagram, ClicksGoToTheirDomainOnlyInActivateModeWhichItRemembers) {
    AppState st;
    TdlgDiagram diagram(st);
    std::vector<int> requested;
    QObject::connect(&diagram, &TdlgDiagram::domainRequested,
                     [&](int d) { requested.push_back(d); });
    int continues = 0;
    QObject::connect(&diagram, &TdlgDiagram::continueRequested, [&] { ++continues; });
    diagram.ShowDiagram();
    EXPECT_TRUE(diagram.rbView->isChecked());
    for (int d = 0; d < 23; ++d) EXPECT_FALSE(diagram.DomainLabel(d)->toolTip().isEmpty()) << d;
    QTest::mouseClick(diagram.DomainLabel(5), Qt::LeftButton);  // view mode: nothing
    EXPECT_TRUE(requested.empty());

    QTest::mouseClick(diagram.rbActivate, Qt::LeftButton);
    EXPECT_TRUE(diagram.DiagramActivate());
    QTest::mouseClick(diagram.DomainLabel(5), Qt::LeftButton);
    QTest::mouseClick(diagram.DomainLabel(22), Qt::LeftButton);
    EXPECT_EQ(requested, (std::vector<int>{5, 22}));
    QTest::mouseClick(diagram.sbDiagram->widget(), Qt::RightButton, {}, QPoint(200, 5));
    EXPECT_EQ(continues, 1);

    // The mode is kept between openings, whatever the buttons show while closed.
    QTest::mouseClick(diagram.OKBtn, Qt::LeftButton);
    EXPECT_FALSE(diagram.isVisible());
    diagram.rbView->setChecked(true);
    diagram.rbActivate->setChecked(true);
    diagram.ShowDiagram();
    EXPECT_TRUE(diagram.rbActivate->isChecked());
    QTest::mouseClick(diagram.rbView, Qt::LeftButton);
    diagram.close();
    diagram.ShowDiagram();
    EXPECT_TRUE(diagram.rbView->isChecked());
    EXPECT_FALSE(diagram.DiagramActivate());
}

TEST(Diagram, MarksTheCurrentDomainOnceItsKindOfPageWasMet) {
    AppState st;
    TdlgDiagram diagram(st);
    auto hot = [&] {
        std::vector<int> marked;
        for (int d = 0; d < 23; ++d)
            if (diagram.IsHot(d)) marked.push_back(d);
        return marked;
    };
    diagram.HotDomain(3);  // no lesson open: colours stay
    EXPECT_TRUE(hot().empty());
    st.LessonOpen = true;
    diagram.HotDomain(3);
    EXPECT_EQ(hot(), std::vector<int>{3});
    diagram.HotDomain(9);  // no reading page loaded yet
    EXPECT_TRUE(hot().empty());
    st.LastReadingPage = 1;
    diagram.HotDomain(12);
    EXPECT_EQ(hot(), std::vector<int>{12});
    diagram.HotDomain(18);
    EXPECT_TRUE(hot().empty());
    st.LastQuestionPage = 2;
    diagram.HotDomain(18);
    EXPECT_EQ(hot(), std::vector<int>{18});
    diagram.ShowDiagram();
    st.LessonOpen = false;
    diagram.HotDomain(0);
    EXPECT_EQ(hot(), std::vector<int>{18});
}
