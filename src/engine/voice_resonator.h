// SPDX-License-Identifier: MIT
#pragma once
// Per-voice network of four stages of cross-fed delay lines, one key period
// long, that turns the voice's mono signal into its stereo output.
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/numeric.h"
#include "core/relaxed.h"
#if defined(__SSE2__)
#include "engine/lanes.h"
#endif

namespace velora::engine {

inline constexpr int kResonatorStages = 4;
inline constexpr int kLinesPerVoice = 2 * kResonatorStages;
// Lines are sized for at most this rate: real interfaces stay below, and an
// absurd host rate must not take gigabytes for 128 voices.
inline constexpr double kMaxResonatorRate = 768000.0;
// Hard bound on one line (key 0 at the rate above is about 94000 samples).
inline constexpr std::int32_t kMaxResonatorLength = 131072;
// Delay spread factor between the stages.
inline constexpr float kTapSpread = floatFromBits(0x3F7EB852u);  // 0.995

// Feedback gains of the four stages; every voice uses the same ones.
struct ResonatorGains {
    std::array<Relaxed<float>, kResonatorStages> left;   // from "Feedback 1"
    std::array<Relaxed<float>, kResonatorStages> right;  // from "Feedback 2"
};

inline constexpr std::array<float, kResonatorStages> kStageFeedback = {
    floatFromBits(0x3F7AE148u), floatFromBits(0x3F75C28Fu), floatFromBits(0x3F7851ECu), floatFromBits(0x3F733333u)};

struct VoiceResonator {
    std::int32_t length = 0;  // N; 0 while no lines are allocated
    std::int32_t position = 0;
    // N frames of the eight lines L1, R1, L2, R2, L3, R3, L4, R4: all lines
    // are read at the same position, so that read is one cache line.
    float* lines = nullptr;
    // Tap lengths in the order of a frame's values, L1 R1 L2 R2 ...: the
    // write positions of a sample are two vector adds. Only the thread that
    // renders writes them while blocks render (parameter changes are
    // applied there).
    alignas(16) std::array<std::int32_t, kLinesPerVoice> taps{1, 1, 1, 1, 1, 1, 1, 1};

    // One side's taps by stage.
    class Side {
    public:
        explicit Side(std::int32_t* first) noexcept : first_(first) {}
        std::int32_t& operator[](int stage) const noexcept { return first_[2 * stage]; }

    private:
        std::int32_t* first_;
    };
    Side leftTap{taps.data()};
    Side rightTap{taps.data() + 1};

    VoiceResonator() = default;
    VoiceResonator(const VoiceResonator&) = delete;
    VoiceResonator& operator=(const VoiceResonator&) = delete;
    ~VoiceResonator() { release(); }

    // Reallocates zeroed lines of the given length (clamped to
    // 1..kMaxResonatorLength). On allocation failure the voice stays silent.
    void allocate(std::int32_t n) noexcept;
    void release() noexcept;
    void clear() noexcept;
    // Takes zeroed lines of length n from newLines and returns the ones it
    // held (for deleteLines), starting over at position 0.
    float* adopt(float* fresh, std::int32_t n) noexcept;

    // Zeroed lines of length clampedLength(n), or null without memory.
    static float* newLines(std::int32_t n) noexcept;
    static void deleteLines(float* lines) noexcept;
    static std::int32_t clampedLength(std::int32_t n) noexcept;

private:
    void fitTaps() noexcept;
};

// The four tap lengths of one side for a delay value: tap j = trunc((N - 1) x
// v x r^j) + 1 in extended precision, kept inside 1..N.
std::array<std::int32_t, kResonatorStages> resonatorTaps(std::int32_t length, float delay) noexcept;

struct StereoSample {
    float left, right;
};

// The gains as plain values, loaded once per sample for all voices.
struct StageGains {
    std::array<float, kResonatorStages> left, right;
    // right[0], left[0], right[1], left[1], ...: the gain of each value a
    // frame holds where it feeds the other side.
    alignas(16) std::array<float, kLinesPerVoice> crossed;
};

inline StageGains loadGains(const ResonatorGains& g) noexcept {
    StageGains s{};
    for (int i = 0; i < kResonatorStages; ++i) {
        s.left[i] = g.left[i].load();
        s.right[i] = g.right[i].load();
        s.crossed[2 * i] = s.right[i];
        s.crossed[2 * i + 1] = s.left[i];
    }
    return s;
}

// One sample; g is the amplitude-envelope gain of stage 4 (and of the fade).
// Stage by stage, as the network is described; the render loop uses the
// vector form below, which gives the same bits.
inline StereoSample processResonatorScalar(VoiceResonator& r, const StageGains& gains, float x, float g,
                                           bool fading) noexcept {
    const std::int32_t n = r.length;
    if (n <= 0) return {0.0f, 0.0f};
    const std::int32_t w = r.position;
    float inLeft = x, inRight = x;
    float* const frames = r.lines;
    const float* const now = frames + static_cast<std::ptrdiff_t>(w) * kLinesPerVoice;
    for (int s = 0; s < kResonatorStages; ++s) {
        std::int32_t pL = w + r.leftTap[s];
        if (pL >= n) pL -= n;
        std::int32_t pR = w + r.rightTap[s];
        if (pR >= n) pR -= n;
        const float u = now[2 * s];
        const float v = now[2 * s + 1];
        float toLeft = v * gains.right[s] + inRight;
        float toRight = u * gains.left[s] + inLeft;
        if (s == kResonatorStages - 1) {
            toLeft *= g;
            toRight *= g;
        }
        frames[static_cast<std::ptrdiff_t>(pL) * kLinesPerVoice + 2 * s] = flushTiny(toLeft);
        frames[static_cast<std::ptrdiff_t>(pR) * kLinesPerVoice + 2 * s + 1] = flushTiny(toRight);
        inLeft = u;
        inRight = v;
    }
    if (fading) {
        inLeft *= g;
        inRight *= g;
    }
    r.position = w + 1 == n ? 0 : w + 1;
    // The next sample reads this voice's next frame: fetch it while the
    // other voices render.
    __builtin_prefetch(frames + static_cast<std::ptrdiff_t>(r.position) * kLinesPerVoice);
    return {inLeft, inRight};
}

// Fetches, for writing, the line a few frames past a write position. The
// address is only formed as an integer and never dereferenced, so past the
// end of the lines it is harmless.
inline void prefetchForWrite(const float* p) noexcept {
    constexpr std::uintptr_t kAheadBytes = 4 * kLinesPerVoice * sizeof(float);
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(p) + kAheadBytes), 1);
}

#if defined(__SSE2__)
// Every stage reads its two lines at the shared position before anything is
// written, and a stage's inputs are the previous stage's reads, so all eight
// sums are independent: two four-lane multiply-adds, then the writes.
inline StereoSample processResonator(VoiceResonator& r, const StageGains& gains, float x, float g,
                                     bool fading) noexcept {
    const std::int32_t n = r.length;
    if (n <= 0) return {0.0f, 0.0f};
    const std::int32_t w = r.position;
    float* const frames = r.lines;
    const float* const now = frames + static_cast<std::ptrdiff_t>(w) * kLinesPerVoice;
    const __m128 early = _mm_loadu_ps(now);     // u1 v1 u2 v2
    const __m128 late = _mm_loadu_ps(now + 4);  // u3 v3 u4 v4
    const __m128 earlySwapped = _mm_shuffle_ps(early, early, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 lateSwapped = _mm_shuffle_ps(late, late, _MM_SHUFFLE(2, 3, 0, 1));
    const __m128 inEarly = _mm_shuffle_ps(_mm_set1_ps(x), earlySwapped, _MM_SHUFFLE(1, 0, 1, 0));
    const __m128 inLate = _mm_shuffle_ps(earlySwapped, lateSwapped, _MM_SHUFFLE(1, 0, 3, 2));
    const __m128 sumEarly =
        lanes::flushTiny(_mm_add_ps(_mm_mul_ps(earlySwapped, _mm_loadu_ps(gains.crossed.data())), inEarly));
    const __m128 sumLate =
        lanes::flushTiny(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(lateSwapped, _mm_loadu_ps(gains.crossed.data() + 4)), inLate),
                                    _mm_setr_ps(1.0f, 1.0f, g, g)));
    alignas(16) float sums[kLinesPerVoice];
    _mm_store_ps(sums, sumEarly);
    _mm_store_ps(sums + 4, sumLate);
    // Write positions w + tap, less N where they reach N, as indexes of the
    // values in the frames: L1 R1 L2 R2 | L3 R3 L4 R4, like the sums.
    const __m128i length = _mm_set1_epi32(n);
    auto writeIndex = [&](int line) {
        // Unaligned: the 32-bit Windows heap gives 8-byte blocks, so a voice
        // record need not sit where its alignment says.
        const __m128i tap = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r.taps.data() + line));
        __m128i p = _mm_add_epi32(_mm_set1_epi32(w), tap);
        p = _mm_sub_epi32(p, _mm_andnot_si128(_mm_cmpgt_epi32(length, p), length));
        return _mm_add_epi32(_mm_slli_epi32(p, 3), _mm_setr_epi32(line, line + 1, line + 2, line + 3));
    };
    alignas(16) std::int32_t at[kLinesPerVoice];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), writeIndex(0));
    _mm_store_si128(reinterpret_cast<__m128i*>(at + 4), writeIndex(4));
    for (int k = 0; k < kLinesPerVoice; ++k) {
        float* const to = frames + at[k];
        *to = sums[k];
        // A tap moves on by one frame per sample, and with many voices its
        // next lines have left the cache by the time it reaches them.
        prefetchForWrite(to);
    }
    alignas(16) float outputs[4];
    _mm_store_ps(outputs, late);
    float left = outputs[2], right = outputs[3];
    if (fading) {
        left *= g;
        right *= g;
    }
    r.position = w + 1 == n ? 0 : w + 1;
    __builtin_prefetch(frames + static_cast<std::ptrdiff_t>(r.position) * kLinesPerVoice);
    return {left, right};
}
#else
inline StereoSample processResonator(VoiceResonator& r, const StageGains& gains, float x, float g,
                                     bool fading) noexcept {
    return processResonatorScalar(r, gains, x, g, fading);
}
#endif

}  // namespace velora::engine
