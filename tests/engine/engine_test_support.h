// SPDX-License-Identifier: MIT
#pragma once
// Shared pieces of the engine tests: a recording owner for renderBlock and
// the neutral program every test starts from.
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "engine/synth_engine.h"
#include "support/init_program.h"

namespace velora::engine::test {

class FakeHooks final : public RenderHooks {
public:
    // Called with the sample index before the voices render, at every
    // eventEvery-th sample since the hooks were made; the engine renders
    // the samples between in runs.
    std::function<void(int)> onSample;
    int eventEvery = 1;
    std::vector<float> mixL, mixR;
    int dispatchCalls = 0;
    std::vector<int> tempoChecks;  // sample indexes since the hooks were made

    int dispatchDueEvents(int limit) override {
        ++dispatchCalls;
        if (!onSample) return limit;
        const int sinceEvent = sample_ % eventEvery;
        if (sinceEvent == 0) onSample(sample_);
        return std::min(limit, eventEvery - sinceEvent);
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

// An engine at 44100 Hz with the initial program, and 8 voices allowed.
inline void prepare(SynthEngine& e, float rate = 44100.0f) {
    e.setSampleRate(rate);
    e.open();
    velora::test::applyInitProgram(e);
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

}  // namespace velora::engine::test
