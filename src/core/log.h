// SPDX-License-Identifier: MIT
#pragma once
// The log a user can send with a bug report. Off unless the environment
// variable VELORA_LOG asks for it: "1" (or "stderr") writes to standard
// error, anything else names a file that lines are appended to. One line per
// event, with the time, the plug-in instance and the reason.
//
// Never called from the audio thread's sample loop: a line takes a lock and
// writes to a file. The audio thread raises AudioIncidents instead, which a
// later call on another thread reports.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace velora::log {

// True when a log was asked for (read once per process).
bool enabled();

// Writes "TIME velora[N]: message", N being the instance the calling thread
// serves (see InstanceScope), or "TIME velora: message" outside any.
void line(std::string_view message);

// Builds the line from its parts only when the log is on.
template <typename... Parts>
void say(const Parts&... parts) {
    if (!enabled()) return;
    std::string message;
    (message.append(std::string_view(parts)), ...);
    line(message);
}

// A number as a log line shows it ("44100", "0.5", "nan").
std::string number(double value);

// A number for each new plug-in instance, from 1.
int nextInstanceNumber();

// Marks the calling thread as serving an instance until the scope ends.
class InstanceScope {
public:
    explicit InstanceScope(int instance);
    ~InstanceScope();
    InstanceScope(const InstanceScope&) = delete;
    InstanceScope& operator=(const InstanceScope&) = delete;

private:
    int previous_;
};

// What the audio thread met but may not write about: raised there with one
// relaxed store, reported by the next call that may log.
class AudioIncidents {
public:
    enum Incident : std::uint32_t {
        kEventDropped = 1u << 0,  // the pending-event list was full or out of memory
    };

    void raise(Incident incident) { raised_.fetch_or(incident, std::memory_order_relaxed); }
    // Writes a line for each incident raised since the last report.
    void report();

private:
    std::atomic<std::uint32_t> raised_{0};
};

}  // namespace velora::log
