// SPDX-License-Identifier: MIT
#pragma once
// The x87 precision control of the calling thread. Many Windows hosts run
// with it at 53 bits; velora-host can do the same so tests can check that
// the plug-in's extended-precision set-up does not depend on it.

namespace velora::host {

// Sets the precision control to 53 or 64 bits; false on other CPUs or for
// other widths.
bool setX87Precision(int bits);

}  // namespace velora::host
