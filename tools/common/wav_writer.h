// SPDX-License-Identifier: MIT
#pragma once
// RIFF WAVE output: 16-bit or 24-bit PCM, or 32-bit float, little-endian.
#include <cstdint>
#include <cstdio>
#include <string>

#include "output_file.h"

namespace velora::tools {

enum class WavFormat { pcm16, pcm24, float32 };

// PCM conversion: clip to [-1, 1] (NaN gives 0), scale, round to nearest.
std::int16_t toPcm16(float sample);
std::int32_t toPcm24(float sample);

// The file appears under its name only when close() succeeds; a writer
// destroyed without close() leaves an existing file of that name as it was.
class WavWriter {
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter();

    bool open(const std::string& path, int channels, std::uint32_t sampleRate, WavFormat format, std::string& error);
    // One pointer per channel, `frames` samples each.
    bool write(const float* const* channels, std::size_t frames, std::string& error);
    // Writes the final chunk sizes and puts the file in place.
    bool close(std::string& error);

    std::uint64_t framesWritten() const { return frames_; }

private:
    bool writeHeader(std::string& error);

    OutputFile file_;
    int channels_ = 2;
    std::uint32_t sampleRate_ = 44100;
    WavFormat format_ = WavFormat::pcm16;
    std::uint64_t frames_ = 0;
};

}  // namespace velora::tools
