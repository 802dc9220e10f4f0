// SPDX-License-Identifier: MIT
#pragma once
// The initial program as program selection applies it to an engine: the
// values initProgram gives, through the parameter table's engine rows.
#include "engine/synth_engine.h"
#include "programs/program.h"
#include "shell/parameter_table.h"

namespace velora::test {

inline void applyInitProgram(engine::SynthEngine& e) {
    Program program;
    initProgram(program);
    e.resetVoices();
    for (std::int32_t index = 0; index < kParamCount; ++index) {
        const ParamInfo& info = paramInfo(index);
        if (info.action == ActionKind::Engine)
            e.setParam(static_cast<engine::VoiceParam>(info.target), program.values[info.slot]);
    }
}

}  // namespace velora::test
