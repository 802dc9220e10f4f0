// SPDX-License-Identifier: MIT
// The voice loop, in runs of samples. Engine values are loaded once per run,
// after the due events have acted; then the sounding voices, in key order,
// pass through the envelopes sample by sample, the layers (cutoff steps,
// Tone, Attack) and the level and resonator stages voice by voice over the
// whole run, and the mix sample by sample. This file holds the orchestration
// and the one-voice form of each stage; lane_render.h renders four or eight
// voices side by side where it pays.
#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/run_rows.h"
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
// multiplier and its noise draw; under the Adsr only when "A Under ADSR" is
// set.
float SynthEngine::renderAttack(Voice& v, const SampleValues& s, float e, float a, float noise) {
    const float inc = (s.vibratoValue * e + 1.0f) * v.attackBaseIncrement * s.attackFreqMult * s.bendFactor;
    const float incUp = inc * s.attack.ratioUp;
    const float incDown = s.attack.ratioDown * inc;
    const int level = v.attackLevel.select(s.levelLimit, incUp);
    const float shape = s.attackUnderAdsr ? a : 1.0f;
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

// The layers of the rendering voices from position from on, one voice at a
// time over the run.
void SynthEngine::renderLayersScalar(SampleValues& s, int length, int count, int layered, int from) {
    RunRows& rows = *rows_;
    for (int r = from; r < layered; ++r) {
        const int j = rows.rendering[r];
        const int key = rows.key[j];
        Voice& v = voices_[key];
        for (int k = 0; k < length; ++k) {
            const SampleVoices sv = sampleVoices(k, count, layered);
            s.vibratoValue = runClock_.vibrato[k];
            if (runClock_.filterStep[k]) {
                if (s.tone.on)
                    stepCutoff(v.toneCutoff, v.toneFilter, values_.tone.lpDecay[key].load(), s.sampleRate,
                               tables_.sineTable);
                if (s.attack.on)
                    stepCutoff(v.attackCutoff, v.attackFilter, values_.attack.lpDecay[key].load(), s.sampleRate,
                               tables_.sineTable);
            }
            if (s.tone.on) sv.toneOut[j] = renderTone(v, s, sv.t[j], sv.a[j]);
            if (s.attack.on) {
                const float noise = s.noiseAmount != 0.0f ? sv.noise[j] : 0.0f;
                sv.attackOut[j] = renderAttack(v, s, sv.e[j], sv.a[j], noise);
            }
        }
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

// Envelopes of every sounding voice of one sample in key order, eight or
// four at a time where they can.
void SynthEngine::stepAllEnvelopes(const SampleValues& s, SampleVoices& sv) {
    int first = 0;
#if VELORA_AVX2_LANES
    if (lanePath_ == LanePath::Avx2 && sv.count >= 8) first = stepEnvelopeGroups8(s, sv);
#endif
    stepEnvelopeRange(s, sv, first, sv.count);
}

SynthEngine::SampleVoices SynthEngine::sampleVoices(int row, int count, int layered) {
    RunRows& r = *rows_;
    return {count,
            layered,
            r.key.data(),
            r.rendering.data(),
            r.a[row].data(),
            r.t[row].data(),
            r.e[row].data(),
            r.toneOut[row].data(),
            r.attackOut[row].data(),
            r.noise[row].data(),
            r.layers[row].data(),
            r.fading[row].data()};
}

// The sounding voices in key order, from the mirror bits: the key list of
// the run. Only a voice's own step can end it, so within a run the set only
// shrinks, and the run ends where it does.
int SynthEngine::collectSounding() {
    RunRows& rows = *rows_;
    int sounding = 0;
    for (int word = 0; word < 2; ++word) {
        std::uint64_t bits = sounding_[word];
        while (bits != 0) {
            rows.key[sounding++] = word * 64 + lowestSetBit(bits);
            bits &= bits - 1;
        }
    }
    runVoices_.sounding = sounding_;
    return sounding;
}

// Positions of the voices whose layers render, from the first row.
int SynthEngine::listRendering(int count) {
    RunRows& rows = *rows_;
    // Counted in a local: a count kept in memory would be stored and
    // reloaded for every voice, since the stores might change it.
    int layered = 0;
    for (int j = 0; j < count; ++j)
        if (rows.layers[0][j]) rows.rendering[layered++] = j;
    return layered;
}

// Envelopes of the run's voices, sample by sample as far as the sounding and
// the layered voices stay those of its first sample. A sample whose step
// changes the layered set is kept (carried) as the first row of the next
// run: its envelopes have stepped, the rest of it renders there. Returns the
// samples of this run.
int SynthEngine::stepRunEnvelopes(const SampleValues& s, int length, bool& carried) {
    RunVoices& run = runVoices_;
    RunRows& rows = *rows_;
    if (!carried) {
        run.count = collectSounding();
        SampleVoices first = sampleVoices(0, run.count, 0);
        stepAllEnvelopes(s, first);
    }
    run.layered = listRendering(run.count);
    carried = false;
    for (int k = 1; k < length; ++k) {
        if (sounding_ != run.sounding) return k;
        SampleVoices sv = sampleVoices(k, run.count, run.layered);
        stepAllEnvelopes(s, sv);
        if (std::memcmp(rows.layers[k].data(), rows.layers[0].data(), static_cast<std::size_t>(run.count)) != 0) {
            carried = true;
            return k;
        }
    }
    return length;
}

// The noise of the Attack layers, drawn ahead: per sample, in key order, one
// draw per voice rendering its layers, as the layers would draw it.
void SynthEngine::drawRunNoise(const SampleValues& s, int length, int layered) {
    if (!s.attack.on || s.noiseAmount == 0.0f) return;
    RunRows& rows = *rows_;
    for (int k = 0; k < length; ++k)
        for (int r = 0; r < layered; ++r) {
            const int j = rows.rendering[r];
            rows.noise[k][j] = attackNoise(s.noiseAmount, noise_.next(), rows.key[j]);
        }
}

// The envelopes of the carried sample, moved to the first row.
void SynthEngine::carryEnvelopes(int row, int count) {
    RunRows& r = *rows_;
    const auto n = static_cast<std::size_t>(count);
    for (auto* rows : {&r.a, &r.t, &r.e, &r.toneOut, &r.attackOut})
        std::memcpy((*rows)[0].data(), (*rows)[row].data(), n * sizeof(float));
    for (auto* rows : {&r.layers, &r.fading}) std::memcpy((*rows)[0].data(), (*rows)[row].data(), n * sizeof(bool));
}

// The layers of the rendering voices in key order: eight side by side while
// more than four remain, then four while more than two, then one by one.
void SynthEngine::renderAllLayers(SampleValues& s, int length, int count, int layered) {
    int first = 0;
#if VELORA_AVX2_LANES
    // Asked here: with few voices the calls would cost more than they do.
    if (lanePath_ == LanePath::Avx2 && layered > 4) first = renderLayerGroups8(s, length, count, layered);
#endif
#if defined(__SSE2__)
    if (lanePath_ != LanePath::Reference && layered - first > 2)
        first = renderLayerGroups4(s, length, count, layered, first);
#endif
    renderLayersScalar(s, length, count, layered, first);
}

// Level ramps and resonators of every sounding voice over the run.
void SynthEngine::finishAllVoices(const SampleValues& s, int length, int count) {
#if VELORA_AVX2_LANES
    if (lanePath_ == LanePath::Avx2) return finishVoices8(s, length, count);
#endif
    auto resonate = [](VoiceResonator& r, const StageGains& gains, float x, float g, bool fading) {
        return processResonator(r, gains, x, g, fading);
    };
    for (int j = 0; j < count; ++j) finishVoiceRun(s.gains, j, length, resonate);
}

// Each sample's voices summed in key order from 0, then the owner's output
// stage.
void SynthEngine::mixRun(int length, int count, float* outL, float* outR, RenderHooks& hooks) {
    const RunRows& rows = *rows_;
    for (int k = 0; k < length; ++k) {
        const float* left = rows.left[k].data();
        const float* right = rows.right[k].data();
        float mixL = 0.0f, mixR = 0.0f;
        for (int j = 0; j < count; ++j) {
            mixL += left[j];
            mixR += right[j];
        }
        hooks.processOutput(mixL, mixR, outL[k], outR[k]);
    }
}

// The vibrato values and cutoff steps of the next length samples, from the
// present phase and tick; advanceRunClock moves on by the samples rendered.
void SynthEngine::prepareRunClock(int length) {
    RunClock& c = runClock_;
    const WaveTable& sine = tables_.sineTable;
    const float depth = values_.vibratoDepth.load();
    const float increment = values_.vibratoIncrement.load();
    float phase = vibratoPhase_;
    int tick = filterTick_;
    for (int k = 0; k < length; ++k) {
        c.vibratoPhase[k] = phase;
        c.filterTick[k] = tick;
        c.vibrato[k] = sine[tablePosition(phase)] * depth;
        c.filterStep[k] = tick == 0;
        if (tick == 0) tick = 4;
        --tick;
        if (depth != 0.0f) phase = wrapPhase(phase + increment, kTablePeriod);
    }
    c.vibratoPhase[length] = phase;
    c.filterTick[length] = tick;
}

void SynthEngine::advanceRunClock(int length) {
    vibratoValue_ = runClock_.vibrato[length - 1];
    vibratoPhase_ = runClock_.vibratoPhase[length];
    filterTick_ = runClock_.filterTick[length];
    for (int k = 0; k < length; ++k) {
        if (tempoTick_ == 0) tempoTick_ = kTempoCheckPeriod;
        --tempoTick_;
    }
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
    takeResumeHandOver();
    SampleValues s;
    int quiet = 0;         // samples left before an event can fall due or the tempo is checked
    bool carried = false;  // the first row holds the next sample's envelopes
    for (int i = 0; i < count;) {
        if (quiet == 0) {
            applyPostedParams();
            const int limit = std::min(count - i, tempoTick_ == 0 ? kTempoCheckPeriod : tempoTick_);
            quiet = std::clamp(hooks.dispatchDueEvents(limit), 1, limit);
            if (tempoTick_ == 0) hooks.tempoCheck();
            loadSampleValues(s);
        }
        const int planned = std::min(quiet, kRunLength);
        prepareRunClock(planned);
        const int length = stepRunEnvelopes(s, planned, carried);
        const int voices = runVoices_.count, layered = runVoices_.layered;
        drawRunNoise(s, length, layered);
        renderAllLayers(s, length, voices, layered);
        finishAllVoices(s, length, voices);
        mixRun(length, voices, outL + i, outR + i, hooks);
        advanceRunClock(length);
        if (carried) carryEnvelopes(length, voices);
        i += length;
        quiet -= length;
    }
}

}  // namespace velora::engine
