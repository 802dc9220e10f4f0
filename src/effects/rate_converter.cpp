// SPDX-License-Identifier: MIT
#include "effects/rate_converter.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

namespace velora::effects {
namespace {

float horizontalSum(__m128 sum) {
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, sum);
    return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
}

}  // namespace

float RateConverter::engineRateFor(float hostRate) { return converts(hostRate) ? kDesignRate : hostRate; }

void RateConverter::setHostRate(float hostRate) {
    if (!std::isfinite(hostRate) || hostRate <= 0.0f) return;
    hostRate_ = hostRate;
    active_ = converts(hostRate);
    engineRate_ = engineRateFor(hostRate);
    if (!active_) {
        latency_ = 0;
        kernel_ = {};
        historyL_ = historyR_ = {};
        return;
    }
    inRate_ = static_cast<std::int64_t>(kDesignRate);
    outRate_ = static_cast<std::int64_t>(std::min(hostRate, 1e9f));
    // Every host sample falls on one of outRate / gcd positions between two engine samples.
    const std::int64_t positions = outRate_ / std::gcd(inRate_, outRate_);
    phaseStep_ = positions <= kKernelPhases ? outRate_ / positions : 0;
    kernel_ = designKernel(double(inRate_), double(outRate_), phaseStep_ ? int(positions) : kKernelPhases);
    const std::size_t size = static_cast<std::size_t>(kernel_.taps - 1 + kChunk);
    historyL_.assign(size, 0.0f);
    historyR_.assign(size, 0.0f);
    latency_ = static_cast<int>(kernel_.taps / 2 * outRate_ / inRate_);
    reset();
}

void RateConverter::reset() {
    if (!active_) return;
    // Silence before the first engine sample fills the kernel's reach.
    count_ = kernel_.taps - 1;
    std::fill(historyL_.begin(), historyL_.end(), 0.0f);
    std::fill(historyR_.begin(), historyR_.end(), 0.0f);
    rendered_ = produced_ = 0;
    peak_ = 0.0f;
    // A whole number of host samples of delay: the kernel centre of host
    // sample 0 sits taps / 2 - latency x inRate / outRate engine samples in.
    const std::int64_t offset = kernel_.taps / 2 * outRate_ - std::int64_t(latency_) * inRate_;
    next_ = offset / outRate_;
    remainder_ = offset % outRate_;
}

void RateConverter::silenceHistory() noexcept {
    std::fill(historyL_.begin(), historyL_.end(), 0.0f);
    std::fill(historyR_.begin(), historyR_.end(), 0.0f);
    peak_ = 0.0f;
}

// Raises the peak by the samples from position `from` on.
void RateConverter::trackPeak(int from) noexcept {
    for (int p = from; p < count_; ++p)
        peak_ = std::max({peak_, std::fabs(historyL_[std::size_t(p)]), std::fabs(historyR_[std::size_t(p)])});
}

std::int32_t RateConverter::engineOffset(std::int32_t hostOffset) const {
    if (!active_) return hostOffset;
    // The engine sample nearest to the event's instant.
    const std::int64_t instant = produced_ + std::max<std::int32_t>(hostOffset, 0);
    const std::int64_t due = (instant * inRate_ + outRate_ / 2) / outRate_;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(due - rendered_, 0, std::numeric_limits<std::int32_t>::max()));
}

// Keeps the taps - 1 newest samples, which any later host sample may still need.
void RateConverter::makeRoom() noexcept {
    const int keep = kernel_.taps - 1;
    std::memmove(historyL_.data(), historyL_.data() + (count_ - keep), sizeof(float) * std::size_t(keep));
    std::memmove(historyR_.data(), historyR_.data() + (count_ - keep), sizeof(float) * std::size_t(keep));
    count_ = keep;
    peak_ = 0.0f;
    trackPeak(0);
}

void RateConverter::process(float* left, float* right, int frames, RateSource& source) noexcept {
    if (!active_ || frames <= 0) return;
    if (phaseStep_ != 0)
        convert<false>(left, right, frames, source);
    else
        convert<true>(left, right, frames, source);
}

template <bool kBlend>
void RateConverter::convert(float* left, float* right, int frames, RateSource& source) noexcept {
    const int taps = kernel_.taps;
    // The engine renders up to the last engine sample this block reads, never further,
    // so events for the next block still find their samples ahead.
    const std::int64_t last = next_ + (remainder_ + std::int64_t(frames - 1) * inRate_) / outRate_;
    for (int i = 0; i < frames; ++i) {
        while (next_ >= rendered_) {
            if (count_ == static_cast<int>(historyL_.size())) makeRoom();
            const int room = static_cast<int>(historyL_.size()) - count_;
            const int count = static_cast<int>(std::min<std::int64_t>(room, last + 1 - rendered_));
            source.renderEngine(historyL_.data() + count_, historyR_.data() + count_, count);
            count_ += count;
            rendered_ += count;
            trackPeak(count_ - count);
        }
        // The kernel row of the fractional position (or a blend of the two
        // around it), tap by tap, into four running sums per channel in a
        // fixed order: the same bits on every SSE2 build.
        const int first = count_ - static_cast<int>(rendered_ - next_) - (taps - 1);
        const float* inL = historyL_.data() + first;
        const float* inR = historyR_.data() + first;
        __m128 sumL = _mm_setzero_ps(), sumR = _mm_setzero_ps();
        if constexpr (kBlend) {
            const std::int64_t scaled = remainder_ * kKernelPhases;
            const int phase = static_cast<int>(scaled / outRate_);
            const float blend = static_cast<float>(scaled % outRate_) / static_cast<float>(outRate_);
            const __m128 b = _mm_set1_ps(blend), a = _mm_set1_ps(1.0f - blend);
            const float* lower = kernel_.row(phase);
            const float* upper = kernel_.row(phase + 1);
            for (int k = 0; k < taps; k += 4) {
                const __m128 w =
                    _mm_add_ps(_mm_mul_ps(a, _mm_loadu_ps(lower + k)), _mm_mul_ps(b, _mm_loadu_ps(upper + k)));
                sumL = _mm_add_ps(sumL, _mm_mul_ps(w, _mm_loadu_ps(inL + k)));
                sumR = _mm_add_ps(sumR, _mm_mul_ps(w, _mm_loadu_ps(inR + k)));
            }
        } else {
            const float* row = kernel_.row(static_cast<int>(remainder_ / phaseStep_));
            for (int k = 0; k < taps; k += 4) {
                const __m128 w = _mm_loadu_ps(row + k);
                sumL = _mm_add_ps(sumL, _mm_mul_ps(w, _mm_loadu_ps(inL + k)));
                sumR = _mm_add_ps(sumR, _mm_mul_ps(w, _mm_loadu_ps(inR + k)));
            }
        }
        left[i] = std::clamp(horizontalSum(sumL), -peak_, peak_);
        right[i] = std::clamp(horizontalSum(sumR), -peak_, peak_);
        ++produced_;
        remainder_ += inRate_;
        next_ += remainder_ / outRate_;
        remainder_ %= outRate_;
    }
}

}  // namespace velora::effects
