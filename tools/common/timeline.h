// SPDX-License-Identifier: MIT
#pragma once
// A MIDI file laid out in samples: all tracks merged into one time-ordered
// list of channel messages, with the tempo map for position queries.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "midi_file.h"

namespace velora::tools {

struct TimedMessage {
    std::int64_t sample = 0;  // first sample at or after the message's exact time
    std::uint8_t bytes[3] = {0, 0, 0};
    std::uint8_t size = 0;
};

inline constexpr std::uint32_t kDefaultMicrosPerQuarter = 500000;  // 120 BPM

class Timeline {
public:
    // Tempo before the file's first tempo change is `initialMicrosPerQuarter`.
    // Fails (with `error`) when a position does not fit 64-bit sample counts.
    static std::optional<Timeline> build(const MidiFile& file, std::uint32_t sampleRate,
                                         std::uint32_t initialMicrosPerQuarter, std::string& error);

    const std::vector<TimedMessage>& messages() const { return messages_; }
    // Sample of the file's last event of any kind (end-of-track included).
    std::int64_t endSample() const { return endSample_; }
    std::uint32_t sampleRate() const { return sampleRate_; }

    // Tempo in beats per minute in force at `sample`.
    double tempoAt(std::int64_t sample) const;
    // Position in quarter notes at `sample`.
    double ppqAt(std::int64_t sample) const;
    // First sample at or after the exact time of `tick`; -1 if out of range.
    std::int64_t sampleAtTick(std::uint64_t tick) const;

private:
    struct Segment {
        std::uint64_t startTick;
        std::uint32_t microsPerQuarter;
        std::uint64_t startTime;  // exact time in microsecond-ticks: sum of ticks x micros per quarter
        std::int64_t startSample;
    };
    const Segment& segmentAtSample(std::int64_t sample) const;
    bool timeOfTick(std::uint64_t tick, std::uint64_t& time) const;
    std::int64_t sampleOfTime(std::uint64_t time) const;

    std::vector<Segment> segments_;
    std::vector<TimedMessage> messages_;
    std::int64_t endSample_ = 0;
    std::uint32_t sampleRate_ = 44100;
    std::uint32_t ticksPerQuarter_ = 480;
};

}  // namespace velora::tools
