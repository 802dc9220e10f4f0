// SPDX-License-Identifier: MIT
#pragma once
// The 64 sounds the bank is filled with when the host opens the plug-in.
#include "programs/program.h"

namespace velora {

// Writes every slot and the name of factory program index (0..63) into out;
// any other index leaves out untouched.
void writeFactoryProgram(int index, Program& out);

}  // namespace velora
