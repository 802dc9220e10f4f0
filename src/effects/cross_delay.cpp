// SPDX-License-Identifier: MIT
#include "effects/cross_delay.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/numeric.h"
#include "effects/signal_guard.h"
#include "effects/tempo_divisions.h"

namespace velora::effects {

CrossDelay::CrossDelay() {
    allocateCrossDelay();
    recomputeLengths();
}

// Without memory for the lines the capacity stays 0 and the delay passes the
// dry signal; lines already present stay if their successors cannot be had.
void CrossDelay::allocateCrossDelay() { replaceLines(requiredCapacity()); }

bool CrossDelay::growCrossDelay() {
    const std::int64_t required = requiredCapacity();
    if (required <= xdCapacity.load()) return false;
    return replaceLines(required);
}

void CrossDelay::clearCrossDelay() {
    clearPending.store(false, std::memory_order_relaxed);
    zeroLines();
}

bool CrossDelay::setSampleRate(float rate) {
    if (!storeSampleRate(rate)) return false;
    xdCapacityScale = roundToFloat(240.0 * static_cast<double>(rate));
    return true;
}

bool CrossDelay::storeSampleRate(float rate) {
    if (!(rate > 0.0f) || !std::isfinite(rate)) return false;
    sampleRate_ = rate;
    return true;
}

bool CrossDelay::applyHostTempo(bool answered, double tempo) {
    const float previous = hostTempo_.load();
    previousTempo_ = previous;
    if (answered) {
        // A tempo that is not a finite float counts as no answer.
        const float t = roundToFloat(tempo);
        if (std::isfinite(t)) hostTempo_ = t < 1.0f ? 1.0f : t;
    }
    return hostTempo_.load() != previous;
}

void CrossDelay::recomputeLengths() {
    recomputeSide(Side::Left);
    recomputeSide(Side::Right);
}

void CrossDelay::switchOn(bool on) {
    if (on) {
        clearPending.store(true, std::memory_order_relaxed);
        xdOn = 1.0f;
    } else {
        xdOn = 0.0f;
    }
}

void CrossDelay::setLengthValue(Side side, float value) {
    (side == Side::Left ? lengthValueL : lengthValueR) = value;
    recomputeSide(side);
}

void CrossDelay::setSync(bool on) {
    const float mode = on ? 1.0f : 0.0f;
    if (xdSync.load() == mode) return;
    xdSync = mode;
    recomputeLengths();
}

std::int32_t CrossDelay::length(Side side) const { return side == Side::Left ? xdLengthL.load() : xdLengthR.load(); }

std::int32_t CrossDelay::division(Side side) const {
    return side == Side::Left ? xdDivisionL.load() : xdDivisionR.load();
}

void CrossDelay::processCrossDelay(float inL, float inR, float& outL, float& outR) noexcept {
    if (clearPending.load(std::memory_order_relaxed) && clearPending.exchange(false)) zeroLines();
    const std::int32_t cap = xdCapacity.load();
    if (cap <= 0) {  // no lines could ever be allocated: pass the dry signal
        outL = inL;
        outR = inR;
        return;
    }
    // Lengths are fitted when set; these checks only guard the indexes.
    std::int32_t lengthL = xdLengthL.load();
    std::int32_t lengthR = xdLengthR.load();
    if (static_cast<std::uint32_t>(lengthL) > static_cast<std::uint32_t>(cap)) lengthL = cap;
    if (static_cast<std::uint32_t>(lengthR) > static_cast<std::uint32_t>(cap)) lengthR = cap;
    if (xdPos >= cap) xdPos = 0;

    std::int32_t writeL = xdPos + lengthL;
    if (writeL >= cap) writeL -= cap;
    std::int32_t writeR = xdPos + lengthR;
    if (writeR >= cap) writeR -= cap;

    float* lineL = xdLineL.get();
    float* lineR = xdLineR.get();
    const float a = lineL[xdPos];
    const float b = lineR[xdPos];
    const float feedback = xdFeedback.load();
    lineL[writeL] = flushTiny((inL + b) * feedback);
    lineR[writeR] = flushTiny((inR + a) * feedback);
    if (++xdPos >= cap) xdPos = 0;

    const float mix = xdMix.load();
    outL = inL + b * mix;
    outR = inR + a * mix;
}

// Room for the longest synced division at the current tempo, and also for
// the longest free length (one second and one sample), which a sample-rate
// rise at a high tempo would otherwise leave without room.
std::int64_t CrossDelay::requiredCapacity() const {
    const std::int64_t fourBeats =
        truncToInt(static_cast<double>(xdCapacityScale.load()) / static_cast<double>(hostTempo_.load()));
    const std::int64_t longestFree = freeLength(1.0f);
    const std::int64_t longestSynced = syncedLength(kTempoDivisionCount - 1);
    return std::max({fourBeats, longestFree, longestSynced});
}

std::int64_t CrossDelay::freeLength(float value) const {
    return std::int64_t{truncToInt(static_cast<double>(value) * static_cast<double>(sampleRate_.load()))} + 1;
}

// Extended precision in the written order: at 90 BPM and 44100 Hz the
// quarter note is 7349 samples, where double would give 7350.
std::int64_t CrossDelay::syncedLength(std::int32_t divisionIndex) const {
    const long double beats = tempoDivision(divisionIndex).multiplier;
    const long double tempo = hostTempo_.load();
    const long double rate = sampleRate_.load();
    return withExtendedPrecision([=] { return truncToInt((1.0L / tempo) * beats * rate * 60.0L); });
}

// 1..capacity are the lengths the line can hold (a length equal to the
// capacity delays by the whole line).
std::int32_t CrossDelay::fitIntoCapacity(std::int64_t length) const {
    const std::int64_t cap = std::max<std::int64_t>(xdCapacity.load(), 1);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(length, 1, cap));
}

bool CrossDelay::replaceLines(std::int64_t capacity) {
    if (capacity <= 0 || capacity > kMaxCapacity) return false;
    const auto size = static_cast<std::size_t>(capacity);
    std::unique_ptr<float[]> left(new (std::nothrow) float[size]());
    std::unique_ptr<float[]> right(new (std::nothrow) float[size]());
    if (!left || !right) return false;  // the old lines stay
    xdLineL = std::move(left);
    xdLineR = std::move(right);
    xdCapacity = static_cast<std::int32_t>(capacity);
    xdPos = 0;
    return true;
}

void CrossDelay::recomputeSide(Side side) {
    const bool left = side == Side::Left;
    const float value = (left ? lengthValueL : lengthValueR).load();
    std::int64_t samples;
    if (synced()) {
        const std::int32_t index = divisionIndexOf(value);
        (left ? xdDivisionL : xdDivisionR) = index;
        samples = syncedLength(index);
    } else {
        samples = freeLength(value);
    }
    (left ? xdLengthL : xdLengthR) = fitIntoCapacity(samples);
}

void CrossDelay::zeroLines() {
    const auto size = static_cast<std::size_t>(std::max(xdCapacity.load(), 0));
    if (xdLineL) std::fill_n(xdLineL.get(), size, 0.0f);
    if (xdLineR) std::fill_n(xdLineR.get(), size, 0.0f);
}

}  // namespace velora::effects
