// Time from File > Open to the title screen shown and painted, in a lesson
// store of 10,000 lessons. Prints the figures; run it from a Release build:
//   OpenLesson_bench [lessons] [rounds]
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Application.h"
#include "Database.h"
#include "Dialogs.h"
#include "HandleDataBase.h"
#include "LessonDialogs.h"
#include "LessonLifecycle.h"
#include "MainMenu.h"
#include "ShellWindows.h"
#include "TMainForm.h"
#include "TTitleScreen.h"
#include "Table.h"

using namespace vellora;

namespace {

// Answers Yes to creating the database and picks `choice` in the open
// dialog, as a user would; any other message is a fault in the run.
class BenchDialogs : public Dialogs {
public:
    qint64 choice = 0;
    MsgAnswer message(MsgKind, const QString& text, MsgButtons, const QString&) override {
        if (!created_) {
            created_ = true;
            return MsgAnswer::Yes;
        }
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        std::exit(1);
    }
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(const QString&, const QString&) override { return {}; }
    int exec(QObject* dialog) override {
        auto* dlg = qobject_cast<TDlgOpenLesson*>(dialog);
        if (!dlg) {
            std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(dialog->objectName()));
            std::exit(1);
        }
        dlg->LRegNum->setText(QString::number(choice));
        return QDialog::Accepted;
    }

private:
    bool created_ = false;
};

void fillStore(Application& app, const QString& root, int lessons) {
    Table& t = *app.MainForm()->LesnTable;
    Database::Transaction tx(app.database().database());
    for (int i = 1; i <= lessons; ++i) {
        t.append();
        t.setInteger(QStringLiteral("DataVersion"), 12);
        t.setInteger(QStringLiteral("Pages"), i % 20);
        t.setString(QStringLiteral("Title"), QStringLiteral("Lesson number %1\nabout rivers and seas").arg(i));
        t.setString(QStringLiteral("TitleFontName"), QStringLiteral("Arial"));
        t.setInteger(QStringLiteral("TitleFontSize"), 22);
        t.setInteger(QStringLiteral("TitleFontColor"), 4);
        t.setInteger(QStringLiteral("TitleFontStyle"), 101);
        t.setString(QStringLiteral("AuthorFirst"), QStringLiteral("Author%1").arg(i));
        t.setString(QStringLiteral("AuthorMiddle"), QStringLiteral("M."));
        t.setString(QStringLiteral("AuthorLast"), QStringLiteral("Writer"));
        t.setString(QStringLiteral("NameFontName"), QStringLiteral("arial"));
        t.setInteger(QStringLiteral("NameFontSize"), 20);
        t.setInteger(QStringLiteral("NameFontColor"), 4);
        t.setInteger(QStringLiteral("NameFontStyle"), 0);
        t.setString(QStringLiteral("CopyRHolder"), QStringLiteral("Copyright Holder"));
        t.setString(QStringLiteral("CopyRLocation"), QStringLiteral("City, Country"));
        t.setInteger(QStringLiteral("CopyRYear"), 2024);
        t.setString(QStringLiteral("Objective"), QStringLiteral("Objective of lesson %1").arg(i));
        t.setInteger(QStringLiteral("Background"), 0);
        t.setBoolean(QStringLiteral("LessonSoundFile"), false);
        t.setString(QStringLiteral("LDefaultFontName"), QStringLiteral("arial"));
        t.setInteger(QStringLiteral("LDefaultFontSize"), 15);
        t.setInteger(QStringLiteral("LDefaultFontColor"), 0);
        t.setInteger(QStringLiteral("LDefaultFontStyle"), 0);
        t.post();
        const QString dir = QDir(root).filePath(QStringLiteral("workspac/%1").arg(t.key(), 8, 10, QLatin1Char('0')));
        QDir().mkpath(dir);
        t.edit();
        t.setString(QStringLiteral("DirPath"), dir);
        t.post();
    }
    tx.commit();
}

struct Figures {
    double median, p90, max;
};

Figures summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back()};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int lessons = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 60;

    QTemporaryDir tmp;
    BenchDialogs dialogs;
    Application app(tmp.path(), dialogs);
    if (!app.startUp()) return 1;
    app.show();
    QApplication::processEvents();

    QElapsedTimer fill;
    fill.start();
    fillStore(app, tmp.path(), lessons);
    std::printf("store: %d lessons made in %.0f ms\n", lessons, double(fill.elapsed()));

    QAction* open = app.MainForm()->MainMenu1->action(MenuItem::FileOpen);
    std::vector<double> shown, painted;
    for (int r = 0; r < rounds; ++r) {
        // Spread over the whole store: the first, the last and between.
        dialogs.choice = 1 + qint64(r) * (lessons - 1) / std::max(1, rounds - 1);
        QElapsedTimer timer;
        timer.start();
        open->trigger();
        if (!app.TitleScreen()->isVisible() || app.state().LesnRegNum != dialogs.choice) {
            std::fprintf(stderr, "lesson %lld did not open\n", static_cast<long long>(dialogs.choice));
            return 1;
        }
        shown.push_back(double(timer.nsecsElapsed()) / 1e6);
        QApplication::processEvents();  // paints the title screen
        painted.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    // The same with the open lesson changed first, so that opening the next
    // one writes it to disk.
    std::vector<double> afterEdit;
    for (int r = 0; r < rounds; ++r) {
        app.TitleScreen()->Objective->setPlainText(QStringLiteral("Changed objective %1").arg(r));
        dialogs.choice = lessons - qint64(r) * (lessons - 1) / std::max(1, rounds - 1);
        QElapsedTimer timer;
        timer.start();
        open->trigger();
        QApplication::processEvents();
        afterEdit.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const Figures s = summarise(shown), p = summarise(painted), e = summarise(afterEdit);
    std::printf("File > Open to title screen shown   (%d opens): median %.2f ms, 90%% %.2f ms, max %.2f ms\n",
                rounds, s.median, s.p90, s.max);
    std::printf("File > Open to title screen painted (%d opens): median %.2f ms, 90%% %.2f ms, max %.2f ms\n",
                rounds, p.median, p.p90, p.max);
    std::printf("same, saving the changed lesson first: median %.2f ms, 90%% %.2f ms, max %.2f ms\n", e.median,
                e.p90, e.max);
    std::printf("target: under 50 ms\n");
    app.finish();
    return 0;
}
