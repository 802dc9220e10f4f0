// SPDX-License-Identifier: MIT
#pragma once
// The live mouse-button word and the host's key codes as the toolkit reads
// them.
#include <cstdint>

namespace velora::gui {

// Bits of the button word, read from the live state of buttons and keys.
enum ButtonBits : int {
    kLeftButton = 1,
    kMiddleButton = 2,
    kRightButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
};

inline constexpr int kControlLeft = kLeftButton | kControl;

// A key as the host hands it over (the layout of its key-code record).
struct KeyCode {
    std::int32_t character = 0;
    std::uint8_t virt = 0;
    std::uint8_t modifier = 0;
};

enum VirtualKey : std::uint8_t {
    kKeyBack = 1,
    kKeyTab,
    kKeyClear,
    kKeyReturn,
    kKeyPause,
    kKeyEscape,
    kKeySpace,
    kKeyNext,
    kKeyEnd,
    kKeyHome,
    kKeyLeft,
    kKeyUp,
    kKeyRight,
    kKeyDown,
};

enum KeyModifier : std::uint8_t {
    kModifierShift = 1,
    kModifierAlternate = 2,
    kModifierCommand = 4,
    kModifierControl = 8,
};

// Answer of a key handler that did not take the key.
inline constexpr int kKeyNotHandled = -1;

}  // namespace velora::gui
