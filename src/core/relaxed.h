// SPDX-License-Identifier: MIT
#pragma once
// A value that one thread writes and another reads, sample by sample, without
// locks. Relaxed ordering compiles to plain loads and stores on x86 but keeps
// the sharing free of data races.
#include <atomic>

namespace velora {

template <typename T>
class Relaxed {
public:
    constexpr Relaxed() noexcept : value_(T{}) {}
    constexpr Relaxed(T v) noexcept : value_(v) {}
    Relaxed(const Relaxed& other) noexcept : value_(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept {
        store(other.load());
        return *this;
    }
    Relaxed& operator=(T v) noexcept {
        store(v);
        return *this;
    }

    T load() const noexcept { return value_.load(std::memory_order_relaxed); }
    void store(T v) noexcept { value_.store(v, std::memory_order_relaxed); }
    T exchange(T v) noexcept { return value_.exchange(v, std::memory_order_relaxed); }
    operator T() const noexcept { return load(); }

private:
    static_assert(std::atomic<T>::is_always_lock_free, "shared engine values must be lock-free");
    std::atomic<T> value_;
};

}  // namespace velora
