// SPDX-License-Identifier: MIT
#include "sound_measures.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace velora::sound {
namespace {

constexpr double kMinusInfinity = -std::numeric_limits<double>::infinity();

double toDecibels(double amplitude) { return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : kMinusInfinity; }

std::size_t clampedEnd(const Stereo& audio, std::size_t first, std::size_t count) {
    return std::min(audio.frames(), first + count);
}

// In-place radix-2 transform; size must be a power of two.
void fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

// Mid signal of `length` frames from first (all of `size` unless shorter),
// shaped by `window`, zero-padded to `size` and transformed.
std::vector<std::complex<double>> midSpectrum(const Stereo& audio, std::size_t first, std::size_t size,
                                              double (*window)(std::size_t, std::size_t), std::size_t length = 0) {
    if (length == 0 || length > size) length = size;
    std::vector<std::complex<double>> bins(size);
    for (std::size_t i = 0; i < length && first + i < audio.frames(); ++i)
        bins[i] = window(i, length) * 0.5 * (double(audio.left[first + i]) + audio.right[first + i]);
    fft(bins);
    return bins;
}

double hann(std::size_t i, std::size_t n) {
    return 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n));
}

// Four-term Blackman-Harris: side lobes below -92 dB, so a loud partial never
// hides or fakes a quiet one a few bins away.
double blackmanHarris(std::size_t i, std::size_t n) {
    const double x = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
    return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
}

}  // namespace

double peakDecibels(const Stereo& audio) {
    float peak = 0.0f;
    for (std::size_t i = 0; i < audio.frames(); ++i)
        peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    return toDecibels(peak);
}

std::size_t samplesAtCeiling(const Stereo& audio, float ceiling) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < audio.frames(); ++i)
        count += (std::fabs(audio.left[i]) >= ceiling) + (std::fabs(audio.right[i]) >= ceiling);
    return count;
}

double shareAtCeiling(const Stereo& audio, float ceiling) {
    if (audio.frames() == 0) return 0.0;
    return static_cast<double>(samplesAtCeiling(audio, ceiling)) / (2.0 * static_cast<double>(audio.frames()));
}

double windowDecibels(const Stereo& audio, std::size_t first, std::size_t count) {
    const std::size_t end = clampedEnd(audio, first, count);
    if (end <= first) return kMinusInfinity;
    double sum = 0.0;
    for (std::size_t i = first; i < end; ++i)
        sum += double(audio.left[i]) * audio.left[i] + double(audio.right[i]) * audio.right[i];
    return toDecibels(std::sqrt(sum / (2.0 * static_cast<double>(end - first))));
}

double loudestWindowDecibels(const Stereo& audio, std::size_t first, std::size_t end, std::size_t count,
                             std::size_t hop) {
    if (hop == 0) hop = count;
    double loudest = kMinusInfinity;
    for (std::size_t at = first; at + count <= std::min(end, audio.frames()); at += hop)
        loudest = std::max(loudest, windowDecibels(audio, at, count));
    return loudest;
}

double correlation(const Stereo& audio, std::size_t first, std::size_t count) {
    double lr = 0.0, ll = 0.0, rr = 0.0;
    for (std::size_t i = first; i < clampedEnd(audio, first, count); ++i) {
        lr += double(audio.left[i]) * audio.right[i];
        ll += double(audio.left[i]) * audio.left[i];
        rr += double(audio.right[i]) * audio.right[i];
    }
    return ll > 0.0 && rr > 0.0 ? lr / std::sqrt(ll * rr) : 0.0;
}

double balanceDecibels(const Stereo& audio, std::size_t first, std::size_t count) {
    double ll = 0.0, rr = 0.0;
    for (std::size_t i = first; i < clampedEnd(audio, first, count); ++i) {
        ll += double(audio.left[i]) * audio.left[i];
        rr += double(audio.right[i]) * audio.right[i];
    }
    return ll > 0.0 && rr > 0.0 ? 10.0 * std::log10(ll / rr) : 0.0;
}

double spectralCentroid(const Stereo& audio, std::size_t first, std::size_t count, double sampleRate) {
    // Frames of the same duration at every rate (4096 samples at 44.1 kHz),
    // so that rates are compared over the same stretches of the sound.
    const std::size_t frame = static_cast<std::size_t>(std::llround(4096.0 * sampleRate / 44100.0));
    const std::size_t size = std::bit_ceil(std::max<std::size_t>(frame, 2));
    double weighted = 0.0, total = 0.0;
    for (std::size_t start = first; start + frame <= clampedEnd(audio, first, count); start += frame) {
        const std::vector<std::complex<double>> bins = midSpectrum(audio, start, size, hann, frame);
        for (std::size_t k = 1; k < size / 2; ++k) {
            const double power = std::norm(bins[k]);
            weighted += power * static_cast<double>(k) * sampleRate / static_cast<double>(size);
            total += power;
        }
    }
    return total > 0.0 ? weighted / total : 0.0;
}

std::vector<double> spectrumDecibels(const Stereo& audio, std::size_t first, std::size_t size) {
    const std::vector<std::complex<double>> bins = midSpectrum(audio, first, size, blackmanHarris);
    std::vector<double> decibels(size / 2 + 1);
    for (std::size_t k = 0; k < decibels.size(); ++k) decibels[k] = toDecibels(std::abs(bins[k]));
    return decibels;
}

BandPower bandPower(const Stereo& audio, std::size_t first, std::size_t count, double sampleRate, double lowHz) {
    BandPower p;
    const std::size_t end = clampedEnd(audio, first, count);
    if (end <= first) return p;
    const std::size_t length = end - first, size = std::bit_ceil(std::max<std::size_t>(length, 2));
    for (const std::vector<float>* channel : {&audio.left, &audio.right}) {
        std::vector<std::complex<double>> bins(size);
        for (std::size_t i = 0; i < length; ++i) bins[i] = hann(i, length) * double((*channel)[first + i]);
        fft(bins);
        for (std::size_t k = 1; k < size / 2; ++k) {
            const double power = std::norm(bins[k]) / (static_cast<double>(size) * static_cast<double>(length));
            p.total += power;
            if (static_cast<double>(k) * sampleRate / static_cast<double>(size) >= lowHz) p.band += power;
        }
    }
    return p;
}

double powerDecibels(double power) { return power > 0.0 ? 10.0 * std::log10(power) : kMinusInfinity; }

bool allFinite(const Stereo& audio) {
    for (std::size_t i = 0; i < audio.frames(); ++i)
        if (!std::isfinite(audio.left[i]) || !std::isfinite(audio.right[i])) return false;
    return true;
}

}  // namespace velora::sound
