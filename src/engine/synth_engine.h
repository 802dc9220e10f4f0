// SPDX-License-Identifier: MIT
#pragma once
// The whole synth engine state of one plug-in instance: 128 voices, the start
// order, the derived parameter quantities and the per-sample voice loop.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>

#include "engine/engine_values.h"
#if defined(__SSE2__)
#include "engine/lanes.h"
#endif
#include "core/relaxed.h"
#include "engine/noise.h"
#include "engine/render_hooks.h"
#include "engine/resume_hand_over.h"
#include "engine/voice.h"
#include "engine/voice_order.h"
#include "engine/voice_param.h"
#include "engine/wavetables.h"

namespace velora::engine {

inline constexpr int kKeyCount = 128;

// The eight-lane path exists wherever the four-lane one does on x86; the
// CPU is asked at run time.
#if defined(__x86_64__) || (defined(__i386__) && defined(__SSE2__))
#define VELORA_AVX2_LANES 1
#else
#define VELORA_AVX2_LANES 0
#endif

// How the render loop takes the voices: one at a time, or four or eight side
// by side; every path gives the same bits.
enum class LanePath { Reference, Sse2, Avx2 };

class SynthEngine {
public:
    SynthEngine();
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;
    ~SynthEngine();

    // Lifecycle (host requests). Rates that are not finite or not above 0
    // are ignored.
    void setSampleRate(float rate);
    void storeSampleRate(float rate);  // store only; the next open or setSampleRate uses it
    void open();
    // Resume with nothing rendering: the filters and lines are cleared now.
    void resume();
    // Resume while another thread may be rendering: the lines for the rate
    // are made here and handed over; the next block starts with them.
    void postResume();

    // Stores the value and applies what it derives at once (nothing renders).
    void setParam(VoiceParam p, float v);
    // Stores the value at once; the derived state follows on the rendering
    // thread before its next sample (renderBlock) or at applyPostedParams.
    void postParam(VoiceParam p, float v);
    void applyPostedParams();
    static float sustainStoredValue(float v) noexcept;
    static float switchStoredValue(float v) noexcept { return v != 0.0f ? 1.0f : 0.0f; }
    float storedValue(VoiceParam p) const noexcept;

    // Notes; keys outside 0..127 are ignored.
    void noteOn(int key, int velocity);
    void noteOff(int key);
    void sustainController(int value);
    void pedalUp();
    void silenceAll();
    void startLevelRamp(int key, float target);
    void pitchBend(int msb);
    void resetVoices();

    void releaseVoice(int key);
    void fadeVoice(int key);
    void endVoice(int key);

    bool keySounding(int key) const;
    float levelBase(int key) const;
    bool aftertouchOn() const { return values_.aftertouchOn.load() != 0.0f; }
    int voiceLimit() const { return values_.voiceLimit.load(); }
    float sampleRate() const { return values_.sampleRate.load(); }

    void renderBlock(float* outL, float* outR, int count, RenderHooks& hooks);

    // Inspection, for the owner's displays and for tests.
    const Voice& voice(int key) const { return voices_[key & (kKeyCount - 1)]; }
    const VoiceOrder& order() const { return order_; }
    const EngineValues& values() const { return values_; }
    const KeyFrequencies& keyFrequencies() const { return keyFrequency_; }
    int stolenNewest() const { return stolenKeys_.newest; }
    int stolenOlder() const { return stolenKeys_.older; }
    bool sustainDown() const { return sustainDown_; }
    float bendFactor() const { return bendFactor_.load(); }
    int filterTick() const { return filterTick_; }
    int tempoTick() const { return tempoTick_; }
    float vibratoPhase() const { return vibratoPhase_; }
    std::uint32_t noiseState() const { return noise_.state(); }
    // Starts the (empty) start order at another position; tests of the wrap.
    void restartOrderAt(int head) { order_.resetAt(head); }
    // Renders one voice at a time instead of side by side: the same bits,
    // slower; the reference the lane code is tested against.
    void useScalarReference(bool on) { useLanePath(on ? LanePath::Reference : widestLanePath()); }
    // Forces a render path (tests, benchmarks); one this CPU or build lacks
    // falls back to the widest it has.
    void useLanePath(LanePath path) noexcept { lanePath_ = std::min(path, widestLanePath()); }
    LanePath lanePath() const noexcept { return lanePath_; }
    // The widest path this build and CPU run (asked of the CPU once).
    static LanePath widestLanePath() noexcept;

private:
    float normalizedValue(VoiceParam p, float v) const noexcept;
    void applyParam(VoiceParam p, float v);
    void takeResumeHandOver();
    void settleResumeHandOver();

    void stealOldest();
    void rememberStolen(int key);
    void forgetStolen(int key);
    void removeFromOrder(int key) { order_.remove(key); }
    void clearResonator(int key) { voices_[key].resonator.clear(); }
    void setSounding(int key, bool on);
    void rampLevel(Voice& v, float from, float target);

    void allocateResonators();
    void applyTaps(bool leftSide, float delay);
    void applyFeedback(bool leftSide, float feedback);
    void applyEnvelopeLengths();
    void applyLength(VoiceParam p, float v);
    void applyVibratoFrequency(float v);
    void applyResonance(bool tone, float v);
    void applyDecay(KeyFactors& factors, float v, double keySlope, double keyOffset, double depth, double rateBase);
    void clearFilterStates();

    struct SampleValues;
    // What the envelope pass hands to the later passes of a sample, by
    // position among the sounding voices in key order.
    struct SampleVoices {
        int count = 0;
        int layered = 0;  // voices whose layers render (not in the tail stage)
        alignas(16) std::array<int, kKeyCount> key;
        alignas(16) std::array<float, kKeyCount> a, t, e;  // Adsr, Tone and Attack envelope outputs
        alignas(16) std::array<float, kKeyCount> toneOut, attackOut;
        std::array<bool, kKeyCount> layers, fading;
        std::array<int, kKeyCount> rendering;  // positions of the layered voices
    };
    void loadSampleValues(SampleValues& s) const;
    void stepAllEnvelopes(const SampleValues& s, SampleVoices& sv);
    void stepEnvelopes(const SampleValues& s, SampleVoices& sv, int j);
    void renderAllLayers(const SampleValues& s, SampleVoices& sv);
    void renderLayersScalar(const SampleValues& s, SampleVoices& sv, int from, int to);
    float renderTone(Voice& v, const SampleValues& s, float t, float a);
    float renderAttack(Voice& v, int key, const SampleValues& s, float e, float a);
    void finishAllVoices(const SampleValues& s, const SampleVoices& sv, float& mixL, float& mixR);
    template <typename Resonate>
    void finishVoice(const SampleValues& s, const SampleVoices& sv, int j, float& mixL, float& mixR, Resonate resonate);
    // Envelopes of the voices at positions from .. to - 1, four side by side
    // where they can.
    void stepEnvelopeRange(const SampleValues& s, SampleVoices& sv, int from, int to);
    template <typename Lanes>
    friend struct LaneRenderer;
#if defined(__SSE2__)
    // Four voices of a sample side by side (render_lanes.cpp): the group
    // steps, or the position where the groups stopped.
    bool stepEnvelopeGroup4(const SampleValues& s, SampleVoices& sv, int first);
    int renderLayerGroups4(const SampleValues& s, SampleVoices& sv, int first);
#endif
#if VELORA_AVX2_LANES
    // Eight (render_lanes_avx2.cpp).
    int stepEnvelopeGroups8(const SampleValues& s, SampleVoices& sv);
    int renderLayerGroups8(const SampleValues& s, SampleVoices& sv);
    void finishVoices8(const SampleValues& s, const SampleVoices& sv, float& mixL, float& mixR);
#endif

    EngineValues values_;
    // One bit per parameter posted and not yet applied.
    std::array<std::atomic<std::uint32_t>, 2> postedParams_{};
    ResumeHandOver resumeHandOver_;
    KeyFrequencies keyFrequency_{};
    const WaveTableSet& tables_;
    std::array<Voice, kKeyCount> voices_;
    std::array<std::uint64_t, 2> sounding_{};  // mirror of keySounding, for the voice loop
    VoiceOrder order_;
    // The last two keys released by stealing; -1 = empty.
    struct StolenKeys {
        int newest = -1;
        int older = -1;
    } stolenKeys_;
    bool sustainDown_ = false;

    Relaxed<float> bendFactor_{1.0f};
    int filterTick_ = 0;
    int tempoTick_ = 0;
    float vibratoPhase_ = 0.0f;
    float vibratoValue_ = 0.0f;
    NoiseGenerator noise_;
    Voice laneScratch_;  // fills the free lanes of a short group
    LanePath lanePath_ = widestLanePath();
};

}  // namespace velora::engine
