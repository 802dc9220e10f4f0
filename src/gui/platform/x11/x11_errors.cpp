// SPDX-License-Identifier: MIT
#include "gui/platform/x11/x11_errors.h"

#include <atomic>
#include <mutex>

namespace velora::gui::x11 {
namespace {

// The handlers run on whichever thread meets the error, the host's included,
// so the watched displays live in fixed slots of atomics.
struct Slot {
    std::atomic<Display*> display{nullptr};
    std::atomic<unsigned> errors{0};
    std::atomic<bool> lost{false};
};

constexpr int kSlots = 32;
Slot slots[kSlots];

std::mutex installLock;  // watch and unwatch only, never in a handler
int watched = 0;
// Read by the handlers on any thread.
std::atomic<XErrorHandler> previousError{nullptr};
std::atomic<XIOErrorHandler> previousIOError{nullptr};
bool ioHandlerInstalled = false;

Slot* slotOf(Display* display) {
    if (!display) return nullptr;
    for (Slot& slot : slots)
        if (slot.display.load(std::memory_order_acquire) == display) return &slot;
    return nullptr;
}

int onError(Display* display, XErrorEvent* event) {
    if (Slot* slot = slotOf(display)) {
        slot->errors.fetch_add(1, std::memory_order_relaxed);
        return 0;
    }
    XErrorHandler previous = previousError.load(std::memory_order_acquire);
    return previous ? previous(display, event) : 0;
}

void markLost(Display* display) {
    if (Slot* slot = slotOf(display)) slot->lost.store(true, std::memory_order_release);
}

int onIOError(Display* display) {
    if (slotOf(display)) {
        markLost(display);
        return 0;  // Xlib then calls the display's exit handler, which returns
    }
    XIOErrorHandler previous = previousIOError.load(std::memory_order_acquire);
    return previous ? previous(display) : 0;
}

void onConnectionExit(Display* display, void*) { markLost(display); }

}  // namespace

bool watchDisplay(const Xlib& x, Display* display) {
    std::lock_guard<std::mutex> guard(installLock);
    Slot* free = nullptr;
    for (Slot& slot : slots) {
        if (slot.display.load(std::memory_order_relaxed) == nullptr) {
            free = &slot;
            break;
        }
    }
    if (!free || !display) return false;
    free->errors.store(0, std::memory_order_relaxed);
    free->lost.store(false, std::memory_order_relaxed);
    free->display.store(display, std::memory_order_release);
    if (watched++ == 0) {
        previousError.store(x.SetErrorHandler(onError), std::memory_order_release);
        // Without the exit hook a lost connection ends the process whatever
        // the handler does, so the host's handler stays in charge then.
        ioHandlerInstalled = x.SetIOErrorExitHandler != nullptr;
        if (ioHandlerInstalled) previousIOError.store(x.SetIOErrorHandler(onIOError), std::memory_order_release);
    }
    if (x.SetIOErrorExitHandler) x.SetIOErrorExitHandler(display, onConnectionExit, nullptr);
    return true;
}

void unwatchDisplay(const Xlib& x, Display* display) {
    std::lock_guard<std::mutex> guard(installLock);
    Slot* slot = slotOf(display);
    if (!slot) return;
    slot->display.store(nullptr, std::memory_order_release);
    if (--watched > 0) return;
    // Put the earlier handlers back, unless someone installed theirs over
    // ours meanwhile (they may chain to ours; it then stays).
    if (XErrorHandler current = x.SetErrorHandler(previousError.load()); current != onError) x.SetErrorHandler(current);
    if (ioHandlerInstalled) {
        if (XIOErrorHandler current = x.SetIOErrorHandler(previousIOError.load()); current != onIOError)
            x.SetIOErrorHandler(current);
        ioHandlerInstalled = false;
    }
}

unsigned errorCount(Display* display) {
    const Slot* slot = slotOf(display);
    return slot ? slot->errors.load(std::memory_order_relaxed) : 0;
}

bool connectionLost(Display* display) {
    const Slot* slot = slotOf(display);
    return slot && slot->lost.load(std::memory_order_acquire);
}

}  // namespace velora::gui::x11
