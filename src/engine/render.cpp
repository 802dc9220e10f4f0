// The per-sample voice loop. Engine values are loaded once per sample after
// the due events have acted, then every sounding voice is rendered in key
// order.
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

// Tone layer: three unison copies of both families, shaped by its amplitude
// envelope and the Adsr, through its filter.
float SynthEngine::renderTone(Voice& v, int key, const SampleValues& s, float t, float a) {
    const float inc = s.bendFactor * v.toneBaseIncrement;
    const float incUp = inc * s.tone.ratioUp;
    const float incDown = s.tone.ratioDown * inc;
    const int level = v.toneLevel.select(s.levelLimit, incUp);
    const UnisonRead r = readUnison(tables_, level, v.tonePhase, s.tone.unisonAmount);
    const float sample = (r.odd * s.tone.waveMixComplement + r.full * s.tone.waveMix) * t * a;
    advanceUnison(v.tonePhase, inc, incUp, incDown, tables_.waves[level]);
    if (s.filterStep)
        stepCutoff(v.toneCutoff, v.toneFilter, values_.tone.lpDecay[key].load(), s.sampleRate, tables_.sineTable);
    return filterSample(v.toneFilter, sample);
}

// Attack layer: as the Tone layer, plus vibrato, frequency multiplier and
// noise; under the Adsr only when "A Under ADSR" is set.
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
    if (s.filterStep)
        stepCutoff(v.attackCutoff, v.attackFilter, values_.attack.lpDecay[key].load(), s.sampleRate,
                   tables_.sineTable);
    return filterSample(v.attackFilter, sample);
}

void SynthEngine::renderVoice(int key, const SampleValues& s, float& mixL, float& mixR) {
    Voice& v = voices_[key];
    const AdsrResult adsr = stepAdsr(v.adsr, s.times);
    if (adsr.end == AdsrEnd::EndVoice)
        endVoice(key);
    else if (adsr.end == AdsrEnd::Silence)
        setSounding(key, false);
    const float a = adsr.output;
    const float t = stepAmp(v.toneAmp, v.adsr, adsr.releaseFraction, values_.tone.ampDecay[key].load(),
                            s.tone.ampMin);
    const float e = stepAmp(v.attackAmp, v.adsr, adsr.releaseFraction, values_.attack.ampDecay[key].load(),
                            s.attack.ampMin);

    // In the tail stage the layers stand still and only the resonator sounds.
    float x = 0.0f;
    if (v.adsr.stage != Stage::Tail) {
        const float toneOut = s.tone.on ? renderTone(v, key, s, t, a) : 0.0f;
        const float attackOut = s.attack.on ? renderAttack(v, key, s, e, a) : 0.0f;
        x = (toneOut + attackOut) * v.levelRamp[v.levelPos] * v.levelScale;
        if (v.levelPos < kLevelRampSteps) ++v.levelPos;
    }
    const float g = 0.5f * (t + e);
    const StereoSample out = processResonator(v.resonator, s.gains, x, g, v.adsr.stage == Stage::Fade);
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

        float mixL = 0.0f, mixR = 0.0f;
        // Only a voice's own step can end it, so the set taken here is the
        // set of voices to render in this sample.
        for (int word = 0; word < 2; ++word) {
            std::uint64_t bits = sounding_[word];
            while (bits != 0) {
                const int key = word * 64 + std::countr_zero(bits);
                bits &= bits - 1;
                renderVoice(key, s, mixL, mixR);
            }
        }
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
