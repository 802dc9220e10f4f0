// SPDX-License-Identifier: MIT
#pragma once
// Choosing a program by number or name, and naming one program's output file.
#include <optional>
#include <string>
#include <vector>

namespace velora::host {

// The digits of a leading "N:" prefix, or empty.
std::string numberPrefix(const std::string& name);

// The name without a leading "N: " number prefix and surrounding blanks.
std::string withoutNumberPrefix(const std::string& name);

// `choice` is a program number (0..names.size()-1) or a program name, with or
// without its number prefix, compared case-insensitively.
std::optional<int> findProgram(const std::string& choice, const std::vector<std::string>& names, std::string& error);

// "01-crystal-pad.wav" for program 0 named "1: crystal pad": the 1-based
// number, then the name's letters and digits in lower case joined by '-'.
std::string programFileName(int index, const std::string& name);

}  // namespace velora::host
