// SPDX-License-Identifier: MIT
// Four voices side by side in SSE2 lanes: the envelopes, the cutoff steps and
// both layers of the render loop for groups of four voices.
#include <algorithm>
#include <bit>

#include "engine/sample_values.h"
#include "engine/synth_engine.h"

namespace velora::engine {

#if defined(__SSE2__)

// The voices whose layers render are taken four at a time in key order; a
// short last group fills its free lanes with a scratch voice that nobody
// hears. Each lane performs the operations of the one-voice code above in
// the same order.

namespace {

using namespace lanes;

// Table positions of four phases in [0, 8192): the truncation of the
// one-voice code.
inline I4 positions(F4 phase) { return bitAnd(truncate(phase), splatInt(kTableMask)); }

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
    p = select(atLeast(p, period), p, sub(p, period));
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
                                           const WavePairTable* const (&level)[kWidth], F4 inc, F4 incUp, F4 incDown,
                                           float unison, float oddWeight, float fullWeight) {
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
    // The coefficients as two rows per filter (see stepCutoffLanes).
    const float* const front[kWidth] = {&filter(0).b0, &filter(1).b0, &filter(2).b0, &filter(3).b0};
    const float* const back[kWidth] = {&filter(0).a1, &filter(1).a1, &filter(2).a1, &filter(3).a1};
    const Columns b = loadColumns(front);  // b0, b1, b2, a0
    const Columns a = loadColumns(back);   // a1, a2, cutoff, resonance
    const F4 b0 = b.c0, b1 = b.c1, b2 = b.c2, a1 = a.c0, a2 = a.c1;
    float* const row[kWidth] = {&filter(0).s1, &filter(1).s1, &filter(2).s1, &filter(3).s1};
    Columns s = loadColumns(row);  // s1, s2, s3, s4
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
    const I4 above = asInts(atLeast(position, splat(2147483648.0f)));
    const I4 index = bitOr(truncate(position), bitAnd(above, splatInt(kTableMask)));
    return bitAnd(index, splatInt(kTableMask));
}

// stepCutoff and updateCoefficients per lane.
template <typename FilterOf, typename EnvelopeOf>
void stepCutoffLanes(FilterOf filter, EnvelopeOf envelope, F4 decayFactor, float sampleRate, const WaveTable& sine) {
    const F4 decaying = flushTiny(mul(gather([&](int i) { return envelope(i).decaying; }), decayFactor));
    scatter(decaying, [&](int i, float v) { envelope(i).decaying = v; });
    F4 fc = div(add(decaying, gather([&](int i) { return envelope(i).floor; })), splat(sampleRate));
    fc = select(atLeast(fc, splat(0.5f)), fc, splat(kCutoffCeiling));
    const F4 q = gather([&](int i) { return filter(i).resonance; });
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
    const F4 ok = bitAnd(bitAnd(finite(b0), finite(b1)), bitAnd(finite(a1), finite(a2)));
    b0 = bitAnd(ok, b0);
    b1 = bitAnd(ok, b1);
    a1 = bitAnd(ok, a1);
    a2 = bitAnd(ok, a2);
    scatter(cosine, [&](int i, float v) { filter(i).cosine = v; });
    scatter(alpha, [&](int i, float v) { filter(i).alpha = v; });
    // Whole rows, which filterLanes loads whole in this very sample: a row
    // load after four single stores would wait for them to retire.
    float* const front[kWidth] = {&filter(0).b0, &filter(1).b0, &filter(2).b0, &filter(3).b0};
    float* const back[kWidth] = {&filter(0).a1, &filter(1).a1, &filter(2).a1, &filter(3).a1};
    storeColumns(front, Columns{b0, b1, b0, a0});
    storeColumns(back, Columns{a1, a2, fc, q});
}

}  // namespace

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
    const I4 stage = asInts(counters.c0);
    const I4 attackCount = asInts(counters.c1);
    const I4 decayCount = asInts(counters.c2);
    const I4 releaseCount = asInts(counters.c3);
    auto is = [&](Stage st) { return equal(stage, splatInt(static_cast<std::int32_t>(st))); };
    const I4 isAttack = is(Stage::Attack), isDecay = is(Stage::Decay), isRelease = is(Stage::Release);
    auto below = [](I4 count, std::int32_t length) { return less(count, splatInt(length)); };
    const I4 steady = bitOr(bitOr(is(Stage::Sustain), bitAnd(isAttack, below(attackCount, s.times.attackLength))),
                            bitOr(bitAnd(isDecay, below(decayCount, s.times.decayLength)),
                                  bitAnd(isRelease, below(releaseCount, s.times.releaseLength))));
    if (laneBits(steady) != 0xF) return false;

    // Each lane's stage counter before the step; the stage's counter then
    // moves on by one (a mask lane is -1).
    const I4 count =
        bitOr(bitOr(bitAnd(isAttack, attackCount), bitAnd(isDecay, decayCount)), bitAnd(isRelease, releaseCount));
    const I4 attackNext = subInt(attackCount, isAttack);
    const I4 decayNext = subInt(decayCount, isDecay);
    const I4 releaseNext = subInt(releaseCount, isRelease);
    // The stages stay: the row goes back whole.
    storeColumns(row, Columns{counters.c0, asFloats(attackNext), asFloats(decayNext), asFloats(releaseNext)});

    const F4 attack = asFloats(isAttack), decay = asFloats(isDecay), release = asFloats(isRelease);
    const F4 one = splat(1.0f);
    const F4 n = toFloats(count);
    // Only lanes in release use the fraction; the division waits for one.
    const F4 releaseFraction = laneBits(release) != 0 ? sub(one, div(n, splat(s.times.releaseLengthF))) : zero();
    F4 out = splat(s.times.sustainLevel);
    const F4 attackStep = gather([&](int i) { return adsr(i).attackStep; });
    out = select(attack, out, add(mul(n, attackStep), gather([&](int i) { return adsr(i).start; })));
    out = select(decay, out, sub(one, mul(n, gather([&](int i) { return adsr(i).decayStep; }))));
    out = select(release, out, mul(releaseFraction, gather([&](int i) { return adsr(i).releaseStart; })));
    scatter(out, [&](int i, float x) { adsr(i).output = x; });
    store(&sv.a[first], out);

    // The amplitude envelopes rise over the first 24 samples of the attack.
    const F4 rise = asFloats(bitAnd(isAttack, below(attackNext, kAmpRiseLength)));
    const F4 riseCount = toFloats(attackNext);
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
        storeColumns(row, Columns{level, a.c1, a.c2, select(rise, decayed, old)});
        return level;
    };
    store(&sv.t[first],
          amp([&](int i) -> AmpEnvelope& { return v[i]->toneAmp; }, values_.tone.ampDecay, s.tone.ampMin));
    store(&sv.e[first],
          amp([&](int i) -> AmpEnvelope& { return v[i]->attackAmp; }, values_.attack.ampDecay, s.attack.ampMin));
    for (int i = 0; i < kWidth; ++i) {
        sv.layers[first + i] = true;
        sv.fading[first + i] = false;
    }
    store(&sv.toneOut[first], zero());
    store(&sv.attackOut[first], zero());
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
    const Columns phases = loadColumns(row);  // main, up, down, base increment
    const F4 inc = mul(splat(s.bendFactor), phases.c3);
    const F4 incUp = mul(inc, splat(s.tone.ratioUp));
    const F4 incDown = mul(splat(s.tone.ratioDown), inc);
    Floats up;
    up.store(incUp);
    const WavePairTable* level[kWidth];
    for (int i = 0; i < kWidth; ++i) level[i] = &tables_.waves[voice(i).toneLevel.select(s.levelLimit, up[i])];
    const F4 wave = oscillate(row, phases, level, inc, incUp, incDown, s.tone.unisonAmount, s.tone.waveMixComplement,
                              s.tone.waveMix);
    return mul(mul(wave, t), a);
}

[[gnu::always_inline]] inline F4 SynthEngine::attackWaveGroup(const SampleValues& s, const LaneGroup& g, const F4 e,
                                                              const F4 a) {
    auto voice = [&](int i) -> Voice& { return *g.voice[i]; };
    float* const row[kWidth] = {voice(0).attackPhase.data(), voice(1).attackPhase.data(), voice(2).attackPhase.data(),
                                voice(3).attackPhase.data()};
    const Columns phases = loadColumns(row);  // main, up, down, base increment
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
            a = load(&sv.a[first]);
            t = load(&sv.t[first]);
            e = load(&sv.e[first]);
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
        F4 toneIn = zero(), attackIn = zero();
        if (s.tone.on) toneIn = toneWaveGroup(s, g, t, a);
        if (s.attack.on) attackIn = attackWaveGroup(s, g, e, a);
        Floats tone{}, attack{};
        if (s.tone.on) tone.store(filterLanes([&](int i) -> VoiceFilter& { return g.voice[i]->toneFilter; }, toneIn));
        if (s.attack.on)
            attack.store(filterLanes([&](int i) -> VoiceFilter& { return g.voice[i]->attackFilter; }, attackIn));
        if (dense && g.count == kWidth) {
            store(&sv.toneOut[first], tone.load());
            store(&sv.attackOut[first], attack.load());
        } else {
            for (int i = 0; i < g.count; ++i) {
                const int j = sv.rendering[first + i];
                sv.toneOut[j] = tone[i];
                sv.attackOut[j] = attack[i];
            }
        }
    }
}

#endif  // __SSE2__

}  // namespace velora::engine
