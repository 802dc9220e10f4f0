// SPDX-License-Identifier: MIT
#pragma once
// OLE for the calling thread, where the system has it (Windows: the editor's
// windows take part in drag and drop). Elsewhere both calls do nothing.
namespace velora::gui {

// True when this call initialised OLE and so owes one releaseThreadOle on
// the same thread; false when the system refused (for example a thread set
// up for another COM model) or has no OLE.
bool initialiseThreadOle();
void releaseThreadOle();

}  // namespace velora::gui
