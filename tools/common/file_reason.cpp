// SPDX-License-Identifier: MIT
#include "file_reason.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velora::tools {

std::string reasonOf(int errnoValue) {
    const char* text = std::strerror(errnoValue);
    return text && *text ? text : "error " + std::to_string(errnoValue);
}

#ifdef _WIN32
std::string windowsReasonOf(unsigned long code) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason.empty() ? "error " + std::to_string(code) : reason;
}
#endif

std::string fileFailure(const char* verb, const std::string& path, const std::string& reason) {
    std::string text = verb;
    text += " '";
    text += path;
    text += "': ";
    text += reason;
    return text;
}

std::string sizeText(unsigned long long bytes) {
    char text[32];
    if (bytes >= (1ull << 30))
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / double(1ull << 30));
    else if (bytes >= (1ull << 20))
        std::snprintf(text, sizeof text, "%.0f MB", static_cast<double>(bytes) / double(1ull << 20));
    else
        std::snprintf(text, sizeof text, "%llu bytes", bytes);
    return text;
}

}  // namespace velora::tools
