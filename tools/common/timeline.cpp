// SPDX-License-Identifier: MIT
#include "timeline.h"

#include <algorithm>

namespace velora::tools {
namespace {

struct TickedMessage {
    ChannelMessage message;
    std::size_t track;
    std::size_t order;
};

// Tempo changes of all tracks by tick; at equal ticks the later one wins.
std::vector<TempoChange> mergedTempoMap(const MidiFile& file) {
    std::vector<TempoChange> changes;
    for (const MidiTrack& track : file.tracks)
        changes.insert(changes.end(), track.tempoChanges.begin(), track.tempoChanges.end());
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    return changes;
}

constexpr std::uint64_t kMicrosPerSecond = 1000000;
// Keeps rest x rate in sampleOfTime within 64 bits for any time division.
constexpr std::uint32_t kMaxSampleRate = 10000000;

}  // namespace

bool Timeline::timeOfTick(std::uint64_t tick, std::uint64_t& time) const {
    auto next = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                 [](std::uint64_t t, const Segment& s) { return t < s.startTick; });
    const Segment& segment = *(next - 1);
    std::uint64_t span = 0;
    return !__builtin_mul_overflow(tick - segment.startTick, std::uint64_t(segment.microsPerQuarter), &span) &&
           !__builtin_add_overflow(segment.startTime, span, &time) && time <= std::uint64_t(INT64_MAX);
}

// samples = floor(time x rate / (ticksPerQuarter x 1e6)), split so that no
// intermediate product overflows. An event between two samples lands on the
// earlier one, as DAWs place it (Ardour's export of the same file matches).
std::int64_t Timeline::sampleOfTime(std::uint64_t time) const {
    const std::uint64_t unit = std::uint64_t(ticksPerQuarter_) * kMicrosPerSecond;
    const std::uint64_t whole = time / unit;
    const std::uint64_t rest = time % unit;
    const std::uint64_t fraction = rest * sampleRate_ / unit;
    std::uint64_t samples = 0;
    if (__builtin_mul_overflow(whole, std::uint64_t(sampleRate_), &samples) ||
        __builtin_add_overflow(samples, fraction, &samples) || samples > std::uint64_t(INT64_MAX))
        return -1;
    return static_cast<std::int64_t>(samples);
}

std::int64_t Timeline::sampleAtTick(std::uint64_t tick) const {
    std::uint64_t time = 0;
    return timeOfTick(tick, time) ? sampleOfTime(time) : -1;
}

std::optional<Timeline> Timeline::build(const MidiFile& file, std::uint32_t sampleRate,
                                        std::uint32_t initialMicrosPerQuarter, std::string& error) {
    if (sampleRate == 0 || sampleRate > kMaxSampleRate || file.ticksPerQuarter <= 0 || initialMicrosPerQuarter == 0) {
        error = "invalid sample rate or time division";
        return std::nullopt;
    }
    Timeline timeline;
    timeline.sampleRate_ = sampleRate;
    timeline.ticksPerQuarter_ = static_cast<std::uint32_t>(file.ticksPerQuarter);
    timeline.segments_.push_back({0, initialMicrosPerQuarter, 0, 0});
    const std::string tooLong = "MIDI file is too long to render";
    for (const TempoChange& change : mergedTempoMap(file)) {
        std::uint64_t time = 0;
        if (!timeline.timeOfTick(change.tick, time)) {
            error = tooLong;
            return std::nullopt;
        }
        Segment& last = timeline.segments_.back();
        if (last.startTick == change.tick)
            last.microsPerQuarter = change.microsPerQuarter;
        else
            timeline.segments_.push_back({change.tick, change.microsPerQuarter, time, timeline.sampleOfTime(time)});
    }

    std::vector<TickedMessage> all;
    std::uint64_t endTick = 0;
    for (std::size_t t = 0; t < file.tracks.size(); ++t) {
        const MidiTrack& track = file.tracks[t];
        endTick = std::max(endTick, track.endTick);
        for (std::size_t i = 0; i < track.messages.size(); ++i) all.push_back({track.messages[i], t, i});
    }
    // Equal ticks keep track order, then file order within the track.
    std::sort(all.begin(), all.end(), [](const TickedMessage& a, const TickedMessage& b) {
        if (a.message.tick != b.message.tick) return a.message.tick < b.message.tick;
        return a.track != b.track ? a.track < b.track : a.order < b.order;
    });
    timeline.messages_.reserve(all.size());
    for (const TickedMessage& m : all) {
        TimedMessage timed;
        timed.sample = timeline.sampleAtTick(m.message.tick);
        if (timed.sample < 0) {
            error = tooLong;
            return std::nullopt;
        }
        std::copy(m.message.bytes, m.message.bytes + 3, timed.bytes);
        timed.size = m.message.size;
        timeline.messages_.push_back(timed);
    }
    timeline.endSample_ = timeline.sampleAtTick(endTick);
    if (timeline.endSample_ < 0) {
        error = tooLong;
        return std::nullopt;
    }
    return timeline;
}

const Timeline::Segment& Timeline::segmentAtSample(std::int64_t sample) const {
    auto next = std::upper_bound(segments_.begin(), segments_.end(), sample,
                                 [](std::int64_t s, const Segment& seg) { return s < seg.startSample; });
    return next == segments_.begin() ? segments_.front() : *(next - 1);
}

double Timeline::tempoAt(std::int64_t sample) const {
    return 60.0e6 / static_cast<double>(segmentAtSample(sample).microsPerQuarter);
}

double Timeline::ppqAt(std::int64_t sample) const {
    const Segment& segment = segmentAtSample(sample);
    const double segmentSeconds =
        static_cast<double>(segment.startTime) / (static_cast<double>(ticksPerQuarter_) * double(kMicrosPerSecond));
    const double seconds = static_cast<double>(sample) / static_cast<double>(sampleRate_);
    const double quarters =
        static_cast<double>(segment.startTick) / static_cast<double>(ticksPerQuarter_) +
        (seconds - segmentSeconds) * double(kMicrosPerSecond) / static_cast<double>(segment.microsPerQuarter);
    return quarters < 0.0 ? 0.0 : quarters;
}

}  // namespace velora::tools
