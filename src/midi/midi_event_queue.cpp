// SPDX-License-Identifier: MIT
#include "midi/midi_event_queue.h"

#include <new>

namespace velora {

MidiEventQueue::MidiEventQueue() {
    head_.next = &tail_;
    tail_.previous = &head_;
}

MidiEventQueue::~MidiEventQueue() {
    for (NoteEvent* node = head_.next; node != &tail_;) {
        NoteEvent* following = node->next;
        delete node;
        node = following;
    }
    while (free_ != nullptr) {
        NoteEvent* following = free_->next;
        delete free_;
        free_ = following;
    }
}

bool MidiEventQueue::push(const MidiEventRecord& event) {
    if (pending_ >= kMaxPending) return false;
    NoteEvent* node = free_;
    if (node != nullptr) {
        free_ = node->next;
    } else {
        node = new (std::nothrow) NoteEvent;
        if (node == nullptr) return false;
    }
    node->event = event;
    node->next = &tail_;
    node->previous = tail_.previous;
    tail_.previous->next = node;
    tail_.previous = node;
    ++pending_;
    return true;
}

void MidiEventQueue::release(NoteEvent* node) {
    node->previous->next = node->next;
    node->next->previous = node->previous;
    node->previous = nullptr;
    node->next = free_;
    free_ = node;
    --pending_;
}

}  // namespace velora
