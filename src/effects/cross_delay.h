// SPDX-License-Identifier: MIT
#pragma once
// Stereo ping-pong delay: each line is fed by one input plus the other line's
// output and is heard on the opposite channel. Lengths are free (up to one
// second) or locked to the host tempo as one of ten note values.
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/relaxed.h"

namespace velora::effects {

enum class Side : int { Left = 0, Right = 1 };

class CrossDelay {
public:
    // 4 beats at 1 beat per minute and 384 kHz; larger requests are refused.
    static constexpr std::int32_t kMaxCapacity = 240 * 384000;

    CrossDelay();  // lines for 120 BPM at 44100 Hz, zeroed
    CrossDelay(const CrossDelay&) = delete;
    CrossDelay& operator=(const CrossDelay&) = delete;

    // Set-up. Never concurrent with processCrossDelay (host calls that are not
    // interleaved with processing, or the audio thread itself).
    void allocateCrossDelay();
    bool growCrossDelay();  // true when the lines were replaced
    void clearCrossDelay();
    void requestClear() { clearPending.store(true, std::memory_order_relaxed); }
    bool setSampleRate(float rate);    // false (and nothing changes) for a rate that is not finite and positive
    bool storeSampleRate(float rate);  // as setSampleRate, but the capacity scale stays
    bool applyHostTempo(bool answered, double tempo);
    void recomputeLengths();

    // Parameter actions; safe from any thread.
    void switchOn(bool on);
    void setLengthValue(Side side, float value);
    void setFeedback(float value) { xdFeedback = value; }
    void setMix(float value) { xdMix = value; }
    // Switching the mode recomputes both lengths from their stored values, so
    // the lengths never depend on whether the mode or they were set first.
    void setSync(bool on);

    void processCrossDelay(float inL, float inR, float& outL, float& outR) noexcept;

    bool on() const { return xdOn.load() != 0.0f; }
    bool synced() const { return xdSync.load() != 0.0f; }
    float hostTempo() const { return hostTempo_.load(); }
    float previousTempo() const { return previousTempo_.load(); }
    float sampleRate() const { return sampleRate_.load(); }
    std::int32_t capacity() const { return xdCapacity.load(); }
    std::int32_t length(Side side) const;
    std::int32_t division(Side side) const;

private:
    std::int64_t requiredCapacity() const;
    std::int64_t freeLength(float value) const;
    std::int64_t syncedLength(std::int32_t divisionIndex) const;
    std::int32_t fitIntoCapacity(std::int64_t length) const;
    bool replaceLines(std::int64_t capacity);
    void recomputeSide(Side side);
    void zeroLines();

    std::unique_ptr<float[]> xdLineL;  // heard on the right output
    std::unique_ptr<float[]> xdLineR;  // heard on the left output
    Relaxed<std::int32_t> xdCapacity{0};
    std::int32_t xdPos = 0;
    Relaxed<std::int32_t> xdLengthL{1}, xdLengthR{1};
    Relaxed<std::int32_t> xdDivisionL{0}, xdDivisionR{0};
    Relaxed<float> lengthValueL{0.0f}, lengthValueR{0.0f};
    Relaxed<float> xdFeedback{0.0f}, xdMix{0.0f};
    Relaxed<float> xdOn{0.0f}, xdSync{0.0f};
    Relaxed<float> hostTempo_{120.0f}, previousTempo_{120.0f};
    Relaxed<float> sampleRate_{44100.0f};
    Relaxed<float> xdCapacityScale{10584000.0f};
    // Switching on may come from another thread while the lines are being
    // processed; the audio side clears them before its next sample.
    std::atomic<bool> clearPending{false};
};

}  // namespace velora::effects
