// SPDX-License-Identifier: MIT
#include "render_command.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "file_reason.h"
#include "interruption.h"
#include "preset_commands.h"
#include "preset_transfer.h"
#include "program_choice.h"
#include "progress_bar.h"
#include "text_format.h"
#include "timeline.h"
#include "wav_writer.h"

namespace velora::host {
namespace {

using tools::Timeline;

constexpr double kAutoTailCapSeconds = 30.0;
constexpr double kQuietSeconds = 0.5;
constexpr double kLongRenderSeconds = 600.0;                                 // longer renders are announced
const float kQuietLevel = static_cast<float>(std::pow(10.0, -90.0 / 20.0));  // -90 dBFS

struct ParameterSetting {
    vst::VstInt32 index;
    float value;
};

struct RenderResult {
    std::uint64_t frames = 0;
    float peak[2] = {0.0f, 0.0f};
    double pluginSeconds = 0.0;  // spent in the plug-in's event and render calls
};

// Everything the renders of one command share.
struct RenderPlan {
    const GlobalOptions& global;
    const RenderOptions& options;
    const Timeline& timeline;
    std::vector<ParameterSetting> settings;
    tools::WavFormat format;
    std::optional<presets::FxFile> preset;
    std::optional<presets::FxFile> bank;
    mutable bool bankNoted = false;  // the partial-bank warning is given once per command
};

bool parseSetting(const std::string& text, ParameterSetting& setting, std::string& error) {
    const auto equals = text.find('=');
    error = "--set expects INDEX=VALUE, got '" + text + "'";
    if (equals == std::string::npos) return false;
    const char* begin = text.data();
    const char* middle = begin + equals;
    const char* end = begin + text.size();
    auto [indexEnd, indexError] = std::from_chars(begin, middle, setting.index);
    if (indexError != std::errc{} || indexEnd != middle) return false;
    auto [valueEnd, valueError] = std::from_chars(middle + 1, end, setting.value);
    if (valueError != std::errc{} || valueEnd != end) return false;
    error.clear();
    return true;
}

tools::WavFormat wavFormat(const std::string& name) {
    if (name == "24") return tools::WavFormat::pcm24;
    if (name == "float") return tools::WavFormat::float32;
    return tools::WavFormat::pcm16;
}

std::vector<std::string> programNames(PluginInstance& plugin) {
    std::vector<std::string> names;
    const vst::VstInt32 count = std::clamp<vst::VstInt32>(plugin.effect()->numPrograms, 0, 100000);
    for (vst::VstInt32 i = 0; i < count; ++i) names.push_back(plugin.programName(i));
    return names;
}

// The host sequence before the first block: open, rate, block size, resume,
// bank file and program, preset file, then the --set overrides.
bool prepare(PluginInstance& plugin, const RenderPlan& plan, std::optional<int> program, std::string& error) {
    plugin.open();
    plugin.setSampleRate(static_cast<float>(plan.options.sampleRate));
    plugin.setBlockSize(plan.options.blockSize);
    plugin.resume();
    if (plan.bank) {
        // Without --program, the bank's own current program, as hosts load it.
        if (!loadBank(plugin, *plan.bank, program.value_or(plan.bank->currentProgram.value_or(0)), error)) {
            error = plan.options.bankPath + ": " + error;
            return false;
        }
        const std::string partial = presets::partialBankNote(*plan.bank, plugin.effect()->numPrograms);
        if (!partial.empty() && !std::exchange(plan.bankNoted, true))
            reportWarning(plan.options.bankPath + ": " + partial);
    } else if (program) {
        plugin.setProgram(*program);
    }
    if (plan.preset && !loadPreset(plugin, *plan.preset, error)) {
        error = plan.options.presetPath + ": " + error;
        return false;
    }
    for (const ParameterSetting& setting : plan.settings) {
        if (setting.index < 0 || setting.index >= plugin.effect()->numParams) {
            error = "--set: parameter index " + std::to_string(setting.index) + " out of range 0.." +
                    std::to_string(plugin.effect()->numParams - 1);
            return false;
        }
        plugin.setParameter(setting.index, setting.value);
    }
    return true;
}

void reportTime(PluginInstance& plugin, const Timeline& timeline, std::int64_t sample) {
    HostTime time = plugin.hostTime();
    time.samplePos = static_cast<double>(sample);
    time.sampleRate = timeline.sampleRate();
    time.ppqPos = timeline.ppqAt(sample);
    time.tempo = timeline.tempoAt(sample);
    plugin.setHostTime(time);
}

// Events due in [position, position + frames), with their offsets in the block.
std::vector<MidiMessage> dueMessages(const Timeline& timeline, std::size_t& next, std::int64_t position,
                                     vst::VstInt32 frames) {
    std::vector<MidiMessage> due;
    const auto& messages = timeline.messages();
    for (; next < messages.size() && messages[next].sample < position + frames; ++next) {
        MidiMessage message;
        message.deltaFrames = static_cast<vst::VstInt32>(messages[next].sample - position);
        std::copy(messages[next].bytes, messages[next].bytes + 3, message.bytes);
        due.push_back(message);
    }
    return due;
}

// Peak per channel and the length of the current run of quiet samples.
struct LevelMeter {
    float peak[2] = {0.0f, 0.0f};
    std::int64_t quietRun = 0;

    void measure(const float* left, const float* right, vst::VstInt32 frames) {
        for (vst::VstInt32 i = 0; i < frames; ++i) {
            const float l = std::fabs(left[i]), r = std::fabs(right[i]);
            // NaN counts as loud, and as a new peak.
            if (!(l <= peak[0])) peak[0] = l;
            if (!(r <= peak[1])) peak[1] = r;
            quietRun = (l < kQuietLevel && r < kQuietLevel) ? quietRun + 1 : 0;
        }
    }
};

// Where the render stops: a fixed tail after the last event, or the first
// block end after it where the output has been quiet long enough (capped).
struct RenderLength {
    std::int64_t eventsEnd;  // one past the last event's sample
    std::int64_t limit;
    std::int64_t quietNeeded;  // 0 with a fixed tail

    RenderLength(const Timeline& timeline, const RenderOptions& options) {
        const auto rate = static_cast<double>(options.sampleRate);
        eventsEnd = timeline.endSample() + 1;
        const double tail = options.tailSeconds.value_or(kAutoTailCapSeconds);
        limit = eventsEnd + static_cast<std::int64_t>(std::llround(tail * rate));
        quietNeeded = options.tailSeconds ? 0 : static_cast<std::int64_t>(kQuietSeconds * rate);
    }
    bool done(std::int64_t position, const LevelMeter& meter) const {
        return position >= limit || (quietNeeded > 0 && position >= eventsEnd && meter.quietRun >= quietNeeded);
    }
};

std::int64_t bytesPerFrame(tools::WavFormat format) {
    return format == tools::WavFormat::pcm16 ? 4 : format == tools::WavFormat::pcm24 ? 6 : 8;
}

bool fitsWavLimit(const RenderLength& length, tools::WavFormat format, std::string& error) {
    if (length.limit <= std::int64_t(0xFFFFFF00u) / bytesPerFrame(format)) return true;
    error = "the rendering would exceed the 4 GB limit of WAV files; shorten the MIDI file or the tail";
    return false;
}

std::string clockText(double seconds) {
    const auto whole = static_cast<long long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

// A file can ask for hours in a few bytes: say so before rendering starts.
void noteLongRender(const RenderPlan& plan) {
    const RenderLength length(plan.timeline, plan.options);
    const double rate = plan.options.sampleRate;
    if (static_cast<double>(length.eventsEnd) < kLongRenderSeconds * rate) return;
    std::string error;
    if (!fitsWavLimit(length, plan.format, error)) return;  // refused later, with its own message
    const auto bytes = static_cast<unsigned long long>(length.limit * bytesPerFrame(plan.format) + 64);
    std::fprintf(stderr, "velora-host: note: '%s' runs %s; each render writes up to %s (Ctrl+C stops it cleanly)\n",
                 plan.options.midiPath.c_str(), clockText(static_cast<double>(length.eventsEnd) / rate).c_str(),
                 tools::sizeText(bytes).c_str());
}

bool renderInto(PluginInstance& plugin, const RenderPlan& plan, const std::string& wavPath, RenderResult& result,
                std::string& error) {
    const Timeline& timeline = plan.timeline;
    const RenderLength length(timeline, plan.options);
    if (!fitsWavLimit(length, plan.format, error)) return false;
    tools::WavWriter writer;
    if (!writer.open(wavPath, 2, plan.options.sampleRate, plan.format, error)) return false;
    std::vector<float> left(plan.options.blockSize), right(plan.options.blockSize);
    const float* channels[2] = {left.data(), right.data()};
    LevelMeter meter;
    ProgressBar progress(std::filesystem::path(wavPath).filename().string());
    std::chrono::steady_clock::duration pluginTime{};
    std::size_t next = 0;
    for (std::int64_t position = 0; !length.done(position, meter);) {
        const auto frames =
            static_cast<vst::VstInt32>(std::min<std::int64_t>(plan.options.blockSize, length.limit - position));
        const std::vector<MidiMessage> due = dueMessages(timeline, next, position, frames);
        reportTime(plugin, timeline, position);
        const auto started = std::chrono::steady_clock::now();
        if (!due.empty()) plugin.sendMidi(due);
        plugin.processReplacing(left.data(), right.data(), frames);
        pluginTime += std::chrono::steady_clock::now() - started;
        meter.measure(left.data(), right.data(), frames);
        if (!writer.write(channels, static_cast<std::size_t>(frames), error)) return false;
        if (tools::interruptRequested()) {
            error = "interrupted; '" + wavPath + "' was not written";
            return false;
        }
        position += frames;
        const std::int64_t inTail = std::max<std::int64_t>(position - length.eventsEnd, 0);
        progress.update(static_cast<double>(position) / length.eventsEnd,
                        static_cast<double>(inTail) / plan.options.sampleRate);
    }
    progress.finish();
    result.peak[0] = meter.peak[0];
    result.peak[1] = meter.peak[1];
    result.pluginSeconds = std::chrono::duration<double>(pluginTime).count();
    result.frames = writer.framesWritten();
    return writer.close(error);
}

void printSummary(const std::string& wavPath, const RenderResult& result, std::uint32_t sampleRate) {
    const double seconds = static_cast<double>(result.frames) / sampleRate;
    const double speed = result.pluginSeconds > 0 ? seconds / result.pluginSeconds : 0.0;
    const std::string text = wavPath + ": " + fixedDouble(seconds, 3) + " s, peak L " + decibelsText(result.peak[0]) +
                             " dBFS, R " + decibelsText(result.peak[1]) + " dBFS, " + fixedDouble(speed, 1) +
                             "x real time\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// One fresh instance per render, so no state carries over between programs.
bool renderProgram(const RenderPlan& plan, std::optional<int> program, const std::string& wavPath, std::string& error) {
    auto plugin = loadPlugin(plan.global, error);
    if (!plugin) return false;
    reportTime(*plugin, plan.timeline, 0);  // the file's opening tempo, should effOpen ask
    RenderResult result;
    if (!prepare(*plugin, plan, program, error) || !renderInto(*plugin, plan, wavPath, result, error)) return false;
    plugin->suspend();
    printSummary(wavPath, result, plan.options.sampleRate);
    return true;
}

// Program names as the opened plug-in reports them.
bool listPrograms(const GlobalOptions& global, std::vector<std::string>& names, std::string& error) {
    auto plugin = loadPlugin(global, error);
    if (!plugin) return false;
    plugin->open();
    names = programNames(*plugin);
    return true;
}

// The names of the bank file when there is one, else the plug-in's.
bool choosableNames(const RenderPlan& plan, std::vector<std::string>& names, std::string& error) {
    if (!plan.bank) return listPrograms(plan.global, names, error);
    names.clear();
    for (const presets::FxProgram& program : plan.bank->programs) names.push_back(program.name);
    return true;
}

int renderAllPrograms(const RenderPlan& plan) {
    std::string error;
    std::vector<std::string> names;
    if (!choosableNames(plan, names, error)) return reportError(error);
    std::error_code created;
    std::filesystem::create_directories(plan.options.allProgramsDir, created);
    if (created) return reportError("cannot create folder '" + plan.options.allProgramsDir + "': " + created.message());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path =
            (std::filesystem::path(plan.options.allProgramsDir) / programFileName(static_cast<int>(i), names[i]))
                .string();
        if (!renderProgram(plan, static_cast<int>(i), path, error)) return reportError(error);
    }
    return 0;
}

std::optional<Timeline> loadTimeline(const GlobalOptions& global, const RenderOptions& options, std::string& error) {
    tools::MidiReadResult midi = tools::readMidiFile(options.midiPath);
    if (!midi.file) {
        error = midi.error;
        return std::nullopt;
    }
    for (const std::string& warning : midi.warnings) reportWarning(warning);
    const auto microsPerQuarter = static_cast<std::uint32_t>(std::llround(60.0e6 / global.tempo));
    return Timeline::build(*midi.file, options.sampleRate, microsPerQuarter, error);
}

}  // namespace

int runRender(const GlobalOptions& global, const RenderOptions& options) {
    if (options.allProgramsDir.empty() && options.wavPath.empty())
        return reportError("render needs an output WAV file (or --all-programs DIR)");
    std::vector<ParameterSetting> settings;
    for (const std::string& text : options.settings) {
        ParameterSetting setting{};
        std::string error;
        if (!parseSetting(text, setting, error)) return reportError(error);
        settings.push_back(setting);
    }
    std::string error;
    const std::optional<Timeline> timeline = loadTimeline(global, options, error);
    if (!timeline) return reportError(error);
    RenderPlan plan{global, options, *timeline, settings, wavFormat(options.format), std::nullopt, std::nullopt};
    noteLongRender(plan);
    // Both files are read and checked whole before anything is rendered.
    if (!options.presetPath.empty() && !(plan.preset = readPresetFile(options.presetPath, false, error)))
        return reportError(error);
    if (!options.bankPath.empty() && !(plan.bank = readPresetFile(options.bankPath, true, error)))
        return reportError(error);
    if (!options.allProgramsDir.empty()) return renderAllPrograms(plan);

    std::optional<int> program;
    if (!options.program.empty()) {
        std::vector<std::string> names;
        if (!choosableNames(plan, names, error)) return reportError(error);
        program = findProgram(options.program, names, error);
        if (!program) return reportError(error);
    }
    return renderProgram(plan, program, options.wavPath, error) ? 0 : reportError(error);
}

}  // namespace velora::host
