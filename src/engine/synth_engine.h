// SPDX-License-Identifier: MIT
#pragma once
// The whole synth engine state of one plug-in instance: 128 voices, the start
// order, the derived parameter quantities and the per-sample voice loop.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

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
    // Samples rendered stage by stage: the envelopes of every voice sample by
    // sample, then each voice's (or group's) layers and resonator over the
    // whole run, so its state stays in the cache; then the mix. A run ends at
    // the next due event, the next tempo check, kRunLength samples, and
    // wherever the set of sounding or layered voices changes.
    static constexpr int kRunLength = 16;
    static constexpr int kTempoCheckPeriod = 128;
    struct RunRows;
    // What the envelope pass hands to the later passes of one sample, by
    // position among the sounding voices in key order: a view of one row of
    // the run's buffers.
    struct SampleVoices {
        int count = 0;
        int layered = 0;                // voices whose layers render (not in the tail stage)
        const int* key = nullptr;       // shared by the run
        const int* rendering = nullptr;  // positions of the layered voices, shared by the run
        float *a, *t, *e;               // Adsr, Tone and Attack envelope outputs
        float *toneOut, *attackOut;
        const float* noise;             // the Attack layers' draws, where noise is on
        bool *layers, *fading;
    };
    SampleVoices sampleVoices(int row, int count, int layered);
    void loadSampleValues(SampleValues& s) const;
    int stepRunEnvelopes(const SampleValues& s, int length, bool& carried);
    void drawRunNoise(const SampleValues& s, int length, int layered);
    void carryEnvelopes(int row, int count);
    void stepAllEnvelopes(const SampleValues& s, SampleVoices& sv);
    void stepEnvelopes(const SampleValues& s, SampleVoices& sv, int j);
    void renderAllLayers(SampleValues& s, int length, int count, int layered);
    void renderLayersScalar(SampleValues& s, int length, int count, int layered, int from);
    float renderTone(Voice& v, const SampleValues& s, float t, float a);
    float renderAttack(Voice& v, const SampleValues& s, float e, float a, float noise);
    void finishAllVoices(const SampleValues& s, int length, int count);
    template <typename Resonate>
    void finishVoiceRun(const StageGains& gains, int j, int length, Resonate resonate);
    void mixRun(int length, int count, float* outL, float* outR, RenderHooks& hooks);
    void prepareRunClock(int length);
    void advanceRunClock(int length);
    int collectSounding();
    int listRendering(int count);
    // Envelopes of the voices at positions from .. to - 1, four side by side
    // where they can.
    void stepEnvelopeRange(const SampleValues& s, SampleVoices& sv, int from, int to);
    template <typename Lanes>
    friend struct LaneRenderer;
#if defined(__SSE2__)
    // Four voices side by side (render_lanes.cpp): the group of a sample
    // steps, or the position where the layer groups of a run stopped.
    bool stepEnvelopeGroup4(const SampleValues& s, SampleVoices& sv, int first);
    int renderLayerGroups4(SampleValues& s, int length, int count, int layered, int first);
#endif
#if VELORA_AVX2_LANES
    // Eight (render_lanes_avx2.cpp).
    int stepEnvelopeGroups8(const SampleValues& s, SampleVoices& sv);
    int renderLayerGroups8(SampleValues& s, int length, int count, int layered);
    void finishVoices8(const SampleValues& s, int length, int count);
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
    // The samples ahead of a run: vibrato values and cutoff steps.
    // The samples ahead of a run: the vibrato values and cutoff steps, and
    // the vibrato phase and filter tick at the start of each sample.
    struct RunClock {
        std::array<float, kRunLength> vibrato;
        std::array<bool, kRunLength> filterStep;
        std::array<float, kRunLength + 1> vibratoPhase;
        std::array<int, kRunLength + 1> filterTick;
    } runClock_{};
    // The voices of the present run: the sounding set its key list was taken
    // from, how many sound and how many of them render their layers.
    struct RunVoices {
        std::array<std::uint64_t, 2> sounding{};
        int count = 0;
        int layered = 0;
    } runVoices_;
    std::unique_ptr<RunRows> rows_;  // made with the engine: nothing allocates while rendering
};

}  // namespace velora::engine
