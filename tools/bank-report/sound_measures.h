// SPDX-License-Identifier: MIT
#pragma once
// Loudness, stereo image and spectrum measures of rendered stereo audio, for
// judging the factory sounds through numbers.
#include <cstddef>
#include <vector>

namespace velora::sound {

struct Stereo {
    std::vector<float> left, right;
    std::size_t frames() const { return left.size(); }
};

// Largest |sample| of either channel in decibels re full scale (-inf for silence).
double peakDecibels(const Stereo& audio);

// Samples (of both channels) whose magnitude reaches ceiling, and their share.
std::size_t samplesAtCeiling(const Stereo& audio, float ceiling);
double shareAtCeiling(const Stereo& audio, float ceiling);

// RMS of both channels over [first, first + count) frames, in decibels.
double windowDecibels(const Stereo& audio, std::size_t first, std::size_t count);

// Loudest RMS of windows of `count` frames that start every `hop` frames
// within [first, end); hop 0 means back-to-back windows.
double loudestWindowDecibels(const Stereo& audio, std::size_t first, std::size_t end, std::size_t count,
                             std::size_t hop = 0);

// Normalised L/R correlation over [first, first + count): 1 mono, 0
// unrelated, -1 anti-phase.
double correlation(const Stereo& audio, std::size_t first, std::size_t count);

// Level of the left channel over the right one in dB over [first, first + count).
double balanceDecibels(const Stereo& audio, std::size_t first, std::size_t count);

// Power-weighted mean frequency in Hz of the mid signal over [first, first + count).
double spectralCentroid(const Stereo& audio, std::size_t first, std::size_t count, double sampleRate);

// Magnitude spectrum in dB of the mid signal over `size` frames from first
// (size a power of two), through a Blackman-Harris window: bin k is k x rate / size.
std::vector<double> spectrumDecibels(const Stereo& audio, std::size_t first, std::size_t size);

// Power of both channels above `lowHz` and in all, over [first, first +
// count) through a Hann window, per frame and bin (in the same units for
// any count, so that stretches of sound can be compared).
struct BandPower {
    double band = 0.0, total = 0.0;
};
BandPower bandPower(const Stereo& audio, std::size_t first, std::size_t count, double sampleRate, double lowHz);

// A power in decibels (-inf for zero).
double powerDecibels(double power);

// True when every sample is finite.
bool allFinite(const Stereo& audio);

}  // namespace velora::sound
