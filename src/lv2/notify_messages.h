// SPDX-License-Identifier: MIT
#pragma once
// What the plug-in and its user interface say to each other through atoms.
// An LV2 plug-in may not write its own input ports, so a change made inside
// the instance (a learned controller moving a parameter, a MIDI program
// change, MIDI learn arming or finding its target) reaches the user interface
// as an object on the notify port (kPortNotify). Both binaries read the URIs
// from here; the layouts below are frozen like the port symbols.
//
// Plug-in to user interface, on kPortNotify (atom:Sequence, frame times;
// every event at frame 0 of the block it was found in):
//
//   patch:Set                                  one per changed control port
//     patch:property  atom:URID   parameterUri(symbol of the port)
//     patch:value     atom:Float  the port's value: 0..1, or voices 1..127
//     velora:display  atom:String the parameter's display text (as
//                                 effGetParamDisplay gives it), at most 63
//                                 characters; absent when it does not fit
//
//   velora:LearnState                          when learning or its target changed
//     velora:learning     atom:Bool  MIDI learn armed
//     velora:learnTarget  atom:Int   parameter index (the VST 2 index of the
//                                    parameter table) the next controller
//                                    binds to, or -1 when none was touched
//                                    (the instance's kNoParam)
//
// Objects are sent when the instance's value differs from the last one the
// user interface was told (the port's own value counts as told), so a port
// move made by the user interface comes back once with its display text.
// What does not fit the host's notify buffer is sent in the next block.
//
// User interface to plug-in, on kPortEventsIn (ui:eventTransfer with
// atom:eventTransfer):
//
//   patch:Get  (no properties)   asks for everything: a patch:Set for every
//                                control port and the learn state follow in
//                                the next blocks. A user interface sends it
//                                when it opens.
//
// Controller assignments and program names never travel here; they are
// state (state:interface), saved and restored by the host.
#include <string>

#include "lv2/patch/patch.h"

namespace velora::lv2 {

inline constexpr const char* kVeloraPrefix = "urn:velora:synth#";
inline constexpr const char* kLearnStateUri = "urn:velora:synth#LearnState";
inline constexpr const char* kLearningUri = "urn:velora:synth#learning";
inline constexpr const char* kLearnTargetUri = "urn:velora:synth#learnTarget";
inline constexpr const char* kDisplayUri = "urn:velora:synth#display";

// The longest display text carried, without the terminator.
inline constexpr unsigned kMaxDisplayText = 63;

// The patch:property of a control port: the prefix and the port's symbol,
// e.g. "urn:velora:synth#reverb_on".
inline std::string parameterUri(const char* symbol) { return std::string(kVeloraPrefix) + symbol; }

}  // namespace velora::lv2
