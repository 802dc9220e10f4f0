// SPDX-License-Identifier: MIT
#include "gui/platform/thread_ole.h"

#if defined(_WIN32)
#include <ole2.h>
#endif

namespace velora::gui {

#if defined(_WIN32)

// S_FALSE (already initialised on this thread) counts too: every successful
// call needs its own release.
bool initialiseThreadOle() { return SUCCEEDED(OleInitialize(nullptr)); }
void releaseThreadOle() { OleUninitialize(); }

#else

bool initialiseThreadOle() { return false; }
void releaseThreadOle() {}

#endif

}  // namespace velora::gui
