// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fake_plugins.h"
#include "test_files.h"
#include "vst/aeffect.h"

namespace velora::tools {
namespace {

using namespace test;

struct HostRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::size_t errLines() const { return static_cast<std::size_t>(std::count(err.begin(), err.end(), '\n')); }
};

// Runs velora-host with the arguments (already shell-quoted where needed).
HostRun velora(const std::string& arguments) {
    const std::string out = scratchPath("stdout.txt"), err = scratchPath("stderr.txt");
    const std::string command =
        std::string(VELORA_HOST_EXE) + " " + arguments + " >" + out + " 2>" + err + " </dev/null";
    const int status = std::system(command.c_str());
    HostRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const Bytes o = readFile(out), e = readFile(err);
    run.out.assign(o.begin(), o.end());
    run.err.assign(e.begin(), e.end());
    return run;
}

std::string withFake(const std::string& arguments) { return "--plugin " + fakePlugin("both") + " " + arguments; }

// Note-ons at beats 0, 1.5 and 4, a note-off at beat 3; 120 BPM, then 60 BPM from beat 2.
std::string songFile() {
    const std::string path = scratchPath("song.mid");
    writeFile(path, concat({midiHeader(1, 2, 480), trackChunk({tempoEvent(960, 1000000), endOfTrack()}),
                            trackChunk({event(0, {0x90, 60, 127}), event(720, {0x90, 62, 64}),
                                        event(720, {0x80, 60, 0}), event(480, {0x90, 64, 127}), endOfTrack()})}));
    return path;
}

// One note at 75 BPM from the start.
std::string openingTempoSong() {
    const std::string path = scratchPath("opening.mid");
    writeFile(path, concat({midiHeader(0, 1, 480), trackChunk({tempoEvent(0, 800000), event(0, {0x90, 60, 127}),
                                                               event(480, {0x80, 60, 0}), endOfTrack()})}));
    return path;
}

struct Wav {
    SF_INFO info{};
    std::vector<float> left, right;
};

Wav readWav(const std::string& path) {
    Wav wav;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &wav.info);
    EXPECT_NE(file, nullptr) << path;
    if (!file) return wav;
    std::vector<float> frames(static_cast<std::size_t>(wav.info.frames * wav.info.channels));
    sf_read_float(file, frames.data(), sf_count_t(frames.size()));
    sf_close(file);
    for (std::size_t i = 0; i + 1 < frames.size(); i += 2) {
        wav.left.push_back(frames[i]);
        wav.right.push_back(frames[i + 1]);
    }
    return wav;
}

TEST(VeloraHostCli, BadInputGivesOneLineAndNonZeroExit) {
    const std::string song = songFile();
    const std::string truncated = scratchPath("truncated.mid");
    Bytes cut = readFile(song);
    cut.resize(cut.size() - 5);
    writeFile(truncated, cut);
    const std::string notPlugin = scratchPath("text.so");
    writeFile(notPlugin, {'h', 'i'});
    const std::string out = scratchPath("out.wav");
    const std::vector<std::string> badCommands = {
        "",
        "--bogus info",
        "frobnicate",
        "--plugin /nonexistent/velora.so info",
        "--plugin " + notPlugin + " params",
        "--plugin " + fakePlugin("no_entry") + " programs",
        "--plugin " + fakePlugin("bad_magic") + " info",
        withFake("render /nonexistent.mid " + out),
        withFake("render " + truncated + " " + out),
        withFake("render " + song),
        withFake("render " + song + " " + out + " --program 'no such sound'"),
        withFake("render " + song + " " + out + " --program 3"),
        withFake("render " + song + " " + out + " --set 1"),
        withFake("render " + song + " " + out + " --set 9=0.5"),
        withFake("render " + song + " " + out + " --set 1=abc"),
        withFake("render " + song + " " + out + " --format 8"),
        withFake("render " + song + " " + out + " --rate 0"),
        withFake("render " + song + " " + out + " --block -4"),
        withFake("--time-info maybe info"),
        withFake("render " + song + " /nonexistent/folder/out.wav"),
    };
    for (const std::string& arguments : badCommands) {
        const HostRun run = velora(arguments);
        EXPECT_NE(run.exitCode, 0) << arguments;
        EXPECT_EQ(run.errLines(), 1u) << arguments << "\n" << run.err;
        EXPECT_EQ(run.err.rfind("velora-host: error: ", 0), 0u) << run.err;
        EXPECT_TRUE(run.out.empty()) << arguments;
    }
}

TEST(VeloraHostCli, HelpAndVersionSucceed) {
    const HostRun help = velora("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("render"), std::string::npos);
    const HostRun version = velora("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("velora-host ", 0), 0u);
}

TEST(VeloraHostCli, RenderDeliversEventsSampleAccuratelyWithTheTempoInForce) {
    const std::string out = scratchPath("render.wav");
    const HostRun run =
        velora(withFake("render " + songFile() + " " + out + " --block 100 --tail 0.25 --format float"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind(out + ": ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("peak L 0.0 dBFS"), std::string::npos) << run.out;
    const Wav wav = readWav(out);
    // Events at 0, 33075 (beat 1.5), 88200 (beat 3, at 60 BPM since beat 2) and 132300 (beat 4); 0.25 s of tail.
    ASSERT_EQ(wav.left.size(), 132301u + 11025u);
    std::vector<std::size_t> impulses;
    for (std::size_t i = 0; i < wav.left.size(); ++i)
        if (wav.left[i] != 0.0f) impulses.push_back(i);
    EXPECT_EQ(impulses, (std::vector<std::size_t>{0, 33075, 132300}));
    EXPECT_EQ(wav.left[33075], 64.0f / 127.0f);
    // The right channel carries the tempo reported at each block's start.
    EXPECT_EQ(wav.right[44099], 0.12f);  // block 44000..44099 starts at 120 BPM
    EXPECT_EQ(wav.right[44100], 0.06f);  // the next block starts after the change
}

TEST(VeloraHostCli, RenderFollowsTheHostSequence) {
    const std::string log = scratchPath("calls.txt");
    const std::string command = "env FAKE_LOG=" + log + " " + std::string(VELORA_HOST_EXE) + " " +
                                withFake("--tempo 90 render " + openingTempoSong() + " " + scratchPath("seq.wav") +
                                         " --program 2 --set 3=0.5 --set 1=0.25 --block 20000 --tail 0") +
                                " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<int> calls;
    std::ifstream in(log);
    for (int opcode = 0; in >> opcode;) calls.push_back(opcode);
    in.clear();
    std::string tempoLine;
    std::getline(in, tempoLine);
    EXPECT_EQ(tempoLine, "tempo 75");  // the file's opening tempo, not --tempo
    // open, rate, block size, resume, program, the two overrides, one event call in each of the
    // two blocks that hold events, suspend, close.
    EXPECT_EQ(calls, (std::vector<int>{vst::effOpen, vst::effSetSampleRate, vst::effSetBlockSize, vst::effMainsChanged,
                                       vst::effSetProgram, 1003, 1001, vst::effProcessEvents, vst::effProcessEvents,
                                       vst::effMainsChanged, vst::effClose}));
}

TEST(VeloraHostCli, RenderTailStopsAfterHalfASecondOfSilenceOrAtTheCap) {
    const std::string song = songFile();  // last event at 3 s: sample 24000 at 8 kHz
    const std::string out = scratchPath("auto.wav");
    // The right channel holds the tempo level: never quiet, so the 30 s cap ends the render.
    const HostRun loud = velora(withFake("render " + song + " " + out + " --rate 8000"));
    ASSERT_EQ(loud.exitCode, 0) << loud.err;
    EXPECT_EQ(readWav(out).left.size(), 24001u + 30u * 8000u);
    // Level 0 leaves only the impulses: 4000 quiet samples after the last one, rounded up to a block end.
    const HostRun quiet = velora(withFake("render " + song + " " + out + " --rate 8000 --block 100 --set 3=0"));
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(readWav(out).left.size(), 28100u);
}

TEST(VeloraHostCli, ProgramsByNameAndAllProgramsFiles) {
    const std::string song = songFile();
    const HostRun byName =
        velora(withFake("render " + song + " " + scratchPath("p.wav") + " --program 'second SOUND' --tail 0"));
    EXPECT_EQ(byName.exitCode, 0) << byName.err;
    const std::string folder = scratchPath("all");
    const HostRun all = velora(withFake("render " + song + " --all-programs " + folder + " --tail 0 --format 24"));
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 3);
    for (const char* name : {"01-first-light.wav", "02-second-sound.wav", "03-odd-name-here.wav"}) {
        const Wav wav = readWav(folder + "/" + name);
        EXPECT_EQ(wav.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24) << name;
        EXPECT_EQ(wav.left.size(), 132301u) << name;
    }
}

// What the host says of files it cannot use: the file, the reason, one line.
TEST(VeloraHostCli, FileRefusalsNameTheFileAndTheReason) {
    const std::string song = songFile();
    const std::string folder = std::filesystem::path(song).parent_path().string();
    const std::string existing = scratchPath("existing.wav");
    writeFile(existing, {'o', 'l', 'd'});
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"render " + folder + " " + existing, "'" + folder + "' is a folder, not a file"},
        {"render /dev/zero " + existing, "'/dev/zero' is not a regular file"},
        {"render " + song + " " + existing + " --preset /dev/urandom", "'/dev/urandom' is not a regular file"},
        {"render " + song + " /dev/full --tail 0", "cannot write '/dev/full': No space left on device"},
        {"render " + song + " " + folder + " --tail 0", "'" + folder + "' is a folder, not a file"},
        {"export-bank /dev/full", "cannot write '/dev/full': No space left on device"},
    };
    for (const auto& c : cases) {
        const HostRun run = velora(withFake(c.arguments));
        EXPECT_EQ(run.exitCode, 1) << c.arguments;
        EXPECT_EQ(run.err, "velora-host: error: " + c.message + "\n") << c.arguments;
    }
    EXPECT_EQ(readFile(existing), (Bytes{'o', 'l', 'd'}));
}

TEST(VeloraHostCli, LenientFilesWarnAndLongRendersAreAnnounced) {
    const std::string lenient = scratchPath("lenient.mid");
    writeFile(lenient, concat({midiHeader(0, 1, 480), trackChunk({event(0, {0x90, 60, 100}), tempoEvent(0, 500000),
                                                                  event(480, {60, 0}), endOfTrack()})}));
    const HostRun warned = velora(withFake("render " + lenient + " " + scratchPath("w.wav") + " --tail 0"));
    EXPECT_EQ(warned.exitCode, 0) << warned.err;
    EXPECT_EQ(warned.err, "velora-host: warning: " + lenient +
                              ": running status after a meta or system-exclusive event at byte 35\n");
    // 20 minutes of one held note, refused by --set before rendering starts.
    const std::string held = scratchPath("held.mid");
    writeFile(held, concat({midiHeader(0, 1, 1), trackChunk({event(0, {0x90, 60, 100}), event(2400, {0x80, 60, 0})})}));
    const HostRun announced = velora(withFake("render " + held + " " + scratchPath("h.wav") + " --tail 0 --set 99=1"));
    EXPECT_EQ(announced.exitCode, 1);
    EXPECT_EQ(announced.err.rfind("velora-host: note: '" + held + "' runs 0:20:00; each render writes up to 202 MB", 0),
              0u)
        << announced.err;
}

// SIGINT and SIGTERM in the middle of a render: the old file stays, no
// temporary is left, and the exit status tells which signal it was.
TEST(VeloraHostCli, AnInterruptedRenderLeavesTheOldFileAndNoTemporary) {
    const std::string held = scratchPath("held.mid");  // 6 hours at 1 kHz: far longer than the test waits
    writeFile(held,
              concat({midiHeader(0, 1, 1), trackChunk({event(0, {0x90, 60, 100}), event(43200, {0x80, 60, 0})})}));
    for (const auto& [signal, status] : {std::pair{"INT", 130}, std::pair{"TERM", 143}}) {
        const std::string out = scratchPath("out.wav"), folder = std::filesystem::path(out).parent_path().string();
        writeFile(out, {'o', 'l', 'd'});
        const std::string script = std::string(VELORA_HOST_EXE) + " " + withFake("render " + held + " " + out) +
                                   " --tail 0 --rate 1000 2>/dev/null & pid=$!; "
                                   "for i in $(seq 200); do ls -A " +
                                   folder +
                                   " | grep -q '^\\.out' && break; sleep 0.02; done; "
                                   "kill -" +
                                   signal + " $pid; wait $pid; exit $?";
        const std::string scriptFile = scratchPath("interrupt.sh");
        const std::string text = script + "\n";
        writeFile(scriptFile, Bytes(text.begin(), text.end()));
        const int result = std::system(("sh " + scriptFile).c_str());
        EXPECT_EQ(WIFEXITED(result) ? WEXITSTATUS(result) : -1, status) << signal;
        EXPECT_EQ(readFile(out), (Bytes{'o', 'l', 'd'})) << signal;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
            << signal;
    }
}

TEST(VeloraHostCli, ListingsOfTheFakePlugin) {
    const HostRun programs = velora(withFake("programs"));
    EXPECT_EQ(programs.exitCode, 0);
    EXPECT_EQ(programs.out, "    0  1: first light\n    1  2: Second Sound\n    2  3: odd/name *here*\n");
    const HostRun params = velora(withFake("params"));
    EXPECT_EQ(params.exitCode, 0);
    EXPECT_NE(params.out.find("    1  Pitch             " + std::string(10, ' ') + "0.5           5\n"),
              std::string::npos)
        << params.out;
    const HostRun info = velora(withFake("info"));
    EXPECT_EQ(info.exitCode, 0);
    for (const char* line :
         {"effect name:                \"Fake\"\n", "unique id:                  1181439565 (FkVM)\n",
          "flags:                      0x00000110 (CanReplacing IsSynth)\n", "category:                   2 (synth)\n",
          "canDo receiveVstEvents:     1\n",
          "output 0:                   1, label \"Fake L\", short \"\", flags 0x00000001, arrangement 0\n"})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << info.out;
}

}  // namespace
}  // namespace velora::tools
