// SPDX-License-Identifier: MIT
#pragma once
// A short text that any thread may replace while the GUI thread reads it,
// without a lock and without torn reads.
//
// Each write claims an idle slot (never the one readers are directed to),
// fills it, and publishes it with a ticket; the newest ticket wins when
// writers overlap. A reader copies the published slot and keeps the copy only
// if no write touched the slot meanwhile. All shared words are atomics, so
// the hand-over is also free of data races in the language's sense.
#include <atomic>
#include <cstdint>
#include <string_view>

namespace velora::gui {

class SharedText {
public:
    static constexpr int kMaxLength = 255;
    using Buffer = char[kMaxLength + 1];

    SharedText() = default;
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    // Any thread. Texts longer than kMaxLength are cut.
    void store(std::string_view text);
    // Copies the newest complete text, terminated, into `out`. Answers false
    // and leaves `out` alone when writes kept overlapping the read.
    bool load(Buffer& out) const;

private:
    static constexpr unsigned kSlots = 8;  // a power of two
    static constexpr unsigned kSlotBits = 3;
    static constexpr unsigned kWords = (kMaxLength + 1) / 4;

    struct Slot {
        std::atomic<std::uint32_t> sequence{0};  // odd while a writer fills the slot
        std::atomic<std::uint32_t> words[kWords]{};
    };

    unsigned claimSlot();
    void publish(std::uint32_t ticket, unsigned slot);

    Slot slots_[kSlots];
    std::atomic<std::uint32_t> latest_{0};  // ticket << kSlotBits | slot
    std::atomic<std::uint32_t> nextTicket_{1};
    std::atomic<std::uint32_t> nextSlot_{1};
};

}  // namespace velora::gui
