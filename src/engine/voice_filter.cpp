// SPDX-License-Identifier: MIT
#include "engine/voice_filter.h"

#include <cmath>

#include "core/midi_scale.h"

namespace velora::engine {

void updateCoefficients(VoiceFilter& f, const WaveTable& sine) noexcept {
    const float fc = f.cutoff;
    const float q = f.resonance;
    const float cosine = sine[wrappedTableIndex(8192.0f * (fc + 0.25f))];
    const float sn = sine[wrappedTableIndex(8192.0f * fc)];
    const float alpha = sn / (2.0f * q);
    const float a0 = 1.0f + alpha;
    float b0 = (1.0f - cosine) / (2.0f * a0);
    float b1 = (1.0f - cosine) / a0;
    float a1 = -2.0f * cosine / a0;
    float a2 = (1.0f - alpha) / a0;
    // A resonance of 0 or below (hostile values only) would divide by zero;
    // a muted filter keeps the voice finite instead.
    if (!(std::isfinite(b0) && std::isfinite(b1) && std::isfinite(a1) && std::isfinite(a2))) b0 = b1 = a1 = a2 = 0.0f;
    f.cosine = cosine;
    f.alpha = alpha;
    f.a0 = a0;
    f.b0 = b0;
    f.b1 = b1;
    f.b2 = b0;
    f.a1 = a1;
    f.a2 = a2;
}

void startCutoff(CutoffEnvelope& env, float maxMult, float minMult, float keyFrequency, int key,
                 int velocity) noexcept {
    const float keyScale = static_cast<float>(128 - key) * kPerMidiNumber * 0.9f + 0.1f;
    const float velocityScale = static_cast<float>(velocity) * kPerMidiValue * 0.99f + 0.01f;
    env.decaying = (maxMult - minMult) * keyFrequency * velocityScale * keyScale;
    env.floor = keyFrequency * minMult;
}

}  // namespace velora::engine
