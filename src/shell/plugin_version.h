// SPDX-License-Identifier: MIT
#pragma once
// The version hosts see (the record's version field and the vendor version):
// the major number of the project version, handed in by the build so that
// velora-host --version and the plug-in never disagree.
#include "vst/aeffect.h"

#ifndef VELORA_VERSION_MAJOR
#error "VELORA_VERSION_MAJOR is set by the build from the project version"
#endif

namespace velora {

inline constexpr vst::VstInt32 kPluginVersion = VELORA_VERSION_MAJOR;

}  // namespace velora
