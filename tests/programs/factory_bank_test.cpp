// SPDX-License-Identifier: MIT
// Checks the factory bank data: every record complete, the bank-wide bounds,
// the three published programs slot by slot, and the names.
#include "programs/factory_bank.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace velora {
namespace {

constexpr int kXdFbRSlot = 42;
constexpr int kUnusedAssignmentSlot = 95;
constexpr float kNoController = 1.0f;

std::array<Program, kProgramCount> loadBank() {
    std::array<Program, kProgramCount> bank;
    for (int i = 0; i < kProgramCount; ++i) {
        std::fill(std::begin(bank[i].values), std::end(bank[i].values), std::nanf(""));
        std::memset(bank[i].name, 'x', kProgramNameSize);
        writeFactoryProgram(i, bank[i]);
    }
    return bank;
}

const std::array<Program, kProgramCount>& bank() {
    static const std::array<Program, kProgramCount> loaded = loadBank();
    return loaded;
}

// Program numbers as in the names start at 1.
const Program& numbered(int number) { return bank()[number - 1]; }

int voicesOf(const Program& p) { return static_cast<int>(127.0 * static_cast<double>(p.values[kSlotVoiceLimit])); }

bool isAssignment(int slot) { return slot >= kFirstAssignmentSlot && slot != kUnusedAssignmentSlot; }

std::vector<int> boundSlots(const Program& p) {
    std::vector<int> slots;
    for (int s = kFirstAssignmentSlot; s < kSlotCount; ++s)
        if (isAssignment(s) && p.values[s] != kNoController) slots.push_back(s);
    return slots;
}

TEST(FactoryBank, WritesEverySlotAndATerminatedName) {
    for (int i = 0; i < kProgramCount; ++i) {
        const Program& p = bank()[i];
        for (int s = 0; s < kSlotCount; ++s) {
            EXPECT_FALSE(std::isnan(p.values[s])) << "program " << i << " slot " << s;
            EXPECT_GE(p.values[s], 0.0f) << "program " << i << " slot " << s;
            EXPECT_LE(p.values[s], 1.0f) << "program " << i << " slot " << s;
        }
        ASSERT_NE(std::memchr(p.name, '\0', kProgramNameSize), nullptr) << "program " << i;
        for (std::size_t c = std::strlen(p.name); c < kProgramNameSize; ++c) EXPECT_EQ(p.name[c], '\0');
    }
}

TEST(FactoryBank, IndexOutsideTheBankWritesNothing) {
    for (int index : {-1, kProgramCount, 1000, INT_MIN, INT_MAX}) {
        Program p;
        std::memset(&p, 0x5A, sizeof p);
        Program before = p;
        writeFactoryProgram(index, p);
        EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << index;
    }
}

TEST(FactoryBank, NamesFollowTheBankList) {
    // clang-format off
    const char* expected[kProgramCount] = {
        "1: crystal pad", "2: glass lead", "3: gleaming cavern", "4: silver chimes", "5: smoky topaz",
        "6: starlight", "7: warm crystals", "8: crystal moon", "9: bamboo echoes", "10: desert caravan",
        "11: hard mallet", "12: misty isle", "13: steel drums", "14: whispering pebbles", "15: xylophone",
        "16: vibes", "17: bass ensemble", "18: mellow string", "19: synth string ensemb", nullptr,
        "21: symphony strings", "22: brass in the woods", "23: clarion call", "24: french horns",
        "25: bright and whiny", "26: electric piano", "27: electric harpsichor", "28: soft and simple",
        "29: piano velora", "30: dusty wurly", "31: plunky piano", "32: dizi", "33: flute", "34: pan pipes",
        "35: xiao", "36: pipa", "37: pizzicato orchestra", "38: plucked glass", "39: plucked pad",
        "40: plucked tube", "41: electric bass", "42: lounge bass", "43: overdriven bass", "44: nubo bass",
        "45: bells of elsewhere", "46: deep sparkles", "47: epic", "48: idioglottal synth", "49: key string",
        "50: sun and star motif", "51: synth lieder", "52: d50 keys", "53: breathy pad", "54: decay synth",
        "55: full synth", "56: cygnus", "57: kyrim", "58: heavenly vox", "59: warm lead", "60: warm lead 2",
        "61: deep string drone", "62: low whale drone", "63: shimmering drone", "64: voices on the wind"};
    // clang-format on
    for (int i = 0; i < kProgramCount; ++i) {
        if (expected[i] != nullptr) {
            EXPECT_STREQ(bank()[i].name, expected[i]);
        }
    }
    const std::string twenty = numbered(20).name;
    EXPECT_EQ(twenty.rfind("20: ", 0), 0u) << twenty;
    EXPECT_GT(twenty.size(), 4u);
}

TEST(FactoryBank, FixedSlotsHoldTheirBankWideValues) {
    for (int i = 0; i < kProgramCount; ++i) {
        const Program& p = bank()[i];
        EXPECT_EQ(p.values[kSlotToneOn], 1.0f) << i;
        EXPECT_EQ(p.values[kSlotAttackOn], 1.0f) << i;
        EXPECT_EQ(p.values[kXdFbRSlot], 0.0f) << i;
        EXPECT_EQ(p.values[kSlotMidiLearn], 0.0f) << i;
        EXPECT_EQ(p.values[kUnusedAssignmentSlot], 0.0f) << i;
        const float pan = p.values[kSlotPanning];
        EXPECT_TRUE(pan == 0.5f || pan == 0.530303f) << i << ": " << pan;
    }
}

TEST(FactoryBank, VoiceLimitsFollowTheBankDistribution) {
    std::map<int, int> programsWith;
    for (const Program& p : bank()) ++programsWith[voicesOf(p)];
    const std::map<int, int> expected = {{8, 51}, {7, 6}, {9, 2}, {4, 2}, {12, 1}, {6, 1}, {1, 1}};
    EXPECT_EQ(programsWith, expected);
    EXPECT_EQ(voicesOf(numbered(1)), 8);
    EXPECT_EQ(voicesOf(numbered(30)), 12);
    EXPECT_EQ(voicesOf(numbered(56)), 9);
}

TEST(FactoryBank, SwitchesAreExactAndOnInTheListedNumberOfPrograms) {
    const int switches[] = {kSlotXDelayOn, kSlotXdTempoSync,  kSlotReverbOn,
                            kSlotDistOn,   kSlotAftertouchOn, kSlotAUnderAdsr};
    std::map<int, int> onCount;
    int synced = 0;
    std::set<int> distorted;
    for (int i = 0; i < kProgramCount; ++i) {
        const Program& p = bank()[i];
        for (int s : switches) {
            EXPECT_TRUE(p.values[s] == 0.0f || p.values[s] == 1.0f) << "program " << i << " slot " << s;
            if (p.values[s] != 0.0f) ++onCount[s];
        }
        if (p.values[kSlotXDelayOn] != 0.0f && p.values[kSlotXdTempoSync] != 0.0f) ++synced;
        if (p.values[kSlotDistOn] != 0.0f) distorted.insert(i + 1);
    }
    EXPECT_EQ(onCount[kSlotXDelayOn], 42);
    EXPECT_EQ(synced, 34);
    EXPECT_EQ(onCount[kSlotReverbOn], 59);
    EXPECT_EQ(distorted, (std::set<int>{30, 41, 59}));
    EXPECT_EQ(onCount[kSlotAftertouchOn], 22);
    EXPECT_EQ(onCount[kSlotAUnderAdsr], 21);
}

TEST(FactoryBank, ControllerBindingsFollowTheBankList) {
    int modWheelPrograms = 0;
    std::set<int> noisePrograms;
    int boundPrograms = 0;
    for (int i = 0; i < kProgramCount; ++i) {
        const Program& p = bank()[i];
        const std::vector<int> slots = boundSlots(p);
        if (slots.empty()) continue;
        ++boundPrograms;
        if (i + 1 == 56) continue;
        if (p.values[slots[0]] == 0.984375f) {
            EXPECT_EQ(slots, std::vector<int>{kSlotNoiseMix + 53}) << "program " << i + 1;
            noisePrograms.insert(i + 1);
            continue;
        }
        EXPECT_LE(slots.size(), 2u) << "program " << i + 1;
        for (int s : slots) EXPECT_EQ(p.values[s], 0.0078125f) << "program " << i + 1 << " slot " << s;
        ++modWheelPrograms;
    }
    EXPECT_EQ(boundPrograms, 12);
    EXPECT_EQ(modWheelPrograms, 9);
    EXPECT_EQ(noisePrograms.size(), 2u);

    const Program& cygnus = numbered(56);
    std::set<int> controllers;
    for (int s : boundSlots(cygnus)) controllers.insert(static_cast<int>(cygnus.values[s] * 128.0f));
    EXPECT_EQ(boundSlots(cygnus).size(), 18u);
    EXPECT_EQ(controllers.size(), 16u);
    EXPECT_EQ(*controllers.begin(), 1);
    EXPECT_EQ(*controllers.rbegin(), 16);
}

// Value slots 0..54 of the three published programs, in slot order.
constexpr float kCrystalPad[kFirstAssignmentSlot] = {
    1,          1,          0.523484f, 1,         0.597308f, 1,         0,          0,         1,         1,
    0,          1,          1,         0.201331f, 0,         1,         0.841955f,  0,         0.161077f, 0.557054f,
    0.0805383f, 0.0603961f, 0.939604f, 0.791955f, 1,         0,         0,          0.456374f, 0.872494f, 0.530198f,
    0.333333f,  0.845637f,  0.333333f, 0.798669f, 1,         0.201473f, 0.0939665f, 1,         1,         0.44966f,
    0.409406f,  0.644307f,  0,         0.13422f,  1,         0,         0.5f,       0.5f,      0.5f,      0.006f,
    1,          0.0629929f, 0,         0,         0};
constexpr float kDustyWurly[kFirstAssignmentSlot] = {
    1,         1,         0,    0,         0.223881f, 0.402985f, 0.507463f, 1,         0.58209f,  0.791045f, 0.746269f,
    0.328358f, 0.58209f,  0,    0.791045f, 0.343284f, 1,         0,         0.268657f, 0.80597f,  0.38806f,  0,
    0.671642f, 0.134328f, 1,    0,         0,         1,         0,         0.835821f, 0.939394f, 0.758426f, 0,
    0.098389f, 0,         0.1f, 0.1f,      1,         1,         0.568278f, 0.407345f, 0.568278f, 0,         0.184811f,
    0,         1,         1,    0.533232f, 0.530303f, 0.575758f, 0.545455f, 0.094489f, 1,         0,         0};
constexpr float kCygnus[kFirstAssignmentSlot] = {
    1,         1,          0.149254f, 0.791045f, 0,         0.519685f, 0.104478f, 0.313433f, 0.637795f, 0.346457f,
    0,         0.330709f,  0.511811f, 0.76378f,  0.771654f, 0.519685f, 0.791045f, 0.488189f, 1,         0.298507f,
    0.41791f,  0,          0.552239f, 0.716418f, 0.373134f, 0.731343f, 0.724409f, 0.338583f, 0.653543f, 0.267717f,
    0.598425f, 0.417323f,  0.456693f, 0.551181f, 0,         0.666667f, 0.051986f, 0.757865f, 1,         0.568278f,
    0.480761f, 0.730941f,  0,         0.8704f,   1,         0,         0.5f,      0.829611f, 0.5f,      0.606061f,
    0.621212f, 0.0708669f, 0,         0,         0};

void expectProgram(const Program& p, const float (&values)[kFirstAssignmentSlot],
                   const std::map<int, float>& assignments) {
    for (int s = 0; s < kFirstAssignmentSlot; ++s) EXPECT_EQ(p.values[s], values[s]) << p.name << " slot " << s;
    for (int s = kFirstAssignmentSlot; s < kSlotCount; ++s) {
        const auto it = assignments.find(s);
        const float expected = s == kUnusedAssignmentSlot ? 0.0f : (it == assignments.end() ? 1.0f : it->second);
        EXPECT_EQ(p.values[s], expected) << p.name << " slot " << s;
    }
}

TEST(FactoryBank, PublishedProgramsMatchSlotBySlot) {
    expectProgram(numbered(1), kCrystalPad, {});
    expectProgram(numbered(30), kDustyWurly, {});
    expectProgram(numbered(56), kCygnus,
                  {{58, 0.078125f},
                   {61, 0.0078125f},
                   {62, 0.0703125f},
                   {64, 0.09375f},
                   {65, 0.015625f},
                   {66, 0.0234375f},
                   {67, 0.03125f},
                   {68, 0.0859375f},
                   {69, 0.09375f},
                   {70, 0.101563f},
                   {79, 0.0390625f},
                   {80, 0.046875f},
                   {81, 0.0546875f},
                   {82, 0.0625f},
                   {83, 0.101563f},
                   {84, 0.117188f},
                   {85, 0.109375f},
                   {86, 0.125f}});
}

// Sound characters the names promise, as far as the data alone shows them.
TEST(FactoryBank, DronesAndPadsSustainWhileHeld) {
    for (int number : {61, 62, 63}) {
        const Program& p = numbered(number);
        EXPECT_GT(p.values[kSlotSustain], 0.5f) << p.name;
        EXPECT_TRUE(p.values[kSlotToneAmpDecay] == 0.0f || p.values[kSlotToneAmpMin] > 0.5f) << p.name;
    }
    for (int number : {3, 8, 12, 20, 53}) {
        const Program& p = numbered(number);
        EXPECT_GE(p.values[kSlotAttack], 0.3f) << p.name;
        EXPECT_GT(p.values[kSlotSustain], 0.5f) << p.name;
    }
}

TEST(FactoryBank, BellsAndChimesHaveInharmonicAttackPartials) {
    for (int number : {4, 7, 38, 45}) {
        const Program& p = numbered(number);
        const double ratio = 1.0 + 3.0 * p.values[kSlotAttackFreqMult];
        EXPECT_GT(std::fabs(ratio - std::round(ratio)), 0.1) << p.name << " ratio " << ratio;
    }
}

TEST(FactoryBank, PlucksAndMalletsDecayWithoutSustain) {
    for (int number : {9, 11, 15, 27, 36, 37, 38, 40, 54}) {
        const Program& p = numbered(number);
        EXPECT_EQ(p.values[kSlotAttack], 0.0f) << p.name;
        EXPECT_EQ(p.values[kSlotSustain], 0.0f) << p.name;
        EXPECT_LE(p.values[kSlotDecay], 1.0f) << p.name;
    }
}

}  // namespace
}  // namespace velora
