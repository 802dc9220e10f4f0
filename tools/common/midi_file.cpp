// SPDX-License-Identifier: MIT
#include "midi_file.h"

#include "input_file.h"

namespace velora::tools {
namespace {

// Bounds-checked cursor over one region of the file image. Every read checks
// the remaining length first; a failed read leaves an error message.
class ByteCursor {
public:
    ByteCursor(std::span<const std::uint8_t> bytes, std::size_t base) : bytes_(bytes), base_(base) {}

    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::size_t offset() const { return base_ + pos_; }

    bool byte(std::uint8_t& out) {
        if (remaining() < 1) return false;
        out = bytes_[pos_++];
        return true;
    }
    bool peek(std::uint8_t& out) const {
        if (remaining() < 1) return false;
        out = bytes_[pos_];
        return true;
    }
    bool bigEndian(std::size_t count, std::uint32_t& out) {
        if (remaining() < count) return false;
        out = 0;
        for (std::size_t i = 0; i < count; ++i) out = (out << 8) | bytes_[pos_++];
        return true;
    }
    // Variable-length quantity: at most four bytes, as the file format allows.
    bool variableLength(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t b = 0;
            if (!byte(b)) return false;
            out = (out << 7) | (b & 0x7Fu);
            if ((b & 0x80u) == 0) return true;
        }
        return false;
    }
    bool skip(std::size_t count) {
        if (remaining() < count) return false;
        pos_ += count;
        return true;
    }
    // At most `count` bytes; callers check remaining() first.
    std::span<const std::uint8_t> take(std::size_t count) {
        count = count < remaining() ? count : remaining();
        auto part = bytes_.subspan(pos_, count);
        pos_ += count;
        return part;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t base_;
    std::size_t pos_ = 0;
};

std::string at(std::size_t offset) { return " at byte " + std::to_string(offset); }

std::string hexByte(std::uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[value >> 4] + digits[value & 15];
}

MidiReadResult failure(std::string message) {
    MidiReadResult result;
    result.error = std::move(message);
    return result;
}

int dataBytesOf(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

constexpr std::uint8_t kMetaEvent = 0xFF;
constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExContinuation = 0xF7;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint32_t kFastestPlausibleTempo = 60000;  // microseconds per quarter note: 1000 BPM

// What a file reads leniently: each kind once, at its first occurrence.
class Warnings {
public:
    enum Kind {
        runningStatusAfterMeta,
        bytesAfterEnd,
        endWithLength,
        openSysEx,
        fastTempo,
        extraTracks,
        secondHeader,
        kKinds
    };
    void note(Kind kind, const std::string& text) {
        if (noted_[kind]) return;
        noted_[kind] = true;
        lines_.push_back(text);
    }
    std::vector<std::string> take() { return std::move(lines_); }

private:
    bool noted_[kKinds] = {};
    std::vector<std::string> lines_;
};

// The events of one MTrk chunk into `track`, within the file's event budget.
class TrackReader {
public:
    TrackReader(ByteCursor in, MidiTrack& track, std::size_t& eventBudget, Warnings& warnings)
        : in_(in), track_(track), budget_(eventBudget), warnings_(warnings) {}

    bool read(std::string& error) {
        while (!in_.atEnd() && !endOfTrack_) {
            if (!readEvent(error)) return false;
        }
        if (sysExOpenAt_) noteOpenSysEx();
        if (!in_.atEnd())
            warnings_.note(Warnings::bytesAfterEnd, std::to_string(in_.remaining()) + " bytes after End of Track" +
                                                        at(in_.offset()) + " ignored");
        track_.endTick = tick_;
        return true;
    }

private:
    bool readEvent(std::string& error) {
        const std::size_t eventStart = in_.offset();
        std::uint32_t delta = 0;
        if (!in_.variableLength(delta)) {
            error = "truncated or overlong delta time" + at(eventStart);
            return false;
        }
        tick_ += delta;
        std::uint8_t first = 0;
        if (!in_.peek(first)) {
            error = "track ends after a delta time" + at(in_.offset());
            return false;
        }
        if (first == kSysExContinuation) return readSysEx(eventStart, true, error);
        if (sysExOpenAt_) noteOpenSysEx();
        if (first == kSysEx) return readSysEx(eventStart, false, error);
        if (first == kMetaEvent) {
            in_.skip(1);
            afterMetaOrSysEx_ = true;
            return readMeta(error);
        }
        return readChannelMessage(first, eventStart, error);
    }

    // Skipped, but followed so that a message without its end byte is told.
    bool readSysEx(std::size_t eventStart, bool continuation, std::string& error) {
        in_.skip(1);
        afterMetaOrSysEx_ = true;
        std::uint32_t length = 0;
        if (!in_.variableLength(length) || in_.remaining() < length) {
            error = "truncated system-exclusive event" + at(eventStart);
            return false;
        }
        const auto body = in_.take(length);
        const bool ends = !body.empty() && body.back() == kSysExContinuation;
        if (!continuation)
            sysExOpenAt_ = ends ? 0 : eventStart + 1;  // +1: offset 0 means none
        else if (ends)
            sysExOpenAt_ = 0;
        return true;
    }

    void noteOpenSysEx() {
        warnings_.note(Warnings::openSysEx, "system-exclusive message without its end byte" + at(sysExOpenAt_ - 1));
        sysExOpenAt_ = 0;
    }

    // One meta event after its 0xFF byte; records tempo changes.
    bool readMeta(std::string& error) {
        const std::size_t start = in_.offset();
        std::uint8_t type = 0;
        std::uint32_t length = 0;
        if (!in_.byte(type) || !in_.variableLength(length) || in_.remaining() < length) {
            error = "truncated meta event" + at(start);
            return false;
        }
        auto body = in_.take(length);
        if (type == kMetaTempo) {
            if (length != 3) {
                error = "tempo event with length " + std::to_string(length) + at(start);
                return false;
            }
            const std::uint32_t micros = (std::uint32_t(body[0]) << 16) | (std::uint32_t(body[1]) << 8) | body[2];
            if (micros == 0) {
                error = "tempo of 0 microseconds per quarter note" + at(start);
                return false;
            }
            if (micros < kFastestPlausibleTempo)
                warnings_.note(Warnings::fastTempo, "tempo of " + std::to_string(micros) +
                                                        " microseconds per quarter note (above 1000 BPM)" + at(start));
            if (!spend(error)) return false;
            track_.tempoChanges.push_back({tick_, micros});
        } else if (type == kMetaEndOfTrack) {
            if (length != 0)
                warnings_.note(Warnings::endWithLength,
                               "End of Track with a length of " + std::to_string(length) + at(start));
            endOfTrack_ = true;
        }
        return true;
    }

    // Running status carries over meta and system-exclusive events, as
    // sequencers read it, though the format says they cancel it.
    bool readChannelMessage(std::uint8_t first, std::size_t eventStart, std::string& error) {
        std::uint8_t status = runningStatus_;
        if (first & 0x80) {
            if (first >= 0xF0) {
                error = "unexpected status byte " + hexByte(first) + at(in_.offset());
                return false;
            }
            in_.skip(1);
            status = first;
            runningStatus_ = first;
        } else if (status == 0) {
            error = "data byte without a status byte" + at(in_.offset());
            return false;
        } else if (afterMetaOrSysEx_) {
            warnings_.note(Warnings::runningStatusAfterMeta,
                           "running status after a meta or system-exclusive event" + at(in_.offset()));
        }
        afterMetaOrSysEx_ = false;
        ChannelMessage message;
        message.tick = tick_;
        message.bytes[0] = status;
        message.size = static_cast<std::uint8_t>(1 + dataBytesOf(status));
        for (int i = 1; i < message.size; ++i) {
            std::uint8_t data = 0;
            if (!in_.byte(data)) {
                error = "truncated channel message" + at(eventStart);
                return false;
            }
            if (data & 0x80) {
                error = "data byte above 127 in channel message" + at(in_.offset() - 1);
                return false;
            }
            message.bytes[i] = data;
        }
        if (!spend(error)) return false;
        track_.messages.push_back(message);
        return true;
    }

    bool spend(std::string& error) {
        if (budget_ == 0) {
            error = "more than " + std::to_string(kMaxMidiEvents) + " events" + at(in_.offset()) +
                    ", more than a MIDI file may hold here";
            return false;
        }
        --budget_;
        return true;
    }

    ByteCursor in_;
    MidiTrack& track_;
    std::size_t& budget_;
    Warnings& warnings_;
    std::uint64_t tick_ = 0;
    std::uint8_t runningStatus_ = 0;
    bool afterMetaOrSysEx_ = false;
    bool endOfTrack_ = false;
    std::size_t sysExOpenAt_ = 0;  // one past the offset of an unended message's event
};

bool isChunk(std::span<const std::uint8_t> id, const char* name) {
    for (int i = 0; i < 4; ++i)
        if (id[i] != static_cast<std::uint8_t>(name[i])) return false;
    return true;
}

// MTrk chunks after the declared tracks, as far as the chunks are whole.
std::size_t countTrackChunks(ByteCursor& in, Warnings& warnings) {
    std::size_t count = 0;
    while (in.remaining() >= 8) {
        const std::size_t chunkStart = in.offset();
        auto id = in.take(4);
        std::uint32_t length = 0;
        in.bigEndian(4, length);
        if (!in.skip(length)) break;
        if (isChunk(id, "MTrk")) ++count;
        if (isChunk(id, "MThd"))
            warnings.note(Warnings::secondHeader, "a second MThd header" + at(chunkStart) + " ignored");
    }
    return count;
}

}  // namespace

MidiReadResult parseMidiFile(std::span<const std::uint8_t> bytes) {
    ByteCursor in(bytes, 0);
    std::uint32_t headerLength = 0, format = 0, trackCount = 0, division = 0;
    if (in.remaining() < 8 || !isChunk(in.take(4), "MThd")) return failure("not a Standard MIDI File (no MThd header)");
    in.bigEndian(4, headerLength);
    if (headerLength < 6) return failure("MIDI header chunk too short");
    if (in.remaining() < headerLength) return failure("truncated MIDI header chunk");
    in.bigEndian(2, format);
    in.bigEndian(2, trackCount);
    in.bigEndian(2, division);
    in.skip(headerLength - 6);

    if (format > 1) return failure("MIDI file format " + std::to_string(format) + " is not supported (only 0 and 1)");
    if (division & 0x8000u) return failure("SMPTE time division is not supported (only ticks per quarter note)");
    if (division == 0) return failure("MIDI file has 0 ticks per quarter note");
    if (trackCount == 0) return failure("MIDI file has no tracks");
    if (format == 0 && trackCount != 1)
        return failure("format 0 MIDI file declares " + std::to_string(trackCount) + " tracks");

    MidiFile file;
    file.format = static_cast<int>(format);
    file.ticksPerQuarter = static_cast<int>(division);
    Warnings warnings;
    std::size_t eventBudget = kMaxMidiEvents;
    while (file.tracks.size() < trackCount) {
        const std::size_t chunkStart = in.offset();
        if (in.remaining() < 8)
            return failure("MIDI file ends after " + std::to_string(file.tracks.size()) + " of " +
                           std::to_string(trackCount) + " tracks");
        auto id = in.take(4);
        std::uint32_t length = 0;
        in.bigEndian(4, length);
        if (in.remaining() < length)
            return failure("chunk length " + std::to_string(length) + " runs past the end of the file" +
                           at(chunkStart));
        const std::size_t bodyStart = in.offset();
        auto body = in.take(length);
        if (isChunk(id, "MThd"))
            warnings.note(Warnings::secondHeader, "a second MThd header" + at(chunkStart) + " ignored");
        if (!isChunk(id, "MTrk")) continue;  // unknown chunks are skipped
        MidiTrack track;
        std::string error;
        if (!TrackReader(ByteCursor(body, bodyStart), track, eventBudget, warnings).read(error)) return failure(error);
        file.tracks.push_back(std::move(track));
    }
    if (const std::size_t extra = countTrackChunks(in, warnings); extra > 0)
        warnings.note(Warnings::extraTracks, std::to_string(extra) + " track chunks beyond the " +
                                                 std::to_string(trackCount) + " the header declares ignored");
    MidiReadResult result;
    result.file = std::move(file);
    result.warnings = warnings.take();
    return result;
}

MidiReadResult readMidiFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readInputFile(path, kMaxMidiFileBytes, "a MIDI file", bytes, error)) return failure(error);
    MidiReadResult result = parseMidiFile(bytes);
    if (!result.file) result.error = path + ": " + result.error;
    for (std::string& warning : result.warnings) warning = path + ": " + warning;
    return result;
}

}  // namespace velora::tools
