// SPDX-License-Identifier: MIT
#pragma once
// Reading what a drag brings: the file list of a CF_HDROP block and the
// text of a CF_TEXT block. Both read only inside the bytes they are given,
// whatever the block says.
#include <cstddef>
#include <string>
#include <vector>

namespace velora::gui::win32 {

// Longest path passed on; longer ones are cut.
inline constexpr std::size_t kLongestDroppedPath = 1023;

// A DROPFILES header followed by a list of ANSI or wide names, each
// terminated, the list ending with an empty name.
std::vector<std::string> filesFromDropBlock(const void* block, std::size_t size);

// Text up to its terminator or the end of the block.
std::string textFromBlock(const void* block, std::size_t size);

}  // namespace velora::gui::win32
