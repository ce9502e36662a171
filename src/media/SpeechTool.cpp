#include "SpeechTool.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include "Aligner.h"
#include "MediaTexts.h"
#include "Speech.h"
#include "WaveFile.h"

namespace vellora {
namespace {

constexpr qint64 kMaxText = 1 << 20;
constexpr int kDefaultRate = 150;

const QString kUsage = QStringLiteral("usage: vellora-pack speak TEXTFILE OUT.wav [--voice V] [--rate WPM]");
const QString kAlignUsage = QStringLiteral("usage: vellora-pack align WAV TEXTFILE");

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

bool IsSpeechCommand(const QString& command) {
    return command == QLatin1String("speak") || command == QLatin1String("align");
}

namespace {

int alignCommand(const QStringList& rest, QTextStream& out, QTextStream& err) {
    if (rest.size() != 2) {
        err << kAlignUsage << Qt::endl;
        return 2;
    }
    QString why;
    const std::optional<WaveSound> sound = readWave(rest[0], &why);
    const std::optional<QString> text = sound ? readText(rest[1], &why) : std::nullopt;
    if (!sound || !text) {
        err << "vellora-pack: " << why << Qt::endl;
        return 1;
    }
    const QStringList words = text->simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const std::optional<Alignment> a = alignWords(*sound, words, &why);
    if (!a) {
        err << "vellora-pack: " << why << Qt::endl;
        return 1;
    }
    for (int n = 0; n < words.size(); ++n)
        out << words[n] << '\t' << a->stops[size_t(n) + 1] << '\t' << QString::number(a->confidence[size_t(n)], 'f', 2)
            << '\n';
    out.flush();
    return 0;
}

}  // namespace

int SpeechCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.value(0) == QLatin1String("align")) return alignCommand(arguments.mid(1), out, err);
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
    if (!writeWave(rest[1], spoken->sound, &why)) {
        err << "vellora-pack: " << texts::kMediaUnwritable.arg(rest[1], why) << Qt::endl;
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
