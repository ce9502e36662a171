// Finding a narration's words: forced alignment against the synthesiser's
// own word times, words the dictionary lacks, and sounds that hold no words.
#include <gtest/gtest.h>

#include <cmath>

#include "Aligner.h"
#include "MediaTexts.h"
#include "Speech.h"

namespace vellora {
namespace {

TEST(Aligner, FindsSpokenWordsNearTheSynthesisersTimes) {
    const struct {
        const char* text;
    } pages[] = {{"The cat sat on the mat, and the dog ran away."}, {"Please bring the zorblaxes to Quentaro tomorrow."}};
    for (const auto& p : pages) {
        const QString text = QString::fromLatin1(p.text);
        const QStringList words = text.split(QLatin1Char(' '));
        QString why;
        const auto spoken = speakText(text, QStringLiteral("en"), 150, &why);
        ASSERT_TRUE(spoken) << why.toStdString();
        const std::vector<int64_t> truth = stopTimesFromEvents(text, words, spoken->words, spoken->sound.lengthMs());
        // Cancelled while the sound is being decoded: refused, and the next run is unharmed.
        std::vector<int> shown;
        EXPECT_FALSE(alignWords(spoken->sound, words, &why, [&](int percent) {
            shown.push_back(percent);
            return shown.size() < 3;
        }));
        EXPECT_EQ(why, texts::kAlignCancelled);
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_GT(shown[2], shown[1]);
        EXPECT_LT(shown[2], 50);  // part way through the first decoding
        const auto a = alignWords(spoken->sound, words, &why);
        ASSERT_TRUE(a) << why.toStdString();
        EXPECT_TRUE(a->recognised) << p.text;  // also with words the dictionary lacks
        ASSERT_EQ(a->stops.size(), truth.size());
        ASSERT_EQ(a->confidence.size(), size_t(words.size()));
        double sum = 0;
        for (size_t k = 0; k + 1 < truth.size(); ++k) {
            sum += std::abs(double(a->stops[k] - truth[k]));
            EXPECT_NEAR(a->stops[k], truth[k], 50) << p.text << ": " << words[int(k)].toStdString();
        }
        EXPECT_LT(sum / double(words.size()), 25) << p.text;
        for (size_t k = 1; k < a->stops.size(); ++k) EXPECT_GE(a->stops[k], a->stops[k - 1]);
        EXPECT_LE(a->stops.back(), spoken->sound.lengthMs());
    }
}

TEST(Aligner, ASoundWithoutItsWordsIsRefusedWithAReason) {
    WaveSound silence{16000, 1, std::vector<int16_t>(16000 * 2, 0)};
    WaveSound tone{16000, 1, {}};
    for (int k = 0; k < 16000; ++k) tone.samples.push_back(int16_t(8000 * ((k / 20) % 2 ? 1 : -1)));
    const QStringList many = QString(QStringLiteral("word ")).repeated(40).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList few = {QStringLiteral("hello"), QStringLiteral("there")};
    QString why;
    EXPECT_FALSE(alignWords(silence, few, &why));
    EXPECT_EQ(why, texts::kAlignSilent);
    EXPECT_FALSE(alignWords(tone, many, &why));
    EXPECT_EQ(why, texts::kAlignTooShort.arg(1000).arg(40));
    EXPECT_FALSE(alignWords(tone, few, &why, [](int) { return false; }));
    EXPECT_EQ(why, texts::kAlignCancelled);
    // A sound the recogniser cannot follow (too short for so many words'
    // sounds, though not for the words) still gets times, from its loudness.
    const QStringList crowded = QString(QStringLiteral("word ")).repeated(16).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto guessed = alignWords(tone, crowded, &why);
    ASSERT_TRUE(guessed);
    EXPECT_FALSE(guessed->recognised);
    EXPECT_EQ(guessed->stops.size(), 17u);
    EXPECT_LT(guessed->confidence[0], kLowConfidence);
}

TEST(Aligner, ASteadyToneOrNoiseIsNotHeardAsTheWords) {
    WaveSound hum{16000, 1, {}}, hiss{16000, 1, {}};
    unsigned seed = 7;
    for (int k = 0; k < 16000 * 8; ++k) {
        hum.samples.push_back(int16_t(8000 * std::sin(k * 2 * M_PI * 220 / 16000)));
        seed = seed * 1103515245 + 12345;
        hiss.samples.push_back(int16_t(int((seed >> 16) % 8000) - 4000));
    }
    const QStringList page = QString(QStringLiteral("The cat sat on the mat, and the dog ran away.")).split(QLatin1Char(' '));
    const struct {
        const char* name;
        const WaveSound& sound;
    } sounds[] = {{"tone", hum}, {"noise", hiss}};
    for (const auto& s : sounds) {
        QString why;
        const auto a = alignWords(s.sound, page, &why);
        ASSERT_TRUE(a) << s.name << ": " << why.toStdString();
        EXPECT_FALSE(a->recognised) << s.name;
        ASSERT_EQ(a->confidence.size(), size_t(page.size()));
        for (double c : a->confidence) EXPECT_LT(c, kLowConfidence) << s.name;
    }
}

}  // namespace
}  // namespace vellora
