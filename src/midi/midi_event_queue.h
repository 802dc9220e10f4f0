// SPDX-License-Identifier: MIT
#pragma once
// Pending MIDI events, counted down sample by sample until they fall due.
// A doubly linked list between two permanent end markers, in arrival order.
// Handled nodes go to a free list and are reused, so the steady state makes
// no allocator calls on the audio thread.
#include <cstdint>

namespace velora {

// Byte-for-byte copy of a host MIDI event record (32 bytes). Only
// deltaFrames and the first three bytes of midiData are read.
struct MidiEventRecord {
    std::int32_t type;
    std::int32_t byteSize;
    std::int32_t deltaFrames;
    std::int32_t flags;
    std::int32_t noteLength;
    std::int32_t noteOffset;
    std::uint8_t midiData[4];
    std::int8_t detune;
    std::uint8_t noteOffVelocity;
    std::int8_t reserved1;
    std::int8_t reserved2;
};
static_assert(sizeof(MidiEventRecord) == 32);

struct NoteEvent {
    NoteEvent* next = nullptr;
    NoteEvent* previous = nullptr;
    MidiEventRecord event{};
};

class MidiEventQueue {
public:
    // Events beyond this many pending are dropped: a flood from a broken host
    // must not grow memory or the per-sample walk without bound.
    static constexpr int kMaxPending = 16384;

    MidiEventQueue();
    ~MidiEventQueue();
    MidiEventQueue(const MidiEventQueue&) = delete;
    MidiEventQueue& operator=(const MidiEventQueue&) = delete;

    // Appends a copy before the tail marker; false when it had to be dropped.
    bool push(const MidiEventRecord& event);

    // One sample: counts every pending event down, or hands it to `handle`
    // and releases it when it is due. Events due together go in arrival order.
    template <typename Handler>
    void dispatchDue(Handler&& handle) {
        for (NoteEvent* node = head_.next; node != &tail_;) {
            NoteEvent* following = node->next;
            if (node->event.deltaFrames > 0) {
                --node->event.deltaFrames;
            } else {
                handle(node->event);
                release(node);
            }
            node = following;
        }
    }

    // After dispatchDue: how many samples from this one on (1 .. limit) pass
    // before the next event falls due; counts the events down past the ones
    // after this sample, as dispatchDue would have.
    int skipQuiet(int limit) {
        int quiet = limit;
        for (const NoteEvent* node = head_.next; node != &tail_; node = node->next)
            if (node->event.deltaFrames < quiet) quiet = node->event.deltaFrames + 1;
        if (quiet < 1) quiet = 1;
        if (quiet > 1)
            for (NoteEvent* node = head_.next; node != &tail_; node = node->next) node->event.deltaFrames -= quiet - 1;
        return quiet;
    }

    int pending() const { return pending_; }
    bool empty() const { return head_.next == &tail_; }

private:
    void release(NoteEvent* node);

    NoteEvent head_;
    NoteEvent tail_;
    NoteEvent* free_ = nullptr;  // singly linked through `next`
    int pending_ = 0;
};

}  // namespace velora
