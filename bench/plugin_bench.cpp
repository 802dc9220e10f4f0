// SPDX-License-Identifier: MIT
// Whole-render cost through the plug-in file, as a host sees it: one
// instance at 44100 Hz (or the given rate) in 512-frame blocks, N notes held at velocity 100 on
// keys i x 127 / N (0..126 for 127 voices), CPU time of the rendering thread
// over a few seconds of audio after the first block (longer with fewer
// voices), best of several runs.
// Where Debian's amsynth VST is installed, the heavy sound with 127 voices is
// also timed against it (64 voices held, unlimited polyphony), run for run in
// turns so that both see the same load, and the ratio is printed.
// Plain program (no benchmark library) so the Windows build can run it under
// Wine against velora.dll.
//
//   plugin_bench <plug-in file> [seconds per run] [runs] [heavy|program1|init|all] [voices] [rate]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

#include "plugin_host.h"

namespace {

using velora::host::MidiMessage;
using velora::host::PluginInstance;

float hostRate = 44100.0f;  // the host's rate, from the command line
constexpr int kBlock = 512;
constexpr int kDistortionOn = 84;
constexpr int kVoiceLimit = 104;
constexpr int kParamCount = 109;

double threadSeconds() {
#if defined(_WIN32)
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) * 1e-7;
#else
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
#endif
}

enum class Sound { Heavy, Program1, Init };

const char* soundKey(Sound s) {
    switch (s) {
    case Sound::Heavy: return "heavy";
    case Sound::Program1: return "program1";
    case Sound::Init: return "init";
    }
    return "";
}

const char* soundName(Sound s) {
    switch (s) {
    case Sound::Heavy: return "program 0 + distortion";
    case Sound::Program1: return "program 1";
    case Sound::Init: return "init program";
    }
    return "";
}

struct Figures {
    double nsPerVoiceSample = 0.0;
    double realTime = 0.0;
};

bool prepare(PluginInstance& plugin, Sound sound) {
    // The init values are what program 0 holds before the factory bank
    // is written over it by open.
    std::vector<float> init(kParamCount);
    for (int i = 0; i < kParamCount; ++i) init[i] = plugin.getParameter(i);
    plugin.open();
    plugin.setSampleRate(hostRate);
    plugin.setBlockSize(kBlock);
    plugin.resume();
    switch (sound) {
    case Sound::Heavy:
        plugin.setProgram(0);
        plugin.setParameter(kDistortionOn, 1.0f);
        break;
    case Sound::Program1: plugin.setProgram(1); break;
    case Sound::Init:
        plugin.setProgram(0);
        for (int i = 0; i < kParamCount; ++i) plugin.setParameter(i, init[i]);
        break;
    }
    plugin.setParameter(kVoiceLimit, 1.0f);
    return true;
}

// One loaded instance with its notes held, timed a run at a time.
class Timing {
public:
    static std::unique_ptr<Timing> start(const std::string& path, int voices, double seconds,
                                         bool (*prepareSound)(PluginInstance&, Sound), Sound sound) {
        std::string error;
        auto plugin = PluginInstance::load(path, error);
        if (!plugin) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
            return nullptr;
        }
        prepareSound(*plugin, sound);
        std::unique_ptr<Timing> t(new Timing(std::move(plugin), voices, seconds));
        t->holdNotes();
        return t;
    }

    void run() {
        const double started = threadSeconds();
        for (int b = 0; b < blocks_; ++b) plugin_->processReplacing(left_.data(), right_.data(), kBlock);
        const double cpu = threadSeconds() - started;
        if (cpu <= 0.0) return;
        const double ns = cpu * 1e9 / (static_cast<double>(blocks_) * kBlock * voices_);
        const double audioSeconds = static_cast<double>(blocks_) * kBlock / hostRate;
        if (best_.realTime == 0.0 || ns < best_.nsPerVoiceSample) best_ = {ns, audioSeconds / cpu};
    }

    const Figures& best() const { return best_; }

private:
    Timing(std::unique_ptr<PluginInstance> plugin, int voices, double seconds)
        : plugin_(std::move(plugin)), voices_(voices), left_(kBlock), right_(kBlock) {
        // Fewer voices render longer, so every run costs about the same CPU
        // time and a coarse thread clock (Wine's) still resolves it.
        blocks_ = std::max(1, static_cast<int>(seconds * hostRate / kBlock * 127 / voices));
    }

    void holdNotes() {
        std::vector<MidiMessage> notes;
        for (int i = 0; i < voices_; ++i) {
            MidiMessage m;
            m.bytes[0] = 0x90;
            m.bytes[1] = static_cast<unsigned char>(i * 127 / voices_);
            m.bytes[2] = 100;
            notes.push_back(m);
        }
        plugin_->sendMidi(notes);
        plugin_->processReplacing(left_.data(), right_.data(), kBlock);
    }

    std::unique_ptr<PluginInstance> plugin_;
    int voices_;
    int blocks_ = 1;
    std::vector<float> left_, right_;
    Figures best_;
};

bool measure(const std::string& path, Sound sound, int voices, double seconds, int runs, Figures& best) {
    auto timing = Timing::start(path, voices, seconds, prepare, sound);
    if (!timing) return false;
    for (int run = 0; run < runs; ++run) timing->run();
    best = timing->best();
    return true;
}

// The peer ---------------------------------------------------------------

constexpr int kPeerVoices = 64;

#if !defined(_WIN32)
const char* const kPeerPath = "/usr/lib/vst/amsynth_vst.so";

// The peer's polyphony setting lives in its configuration file; a home of
// our own holds one with 0 (no limit), whatever the user's says. (Its cost
// per voice stays flat from 8 to 64 held notes: every note sounds.)
bool givePeerAHome() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path home = fs::temp_directory_path(ec) / "velora-bench-peer";
    fs::create_directories(home / ".config" / "amsynth", ec);
    fs::create_directories(home / ".local" / "share" / "amsynth", ec);
    std::ofstream(home / ".config" / "amsynth" / "config") << "polyphony 0\n";
    if (ec) return false;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local" / "share").c_str(), 1);
    return true;
}

bool preparePeer(PluginInstance& plugin, Sound) {
    plugin.open();
    plugin.setSampleRate(hostRate);
    plugin.setBlockSize(kBlock);
    plugin.resume();
    return true;
}
#endif

// Heavy, 127 voices, against the peer in turns; prints both and the ratio.
void compareWithPeer(const std::string& path, double seconds, int runs) {
#if defined(_WIN32)
    (void)path, (void)seconds, (void)runs;
#else
    if (!std::filesystem::exists(kPeerPath)) {
        std::printf("peer: %s is not installed (Debian package amsynth); no comparison\n", kPeerPath);
        return;
    }
    if (!givePeerAHome()) {
        std::printf("peer: no temporary home for its configuration; no comparison\n");
        return;
    }
    auto ours = Timing::start(path, 127, seconds, prepare, Sound::Heavy);
    auto peer = Timing::start(kPeerPath, kPeerVoices, seconds, preparePeer, Sound::Heavy);
    if (!ours || !peer) return;
    for (int run = 0; run < runs; ++run) {
        ours->run();
        peer->run();
    }
    const double ratio = ours->best().nsPerVoiceSample / peer->best().nsPerVoiceSample;
    std::printf("%-24s %6d %18.1f %15.2f\n", "velora heavy, in turns", 127, ours->best().nsPerVoiceSample,
                ours->best().realTime);
    std::printf("%-24s %6d %18.1f %15.2f\n", "amsynth (peer)", kPeerVoices, peer->best().nsPerVoiceSample,
                peer->best().realTime);
    std::printf("velora / amsynth per voice-sample: %.2f\n", ratio);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s <plug-in file> [seconds per run] [runs] [heavy|program1|init|all] [voices] [rate]\n",
                     argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const std::string onlySound = argc > 4 && std::string(argv[4]) != "all" ? argv[4] : "";
    const int onlyVoices = argc > 5 ? std::atoi(argv[5]) : 0;
    if (argc > 6 && std::atof(argv[6]) >= 8000.0) hostRate = static_cast<float>(std::atof(argv[6]));
    std::printf("%-24s %6s %18s %15s\n", "sound", "voices", "ns/voice-sample", "x real time");
    for (Sound sound : {Sound::Heavy, Sound::Program1, Sound::Init}) {
        if (!onlySound.empty() && onlySound != soundKey(sound)) continue;
        for (int voices : {1, 8, 32, 127}) {
            if (onlyVoices != 0 && onlyVoices != voices) continue;
            Figures f;
            if (!measure(path, sound, voices, seconds, runs, f)) return 1;
            std::printf("%-24s %6d %18.1f %15.2f\n", soundName(sound), voices, f.nsPerVoiceSample, f.realTime);
            std::fflush(stdout);
        }
    }
    if ((onlySound.empty() || onlySound == "heavy") && (onlyVoices == 0 || onlyVoices == 127))
        compareWithPeer(path, seconds, runs);
    return 0;
}
