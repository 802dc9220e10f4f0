// SPDX-License-Identifier: MIT
#pragma once
// The display text of a parameter, worked out from the stored parameter
// values alone, so that an editor away from the instance (the LV2 user
// interface) shows what the instance's getParameterDisplay shows.
#include <cstdint>

namespace velora {

// The values as the instance stores them (after its storing rules).
class StoredValues {
public:
    virtual ~StoredValues() = default;
    virtual float stored(std::int32_t index) const = 0;
};

// Writes at most 8 characters and the terminator; empty for hidden and
// inert parameters. `text` must hold at least 9 bytes and start empty.
void formatParameterDisplay(std::int32_t index, const StoredValues& values, char* text);

}  // namespace velora
