// SPDX-License-Identifier: MIT
#pragma once
// Which parameter each MIDI controller drives, and the learn state that
// binds a controller to the parameter touched last.
#include <cstdint>

#include "core/param_id.h"
#include "core/relaxed.h"

namespace velora {

class MidiLearn {
public:
    MidiLearn() { clearMap(); }

    void clearMap() {
        for (auto& entry : ccMap_) entry = kNoParam;
    }
    // Controller numbers outside 0..127 are ignored.
    void bind(int controller, int parameter) {
        if (controller >= 0 && controller < 128) ccMap_[controller] = parameter;
    }
    // Takes a whole map; entries that stay the same are not rewritten, so a
    // controller that keeps its parameter is never unbound on the way.
    void setMap(const std::int32_t (&map)[128]) {
        for (int controller = 0; controller < 128; ++controller)
            if (ccMap_[controller].load() != map[controller]) ccMap_[controller] = map[controller];
    }
    int mapped(int controller) const {
        return controller >= 0 && controller < 128 ? ccMap_[controller].load() : kNoParam;
    }

    bool isLearning() const { return learnActive_.load(); }
    int getLearnTarget() const { return learnTarget_.load(); }

    // "Midi Learn" above 0.5 arms learning and forgets the target; at or
    // below 0.5 it stops learning and keeps the target.
    void setArmed(bool armed) {
        learnActive_ = armed;
        if (armed) learnTarget_ = kNoParam;
    }
    // Every parameter change while learning names the parameter to learn.
    void touch(std::int32_t index) {
        if (learnActive_.load()) learnTarget_ = index;
    }

private:
    Relaxed<std::int32_t> ccMap_[128];
    Relaxed<bool> learnActive_{false};
    Relaxed<std::int32_t> learnTarget_{kNoParam};
};

}  // namespace velora
