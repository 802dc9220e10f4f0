// SPDX-License-Identifier: MIT
#pragma once
// Loads a fresh instance of the built plug-in for every test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plugin_host.h"

namespace velora::test {

inline std::unique_ptr<host::PluginInstance> loadPlugin(const host::HostOptions& options = {}) {
    std::string error;
    auto plugin = host::PluginInstance::load(VELORA_PLUGIN_PATH, error, options);
    EXPECT_TRUE(plugin) << error;
    return plugin;
}

class PluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        plugin = loadPlugin();
        ASSERT_TRUE(plugin);
    }
    vst::VstIntPtr dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                            void* ptr = nullptr, float opt = 0.0f) {
        return plugin->dispatch(opcode, index, value, ptr, opt);
    }
    std::unique_ptr<host::PluginInstance> plugin;
};

}  // namespace velora::test
