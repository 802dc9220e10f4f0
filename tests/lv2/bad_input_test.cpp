// SPDX-License-Identifier: MIT
// What no host should send: broken atom sequences, values outside a port's
// range, ports left unconnected, garbage state. The instance must neither
// crash nor put out anything but finite samples, and must keep playing.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "lv2/midi/midi.h"
#include "lv2/time/time.h"
#include "lv2/units/units.h"
#include "lv2_fixture.h"

namespace velora::test {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Raw bytes of an atom sequence, built field by field.
class RawSequence {
public:
    explicit RawSequence(Lv2Host& host) : host_(host), words_(1u << 15, 0) {
        sequence()->atom = {sizeof(LV2_Atom_Sequence_Body), map(LV2_ATOM__Sequence)};
    }
    LV2_URID map(const char* uri) { return host_.urids().map(uri); }
    LV2_Atom_Sequence* sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(words_.data()); }
    // Appends an event and returns its atom, whose body follows it.
    LV2_Atom* event(std::int64_t frames, LV2_URID type, std::uint32_t size, const void* body = nullptr) {
        auto* bytes = reinterpret_cast<std::uint8_t*>(&sequence()->body) + end_;
        auto* e = reinterpret_cast<LV2_Atom_Event*>(bytes);
        e->time.frames = frames;
        e->body = {size, type};
        if (body != nullptr) std::memcpy(e + 1, body, size);
        end_ += (sizeof(LV2_Atom_Event) + size + 7u) & ~7u;
        sequence()->atom.size = end_;
        return &e->body;
    }
    LV2_Atom* midi(std::int64_t frames, std::vector<std::uint8_t> bytes) {
        return event(frames, map(LV2_MIDI__MidiEvent), static_cast<std::uint32_t>(bytes.size()), bytes.data());
    }
    // An object with one property of the given type and body.
    void object(LV2_URID otype, LV2_URID key, LV2_URID type, std::vector<std::uint8_t> value) {
        std::vector<std::uint8_t> body(sizeof(LV2_Atom_Object_Body) + sizeof(LV2_Atom_Property_Body) + value.size());
        auto* head = reinterpret_cast<LV2_Atom_Object_Body*>(body.data());
        *head = {0, otype};
        auto* property = reinterpret_cast<LV2_Atom_Property_Body*>(head + 1);
        property->key = key;
        property->context = 0;
        property->value = {static_cast<std::uint32_t>(value.size()), type};
        std::memcpy(property + 1, value.data(), value.size());
        event(0, map(LV2_ATOM__Object), static_cast<std::uint32_t>(body.size()), body.data());
    }
    void tempo(LV2_URID type, std::vector<std::uint8_t> value) {
        object(map(LV2_TIME__Position), map(LV2_TIME__beatsPerMinute), type, std::move(value));
    }

private:
    Lv2Host& host_;
    std::vector<std::uint64_t> words_;
    std::uint32_t end_ = sizeof(LV2_Atom_Sequence_Body);
};

template <typename T>
std::vector<std::uint8_t> bytesOf(T value) {
    std::vector<std::uint8_t> out(sizeof value);
    std::memcpy(out.data(), &value, sizeof value);
    return out;
}

// After whatever came before, a note must still sound, and finitely.
void expectStillPlays(Lv2Host& host, const std::string& what) {
    const std::vector<float> out = renderBlocks(host, 8, {{0, {{0, {0x90, 64, 110}, 3}}}});
    EXPECT_TRUE(allFinite(out)) << what;
    float peak = 0.0f;
    for (float s : out) peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 1e-4f) << what << ": no sound after it";
}

TEST(Lv2BadInput, BrokenSequencesAreSkippedSafely) {
    using Build = std::function<void(RawSequence&)>;
    const struct {
        const char* what;
        Build build;
    } cases[] = {
        {"event claiming more than the sequence holds",
         [](RawSequence& s) {
             s.midi(0, {0x90, 60, 100})->size = 4000;
         }},
        {"sequence claiming far more than any buffer", [](RawSequence& s) { s.sequence()->atom.size = 0x7FFFFFF0u; }},
        {"sequence smaller than its own header", [](RawSequence& s) { s.sequence()->atom.size = 3; }},
        {"times in beats",
         [](RawSequence& s) {
             s.sequence()->body.unit = s.map(LV2_UNITS__beat);
             s.midi(0, {0x90, 60, 100});
         }},
        {"unknown event type", [](RawSequence& s) { s.event(0, s.map("urn:nobody:knows"), 8); }},
        {"MIDI of no bytes, four bytes, SysEx, a data byte first",
         [](RawSequence& s) {
             s.midi(0, {});
             s.midi(1, {0x90, 60, 100, 5});
             s.midi(2, {0xF0, 0x7E, 0xF7});
             s.midi(3, {0x40, 0x40});
         }},
        {"frame times before the block and far beyond it",
         [](RawSequence& s) {
             s.midi(-5, {0x90, 61, 100});
             s.midi(std::int64_t(1) << 40, {0x80, 61, 0});
         }},
        {"times out of order",
         [](RawSequence& s) {
             s.midi(200, {0x90, 62, 100});
             s.midi(10, {0x90, 63, 100});
         }},
        {"tempo NaN, negative, infinite, zero, and as text",
         [](RawSequence& s) {
             s.tempo(s.map(LV2_ATOM__Float), bytesOf(kNaN));
             s.tempo(s.map(LV2_ATOM__Double), bytesOf(-120.0));
             s.tempo(s.map(LV2_ATOM__Float), bytesOf(kInf));
             s.tempo(s.map(LV2_ATOM__Int), bytesOf(std::int32_t(0)));
             s.tempo(s.map(LV2_ATOM__String), {'9', '0', 0});
             s.tempo(s.map(LV2_ATOM__Double), {1, 2});
         }},
        {"object property claiming more than the object holds",
         [](RawSequence& s) {
             s.tempo(s.map(LV2_ATOM__Float), bytesOf(90.0f));
             auto* e = reinterpret_cast<LV2_Atom_Object*>(s.event(0, s.map(LV2_ATOM__Object), 24));
             e->body.otype = s.map(LV2_TIME__Position);
             reinterpret_cast<LV2_Atom_Property_Body*>(&e->body + 1)->value.size = 9999;
         }},
        {"object too small for its own body", [](RawSequence& s) { s.event(0, s.map(LV2_ATOM__Object), 4); }},
        {"a flood of events",
         [](RawSequence& s) {
             for (int i = 0; i < 3000; ++i) s.midi(i % 256, {0x90, static_cast<std::uint8_t>(i % 128), 1});
         }},
    };
    for (const auto& c : cases) {
        auto host = makeHost();
        host->activate();
        RawSequence sequence(*host);
        c.build(sequence);
        std::vector<float> left(kBlock), right(kBlock);
        host->runRaw(kBlock, sequence.sequence(), left.data(), right.data());
        EXPECT_TRUE(allFinite(left) && allFinite(right)) << c.what;
        host->runRaw(kBlock, nullptr, left.data(), right.data());  // then the port unconnected
        expectStillPlays(*host, c.what);
    }
}

// Ardour leaves a sequence's unit as its buffer held it; the notes count all
// the same, in frames, as under the units a sequence may name.
TEST(Lv2BadInput, NotesPlayWhateverUnitTheSequenceNames) {
    const struct {
        const char* what;
        bool frames;
    } cases[] = {{"0", true}, {"units:frame", true}, {"0x557a (bits of a pointer)", true}, {"units:beat", false}};
    for (const auto& c : cases) {
        auto host = makeHost();
        host->activate();
        RawSequence sequence(*host);
        const std::string what = c.what;
        sequence.sequence()->body.unit = what == "0"             ? 0
                                         : what == "units:frame" ? sequence.map(LV2_UNITS__frame)
                                         : what == "units:beat"  ? sequence.map(LV2_UNITS__beat)
                                                                 : 0x557au;
        sequence.midi(100, {0x90, 60, 100});
        std::vector<float> left(kBlock), right(kBlock);
        host->runRaw(kBlock, sequence.sequence(), left.data(), right.data());
        const bool silentBefore = std::all_of(left.begin(), left.begin() + 100, [](float s) { return s == 0.0f; });
        const std::vector<float> after = renderBlocks(*host, 8, {});
        const bool sounding = std::any_of(after.begin(), after.end(), [](float s) { return s != 0.0f; });
        EXPECT_EQ(sounding, c.frames) << c.what;
        EXPECT_TRUE(silentBefore) << c.what;
    }
}

TEST(Lv2BadInput, PortValuesOutsideTheRangeAreClampedOrIgnored) {
    const float values[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, -0.0f, 2.0f, 0.5f, 3.7f, 1000.0f};
    for (const char* symbol : {"reverb_wet", "reverb_on", "voices", "xdelay_length_l", "midi_learn", "release"}) {
        auto host = makeHost();
        host->activate();
        askForEverything(*host);
        for (float value : values) {
            host->setControl(symbol, value);
            const std::vector<float> out = renderBlocks(*host, 1, {{0, {{0, {0x90, 60, 100}, 3}}}});
            EXPECT_TRUE(allFinite(out)) << symbol << " = " << value;
            const Notified told = readNotify(*host);
            EXPECT_TRUE(allFinite(renderBlocks(*host, 1, {}))) << symbol << " = " << value;
            const auto found = told.values.find(symbol);
            if (std::isnan(value)) continue;
            ASSERT_NE(found, told.values.end()) << symbol << " = " << value;
            const bool voices = std::string(symbol) == "voices";
            EXPECT_GE(found->second, voices ? 1.0f : 0.0f) << symbol << " = " << value;
            EXPECT_LE(found->second, voices ? 127.0f : 1.0f) << symbol << " = " << value;
        }
        host->setControl("midi_learn", 0.0f);
        host->setControl("voices", 8.0f);
        expectStillPlays(*host, symbol);
    }
}

TEST(Lv2BadInput, UnconnectedPortsRunsBeforeActivateAndEmptyRuns) {
    auto host = makeHost();
    std::vector<float> left(3000), right(3000);
    // Run before activate, and a run of no frames.
    host->run(kBlock, 120.0, {{0, {0x90, 60, 100}, 3}}, left.data(), right.data());
    host->run(0, 120.0, {{0, {0x90, 62, 100}, 3}}, left.data(), right.data());
    host->activate();
    host->activate();
    // No left output, then neither, over a block longer than the scratch room.
    host->runRaw(3000, nullptr, nullptr, right.data());
    EXPECT_TRUE(allFinite(right));
    host->runRaw(3000, nullptr, nullptr, nullptr);
    for (std::uint32_t port = 4; port < 60; ++port) host->connect(port, nullptr);  // latency too
    host->connect(1, nullptr);                                                     // notify unconnected
    host->runRaw(kBlock, nullptr, left.data(), right.data());
    EXPECT_TRUE(allFinite(left) && allFinite(right));
    lilv_instance_deactivate(host->instance());
    lilv_instance_deactivate(host->instance());
    lilv_instance_activate(host->instance());
}

TEST(Lv2BadInput, RatesVeloraHostRefusesAreRefused) {
    for (double rate : {0.0, -44100.0, 0.5, 2.0e6, std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()}) {
        std::string error;
        EXPECT_EQ(Lv2Host::create(VELORA_LV2_BUNDLE, "urn:velora:synth", rate, kBlock, error), nullptr) << rate;
    }
}

TEST(Lv2BadInput, GarbageStateLeavesWhatTheInstanceHolds) {
    auto host = makeHost();
    host->activate();
    const StateMap before = saveState(*host);
    StateMap garbage;
    const std::string cc = "urn:velora:synth#cc_", name = "urn:velora:synth#program_name_";
    garbage[cc + "reverb_wet"] = {LV2_ATOM__String, {'0', '.', '5', 0}};
    garbage[cc + "reverb_time"] = {LV2_ATOM__Float, {1, 2}};
    garbage[cc + "dist_wet"] = {LV2_ATOM__Float, bytesOf(kNaN)};
    garbage[cc + "dist_dry"] = {LV2_ATOM__Float, bytesOf(5.0f)};
    garbage[cc + "panning"] = {LV2_ATOM__Double, std::vector<std::uint8_t>(100000, 0x41)};
    garbage[name + "00"] = {LV2_ATOM__String, std::vector<std::uint8_t>(30, 'x')};  // no terminator
    garbage[name + "01"] = {LV2_ATOM__Int, bytesOf(std::int32_t(7))};
    garbage["urn:velora:synth#cc_nothing"] = {LV2_ATOM__Float, bytesOf(0.1f)};
    restoreState(*host, garbage);
    const StateMap after = saveState(*host);
    for (const auto& [key, value] : before) {
        if (key == name + "00") continue;
        EXPECT_EQ(after.at(key), value) << key;
    }
    std::vector<std::uint8_t> cut(23, 'x');  // the name's 23 characters and the terminator
    cut.push_back(0);
    EXPECT_EQ(after.at(name + "00").second, cut);
    expectStillPlays(*host, "garbage state");
}

}  // namespace
}  // namespace velora::test
