// The per-sample voice loop. Engine values are loaded once per sample after
// the due events have acted; then the sounding voices, in key order, pass
// through the envelopes, the layers (cutoff steps, Tone, Attack) and the
// level and resonator stages, each stage over all voices before the next,
// four voices side by side in SSE2 lanes where it pays.
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
    sv.e[j] = stepAmp(v.attackAmp, v.adsr, adsr.releaseFraction, values_.attack.ampDecay[key].load(),
                      s.attack.ampMin);
    // In the tail stage the layers stand still and only the resonator sounds.
    sv.layers[j] = v.adsr.stage != Stage::Tail;
    sv.fading[j] = v.adsr.stage == Stage::Fade;
    sv.toneOut[j] = 0.0f;
    sv.attackOut[j] = 0.0f;
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
// Then the phases advance and the next sample's entries are fetched. Each
// row holds a lane's three phases and its base increment.
[[gnu::always_inline]] inline F4 oscillate(float* const (&row)[kWidth], Columns p,
                                           const WavePairTable* const (&level)[kWidth], F4 inc, F4 incUp,
                                           F4 incDown, float unison, float oddWeight, float fullWeight) {
    F4 mOdd, mFull, uOdd, uFull, dOdd, dFull;
    readCopy(level, p.c0, mOdd, mFull);
    readCopy(level, p.c1, uOdd, uFull);
    readCopy(level, p.c2, dOdd, dFull);
    const F4 u = splat(unison);
    const F4 odd = add(mul(add(uOdd, dOdd), u), mOdd);
    const F4 full = add(mul(add(uFull, dFull), u), mFull);
    p.c0 = advance(p.c0, inc);
    p.c1 = advance(p.c1, incUp);
    p.c2 = advance(p.c2, incDown);
    storeColumns(row, p);
    prefetchCopy(level, p.c0);
    prefetchCopy(level, p.c1);
    prefetchCopy(level, p.c2);
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
    float* const row[kWidth] = {&filter(0).s1, &filter(1).s1, &filter(2).s1, &filter(3).s1};
    Columns s = loadColumns(row); // s1, s2, s3, s4
    const F4 y1 = add(mul(b0, x), s.c0);
    const F4 y2 = add(mul(b0, y1), s.c2);
    s.c0 = flushTiny(sub(add(mul(b1, x), s.c1), mul(a1, y1)));
    s.c1 = flushTiny(sub(mul(b2, x), mul(a2, y1)));
    s.c2 = flushTiny(sub(add(mul(b1, y1), s.c3), mul(a1, y2)));
    s.c3 = flushTiny(sub(mul(b2, y1), mul(a2, y2)));
    storeColumns(row, s);
    return y2;
}

// wrappedTableIndex per lane. The conversion gives INT_MIN for NaN and for
// anything outside the int range, where truncToInt gives 0 for NaN, INT_MIN
// below and INT_MAX above: masked, only the last differs (0 against 8191),
// so lanes at or above 2^31 are set to 8191.
inline I4 wrappedTableIndexes(F4 position) {
    const I4 above = _mm_castps_si128(_mm_cmpge_ps(position, splat(2147483648.0f)));
    const I4 index = _mm_or_si128(_mm_cvttps_epi32(position), _mm_and_si128(above, _mm_set1_epi32(kTableMask)));
    return _mm_and_si128(index, _mm_set1_epi32(kTableMask));
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
    Ints cosineAt, sineAt;
    cosineAt.store(wrappedTableIndexes(mul(splat(8192.0f), add(fc, splat(0.25f)))));
    sineAt.store(wrappedTableIndexes(mul(splat(8192.0f), fc)));
    const F4 cosine = gather([&](int i) { return sine[cosineAt[i]]; });
    const F4 sn = gather([&](int i) { return sine[sineAt[i]]; });
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

// The envelopes of four voices at once, when each is in its attack, decay,
// sustain or release and stays there in this sample (the usual case);
// otherwise nothing is changed and false returned.
bool SynthEngine::stepEnvelopeGroup(const SampleValues& s, SampleVoices& sv, int first) {
    Voice* const v[kWidth] = {&voices_[sv.key[first]], &voices_[sv.key[first + 1]], &voices_[sv.key[first + 2]],
                              &voices_[sv.key[first + 3]]};
    auto adsr = [&](int i) -> Adsr& { return v[i]->adsr; };
    // Each Adsr begins with its stage and the attack, decay and release
    // counters: one row.
    float* const row[kWidth] = {reinterpret_cast<float*>(&adsr(0)), reinterpret_cast<float*>(&adsr(1)),
                                reinterpret_cast<float*>(&adsr(2)), reinterpret_cast<float*>(&adsr(3))};
    const Columns counters = loadColumns(row);
    const I4 stage = _mm_castps_si128(counters.c0);
    const I4 attackCount = _mm_castps_si128(counters.c1);
    const I4 decayCount = _mm_castps_si128(counters.c2);
    const I4 releaseCount = _mm_castps_si128(counters.c3);
    auto is = [&](Stage st) { return _mm_cmpeq_epi32(stage, _mm_set1_epi32(static_cast<std::int32_t>(st))); };
    const I4 isAttack = is(Stage::Attack), isDecay = is(Stage::Decay), isRelease = is(Stage::Release);
    auto below = [](I4 count, std::int32_t length) { return _mm_cmplt_epi32(count, _mm_set1_epi32(length)); };
    const I4 steady = _mm_or_si128(
        _mm_or_si128(is(Stage::Sustain), _mm_and_si128(isAttack, below(attackCount, s.times.attackLength))),
        _mm_or_si128(_mm_and_si128(isDecay, below(decayCount, s.times.decayLength)),
                     _mm_and_si128(isRelease, below(releaseCount, s.times.releaseLength))));
    if (_mm_movemask_ps(_mm_castsi128_ps(steady)) != 0xF) return false;

    // Each lane's stage counter before the step; the stage's counter then
    // moves on by one (a mask lane is -1).
    const I4 count = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(isAttack, attackCount), _mm_and_si128(isDecay, decayCount)),
        _mm_and_si128(isRelease, releaseCount));
    const I4 attackNext = _mm_sub_epi32(attackCount, isAttack);
    const I4 decayNext = _mm_sub_epi32(decayCount, isDecay);
    const I4 releaseNext = _mm_sub_epi32(releaseCount, isRelease);
    Ints counts;
    counts.store(attackNext);
    for (int i = 0; i < kWidth; ++i) adsr(i).attackCount = counts[i];
    counts.store(decayNext);
    for (int i = 0; i < kWidth; ++i) adsr(i).decayCount = counts[i];
    counts.store(releaseNext);
    for (int i = 0; i < kWidth; ++i) adsr(i).releaseCount = counts[i];

    const F4 attack = _mm_castsi128_ps(isAttack), decay = _mm_castsi128_ps(isDecay),
             release = _mm_castsi128_ps(isRelease);
    const F4 one = splat(1.0f);
    const F4 n = _mm_cvtepi32_ps(count);
    // Only lanes in release use the fraction; the division waits for one.
    const F4 releaseFraction = _mm_movemask_ps(release) != 0 ? sub(one, div(n, splat(s.times.releaseLengthF)))
                                                             : _mm_setzero_ps();
    F4 out = splat(s.times.sustainLevel);
    const F4 attackStep = gather([&](int i) { return adsr(i).attackStep; });
    out = select(attack, out, add(mul(n, attackStep), gather([&](int i) { return adsr(i).start; })));
    out = select(decay, out, sub(one, mul(n, gather([&](int i) { return adsr(i).decayStep; }))));
    out = select(release, out, mul(releaseFraction, gather([&](int i) { return adsr(i).releaseStart; })));
    scatter(out, [&](int i, float x) { adsr(i).output = x; });
    _mm_store_ps(&sv.a[first], out);

    // The amplitude envelopes rise over the first 24 samples of the attack.
    const F4 rise = _mm_castsi128_ps(_mm_and_si128(isAttack, below(attackNext, kAmpRiseLength)));
    const F4 riseCount = _mm_cvtepi32_ps(attackNext);
    // An AmpEnvelope is one row: output, start, rise step, decaying value.
    auto amp = [&](auto env, const KeyFactors& decayFactor, float minMult) {
        float* const row[kWidth] = {&env(0).output, &env(1).output, &env(2).output, &env(3).output};
        const Columns a = loadColumns(row);
        const F4 risen = add(mul(riseCount, a.c2), a.c1);
        const F4 old = a.c3;
        const F4 decayed = flushTiny(mul(old, gather([&](int i) { return decayFactor[sv.key[first + i]].load(); })));
        F4 level = add(decayed, splat(minMult));
        level = select(release, level, mul(level, releaseFraction));
        level = select(rise, level, risen);
        scatter(select(rise, decayed, old), [&](int i, float x) { env(i).decaying = x; });
        scatter(level, [&](int i, float x) { env(i).output = x; });
        return level;
    };
    _mm_store_ps(&sv.t[first], amp([&](int i) -> AmpEnvelope& { return v[i]->toneAmp; }, values_.tone.ampDecay,
                                   s.tone.ampMin));
    _mm_store_ps(&sv.e[first], amp([&](int i) -> AmpEnvelope& { return v[i]->attackAmp; },
                                   values_.attack.ampDecay, s.attack.ampMin));
    for (int i = 0; i < kWidth; ++i) {
        sv.layers[first + i] = true;
        sv.fading[first + i] = false;
    }
    _mm_store_ps(&sv.toneOut[first], _mm_setzero_ps());
    _mm_store_ps(&sv.attackOut[first], _mm_setzero_ps());
    return true;
}

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

[[gnu::always_inline]] inline F4 SynthEngine::toneWaveGroup(const SampleValues& s, const LaneGroup& g, const F4 t,
                                                             const F4 a) {
    auto voice = [&](int i) -> Voice& { return *g.voice[i]; };
    float* const row[kWidth] = {voice(0).tonePhase.data(), voice(1).tonePhase.data(), voice(2).tonePhase.data(),
                                voice(3).tonePhase.data()};
    const Columns phases = loadColumns(row); // main, up, down, base increment
    const F4 inc = mul(splat(s.bendFactor), phases.c3);
    const F4 incUp = mul(inc, splat(s.tone.ratioUp));
    const F4 incDown = mul(splat(s.tone.ratioDown), inc);
    Floats up;
    up.store(incUp);
    const WavePairTable* level[kWidth];
    for (int i = 0; i < kWidth; ++i) level[i] = &tables_.waves[voice(i).toneLevel.select(s.levelLimit, up[i])];
    const F4 wave = oscillate(row, phases, level, inc, incUp, incDown, s.tone.unisonAmount,
                              s.tone.waveMixComplement, s.tone.waveMix);
    return mul(mul(wave, t), a);
}

[[gnu::always_inline]] inline F4 SynthEngine::attackWaveGroup(const SampleValues& s, const LaneGroup& g, const F4 e,
                                                               const F4 a) {
    auto voice = [&](int i) -> Voice& { return *g.voice[i]; };
    float* const row[kWidth] = {voice(0).attackPhase.data(), voice(1).attackPhase.data(),
                                voice(2).attackPhase.data(), voice(3).attackPhase.data()};
    const Columns phases = loadColumns(row); // main, up, down, base increment
    const F4 base = phases.c3;
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
    const F4 wave = oscillate(row, phases, level, inc, incUp, incDown, s.attack.unisonAmount,
                              s.attack.waveMixComplement, s.attack.waveMix);
    return mul(mul(add(wave, noise.load()), shape), e);
}

// The rendering voices in groups of four: cutoff steps, then the Tone and
// the Attack layers of each group.
void SynthEngine::renderLayerLanes(const SampleValues& s, SampleVoices& sv) {
    const int count = sv.layered;
    // With no voice in its tail the positions are 0, 1, 2, ...: whole
    // registers load and store.
    const bool dense = count == sv.count;
    for (int first = 0; first < count; first += kWidth) {
        LaneGroup g;
        g.count = std::min(kWidth, count - first);
        // One or two voices cost less one at a time than a group of four.
        if (g.count <= kWidth / 2) {
            renderLayersScalar(s, sv, first, count);
            break;
        }
        F4 a, t, e;
        if (dense && g.count == kWidth) {
            for (int i = 0; i < kWidth; ++i) {
                g.key[i] = sv.key[first + i];
                g.voice[i] = &voices_[g.key[i]];
            }
            a = _mm_load_ps(&sv.a[first]);
            t = _mm_load_ps(&sv.t[first]);
            e = _mm_load_ps(&sv.e[first]);
        } else {
            Floats la, lt, le;
            for (int i = 0; i < kWidth; ++i) {
                if (i < g.count) {
                    const int j = sv.rendering[first + i];
                    g.key[i] = sv.key[j];
                    g.voice[i] = &voices_[g.key[i]];
                    la[i] = sv.a[j];
                    lt[i] = sv.t[j];
                    le[i] = sv.e[j];
                } else {
                    g.key[i] = 0;
                    g.voice[i] = &laneScratch_;
                    la[i] = lt[i] = le[i] = 0.0f;
                }
            }
            a = la.load();
            t = lt.load();
            e = le.load();
        }
        if (s.filterStep) stepCutoffGroup(s, g);
        // Both layers' table reads first, then both filters: the two
        // filters' dependency chains overlap.
        F4 toneIn = _mm_setzero_ps(), attackIn = _mm_setzero_ps();
        if (s.tone.on) toneIn = toneWaveGroup(s, g, t, a);
        if (s.attack.on) attackIn = attackWaveGroup(s, g, e, a);
        Floats tone{}, attack{};
        if (s.tone.on) tone.store(filterLanes([&](int i) -> VoiceFilter& { return g.voice[i]->toneFilter; }, toneIn));
        if (s.attack.on)
            attack.store(filterLanes([&](int i) -> VoiceFilter& { return g.voice[i]->attackFilter; }, attackIn));
        if (dense && g.count == kWidth) {
            _mm_store_ps(&sv.toneOut[first], tone.load());
            _mm_store_ps(&sv.attackOut[first], attack.load());
        } else {
            for (int i = 0; i < g.count; ++i) {
                const int j = sv.rendering[first + i];
                sv.toneOut[j] = tone[i];
                sv.attackOut[j] = attack[i];
            }
        }
    }
}

#endif // __SSE2__

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

// Level ramp and resonator of one voice, added to the mix.
inline void SynthEngine::finishVoice(const SampleValues& s, const SampleVoices& sv, int j, float& mixL,
                                     float& mixR) {
    Voice& v = voices_[sv.key[j]];
    float x = 0.0f;
    if (sv.layers[j]) {
        x = (sv.toneOut[j] + sv.attackOut[j]) * v.levelRamp[v.levelPos] * v.levelScale;
        if (v.levelPos < kLevelRampSteps) ++v.levelPos;
    }
    const float g = 0.5f * (sv.t[j] + sv.e[j]);
    const StereoSample out = processResonator(v.resonator, s.gains, x, g, sv.fading[j]);
    mixL += out.left;
    mixR += out.right;
}

// Envelopes of every sounding voice in key order, four at a time where
// they can.
void SynthEngine::stepAllEnvelopes(const SampleValues& s, SampleVoices& sv) {
    for (int first = 0; first < sv.count; first += 4) {
        const int last = std::min(first + 4, sv.count);
#if defined(__SSE2__)
        if (!scalarReference_ && last - first == 4 && stepEnvelopeGroup(s, sv, first)) continue;
#endif
        for (int j = first; j < last; ++j) stepEnvelopes(s, sv, j);
    }
    // Counted in a local: a count kept in sv would be stored and reloaded
    // for every voice, since the stores to the arrays might change it.
    int layered = 0;
    for (int j = 0; j < sv.count; ++j)
        if (sv.layers[j]) sv.rendering[layered++] = j;
    sv.layered = layered;
}

void SynthEngine::renderBlock(float* outL, float* outR, int count, RenderHooks& hooks) {
    if (count <= 0 || outL == nullptr || outR == nullptr) return;
    const WaveTable& sine = tables_.sineTable;
    SampleVoices sv; // on the stack: per call, not per instance
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
        int sounding = 0;
        for (int word = 0; word < 2; ++word) {
            std::uint64_t bits = sounding_[word];
            while (bits != 0) {
                sv.key[sounding++] = word * 64 + std::countr_zero(bits);
                bits &= bits - 1;
            }
        }
        sv.count = sounding;
        stepAllEnvelopes(s, sv);
#if defined(__SSE2__)
        if (!scalarReference_)
            renderLayerLanes(s, sv);
        else
#endif
            renderLayersScalar(s, sv, 0, sv.layered);
        float mixL = 0.0f, mixR = 0.0f;
        for (int j = 0; j < sv.count; ++j) finishVoice(s, sv, j, mixL, mixR);
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
