// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "test_files.h"
#include "wav_writer.h"

namespace velora::tools {
namespace {

using namespace test;

const std::vector<float> kLeft = {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 1.5f, -2.0f, 0.25f, 1e-6f, -0.999f, 0.123456f};
const std::vector<float> kRight = {
    std::numeric_limits<float>::quiet_NaN(), 0.75f, 3e-5f, -3e-5f, 0.0f, -0.0f, 0.9999f, -0.5f, 0.2f, 0.3f, -0.7f};

std::string written(WavFormat format, const std::vector<float>& left, const std::vector<float>& right,
                    int channels = 2) {
    const std::string path = scratchPath("out.wav");
    WavWriter writer;
    std::string error;
    EXPECT_TRUE(writer.open(path, channels, 48000, format, error)) << error;
    const float* planes[2] = {left.data(), right.data()};
    // Two writes, so the header is patched over more than one chunk of data.
    EXPECT_TRUE(writer.write(planes, 4, error)) << error;
    const float* rest[2] = {left.data() + 4, right.data() + 4};
    EXPECT_TRUE(writer.write(rest, left.size() - 4, error)) << error;
    EXPECT_TRUE(writer.close(error)) << error;
    return path;
}

struct ReadBack {
    SF_INFO info{};
    std::vector<int> ints;
    std::vector<float> floats;
};

ReadBack readBack(const std::string& path) {
    ReadBack result;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &result.info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (!file) return result;
    const auto samples = static_cast<std::size_t>(result.info.frames * result.info.channels);
    if ((result.info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT) {
        result.floats.resize(samples);
        sf_read_float(file, result.floats.data(), sf_count_t(samples));
    } else {
        result.ints.resize(samples);
        sf_read_int(file, result.ints.data(), sf_count_t(samples));
    }
    sf_close(file);
    return result;
}

std::uint32_t le32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (std::uint32_t(bytes[at + 3]) << 24);
}

TEST(WavWriter, PcmConversionClipsScalesAndRounds) {
    EXPECT_EQ(toPcm16(0.5f), 16384);  // 16383.5 rounds away from zero
    EXPECT_EQ(toPcm16(-0.5f), -16384);
    EXPECT_EQ(toPcm16(1.0f), 32767);
    EXPECT_EQ(toPcm16(-1.0f), -32767);
    EXPECT_EQ(toPcm16(7.0f), 32767);
    EXPECT_EQ(toPcm16(-1e30f), -32767);
    EXPECT_EQ(toPcm16(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(toPcm16(std::numeric_limits<float>::infinity()), 32767);
    EXPECT_EQ(toPcm16(0.4f / 32767.0f), 0);
    EXPECT_EQ(toPcm24(1.0f), 8388607);
    EXPECT_EQ(toPcm24(-1.0f), -8388607);
    EXPECT_EQ(toPcm24(0.25f), 2097152);  // 2097151.75
    EXPECT_EQ(toPcm24(-3.0f), -8388607);
}

TEST(WavWriter, SixteenAndTwentyFourBitReadBackExactly) {
    for (WavFormat format : {WavFormat::pcm16, WavFormat::pcm24}) {
        const bool is16 = format == WavFormat::pcm16;
        const ReadBack back = readBack(written(format, kLeft, kRight));
        EXPECT_EQ(back.info.channels, 2);
        EXPECT_EQ(back.info.samplerate, 48000);
        EXPECT_EQ(back.info.frames, sf_count_t(kLeft.size()));
        EXPECT_EQ(back.info.format, SF_FORMAT_WAV | (is16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24));
        ASSERT_EQ(back.ints.size(), kLeft.size() * 2);
        for (std::size_t i = 0; i < kLeft.size(); ++i) {
            // sf_read_int left-aligns the stored integer in 32 bits.
            const int shift = is16 ? 16 : 8;
            const int left = is16 ? toPcm16(kLeft[i]) : toPcm24(kLeft[i]);
            const int right = is16 ? toPcm16(kRight[i]) : toPcm24(kRight[i]);
            EXPECT_EQ(back.ints[2 * i], left * (1 << shift)) << i;
            EXPECT_EQ(back.ints[2 * i + 1], right * (1 << shift)) << i;
        }
    }
}

TEST(WavWriter, FloatKeepsEveryBit) {
    const ReadBack back = readBack(written(WavFormat::float32, kLeft, kRight));
    EXPECT_EQ(back.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(back.floats.size(), kLeft.size() * 2);
    for (std::size_t i = 0; i < kLeft.size(); ++i) {
        EXPECT_EQ(std::memcmp(&back.floats[2 * i], &kLeft[i], 4), 0) << i;
        if (!std::isnan(kRight[i])) {
            EXPECT_EQ(std::memcmp(&back.floats[2 * i + 1], &kRight[i], 4), 0) << i;
        }
    }
}

TEST(WavWriter, HeaderSizesMatchTheFile) {
    for (WavFormat format : {WavFormat::pcm16, WavFormat::pcm24, WavFormat::float32}) {
        // Mono 24-bit with an odd frame count needs a pad byte after the data.
        const Bytes bytes = readFile(written(format, kLeft, kRight, 1));
        ASSERT_GT(bytes.size(), 44u);
        EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
        EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
        EXPECT_EQ(std::memcmp(bytes.data() + 8, "WAVE", 4), 0);
        const std::size_t dataAt = bytes.size() -
                                   kLeft.size() * (format == WavFormat::pcm16   ? 2
                                                   : format == WavFormat::pcm24 ? 3
                                                                                : 4) -
                                   (format == WavFormat::pcm24 ? 1 : 0);
        EXPECT_EQ(std::memcmp(bytes.data() + dataAt - 8, "data", 4), 0);
        EXPECT_EQ(le32(bytes, dataAt - 4), bytes.size() - dataAt - (format == WavFormat::pcm24 ? 1 : 0));
        EXPECT_EQ(readBack(written(format, kLeft, kRight, 1)).info.frames, sf_count_t(kLeft.size()));
    }
}

TEST(WavWriter, ReportsUnwritableFilesAndBadArguments) {
    WavWriter writer;
    std::string error;
    EXPECT_FALSE(writer.open("/nonexistent/folder/out.wav", 2, 44100, WavFormat::pcm16, error));
    EXPECT_NE(error.find("/nonexistent/folder/out.wav"), std::string::npos);
    EXPECT_FALSE(writer.open(scratchPath("x.wav"), 0, 44100, WavFormat::pcm16, error));
    const float* planes[2] = {kLeft.data(), kRight.data()};
    EXPECT_FALSE(writer.write(planes, 1, error));
}

}  // namespace
}  // namespace velora::tools
