// SPDX-License-Identifier: MIT
#include "engine/synth_engine.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>

#include "core/midi_scale.h"
#include "engine/run_rows.h"

namespace velora::engine {
namespace {

bool validKey(int key) { return key >= 0 && key < kKeyCount; }

constexpr float kLevelScale = kPerMidiValue;  // velocity to gain
constexpr float kRampStep = 0.015625f;        // 1/64
constexpr float kBendSlope = floatFromBits(0x3AFACD70u);
constexpr float kBendOffset = floatFromBits(0x3F60A652u);

}  // namespace

SynthEngine::SynthEngine() : tables_(waveTables()), rows_(std::make_unique<RunRows>()) {
    buildKeyFrequencies(keyFrequency_);
    allocateResonators();
    // Derived quantities start as their parameters at 0 give them; the shell's
    // program selection applies the real values next. The filters keep zero
    // coefficients until their first cutoff step.
    for (int i = 0; i < kVoiceParamCount; ++i) {
        const auto p = static_cast<VoiceParam>(i);
        if (p == VoiceParam::ToneLpRes || p == VoiceParam::AttackLpRes || p == VoiceParam::VoiceLimit) continue;
        setParam(p, 0.0f);
    }
    for (Voice& v : voices_) {
        v.toneFilter.resonance = kResonanceBase;
        v.attackFilter.resonance = kResonanceBase;
    }
}

void SynthEngine::storeSampleRate(float rate) {
    if (!(std::isfinite(rate) && rate > 0.0f)) return;
    values_.sampleRate = rate;
}

void SynthEngine::setSampleRate(float rate) {
    if (!(std::isfinite(rate) && rate > 0.0f)) return;
    values_.sampleRate = rate;
    values_.levelLimit = kLevelLimit;
    values_.tableStepPerHz = kTablePeriod / rate;
    applyEnvelopeLengths();
    allocateResonators();
    applyTaps(true, storedValue(VoiceParam::Delay1));
    applyTaps(false, storedValue(VoiceParam::Delay2));
    setParam(VoiceParam::VibratoFreq, storedValue(VoiceParam::VibratoFreq));
    setParam(VoiceParam::VibratoDev, storedValue(VoiceParam::VibratoDev));
}

void SynthEngine::open() {
    values_.tableStepPerHz = kTablePeriod / values_.sampleRate.load();
    applyEnvelopeLengths();
    allocateResonators();
    applyTaps(true, storedValue(VoiceParam::Delay1));
    applyTaps(false, storedValue(VoiceParam::Delay2));
}

SynthEngine::~SynthEngine() { settleResumeHandOver(); }

void SynthEngine::resume() {
    postResume();
    takeResumeHandOver();
    settleResumeHandOver();
}

// Lines are made only for voices whose length the rate changes (a rate
// stored since the last open); the others are cleared where they stand.
void SynthEngine::postResume() {
    settleResumeHandOver();
    ResumeHandOver& h = resumeHandOver_;
    const double rate = std::min(static_cast<double>(values_.sampleRate.load()), kMaxResonatorRate);
    for (int key = 0; key < kKeyCount; ++key) {
        const std::int32_t n =
            VoiceResonator::clampedLength(truncToInt(rate / static_cast<double>(keyFrequency_[key])));
        const bool keeps = voices_[key].resonator.lines != nullptr && voices_[key].resonator.length == n;
        h.fresh[key] = keeps ? nullptr : VoiceResonator::newLines(n);
        h.freshLength[key] = n;
    }
    h.state.store(ResumeHandOver::kPosted, std::memory_order_release);
}

// On the rendering thread. Voices that are not sounding keep their old
// contents: a note-on clears the lines of a silent voice before it sounds.
void SynthEngine::takeResumeHandOver() {
    ResumeHandOver& h = resumeHandOver_;
    if (h.state.load(std::memory_order_relaxed) != ResumeHandOver::kPosted) return;
    std::int32_t expected = ResumeHandOver::kPosted;
    if (!h.state.compare_exchange_strong(expected, ResumeHandOver::kTaken, std::memory_order_acquire)) return;
    for (int key = 0; key < kKeyCount; ++key) {
        VoiceResonator& r = voices_[key].resonator;
        if (h.fresh[key] != nullptr) {
            h.retired[key] = r.adopt(h.fresh[key], h.freshLength[key]);
            h.fresh[key] = nullptr;
        } else {
            if (voices_[key].keySounding) r.clear();
            r.position = 0;
        }
    }
    clearFilterStates();
    h.state.store(ResumeHandOver::kDone, std::memory_order_release);
}

// On the host's thread: takes back lines not yet handed over, or frees the
// ones a finished hand-over replaced.
void SynthEngine::settleResumeHandOver() {
    ResumeHandOver& h = resumeHandOver_;
    std::int32_t state = h.state.load(std::memory_order_acquire);
    if (state == ResumeHandOver::kPosted &&
        h.state.compare_exchange_strong(state, ResumeHandOver::kIdle, std::memory_order_acquire)) {
        for (float*& lines : h.fresh) VoiceResonator::deleteLines(std::exchange(lines, nullptr));
        return;
    }
    // Taken: the rendering thread is swapping pointers, a matter of microseconds.
    while ((state = h.state.load(std::memory_order_acquire)) == ResumeHandOver::kTaken) std::this_thread::yield();
    if (state != ResumeHandOver::kDone) return;
    for (float*& lines : h.retired) VoiceResonator::deleteLines(std::exchange(lines, nullptr));
    h.state.store(ResumeHandOver::kIdle, std::memory_order_relaxed);
}

void SynthEngine::clearFilterStates() {
    for (Voice& v : voices_) {
        v.toneFilter.clearState();
        v.attackFilter.clearState();
    }
}

void SynthEngine::allocateResonators() {
    settleResumeHandOver();
    const double rate = std::min(static_cast<double>(values_.sampleRate.load()), kMaxResonatorRate);
    for (int key = 0; key < kKeyCount; ++key)
        voices_[key].resonator.allocate(truncToInt(rate / static_cast<double>(keyFrequency_[key])));
}

// --- notes -----------------------------------------------------------------

void SynthEngine::setSounding(int key, bool on) {
    voices_[key].keySounding = on;
    const std::uint64_t bit = std::uint64_t{1} << (key & 63);
    if (on)
        sounding_[key >> 6] |= bit;
    else
        sounding_[key >> 6] &= ~bit;
}

void SynthEngine::rampLevel(Voice& v, float from, float target) {
    for (int i = 0; i < kLevelRampSteps; ++i)
        v.levelRamp[i] = from + (target - from) * static_cast<float>(i) * kRampStep;
    v.levelPos = 0;
}

void SynthEngine::noteOn(int key, int velocity) {
    if (!validKey(key)) return;
    Voice& v = voices_[key];
    const bool active = v.keySounding;

    // A listed key leaves the order before it is counted again, also after
    // silenceAll left it listed: the ring never holds a key twice.
    forgetStolen(key);
    removeFromOrder(key);
    if (order_.count() >= values_.voiceLimit.load()) stealOldest();
    order_.push(key);

    const float frequency = keyFrequency_[key];
    v.levelScale = kLevelScale;
    v.toneBaseIncrement = v.attackBaseIncrement = frequency * values_.tableStepPerHz.load();

    startAmp(v.toneAmp, values_.tone.ampMax.load(), values_.tone.ampMin.load());
    startAmp(v.attackAmp, values_.attack.ampMax.load(), values_.attack.ampMin.load());
    startCutoff(v.toneCutoff, values_.tone.lpMaxMult.load(), values_.tone.lpMinMult.load(), frequency, key, velocity);
    startCutoff(v.attackCutoff, values_.attack.lpMaxMult.load(), values_.attack.lpMinMult.load(), frequency, key,
                velocity);
    startAdsr(v.adsr, values_.attackLengthF.load(), values_.decayLengthF.load(), values_.sustainLevel.load());
    v.sustainHeld = false;

    const float target = static_cast<float>(velocity);
    if (active) {
        const float h = v.gainLevel();
        if (h == target)
            v.levelPos = kLevelRampSteps;
        else
            rampLevel(v, h, target);
    } else {
        v.levelPos = kLevelRampSteps;
        clearResonator(key);
        v.toneFilter.clearState();
        v.attackFilter.clearState();
    }
    v.levelRamp[kLevelRampSteps] = target;
    v.levelBase = target;
    setSounding(key, true);
}

void SynthEngine::noteOff(int key) {
    if (!validKey(key)) return;
    Voice& v = voices_[key];
    if (v.adsr.stage == Stage::Release || v.adsr.stage == Stage::Fade) return;
    if (sustainDown_)
        v.sustainHeld = true;
    else
        releaseVoice(key);
}

void SynthEngine::releaseVoice(int key) {
    if (!validKey(key)) return;
    Adsr& a = voices_[key].adsr;
    a.releaseStart = a.output;
    a.stage = Stage::Release;
}

void SynthEngine::fadeVoice(int key) {
    if (!validKey(key)) return;
    Adsr& a = voices_[key].adsr;
    a.releaseStart = a.output;
    a.stage = Stage::Fade;
}

void SynthEngine::stealOldest() {
    // An empty order (voice limit 0 or below) has nothing to steal.
    if (order_.count() == 0) return;
    const int k = order_.oldest();
    if (!validKey(k)) return;
    const Stage stage = voices_[k].adsr.stage;
    if (stage != Stage::Tail && stage != Stage::Release && stage != Stage::Fade) releaseVoice(k);
    rememberStolen(k);
    removeFromOrder(k);
}

void SynthEngine::rememberStolen(int key) {
    if (!validKey(key)) return;
    if (stolenKeys_.older != -1) {
        const Voice& older = voices_[stolenKeys_.older];
        if (older.keySounding && older.adsr.stage != Stage::Fade && older.adsr.stage != Stage::Tail)
            fadeVoice(stolenKeys_.older);
        stolenKeys_.older = -1;
    }
    if (stolenKeys_.newest != -1) stolenKeys_.older = stolenKeys_.newest;
    stolenKeys_.newest = key;
}

void SynthEngine::forgetStolen(int key) {
    if (stolenKeys_.newest == key) stolenKeys_.newest = -1;
    if (stolenKeys_.older == key) stolenKeys_.older = -1;
}

void SynthEngine::endVoice(int key) {
    if (!validKey(key)) return;
    Voice& v = voices_[key];
    v.adsr.stage = Stage::Ended;
    setSounding(key, false);
    v.adsr.output = 0.0f;
    removeFromOrder(key);
    if (stolenKeys_.newest == key)
        stolenKeys_.newest = -1;
    else if (stolenKeys_.older == key)
        stolenKeys_.older = -1;
}

void SynthEngine::sustainController(int value) {
    if (value > 64)
        sustainDown_ = true;
    else if (value < 64)
        pedalUp();
}

void SynthEngine::pedalUp() {
    sustainDown_ = false;
    for (int key = 0; key < kKeyCount; ++key) {
        if (voices_[key].sustainHeld) noteOff(key);
        voices_[key].sustainHeld = false;
    }
}

void SynthEngine::silenceAll() {
    for (int key = 0; key < kKeyCount; ++key) setSounding(key, false);
}

void SynthEngine::startLevelRamp(int key, float target) {
    if (!validKey(key)) return;
    Voice& v = voices_[key];
    rampLevel(v, v.gainLevel(), target);
    v.levelRamp[kLevelRampSteps] = target;
}

void SynthEngine::pitchBend(int msb) {
    if (msb < 0 || msb > 127) return;
    bendFactor_ = static_cast<float>(msb) * kBendSlope + kBendOffset;
}

void SynthEngine::resetVoices() {
    for (int key = 0; key < kKeyCount; ++key) {
        Voice& v = voices_[key];
        setSounding(key, false);
        v.adsr.output = 0.0f;
        v.toneAmp.output = 0.0f;
        v.attackAmp.output = 0.0f;
        clearResonator(key);
        v.tonePhase.fill(0.0f);
        v.attackPhase.fill(0.0f);
    }
    order_.clear();
    stolenKeys_ = StolenKeys{};
    bendFactor_ = 1.0f;
    filterTick_ = 4;
    tempoTick_ = 128;
    vibratoPhase_ = 0.0f;
    vibratoValue_ = 0.0f;
}

bool SynthEngine::keySounding(int key) const { return validKey(key) && voices_[key].keySounding; }

float SynthEngine::levelBase(int key) const { return validKey(key) ? voices_[key].levelBase : 0.0f; }

}  // namespace velora::engine
