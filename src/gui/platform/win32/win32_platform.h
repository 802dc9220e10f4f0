// SPDX-License-Identifier: MIT
#pragma once
// The native Windows window system for the plug-in DLL: GDI drawing, the
// module's bitmap resources, the system's EDIT box and an OLE drop target.
// This header is safe to include anywhere; it pulls in no system headers.
#include <memory>

#include "gui/platform/platform.h"

namespace velora::gui {

// One per open editor is fine; windows made through it live in the host's
// parent window handed to effEditOpen. Never null.
std::unique_ptr<Platform> createWin32Platform();

}  // namespace velora::gui
