// SPDX-License-Identifier: MIT
#include "gui/platform/win32/drop_data.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>

namespace velora::gui::win32 {
namespace {

std::string narrow(const wchar_t* name, std::size_t length) {
    if (length == 0) return {};
    const int count = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_ACP, 0, name, count, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, name, count, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string cut(std::string path) {
    if (path.size() > kLongestDroppedPath) path.resize(kLongestDroppedPath);
    return path;
}

template <typename Char>
std::vector<std::string> readNames(const unsigned char* from, const unsigned char* end) {
    std::vector<std::string> names;
    const std::size_t available = static_cast<std::size_t>(end - from) / sizeof(Char);
    const Char* name = reinterpret_cast<const Char*>(from);
    const Char* last = name + available;
    while (name < last && *name != 0) {
        const Char* stop = name;
        while (stop < last && *stop != 0) ++stop;
        const std::size_t length = static_cast<std::size_t>(stop - name);
        if constexpr (sizeof(Char) == 1)
            names.push_back(cut(std::string(name, length)));
        else
            names.push_back(cut(narrow(name, length)));
        name = stop + 1;  // past the terminator (or past the end: the loop stops)
    }
    return names;
}

}  // namespace

std::vector<std::string> filesFromDropBlock(const void* block, std::size_t size) {
    if (!block || size < sizeof(DROPFILES)) return {};
    DROPFILES header;
    std::memcpy(&header, block, sizeof header);
    if (header.pFiles < sizeof header || header.pFiles >= size) return {};
    const auto* bytes = static_cast<const unsigned char*>(block);
    const unsigned char* names = bytes + header.pFiles;
    const unsigned char* end = bytes + size;
    // Wide names must start on a character boundary to be read as such.
    if (header.fWide)
        return header.pFiles % sizeof(wchar_t) == 0 ? readNames<wchar_t>(names, end) : std::vector<std::string>{};
    return readNames<char>(names, end);
}

std::string textFromBlock(const void* block, std::size_t size) {
    if (!block) return {};
    const auto* text = static_cast<const char*>(block);
    const void* terminator = std::memchr(text, 0, size);
    const std::size_t length =
        terminator ? static_cast<std::size_t>(static_cast<const char*>(terminator) - text) : size;
    return std::string(text, length);
}

}  // namespace velora::gui::win32
