#include "midi_file.h"

#include <fstream>
#include <iterator>

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

// Reads one meta event after its 0xFF byte; records tempo changes.
bool readMeta(ByteCursor& in, std::uint64_t tick, MidiTrack& track, bool& endOfTrack,
              std::string& error) {
    const std::size_t start = in.offset();
    std::uint8_t type = 0;
    std::uint32_t length = 0;
    if (!in.byte(type) || !in.variableLength(length) || in.remaining() < length) {
        error = "truncated meta event" + at(start);
        return false;
    }
    auto body = in.take(length);
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
        track.tempoChanges.push_back({tick, micros});
    } else if (type == kMetaEndOfTrack) {
        endOfTrack = true;
    }
    return true;
}

// Parses the events of one MTrk chunk. Running status carries over meta and
// system-exclusive events, which some writers rely on.
bool readTrack(ByteCursor in, MidiTrack& track, std::string& error) {
    std::uint64_t tick = 0;
    std::uint8_t runningStatus = 0;
    bool endOfTrack = false;
    while (!in.atEnd() && !endOfTrack) {
        const std::size_t eventStart = in.offset();
        std::uint32_t delta = 0;
        if (!in.variableLength(delta)) {
            error = "truncated or overlong delta time" + at(eventStart);
            return false;
        }
        tick += delta;
        std::uint8_t first = 0;
        if (!in.peek(first)) {
            error = "track ends after a delta time" + at(in.offset());
            return false;
        }
        if (first == kMetaEvent) {
            in.skip(1);
            if (!readMeta(in, tick, track, endOfTrack, error)) return false;
        } else if (first == kSysEx || first == kSysExContinuation) {
            in.skip(1);
            std::uint32_t length = 0;
            if (!in.variableLength(length) || !in.skip(length)) {
                error = "truncated system-exclusive event" + at(eventStart);
                return false;
            }
        } else {
            std::uint8_t status = runningStatus;
            if (first & 0x80) {
                if (first >= 0xF0) {
                    error = "unexpected status byte " + hexByte(first) + at(in.offset());
                    return false;
                }
                in.skip(1);
                status = first;
                runningStatus = first;
            } else if (status == 0) {
                error = "data byte without a status byte" + at(in.offset());
                return false;
            }
            ChannelMessage message;
            message.tick = tick;
            message.bytes[0] = status;
            message.size = static_cast<std::uint8_t>(1 + dataBytesOf(status));
            for (int i = 1; i < message.size; ++i) {
                std::uint8_t data = 0;
                if (!in.byte(data)) {
                    error = "truncated channel message" + at(eventStart);
                    return false;
                }
                if (data & 0x80) {
                    error = "data byte above 127 in channel message" + at(in.offset() - 1);
                    return false;
                }
                message.bytes[i] = data;
            }
            track.messages.push_back(message);
        }
    }
    track.endTick = tick;
    return true;
}

bool isChunk(std::span<const std::uint8_t> id, const char* name) {
    for (int i = 0; i < 4; ++i)
        if (id[i] != static_cast<std::uint8_t>(name[i])) return false;
    return true;
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
    while (file.tracks.size() < trackCount) {
        const std::size_t chunkStart = in.offset();
        if (in.remaining() < 8)
            return failure("MIDI file ends after " + std::to_string(file.tracks.size()) + " of " +
                           std::to_string(trackCount) + " tracks");
        auto id = in.take(4);
        std::uint32_t length = 0;
        in.bigEndian(4, length);
        if (in.remaining() < length)
            return failure("chunk length " + std::to_string(length) + " runs past the end of the file" + at(chunkStart));
        const std::size_t bodyStart = in.offset();
        auto body = in.take(length);
        if (!isChunk(id, "MTrk")) continue;  // unknown chunks are skipped
        MidiTrack track;
        std::string error;
        if (!readTrack(ByteCursor(body, bodyStart), track, error)) return failure(error);
        file.tracks.push_back(std::move(track));
    }
    MidiReadResult result;
    result.file = std::move(file);
    return result;
}

MidiReadResult readMidiFile(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return failure("cannot open MIDI file '" + path + "'");
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad()) return failure("cannot read MIDI file '" + path + "'");
    MidiReadResult result = parseMidiFile(bytes);
    if (!result.file) result.error = path + ": " + result.error;
    return result;
}

}  // namespace velora::tools
