// SPDX-License-Identifier: MIT
// The size of the LV2 user interface: the host's ui:scaleFactor option as
// hosts hand it over (or garble it), and a size change while open, which
// goes to the host through ui:resize or waits for the next open.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "editor/scaled_layout.h"
#include "editor/synth_editor.h"
#include "gui/platform/headless/headless_platform.h"
#include "gui/platform/headless/module_bitmaps.h"
#include "lv2/atom/atom.h"
#include "lv2/ui_host_features.h"
#include "lv2/ui_mirror.h"
#include "lv2_test_support.h"

namespace velora::lv2 {
namespace {

struct OptionCase {
    const char* what;
    const char* key;
    const char* type;
    std::vector<unsigned char> bytes;
    LV2_Options_Context context;
    std::optional<double> expected;
};

template <typename T>
std::vector<unsigned char> bytesOf(T value) {
    std::vector<unsigned char> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

TEST(UiScaleOption, TheHostsScaleFactorIsReadWhereItIsAUsableNumber) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto instance = LV2_OPTIONS_INSTANCE;
    const OptionCase cases[] = {
        {"1", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(1.0f), instance, 1.0},
        {"1.5", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(1.5f), instance, 1.5},
        {"2", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(2.0f), instance, 2.0},
        {"an odd factor", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(1.25f), instance, 1.25},
        {"a large factor", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(7.0f), instance, 7.0},
        {"a double", LV2_UI__scaleFactor, LV2_ATOM__Double, bytesOf(2.0), instance, 2.0},
        {"an int", LV2_UI__scaleFactor, LV2_ATOM__Int, bytesOf(2), instance, std::nullopt},
        {"a string", LV2_UI__scaleFactor, LV2_ATOM__String, {'2', 0}, instance, std::nullopt},
        {"a float too short", LV2_UI__scaleFactor, LV2_ATOM__Float, {0, 0}, instance, std::nullopt},
        {"a double too short", LV2_UI__scaleFactor, LV2_ATOM__Double, bytesOf(2.0f), instance, std::nullopt},
        {"zero", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(0.0f), instance, std::nullopt},
        {"negative", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(-2.0f), instance, std::nullopt},
        {"NaN", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(nan), instance, std::nullopt},
        {"infinite", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(inf), instance, std::nullopt},
        {"another option", "urn:other#option", LV2_ATOM__Float, bytesOf(2.0f), instance, std::nullopt},
        {"about a port", LV2_UI__scaleFactor, LV2_ATOM__Float, bytesOf(2.0f), LV2_OPTIONS_PORT, std::nullopt},
    };
    for (const OptionCase& c : cases) {
        test::UridMap map;
        // A decoy before the option and the terminator after it.
        const float decoy = 3.0f;
        const LV2_Options_Option options[] = {
            {instance, 0, map.id("urn:other#decoy"), sizeof decoy, map.id(LV2_ATOM__Float), &decoy},
            {c.context, 0, map.id(c.key), static_cast<std::uint32_t>(c.bytes.size()), map.id(c.type), c.bytes.data()},
            {instance, 0, 0, 0, 0, nullptr},
        };
        EXPECT_EQ(hostScaleFactor(options, &map.feature()), c.expected) << c.what;
    }
}

TEST(UiScaleOption, NoOptionsOrNoMapMeanNoFactor) {
    test::UridMap map;
    const float two = 2.0f;
    const LV2_Options_Option empty[] = {{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Options_Option nullValue[] = {
        {LV2_OPTIONS_INSTANCE, 0, map.id(LV2_UI__scaleFactor), sizeof two, map.id(LV2_ATOM__Float), nullptr},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Options_Option good[] = {
        {LV2_OPTIONS_INSTANCE, 0, map.id(LV2_UI__scaleFactor), sizeof two, map.id(LV2_ATOM__Float), &two},
        {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_URID_Map noFunction{nullptr, nullptr};
    EXPECT_EQ(hostScaleFactor(nullptr, &map.feature()), std::nullopt);
    EXPECT_EQ(hostScaleFactor(empty, &map.feature()), std::nullopt);
    EXPECT_EQ(hostScaleFactor(nullValue, &map.feature()), std::nullopt);
    EXPECT_EQ(hostScaleFactor(good, nullptr), std::nullopt);
    EXPECT_EQ(hostScaleFactor(good, &noFunction), std::nullopt);
    EXPECT_EQ(hostScaleFactor(good, &map.feature()), 2.0);
}

TEST(UiScaleOption, FeaturesAreFoundByUriAndEmptyOnesSkipped) {
    test::UridMap map;
    const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    int parentWindow = 7;
    LV2UI_Resize resize{nullptr, nullptr};
    const LV2_Feature parent{LV2_UI__parent, &parentWindow};
    const LV2_Feature urid{LV2_URID__map, const_cast<LV2_URID_Map*>(&map.feature())};
    const LV2_Feature opts{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature resizing{LV2_UI__resize, &resize};
    const LV2_Feature emptyOptions{LV2_OPTIONS__options, nullptr};
    const LV2_Feature noUri{nullptr, &parentWindow};
    const LV2_Feature* all[] = {&noUri, &parent, &urid, &emptyOptions, &opts, &resizing, nullptr};
    const HostFeatures found = featuresOf(all);
    EXPECT_EQ(found.parent, &parentWindow);
    EXPECT_EQ(found.map, &map.feature());
    EXPECT_EQ(found.options, options);
    EXPECT_EQ(found.resize, &resize);
    EXPECT_EQ(found.touch, nullptr);
    const HostFeatures none = featuresOf(nullptr);
    EXPECT_EQ(none.parent, nullptr);
    EXPECT_EQ(none.options, nullptr);
}

// The host's resize feature behind the mirror: answers as told, records asks.
class ResizingSink final : public PortSink {
public:
    void writePort(std::uint32_t, float) override {}
    void touchPort(std::uint32_t, bool) override {}
    bool resizeEditor(int width, int height) override {
        asked.push_back({0, 0, width, height});
        return canResize;
    }
    bool canResize = false;
    std::vector<gui::Rect> asked;
};

class UiResizeTest : public ::testing::Test {
protected:
    UiResizeTest() {
        const std::filesystem::path folder =
            std::filesystem::path(::testing::TempDir()) / ("velora-ui-scale-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);  // no size chosen on this machine
        gui::addModuleBitmaps(platform, 0);
        mirror.attach(&editor);
    }
    ~UiResizeTest() override {
        editor.close();
        mirror.attach(nullptr);
    }
    gui::HeadlessPlatform platform;
    ResizingSink sink;
    UiMirror mirror{sink};
    editor::SynthEditor editor{mirror, &platform};
    int parent = 0;
};

TEST_F(UiResizeTest, AHostFactorBeforeOpeningSizesTheFirstWindow) {
    struct Case {
        double factor;
        gui::Scale expected;
    };
    for (const Case& c : {Case{1.0, gui::Scale::x100}, Case{1.5, gui::Scale::x150}, Case{2.0, gui::Scale::x200},
                          Case{1.3, gui::Scale::x150}, Case{3.0, gui::Scale::x200}}) {
        editor.requestScale(c.factor);
        ASSERT_EQ(editor.open(&parent), 1);
        EXPECT_EQ(editor.frame()->rect(), editor::frameRect(c.expected)) << c.factor;
        editor.close();
    }
    EXPECT_TRUE(sink.asked.empty());  // nothing was open to resize
}

TEST_F(UiResizeTest, ASizeChangeWhileOpenGoesThroughTheHostOrWaits) {
    for (const bool canResize : {true, false}) {
        sink.canResize = canResize;
        sink.asked.clear();
        editor.requestScale(1.0);
        ASSERT_EQ(editor.open(&parent), 1);
        editor.requestScale(2.0);
        ASSERT_EQ(sink.asked.size(), 1u) << canResize;
        EXPECT_EQ(sink.asked[0], editor::frameRect(gui::Scale::x200));
        ASSERT_TRUE(editor.isOpen());
        const gui::Scale now = canResize ? gui::Scale::x200 : gui::Scale::x100;
        EXPECT_EQ(editor.frame()->rect(), editor::frameRect(now)) << canResize;
        if (!canResize) {
            EXPECT_EQ(editor.statusField()->text(), "200% later");
        }
        editor.close();
        ASSERT_EQ(editor.open(&parent), 1);  // the next open takes the new size
        EXPECT_EQ(editor.frame()->rect(), editor::frameRect(gui::Scale::x200)) << canResize;
        editor.close();
    }
}

TEST_F(UiResizeTest, TheUsersChoiceWinsOverTheHostsFactor) {
    sink.canResize = true;
    editor.chooseScale(gui::Scale::x150);
    editor.requestScale(2.0);
    ASSERT_EQ(editor.open(&parent), 1);
    EXPECT_EQ(editor.frame()->rect(), editor::frameRect(gui::Scale::x150));
    editor.requestScale(1.0);
    EXPECT_EQ(editor.frame()->rect(), editor::frameRect(gui::Scale::x150));
    EXPECT_TRUE(sink.asked.empty());
}

}  // namespace
}  // namespace velora::lv2
