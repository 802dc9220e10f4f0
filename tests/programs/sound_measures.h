#pragma once
// Loudness and spectrum measures of rendered stereo audio, for listening to
// the factory sounds through numbers.
#include <cstddef>
#include <vector>

namespace velora::test {

struct Stereo {
    std::vector<float> left, right;
    std::size_t frames() const { return left.size(); }
};

// Largest |sample| of either channel in decibels re full scale (-inf for silence).
double peakDecibels(const Stereo& audio);

// Share of samples (of both channels) whose magnitude reaches ceiling.
double shareAtCeiling(const Stereo& audio, float ceiling);

// RMS of both channels over [first, first + count) frames, in decibels.
double windowDecibels(const Stereo& audio, std::size_t first, std::size_t count);

// Loudest RMS of consecutive windows of `count` frames within [0, end).
double loudestWindowDecibels(const Stereo& audio, std::size_t end, std::size_t count);

// Power-weighted mean frequency in Hz of the mid signal over [first, first + count).
double spectralCentroid(const Stereo& audio, std::size_t first, std::size_t count, double sampleRate);

// True when every sample is finite.
bool allFinite(const Stereo& audio);

}  // namespace velora::test
