// SPDX-License-Identifier: MIT
// Cost of the voice loop per active voice and sample, and the real-time
// factor at 44100 Hz, for the initial program and a heavy setting.
#include <benchmark/benchmark.h>

#include <memory>
#include <utility>
#include <vector>

#include "engine/synth_engine.h"
#include "programs/program.h"
#include "shell/parameter_table.h"

namespace velora::engine {
namespace {

class NullHooks final : public RenderHooks {
public:
    int dispatchDueEvents(int limit) override { return limit; }
    void tempoCheck() override {}
    void processOutput(float l, float r, float& outL, float& outR) override {
        outL = l;
        outR = r;
    }
};

using Setting = std::vector<std::pair<VoiceParam, float>>;

// The initial program's engine values, from the same record the plug-in
// starts every program with.
const Setting& initSetting() {
    static const Setting s = [] {
        Program program;
        initProgram(program);
        Setting values;
        for (std::int32_t index = 0; index < kParamCount; ++index) {
            const ParamInfo& info = paramInfo(index);
            if (info.action == ActionKind::Engine)
                values.emplace_back(static_cast<VoiceParam>(info.target), program.values[info.slot]);
        }
        return values;
    }();
    return s;
}

const Setting& heavySetting() {
    using P = VoiceParam;
    static const Setting s = [] {
        Setting h = initSetting();
        const Setting extra = {{P::ToneUnisonDiff, 0.3f},  {P::ToneUnisonAmp, 0.6f}, {P::AttackUnisonDiff, 0.4f},
                               {P::AttackUnisonAmp, 0.5f}, {P::ToneWaveMix, 0.4f},   {P::AttackWaveMix, 0.6f},
                               {P::NoiseMix, 0.3f},        {P::VibratoFreq, 0.3f},   {P::VibratoDev, 0.4f},
                               {P::AttackFreqMult, 0.3f},  {P::Delay1, 0.4f},        {P::Feedback1, 0.6f},
                               {P::Delay2, 0.7f},          {P::Feedback2, 0.5f},     {P::AttackUnderAdsr, 1.0f},
                               {P::ToneAmpMin, 0.4f},      {P::AttackAmpMin, 0.3f}};
        h.insert(h.end(), extra.begin(), extra.end());
        return h;
    }();
    return s;
}

void renderVoices(benchmark::State& state, const Setting& setting) {
    const int voices = static_cast<int>(state.range(0));
    constexpr int kBlock = 512;
    auto engine = std::make_unique<SynthEngine>();
    engine->setSampleRate(44100.0f);
    engine->open();
    engine->resetVoices();
    for (const auto& [p, v] : setting) engine->setParam(p, v);
    engine->setParam(VoiceParam::VoiceLimit, 1.0f);
    for (int i = 0; i < voices; ++i) engine->noteOn(i * 127 / voices, 100);
    NullHooks hooks;
    std::vector<float> l(kBlock), r(kBlock);
    engine->renderBlock(l.data(), r.data(), kBlock, hooks);  // past the attack
    for (auto _ : state) {
        engine->renderBlock(l.data(), r.data(), kBlock, hooks);
        benchmark::DoNotOptimize(l.data());
        benchmark::DoNotOptimize(r.data());
    }
    state.counters["s_per_voice_sample"] =
        benchmark::Counter(static_cast<double>(kBlock) * voices,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["realtime_factor"] =
        benchmark::Counter(kBlock / 44100.0, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_VoicesInit(benchmark::State& state) { renderVoices(state, initSetting()); }
void BM_VoicesHeavy(benchmark::State& state) { renderVoices(state, heavySetting()); }
BENCHMARK(BM_VoicesInit)->Arg(1)->Arg(8)->Arg(32)->Arg(127)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VoicesHeavy)->Arg(1)->Arg(8)->Arg(32)->Arg(127)->Unit(benchmark::kMicrosecond);

void BM_WaveTableBuild(benchmark::State& state) {
    auto set = std::make_unique<WaveTableSet>();
    for (auto _ : state) {
        buildWaveTables(*set);
        benchmark::DoNotOptimize(set->waves[39][100]);
    }
    state.counters["table_bytes"] = static_cast<double>(sizeof(WaveTableSet));
}
BENCHMARK(BM_WaveTableBuild)->Unit(benchmark::kMillisecond);

// Memory of one voice: the record plus its eight resonator lines.
void BM_VoiceMemory(benchmark::State& state) {
    auto engine = std::make_unique<SynthEngine>();
    engine->setSampleRate(44100.0f);
    double lines = 0.0;
    for (int key = 0; key < 128; ++key) lines += 8.0 * sizeof(float) * engine->voice(key).resonator.length;
    for (auto _ : state) benchmark::DoNotOptimize(lines);
    state.counters["voice_record_bytes"] = static_cast<double>(sizeof(Voice));
    state.counters["mean_line_bytes"] = lines / 128.0;
    state.counters["key0_line_bytes"] = 8.0 * sizeof(float) * engine->voice(0).resonator.length;
    state.counters["engine_bytes"] = static_cast<double>(sizeof(SynthEngine));
}
BENCHMARK(BM_VoiceMemory)->Iterations(1);

}  // namespace
}  // namespace velora::engine
