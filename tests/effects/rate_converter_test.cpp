// SPDX-License-Identifier: MIT
// The rate converter between the engine and the host: its kernel's pass and
// stop bands, the accuracy and delay of converted tones, independence from
// the host's block sizes, and where events land in engine samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

#include "effects/rate_converter.h"
#include "effects/resampling_kernel.h"

namespace velora::effects {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Response at f (cycles per input sample) of the kernel as one filter at
// kKernelPhases times the input rate, scaled to a gain of 1 in the pass band.
double kernelGainDecibels(const ResamplingKernel& k, double f) {
    std::complex<double> sum = 0.0;
    for (int p = 0; p < k.phases; ++p)
        for (int t = 0; t < k.taps; ++t) {
            const double tau = double(p) / k.phases + double(k.taps - 1 - t) - 0.5 * k.taps;
            sum += double(k.row(p)[t]) * std::polar(1.0, -2.0 * kPi * f * tau);
        }
    return 20.0 * std::log10(std::abs(sum) / k.phases + 1e-300);
}

class KernelBands : public ::testing::TestWithParam<double> {};

TEST_P(KernelBands, PassesTwentyKilohertzAndStopsEverythingAboveHalfTheLowerRate) {
    const double out = GetParam(), scale = std::min(1.0, out / 44100.0);
    const ResamplingKernel k = designKernel(44100.0, out);
    ASSERT_EQ(k.taps % 4, 0);
    for (double f = 0.0; f <= 20000.0 / 44100.0 * scale; f += 0.05 * scale)
        EXPECT_NEAR(kernelGainDecibels(k, f), 0.0, 0.001) << f * 44100.0 << " Hz";
    // Images of the pass band (and anything else above half the lower rate),
    // out to where the highest output rate could still show them.
    for (double f = 0.5 * scale; f <= 2.2; f += 0.0173)
        EXPECT_LT(kernelGainDecibels(k, f), -kStopBandDecibels) << f * 44100.0 << " Hz";
}

INSTANTIATE_TEST_SUITE_P(HostRates, KernelBands, ::testing::Values(48000.0, 96000.0, 32000.0, 22050.0));

// Renders a sine of `hz` at the engine's rate and counts what it rendered.
class SineSource : public RateSource {
public:
    explicit SineSource(double hz) : hz_(hz) {}
    void renderEngine(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++rendered) {
            left[i] = static_cast<float>(0.5 * std::sin(2.0 * kPi * hz_ * double(rendered) / 44100.0));
            right[i] = -left[i];
        }
    }
    long long rendered = 0;

private:
    double hz_;
};

std::vector<float> convert(RateConverter& c, SineSource& source, int frames, const std::vector<int>& blocks) {
    std::vector<float> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
    for (int done = 0, b = 0; done < frames; ++b) {
        const int n = std::min(blocks[std::size_t(b) % blocks.size()], frames - done);
        c.process(left.data() + done, right.data() + done, n, source);
        done += n;
        EXPECT_EQ(right[std::size_t(done - 1)], -left[std::size_t(done - 1)]);
    }
    return left;
}

struct ToneCase {
    float rate;
    double hz;
};

class ConvertedTones : public ::testing::TestWithParam<ToneCase> {};

// The output's clamp at the input's peak shaves crests that the pass band's
// ripple lifts above it, so a tone sampled on its crests keeps -72 dB.
TEST_P(ConvertedTones, ArriveExactlyLatencySamplesLateAndWithinMinus72Decibels) {
    const ToneCase t = GetParam();
    RateConverter c;
    c.setHostRate(t.rate);
    ASSERT_TRUE(c.active());
    EXPECT_EQ(c.engineRate(), 44100.0f);
    SineSource source(t.hz);
    const int frames = static_cast<int>(t.rate / 4);
    const std::vector<float> out = convert(c, source, frames, {512});
    double error = 0.0, power = 0.0;
    for (int n = c.latency() + 400; n < frames; ++n) {
        const double ideal = 0.5 * std::sin(2.0 * kPi * t.hz * double(n - c.latency()) / double(t.rate));
        error += (out[std::size_t(n)] - ideal) * (out[std::size_t(n)] - ideal);
        power += ideal * ideal;
    }
    EXPECT_LT(10.0 * std::log10(error / power), -72.0) << t.rate << " Hz, tone " << t.hz;
}

INSTANTIATE_TEST_SUITE_P(Rates, ConvertedTones,
                         ::testing::Values(ToneCase{48000.0f, 1000.0}, ToneCase{48000.0f, 17000.0},
                                           ToneCase{88200.0f, 5000.0}, ToneCase{96000.0f, 19000.0},
                                           ToneCase{192000.0f, 3000.0}, ToneCase{32000.0f, 9000.0},
                                           ToneCase{22050.0f, 440.0}, ToneCase{47999.0f, 12000.0}));

TEST(RateConverter, GivesTheSameSamplesWhateverTheBlockSizesAndRendersNoFurtherThanNeeded) {
    for (float rate : {48000.0f, 96000.0f, 22050.0f}) {
        RateConverter whole, pieces;
        whole.setHostRate(rate);
        pieces.setHostRate(rate);
        SineSource a(3000.0), b(3000.0);
        const int frames = 20000;
        const std::vector<float> one = convert(whole, a, frames, {4096});
        const std::vector<float> many = convert(pieces, b, frames, {1, 7, 300, 2048, 13});
        EXPECT_EQ(one, many) << rate;
        // The last host sample reads engine samples up to its kernel's far end, no further.
        const double centre = (frames - 1 - whole.latency()) * 44100.0 / rate;
        EXPECT_LE(double(a.rendered), centre + 0.5 * designKernel(44100.0, rate).taps + 1.0) << rate;
        EXPECT_EQ(a.rendered, b.rendered) << rate;
    }
}

// Full-scale runs of +1, +1, -1 (a clipped, harsh signal) ring between their
// samples far beyond 1 once band-limited; the output stays within the input's peak.
class ClippedSource : public RateSource {
public:
    void renderEngine(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++n) left[i] = right[i] = (n % 3 == 2) ? -0.8f : 0.8f;
    }
    long long n = 0;
};

TEST(RateConverter, NeverExceedsThePeakOfWhatTheEngineRendered) {
    for (float rate : {48000.0f, 96000.0f, 47999.0f}) {
        RateConverter c;
        c.setHostRate(rate);
        ClippedSource source;
        std::vector<float> l(30000), r(30000);
        c.process(l.data(), r.data(), 30000, source);
        float peak = 0.0f;
        for (float v : l) peak = std::max(peak, std::fabs(v));
        EXPECT_EQ(peak, 0.8f) << rate;
    }
}

TEST(RateConverter, PlacesEventsOnTheNearestEngineSample) {
    RateConverter c;
    c.setHostRate(48000.0f);
    EXPECT_EQ(c.engineOffset(0), 0);
    EXPECT_EQ(c.engineOffset(-5), 0);
    EXPECT_EQ(c.engineOffset(480), 441);  // 10 ms
    EXPECT_EQ(c.engineOffset(1), 1);      // 0.919 engine samples
    SineSource source(100.0);
    std::vector<float> l(1000), r(1000);
    c.process(l.data(), r.data(), 1000, source);
    // Host sample 1000 + 480 is engine instant 1359.75, counted from what is rendered.
    EXPECT_EQ(c.engineOffset(480), 1360 - source.rendered);
    EXPECT_GE(c.engineOffset(0), 0);
}

TEST(RateConverter, StandsAsideAtTheDesignRateAndBelowTheLowestConvertedRate) {
    for (float rate : {44100.0f, 22049.0f, 8000.0f}) {
        RateConverter c;
        c.setHostRate(48000.0f);
        c.setHostRate(rate);
        EXPECT_FALSE(c.active()) << rate;
        EXPECT_EQ(c.engineRate(), rate);
        EXPECT_EQ(c.latency(), 0);
        EXPECT_EQ(c.engineOffset(37), 37);
    }
    RateConverter c;
    for (float unusable : {0.0f, -48000.0f, NAN, INFINITY}) c.setHostRate(unusable);
    EXPECT_FALSE(c.active());
    EXPECT_EQ(c.engineRate(), 44100.0f);
}

TEST(RateConverter, ReportsTheKernelsHalfLengthInWholeHostSamples) {
    for (float rate : {48000.0f, 96000.0f, 192000.0f, 32000.0f}) {
        RateConverter c;
        c.setHostRate(rate);
        const int taps = designKernel(44100.0, rate).taps;
        EXPECT_EQ(c.latency(), static_cast<int>(taps / 2 * static_cast<long long>(rate) / 44100)) << rate;
    }
}

}  // namespace
}  // namespace velora::effects
