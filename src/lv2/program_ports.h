// SPDX-License-Identifier: MIT
#pragma once
// The port values a stored program gives, as the instance reports them once
// the program is selected: an inert parameter reads 0.
#include "lv2/port_values.h"
#include "programs/program.h"
#include "shell/parameter_table.h"

namespace velora::lv2 {

inline float programPortValue(const Program& program, ParamId param) {
    const ParamInfo& info = paramInfo(param);
    return portFromParameter(param, info.slot >= 0 ? program.values[info.slot] : 0.0f);
}

// The program's value of a parameter's controller assignment, or -1 when it has none.
inline float programAssignment(const Program& program, ParamId param) {
    const int assignment = assignmentOf(param);
    return assignment >= 0 ? program.values[paramInfo(assignment).slot] : -1.0f;
}

}  // namespace velora::lv2
