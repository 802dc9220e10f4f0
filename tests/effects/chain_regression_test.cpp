// SPDX-License-Identifier: MIT
#include <cstdint>
#include <memory>

#include <gtest/gtest.h>

#include "effects/effect_chain.h"
#include "support/bit_hash.h"

namespace velora::effects {
namespace {

// A fixed scenario through every stage, hashed bit for bit. The stored hash
// was taken from the straightforward implementation and agrees with the
// 32-bit Windows build; a change must be deliberate and explained.
TEST(ChainRegression, AllStagesRenderTheStoredSamples) {
    auto chain = std::make_unique<EffectChain>();
    chain->setParam(EffectParam::XDelayOn, 1.0f);
    chain->setParam(EffectParam::ReverbOn, 1.0f);
    chain->setParam(EffectParam::DistOn, 1.0f);
    chain->setParam(EffectParam::XdLengthL, 0.01f);
    chain->setParam(EffectParam::XdLengthR, 0.023f);
    chain->setParam(EffectParam::XdFeedback, 0.6f);
    chain->setParam(EffectParam::XdMix, 0.5f);
    chain->setParam(EffectParam::ReverbTime, 0.3f);
    chain->setParam(EffectParam::ReverbWet, 0.4f);
    chain->setParam(EffectParam::ReverbDry, 0.7f);
    chain->setParam(EffectParam::DistDry, 0.45f);
    chain->setParam(EffectParam::DistWet, 0.65f);
    chain->setParam(EffectParam::Panning, 0.530303f);
    chain->setParam(EffectParam::VolumeMajor, 0.3f);
    chain->setParam(EffectParam::VolumeMinor, 0.8f);

    velora::test::BitHash hash;
    std::uint32_t seed = 1;
    float l, r;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        // Bursts of noise in -0.5..0.5, then silence for the tails.
        const float noise = static_cast<float>(static_cast<std::int32_t>(seed >> 8) - (1 << 23)) * 1.1920929e-7f;
        const float in = i % 3000 < 40 ? noise * 0.5f : 0.0f;
        chain->process(in, 0.5f * in, l, r);
        hash.add(l);
        hash.add(r);
    }
    EXPECT_EQ(hash.value(), 0x05c6bdaa3a4f7628ull) << std::hex << hash.value();
}

}  // namespace
}  // namespace velora::effects
