#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

#include <csignal>
#include <sys/prctl.h>

namespace {

// Starts a private PulseAudio server with a null sink and a null source, so
// the real sound devices are exercised on machines with no sound hardware.
// The test command starts one for the whole suite and says so in
// VELLORA_SOUND_SERVER (its runtime directory is in the environment); a test
// program run on its own starts its own, which dies with it. Where none can
// start the tests run in silent mode. Must run before the application object
// exists (Qt looks for the server once).
class NullSoundServer {
public:
    NullSoundServer() {
        const QString pulse = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulse.isEmpty() || !dir_.isValid() || qEnvironmentVariableIsSet("VELLORA_NO_SOUND_SERVER") ||
            qEnvironmentVariableIsSet("VELLORA_SOUND_SERVER"))
            return;
        qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", (dir_.path() + QStringLiteral("/pulse")).toLocal8Bit());
        server_ = std::make_unique<QProcess>();
        server_->setStandardOutputFile(QProcess::nullDevice());
        server_->setStandardErrorFile(QProcess::nullDevice());
        // Not left running when a test crashes.
        server_->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        server_->start(pulse, {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                               QStringLiteral("-n"), QStringLiteral("--disable-shm=yes"),
                               QStringLiteral("--load=module-null-sink sink_name=nullsink"),
                               QStringLiteral("--load=module-null-source source_name=nullsource"),
                               QStringLiteral("--load=module-native-protocol-unix")});
        const QString socket = dir_.path() + QStringLiteral("/pulse/native");
        for (int i = 0; i < 100 && server_->state() != QProcess::NotRunning && !QFileInfo::exists(socket); ++i)
            QThread::msleep(50);
    }
    ~NullSoundServer() {
        if (!server_ || server_->state() == QProcess::NotRunning) return;
        server_->terminate();
        if (!server_->waitForFinished(3000)) server_->kill();
        server_->waitForFinished(1000);
    }

private:
    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/vellora-sound-XXXXXX")};
    std::unique_ptr<QProcess> server_;
};

}  // namespace

// Media tests run an event loop (sound feeding, video loading) headless.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    NullSoundServer server;
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
