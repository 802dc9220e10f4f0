// SPDX-License-Identifier: MIT
// velora-lv2-render: renders a MIDI file through the LV2 bundle into a WAV
// file, the way velora-host renders it through the VST 2 plug-in, so the two
// can be compared sample for sample.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "lv2/port_table.h"
#include "lv2/port_values.h"
#include "lv2_host.h"
#include "midi_file.h"
#include "timeline.h"
#include "wav_writer.h"

namespace {

using velora::lv2host::Lv2Host;
using velora::lv2host::MidiBytes;
using velora::tools::Timeline;

struct Options {
    std::string midiPath, wavPath, bundle;
    int preset = -1;
    std::uint32_t rate = 44100;
    int block = 512;
    std::optional<double> tail;
    std::string format = "16";
    std::vector<std::string> settings;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "velora-lv2-render: error: %s\n", message.c_str());
    return 1;
}

// The bundle beside this program (the build folder), else LV2_PATH's.
std::string defaultBundle(const char* argv0) {
    std::error_code error;
    const auto self = std::filesystem::canonical("/proc/self/exe", error);
    const auto beside = (error ? std::filesystem::path(argv0).parent_path() : self.parent_path()) / "velora.lv2";
    return std::filesystem::exists(beside / "manifest.ttl", error) ? beside.string() : std::string();
}

// SYMBOL=VALUE in port units, or INDEX=VALUE with a parameter index and the
// value velora-host's --set takes.
bool applySetting(Lv2Host& host, const std::string& text, std::string& error) {
    const auto equals = text.find('=');
    float value = 0.0f;
    error = "--set expects SYMBOL=VALUE or INDEX=VALUE, got '" + text + "'";
    if (equals == std::string::npos) return false;
    const char* begin = text.data() + equals + 1;
    const char* end = text.data() + text.size();
    auto [valueEnd, valueError] = std::from_chars(begin, end, value);
    if (valueError != std::errc{} || valueEnd != end) return false;
    std::string key = text.substr(0, equals);
    int index = -1;
    auto [indexEnd, indexError] = std::from_chars(key.data(), key.data() + key.size(), index);
    if (indexError == std::errc{} && indexEnd == key.data() + key.size()) {
        const std::int32_t port = velora::lv2::portOfParam(index);
        if (port < 0) {
            error = "--set: parameter " + key + " has no LV2 port";
            return false;
        }
        key = velora::lv2::kControlPorts[port - velora::lv2::kFirstControlPort].symbol;
        value = velora::lv2::portFromParameter(index, value);
    }
    if (!host.setControl(key, value)) {
        error = "--set: no control port '" + key + "'";
        return false;
    }
    error.clear();
    return true;
}

velora::tools::WavFormat wavFormat(const std::string& name) {
    if (name == "24") return velora::tools::WavFormat::pcm24;
    if (name == "float") return velora::tools::WavFormat::float32;
    return velora::tools::WavFormat::pcm16;
}

// Where the render stops, as velora-host decides it: a fixed tail after the
// last event, or once the output has been quiet for half a second (at most 30 s).
struct Length {
    std::int64_t eventsEnd, limit, quietNeeded;
    Length(const Timeline& timeline, const Options& options) {
        eventsEnd = timeline.endSample() + 1;
        limit = eventsEnd + static_cast<std::int64_t>(std::llround(options.tail.value_or(30.0) * options.rate));
        quietNeeded = options.tail ? 0 : static_cast<std::int64_t>(0.5 * options.rate);
    }
};

int render(const Options& options, const char* argv0) {
    velora::tools::MidiReadResult midi = velora::tools::readMidiFile(options.midiPath);
    if (!midi.file) return fail(midi.error);
    std::string error;
    std::optional<Timeline> timeline =
        Timeline::build(*midi.file, options.rate, velora::tools::kDefaultMicrosPerQuarter, error);
    if (!timeline) return fail(error);
    const std::string bundle = options.bundle.empty() ? defaultBundle(argv0) : options.bundle;
    auto host = Lv2Host::create(bundle, velora::lv2::kPluginUri, options.rate,
                                static_cast<std::uint32_t>(options.block), error);
    if (!host) return fail(error);
    if (options.preset >= 0) {
        char uri[64];
        std::snprintf(uri, sizeof uri, "urn:velora:synth#preset_%02d", options.preset);
        if (!host->loadPreset(uri, error)) return fail(error);
    }
    for (const std::string& setting : options.settings)
        if (!applySetting(*host, setting, error)) return fail(error);
    host->activate();

    velora::tools::WavWriter writer;
    if (!writer.open(options.wavPath, 2, options.rate, wavFormat(options.format), error)) return fail(error);
    const Length length(*timeline, options);
    const float quietLevel = static_cast<float>(std::pow(10.0, -90.0 / 20.0));
    std::vector<float> left(static_cast<std::size_t>(options.block)), right(left.size());
    const float* channels[2] = {left.data(), right.data()};
    const auto& messages = timeline->messages();
    std::size_t next = 0;
    std::int64_t quietRun = 0;
    for (std::int64_t position = 0;
         position < length.limit &&
         !(length.quietNeeded > 0 && position >= length.eventsEnd && quietRun >= length.quietNeeded);) {
        const auto frames = static_cast<std::uint32_t>(std::min<std::int64_t>(options.block, length.limit - position));
        std::vector<MidiBytes> due;
        for (; next < messages.size() && messages[next].sample < position + frames; ++next) {
            MidiBytes message;
            message.frame = static_cast<std::uint32_t>(messages[next].sample - position);
            message.size = messages[next].size;
            std::copy(messages[next].bytes, messages[next].bytes + 3, message.bytes);
            due.push_back(message);
        }
        host->run(frames, timeline->tempoAt(position), due, left.data(), right.data());
        for (std::uint32_t i = 0; i < frames; ++i)
            quietRun = std::fabs(left[i]) < quietLevel && std::fabs(right[i]) < quietLevel ? quietRun + 1 : 0;
        if (!writer.write(channels, frames, error)) return fail(error);
        position += frames;
    }
    return writer.close(error) ? 0 : fail(error);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    CLI::App app{"Renders a MIDI file through Velora's LV2 bundle into a WAV file"};
    app.add_option("IN.mid", options.midiPath, "Standard MIDI File to render")->required();
    app.add_option("OUT.wav", options.wavPath, "WAV file to write")->required();
    app.add_option("--preset", options.preset, "Factory preset 0..63")->check(CLI::Range(0, 63));
    app.add_option("--rate", options.rate, "Sample rate in Hz")->check(CLI::Range(1u, 1000000u));
    app.add_option("--block", options.block, "Block size in samples")->check(CLI::Range(1, 65536));
    app.add_option("--tail", options.tail,
                   "Seconds rendered after the last event (default: until 0.5 s below -90 dBFS, at most 30 s)")
        ->check(CLI::Range(0.0, 3600.0));
    app.add_option("--format", options.format, "Sample format: 16, 24 or float")
        ->check(CLI::IsMember({"16", "24", "float"}));
    app.add_option("--set", options.settings, "Port value SYMBOL=VALUE, or INDEX=VALUE as velora-host takes it")
        ->take_all()
        ->allow_extra_args(false);
    app.add_option("--bundle", options.bundle, "The velora.lv2 folder (default: beside this program, else LV2_PATH)");
    CLI11_PARSE(app, argc, argv);
    return render(options, argv[0]);
}
