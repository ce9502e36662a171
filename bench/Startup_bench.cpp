// How soon the program is ready: from starting the process to the Start
// domain shown, and from there to the sample lesson's title page shown.
// Each start is a fresh process (this program run again as a child), so the
// figures hold loading and Qt's own start-up too.
//
//   Startup_bench [starts=10]
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "Application.h"
#include "BenchPage.h"
#include "LessonLifecycle.h"
#include "SampleLesson.h"
#include "TMainForm.h"

using namespace vellora;

namespace {

// Yes to creating the database; any other message ends the run.
struct StartDialogs : bench::FailingDialogs {
    MsgAnswer message(MsgKind kind, const QString& text, MsgButtons buttons, const QString& title) override {
        if (kind == MsgKind::Confirmation) return MsgAnswer::Yes;
        return FailingDialogs::message(kind, text, buttons, title);
    }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The child: starts the program on `dataDir`, prints the milliseconds since
// the parent started it (handed in) to the Start domain shown, then to the
// sample lesson's title page shown. With `install` it first makes the sample.
int child(const QString& dataDir, qint64 startedAtMs, bool install, int argc, char** argv) {
    QApplication app(argc, argv);
    StartDialogs dialogs;
    Application vellora(dataDir, dialogs);
    if (!vellora.startUp()) return 1;
    vellora.show();
    vellora.MainForm()->FormActivate();
    QApplication::processEvents();
    vellora.MainForm()->repaint();
    const qint64 shown = QDateTime::currentMSecsSinceEpoch() - startedAtMs;
    if (install) return vellora.sampleLesson()->Install() ? 0 : 1;
    QElapsedTimer t;
    t.start();
    vellora.lifecycle()->OpenLesson(1);
    vellora.MainForm()->repaint();
    const double title = double(t.nsecsElapsed()) / 1e6;
    std::printf("%lld %.2f\n", static_cast<long long>(shown), title);
    vellora.finish();
    return vellora.state().LessonOpen ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && QByteArray(argv[1]) == "--child")
        return child(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong(), QByteArray(argv[4]) == "install",
                     1, argv);
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir data;
    const auto run = [&](bool install, QByteArray* out) {
        QProcess p;
        p.start(QString::fromLocal8Bit(argv[0]),
                {QStringLiteral("--child"), data.path(), QString::number(QDateTime::currentMSecsSinceEpoch()),
                 install ? QStringLiteral("install") : QStringLiteral("open")});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            std::fprintf(stderr, "a start failed: %s\n", p.readAllStandardError().constData());
            std::exit(1);
        }
        if (out) *out = p.readAllStandardOutput();
    };
    run(true, nullptr);  // the database and the sample lesson, once
    std::vector<double> shown, title;
    for (int k = 0; k < starts; ++k) {
        QByteArray out;
        run(false, &out);
        const QList<QByteArray> f = out.trimmed().split(' ');
        shown.push_back(f.value(0).toDouble());
        title.push_back(f.value(1).toDouble());
    }
    std::printf("over %d starts (offscreen): Start domain shown %.0f ms after the process started (median); the "
                "sample lesson's title page %.1f ms after that (median)\n",
                starts, median(shown), median(title));
    return 0;
}
