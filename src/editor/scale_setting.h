// SPDX-License-Identifier: MIT
#pragma once
// The editor size a user chose, remembered per user in a small text file of
// the user's configuration folder: %APPDATA%\Velora\editor.conf on Windows,
// $XDG_CONFIG_HOME/velora/editor.conf (or ~/.config/velora/...) elsewhere.
#include <optional>
#include <string>
#include <string_view>

#include "gui/scale.h"

namespace velora::editor {

// Empty when no configuration folder is known.
std::string scaleSettingPath();
// The remembered size; none when there is no file or it cannot be read or
// understood.
std::optional<gui::Scale> loadScaleSetting();
// False when the file cannot be written.
bool saveScaleSetting(gui::Scale scale);

// The size a settings text names ("size=150"); none for anything else.
std::optional<gui::Scale> parseScaleSetting(std::string_view text);

}  // namespace velora::editor
