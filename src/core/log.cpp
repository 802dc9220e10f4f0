// SPDX-License-Identifier: MIT
#include "core/log.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

namespace velora::log {
namespace {

thread_local int currentInstance = 0;

struct Sink {
    std::FILE* file = nullptr;
    bool ownsFile = false;
    std::mutex lock;

    Sink() {
        const char* setting = std::getenv("VELORA_LOG");
        if (setting == nullptr || *setting == '\0' || std::strcmp(setting, "0") == 0) return;
        if (std::strcmp(setting, "1") == 0 || std::strcmp(setting, "stderr") == 0) {
            file = stderr;
            return;
        }
        file = std::fopen(setting, "a");
        ownsFile = file != nullptr;
        if (!file) std::fprintf(stderr, "velora: cannot open the log file '%s' (%s)\n", setting, std::strerror(errno));
    }
    ~Sink() {
        if (ownsFile) std::fclose(file);
    }
};

Sink& sink() {
    static Sink instance;
    return instance;
}

std::string timeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#if defined(_WIN32)
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

}  // namespace

bool enabled() { return sink().file != nullptr; }

void line(std::string_view message) {
    Sink& out = sink();
    if (!out.file) return;
    try {
        // Appended piece by piece: GCC 12 warns falsely on chains of +.
        std::string text = timeNow();
        text.append(" velora");
        if (currentInstance > 0) {
            text.append("[");
            text.append(std::to_string(currentInstance));
            text.append("]");
        }
        text.append(": ");
        text.append(message);
        text.push_back('\n');
        std::lock_guard<std::mutex> hold(out.lock);
        std::fwrite(text.data(), 1, text.size(), out.file);
        std::fflush(out.file);
    } catch (...) {  // a log line is never worth a host's crash
    }
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

int nextInstanceNumber() {
    static std::atomic<int> count{0};
    return count.fetch_add(1, std::memory_order_relaxed) + 1;
}

InstanceScope::InstanceScope(int instance) : previous_(currentInstance) { currentInstance = instance; }

InstanceScope::~InstanceScope() { currentInstance = previous_; }

void AudioIncidents::report() {
    const std::uint32_t raised = raised_.exchange(0, std::memory_order_relaxed);
    if (raised & kEventDropped) line("MIDI events were dropped: the pending-event list was full or out of memory");
}

}  // namespace velora::log
