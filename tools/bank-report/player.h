// SPDX-License-Identifier: MIT
#pragma once
// Plays note lists through the plug-in file, the way a host does, and hands
// back the rendered stereo audio.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugin_host.h"
#include "sound_measures.h"

namespace velora::sound {

struct NoteEvent {
    std::size_t frame;
    std::uint8_t status, key, velocity;
};

class Player {
public:
    Player(const std::string& pluginPath, double sampleRate);
    bool loaded() const { return plugin_ != nullptr; }
    const std::string& error() const { return error_; }
    double sampleRate() const { return rate_; }
    std::size_t frames(double seconds) const { return static_cast<std::size_t>(seconds * rate_); }

    // Selects the program afresh (every voice silent, the effects cleared as
    // a program change clears them), applies the overrides and renders
    // `length` frames of events, shifted back by the plug-in's reported
    // latency as a host's delay compensation does.
    Stereo play(int program, std::vector<NoteEvent> events, std::size_t length);
    // Parameter values set after every program selection (to switch a stage off).
    void setOverrides(std::vector<std::pair<int, float>> overrides) { overrides_ = std::move(overrides); }
    int latency() const;
    float parameter(int index);
    std::string programName(int program);

private:
    std::unique_ptr<host::PluginInstance> plugin_;
    std::string error_;
    double rate_;
    std::vector<std::pair<int, float>> overrides_;
};

// A key held from `on` for `held` seconds at `velocity`.
void addNote(std::vector<NoteEvent>& events, const Player& player, double on, double held, int key, int velocity);

}  // namespace velora::sound
