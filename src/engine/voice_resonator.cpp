// SPDX-License-Identifier: MIT
#include "engine/voice_resonator.h"

#include <algorithm>
#include <new>

namespace velora::engine {

namespace {

// Frames start on cache-line boundaries, so a frame never straddles two
// lines: one fetch brings in a whole frame.
constexpr std::align_val_t kFrameAlignment{64};
static_assert(64 % (kLinesPerVoice * sizeof(float)) == 0);

}  // namespace

std::int32_t VoiceResonator::clampedLength(std::int32_t n) noexcept {
    return std::clamp<std::int32_t>(n, 1, kMaxResonatorLength);
}

float* VoiceResonator::newLines(std::int32_t n) noexcept {
    const std::size_t count = static_cast<std::size_t>(clampedLength(n)) * kLinesPerVoice;
    auto* lines = static_cast<float*>(::operator new[](count * sizeof(float), kFrameAlignment, std::nothrow));
    if (lines != nullptr) std::fill_n(lines, count, 0.0f);
    return lines;
}

void VoiceResonator::deleteLines(float* lines) noexcept {
    if (lines != nullptr) ::operator delete[](lines, kFrameAlignment);
}

void VoiceResonator::allocate(std::int32_t n) noexcept {
    release();
    lines = newLines(n);
    if (lines == nullptr) return;
    length = clampedLength(n);
    fitTaps();
}

float* VoiceResonator::adopt(float* fresh, std::int32_t n) noexcept {
    float* const old = lines;
    lines = fresh;
    length = fresh != nullptr ? clampedLength(n) : 0;
    position = 0;
    if (fresh != nullptr) fitTaps();
    return old;
}

// Taps set for another length must not reach past the new lines.
void VoiceResonator::fitTaps() noexcept {
    for (std::int32_t& t : taps) t = std::clamp<std::int32_t>(t, 1, length);
}

void VoiceResonator::release() noexcept {
    deleteLines(lines);
    lines = nullptr;
    length = 0;
    position = 0;
}

void VoiceResonator::clear() noexcept {
    if (lines != nullptr) std::fill_n(lines, static_cast<std::size_t>(length) * kLinesPerVoice, 0.0f);
}

std::array<std::int32_t, kResonatorStages> resonatorTaps(std::int32_t length, float delay) noexcept {
    return withExtendedPrecision([length, delay] {
        std::array<std::int32_t, kResonatorStages> taps{};
        const std::int32_t n = std::max<std::int32_t>(length, 1);
        long double product = static_cast<long double>(n - 1) * static_cast<long double>(delay);
        for (int j = 0; j < kResonatorStages; ++j) {
            taps[j] = truncClamped(product, 0, n - 1) + 1;
            product *= static_cast<long double>(kTapSpread);
        }
        return taps;
    });
}

}  // namespace velora::engine
