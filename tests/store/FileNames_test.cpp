#include "FileNames.h"

#include <gtest/gtest.h>

#include "UtilRoutines.h"

using namespace vellora;

TEST(FileNames, FilePathPadsPrefixAndDigitsToEightCharacters) {
    struct Case {
        const char* prefix;
        const char* number;
        const char* extension;
        const char* expected;
    };
    const Case cases[] = {
        {"L", "123", ".wav", "L0000123.wav"},
        {"", "123", "", "00000123"},
        {"W", "1234567", ".wav", "W1234567.wav"},      // 7 digits: nothing to pad
        {"W", "12345678", ".wav", "W12345678.wav"},    // 8 digits: nothing cut
        {"W", "123456789", ".WAV", "W123456789.WAV"},  // 9 digits
        {"", "12345678", "", "12345678"},
        {"", "123456789", "", "123456789"},
        {"P", "0", ".BMP", "P0000000.BMP"},
        {"LONGPREFIX", "1", "", "LONGPREFIX1"},  // the count is negative
        {"", "", "", "00000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilePath(QString::fromLatin1(c.prefix), QString::fromLatin1(c.number),
                           QString::fromLatin1(c.extension)),
                  QString::fromLatin1(c.expected))
            << c.prefix << " " << c.number;
    }
    EXPECT_EQ(FilePath(media::kLessonSound, qint64(123), media::kWav),
              QStringLiteral("L0000123.WAV"));
    EXPECT_EQ(FilePath(QString(), qint64(2147483647), QString()), QStringLiteral("2147483647"));
}

TEST(FileNames, LessonAndScratchDirectoriesLiveUnderWorkspac) {
    EXPECT_EQ(LessonDirectory(QStringLiteral("/data/Vellora"), 45),
              QStringLiteral("/data/Vellora/workspac/00000045"));
    EXPECT_EQ(LessonDirectory(QStringLiteral("/data/Vellora/"), 123456789),
              QStringLiteral("/data/Vellora/workspac/123456789"));
    EXPECT_EQ(ScratchDirectory(QStringLiteral("/data/Vellora")),
              QStringLiteral("/data/Vellora/workspac/tempLESN"));
}

TEST(UtilRoutines, ColourCodesRoundTripOthersReadAsBlueAndUnlistedColoursSaveAsWhite) {
    for (int code = 0; code < 16; ++code) {
        EXPECT_EQ(ColorFromCode(code) >> 24, 0xFFu) << code;
        EXPECT_EQ(CodeFromColor(ColorFromCode(code)), code);
        // Alpha is not part of a stored colour.
        EXPECT_EQ(CodeFromColor(ColorFromCode(code) & 0xFFFFFFu), code);
    }
    EXPECT_EQ(ColorFromCode(0), 0xFF000000u);
    EXPECT_EQ(ColorFromCode(15), 0xFFFFFFFFu);
    for (qint64 code : {qint64(-1), qint64(16), qint64(100), qint64(-2147483648LL)})
        EXPECT_EQ(ColorFromCode(code), 0xFF0000FFu) << code;
    for (Rgb color : {Rgb(0xFF123456), Rgb(0xFF808081), Rgb(0xFFFE0000)})
        EXPECT_EQ(CodeFromColor(color), 15);
}

TEST(UtilRoutines, TrimRightDropsOnlyTrailingBlanks) {
    EXPECT_EQ(TrimRight(QStringLiteral("  word  ")), QStringLiteral("  word"));
    EXPECT_EQ(TrimRight(QStringLiteral("a b\t\r\n ")), QStringLiteral("a b"));
    EXPECT_EQ(TrimRight(QStringLiteral("    ")), QString());
    EXPECT_EQ(TrimRight(QString()), QString());
    EXPECT_EQ(TrimRight(QStringLiteral("x")), QStringLiteral("x"));
}
