// SPDX-License-Identifier: MIT
#include "player.h"

#include <algorithm>

namespace velora::sound {
namespace {

constexpr int kBlock = 512;

}  // namespace

Player::Player(const std::string& pluginPath, double sampleRate) : rate_(sampleRate) {
    plugin_ = host::PluginInstance::load(pluginPath, error_);
    if (!plugin_) return;
    plugin_->open();
    plugin_->setSampleRate(static_cast<float>(rate_));
    plugin_->setBlockSize(kBlock);
    plugin_->resume();
}

int Player::latency() const { return plugin_ && plugin_->effect() ? std::max(0, plugin_->effect()->initialDelay) : 0; }

Stereo Player::play(int program, std::vector<NoteEvent> events, std::size_t wanted) {
    const std::size_t delay = static_cast<std::size_t>(latency()), length = wanted + delay;
    Stereo out;
    out.left.assign(length, 0.0f);
    out.right.assign(length, 0.0f);
    if (!plugin_) return out;
    plugin_->setProgram(program);
    for (auto [index, value] : overrides_) plugin_->setParameter(index, value);
    std::stable_sort(events.begin(), events.end(), [](auto& a, auto& b) { return a.frame < b.frame; });
    std::size_t next = 0;
    for (std::size_t start = 0; start < length; start += kBlock) {
        const std::size_t count = std::min<std::size_t>(kBlock, length - start);
        std::vector<host::MidiMessage> due;
        for (; next < events.size() && events[next].frame < start + count; ++next) {
            host::MidiMessage m;
            m.deltaFrames = static_cast<vst::VstInt32>(events[next].frame - std::min(events[next].frame, start));
            m.bytes[0] = events[next].status;
            m.bytes[1] = events[next].key;
            m.bytes[2] = events[next].velocity;
            due.push_back(m);
        }
        if (!due.empty()) plugin_->sendMidi(due);
        plugin_->processReplacing(&out.left[start], &out.right[start], static_cast<vst::VstInt32>(count));
    }
    out.left.erase(out.left.begin(), out.left.begin() + std::ptrdiff_t(delay));
    out.right.erase(out.right.begin(), out.right.begin() + std::ptrdiff_t(delay));
    return out;
}

float Player::parameter(int index) { return plugin_ ? plugin_->getParameter(index) : 0.0f; }

std::string Player::programName(int program) { return plugin_ ? plugin_->programName(program) : std::string(); }

void addNote(std::vector<NoteEvent>& events, const Player& player, double on, double held, int key, int velocity) {
    events.push_back({player.frames(on), 0x90, std::uint8_t(key), std::uint8_t(velocity)});
    events.push_back({player.frames(on + held), 0x80, std::uint8_t(key), 0});
}

}  // namespace velora::sound
