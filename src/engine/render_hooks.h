// SPDX-License-Identifier: MIT
#pragma once
// Calls the render loop makes into its owner, which holds the MIDI queue, the
// host connection and the effect chain.

namespace velora::engine {

class RenderHooks {
public:
    // Before the voices of a sample: acts on the events due there and
    // returns how many samples from this one on (1 .. limit) pass before
    // another can fall due, counting the pending events down past them; the
    // next call comes at the sample after those.
    virtual int dispatchDueEvents(int limit) = 0;
    virtual void tempoCheck() = 0;  // every sample in which tempoTick is 0
    virtual void processOutput(float mixL, float mixR, float& outL, float& outR) = 0;  // every sample

protected:
    ~RenderHooks() = default;
};

}  // namespace velora::engine
