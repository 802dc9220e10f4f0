#include "render_command.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

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
const float kQuietLevel = static_cast<float>(std::pow(10.0, -90.0 / 20.0));  // -90 dBFS

struct ParameterSetting {
    vst::VstInt32 index;
    float value;
};

struct RenderResult {
    std::uint64_t frames = 0;
    float peak[2] = {0.0f, 0.0f};
    double wallSeconds = 0.0;
};

// Everything the renders of one command share.
struct RenderPlan {
    const GlobalOptions& global;
    const RenderOptions& options;
    const Timeline& timeline;
    std::vector<ParameterSetting> settings;
    tools::WavFormat format;
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
// program, then the --set overrides.
bool prepare(PluginInstance& plugin, const RenderPlan& plan, std::optional<int> program, std::string& error) {
    plugin.open();
    plugin.setSampleRate(static_cast<float>(plan.options.sampleRate));
    plugin.setBlockSize(plan.options.blockSize);
    plugin.resume();
    if (program) plugin.setProgram(*program);
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

bool renderInto(PluginInstance& plugin, const RenderPlan& plan, const std::string& wavPath, RenderResult& result,
                std::string& error) {
    const Timeline& timeline = plan.timeline;
    const auto rate = static_cast<std::int64_t>(plan.options.sampleRate);
    const std::int64_t eventsEnd = timeline.endSample() + 1;  // the last event's sample is rendered
    const bool fixedTail = plan.options.tailSeconds.has_value();
    const std::int64_t tailLimit =
        static_cast<std::int64_t>(std::llround((fixedTail ? *plan.options.tailSeconds : kAutoTailCapSeconds) * rate));
    const std::int64_t totalLimit = eventsEnd + tailLimit;
    const std::int64_t quietNeeded = static_cast<std::int64_t>(kQuietSeconds * rate);

    const std::int64_t bytesPerFrame = plan.format == tools::WavFormat::pcm16 ? 4 : plan.format == tools::WavFormat::pcm24 ? 6 : 8;
    if (totalLimit > std::int64_t(0xFFFFFF00u) / bytesPerFrame) {
        error = "the rendering would exceed the 4 GB limit of WAV files; shorten the MIDI file or the tail";
        return false;
    }
    tools::WavWriter writer;
    if (!writer.open(wavPath, 2, plan.options.sampleRate, plan.format, error)) return false;
    std::vector<float> left(plan.options.blockSize), right(plan.options.blockSize);
    const float* channels[2] = {left.data(), right.data()};
    const auto& messages = timeline.messages();
    std::size_t next = 0;
    std::int64_t position = 0, quietRun = 0;
    ProgressBar progress(std::filesystem::path(wavPath).filename().string());
    const auto started = std::chrono::steady_clock::now();
    while (position < totalLimit && !(!fixedTail && position >= eventsEnd && quietRun >= quietNeeded)) {
        const auto frames = static_cast<vst::VstInt32>(std::min<std::int64_t>(plan.options.blockSize, totalLimit - position));
        std::vector<MidiMessage> due;
        for (; next < messages.size() && messages[next].sample < position + frames; ++next) {
            MidiMessage message;
            message.deltaFrames = static_cast<vst::VstInt32>(messages[next].sample - position);
            std::copy(messages[next].bytes, messages[next].bytes + 3, message.bytes);
            due.push_back(message);
        }
        reportTime(plugin, timeline, position);
        if (!due.empty()) plugin.sendMidi(due);
        plugin.processReplacing(left.data(), right.data(), frames);
        for (vst::VstInt32 i = 0; i < frames; ++i) {
            const float l = std::fabs(left[i]), r = std::fabs(right[i]);
            // NaN counts as loud: max() would drop it.
            if (!(l <= result.peak[0])) result.peak[0] = l;
            if (!(r <= result.peak[1])) result.peak[1] = r;
            quietRun = (l < kQuietLevel && r < kQuietLevel) ? quietRun + 1 : 0;
        }
        if (!writer.write(channels, static_cast<std::size_t>(frames), error)) return false;
        position += frames;
        progress.update(static_cast<double>(position) / eventsEnd,
                        position > eventsEnd ? static_cast<double>(position - eventsEnd) / rate : 0.0);
    }
    progress.finish();
    result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    result.frames = writer.framesWritten();
    return writer.close(error);
}

void printSummary(const std::string& wavPath, const RenderResult& result, std::uint32_t sampleRate) {
    const double seconds = static_cast<double>(result.frames) / sampleRate;
    const double speed = result.wallSeconds > 0 ? seconds / result.wallSeconds : 0.0;
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

int renderAllPrograms(const RenderPlan& plan) {
    std::string error;
    std::vector<std::string> names;
    if (!listPrograms(plan.global, names, error)) return reportError(error);
    std::error_code created;
    std::filesystem::create_directories(plan.options.allProgramsDir, created);
    if (created) return reportError("cannot create folder '" + plan.options.allProgramsDir + "': " + created.message());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path =
            (std::filesystem::path(plan.options.allProgramsDir) / programFileName(static_cast<int>(i), names[i])).string();
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
    const RenderPlan plan{global, options, *timeline, settings, wavFormat(options.format)};
    if (!options.allProgramsDir.empty()) return renderAllPrograms(plan);

    std::optional<int> program;
    if (!options.program.empty()) {
        std::vector<std::string> names;
        if (!listPrograms(global, names, error)) return reportError(error);
        program = findProgram(options.program, names, error);
        if (!program) return reportError(error);
    }
    return renderProgram(plan, program, options.wavPath, error) ? 0 : reportError(error);
}

}  // namespace velora::host
