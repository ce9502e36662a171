#include "SpeechTool.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include "MediaTexts.h"
#include "Speech.h"
#include "WaveFile.h"

namespace vellora {
namespace {

constexpr qint64 kMaxText = 1 << 20;
constexpr int kDefaultRate = 150;

const QString kUsage = QStringLiteral("usage: vellora-pack speak TEXTFILE OUT.wav [--voice V] [--rate WPM]");

// The text of a UTF-8 text file; nothing, with `error`, for anything else.
std::optional<QString> readText(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = texts::kMediaUnreadable.arg(path, f.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = f.read(kMaxText + 1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (bytes.size() > kMaxText || bytes.contains('\0') || utf8.hasError()) {
        *error = texts::kNotTextFile.arg(path);
        return std::nullopt;
    }
    return text;
}

}  // namespace

bool IsSpeechCommand(const QString& command) { return command == QLatin1String("speak"); }

int SpeechCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList rest = arguments.mid(1);
    QString voice = QStringLiteral("en");
    int rate = kDefaultRate;
    for (int k = 0; k < rest.size(); ++k) {
        if (rest[k] != QLatin1String("--voice") && rest[k] != QLatin1String("--rate")) continue;
        bool ok = k + 1 < rest.size();
        if (ok && rest[k] == QLatin1String("--voice")) voice = rest[k + 1];
        if (ok && rest[k] == QLatin1String("--rate")) rate = rest[k + 1].toInt(&ok);
        if (!ok || rate < 80 || rate > 450) {
            err << "vellora-pack: " << rest[k] << " needs a value (a rate is 80 to 450 words a minute)\n" << kUsage
                << Qt::endl;
            return 2;
        }
        rest.remove(k, 2);
        --k;
    }
    if (rest.size() != 2) {
        err << kUsage << Qt::endl;
        return 2;
    }
    QString why;
    const std::optional<QString> text = readText(rest[0], &why);
    const QString words = text ? text->simplified() : QString();
    if (!text || words.isEmpty()) {
        err << "vellora-pack: " << (text ? texts::kNoWordsToSpeak.arg(rest[0]) : why) << Qt::endl;
        return 1;
    }
    const std::optional<SpokenText> spoken = speakText(words, voice, rate, &why);
    if (!spoken) {
        err << "vellora-pack: " << why << Qt::endl;
        return 1;
    }
    WaveWriter writer;
    if (!writer.open(rest[1], spoken->sound.sampleRate, 1) ||
        !writer.write(spoken->sound.samples.data(), spoken->sound.frames()) || !writer.close()) {
        err << "vellora-pack: " << texts::kMediaUnwritable.arg(rest[1], writer.errorString()) << Qt::endl;
        QFile::remove(rest[1]);
        return 1;
    }
    const QStringList list = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const std::vector<int64_t> stops = stopTimesFromEvents(words, list, spoken->words, spoken->sound.lengthMs());
    // The synthesiser says where each word is: full confidence.
    for (int n = 0; n < list.size(); ++n) out << list[n] << '\t' << stops[size_t(n) + 1] << "\t1.00\n";
    out.flush();
    return 0;
}

}  // namespace vellora
