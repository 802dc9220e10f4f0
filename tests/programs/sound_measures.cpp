#include "sound_measures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

namespace velora::test {
namespace {

double toDecibels(double amplitude) {
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -std::numeric_limits<double>::infinity();
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
        const double angle = -2.0 * M_PI / static_cast<double>(len);
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

}  // namespace

double peakDecibels(const Stereo& audio) {
    float peak = 0.0f;
    for (std::size_t i = 0; i < audio.frames(); ++i)
        peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    return toDecibels(peak);
}

double shareAtCeiling(const Stereo& audio, float ceiling) {
    if (audio.frames() == 0) return 0.0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < audio.frames(); ++i)
        count += (std::fabs(audio.left[i]) >= ceiling) + (std::fabs(audio.right[i]) >= ceiling);
    return static_cast<double>(count) / (2.0 * static_cast<double>(audio.frames()));
}

double windowDecibels(const Stereo& audio, std::size_t first, std::size_t count) {
    const std::size_t end = std::min(audio.frames(), first + count);
    if (end <= first) return -std::numeric_limits<double>::infinity();
    double sum = 0.0;
    for (std::size_t i = first; i < end; ++i)
        sum += double(audio.left[i]) * audio.left[i] + double(audio.right[i]) * audio.right[i];
    return toDecibels(std::sqrt(sum / (2.0 * static_cast<double>(end - first))));
}

double loudestWindowDecibels(const Stereo& audio, std::size_t end, std::size_t count) {
    double loudest = -std::numeric_limits<double>::infinity();
    for (std::size_t first = 0; first + count <= std::min(end, audio.frames()); first += count)
        loudest = std::max(loudest, windowDecibels(audio, first, count));
    return loudest;
}

double spectralCentroid(const Stereo& audio, std::size_t first, std::size_t count, double sampleRate) {
    constexpr std::size_t kFrame = 4096;
    double weighted = 0.0, total = 0.0;
    for (std::size_t start = first; start + kFrame <= std::min(audio.frames(), first + count); start += kFrame) {
        std::vector<std::complex<double>> bins(kFrame);
        for (std::size_t i = 0; i < kFrame; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / kFrame);
            bins[i] = hann * 0.5 * (double(audio.left[start + i]) + audio.right[start + i]);
        }
        fft(bins);
        for (std::size_t k = 1; k < kFrame / 2; ++k) {
            const double power = std::norm(bins[k]);
            weighted += power * static_cast<double>(k) * sampleRate / kFrame;
            total += power;
        }
    }
    return total > 0.0 ? weighted / total : 0.0;
}

bool allFinite(const Stereo& audio) {
    for (std::size_t i = 0; i < audio.frames(); ++i)
        if (!std::isfinite(audio.left[i]) || !std::isfinite(audio.right[i])) return false;
    return true;
}

}  // namespace velora::test
