// SPDX-License-Identifier: MIT
#include "effects/effect_chain.h"

#include "core/numeric.h"
#include "effects/distortion.h"
#include "effects/signal_guard.h"
#include "effects/tempo_divisions.h"

namespace velora::effects {

namespace {

const float kMasterGainScale = floatFromBits(0x407EC9E1u);  // +12 dB at full scale

}  // namespace

EffectChain::EffectChain() = default;

void EffectChain::setParam(EffectParam p, float v) {
    switch (p) {
    case EffectParam::XDelayOn: crossDelay_.switchOn(v != 0.0f); break;
    case EffectParam::XdLengthL: crossDelay_.setLengthValue(Side::Left, v); break;
    case EffectParam::XdFeedback: crossDelay_.setFeedback(v); break;
    case EffectParam::XdLengthR: crossDelay_.setLengthValue(Side::Right, v); break;
    case EffectParam::XdMix: crossDelay_.setMix(v); break;
    case EffectParam::XdTempoSync: crossDelay_.setSync(v != 0.0f); break;
    case EffectParam::ReverbOn: reverb_.switchOn(v != 0.0f); break;
    case EffectParam::ReverbTime: reverb_.setTime(v); break;
    case EffectParam::ReverbWet: reverb_.setWet(v); break;
    case EffectParam::ReverbDry: reverb_.setDry(v); break;
    case EffectParam::DistOn: distOn_ = v != 0.0f ? 1.0f : 0.0f; break;
    case EffectParam::DistDry: distDry_ = distortionDryGain(v); break;
    case EffectParam::DistWet: distWet_ = distortionWetGain(v); break;
    case EffectParam::Panning: balance_.start(v); break;
    case EffectParam::VolumeMajor: masterGain_ = masterGainOf(v); break;
    case EffectParam::VolumeMinor: volume_.start(v); break;
    case EffectParam::Count: break;
    }
}

void EffectChain::setSampleRate(float rate) {
    if (!crossDelay_.setSampleRate(rate)) return;
    reverb_.setSampleRate(rate);
    refitCrossDelay();
}

void EffectChain::storeSampleRate(float rate) {
    if (!crossDelay_.storeSampleRate(rate)) return;
    reverb_.setSampleRate(rate);
}

void EffectChain::open() { refitCrossDelay(); }

// The audio thread empties the lines before it next reads them.
void EffectChain::resume() { crossDelay_.requestClear(); }

bool EffectChain::applyHostTempo(bool answered, double tempo) { return crossDelay_.applyHostTempo(answered, tempo); }

void EffectChain::followTempo() { refitCrossDelay(); }

void EffectChain::zeroReverbLoops() { reverb_.zeroLoops(); }

const char* EffectChain::divisionLabel(int index) { return tempoDivision(index).label; }

float EffectChain::masterGainOf(float value) {
    return roundToFloat(static_cast<double>(value) * static_cast<double>(kMasterGainScale));
}

void EffectChain::refitCrossDelay() {
    crossDelay_.growCrossDelay();
    crossDelay_.recomputeLengths();
}

void EffectChain::processOutput(float sumL, float sumR, float& outL, float& outR) noexcept {
    const float gain = masterGain_.load();
    float l = boundSignal(sumL * gain);
    float r = boundSignal(sumR * gain);
    if (crossDelay_.on()) crossDelay_.processCrossDelay(l, r, l, r);
    if (distOn_.load() != 0.0f) {
        const float dry = distDry_.load();
        const float wet = distWet_.load();
        l = shapeSample(l, dry, wet);
        r = shapeSample(r, dry, wet);
    }
    if (reverb_.on()) reverb_.processReverb(boundSignal(l), boundSignal(r), l, r);

    float weightL, weightR;
    balance_.step(weightL, weightR);
    const float balancedL = weightL * l + (0.5f - weightR) * r;
    const float balancedR = weightR * r + (0.5f - weightL) * l;

    const float finalGain = volume_.step();
    outL = limitToFullScale(balancedL) * finalGain;
    outR = limitToFullScale(balancedR) * finalGain;
}

}  // namespace velora::effects
