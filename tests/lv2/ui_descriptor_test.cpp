// SPDX-License-Identifier: MIT
// velora_ui.so's entry as a host meets it, without an X server: what it
// offers, and requests it must refuse or survive.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "lv2/options/options.h"
#include "lv2/port_table.h"
#include "lv2/ui/ui.h"
#include "lv2_test_support.h"

namespace velora::lv2 {
namespace {

class UiDescriptorTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("DISPLAY");  // no window system: the editor can never open
        library = dlopen(VELORA_UI_BINARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_EQ(entry(1), nullptr);
    }
    void TearDown() override {
        if (library) dlclose(library);
    }
    static void write(LV2UI_Controller, std::uint32_t, std::uint32_t, std::uint32_t, const void*) {}

    void* library = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    test::UridMap map;
};

TEST_F(UiDescriptorTest, OffersTheIdleInterfaceUnderItsUri) {
    EXPECT_STREQ(descriptor->URI, kUiUri);
    const auto* idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);
    EXPECT_NE(idle->idle, nullptr);
    EXPECT_EQ(idle->idle(nullptr), 1);  // no interface: the host should close it
    for (const char* other : {LV2_UI__showInterface, LV2_UI__resize, "", "urn:nothing"})
        EXPECT_EQ(descriptor->extension_data(other), nullptr) << other;
    EXPECT_EQ(descriptor->extension_data(nullptr), nullptr);
    // Later options from the host: nothing to read back, and no interface is no harm.
    const auto* options = static_cast<const LV2_Options_Interface*>(descriptor->extension_data(LV2_OPTIONS__interface));
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->set(nullptr, nullptr), LV2_OPTIONS_SUCCESS);
    EXPECT_EQ(options->get(nullptr, nullptr), LV2_OPTIONS_ERR_UNKNOWN);
}

TEST_F(UiDescriptorTest, InstantiationWithoutAParentOrAWindowSystemFailsCleanly) {
    int parentWindow = 0x1234;
    const LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(static_cast<std::uintptr_t>(parentWindow))};
    const LV2_Feature urid{LV2_URID__map, const_cast<LV2_URID_Map*>(&map.feature())};
    const LV2_Feature nullUri{nullptr, nullptr};
    const LV2_Feature nullParent{LV2_UI__parent, nullptr};
    struct Case {
        const char* what;
        std::vector<const LV2_Feature*> features;
    };
    const Case cases[] = {
        {"no features at all", {}},
        {"no parent", {&urid}},
        {"a null parent", {&nullParent, &urid}},
        {"a feature without a URI", {&nullUri, &urid}},
        {"a parent but no X server", {&parent, &urid}},
        {"a parent, no map, no X server", {&parent}},
    };
    for (const Case& c : cases) {
        std::vector<const LV2_Feature*> list = c.features;
        list.push_back(nullptr);
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle ui = descriptor->instantiate(descriptor, kPluginUri, "/nowhere/", write, nullptr, &widget,
                                                  c.features.empty() ? nullptr : list.data());
        EXPECT_EQ(ui, nullptr) << c.what;
        if (ui) descriptor->cleanup(ui);
    }
}

TEST_F(UiDescriptorTest, CallsOnANullHandleAreSurvived) {
    const float value = 0.5f;
    descriptor->port_event(nullptr, kFirstControlPort, sizeof value, 0, &value);
    descriptor->port_event(nullptr, kPortNotify, 3, 99, "abc");
    descriptor->cleanup(nullptr);
}

}  // namespace
}  // namespace velora::lv2
