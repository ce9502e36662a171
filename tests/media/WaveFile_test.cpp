#include "MediaTestSupport.h"
#include "PcmConvert.h"
#include "TempDir.h"
#include "TestFiles.h"
#include "WaveFile.h"

#include <gtest/gtest.h>

using namespace vellora;
using vellora::testing::TempDir;
using vellora::testing::writeTone;

namespace {

struct GoodCase {
    const char* name;
    int subFormat;
    int rate;
    int channels;
    int64_t frames;
    double maxError;   // root-mean-square difference the encoding may cause
    int64_t padding;   // block codecs may round the length up
};

TEST(WaveFile, ReadsEveryCommonEncoding) {
    const GoodCase cases[] = {
        {"8-bit mono", SF_FORMAT_PCM_U8, 8000, 1, 4000, 256, 0},
        {"16-bit stereo", SF_FORMAT_PCM_16, 44100, 2, 22050, 0, 0},
        {"24-bit mono", SF_FORMAT_PCM_24, 48000, 1, 4800, 0, 0},
        {"32-bit stereo", SF_FORMAT_PCM_32, 22050, 2, 2205, 0, 0},
        {"float mono", SF_FORMAT_FLOAT, 16000, 1, 1600, 1, 0},
        {"IMA ADPCM mono", SF_FORMAT_IMA_ADPCM, 22050, 1, 5000, 1500, 2048},
        {"MS ADPCM stereo", SF_FORMAT_MS_ADPCM, 11025, 2, 3000, 1500, 2048},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QString::fromLatin1(c.name) + QStringLiteral(".wav"));
        ASSERT_TRUE(writeTone(path, c.rate, c.channels, c.frames, c.subFormat));
        const QString reference = dir.file(QStringLiteral("reference.wav"));
        ASSERT_TRUE(writeTone(reference, c.rate, c.channels, c.frames));
        QString error;
        const auto sound = readWave(path, &error);
        const auto expected = readWave(reference, &error);
        ASSERT_TRUE(sound && expected) << error.toStdString();
        EXPECT_EQ(sound->sampleRate, c.rate);
        EXPECT_EQ(sound->channels, c.channels);
        EXPECT_GE(sound->frames(), c.frames);
        EXPECT_LE(sound->frames(), c.frames + c.padding);
        EXPECT_EQ(sound->lengthMs(), sound->frames() * 1000 / c.rate);
        double squares = 0;
        for (size_t i = 0; i < expected->samples.size(); ++i)
            squares += std::pow(double(sound->samples[i]) - double(expected->samples[i]), 2);
        EXPECT_LE(std::sqrt(squares / double(expected->samples.size())), c.maxError);
    }
}

TEST(WaveFile, HostileFilesFailClearlyOrGiveWhatIsThere) {
    TempDir dir;
    const QString good = dir.file(QStringLiteral("good.wav"));
    ASSERT_TRUE(writeTone(good, 8000, 1, 8000));  // 16-bit mono: 2 bytes a frame
    const QByteArray bytes = vellora::testing::readFile(good);
    const qsizetype data = bytes.indexOf("data") + 8;
    ASSERT_GT(data, 8);
    QByteArray claimsMore = bytes.left(data + 2000);
    for (int i = 0; i < 4; ++i) claimsMore[data - 4 + i] = char(0xF0);  // data size ~4 GB
    QByteArray six = bytes;
    six[22] = 6;  // channel count

    struct Case {
        const char* name;
        QByteArray content;  // empty: no file at all
        int64_t frames;      // -1: open must fail
        const char* message;
    } cases[] = {
        {"missing", {}, -1, "does not exist"},
        {"not a WAV", "These words are not a sound at all, only text.\n", -1, "not a sound"},
        {"header cut short", bytes.left(20), -1, "not a sound"},
        {"data cut short", bytes.left(data + 1000), 500, ""},
        {"header claims 4 GB", claimsMore, 1000, ""},
        {"zero frames", bytes.left(data), 0, ""},
        {"six channels", six, -1, "6 channels"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QString::fromLatin1(c.name));
        if (!c.content.isEmpty()) vellora::testing::writeFile(path, c.content);
        QString error;
        const auto sound = readWave(path, &error);
        if (c.frames < 0) {
            EXPECT_FALSE(sound);
            EXPECT_TRUE(error.contains(QLatin1String(c.message))) << error.toStdString();
            EXPECT_TRUE(error.contains(path));
        } else {
            ASSERT_TRUE(sound) << error.toStdString();
            EXPECT_EQ(sound->frames(), c.frames);
            EXPECT_LE(sound->samples.capacity(), size_t(c.frames) + 8192);
        }
    }
}

TEST(PcmConvert, RendersTheSinkFormat) {
    const auto sound = [](int rate, int channels, std::vector<int16_t> samples) {
        return WaveSound{rate, channels, std::move(samples)};
    };
    struct Case {
        const char* name;
        WaveSound source;
        QAudioFormat::SampleFormat format;
        int rate;
        int channels;
        int64_t first;
        std::vector<float> expected;  // samples, in 16-bit units
    } cases[] = {
        {"same shape", sound(8000, 1, {100, -200, 300}), QAudioFormat::Int16, 8000, 1, 0, {100, -200, 300}},
        {"mono to stereo", sound(8000, 1, {100, -200}), QAudioFormat::Int16, 8000, 2, 0, {100, 100, -200, -200}},
        {"stereo to mono", sound(8000, 2, {100, 300, -100, -300}), QAudioFormat::Int16, 8000, 1, 0, {200, -200}},
        {"twice the rate", sound(1000, 1, {0, 100, 200}), QAudioFormat::Int16, 2000, 1, 0, {0, 50, 100, 150, 200, 200}},
        {"from the middle", sound(1000, 1, {0, 100, 200}), QAudioFormat::Int16, 2000, 1, 3, {150, 200, 200}},
        {"float", sound(8000, 1, {16384, -32768}), QAudioFormat::Float, 8000, 1, 0, {16384, -32768}},
        {"32-bit", sound(8000, 1, {16384, -32768}), QAudioFormat::Int32, 8000, 1, 0, {16384, -32768}},
        {"8-bit", sound(8000, 1, {16384, -32768}), QAudioFormat::UInt8, 8000, 1, 0, {16384, -32768}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QAudioFormat format;
        format.setSampleFormat(c.format);
        format.setSampleRate(c.rate);
        format.setChannelCount(c.channels);
        const int64_t total = outputFrames(c.source.frames(), c.source.sampleRate, c.rate);
        const int64_t count = int64_t(c.expected.size()) / c.channels;
        EXPECT_EQ(total - c.first, count);
        const QByteArray out = renderFrames(c.source, 0, c.source.frames(), c.first, count, format);
        ASSERT_EQ(out.size(), qsizetype(c.expected.size()) * format.bytesPerSample());
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_NEAR(format.normalizedSampleValue(out.constData() + i * format.bytesPerSample()) * 32768.f,
                        c.expected[i], c.format == QAudioFormat::UInt8 ? 512.f : 1.f)
                << "sample " << i;
    }
}

}  // namespace
