// SPDX-License-Identifier: MIT
#include "gui/shared_text.h"

#include <cstring>

namespace velora::gui {
namespace {

constexpr std::uint32_t kTicketMask = 0xFFFFFFFFu >> 3;

// Tickets wrap; a ticket is newer when it lies less than half the ticket
// space ahead.
bool isNewer(std::uint32_t ticket, std::uint32_t than) {
    const std::uint32_t ahead = (ticket - than) & kTicketMask;
    return ahead != 0 && ahead < (kTicketMask >> 1);
}

}  // namespace

unsigned SharedText::claimSlot() {
    for (;;) {
        const unsigned start = nextSlot_.fetch_add(1, std::memory_order_relaxed);
        const unsigned readersSlot = latest_.load(std::memory_order_relaxed) & (kSlots - 1);
        for (unsigned step = 0; step < kSlots; ++step) {
            const unsigned index = (start + step) & (kSlots - 1);
            if (index == readersSlot) continue;
            std::uint32_t sequence = slots_[index].sequence.load(std::memory_order_relaxed);
            if ((sequence & 1) == 0 &&
                slots_[index].sequence.compare_exchange_strong(sequence, sequence + 1, std::memory_order_acquire,
                                                               std::memory_order_relaxed))
                return index;
        }
    }
}

void SharedText::publish(std::uint32_t ticket, unsigned slot) {
    const std::uint32_t mine = (ticket << kSlotBits) | slot;
    std::uint32_t current = latest_.load(std::memory_order_relaxed);
    while (isNewer(ticket & kTicketMask, current >> kSlotBits)) {
        if (latest_.compare_exchange_weak(current, mine, std::memory_order_release, std::memory_order_relaxed)) return;
    }
}

void SharedText::store(std::string_view text) {
    if (text.size() > kMaxLength) text = text.substr(0, kMaxLength);
    char bytes[kWords * 4] = {};
    std::memcpy(bytes, text.data(), text.size());

    const unsigned index = claimSlot();
    const std::uint32_t ticket = nextTicket_.fetch_add(1, std::memory_order_relaxed);
    Slot& slot = slots_[index];
    // Release stores: a reader that sees any new word also sees the odd
    // sequence that came before it, and so drops its copy.
    for (unsigned w = 0; w < kWords; ++w) {
        std::uint32_t word;
        std::memcpy(&word, bytes + 4 * w, 4);
        slot.words[w].store(word, std::memory_order_release);
    }
    slot.sequence.fetch_add(1, std::memory_order_release);
    publish(ticket, index);
}

bool SharedText::load(Buffer& out) const {
    char bytes[kWords * 4];
    for (int attempt = 0; attempt < 8; ++attempt) {
        const Slot& slot = slots_[latest_.load(std::memory_order_acquire) & (kSlots - 1)];
        const std::uint32_t before = slot.sequence.load(std::memory_order_acquire);
        if (before & 1) continue;
        // Acquire loads keep the second look at the sequence after them.
        for (unsigned w = 0; w < kWords; ++w) {
            const std::uint32_t word = slot.words[w].load(std::memory_order_acquire);
            std::memcpy(bytes + 4 * w, &word, 4);
        }
        if (slot.sequence.load(std::memory_order_relaxed) != before) continue;
        bytes[kMaxLength] = '\0';
        std::memcpy(out, bytes, sizeof bytes);
        return true;
    }
    return false;
}

}  // namespace velora::gui
