// SPDX-License-Identifier: MIT
#pragma once
// Texts written into a host's buffers: the room each kind may take,
// terminator included, and the one bounded copy they all go through.
#include <cstddef>
#include <cstring>

namespace velora {

inline constexpr std::size_t kParamNameSize = 15;    // "T Amp Max Mult" is the longest
inline constexpr std::size_t kParamLabelSize = 8;    // "Seconds"
inline constexpr std::size_t kParamDisplaySize = 9;  // eight characters
inline constexpr std::size_t kEffectNameSize = 32;
inline constexpr std::size_t kVendorTextSize = 64;  // vendor and product strings

// At most size - 1 characters of text, always terminated; a null text gives "".
inline void copyHostText(char* destination, const char* text, std::size_t size) {
    if (destination == nullptr || size == 0) return;
    std::size_t length = 0;
    if (text != nullptr)
        while (length + 1 < size && text[length] != '\0') ++length;
    std::memcpy(destination, text != nullptr ? text : "", length);
    destination[length] = '\0';
}

}  // namespace velora
