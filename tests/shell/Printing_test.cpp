// Printing through the real windows: the whole lesson from the Lesn domain,
// the window elsewhere, the page set-up kept for the session, Esc, and the
// same print made by `vellora --print-pdf` with no window; `vellora --play`.
#include <gtest/gtest.h>

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include "LessonSession.h"
#include "PrintTexts.h"
#include "TestFiles.h"
#include "ToolStripWidget.h"

namespace vellora::testing {
namespace {

// What a PDF holds: its pages, its images' bytes and the first page's size.
struct Pdf {
    int pages = 0;
    QList<QByteArray> images;
    QSizeF pageSize;
};

Pdf readPdf(const QString& path) {
    QFile file(path);
    Pdf pdf;
    if (!file.open(QIODevice::ReadOnly)) return pdf;
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromLatin1(bytes);
    pdf.pages = int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
    auto images = QRegularExpression(QStringLiteral("/Subtype\\s*/Image")).globalMatch(text);
    while (images.hasNext()) {
        const qsizetype start = bytes.indexOf("stream\n", images.next().capturedEnd()) + 7;
        pdf.images << bytes.mid(start, bytes.indexOf("endstream", start) - start);
    }
    const auto box =
        QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0 0 ([\\d.]+) ([\\d.]+)"))
            .match(text);
    if (box.hasMatch())
        pdf.pageSize = QSizeF(box.captured(1).toDouble(), box.captured(2).toDouble());
    return pdf;
}

// How many of the printed window images show different pages: they are
// compared where the page shows, as the status line differs anyway.
int distinctPages(const Pdf& pdf, const TMainForm& form) {
    const QRect client(form.ClientOfMainScreen->mapTo(&form, QPoint()),
                       form.ClientOfMainScreen->size());
    QSet<QByteArray> seen;
    for (const QByteArray& jpeg : pdf.images) {
        const QImage page = QImage::fromData(jpeg).copy(client);
        seen << QByteArray(reinterpret_cast<const char*>(page.constBits()), page.sizeInBytes());
    }
    return int(seen.size());
}

// Every path below a directory with its bytes.
std::map<QString, QByteArray> contents(const QString& dir) {
    std::map<QString, QByteArray> out;
    for (const QString& path : treeOf(dir)) out[path] = readFile(QDir(dir).filePath(path));
    return out;
}

// The print dialog answered: the session's printer writes `pdf` (empty: cancelled).
void expectPrintDialog(ScriptedDialogs& d, const QString& pdf, QPrinter** seen = nullptr) {
    d.expectDialog(QStringLiteral("PrintDialog1"), [pdf, seen](QObject* o) {
        QPrinter* printer = static_cast<QPrintDialog*>(o)->printer();
        if (seen) *seen = printer;
        if (pdf.isEmpty()) return int(QDialog::Rejected);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
}

// A lesson of `pages` reading pages, each with words of its own.
struct PrintSession : LessonSession {
    explicit PrintSession(const QString& dir, int pages) : LessonSession(dir) {
        life().FileNewClick();
        for (int p = 1; p <= pages; ++p) newReadingPage(QStringLiteral("Words of page %1").arg(p));
        form().Icons(1);
    }
};

TEST(Printing, TheLesnDomainPrintsTheTitlePageAndEveryPageThenReturnsAndEscStopsIt) {
    for (int pages : {0, 3}) {
        TempDir tmp;
        PrintSession s(tmp.path(), pages);
        ASSERT_EQ(s.state().PageCount, pages);
        ASSERT_EQ(s.state().CurrentDomain, 1);
        const QString pdf = tmp.file(QStringLiteral("lesson.pdf"));
        expectPrintDialog(s.dialogs, pdf);
        s.menu(MenuItem::FilePrint)->trigger();
        const Pdf printed = readPdf(pdf);
        EXPECT_EQ(printed.pages, pages + 1) << pages;
        // One picture per page, each showing a page of its own.
        EXPECT_EQ(distinctPages(printed, s.form()), pages + 1) << pages;
        EXPECT_EQ(s.state().CurrentDomain, 1);
        EXPECT_EQ(s.state().CurrentPage, 0);
        EXPECT_TRUE(s.dialogs.done());
        if (pages == 0) continue;

        // Esc on the page window while page 2 is on its way to the printer.
        QTimer esc;
        QObject::connect(&esc, &QTimer::timeout, [&] {
            if (s.state().CurrentPage != 2) return;
            esc.stop();
            QTest::keyClick(s.app->Frame(), Qt::Key_Escape);
        });
        esc.start(0);
        const QString stopped = tmp.file(QStringLiteral("stopped.pdf"));
        expectPrintDialog(s.dialogs, stopped);
        s.menu(MenuItem::FilePrint)->trigger();
        EXPECT_EQ(readPdf(stopped).pages, 2);
        EXPECT_EQ(s.form().pnlStatus->text(), texts::kPrintingStopped.arg(2).arg(4));
        EXPECT_EQ(s.state().CurrentDomain, 1);
        EXPECT_FALSE(s.state().StopRequested);
    }
}

TEST(Printing, ElsewhereTheWindowPrintsAsItStandsOnTheSetUpPageAndCancelPrintsNothing) {
    TempDir tmp;
    PrintSession s(tmp.path(), 2);
    QPrinter* setUp = nullptr;
    s.dialogs.expectDialog(QStringLiteral("PrinterSetupDialog1"), [&setUp](QObject* o) {
        setUp = static_cast<QPageSetupDialog*>(o)->printer();
        setUp->setPageOrientation(QPageLayout::Landscape);
        return int(QDialog::Accepted);
    });
    s.menu(MenuItem::FilePrinterSetup)->trigger();
    s.form().Icons(2);  // the title page, which offers the print tool
    ASSERT_TRUE(s.form().Slider->placed(Tool::btnPrint));
    for (const char* name : {"first.pdf", "second.pdf", ""}) {
        const QString pdf = *name ? tmp.file(QLatin1String(name)) : QString();
        QPrinter* printedOn = nullptr;
        expectPrintDialog(s.dialogs, pdf, &printedOn);
        s.form().Slider->button(Tool::btnPrint)->click();
        EXPECT_EQ(printedOn, setUp);  // the set-up holds for the session
        EXPECT_EQ(s.state().CurrentDomain, 2);
        if (pdf.isEmpty()) continue;
        const Pdf printed = readPdf(pdf);
        EXPECT_EQ(printed.pages, 1) << name;
        EXPECT_EQ(printed.images.size(), 1) << name;
        EXPECT_GT(printed.pageSize.width(), printed.pageSize.height()) << name;
    }
    // Cancelled: nothing written anywhere.
    EXPECT_EQ(QDir(tmp.path()).entryList({QStringLiteral("*.pdf")}).size(), 2);
}

struct ProgramRun {
    int status = -1;
    QString err;
};

ProgramRun runVellora(const QString& dataDir, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display is needed: a play shows its window off screen.
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VELLORA_PATH),
            QStringList{QStringLiteral("--data-dir"), dataDir} + args);
    p.waitForFinished(120000);
    return ProgramRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                      QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(PrintPdf, PrintsEveryPageAndRefusesBadInputLeavingNothing) {
    TempDir tmp;
    const QString data = tmp.file(QStringLiteral("data"));
    {
        PrintSession s(data, 3);
        // A second lesson whose folder has gone.
        s.life().FileNewClick();
        ASSERT_TRUE(s.form().SaveAll());
        ASSERT_TRUE(QDir(s.state().DirPath).removeRecursively());
    }
    const auto before = contents(data);
    const QString out = tmp.file(QStringLiteral("out"));
    QDir().mkpath(out);

    const ProgramRun good =
        runVellora(data, {QStringLiteral("--print-pdf"), out + QStringLiteral("/lesson.pdf"), "1"});
    EXPECT_EQ(good.status, 0) << good.err.toStdString();
    const Pdf printed = readPdf(out + QStringLiteral("/lesson.pdf"));
    EXPECT_EQ(printed.pages, 4);  // as the menu prints it
    EXPECT_EQ(printed.images.size(), 4);
    EXPECT_EQ(contents(data), before);
    ASSERT_TRUE(QFile::remove(out + QStringLiteral("/lesson.pdf")));

    struct Case {
        QString pdf, lesson, fragment;
    };
    QFile plain(tmp.file(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    const Case cases[] = {
        {out + "/a.pdf", "99", "Lesson Not Found"},
        {out + "/a.pdf", "2", "Lesson 2 could not be opened: Lesson Not Found"},
        {out + "/a.pdf", "one", "\"one\" is not a lesson number"},
        {out + "/a.pdf", "0", "not a lesson number"},
        {tmp.file("missing/a.pdf"), "1", "missing"},
        {plain.fileName() + "/a.pdf", "1", "cannot write"},
        {out, "1", "is a directory"},
    };
    for (const Case& c : cases) {
        const ProgramRun bad = runVellora(data, {QStringLiteral("--print-pdf"), c.pdf, c.lesson});
        const std::string what = (c.pdf + " " + c.lesson + ": " + bad.err).toStdString();
        EXPECT_NE(bad.status, 0) << what;
        EXPECT_TRUE(bad.err.startsWith("vellora: ") && bad.err.count('\n') == 1) << what;
        EXPECT_TRUE(bad.err.contains(c.fragment)) << what;
        EXPECT_TRUE(
            QDir(out).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty())
            << what;
        EXPECT_FALSE(QFile::exists(tmp.file("missing")));
        EXPECT_EQ(contents(data), before) << what;
    }
    EXPECT_EQ(runVellora(data, {"--print-pdf", out + "/a.pdf", "--play", "1"}).status, 2);
    // `vellora --play` takes its lesson the same way, plays it and ends by itself.
    EXPECT_EQ(runVellora(data, {"--play", "7"}).status, 1);
    EXPECT_EQ(runVellora(data, {"--play", "1"}).status, 0);
    // A data directory without lessons stays without them.
    TempDir empty;
    const ProgramRun none = runVellora(empty.path(), {"--print-pdf", out + "/a.pdf", "1"});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains("no lesson database")) << none.err.toStdString();
    EXPECT_TRUE(QDir(empty.path()).isEmpty());
}

}  // namespace
}  // namespace vellora::testing
