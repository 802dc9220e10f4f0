// SPDX-License-Identifier: MIT
#pragma once
// The system's own words for a failed file operation, for messages of the
// form "cannot write 'OUT.wav': No space left on device".
#include <string>

namespace velora::tools {

// strerror of an errno value.
std::string reasonOf(int errnoValue);

#ifdef _WIN32
// The message text of a GetLastError code.
std::string windowsReasonOf(unsigned long code);
#endif

// "VERB 'PATH': REASON".
std::string fileFailure(const char* verb, const std::string& path, const std::string& reason);

// "3.0 GB", "64 MB", "492 bytes".
std::string sizeText(unsigned long long bytes);

}  // namespace velora::tools
