// SPDX-License-Identifier: MIT
#include "shell/parameter_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace velora {
namespace {

TEST(ParameterTable, HasTheFourKindsInTheirNumbers) {
    int sound = 0, limit = 0, assignments = 0, inert = 0;
    for (int i = 0; i < kParamCount; ++i) {
        switch (paramInfo(i).kind) {
        case ParamKind::Sound: ++sound; break;
        case ParamKind::VoiceLimit: ++limit; break;
        case ParamKind::Assignment: ++assignments; break;
        case ParamKind::Inert: ++inert; break;
        }
    }
    EXPECT_EQ(sound, 53);
    EXPECT_EQ(limit, 1);
    EXPECT_EQ(assignments, 50);
    EXPECT_EQ(inert, 5);
    for (int i : {72, 73, 103, 105, 106}) EXPECT_EQ(paramInfo(i).kind, ParamKind::Inert) << i;
}

TEST(ParameterTable, EverySlotBelongsToExactlyOneParameterExceptTheTwoUnused) {
    std::set<int> slots;
    for (int i = 0; i < kParamCount; ++i) {
        const int slot = paramInfo(i).slot;
        if (slot < 0) continue;
        EXPECT_TRUE(slots.insert(slot).second) << "slot " << slot << " used twice";
    }
    EXPECT_EQ(slots.size(), 104u);
    EXPECT_EQ(slots.count(42), 0u);
    EXPECT_EQ(slots.count(95), 0u);
    EXPECT_EQ(*slots.rbegin(), 105);
}

TEST(ParameterTable, AssignmentsFollowTheirParameter) {
    for (int i = 0; i < kParamCount; ++i) {
        const ParamInfo& info = paramInfo(i);
        if (info.kind != ParamKind::Assignment) continue;
        EXPECT_EQ(info.owner, i - 1);
        EXPECT_EQ(assignmentOf(info.owner), i);
        EXPECT_EQ(std::string(info.name), "(hidden)");
    }
    EXPECT_EQ(paramInfo(95).slot, 104);  // "Aftertouch On"
    EXPECT_EQ(paramInfo(97).slot, 105);  // "A Under ADSR"
    for (int none : {72, 98, 104, 107, 108, 1, 73}) EXPECT_EQ(assignmentOf(none), -1) << none;
}

TEST(ParameterTable, OutOfRangeIndexesAreHiddenAndInert) {
    for (int i : {-1, 109, 110, 1 << 30, -2147483647 - 1}) {
        EXPECT_EQ(std::string(paramInfo(i).name), "(hidden)");
        EXPECT_EQ(paramInfo(i).kind, ParamKind::Inert);
    }
}

}  // namespace
}  // namespace velora
