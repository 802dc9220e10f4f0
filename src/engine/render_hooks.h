// SPDX-License-Identifier: MIT
#pragma once
// Per-sample calls the render loop makes into its owner, which holds the MIDI
// queue, the host connection and the effect chain.

namespace velora::engine {

class RenderHooks {
public:
    virtual void dispatchDueEvents() = 0;  // every sample, before the voices
    virtual void tempoCheck() = 0;         // every sample in which tempoTick is 0
    virtual void processOutput(float mixL, float mixR, float& outL, float& outR) = 0;

protected:
    ~RenderHooks() = default;
};

}  // namespace velora::engine
