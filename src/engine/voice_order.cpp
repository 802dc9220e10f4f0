// SPDX-License-Identifier: MIT
#include "engine/voice_order.h"

namespace velora::engine {

void VoiceOrder::clear() noexcept {
    ring_.fill(-1);
    head_ = 1;
    tail_ = 0;
    count_ = 0;
}

void VoiceOrder::resetAt(int head) noexcept {
    clear();
    head_ = head & (kSize - 1);
    tail_ = previous(head_);
}

bool VoiceOrder::push(int key) noexcept {
    if (count_ >= kSize) return false;
    tail_ = next(tail_);
    ring_[tail_] = key;
    ++count_;
    return true;
}

// Only the listed positions are searched: slots outside head..tail are free.
int VoiceOrder::find(int key) const noexcept {
    int p = head_;
    for (int i = 0; i < count_; ++i, p = next(p))
        if (ring_[p] == key) return p;
    return -1;
}

bool VoiceOrder::remove(int key) noexcept {
    int p = find(key);
    if (p < 0) return false;
    // Shift the older keys one place towards the newest end over the gap.
    while (p != head_) {
        ring_[p] = ring_[previous(p)];
        p = previous(p);
    }
    ring_[p] = -1;
    head_ = next(head_);
    --count_;
    return true;
}

}  // namespace velora::engine
