// SPDX-License-Identifier: MIT
// Every text written into a host's buffer stays within the room the host is
// promised, whatever value the parameter holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "shell/host_text.h"
#include "shell/synth_effect.h"
#include "support/in_process_host.h"

namespace velora {
namespace {

using namespace vst;

constexpr std::size_t kBuffer = 80;

// Fills the buffer with a mark, lets the call write, and checks that the text
// ends within size bytes and nothing after them was touched.
template <typename Write>
void expectWithin(std::size_t size, Write write, const char* what) {
    char buffer[kBuffer];
    std::memset(buffer, '#', sizeof buffer);
    write(buffer);
    EXPECT_LT(strnlen(buffer, kBuffer), size) << what;
    for (std::size_t i = size; i < kBuffer; ++i) ASSERT_EQ(buffer[i], '#') << what << " wrote byte " << i;
}

TEST(HostTexts, ParameterTextsFitTheirRoomForAnyValue) {
    SynthEffect synth{test::inProcessHost};
    synth.dispatcher(effOpen, 0, 0, nullptr, 0.0f);
    const struct {
        VstInt32 opcode;
        std::size_t size;
    } texts[] = {{effGetParamName, kParamNameSize},
                 {effGetParamLabel, kParamLabelSize},
                 {effGetParamDisplay, kParamDisplaySize}};
    for (float sync : {0.0f, 1.0f}) {
        synth.setParameter(kParamXdTempoSync, sync);  // delay lengths show divisions or values
        for (float value : {0.0f, 0.5f, 1.0f, -1.0f, 1e30f, -1e30f, NAN, INFINITY}) {
            for (VstInt32 index = -1; index <= kNoParam; ++index) {
                if (index != kParamXdTempoSync && index != kParamMidiLearn) synth.setParameter(index, value);
                for (const auto& text : texts)
                    expectWithin(
                        text.size, [&](char* b) { synth.dispatcher(text.opcode, index, 0, b, 0.0f); },
                        "parameter text");
            }
        }
    }
}

TEST(HostTexts, NamesFitTheirRoom) {
    SynthEffect synth{test::inProcessHost};
    char longName[] = "a program name much longer than any record can hold";
    synth.dispatcher(effSetProgramName, 0, 0, longName, 0.0f);
    expectWithin(
        kProgramNameSize, [&](char* b) { synth.dispatcher(effGetProgramName, 0, 0, b, 0.0f); }, "program");
    expectWithin(
        kProgramNameSize, [&](char* b) { synth.dispatcher(effGetProgramNameIndexed, 0, 0, b, 0.0f); },
        "indexed program");
    expectWithin(
        kEffectNameSize, [&](char* b) { synth.dispatcher(effGetEffectName, 0, 0, b, 0.0f); }, "effect");
    expectWithin(
        kVendorTextSize, [&](char* b) { synth.dispatcher(effGetVendorString, 0, 0, b, 0.0f); }, "vendor");
    expectWithin(
        kVendorTextSize, [&](char* b) { synth.dispatcher(effGetProductString, 0, 0, b, 0.0f); }, "product");
}

}  // namespace
}  // namespace velora
