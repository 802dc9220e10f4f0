// SPDX-License-Identifier: MIT
// Arbitrary bytes as a preset or bank file: refused with a reason or read,
// never read out of bounds; what reads holds only values in 0..1 and writes
// back into a file that reads the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fx_file.h"

namespace {

using velora::presets::FxFile;

bool sameContent(const FxFile& a, const FxFile& b) {
    if (a.owner.pluginId != b.owner.pluginId || a.programs.size() != b.programs.size()) return false;
    for (std::size_t i = 0; i < a.programs.size(); ++i) {
        if (a.programs[i].name != b.programs[i].name || a.programs[i].values != b.programs[i].values) return false;
        for (float v : a.programs[i].values)
            if (!(v >= 0.0f && v <= 1.0f)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::string error;
    if (const auto program = velora::presets::readProgramFile(bytes, error)) {
        const auto again = velora::presets::readProgramFile(
            velora::presets::writeProgramFile(program->owner, program->programs[0]), error);
        if (!again || !sameContent(*program, *again)) __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();
    }
    error.clear();
    if (const auto bank = velora::presets::readBankFile(bytes, error)) {
        const auto again =
            velora::presets::readBankFile(velora::presets::writeBankFile(bank->owner, bank->programs), error);
        if (!again || !sameContent(*bank, *again)) __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();
    }
    return 0;
}
