// SPDX-License-Identifier: MIT
// The per-sample voice loop. Engine values are loaded once per sample after
// the due events have acted; then the sounding voices, in key order, pass
// through the envelopes, the layers (cutoff steps, Tone, Attack) and the
// level and resonator stages, each stage over all voices before the next.
// This file holds the orchestration and the one-voice form of each stage;
// lane_render.h renders four or eight voices side by side where it pays.
#include <algorithm>
#include <bit>

#include "engine/sample_values.h"
#include "engine/synth_engine.h"
#include "engine/voice_finish.h"

namespace velora::engine {

namespace {

struct UnisonRead {
    float odd, full;
};

// (up + down) x unison + main, from both families at one level.
inline UnisonRead readUnison(const WaveTableSet& t, int level, const std::array<float, 3>& phase,
                             float unison) noexcept {
    const WavePairTable& w = t.waves[level];
    const WavePair& m = w[tablePosition(phase[0])];
    const WavePair& u = w[tablePosition(phase[1])];
    const WavePair& d = w[tablePosition(phase[2])];
    return {(u.odd + d.odd) * unison + m.odd, (u.full + d.full) * unison + m.full};
}

// Advances the three copies and fetches the entries they will read in the
// next sample, while the other voices render.
inline void advanceUnison(std::array<float, 3>& phase, float inc, float incUp, float incDown,
                          const WavePairTable& level) noexcept {
    phase[0] = advancePhase(phase[0], inc);
    phase[1] = advancePhase(phase[1], incUp);
    phase[2] = advancePhase(phase[2], incDown);
    for (float p : phase) prefetchTable(&level[tablePosition(p)]);
}

// On 32-bit x86 a 64-bit count of trailing zeros is a library call, here
// once per voice and sample: two 32-bit counts instead.
inline int lowestSetBit(std::uint64_t bits) noexcept {
    if constexpr (sizeof(void*) < sizeof(std::uint64_t)) {
        const auto low = static_cast<std::uint32_t>(bits);
        return low != 0 ? std::countr_zero(low) : 32 + std::countr_zero(static_cast<std::uint32_t>(bits >> 32));
    } else {
        return std::countr_zero(bits);
    }
}

}  // namespace

void SynthEngine::loadSampleValues(SampleValues& s) const {
    const EngineValues& e = values_;
    auto layer = [](const LayerValues& l, SampleValues::Layer& out) {
        out.on = l.on.load() != 0.0f;
        out.ratioUp = l.ratioUp.load();
        out.ratioDown = l.ratioDown.load();
        out.unisonAmount = l.unisonAmount.load();
        out.waveMix = l.waveMix.load();
        out.waveMixComplement = l.waveMixComplement.load();
        out.ampMin = l.ampMin.load();
    };
    layer(e.tone, s.tone);
    layer(e.attack, s.attack);
    s.attackFreqMult = e.attackFreqMult.load();
    s.noiseAmount = e.noiseAmount.load();
    s.attackUnderAdsr = e.attackUnderAdsr.load() != 0.0f;
    s.bendFactor = bendFactor_.load();
    s.levelLimit = e.levelLimit.load();
    s.sampleRate = e.sampleRate.load();
    s.vibratoValue = vibratoValue_;
    s.filterStep = filterTick_ == 0;
    s.times.attackLength = e.attackLength.load();
    s.times.decayLength = e.decayLength.load();
    s.times.releaseLength = e.releaseLength.load();
    s.times.releaseLengthF = e.releaseLengthF.load();
    s.times.sustainLevel = e.sustainLevel.load();
    s.times.tailLength = e.tailLength.load();
    s.gains = loadGains(e.resonatorGains);
}

// Tone layer of one voice: three unison copies of both families, shaped by
// its amplitude envelope and the Adsr, through its filter. This and the
// Attack layer below are the one-voice form of the lane code in
// lane_render.h; they render when the lanes are switched off (the
// reference the tests compare with).
float SynthEngine::renderTone(Voice& v, const SampleValues& s, float t, float a) {
    const float inc = s.bendFactor * v.toneBaseIncrement;
    const float incUp = inc * s.tone.ratioUp;
    const float incDown = s.tone.ratioDown * inc;
    const int level = v.toneLevel.select(s.levelLimit, incUp);
    const UnisonRead r = readUnison(tables_, level, v.tonePhase, s.tone.unisonAmount);
    const float sample = (r.odd * s.tone.waveMixComplement + r.full * s.tone.waveMix) * t * a;
    advanceUnison(v.tonePhase, inc, incUp, incDown, tables_.waves[level]);
    return filterSample(v.toneFilter, sample);
}

// Attack layer of one voice: as the Tone layer, plus vibrato, frequency
// multiplier and noise; under the Adsr only when "A Under ADSR" is set.
float SynthEngine::renderAttack(Voice& v, int key, const SampleValues& s, float e, float a) {
    const float inc = (s.vibratoValue * e + 1.0f) * v.attackBaseIncrement * s.attackFreqMult * s.bendFactor;
    const float incUp = inc * s.attack.ratioUp;
    const float incDown = s.attack.ratioDown * inc;
    const int level = v.attackLevel.select(s.levelLimit, incUp);
    const float shape = s.attackUnderAdsr ? a : 1.0f;
    float noise = 0.0f;
    if (s.noiseAmount != 0.0f) noise = attackNoise(s.noiseAmount, noise_.next(), key);
    const UnisonRead r = readUnison(tables_, level, v.attackPhase, s.attack.unisonAmount);
    const float sample = (r.odd * s.attack.waveMixComplement + r.full * s.attack.waveMix + noise) * shape * e;
    advanceUnison(v.attackPhase, inc, incUp, incDown, tables_.waves[level]);
    return filterSample(v.attackFilter, sample);
}

// Envelopes of one voice, in their order; a voice its step ends is still
// rendered to the end of this sample.
void SynthEngine::stepEnvelopes(const SampleValues& s, SampleVoices& sv, int j) {
    const int key = sv.key[j];
    Voice& v = voices_[key];
    const AdsrResult adsr = stepAdsr(v.adsr, s.times);
    if (adsr.end == AdsrEnd::EndVoice)
        endVoice(key);
    else if (adsr.end == AdsrEnd::Silence)
        setSounding(key, false);
    sv.a[j] = adsr.output;
    sv.t[j] = stepAmp(v.toneAmp, v.adsr, adsr.releaseFraction, values_.tone.ampDecay[key].load(), s.tone.ampMin);
    sv.e[j] = stepAmp(v.attackAmp, v.adsr, adsr.releaseFraction, values_.attack.ampDecay[key].load(), s.attack.ampMin);
    // In the tail stage the layers stand still and only the resonator sounds.
    sv.layers[j] = v.adsr.stage != Stage::Tail;
    sv.fading[j] = v.adsr.stage == Stage::Fade;
    sv.toneOut[j] = 0.0f;
    sv.attackOut[j] = 0.0f;
}

// The same, one voice at a time, for the voices at rendering positions
// from .. to - 1.
void SynthEngine::renderLayersScalar(const SampleValues& s, SampleVoices& sv, int from, int to) {
    for (int r = from; r < to; ++r) {
        const int j = sv.rendering[r];
        const int key = sv.key[j];
        Voice& v = voices_[key];
        if (s.filterStep) {
            if (s.tone.on)
                stepCutoff(v.toneCutoff, v.toneFilter, values_.tone.lpDecay[key].load(), s.sampleRate,
                           tables_.sineTable);
            if (s.attack.on)
                stepCutoff(v.attackCutoff, v.attackFilter, values_.attack.lpDecay[key].load(), s.sampleRate,
                           tables_.sineTable);
        }
        if (s.tone.on) sv.toneOut[j] = renderTone(v, s, sv.t[j], sv.a[j]);
        if (s.attack.on) sv.attackOut[j] = renderAttack(v, key, s, sv.e[j], sv.a[j]);
    }
}

void SynthEngine::stepEnvelopeRange(const SampleValues& s, SampleVoices& sv, int from, int to) {
    for (int first = from; first < to; first += 4) {
        const int last = std::min(first + 4, to);
#if defined(__SSE2__)
        if (lanePath_ != LanePath::Reference && last - first == 4 && stepEnvelopeGroup4(s, sv, first)) continue;
#endif
        for (int j = first; j < last; ++j) stepEnvelopes(s, sv, j);
    }
}

// Envelopes of every sounding voice in key order, eight or four at a time
// where they can.
void SynthEngine::stepAllEnvelopes(const SampleValues& s, SampleVoices& sv) {
    int first = 0;
#if VELORA_AVX2_LANES
    if (lanePath_ == LanePath::Avx2 && sv.count >= 8) first = stepEnvelopeGroups8(s, sv);
#endif
    stepEnvelopeRange(s, sv, first, sv.count);
    // Counted in a local: a count kept in sv would be stored and reloaded
    // for every voice, since the stores to the arrays might change it.
    int layered = 0;
    for (int j = 0; j < sv.count; ++j)
        if (sv.layers[j]) sv.rendering[layered++] = j;
    sv.layered = layered;
}

// The layers of the rendering voices in key order: eight side by side while
// more than four remain, then four while more than two, then one by one.
void SynthEngine::renderAllLayers(const SampleValues& s, SampleVoices& sv) {
    int first = 0;
#if VELORA_AVX2_LANES
    // Asked here: with few voices the calls would cost more than they do.
    if (lanePath_ == LanePath::Avx2 && sv.layered > 4) first = renderLayerGroups8(s, sv);
#endif
#if defined(__SSE2__)
    if (lanePath_ != LanePath::Reference && sv.layered - first > 2) first = renderLayerGroups4(s, sv, first);
#endif
    renderLayersScalar(s, sv, first, sv.layered);
}

// Level ramps and resonators of every sounding voice, summed in key order.
void SynthEngine::finishAllVoices(const SampleValues& s, const SampleVoices& sv, float& mixL, float& mixR) {
#if VELORA_AVX2_LANES
    if (lanePath_ == LanePath::Avx2) return finishVoices8(s, sv, mixL, mixR);
#endif
    auto resonate = [](VoiceResonator& r, const StageGains& gains, float x, float g, bool fading) {
        return processResonator(r, gains, x, g, fading);
    };
    for (int j = 0; j < sv.count; ++j) finishVoice(s, sv, j, mixL, mixR, resonate);
}

LanePath SynthEngine::widestLanePath() noexcept {
#if VELORA_AVX2_LANES
    // Initialised here: a DLL's static constructors may run before the
    // runtime's own CPU query.
    static const LanePath widest = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? LanePath::Avx2 : LanePath::Sse2;
    }();
    return widest;
#elif defined(__SSE2__)
    return LanePath::Sse2;
#else
    return LanePath::Reference;
#endif
}

void SynthEngine::renderBlock(float* outL, float* outR, int count, RenderHooks& hooks) {
    if (count <= 0 || outL == nullptr || outR == nullptr) return;
    const WaveTable& sine = tables_.sineTable;
    SampleVoices sv;  // on the stack: per call, not per instance
    takeResumeHandOver();
    for (int i = 0; i < count; ++i) {
        applyPostedParams();
        hooks.dispatchDueEvents();
        if (tempoTick_ == 0) hooks.tempoCheck();

        SampleValues s;
        loadSampleValues(s);
        const float vibratoDepth = values_.vibratoDepth.load();
        vibratoValue_ = sine[tablePosition(vibratoPhase_)] * vibratoDepth;
        s.vibratoValue = vibratoValue_;

        // Only a voice's own step can end it, so the set taken here is the
        // set of voices to render in this sample, in key order. The voices
        // share nothing but the noise source (drawn in key order by the
        // Attack layers) and the mix (summed in key order below), so each
        // stage can run over all of them before the next.
        int sounding = 0;
        for (int word = 0; word < 2; ++word) {
            std::uint64_t bits = sounding_[word];
            while (bits != 0) {
                sv.key[sounding++] = word * 64 + lowestSetBit(bits);
                bits &= bits - 1;
            }
        }
        sv.count = sounding;
        stepAllEnvelopes(s, sv);
        renderAllLayers(s, sv);
        float mixL = 0.0f, mixR = 0.0f;
        finishAllVoices(s, sv, mixL, mixR);
        hooks.processOutput(mixL, mixR, outL[i], outR[i]);

        if (filterTick_ == 0) filterTick_ = 4;
        --filterTick_;
        if (tempoTick_ == 0) tempoTick_ = 128;
        --tempoTick_;
        if (vibratoDepth != 0.0f)
            vibratoPhase_ = wrapPhase(vibratoPhase_ + values_.vibratoIncrement.load(), kTablePeriod);
    }
}

}  // namespace velora::engine
