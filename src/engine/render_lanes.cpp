// SPDX-License-Identifier: MIT
// The lane code compiled for SSE2: four voices side by side.
#include "engine/lane_render.h"

namespace velora::engine {

#if defined(__SSE2__)

bool SynthEngine::stepEnvelopeGroup4(const SampleValues& s, SampleVoices& sv, int first) {
    return LaneRenderer<lanes::Sse2>::stepEnvelopeGroup(*this, s, sv, first);
}

int SynthEngine::renderLayerGroups4(SampleValues& s, int length, int count, int layered, int first) {
    return LaneRenderer<lanes::Sse2>::renderLayerGroups(*this, s, length, count, layered, first);
}

#endif  // __SSE2__

}  // namespace velora::engine
