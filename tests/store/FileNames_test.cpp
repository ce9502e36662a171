#include "FileNames.h"

#include <gtest/gtest.h>

#include "UtilRoutines.h"

using namespace vellora;

TEST(FileNames, FilePathPadsPrefixAndDigitsToEightCharacters) {
    struct Case {
        const char* prefix;
        qint64 number;
        const char* expected;
    };
    const Case cases[] = {
        {"L", 123, "L0000123.WAV"},         {"", 123, "00000123.WAV"},
        {"W", 1234567, "W1234567.WAV"},    // nothing to pad
        {"W", 12345678, "W12345678.WAV"},  // nothing cut
        {"", 2147483647, "2147483647.WAV"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilePath(QString::fromLatin1(c.prefix), c.number, media::kWav),
                  QString::fromLatin1(c.expected))
            << c.prefix << " " << c.number;
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
