// SPDX-License-Identifier: MIT
// Per-sample cost of the effect chain: the reverb, the cross delay and the
// whole output stage, each over blocks of 1024 samples of a test signal.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "effects/cross_delay.h"
#include "effects/effect_chain.h"
#include "effects/reverb.h"

namespace {

using namespace velora::effects;

constexpr int kBlock = 1024;

std::vector<float> testSignal(float step) {
    std::vector<float> s(kBlock);
    for (int i = 0; i < kBlock; ++i) s[i] = 0.4f * std::sin(step * static_cast<float>(i));
    return s;
}

void countSamples(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kBlock);
    // Seconds of CPU per sample, shown with its SI prefix (n = ns).
    state.counters["per_sample"] =
        benchmark::Counter(kBlock, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ProcessReverb(benchmark::State& state) {
    auto reverb = std::make_unique<Reverb>();
    reverb->setTime(0.6f);
    reverb->setWet(0.3f);
    reverb->setDry(0.8f);
    reverb->switchOn(true);
    const auto left = testSignal(0.031f), right = testSignal(0.017f);
    float l, r;
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i) {
            reverb->processReverb(left[i], right[i], l, r);
            benchmark::DoNotOptimize(l);
            benchmark::DoNotOptimize(r);
        }
    }
    countSamples(state);
}
BENCHMARK(BM_ProcessReverb);

void BM_ProcessCrossDelay(benchmark::State& state) {
    CrossDelay delay;
    delay.switchOn(true);
    delay.setLengthValue(Side::Left, 0.3f);
    delay.setLengthValue(Side::Right, 0.45f);
    delay.setFeedback(0.6f);
    delay.setMix(0.5f);
    const auto left = testSignal(0.031f), right = testSignal(0.017f);
    float l, r;
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i) {
            delay.processCrossDelay(left[i], right[i], l, r);
            benchmark::DoNotOptimize(l);
            benchmark::DoNotOptimize(r);
        }
    }
    countSamples(state);
}
BENCHMARK(BM_ProcessCrossDelay);

// state.range(0): 1 = delay, distortion and reverb on; 0 = all off.
void BM_ProcessOutput(benchmark::State& state) {
    auto chain = std::make_unique<EffectChain>();
    const float on = static_cast<float>(state.range(0));
    chain->setParam(EffectParam::XDelayOn, on);
    chain->setParam(EffectParam::ReverbOn, on);
    chain->setParam(EffectParam::DistOn, on);
    chain->setParam(EffectParam::XdLengthL, 0.3f);
    chain->setParam(EffectParam::XdLengthR, 0.45f);
    chain->setParam(EffectParam::XdFeedback, 0.6f);
    chain->setParam(EffectParam::XdMix, 0.5f);
    chain->setParam(EffectParam::ReverbTime, 0.6f);
    chain->setParam(EffectParam::ReverbWet, 0.3f);
    chain->setParam(EffectParam::ReverbDry, 0.8f);
    chain->setParam(EffectParam::DistDry, 0.5f);
    chain->setParam(EffectParam::DistWet, 0.7f);
    chain->setParam(EffectParam::Panning, 0.53f);
    chain->setParam(EffectParam::VolumeMajor, 0.4f);
    chain->setParam(EffectParam::VolumeMinor, 0.8f);
    const auto left = testSignal(0.031f), right = testSignal(0.017f);
    float l, r;
    for (auto _ : state) {
        for (int i = 0; i < kBlock; ++i) {
            chain->process(left[i], right[i], l, r);
            benchmark::DoNotOptimize(l);
            benchmark::DoNotOptimize(r);
        }
    }
    countSamples(state);
}
BENCHMARK(BM_ProcessOutput)->Arg(1)->Arg(0);

}  // namespace
