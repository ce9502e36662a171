// Finding a narration's words: stop times from a synthesiser's word events,
// forced alignment against its own word times, words the dictionary lacks,
// and sounds that hold no words.
#include "Aligner.h"

#include <gtest/gtest.h>

#include <cmath>

#include "MediaTexts.h"
#include "Speech.h"

namespace vellora {
namespace {

QStringList split(const QString& text) {
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST(Speech, StopTimesComeFromTheNextWordsStart) {
    const QString text = QStringLiteral("The cat sat, on the mat.");
    const QStringList wurds = split(text);
    // (text position, ms): "on" has no event of its own.
    const std::vector<WordEvent> events = {
        {0, 3, 120}, {4, 3, 400}, {8, 4, 700}, {16, 3, 1300}, {20, 4, 1500}};
    const std::vector<int64_t> stops = stopTimesFromEvents(text, wurds, events, 2000);
    // Leader, the, cat, sat, on (between sat's 700 and the's 1300), the, mat. (the end).
    EXPECT_EQ(stops, (std::vector<int64_t>{120, 400, 700, 1000, 1300, 1500, 2000}));
    EXPECT_EQ(stopTimesFromEvents(text, {}, events, 2000), (std::vector<int64_t>{0}));
    // No events at all: the words share the sound evenly, never going back.
    const std::vector<int64_t> even = stopTimesFromEvents(text, wurds, {}, 1400);
    for (size_t k = 1; k < even.size(); ++k) EXPECT_GE(even[k], even[k - 1]);
    EXPECT_EQ(even.back(), 1400);
}

TEST(Aligner, FindsSpokenWordsNearTheSynthesisersTimes) {
    for (const char* page : {"The cat sat on the mat, and the dog ran away.",
                             "Please bring the zorblaxes to Quentaro tomorrow."}) {
        const QString text = QString::fromLatin1(page);
        const QStringList words = split(text);
        QString why;
        const auto spoken = speakText(text, QStringLiteral("en"), 150, &why);
        ASSERT_TRUE(spoken) << why.toStdString();
        const std::vector<int64_t> truth =
            stopTimesFromEvents(text, words, spoken->words, spoken->sound.lengthMs());
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
        EXPECT_TRUE(a->recognised) << page;  // also with words the dictionary lacks
        ASSERT_EQ(a->stops.size(), truth.size());
        ASSERT_EQ(a->confidence.size(), size_t(words.size()));
        double sum = 0;
        for (size_t k = 0; k + 1 < truth.size(); ++k) {
            sum += std::abs(double(a->stops[k] - truth[k]));
            EXPECT_NEAR(a->stops[k], truth[k], 50) << page << ": " << words[int(k)].toStdString();
        }
        EXPECT_LT(sum / double(words.size()), 25) << page;
        for (size_t k = 1; k < a->stops.size(); ++k) EXPECT_GE(a->stops[k], a->stops[k - 1]);
        EXPECT_LE(a->stops.back(), spoken->sound.lengthMs());
    }
}

TEST(Aligner, ASoundWithoutItsWordsIsRefusedWithAReason) {
    WaveSound silence{16000, 1, std::vector<int16_t>(16000 * 2, 0)};
    WaveSound tone{16000, 1, {}};
    for (int k = 0; k < 16000; ++k) tone.samples.push_back(int16_t(8000 * ((k / 20) % 2 ? 1 : -1)));
    const QStringList many = split(QStringLiteral("word ").repeated(40));
    const QStringList few = {QStringLiteral("hello"), QStringLiteral("there")};
    QString why;
    EXPECT_FALSE(alignWords(silence, few, &why));
    EXPECT_EQ(why, texts::kAlignSilent);
    EXPECT_FALSE(alignWords(tone, many, &why));
    EXPECT_EQ(why, texts::kAlignTooShort.arg(1000).arg(40));
    // A sound the recogniser cannot follow (too short for so many words'
    // sounds, though not for the words) still gets times, from its loudness.
    const QStringList crowded = split(QStringLiteral("word ").repeated(16));
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
    const QStringList page = split(QStringLiteral("The cat sat on the mat, and the dog ran away."));
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
