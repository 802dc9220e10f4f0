// SPDX-License-Identifier: MIT
#pragma once
// The lane code of the render loop, written once over the lane width L
// (lanes::Sse2, four voices; lanes::Avx2, eight): the envelopes, the cutoff
// steps and both layers for groups of voices. Each lane performs the
// operations of the one-voice code in render.cpp in the same order, so every
// width gives the same bits. Included by the file that compiles it for its
// instruction set, after everything else it needs.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>

#include "engine/run_rows.h"
#include "engine/sample_values.h"
#include "engine/synth_engine.h"

namespace velora::engine {

template <typename L>
struct LaneRenderer {
    static constexpr int W = L::kWidth;
    using F = typename L::F;
    using I = typename L::I;
    using Floats = typename L::Floats;
    using Ints = typename L::Ints;
    using Columns = typename L::Columns;

    struct Group {
        int count;  // real voices; the other lanes hold the scratch voice
        int key[W];
        Voice* voice[W];
    };

    // A layer's filter coefficients; they change only where the cutoff steps.
    struct FilterLanes {
        F b0, b1, b2, a1, a2;
    };

    // The Tone layer's increments and levels, which hold over a run.
    struct ToneStep {
        F inc, incUp, incDown;
        const WavePairTable* level[W];
    };

    // The Attack layer's levels, selected again where an increment changes.
    struct AttackLevels {
        F incUp;  // NaN at the start of a run: equal to nothing
        const WavePairTable* level[W];
    };

    // What a group's layers carry from sample to sample, held in registers
    // over a run and written back at its end: the rows would otherwise be
    // stored and reloaded, transposed, every sample.
    struct GroupState {
        ToneStep tone;
        AttackLevels attack;
        Columns tonePhase, attackPhase;  // main, up, down, base increment
        Columns toneState, attackState;  // s1, s2, s3, s4
        FilterLanes toneFilter, attackFilter;
    };

    template <typename Member>
    [[gnu::always_inline]] static Columns loadRows(const Group& g, Member member) {
        const float* row[W];
        for (int i = 0; i < W; ++i) row[i] = member(*g.voice[i]);
        return L::loadColumns(row);
    }

    template <typename Member>
    [[gnu::always_inline]] static void storeRows(const Group& g, Member member, const Columns& c) {
        float* row[W];
        for (int i = 0; i < W; ++i) row[i] = member(*g.voice[i]);
        L::storeColumns(row, c);
    }

    // The coefficients as two rows per filter (see stepCutoffLanes).
    template <typename FilterOf>
    [[gnu::always_inline]] static FilterLanes loadFilter(const Group& g, FilterOf filter) {
        const Columns b = loadRows(g, [&](Voice& v) { return &filter(v).b0; });  // b0, b1, b2, a0
        const Columns a = loadRows(g, [&](Voice& v) { return &filter(v).a1; });  // a1, a2, cutoff, resonance
        return {b.c0, b.c1, b.c2, a.c0, a.c1};
    }

    static VoiceFilter& toneFilterOf(Voice& v) { return v.toneFilter; }
    static VoiceFilter& attackFilterOf(Voice& v) { return v.attackFilter; }

    [[gnu::always_inline]] static void loadCoefficients(const SynthEngine::SampleValues& s, const Group& g,
                                                        GroupState& state) {
        if (s.tone.on) state.toneFilter = loadFilter(g, toneFilterOf);
        if (s.attack.on) state.attackFilter = loadFilter(g, attackFilterOf);
    }

    [[gnu::always_inline]] static void loadGroupState(SynthEngine& e, const SynthEngine::SampleValues& s,
                                                      const Group& g, GroupState& state) {
        if (s.tone.on) {
            state.tonePhase = loadRows(g, [](Voice& v) { return v.tonePhase.data(); });
            state.toneState = loadRows(g, [](Voice& v) { return &v.toneFilter.s1; });
            state.tone = toneStep(e, s, g, state.tonePhase);
        }
        if (s.attack.on) {
            state.attackPhase = loadRows(g, [](Voice& v) { return v.attackPhase.data(); });
            state.attackState = loadRows(g, [](Voice& v) { return &v.attackFilter.s1; });
            state.attack.incUp = L::splat(std::numeric_limits<float>::quiet_NaN());
        }
        loadCoefficients(s, g, state);
    }

    // The scratch lanes write back too: they all hold the one scratch voice.
    [[gnu::always_inline]] static void storeGroupState(const SynthEngine::SampleValues& s, const Group& g,
                                                       const GroupState& state) {
        if (s.tone.on) {
            storeRows(g, [](Voice& v) { return v.tonePhase.data(); }, state.tonePhase);
            storeRows(g, [](Voice& v) { return &v.toneFilter.s1; }, state.toneState);
        }
        if (s.attack.on) {
            storeRows(g, [](Voice& v) { return v.attackPhase.data(); }, state.attackPhase);
            storeRows(g, [](Voice& v) { return &v.attackFilter.s1; }, state.attackState);
        }
    }

    // Table positions of the phases in [0, 8192): the truncation of the
    // one-voice code.
    static I positions(F phase) { return L::bitAnd(L::truncate(phase), L::splatInt(kTableMask)); }

    // One family pair per lane, at each lane's level.
    [[gnu::always_inline]] static void readCopy(const WavePairTable* const (&level)[W], F phase, F& odd, F& full) {
        Ints at;
        at.store(positions(phase));
        const WavePair* entries[W];
        for (int i = 0; i < W; ++i) entries[i] = &(*level[i])[at[i]];
        L::gatherPairs(entries, odd, full);
    }

    // advancePhase per lane; lanes outside the usual range take the one-voice
    // wrap.
    [[gnu::always_inline]] static F advance(F phase, F inc) {
        const F period = L::splat(kTablePeriod);
        F p = L::add(phase, inc);
        p = L::select(L::atLeast(p, period), p, L::sub(p, period));
        const int inRange = L::belowBits(p, std::bit_cast<std::uint32_t>(kTablePeriod));
        if (inRange == L::kAll) return p;
        Floats f;
        f.store(p);
        for (int i = 0; i < W; ++i)
            if ((inRange & (1 << i)) == 0) f[i] = wrapPhase(f[i], kTablePeriod);
        return f.load();
    }

    [[gnu::always_inline]] static void prefetchCopy(const WavePairTable* const (&level)[W], F phase) {
        Ints at;
        at.store(positions(phase));
        for (int i = 0; i < W; ++i) prefetchTable(&(*level[i])[at[i]]);
    }

    // The three copies of both families mixed as the one-voice code mixes
    // them: odd x (1 - mix) + full x mix, each family (up + down) x unison +
    // main. Then the phases advance and the next sample's entries are
    // fetched. p holds the lanes' three phases and base increments.
    [[gnu::always_inline]] static F oscillate(Columns& p, const WavePairTable* const (&level)[W],
                                              F inc, F incUp, F incDown, float unison, float oddWeight,
                                              float fullWeight) {
        F mOdd, mFull, uOdd, uFull, dOdd, dFull;
        readCopy(level, p.c0, mOdd, mFull);
        readCopy(level, p.c1, uOdd, uFull);
        readCopy(level, p.c2, dOdd, dFull);
        const F u = L::splat(unison);
        const F odd = L::add(L::mul(L::add(uOdd, dOdd), u), mOdd);
        const F full = L::add(L::mul(L::add(uFull, dFull), u), mFull);
        p.c0 = advance(p.c0, inc);
        p.c1 = advance(p.c1, incUp);
        p.c2 = advance(p.c2, incDown);
        prefetchCopy(level, p.c0);
        prefetchCopy(level, p.c1);
        prefetchCopy(level, p.c2);
        return L::add(L::mul(odd, L::splat(oddWeight)), L::mul(full, L::splat(fullWeight)));
    }

    // filterSample per lane: both biquads, transposed direct form II.
    [[gnu::always_inline]] static F filterLanes(const FilterLanes& f, Columns& s, F x) {
        const F b0 = f.b0, b1 = f.b1, b2 = f.b2, a1 = f.a1, a2 = f.a2;
        const F y1 = L::add(L::mul(b0, x), s.c0);
        const F y2 = L::add(L::mul(b0, y1), s.c2);
        s.c0 = L::flushTiny(L::sub(L::add(L::mul(b1, x), s.c1), L::mul(a1, y1)));
        s.c1 = L::flushTiny(L::sub(L::mul(b2, x), L::mul(a2, y1)));
        s.c2 = L::flushTiny(L::sub(L::add(L::mul(b1, y1), s.c3), L::mul(a1, y2)));
        s.c3 = L::flushTiny(L::sub(L::mul(b2, y1), L::mul(a2, y2)));
        return y2;
    }

    // wrappedTableIndex per lane. The conversion gives INT_MIN for NaN and
    // for anything outside the int range, where truncToInt gives 0 for NaN,
    // INT_MIN below and INT_MAX above: masked, only the last differs (0
    // against 8191), so lanes at or above 2^31 are set to 8191.
    static I wrappedTableIndexes(F position) {
        const I above = L::asInts(L::atLeast(position, L::splat(2147483648.0f)));
        const I index = L::bitOr(L::truncate(position), L::bitAnd(above, L::splatInt(kTableMask)));
        return L::bitAnd(index, L::splatInt(kTableMask));
    }

    // stepCutoff and updateCoefficients per lane.
    template <typename FilterOf, typename EnvelopeOf>
    static void stepCutoffLanes(FilterOf filter, EnvelopeOf envelope, F decayFactor, float sampleRate,
                                const WaveTable& sine) {
        const F decaying = L::flushTiny(L::mul(L::gather([&](int i) { return envelope(i).decaying; }), decayFactor));
        L::scatter(decaying, [&](int i, float v) { envelope(i).decaying = v; });
        F fc = L::div(L::add(decaying, L::gather([&](int i) { return envelope(i).floor; })), L::splat(sampleRate));
        fc = L::select(L::atLeast(fc, L::splat(0.5f)), fc, L::splat(kCutoffCeiling));
        const F q = L::gather([&](int i) { return filter(i).resonance; });
        Ints cosineAt, sineAt;
        cosineAt.store(wrappedTableIndexes(L::mul(L::splat(8192.0f), L::add(fc, L::splat(0.25f)))));
        sineAt.store(wrappedTableIndexes(L::mul(L::splat(8192.0f), fc)));
        const F cosine = L::gather([&](int i) { return sine[cosineAt[i]]; });
        const F sn = L::gather([&](int i) { return sine[sineAt[i]]; });
        const F one = L::splat(1.0f), two = L::splat(2.0f);
        const F alpha = L::div(sn, L::mul(two, q));
        const F a0 = L::add(one, alpha);
        const F oneMinusCosine = L::sub(one, cosine);
        F b0 = L::div(oneMinusCosine, L::mul(two, a0));
        F b1 = L::div(oneMinusCosine, a0);
        F a1 = L::div(L::mul(L::splat(-2.0f), cosine), a0);
        F a2 = L::div(L::sub(one, alpha), a0);
        // A lane with any non-finite coefficient is muted, as in
        // updateCoefficients.
        const F ok = L::bitAnd(L::bitAnd(L::finite(b0), L::finite(b1)), L::bitAnd(L::finite(a1), L::finite(a2)));
        b0 = L::bitAnd(ok, b0);
        b1 = L::bitAnd(ok, b1);
        a1 = L::bitAnd(ok, a1);
        a2 = L::bitAnd(ok, a2);
        L::scatter(cosine, [&](int i, float v) { filter(i).cosine = v; });
        L::scatter(alpha, [&](int i, float v) { filter(i).alpha = v; });
        // Whole rows, which filterLanes loads whole in this very sample: a
        // row load after single stores would wait for them to retire.
        float* front[W];
        float* back[W];
        for (int i = 0; i < W; ++i) {
            front[i] = &filter(i).b0;
            back[i] = &filter(i).a1;
        }
        L::storeColumns(front, Columns{b0, b1, b0, a0});
        L::storeColumns(back, Columns{a1, a2, fc, q});
    }

    static I is(I stage, Stage st) { return L::equal(stage, L::splatInt(static_cast<std::int32_t>(st))); }
    static I below(I count, std::int32_t length) { return L::less(count, L::splatInt(length)); }

    // What the amplitude envelopes take from the Adsr step: lanes in
    // release and their fraction, lanes still rising and their count.
    struct AmpStep {
        F release, releaseFraction, rise, riseCount;
    };

    // stepAmp per lane. An AmpEnvelope is one row: output, start, rise step,
    // decaying value.
    [[gnu::always_inline]] static F stepAmps(Voice* const (&v)[W], AmpEnvelope Voice::*member, const AmpStep& step,
                                             const KeyFactors& decayFactor, const SynthEngine::SampleVoices& sv,
                                             int first, float minMult) {
        float* row[W];
        for (int i = 0; i < W; ++i) row[i] = &(v[i]->*member).output;
        const Columns a = L::loadColumns(row);
        const F risen = L::add(L::mul(step.riseCount, a.c2), a.c1);
        const F old = a.c3;
        const F decayed =
            L::flushTiny(L::mul(old, L::gather([&](int i) { return decayFactor[sv.key[first + i]].load(); })));
        F level = L::add(decayed, L::splat(minMult));
        level = L::select(step.release, level, L::mul(level, step.releaseFraction));
        level = L::select(step.rise, level, risen);
        L::storeColumns(row, Columns{level, a.c1, a.c2, L::select(step.rise, decayed, old)});
        return level;
    }

    // The envelopes of W voices at once, when each is in its attack, decay,
    // sustain or release and stays there in this sample (the usual case);
    // otherwise nothing is changed and false returned.
    static bool stepEnvelopeGroup(SynthEngine& e, const SynthEngine::SampleValues& s, SynthEngine::SampleVoices& sv,
                                  int first) {
        Voice* v[W];
        float* row[W];
        for (int i = 0; i < W; ++i) {
            v[i] = &e.voices_[sv.key[first + i]];
            // Each Adsr begins with its stage and the attack, decay and
            // release counters: one row.
            row[i] = reinterpret_cast<float*>(&v[i]->adsr);
        }
        auto adsr = [&](int i) -> Adsr& { return v[i]->adsr; };
        const Columns counters = L::loadColumns(row);
        const I stage = L::asInts(counters.c0);
        const I attackCount = L::asInts(counters.c1);
        const I decayCount = L::asInts(counters.c2);
        const I releaseCount = L::asInts(counters.c3);
        const I isAttack = is(stage, Stage::Attack), isDecay = is(stage, Stage::Decay);
        const I isRelease = is(stage, Stage::Release);
        const I steady =
            L::bitOr(L::bitOr(is(stage, Stage::Sustain), L::bitAnd(isAttack, below(attackCount, s.times.attackLength))),
                     L::bitOr(L::bitAnd(isDecay, below(decayCount, s.times.decayLength)),
                              L::bitAnd(isRelease, below(releaseCount, s.times.releaseLength))));
        if (L::laneBits(steady) != L::kAll) return false;

        // Each lane's stage counter before the step; the stage's counter then
        // moves on by one (a mask lane is -1).
        const I count = L::bitOr(L::bitOr(L::bitAnd(isAttack, attackCount), L::bitAnd(isDecay, decayCount)),
                                 L::bitAnd(isRelease, releaseCount));
        const I attackNext = L::subInt(attackCount, isAttack);
        const I decayNext = L::subInt(decayCount, isDecay);
        const I releaseNext = L::subInt(releaseCount, isRelease);
        // The stages stay: the row goes back whole.
        L::storeColumns(
            row, Columns{counters.c0, L::asFloats(attackNext), L::asFloats(decayNext), L::asFloats(releaseNext)});

        const F attack = L::asFloats(isAttack), decay = L::asFloats(isDecay), release = L::asFloats(isRelease);
        const F one = L::splat(1.0f);
        const F n = L::toFloats(count);
        // Only lanes in release use the fraction; the division waits for one.
        const F releaseFraction =
            L::laneBits(release) != 0 ? L::sub(one, L::div(n, L::splat(s.times.releaseLengthF))) : L::zero();
        // A stage no lane is in selects nothing: its values are not gathered.
        F out = L::splat(s.times.sustainLevel);
        if (L::laneBits(attack) != 0) {
            const F attackStep = L::gather([&](int i) { return adsr(i).attackStep; });
            out = L::select(attack, out,
                            L::add(L::mul(n, attackStep), L::gather([&](int i) { return adsr(i).start; })));
        }
        if (L::laneBits(decay) != 0)
            out = L::select(decay, out, L::sub(one, L::mul(n, L::gather([&](int i) { return adsr(i).decayStep; }))));
        if (L::laneBits(release) != 0)
            out = L::select(release, out,
                            L::mul(releaseFraction, L::gather([&](int i) { return adsr(i).releaseStart; })));
        L::scatter(out, [&](int i, float x) { adsr(i).output = x; });
        L::store(&sv.a[first], out);

        // The amplitude envelopes rise over the first 24 samples of the
        // attack.
        const F rise = L::asFloats(L::bitAnd(isAttack, below(attackNext, kAmpRiseLength)));
        const F riseCount = L::toFloats(attackNext);
        const AmpStep step{release, releaseFraction, rise, riseCount};
        L::store(&sv.t[first], stepAmps(v, &Voice::toneAmp, step, e.values_.tone.ampDecay, sv, first, s.tone.ampMin));
        L::store(&sv.e[first],
                 stepAmps(v, &Voice::attackAmp, step, e.values_.attack.ampDecay, sv, first, s.attack.ampMin));
        for (int i = 0; i < W; ++i) {
            sv.layers[first + i] = true;
            sv.fading[first + i] = false;
        }
        L::store(&sv.toneOut[first], L::zero());
        L::store(&sv.attackOut[first], L::zero());
        return true;
    }

    static void stepCutoffGroup(SynthEngine& e, const SynthEngine::SampleValues& s, const Group& g) {
        auto voice = [&](int i) -> Voice& { return *g.voice[i]; };
        if (s.tone.on)
            stepCutoffLanes([&](int i) -> VoiceFilter& { return voice(i).toneFilter; },
                            [&](int i) -> CutoffEnvelope& { return voice(i).toneCutoff; },
                            L::gather([&](int i) { return e.values_.tone.lpDecay[g.key[i]].load(); }), s.sampleRate,
                            e.tables_.sineTable);
        if (s.attack.on)
            stepCutoffLanes([&](int i) -> VoiceFilter& { return voice(i).attackFilter; },
                            [&](int i) -> CutoffEnvelope& { return voice(i).attackCutoff; },
                            L::gather([&](int i) { return e.values_.attack.lpDecay[g.key[i]].load(); }), s.sampleRate,
                            e.tables_.sineTable);
    }

    // The Tone layer's increments and levels: with no vibrato they hold over
    // a run, so its selections stand for every sample's.
    [[gnu::always_inline]] static ToneStep toneStep(SynthEngine& e, const SynthEngine::SampleValues& s, const Group& g,
                                                   const Columns& phases) {
        ToneStep step;
        step.inc = L::mul(L::splat(s.bendFactor), phases.c3);
        step.incUp = L::mul(step.inc, L::splat(s.tone.ratioUp));
        step.incDown = L::mul(L::splat(s.tone.ratioDown), step.inc);
        Floats up;
        up.store(step.incUp);
        for (int i = 0; i < W; ++i)
            step.level[i] = &e.tables_.waves[g.voice[i]->toneLevel.select(s.levelLimit, up[i])];
        return step;
    }

    [[gnu::always_inline]] static F toneWaveGroup(const SynthEngine::SampleValues& s, const ToneStep& step,
                                                  Columns& phases, const F t, const F a) {
        const F wave = oscillate(phases, step.level, step.inc, step.incUp, step.incDown, s.tone.unisonAmount,
                                 s.tone.waveMixComplement, s.tone.waveMix);
        return L::mul(L::mul(wave, t), a);
    }

    [[gnu::always_inline]] static F attackWaveGroup(SynthEngine& e, const SynthEngine::SampleValues& s, const Group& g,
                                                    AttackLevels& levels, Columns& phases, const F env, const F a,
                                                    const F noise) {
        const F base = phases.c3;
        const F inc = L::mul(L::mul(L::mul(L::add(L::mul(L::splat(s.vibratoValue), env), L::splat(1.0f)), base),
                                    L::splat(s.attackFreqMult)),
                             L::splat(s.bendFactor));
        const F incUp = L::mul(inc, L::splat(s.attack.ratioUp));
        const F incDown = L::mul(L::splat(s.attack.ratioDown), inc);
        // Where every lane's increment equals the last sample's, each lane's
        // selection would keep its level.
        if (L::laneBits(L::same(incUp, levels.incUp)) != L::kAll) {
            levels.incUp = incUp;
            Floats up;
            up.store(incUp);
            for (int i = 0; i < W; ++i)
                levels.level[i] = &e.tables_.waves[g.voice[i]->attackLevel.select(s.levelLimit, up[i])];
        }
        const F shape = s.attackUnderAdsr ? a : L::splat(1.0f);
        const F wave = oscillate(phases, levels.level, inc, incUp, incDown, s.attack.unisonAmount,
                                 s.attack.waveMixComplement, s.attack.waveMix);
        return L::mul(L::mul(L::add(wave, noise), shape), env);
    }

    // One sample of a group: its envelope values and noise from row k (a
    // whole group of consecutive positions loads them whole; the scratch
    // lanes take zeros), the cutoff steps, then the Tone and the Attack
    // layers, into the row's outputs.
    [[gnu::always_inline]] static void renderGroupSample(SynthEngine& e, const SynthEngine::SampleValues& s,
                                                         const Group& g, GroupState& state, const int (&at)[W],
                                                         bool whole, int first, int k) {
        SynthEngine::RunRows& rows = *e.rows_;
        const bool noisy = s.noiseAmount != 0.0f;
        F a, t, env, noise = L::zero();
        if (whole) {
            a = L::load(&rows.a[k][first]);
            t = L::load(&rows.t[k][first]);
            env = L::load(&rows.e[k][first]);
            if (noisy) noise = L::load(&rows.noise[k][first]);
        } else {
            Floats la{}, lt{}, le{}, ln{};
            for (int i = 0; i < g.count; ++i) {
                const int j = at[i];
                la[i] = rows.a[k][j];
                lt[i] = rows.t[k][j];
                le[i] = rows.e[k][j];
                if (noisy) ln[i] = rows.noise[k][j];
            }
            a = la.load();
            t = lt.load();
            env = le.load();
            noise = ln.load();
        }
        if (s.filterStep) {
            stepCutoffGroup(e, s, g);
            loadCoefficients(s, g, state);
        }
        // Both layers' table reads first, then both filters: the two
        // filters' dependency chains overlap.
        F toneIn = L::zero(), attackIn = L::zero();
        if (s.tone.on) toneIn = toneWaveGroup(s, state.tone, state.tonePhase, t, a);
        if (s.attack.on) attackIn = attackWaveGroup(e, s, g, state.attack, state.attackPhase, env, a, noise);
        F tone = L::zero(), attack = L::zero();
        if (s.tone.on) tone = filterLanes(state.toneFilter, state.toneState, toneIn);
        if (s.attack.on) attack = filterLanes(state.attackFilter, state.attackState, attackIn);
        if (whole) {
            L::store(&rows.toneOut[k][first], tone);
            L::store(&rows.attackOut[k][first], attack);
        } else {
            Floats lt, la;
            lt.store(tone);
            la.store(attack);
            for (int i = 0; i < g.count; ++i) {
                rows.toneOut[k][at[i]] = lt[i];
                rows.attackOut[k][at[i]] = la[i];
            }
        }
    }

    // The rendering voices from position first on, in groups of W while more
    // than W / 2 remain, each group over the whole run. Returns the position
    // where it stopped.
    static int renderLayerGroups(SynthEngine& e, SynthEngine::SampleValues& s, int length, int count, int layered,
                                 int first) {
        const SynthEngine::RunRows& rows = *e.rows_;
        // With no voice in its tail the positions are 0, 1, 2, ...: whole
        // registers load and store.
        const bool dense = layered == count;
        for (; layered - first > W / 2; first += W) {
            Group g;
            g.count = std::min(W, layered - first);
            int at[W];
            for (int i = 0; i < W; ++i) {
                if (i < g.count) {
                    at[i] = rows.rendering[first + i];
                    g.key[i] = rows.key[at[i]];
                    g.voice[i] = &e.voices_[g.key[i]];
                } else {
                    at[i] = 0;
                    g.key[i] = 0;
                    g.voice[i] = &e.laneScratch_;
                }
            }
            const bool whole = dense && g.count == W;
            GroupState state{};  // the layers switched off keep zeros
            loadGroupState(e, s, g, state);
            for (int k = 0; k < length; ++k) {
                s.vibratoValue = e.runClock_.vibrato[k];
                s.filterStep = e.runClock_.filterStep[k];
                renderGroupSample(e, s, g, state, at, whole, first, k);
            }
            storeGroupState(s, g, state);
        }
        return first;
    }
};

}  // namespace velora::engine
