// SPDX-License-Identifier: MIT
#include <cmath>
#include <vector>

#include "core/param_id.h"
#include "plugin_fixture.h"

namespace velora::test {
namespace {

using namespace vst;

// Plays a chord for `blocks` blocks and returns the largest output magnitude;
// fails the test on any sample that is not finite.
float playChord(host::PluginInstance& plugin, int blocks) {
    std::vector<float> left(512), right(512);
    plugin.sendMidi({{0, {0x90, 48, 127}}, {3, {0x90, 55, 110}}, {7, {0x90, 64, 100}}, {9, {0x90, 71, 90}}});
    float peak = 0.0f;
    for (int b = 0; b < blocks; ++b) {
        plugin.processReplacing(left.data(), right.data(), 512);
        for (int i = 0; i < 512; ++i) {
            EXPECT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << "block " << b << " sample " << i;
            if (!std::isfinite(left[i]) || !std::isfinite(right[i])) return INFINITY;
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        }
    }
    return peak;
}

std::unique_ptr<host::PluginInstance> openedPlugin(int program) {
    auto plugin = loadPlugin();
    plugin->open();
    plugin->setSampleRate(44100.0f);
    plugin->resume();
    plugin->setProgram(program);
    return plugin;
}

TEST(OutputContract, FiniteAndWithinTheFinalGainWhateverTheValues) {
    struct Case {
        int index;
        float value;
        float bound;  // the largest magnitude the host may see
    };
    const Case cases[] = {
        {101, 1e30f, 1e30f}, {101, INFINITY, 1e30f}, {101, -INFINITY, 1e30f}, {101, NAN, 1.0f},   {92, NAN, 1.0f},
        {92, 1e30f, 1.0f},   {92, -1e30f, 1.0f},     {78, -0.5f, 1.0f},       {78, -1e30f, 1.0f}, {86, 1e30f, 1.0f},
        {88, NAN, 1.0f},     {90, NAN, 1.0f},        {58, 5.0f, 1.0f},        {62, -5.0f, 1.0f},  {68, 3.0f, 1.0f},
        {34, -1.0f, 1.0f},   {16, 1e30f, 1.0f},      {12, -3.0f, 1.0f},       {56, 2.0f, 1.0f},   {60, NAN, 1.0f},
        {104, 1e9f, 1.0f},   {48, 1e30f, 1.0f},      {52, NAN, 1.0f},         {66, NAN, 1.0f},
    };
    for (const Case& c : cases) {
        auto plugin = openedPlugin(55);            // "56: cygnus": every effect in the chain is busy
        plugin->setParameter(kParamDistOn, 1.0f);  // distortion on as well
        plugin->setParameter(kParamReverbOn, 1.0f);
        plugin->setParameter(c.index, c.value);
        const float peak = playChord(*plugin, 40);
        EXPECT_LE(peak, std::max(1.0f, c.bound)) << "parameter " << c.index << " = " << c.value;
    }
}

TEST(OutputContract, ProgramsFromTheFactoryStayWithinFullScale) {
    for (int program = 0; program < 64; program += 7) {
        auto plugin = openedPlugin(program);
        EXPECT_LE(playChord(*plugin, 20), 1.0f) << program;
    }
}

// Many instances opened, played and closed: LeakSanitizer checks that each
// releases everything (queued events, lines, bank).
TEST(Lifecycle, ManyInstancesComeAndGo) {
    for (int i = 0; i < 24; ++i) {
        auto plugin = openedPlugin(i % 64);
        plugin->sendMidi({{100000, {0x90, 60, 100}}, {5, {0x90, 62, 100}}});  // one stays queued
        std::vector<float> left(256), right(256);
        plugin->processReplacing(left.data(), right.data(), 256);
        if (i % 3 == 0) plugin->setSampleRate(96000.0f);
        EXPECT_EQ(plugin->dispatch(effGetProgram), i % 64);
    }
}

}  // namespace
}  // namespace velora::test
