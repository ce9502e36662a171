// Stop times from a synthesiser's word events, and the synthesiser itself.
#include <gtest/gtest.h>

#include "Speech.h"

namespace vellora {
namespace {

TEST(Speech, StopTimesComeFromTheNextWordsStart) {
    const QString text = QStringLiteral("The cat sat, on the mat.");
    const QStringList wurds = text.split(QLatin1Char(' '));
    // (text position, ms): "on" has no event of its own.
    const std::vector<WordEvent> events = {{0, 3, 120}, {4, 3, 400}, {8, 4, 700}, {16, 3, 1300}, {20, 4, 1500}};
    const std::vector<int64_t> stops = stopTimesFromEvents(text, wurds, events, 2000);
    // Leader, the, cat, sat, on (between sat's 700 and the's 1300), the, mat. (the end).
    EXPECT_EQ(stops, (std::vector<int64_t>{120, 400, 700, 1000, 1300, 1500, 2000}));
    EXPECT_EQ(stopTimesFromEvents(text, {}, events, 2000), (std::vector<int64_t>{0}));
    // No events at all: the words share the sound evenly, never going back.
    const std::vector<int64_t> even = stopTimesFromEvents(text, wurds, {}, 1400);
    for (size_t k = 1; k < even.size(); ++k) EXPECT_GE(even[k], even[k - 1]);
    EXPECT_EQ(even.back(), 1400);
}

TEST(Speech, TheSynthesiserSpeaksEveryWordInOrder) {
    QString why;
    const auto spoken = speakText(QStringLiteral("one two three"), QStringLiteral("en"), 150, &why);
    ASSERT_TRUE(spoken) << why.toStdString();
    EXPECT_GT(spoken->sound.lengthMs(), 500);
    ASSERT_EQ(spoken->words.size(), 3u);
    EXPECT_EQ(spoken->words[1].textPosition, 4);
    EXPECT_LT(spoken->words[0].audioMs, spoken->words[1].audioMs);
    EXPECT_FALSE(speakText(QStringLiteral("x"), QStringLiteral("no-such-voice"), 150, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(speechVoices().value(0), QStringLiteral("en"));
}

}  // namespace
}  // namespace vellora
