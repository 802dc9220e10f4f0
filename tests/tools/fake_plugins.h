// SPDX-License-Identifier: MIT
#pragma once
// Paths of the fake plug-in builds next to the test executable.
#include <string>

namespace velora::tools::test {

inline std::string fakePlugin(const std::string& variant) {
    return std::string(FAKE_PLUGIN_DIR) + "/fake_plugin_" + variant + ".so";
}

}  // namespace velora::tools::test
