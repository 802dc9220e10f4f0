// SPDX-License-Identifier: MIT
#include "wav_writer.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <vector>

namespace velora::tools {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
// RIFF sizes are 32-bit: stop well before the data chunk would overflow.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFF00u;

int bytesPerSample(WavFormat format) {
    switch (format) {
    case WavFormat::pcm16: return 2;
    case WavFormat::pcm24: return 3;
    case WavFormat::float32: return 4;
    }
    return 2;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put24(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v);
    out.push_back(std::uint8_t(v >> 16));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v);
    put16(out, v >> 16);
}
void putTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

double clipped(float sample) {
    if (std::isnan(sample)) return 0.0;
    return sample > 1.0f ? 1.0 : (sample < -1.0f ? -1.0 : double(sample));
}

}  // namespace

std::int16_t toPcm16(float sample) { return static_cast<std::int16_t>(std::lround(clipped(sample) * 32767.0)); }

std::int32_t toPcm24(float sample) { return static_cast<std::int32_t>(std::lround(clipped(sample) * 8388607.0)); }

WavWriter::~WavWriter() = default;

bool WavWriter::open(const std::string& path, int channels, std::uint32_t sampleRate, WavFormat format,
                     std::string& error) {
    file_.discard();
    if (channels < 1 || channels > 64 || sampleRate == 0) {
        error = "invalid WAV channel count or sample rate";
        return false;
    }
    if (!file_.open(path, error)) return false;
    channels_ = channels;
    sampleRate_ = sampleRate;
    format_ = format;
    frames_ = 0;
    return writeHeader(error);
}

// Header for the current frame count; written at open and again at close.
bool WavWriter::writeHeader(std::string& error) {
    const bool isFloat = format_ == WavFormat::float32;
    const std::uint32_t blockAlign = std::uint32_t(channels_ * bytesPerSample(format_));
    const std::uint32_t dataBytes = std::uint32_t(frames_ * blockAlign);
    const std::uint32_t fmtBytes = isFloat ? 18 : 16;
    const std::uint32_t factBytes = isFloat ? 12 : 0;
    std::vector<std::uint8_t> header;
    putTag(header, "RIFF");
    put32(header, 4 + (8 + fmtBytes) + factBytes + 8 + dataBytes + (dataBytes & 1));
    putTag(header, "WAVE");
    putTag(header, "fmt ");
    put32(header, fmtBytes);
    put16(header, isFloat ? kFormatFloat : kFormatPcm);
    put16(header, std::uint32_t(channels_));
    put32(header, sampleRate_);
    put32(header, sampleRate_ * blockAlign);
    put16(header, blockAlign);
    put16(header, std::uint32_t(bytesPerSample(format_) * 8));
    if (isFloat) {
        put16(header, 0);  // no extension
        putTag(header, "fact");
        put32(header, 4);
        put32(header, std::uint32_t(frames_));
    }
    putTag(header, "data");
    put32(header, dataBytes);
    errno = 0;
    if (std::fseek(file_.stream(), 0, SEEK_SET) != 0) {
        error = file_.writeFailure();
        return false;
    }
    if (!file_.write(header.data(), header.size(), error)) return false;
    errno = 0;
    if (std::fseek(file_.stream(), 0, SEEK_END) != 0) {
        error = file_.writeFailure();
        return false;
    }
    return true;
}

bool WavWriter::write(const float* const* channels, std::size_t frames, std::string& error) {
    if (!file_.isOpen()) {
        error = "WAV file is not open";
        return false;
    }
    const std::uint64_t blockAlign = std::uint64_t(channels_) * bytesPerSample(format_);
    if ((frames_ + frames) * blockAlign > kMaxDataBytes) {
        error = "'" + file_.path() + "' would exceed the 4 GB limit of WAV files";
        return false;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(frames * blockAlign);
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels_; ++c) {
            const float sample = channels[c][i];
            switch (format_) {
            case WavFormat::pcm16: put16(bytes, std::uint16_t(toPcm16(sample))); break;
            case WavFormat::pcm24: put24(bytes, std::uint32_t(toPcm24(sample))); break;
            case WavFormat::float32: put32(bytes, std::bit_cast<std::uint32_t>(sample)); break;
            }
        }
    }
    if (!file_.write(bytes.data(), bytes.size(), error)) return false;
    frames_ += frames;
    return true;
}

bool WavWriter::close(std::string& error) {
    if (!file_.isOpen()) return true;
    const std::uint64_t dataBytes = frames_ * std::uint64_t(channels_) * bytesPerSample(format_);
    const std::uint8_t pad = 0;  // chunks are padded to even length
    const bool ok = (!(dataBytes & 1) || file_.write(&pad, 1, error)) && writeHeader(error) && file_.commit(error);
    if (!ok) file_.discard();
    return ok;
}

}  // namespace velora::tools
