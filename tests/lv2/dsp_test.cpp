// SPDX-License-Identifier: MIT
// The LV2 instance through lilv: presets against the bank they come from,
// state round trips in either order, internal changes told on the notify
// port, and a host's later port move winning over them.
#include <cmath>

#include "lv2/port_table.h"
#include "lv2/program_ports.h"
#include "lv2/urids.h"
#include "lv2_fixture.h"
#include "programs/factory_bank.h"
#include "shell/parameter_table.h"

namespace velora::test {
namespace {

using lv2::kControlPorts;
using lv2::programPortValue;

Program factory(int index) {
    Program program{};
    writeFactoryProgram(index, program);
    return program;
}

// A note held while controllers 1..16 move, so the bindings are heard too.
std::map<int, std::vector<MidiBytes>> notesAndControllers() {
    std::vector<MidiBytes> start{{0, {0x90, 60, 100}, 3}};
    for (std::uint8_t c = 1; c <= 16; ++c) start.push_back({100, {0xB0, c, static_cast<std::uint8_t>(20 + 6 * c)}, 3});
    return {{0, start}, {20, {{0, {0x80, 60, 0}, 3}}}};
}

TEST(Lv2Presets, EveryPresetHoldsItsProgramsValuesAndBindings) {
    auto host = makeHost();  // every preset sets every port and binding
    for (int p = 0; p < kProgramCount; ++p) {
        std::string error;
        ASSERT_TRUE(host->loadPreset(presetUri(p), error)) << error;
        renderBlocks(*host, 1, {});
        const Program program = factory(p);
        const StateMap state = saveState(*host);
        for (std::uint32_t row = 0; row < lv2::kControlPortCount; ++row) {
            const ParamId param = kControlPorts[row].param;
            EXPECT_EQ(host->control(kControlPorts[row].symbol), programPortValue(program, param))
                << "preset " << p << " " << kControlPorts[row].symbol;
            if (assignmentOf(param) >= 0) {
                EXPECT_EQ(stateFloat(state, lv2::assignmentKeyUri(row)), lv2::programAssignment(program, param))
                    << "preset " << p << " binding of " << kControlPorts[row].symbol;
            }
        }
    }
}

TEST(Lv2Presets, DefaultsAreWhatAFreshInstanceHolds) {
    auto fresh = makeHost();
    askForEverything(*fresh);
    renderBlocks(*fresh, 1, {});
    EXPECT_EQ(readNotify(*fresh).values.size(), 0u) << "a default differs from the instance's value";
    const Program first = factory(0);
    for (const auto& port : kControlPorts)
        EXPECT_EQ(fresh->control(port.symbol), programPortValue(first, port.param)) << port.symbol;
}

TEST(Lv2Latency, TheConvertersDelayIsReportedAtEachRate) {
    const struct {
        double rate;
        float frames;
    } rates[] = {{11025.0, 0.0f}, {44100.0, 0.0f}, {48000.0, 76.0f}, {96000.0, 152.0f}};
    for (const auto& r : rates) {
        auto host = makeHost(r.rate);
        host->activate();
        renderBlocks(*host, 1, {});
        EXPECT_EQ(host->control("latency"), r.frames) << r.rate;
    }
}

// A session: a preset, two changed ports, a learned controller and a renamed
// program, saved as ports and state.
struct Session {
    std::map<std::string, float> ports;
    StateMap state;
};

Session makeSession() {
    auto host = makeHost();
    std::string error;
    EXPECT_TRUE(host->loadPreset(presetUri(21), error));
    host->setControl("reverb_wet", 0.37f);
    host->setControl("xdelay_tempo_sync", 0.0f);
    host->activate();
    renderBlocks(*host, 1, {});
    StateMap state = saveState(*host);
    const float bound = (7.0f + 0.5f) / 128.0f;  // controller 7
    state["urn:velora:synth#cc_panning"] = {LV2_ATOM__Float, {}};
    state["urn:velora:synth#cc_panning"].second.resize(4);
    std::memcpy(state["urn:velora:synth#cc_panning"].second.data(), &bound, 4);
    const std::string name = "my pad";
    state["urn:velora:synth#program_name_03"] = {LV2_ATOM__String, {name.begin(), name.end()}};
    state["urn:velora:synth#program_name_03"].second.push_back(0);
    Session session{{}, state};
    for (const auto& port : kControlPorts) session.ports[port.symbol] = host->control(port.symbol);
    return session;
}

enum class Order { StateFirst, PortsFirst, PortsRunThenState };

std::vector<float> restoreAndRender(const Session& session, Order order, StateMap* saved) {
    auto host = makeHost();
    std::string error;
    EXPECT_TRUE(host->loadPreset(presetUri(40), error));  // a different sound before
    host->activate();
    renderBlocks(*host, 2, {{0, {{0, {0x90, 50, 90}, 3}}}});
    auto ports = [&] {
        for (const auto& [symbol, value] : session.ports) host->setControl(symbol, value);
    };
    std::vector<float> left(kBlock), right(kBlock);
    switch (order) {
    case Order::StateFirst:
        restoreState(*host, session.state);
        ports();
        renderBlocks(*host, 1, {});
        break;
    case Order::PortsFirst:  // applied by a run of no frames, then the state
        ports();
        host->run(0, 120.0, {}, left.data(), right.data());
        restoreState(*host, session.state);
        renderBlocks(*host, 1, {});
        break;
    case Order::PortsRunThenState:
        ports();
        renderBlocks(*host, 1, {});
        restoreState(*host, session.state);
        break;
    }
    // The host silences what was sounding before the session is played.
    renderBlocks(*host, 1, {{0, {{0, {0xB0, 120, 0}, 3}}}});
    if (saved != nullptr) *saved = saveState(*host);
    return renderBlocks(*host, 40, notesAndControllers());
}

TEST(Lv2State, RestoresTheSameInEveryOrder) {
    const Session session = makeSession();
    StateMap first, other;
    const std::vector<float> reference = restoreAndRender(session, Order::StateFirst, &first);
    EXPECT_EQ(first.at("urn:velora:synth#program_name_03").second.size(), 7u);
    EXPECT_EQ(stateFloat(first, "urn:velora:synth#cc_panning"), (7.0f + 0.5f) / 128.0f);
    for (Order order : {Order::PortsFirst, Order::PortsRunThenState}) {
        EXPECT_TRUE(sameBits(restoreAndRender(session, order, &other), reference)) << static_cast<int>(order);
        EXPECT_EQ(other, first);
    }
    // A different binding must be heard: the comparison is not blind.
    Session unbound = session;
    unbound.state.erase("urn:velora:synth#cc_panning");
    unbound.state["urn:velora:synth#cc_panning"] = session.state.at("urn:velora:synth#cc_reverb_time");
    EXPECT_FALSE(sameBits(restoreAndRender(unbound, Order::StateFirst, nullptr), reference));
}

TEST(Lv2Notify, InternalChangesAreToldAndTheHostsNextMoveWins) {
    auto host = makeHost();
    host->activate();
    StateMap bind;
    const float controller7 = (7.0f + 0.5f) / 128.0f;
    bind["urn:velora:synth#cc_reverb_wet"] = {LV2_ATOM__Float, std::vector<std::uint8_t>(4)};
    std::memcpy(bind["urn:velora:synth#cc_reverb_wet"].second.data(), &controller7, 4);
    restoreState(*host, bind);
    askForEverything(*host);

    struct Step {
        const char* what;
        std::vector<MidiBytes> midi;
        const char* port;  // moved by the host before the block, or null
        float portValue;
        float told;  // reverb_wet as the notify port tells it; NAN: not told
    };
    const float byController = 100.0f * kPerMidiValue;
    const Step steps[] = {
        {"learned controller", {{5, {0xB0, 7, 100}, 3}}, nullptr, 0, byController},
        {"port unchanged: the controller's value stands", {}, nullptr, 0, NAN},
        {"host moves the port", {}, "reverb_wet", 0.25f, 0.25f},
        {"controller again", {{0, {0xB0, 7, 100}, 3}}, nullptr, 0, byController},
        {"same port value again changes nothing", {}, "reverb_wet", 0.25f, NAN},
        {"a new port value wins", {}, "reverb_wet", 0.5f, 0.5f},
    };
    for (const Step& step : steps) {
        if (step.port != nullptr) host->setControl(step.port, step.portValue);
        renderBlocks(*host, 1, {{0, step.midi}});
        const Notified told = readNotify(*host);
        const auto found = told.values.find("reverb_wet");
        if (std::isnan(step.told)) {
            EXPECT_EQ(found, told.values.end()) << step.what;
        } else {
            ASSERT_NE(found, told.values.end()) << step.what;
            EXPECT_EQ(found->second, step.told) << step.what;
            EXPECT_FALSE(told.displays.count("reverb_wet") == 0) << step.what;
        }
    }
}

TEST(Lv2Notify, NothingIsSaidBeforeAUserInterfaceAsks) {
    auto host = makeHost();
    host->activate();
    host->setControl("reverb_wet", 0.3f);
    renderBlocks(*host, 1, {{0, {{0, {0xC0, 7}, 2}}}});
    EXPECT_EQ(readNotify(*host).messages, 0);
    askForEverything(*host);
    EXPECT_EQ(readNotify(*host).values.size(), lv2::kControlPortCount);
}

TEST(Lv2Notify, ProgramChangesAndLearningAreTold) {
    auto host = makeHost();
    host->activate();
    askForEverything(*host);
    renderBlocks(*host, 1, {{0, {{3, {0xC0, 5}, 2}}}});
    Notified told = readNotify(*host);
    const Program fifth = factory(5);
    EXPECT_GT(told.values.size(), 10u);
    for (const auto& port : kControlPorts)
        if (told.values.count(port.symbol) > 0) {
            EXPECT_EQ(told.values[port.symbol], programPortValue(fifth, port.param)) << port.symbol;
        }

    host->setControl("midi_learn", 1.0f);
    renderBlocks(*host, 1, {});
    told = readNotify(*host);
    EXPECT_TRUE(told.learnSeen && told.learning);
    EXPECT_EQ(told.target, -1);
    host->setControl("dist_wet", 0.4f);
    renderBlocks(*host, 1, {});
    told = readNotify(*host);
    EXPECT_TRUE(told.learnSeen);
    EXPECT_EQ(told.target, kParamDistWet);
}

TEST(Lv2Notify, AskingForEverythingFitsAnyRoomOverSeveralBlocks) {
    for (std::uint32_t room : {0u, 1024u, 400u}) {
        auto host = makeHost();
        host->setNotifyRoom(room);
        host->activate();
        askForEverything(*host);
        std::map<std::string, float> all;
        bool learn = false;
        for (int block = 0; block < 64 && all.size() < lv2::kControlPortCount; ++block) {
            if (block > 0) renderBlocks(*host, 1, {});
            const Notified told = readNotify(*host);
            all.insert(told.values.begin(), told.values.end());
            learn = learn || told.learnSeen;
        }
        EXPECT_EQ(all.size(), lv2::kControlPortCount) << "room " << room;
        for (const auto& port : kControlPorts) EXPECT_EQ(all[port.symbol], host->control(port.symbol)) << port.symbol;
    }
}

}  // namespace
}  // namespace velora::test

namespace velora::test {
namespace {

// A host that loads a preset into a running instance, then moves controls,
// must hear what loading them all before the first block gives.
TEST(Lv2State, APresetLoadedWhileRunningSoundsAsOneLoadedBefore) {
    const std::map<int, std::vector<MidiBytes>> phrase{
        {0, {{0, {0x90, 60, 100}, 3}}}, {17, {{58, {0x90, 67, 90}, 3}}}, {86, {{34, {0x80, 60, 0}, 3}}}};
    for (int program : {13, 0, 40}) {
        auto before = makeHost(), running = makeHost();
        std::string error;
        ASSERT_TRUE(before->loadPreset(presetUri(program), error));
        before->setControl("attack_noise_mix", 0.0f);
        before->setControl("xdelay_length_l", 0.3f);
        before->activate();
        renderBlocks(*before, 6, {});
        running->activate();
        renderBlocks(*running, 4, {});
        ASSERT_TRUE(running->loadPreset(presetUri(program), error));
        renderBlocks(*running, 1, {});
        running->setControl("attack_noise_mix", 0.0f);
        running->setControl("xdelay_length_l", 0.3f);
        renderBlocks(*running, 1, {});
        EXPECT_TRUE(sameBits(renderBlocks(*before, 120, phrase), renderBlocks(*running, 120, phrase))) << program;
    }
}

}  // namespace
}  // namespace velora::test
