// SPDX-License-Identifier: MIT
#include "edit_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "editor_window.h"
#include "png_file.h"
#include "program_choice.h"

namespace velora::host {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr float kSampleRate = 44100.0f;
constexpr vst::VstInt32 kBlockFrames = 512;
constexpr milliseconds kIdlePeriod{20};

// What the plug-in told the host while its editor was open.
struct EditCounts {
    std::atomic<int> begins{0}, automates{0}, ends{0}, idles{0};

    void count(const HostCall& call) {
        if (call.opcode == vst::audioMasterBeginEdit) begins.fetch_add(1, std::memory_order_relaxed);
        if (call.opcode == vst::audioMasterAutomate) automates.fetch_add(1, std::memory_order_relaxed);
        if (call.opcode == vst::audioMasterEndEdit) ends.fetch_add(1, std::memory_order_relaxed);
        if (call.opcode == vst::audioMasterIdle) idles.fetch_add(1, std::memory_order_relaxed);
    }
};

// Blocks of silence-in, events-in, audio-out at about the real-time pace, as
// a host's audio thread makes them; the output is dropped.
class SilentAudio {
public:
    explicit SilentAudio(PluginInstance& plugin) : plugin_(plugin), thread_([this] { run(); }) {}
    ~SilentAudio() {
        stop_.store(true, std::memory_order_relaxed);
        thread_.join();
    }

private:
    void run() {
        std::vector<float> left(kBlockFrames), right(kBlockFrames);
        const auto period = std::chrono::microseconds(kBlockFrames * 1000000LL / static_cast<long long>(kSampleRate));
        auto next = Clock::now();
        double position = 0.0;
        while (!stop_.load(std::memory_order_relaxed)) {
            HostTime time = plugin_.hostTime();
            time.samplePos = position;
            time.ppqPos = position / kSampleRate * time.tempo / 60.0;
            plugin_.setHostTime(time);
            plugin_.sendMidi({});
            plugin_.processReplacing(left.data(), right.data(), kBlockFrames);
            position += kBlockFrames;
            next += period;
            std::this_thread::sleep_until(next);
        }
    }

    PluginInstance& plugin_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct ParameterState {
    float value;
    std::string display;
};

std::vector<ParameterState> readParameters(PluginInstance& plugin) {
    std::vector<ParameterState> states;
    for (vst::VstInt32 i = 0; i < plugin.effect()->numParams; ++i)
        states.push_back({plugin.getParameter(i), plugin.parameterDisplay(i)});
    return states;
}

void printChanges(PluginInstance& plugin, const std::vector<ParameterState>& before, const EditCounts& counts) {
    const std::vector<ParameterState> after = readParameters(plugin);
    int changed = 0;
    for (std::size_t i = 0; i < std::min(before.size(), after.size()); ++i) {
        if (before[i].value == after[i].value) continue;
        const auto index = static_cast<vst::VstInt32>(i);
        std::printf("%d %s: %.6f -> %.6f (%s %s)\n", index, plugin.parameterName(index).c_str(),
                    static_cast<double>(before[i].value), static_cast<double>(after[i].value), after[i].display.c_str(),
                    plugin.parameterLabel(index).c_str());
        ++changed;
    }
    std::printf("%d parameters changed; the editor reported %d begin, %d automate, %d end, %d idle\n", changed,
                counts.begins.load(), counts.automates.load(), counts.ends.load(), counts.idles.load());
}

std::optional<int> chooseProgram(PluginInstance& plugin, const std::string& choice, std::string& error) {
    if (choice.empty()) return 0;
    std::vector<std::string> names;
    const vst::VstInt32 count = std::clamp<vst::VstInt32>(plugin.effect()->numPrograms, 0, 100000);
    for (vst::VstInt32 i = 0; i < count; ++i) names.push_back(plugin.programName(i));
    return findProgram(choice, names, error);
}

// The plug-in with its editor open in a window of ours. Tear-down runs in
// the host's order: editor closed, audio stopped, window destroyed.
class EditSession {
public:
    bool open(const GlobalOptions& global, const EditOptions& edit, std::string& error) {
        HostOptions options;
        options.recordCalls = false;
        options.listener = [this](const HostCall& call) { counts_.count(call); };
        // The editor may ask for another size while open (its size menu).
        options.sizeWindow = [this](int width, int height) {
            if (!window_ || width <= 0 || height <= 0) return false;
            window_->resize(width, height);
            std::printf("editor resized to %dx%d\n", width, height);
            std::fflush(stdout);
            return true;
        };
        plugin_ = loadPlugin(global, error, options);
        if (!plugin_) return false;
        if (!(plugin_->effect()->flags & vst::effFlagsHasEditor)) {
            error = "the plug-in has no editor";
            return false;
        }
        plugin_->open();
        plugin_->setSampleRate(kSampleRate);
        plugin_->setBlockSize(kBlockFrames);
        const std::optional<int> chosen = chooseProgram(*plugin_, edit.program, error);
        if (!chosen) return false;
        plugin_->setProgram(*chosen);
        plugin_->resume();
        before_ = readParameters(*plugin_);
        if (edit.scale)
            plugin_->dispatch(vst::effVendorSpecific, vst::kScaleMessageIndex, vst::kScaleMessageValue, nullptr,
                              static_cast<float>(*edit.scale));
        int width = 0, height = 0;
        editorSize(width, height);
        window_ = EditorWindow::create("Velora", width > 0 ? width : 400, height > 0 ? height : 300, error);
        if (!window_) return false;
        audio_ = std::make_unique<SilentAudio>(*plugin_);
        if (plugin_->dispatch(vst::effEditOpen, 0, 0, window_->parentHandle()) == 0) {
            error = "the editor did not open (no window system for it?)";
            return false;
        }
        editorOpen_ = true;
        // Some editors know their size only once open.
        editorSize(width, height);
        if (width > 0 && height > 0) window_->resize(width, height);
        return true;
    }

    ~EditSession() {
        if (editorOpen_) plugin_->dispatch(vst::effEditClose);
        audio_.reset();
        window_.reset();
    }

    // Events are served as they come, the idle every 20 ms.
    bool serve() {
        const auto nextIdle = Clock::now() + kIdlePeriod;
        bool open = window_->serveEvents();
        for (auto now = Clock::now(); open && now < nextIdle; now = Clock::now()) {
            window_->waitForEvents(
                static_cast<int>(std::chrono::duration_cast<milliseconds>(nextIdle - now).count() + 1));
            open = window_->serveEvents();
        }
        plugin_->dispatch(vst::effEditIdle);
        return open;
    }

    EditorWindow& window() { return *window_; }

    // For scripts that drive the editor: where it is on the screen.
    void announce() {
        int x = 0, y = 0, width = 0, height = 0;
        window_->screenPosition(x, y);
        editorSize(width, height);
        std::printf("editor open at %d,%d size %dx%d\n", x, y, width, height);
        std::fflush(stdout);
    }
    void report() { printChanges(*plugin_, before_, counts_); }

private:
    void editorSize(int& width, int& height) {
        vst::ERect* rect = nullptr;
        if (plugin_->dispatch(vst::effEditGetRect, 0, 0, &rect) == 0 || !rect) return;
        width = rect->right - rect->left;
        height = rect->bottom - rect->top;
    }

    EditCounts counts_;
    std::unique_ptr<PluginInstance> plugin_;
    std::vector<ParameterState> before_;
    std::unique_ptr<EditorWindow> window_;
    std::unique_ptr<SilentAudio> audio_;
    bool editorOpen_ = false;
};

bool before(Clock::time_point deadline) { return Clock::now() < deadline; }

Clock::time_point deadlineAfter(std::optional<double> seconds, double otherwise) {
    const double wait = std::clamp(seconds.value_or(otherwise), 0.0, 1.0e6);
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wait));
}

// Painted: some detail, and the same pixels over several idle rounds.
bool settled(const RgbImage& now, const RgbImage& previous, int& stableRounds) {
    const bool detailed = now.rgb.size() >= 6 && !std::all_of(now.rgb.begin(), now.rgb.end(),
                                                              [&](std::uint8_t c) { return c == now.rgb.front(); });
    stableRounds = detailed && now == previous ? stableRounds + 1 : 0;
    return stableRounds >= 3;
}

}  // namespace

int runEdit(const GlobalOptions& global, const EditOptions& options) {
    std::string error;
    EditSession session;
    if (!session.open(global, options, error)) return reportError(error);
    session.announce();
    const auto deadline = deadlineAfter(options.seconds, 1.0e6);
    while (session.serve() && before(deadline)) {}
    session.report();
    return 0;
}

int runScreenshot(const GlobalOptions& global, const EditOptions& options, const std::string& pngPath) {
    std::string error;
    EditSession session;
    if (!session.open(global, options, error)) return reportError(error);
    const auto deadline = deadlineAfter(options.seconds, 10.0);
    RgbImage previous, now;
    int stableRounds = 0;
    while (session.serve() && before(deadline)) {
        if (!session.window().grab(now)) return reportError("cannot read the window's pixels");
        if (settled(now, previous, stableRounds)) {
            if (!writePng(now, pngPath, error)) return reportError(error);
            return 0;
        }
        std::swap(previous, now);
    }
    return reportError("the editor did not paint in time");
}

}  // namespace velora::host
