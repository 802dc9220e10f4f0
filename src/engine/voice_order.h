// SPDX-License-Identifier: MIT
#pragma once
// Ring of the keys in the order they were started, oldest at head; the
// polyphony limit steals from its head.
#include <array>
#include <cstdint>

namespace velora::engine {

class VoiceOrder {
public:
    static constexpr int kSize = 128;

    VoiceOrder() noexcept { clear(); }

    void clear() noexcept;
    // Adds a key at the newest end; a full ring (never reached, since a key is
    // removed before it is added again) refuses.
    bool push(int key) noexcept;
    // Takes the key out wherever it is; the others keep their order.
    bool remove(int key) noexcept;
    bool contains(int key) const noexcept { return find(key) >= 0; }

    int count() const noexcept { return count_; }
    int head() const noexcept { return head_; }
    int tail() const noexcept { return tail_; }
    int oldest() const noexcept { return count_ > 0 ? ring_[head_] : -1; }
    int slot(int position) const noexcept { return ring_[position & (kSize - 1)]; }

    // Starts an empty ring at a given head (tests of the wrapped case).
    void resetAt(int head) noexcept;

private:
    static int next(int p) noexcept { return (p + 1) & (kSize - 1); }
    static int previous(int p) noexcept { return (p - 1) & (kSize - 1); }
    int find(int key) const noexcept;

    std::array<std::int32_t, kSize> ring_{};
    int head_ = 1;
    int tail_ = 0;
    int count_ = 0;
};

}  // namespace velora::engine
