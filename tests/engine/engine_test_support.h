#pragma once
// Shared pieces of the engine tests: a recording owner for renderBlock and
// the neutral program every test starts from.
#include <functional>
#include <memory>
#include <vector>

#include "engine/synth_engine.h"

namespace velora::engine::testing {

class FakeHooks final : public RenderHooks {
public:
    // Called with the sample index of the block before the voices render.
    std::function<void(int)> onSample;
    std::vector<float> mixL, mixR;
    int dispatchCalls = 0;
    std::vector<int> tempoChecks; // sample indexes since the hooks were made

    void dispatchDueEvents() override {
        if (onSample) onSample(sample_);
        ++dispatchCalls;
    }
    void tempoCheck() override { tempoChecks.push_back(sample_); }
    void processOutput(float l, float r, float& outL, float& outR) override {
        mixL.push_back(l);
        mixR.push_back(r);
        outL = l;
        outR = r;
        ++sample_;
    }

private:
    int sample_ = 0;
};

// The initial values of a fresh program, as program selection applies them.
inline void applyInitProgram(SynthEngine& e) {
    using P = VoiceParam;
    const std::pair<P, float> values[] = {
        {P::ToneOn, 1.0f}, {P::AttackOn, 1.0f}, {P::ToneUnisonDiff, 0.0f}, {P::ToneUnisonAmp, 0.0f},
        {P::AttackUnisonDiff, 0.0f}, {P::AttackUnisonAmp, 0.0f}, {P::VibratoFreq, 0.0f}, {P::VibratoDev, 0.0f},
        {P::ToneWaveMix, 1.0f}, {P::AttackWaveMix, 1.0f}, {P::NoiseMix, 0.0f}, {P::AttackFreqMult, 0.0f},
        {P::ToneAmpMax, 1.0f}, {P::ToneAmpDecay, 0.2f}, {P::ToneAmpMin, 0.0f}, {P::AttackAmpMax, 1.0f},
        {P::AttackAmpDecay, 0.8f}, {P::AttackAmpMin, 0.0f}, {P::ToneLpMax, 1.0f}, {P::ToneLpRes, 0.2f},
        {P::ToneLpDecay, 0.2f}, {P::ToneLpMin, 0.0f}, {P::AttackLpMax, 1.0f}, {P::AttackLpRes, 0.3f},
        {P::AttackLpDecay, 0.9f}, {P::AttackLpMin, 0.0f}, {P::Attack, 0.0f}, {P::Decay, 0.1f},
        {P::Sustain, 0.8f}, {P::Release, 0.2f}, {P::Delay1, 0.0f}, {P::Feedback1, 0.0f}, {P::Delay2, 0.0f},
        {P::Feedback2, 0.0f}, {P::AftertouchOn, 0.0f}, {P::AttackUnderAdsr, 0.0f},
        {P::VoiceLimit, floatFromBits(0x3D810204u)}};
    e.resetVoices();
    for (const auto& [p, v] : values) e.setParam(p, v);
}

// An engine at 44100 Hz with the initial program, and 8 voices allowed.
inline void prepare(SynthEngine& e, float rate = 44100.0f) {
    e.setSampleRate(rate);
    e.open();
    applyInitProgram(e);
    e.setParam(VoiceParam::VoiceLimit, 0.0629929f);
}

// The same on the heap: the engine is too large for a test's stack.
inline std::unique_ptr<SynthEngine> preparedEngine() {
    auto e = std::make_unique<SynthEngine>();
    prepare(*e);
    return e;
}

inline std::vector<float> render(SynthEngine& e, FakeHooks& hooks, int count) {
    std::vector<float> l(count), r(count);
    e.renderBlock(l.data(), r.data(), count, hooks);
    return l;
}

inline std::vector<float> render(SynthEngine& e, int count) {
    FakeHooks hooks;
    return render(e, hooks, count);
}

} // namespace velora::engine::testing
