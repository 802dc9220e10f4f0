// SPDX-License-Identifier: MIT
#pragma once
// The read-only commands: info, params, programs. Their output is the same
// text on every platform.
#include "host_options.h"

namespace velora::host {

int runInfo(const GlobalOptions& options);
int runParams(const GlobalOptions& options);
int runPrograms(const GlobalOptions& options);

}  // namespace velora::host
