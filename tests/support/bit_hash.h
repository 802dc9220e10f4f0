// SPDX-License-Identifier: MIT
#pragma once
// Renders pinned bit for bit: an FNV-1a hash over the sample bit patterns for
// stored hashes, and a comparison that names the first differing sample.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <span>

namespace velora::test {

class BitHash {
public:
    void add(float sample) {
        value_ ^= std::bit_cast<std::uint32_t>(sample);
        value_ *= 1099511628211ull;
    }
    void add(std::span<const float> samples) {
        for (float x : samples) add(x);
    }
    std::uint64_t value() const { return value_; }

private:
    std::uint64_t value_ = 1469598103934665603ull;
};

inline ::testing::AssertionResult sameBits(std::span<const float> expected, std::span<const float> actual) {
    if (expected.size() != actual.size())
        return ::testing::AssertionFailure() << expected.size() << " samples expected, " << actual.size() << " given";
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (std::bit_cast<std::uint32_t>(expected[i]) != std::bit_cast<std::uint32_t>(actual[i]))
            return ::testing::AssertionFailure() << "first difference at sample " << i << ": " << expected[i]
                                                 << " expected, " << actual[i] << " given";
    return ::testing::AssertionSuccess();
}

}  // namespace velora::test
