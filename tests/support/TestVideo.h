#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace vellora::testing {

// Makes a 2-second 160 x 120 test-card video (15 pictures a second, no sound)
// at `path` with GStreamer's command-line tool. False when the tool is
// missing or fails, so the caller can skip.
inline bool makeTestVideo(const QString& path) {
    const QString gst = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (gst.isEmpty()) return false;
    QProcess make;
    make.start(gst, {QStringLiteral("-q"), QStringLiteral("videotestsrc"),
                     QStringLiteral("num-buffers=30"), QStringLiteral("!"),
                     QStringLiteral("video/x-raw,width=160,height=120,framerate=15/1"),
                     QStringLiteral("!"), QStringLiteral("jpegenc"), QStringLiteral("!"),
                     QStringLiteral("avimux"), QStringLiteral("!"), QStringLiteral("filesink"),
                     QStringLiteral("location=") + path});
    return make.waitForFinished(60000) && make.exitStatus() == QProcess::NormalExit &&
           make.exitCode() == 0 && QFile(path).size() > 0;
}

}  // namespace vellora::testing
