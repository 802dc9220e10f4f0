// The per-sample voice loop. Engine values are loaded once per sample after
// the due events have acted, then every sounding voice is rendered in key
// order.
#include <algorithm>
#include <bit>

#include "engine/synth_engine.h"

namespace velora::engine {

struct SynthEngine::SampleValues {
    struct Layer {
        bool on;
        float ratioUp, ratioDown, unisonAmount, waveMix, waveMixComplement, ampMin;
    };
    Layer tone, attack;
    float attackFreqMult, noiseAmount;
    bool attackUnderAdsr;
    float bendFactor, levelLimit, sampleRate, vibratoValue;
    bool filterStep;
    EnvelopeTimes times;
    StageGains gains;
};

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

} // namespace

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
// Attack layer below are the one-voice form of the lane code further down;
// they render when the lanes are switched off (the reference the tests
// compare with).
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
void SynthEngine::stepEnvelopes(int key, const SampleValues& s, VoiceStep& step) {
    Voice& v = voices_[key];
    const AdsrResult adsr = stepAdsr(v.adsr, s.times);
    if (adsr.end == AdsrEnd::EndVoice)
        endVoice(key);
    else if (adsr.end == AdsrEnd::Silence)
        setSounding(key, false);
    step.key = key;
    step.a = adsr.output;
    step.t = stepAmp(v.toneAmp, v.adsr, adsr.releaseFraction, values_.tone.ampDecay[key].load(), s.tone.ampMin);
    step.e = stepAmp(v.attackAmp, v.adsr, adsr.releaseFraction, values_.attack.ampDecay[key].load(),
                     s.attack.ampMin);
    // In the tail stage the layers stand still and only the resonator sounds.
    step.layers = v.adsr.stage != Stage::Tail;
    step.fading = v.adsr.stage == Stage::Fade;
    step.toneOut = 0.0f;
    step.attackOut = 0.0f;
}

#if defined(__SSE2__)

// --- four voices at a time ------------------------------------------------
//
// The voices whose layers render are taken four at a time in key order; a
// short last group fills its free lanes with a scratch voice that nobody
// hears. Each lane performs the operations of the one-voice code above in
// the same order.

namespace {

using namespace lanes;

struct Oscillators {
    F4 main, up, down;
};

template <typename PhaseOf>
Oscillators gatherPhases(PhaseOf phase) {
    return {gather([&](int i) { return phase(i)[0]; }), gather([&](int i) { return phase(i)[1]; }),
            gather([&](int i) { return phase(i)[2]; })};
}

// Table positions of four phases in [0, 8192): the truncation of the
// one-voice code.
inline I4 positions(F4 phase) {
    return _mm_and_si128(_mm_cvttps_epi32(phase), _mm_set1_epi32(kTableMask));
}

// One family pair per lane, at each lane's level.
inline void readCopy(const WavePairTable* const (&level)[kWidth], F4 phase, F4& odd, F4& full) {
    Ints at;
    at.store(positions(phase));
    const WavePair* const entries[kWidth] = {&(*level[0])[at[0]], &(*level[1])[at[1]], &(*level[2])[at[2]],
                                             &(*level[3])[at[3]]};
    gatherPairs(entries, odd, full);
}

// advancePhase per lane; lanes outside the usual range take the one-voice
// wrap.
inline F4 advance(F4 phase, F4 inc) {
    const F4 period = splat(kTablePeriod);
    F4 p = add(phase, inc);
    p = select(_mm_cmpge_ps(p, period), p, sub(p, period));
    const int inRange = belowBits(p, std::bit_cast<std::uint32_t>(kTablePeriod));
    if (inRange == 0xF) return p;
    Floats f;
    f.store(p);
    for (int i = 0; i < kWidth; ++i)
        if ((inRange & (1 << i)) == 0) f[i] = wrapPhase(f[i], kTablePeriod);
    return f.load();
}

inline void prefetchCopy(const WavePairTable* const (&level)[kWidth], F4 phase) {
    Ints at;
    at.store(positions(phase));
    for (int i = 0; i < kWidth; ++i) prefetchTable(&(*level[i])[at[i]]);
}

// The three copies of both families mixed as the one-voice code mixes them:
// odd x (1 - mix) + full x mix, each family (up + down) x unison + main.
// Then the phases advance and the next sample's entries are fetched.
template <typename PhaseOf>
F4 oscillate(PhaseOf phase, const WavePairTable* const (&level)[kWidth], F4 inc, F4 incUp, F4 incDown,
             float unison, float oddWeight, float fullWeight) {
    Oscillators p = gatherPhases(phase);
    F4 mOdd, mFull, uOdd, uFull, dOdd, dFull;
    readCopy(level, p.main, mOdd, mFull);
    readCopy(level, p.up, uOdd, uFull);
    readCopy(level, p.down, dOdd, dFull);
    const F4 u = splat(unison);
    const F4 odd = add(mul(add(uOdd, dOdd), u), mOdd);
    const F4 full = add(mul(add(uFull, dFull), u), mFull);
    p.main = advance(p.main, inc);
    p.up = advance(p.up, incUp);
    p.down = advance(p.down, incDown);
    scatter(p.main, [&](int i, float x) { phase(i)[0] = x; });
    scatter(p.up, [&](int i, float x) { phase(i)[1] = x; });
    scatter(p.down, [&](int i, float x) { phase(i)[2] = x; });
    prefetchCopy(level, p.main);
    prefetchCopy(level, p.up);
    prefetchCopy(level, p.down);
    return add(mul(odd, splat(oddWeight)), mul(full, splat(fullWeight)));
}

// filterSample per lane: both biquads, transposed direct form II.
template <typename FilterOf>
F4 filterLanes(FilterOf filter, F4 x) {
    const F4 b0 = gather([&](int i) { return filter(i).b0.load(); });
    const F4 b1 = gather([&](int i) { return filter(i).b1.load(); });
    const F4 b2 = gather([&](int i) { return filter(i).b2.load(); });
    const F4 a1 = gather([&](int i) { return filter(i).a1.load(); });
    const F4 a2 = gather([&](int i) { return filter(i).a2.load(); });
    const F4 s1 = gather([&](int i) { return filter(i).s1; });
    const F4 s2 = gather([&](int i) { return filter(i).s2; });
    const F4 s3 = gather([&](int i) { return filter(i).s3; });
    const F4 s4 = gather([&](int i) { return filter(i).s4; });
    const F4 y1 = add(mul(b0, x), s1);
    scatter(flushTiny(sub(add(mul(b1, x), s2), mul(a1, y1))), [&](int i, float v) { filter(i).s1 = v; });
    scatter(flushTiny(sub(mul(b2, x), mul(a2, y1))), [&](int i, float v) { filter(i).s2 = v; });
    const F4 y2 = add(mul(b0, y1), s3);
    scatter(flushTiny(sub(add(mul(b1, y1), s4), mul(a1, y2))), [&](int i, float v) { filter(i).s3 = v; });
    scatter(flushTiny(sub(mul(b2, y1), mul(a2, y2))), [&](int i, float v) { filter(i).s4 = v; });
    return y2;
}

// Lanes whose value is finite.
inline F4 finite(F4 x) {
    const F4 zeroed = mul(x, _mm_setzero_ps()); // NaN for infinities and NaN
    return _mm_cmpord_ps(zeroed, zeroed);
}

// stepCutoff and updateCoefficients per lane.
template <typename FilterOf, typename EnvelopeOf>
void stepCutoffLanes(FilterOf filter, EnvelopeOf envelope, F4 decayFactor, float sampleRate, const WaveTable& sine) {
    const F4 decaying = flushTiny(mul(gather([&](int i) { return envelope(i).decaying; }), decayFactor));
    scatter(decaying, [&](int i, float v) { envelope(i).decaying = v; });
    F4 fc = div(add(decaying, gather([&](int i) { return envelope(i).floor; })), splat(sampleRate));
    fc = select(_mm_cmpge_ps(fc, splat(0.5f)), fc, splat(kCutoffCeiling));
    scatter(fc, [&](int i, float v) { filter(i).cutoff = v; });

    const F4 q = gather([&](int i) { return filter(i).resonance.load(); });
    Floats cosineAt, sineAt;
    cosineAt.store(mul(splat(8192.0f), add(fc, splat(0.25f))));
    sineAt.store(mul(splat(8192.0f), fc));
    const F4 cosine = gather([&](int i) { return sine[wrappedTableIndex(cosineAt[i])]; });
    const F4 sn = gather([&](int i) { return sine[wrappedTableIndex(sineAt[i])]; });
    const F4 one = splat(1.0f), two = splat(2.0f);
    const F4 alpha = div(sn, mul(two, q));
    const F4 a0 = add(one, alpha);
    const F4 oneMinusCosine = sub(one, cosine);
    F4 b0 = div(oneMinusCosine, mul(two, a0));
    F4 b1 = div(oneMinusCosine, a0);
    F4 a1 = div(mul(splat(-2.0f), cosine), a0);
    F4 a2 = div(sub(one, alpha), a0);
    // A lane with any non-finite coefficient is muted, as in updateCoefficients.
    const F4 ok = _mm_and_ps(_mm_and_ps(finite(b0), finite(b1)), _mm_and_ps(finite(a1), finite(a2)));
    b0 = _mm_and_ps(ok, b0);
    b1 = _mm_and_ps(ok, b1);
    a1 = _mm_and_ps(ok, a1);
    a2 = _mm_and_ps(ok, a2);
    scatter(cosine, [&](int i, float v) { filter(i).cosine = v; });
    scatter(alpha, [&](int i, float v) { filter(i).alpha = v; });
    scatter(a0, [&](int i, float v) { filter(i).a0 = v; });
    scatter(b0, [&](int i, float v) {
        filter(i).b0 = v;
        filter(i).b2 = v;
    });
    scatter(b1, [&](int i, float v) { filter(i).b1 = v; });
    scatter(a1, [&](int i, float v) { filter(i).a1 = v; });
    scatter(a2, [&](int i, float v) { filter(i).a2 = v; });
}

} // namespace

void SynthEngine::stepCutoffGroup(const SampleValues& s, const LaneGroup& g) {
    auto voice = [&](int i) -> Voice& { return *g.voice[i]; };
    if (s.tone.on)
        stepCutoffLanes([&](int i) -> VoiceFilter& { return voice(i).toneFilter; },
                        [&](int i) -> CutoffEnvelope& { return voice(i).toneCutoff; },
                        gather([&](int i) { return values_.tone.lpDecay[g.key[i]].load(); }), s.sampleRate,
                        tables_.sineTable);
    if (s.attack.on)
        stepCutoffLanes([&](int i) -> VoiceFilter& { return voice(i).attackFilter; },
                        [&](int i) -> CutoffEnvelope& { return voice(i).attackCutoff; },
                        gather([&](int i) { return values_.attack.lpDecay[g.key[i]].load(); }), s.sampleRate,
                        tables_.sineTable);
}

void SynthEngine::renderToneGroup(const SampleValues& s, const LaneGroup& g, const F4 t, const F4 a, float* out) {
    auto voice = [&](int i) -> Voice& { return *g.voice[i]; };
    const F4 inc = mul(splat(s.bendFactor), gather([&](int i) { return voice(i).toneBaseIncrement; }));
    const F4 incUp = mul(inc, splat(s.tone.ratioUp));
    const F4 incDown = mul(splat(s.tone.ratioDown), inc);
    Floats up;
    up.store(incUp);
    const WavePairTable* level[kWidth];
    for (int i = 0; i < kWidth; ++i) level[i] = &tables_.waves[voice(i).toneLevel.select(s.levelLimit, up[i])];
    const F4 wave = oscillate([&](int i) -> std::array<float, 3>& { return voice(i).tonePhase; }, level, inc,
                              incUp, incDown, s.tone.unisonAmount, s.tone.waveMixComplement, s.tone.waveMix);
    const F4 y = filterLanes([&](int i) -> VoiceFilter& { return voice(i).toneFilter; }, mul(mul(wave, t), a));
    _mm_storeu_ps(out, y);
}

void SynthEngine::renderAttackGroup(const SampleValues& s, const LaneGroup& g, const F4 e, const F4 a,
                                    float* out) {
    auto voice = [&](int i) -> Voice& { return *g.voice[i]; };
    const F4 base = gather([&](int i) { return voice(i).attackBaseIncrement; });
    const F4 inc = mul(mul(mul(add(mul(splat(s.vibratoValue), e), splat(1.0f)), base), splat(s.attackFreqMult)),
                       splat(s.bendFactor));
    const F4 incUp = mul(inc, splat(s.attack.ratioUp));
    const F4 incDown = mul(splat(s.attack.ratioDown), inc);
    Floats up;
    up.store(incUp);
    const WavePairTable* level[kWidth];
    for (int i = 0; i < kWidth; ++i) level[i] = &tables_.waves[voice(i).attackLevel.select(s.levelLimit, up[i])];
    const F4 shape = s.attackUnderAdsr ? a : splat(1.0f);
    // One draw per voice in key order; the scratch lanes draw nothing.
    Floats noise{};
    if (s.noiseAmount != 0.0f)
        for (int i = 0; i < g.count; ++i) noise[i] = attackNoise(s.noiseAmount, noise_.next(), g.key[i]);
    const F4 wave = oscillate([&](int i) -> std::array<float, 3>& { return voice(i).attackPhase; }, level, inc,
                              incUp, incDown, s.attack.unisonAmount, s.attack.waveMixComplement,
                              s.attack.waveMix);
    const F4 sample = mul(mul(add(wave, noise.load()), shape), e);
    const F4 y = filterLanes([&](int i) -> VoiceFilter& { return voice(i).attackFilter; }, sample);
    _mm_storeu_ps(out, y);
}

// The rendering voices in groups of four: cutoff steps, then the Tone and
// the Attack layers of each group.
void SynthEngine::renderLayerLanes(const SampleValues& s, VoiceStep* steps, const int* rendering, int count) {
    for (int first = 0; first < count; first += kWidth) {
        LaneGroup g;
        g.count = std::min(kWidth, count - first);
        Floats a, t, e;
        for (int i = 0; i < kWidth; ++i) {
            if (i < g.count) {
                const VoiceStep& step = steps[rendering[first + i]];
                g.key[i] = step.key;
                g.voice[i] = &voices_[step.key];
                a[i] = step.a;
                t[i] = step.t;
                e[i] = step.e;
            } else {
                g.key[i] = 0;
                g.voice[i] = &laneScratch_;
                a[i] = t[i] = e[i] = 0.0f;
            }
        }
        if (s.filterStep) stepCutoffGroup(s, g);
        Floats tone{}, attack{};
        if (s.tone.on) renderToneGroup(s, g, t.load(), a.load(), tone.v);
        if (s.attack.on) renderAttackGroup(s, g, e.load(), a.load(), attack.v);
        for (int i = 0; i < g.count; ++i) {
            VoiceStep& step = steps[rendering[first + i]];
            step.toneOut = tone[i];
            step.attackOut = attack[i];
        }
    }
}

#endif // __SSE2__

// The same, one voice at a time.
void SynthEngine::renderLayersScalar(const SampleValues& s, VoiceStep* steps, const int* rendering, int count) {
    for (int r = 0; r < count; ++r) {
        VoiceStep& step = steps[rendering[r]];
        const int key = step.key;
        Voice& v = voices_[key];
        if (s.filterStep) {
            if (s.tone.on)
                stepCutoff(v.toneCutoff, v.toneFilter, values_.tone.lpDecay[key].load(), s.sampleRate,
                           tables_.sineTable);
            if (s.attack.on)
                stepCutoff(v.attackCutoff, v.attackFilter, values_.attack.lpDecay[key].load(), s.sampleRate,
                           tables_.sineTable);
        }
        if (s.tone.on) step.toneOut = renderTone(v, s, step.t, step.a);
        if (s.attack.on) step.attackOut = renderAttack(v, key, s, step.e, step.a);
    }
}

// Level ramp and resonator of one voice, added to the mix.
void SynthEngine::finishVoice(const VoiceStep& step, const SampleValues& s, float& mixL, float& mixR) {
    Voice& v = voices_[step.key];
    float x = 0.0f;
    if (step.layers) {
        x = (step.toneOut + step.attackOut) * v.levelRamp[v.levelPos] * v.levelScale;
        if (v.levelPos < kLevelRampSteps) ++v.levelPos;
    }
    const float g = 0.5f * (step.t + step.e);
    const StereoSample out = processResonator(v.resonator, s.gains, x, g, step.fading);
    mixL += out.left;
    mixR += out.right;
}

void SynthEngine::renderBlock(float* outL, float* outR, int count, RenderHooks& hooks) {
    if (count <= 0 || outL == nullptr || outR == nullptr) return;
    const WaveTable& sine = tables_.sineTable;
    for (int i = 0; i < count; ++i) {
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
        std::array<VoiceStep, kKeyCount> steps;
        std::array<int, kKeyCount> rendering;
        int voices = 0, layered = 0;
        for (int word = 0; word < 2; ++word) {
            std::uint64_t bits = sounding_[word];
            while (bits != 0) {
                const int key = word * 64 + std::countr_zero(bits);
                bits &= bits - 1;
                VoiceStep& step = steps[voices];
                stepEnvelopes(key, s, step);
                if (step.layers) rendering[layered++] = voices;
                ++voices;
            }
        }
#if defined(__SSE2__)
        if (!scalarReference_)
            renderLayerLanes(s, steps.data(), rendering.data(), layered);
        else
#endif
            renderLayersScalar(s, steps.data(), rendering.data(), layered);
        float mixL = 0.0f, mixR = 0.0f;
        for (int v = 0; v < voices; ++v) finishVoice(steps[v], s, mixL, mixR);
        hooks.processOutput(mixL, mixR, outL[i], outR[i]);

        if (filterTick_ == 0) filterTick_ = 4;
        --filterTick_;
        if (tempoTick_ == 0) tempoTick_ = 128;
        --tempoTick_;
        if (vibratoDepth != 0.0f)
            vibratoPhase_ = wrapPhase(vibratoPhase_ + values_.vibratoIncrement.load(), kTablePeriod);
    }
}

} // namespace velora::engine
