// SPDX-License-Identifier: MIT
#include "editor/scale_setting.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace velora::editor {
namespace {

constexpr std::string_view kKey = "size=";
constexpr std::size_t kMaxFileBytes = 4096;  // a settings file is a line or two

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string scaleSettingPath() {
#if defined(_WIN32)
    const std::string base = environment("APPDATA");
    return base.empty() ? std::string() : base + "\\Velora\\editor.conf";
#else
    std::string base = environment("XDG_CONFIG_HOME");
    if (base.empty() || base.front() != '/') {  // relative values are to be ignored
        const std::string home = environment("HOME");
        if (home.empty()) return {};
        base = home + "/.config";
    }
    return base + "/velora/editor.conf";
#endif
}

std::optional<gui::Scale> parseScaleSetting(std::string_view text) {
    std::optional<gui::Scale> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.substr(0, kKey.size()) != kKey) continue;
        const std::string_view number = trimmed(line.substr(kKey.size()));
        int percent = 0;
        bool digits = !number.empty() && number.size() <= 3;
        for (char c : number) {
            if (c < '0' || c > '9') digits = false;
            percent = percent * 10 + (c - '0');
        }
        gui::Scale scale{};
        found = digits && gui::scaleFromPercent(percent, scale) ? std::optional(scale) : std::nullopt;
    }
    return found;
}

std::optional<gui::Scale> loadScaleSetting() {
    try {
        const std::string path = scaleSettingPath();
        if (path.empty()) return std::nullopt;
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        std::string text(kMaxFileBytes, '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(in.gcount()));
        return parseScaleSetting(text);
    } catch (...) {  // out of memory or a stream that throws: no setting
        return std::nullopt;
    }
}

bool saveScaleSetting(gui::Scale scale) {
    try {
        const std::filesystem::path path(scaleSettingPath());
        if (path.empty()) return false;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        // Written aside and renamed, so that a reader never sees half a file.
        std::filesystem::path part = path;
        part += ".part";
        {
            std::ofstream out(part, std::ios::binary | std::ios::trunc);
            out << kKey << gui::percentOf(scale) << '\n';
            if (!out) return false;
        }
        std::filesystem::rename(part, path, error);
        return !error;
    } catch (...) {
        return false;
    }
}

}  // namespace velora::editor
