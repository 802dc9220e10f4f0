// SPDX-License-Identifier: MIT
#pragma once
// Per-instance noise source: the classic linear congruential generator, so
// every build and platform makes the same noise and instances share nothing.
#include <cstdint>

namespace velora::engine {

class NoiseGenerator {
public:
    // 0 .. 32767
    int next() noexcept {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    std::uint32_t state() const noexcept { return state_; }

private:
    std::uint32_t state_ = 1;
};

// Noise of the Attack layer for one draw r: the integer factor (1 - key)
// makes it grow with the key (none at key 1).
inline float attackNoise(float amount, int r, int key) noexcept {
    return amount * (static_cast<float>(r) * 6.103701889514923e-05f - 1.0f) * static_cast<float>(1 - key) * 0.0078125f;
}

}  // namespace velora::engine
