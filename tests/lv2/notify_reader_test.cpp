// SPDX-License-Identifier: MIT
// The plug-in's notify messages as a host hands them to the user interface:
// well-formed ones reach the mirror, and nothing malformed is read past the
// bytes delivered.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "lv2/atom/forge.h"
#include "lv2/notify_messages.h"
#include "lv2/notify_reader.h"
#include "lv2/port_table.h"
#include "lv2/ui_mirror.h"
#include "lv2_test_support.h"

namespace velora::lv2 {
namespace {

class NotifyReaderTest : public ::testing::Test {
protected:
    NotifyReaderTest() { lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(&map.feature())); }

    using Body = std::function<void()>;
    // One atom written by the forge; the buffer is 8-byte aligned like a host's.
    std::vector<std::uint64_t> forged(const Body& body) {
        std::vector<std::uint64_t> buffer(512, 0);
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(buffer.data()), buffer.size() * 8);
        body();
        return buffer;
    }
    void set(const char* symbol, float value, const char* display = nullptr) {
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&forge, &frame, 0, map.id(LV2_PATCH__Set));
        lv2_atom_forge_key(&forge, map.id(LV2_PATCH__property));
        lv2_atom_forge_urid(&forge, map.id(parameterUri(symbol)));
        lv2_atom_forge_key(&forge, map.id(LV2_PATCH__value));
        lv2_atom_forge_float(&forge, value);
        if (display) {
            lv2_atom_forge_key(&forge, map.id(kDisplayUri));
            lv2_atom_forge_string(&forge, display, static_cast<std::uint32_t>(std::strlen(display)));
        }
        lv2_atom_forge_pop(&forge, &frame);
    }
    void learn(bool learning, std::int32_t target) {
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_object(&forge, &frame, 0, map.id(kLearnStateUri));
        lv2_atom_forge_key(&forge, map.id(kLearningUri));
        lv2_atom_forge_bool(&forge, learning);
        lv2_atom_forge_key(&forge, map.id(kLearnTargetUri));
        lv2_atom_forge_int(&forge, target);
        lv2_atom_forge_pop(&forge, &frame);
    }
    static std::uint32_t atomBytes(const std::vector<std::uint64_t>& buffer) {
        return static_cast<std::uint32_t>(sizeof(LV2_Atom) + reinterpret_cast<const LV2_Atom*>(buffer.data())->size);
    }
    std::string display(UiMirror& mirror, std::int32_t param) {
        char text[64];
        mirror.getParameterDisplay(param, text);
        return text;
    }

    test::UridMap map;
    LV2_Atom_Forge forge{};
    test::RecordingSink sink;
};

TEST_F(NotifyReaderTest, WellFormedMessagesReachTheMirror) {
    NotifyReader reader(map.feature());
    UiMirror mirror(sink);
    const auto reverb = forged([&] { set("reverb_time", 0.75f, "3.775000"); });
    reader.read(reverb.data(), atomBytes(reverb), mirror);
    EXPECT_EQ(mirror.getParameter(kParamReverbTime), 0.75f);
    EXPECT_EQ(display(mirror, kParamReverbTime), "3.775000");

    const auto voices = forged([&] { set("voices", 24.0f); });
    reader.read(voices.data(), atomBytes(voices), mirror);
    EXPECT_EQ(mirror.voiceLimit(), 24);

    const auto learning = forged([&] { learn(true, kParamDistWet); });
    reader.read(learning.data(), atomBytes(learning), mirror);
    EXPECT_TRUE(mirror.isLearning());
    EXPECT_EQ(mirror.getLearnTarget(), kParamDistWet);

    // A whole sequence (atom:atomTransfer) carries several.
    const auto sequence = forged([&] {
        LV2_Atom_Forge_Frame frame;
        lv2_atom_forge_sequence_head(&forge, &frame, 0);
        lv2_atom_forge_frame_time(&forge, 0);
        set("dist_on", 1.0f);
        lv2_atom_forge_frame_time(&forge, 0);
        learn(false, -1);
        lv2_atom_forge_frame_time(&forge, 5);
        set("panning", 0.25f);
        lv2_atom_forge_pop(&forge, &frame);
    });
    reader.read(sequence.data(), atomBytes(sequence), mirror);
    EXPECT_EQ(mirror.getParameter(kParamDistOn), 1.0f);
    EXPECT_FALSE(mirror.isLearning());
    EXPECT_EQ(mirror.getParameter(kParamPanning), 0.25f);
    EXPECT_TRUE(sink.calls.empty()) << "the plug-in's own values never go back to it";
}

TEST_F(NotifyReaderTest, MalformedOrForeignMessagesChangeNothing) {
    struct Case {
        const char* what;
        Body body;
        // Bytes delivered, from the atom's own; and a word to overwrite.
        int bytesDelta = 0;
        int patchWord = -1;
        std::uint32_t patchValue = 0;
    };
    const Case cases[] = {
        {"an unknown property",
         [&] {
             LV2_Atom_Forge_Frame frame;
             lv2_atom_forge_object(&forge, &frame, 0, map.id(LV2_PATCH__Set));
             lv2_atom_forge_key(&forge, map.id(LV2_PATCH__property));
             lv2_atom_forge_urid(&forge, map.id("urn:velora:synth#no_such_port"));
             lv2_atom_forge_key(&forge, map.id(LV2_PATCH__value));
             lv2_atom_forge_float(&forge, 0.9f);
             lv2_atom_forge_pop(&forge, &frame);
         }},
        {"no value",
         [&] {
             LV2_Atom_Forge_Frame frame;
             lv2_atom_forge_object(&forge, &frame, 0, map.id(LV2_PATCH__Set));
             lv2_atom_forge_key(&forge, map.id(LV2_PATCH__property));
             lv2_atom_forge_urid(&forge, map.id(parameterUri("reverb_wet")));
             lv2_atom_forge_pop(&forge, &frame);
         }},
        {"a string value",
         [&] {
             LV2_Atom_Forge_Frame frame;
             lv2_atom_forge_object(&forge, &frame, 0, map.id(LV2_PATCH__Set));
             lv2_atom_forge_key(&forge, map.id(LV2_PATCH__property));
             lv2_atom_forge_urid(&forge, map.id(parameterUri("reverb_wet")));
             lv2_atom_forge_key(&forge, map.id(LV2_PATCH__value));
             lv2_atom_forge_string(&forge, "0.9", 3);
             lv2_atom_forge_pop(&forge, &frame);
         }},
        {"an unknown object type",
         [&] {
             LV2_Atom_Forge_Frame frame;
             lv2_atom_forge_object(&forge, &frame, 0, map.id(LV2_PATCH__Put));
             lv2_atom_forge_key(&forge, map.id(LV2_PATCH__value));
             lv2_atom_forge_float(&forge, 0.9f);
             lv2_atom_forge_pop(&forge, &frame);
         }},
        {"a NaN value", [&] { set("reverb_wet", std::numeric_limits<float>::quiet_NaN()); }},
        {"a message cut short by the host", [&] { set("reverb_wet", 0.9f); }, -1},
        {"an atom size beyond the buffer", [&] { set("reverb_wet", 0.9f); }, 0, 0, 0x7FFFFFF0u},
        {"a property running past its object", [&] { set("reverb_wet", 0.9f); }, 0, 6,
         0xFFFFu},  // the URID atom's size
        {"an empty buffer", [&] { set("reverb_wet", 0.9f); }, -1000},
    };
    NotifyReader reader(map.feature());
    for (const Case& c : cases) {
        UiMirror mirror(sink);
        const float before = mirror.getParameter(kParamReverbWet);
        auto buffer = forged(c.body);
        const int delivered = std::max(0, static_cast<int>(atomBytes(buffer)) + c.bytesDelta);
        if (c.patchWord >= 0) reinterpret_cast<std::uint32_t*>(buffer.data())[c.patchWord] = c.patchValue;
        reader.read(buffer.data(), static_cast<std::uint32_t>(delivered), mirror);
        EXPECT_EQ(mirror.getParameter(kParamReverbWet), before) << c.what;
    }
    UiMirror mirror(sink);
    reader.read(nullptr, 64, mirror);
}

TEST_F(NotifyReaderTest, DisplayTextsAreCutToTheirLimitAndNeedNoTerminator) {
    NotifyReader reader(map.feature());
    UiMirror mirror(sink);
    const std::string longText(100, 'x');
    const auto message = forged([&] { set("dist_dry", 0.5f, longText.c_str()); });
    reader.read(message.data(), atomBytes(message), mirror);
    EXPECT_EQ(display(mirror, kParamDistDry), std::string(kMaxDisplayText, 'x'));
}

// Random bytes and random cuts of a real message: read without a fault (the
// sanitizer builds check the bounds).
TEST_F(NotifyReaderTest, RandomBytesAreSurvived) {
    NotifyReader reader(map.feature());
    UiMirror mirror(sink);
    std::mt19937 random(21);
    const auto message = forged([&] { set("reverb_dry", 0.5f, "-6.02"); });
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint64_t> buffer = message;
        auto* bytes = reinterpret_cast<std::uint8_t*>(buffer.data());
        const int flips = static_cast<int>(random() % 6);
        for (int i = 0; i < flips; ++i) bytes[random() % 96] = static_cast<std::uint8_t>(random());
        // Sizes that claim more than is there must be caught by the reader.
        const auto delivered = static_cast<std::uint32_t>(random() % 120);
        std::vector<std::uint8_t> exact(bytes, bytes + delivered);
        reader.read(exact.data(), delivered, mirror);
    }
    EXPECT_TRUE(std::isfinite(mirror.getParameter(kParamReverbDry)));
}

}  // namespace
}  // namespace velora::lv2
