// Makes the sample lesson's media from its text: every page spoken by
// espeak-ng with each word's stop time from the synthesiser, and the
// pictures drawn here. Writes into OUTDIR: sample.txt (the lesson text with a
// "times:" line after each page: the leader's end and every word's stop
// time, in ms), page1.wav.., page1.bmp...
//
//   vellora-sample LESSON.txt OUTDIR
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTextStream>
#include <cstdio>

#include "Speech.h"
#include "WaveFile.h"

using namespace vellora;

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 180;

void sky(QPainter& p, const QColor& top, const QColor& bottom) {
    QLinearGradient g(0, 0, 0, kHeight);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(0, 0, kWidth, kHeight, g);
    p.fillRect(0, kHeight * 3 / 4, kWidth, kHeight / 4, QColor(90, 170, 70));
}

QImage draw(const QString& what) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    sky(p, QColor(120, 180, 255), QColor(220, 240, 255));
    if (what == QLatin1String("sun")) {
        p.setPen(QPen(QColor(255, 190, 0), 4));
        const QPointF c(kWidth / 2.0, kHeight / 2.0);
        for (int k = 0; k < 12; ++k) {
            QLineF ray(c, c + QPointF(60, 0));
            ray.setAngle(k * 30);
            p.drawLine(ray);
        }
        p.setBrush(QColor(255, 220, 0));
        p.drawEllipse(c, 35, 35);
        for (int k = 0; k < 5; ++k) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(230, 60 + 30 * k, 120));
            p.drawEllipse(QPointF(25 + 45 * k, kHeight - 20), 9, 9);
        }
    } else if (what == QLatin1String("tree")) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 80, 40));
        p.drawRect(kWidth / 2 - 12, 80, 24, 70);
        p.setBrush(QColor(40, 140, 50));
        for (const QPointF c : {QPointF(100, 70), QPointF(140, 70), QPointF(120, 45), QPointF(120, 85)})
            p.drawEllipse(c, 38, 30);
        p.setBrush(QColor(220, 30, 30));
        for (const QPointF c : {QPointF(95, 80), QPointF(140, 60), QPointF(125, 95)}) p.drawEllipse(c, 6, 6);
    } else {
        sky(p, QColor(250, 150, 90), QColor(255, 220, 170));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawRect(70, 80, 100, 70);
        p.setBrush(QColor(110, 60, 40));
        p.drawPolygon(QPolygonF({QPointF(60, 82), QPointF(120, 35), QPointF(180, 82)}));
        p.setBrush(QColor(90, 50, 30));
        p.drawRect(110, 110, 22, 40);
        p.setBrush(QColor(255, 240, 150));
        p.drawRect(80, 95, 20, 18);
        p.drawRect(142, 95, 20, 18);
    }
    return image;
}

int fail(const QString& why) {
    std::fprintf(stderr, "vellora-sample: %s\n", qPrintable(why));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) return fail(QStringLiteral("usage: vellora-sample LESSON.txt OUTDIR"));
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) return fail(in.errorString());
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());
    QString manifest;
    int page = 0;
    QTextStream lines(&in);
    while (!lines.atEnd()) {
        const QString line = lines.readLine();
        if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty()) continue;
        manifest += line + QLatin1Char('\n');
        const QString value = line.section(QLatin1Char(':'), 1).trimmed();
        if (line.startsWith(QLatin1String("page:"))) {
            ++page;
            QString why;
            const auto spoken = speakText(value, QStringLiteral("en"), 140, &why);
            if (!spoken) return fail(why);
            const QString wav = out.filePath(QStringLiteral("page%1.wav").arg(page));
            if (!writeWave(out.filePath(QStringLiteral("page%1.wav").arg(page)), spoken->sound, &why)) return fail(why);
            const QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QStringList times;
            for (int64_t t : stopTimesFromEvents(value, words, spoken->words, spoken->sound.lengthMs()))
                times << QString::number(t);
            manifest += QStringLiteral("times: ") + times.join(QLatin1Char(' ')) + QLatin1Char('\n');
        } else if (line.startsWith(QLatin1String("picture:"))) {
            if (!draw(value).save(out.filePath(QStringLiteral("page%1.bmp").arg(page)), "BMP"))
                return fail(QStringLiteral("cannot write the picture of page %1").arg(page));
        }
    }
    QFile m(out.filePath(QStringLiteral("sample.txt")));
    if (!m.open(QIODevice::WriteOnly | QIODevice::Text) || m.write(manifest.toUtf8()) < 0) return fail(m.errorString());
    return 0;
}
