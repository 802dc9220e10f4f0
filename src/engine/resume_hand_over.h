// SPDX-License-Identifier: MIT
#pragma once
// Resonator lines made on the host's thread at a resume and swapped in by the
// rendering thread, which hands the replaced lines back for freeing: neither
// thread waits for a lock, and no line is freed while a block may read it.
#include <array>
#include <atomic>
#include <cstdint>

namespace velora::engine {

struct ResumeHandOver {
    static constexpr int kVoices = 128;
    enum State : std::int32_t { kIdle, kPosted, kTaken, kDone };

    // Posted: the host's thread owns fresh until it posts, the rendering
    // thread from taking until done; retired goes back the other way.
    std::array<float*, kVoices> fresh{};  // null where a voice keeps its lines
    std::array<std::int32_t, kVoices> freshLength{};
    std::array<float*, kVoices> retired{};
    std::atomic<std::int32_t> state{kIdle};
};

}  // namespace velora::engine
