// SPDX-License-Identifier: MIT
// The log switch through velora-host and the real plug-in: silent unless
// VELORA_LOG asks, one line per event naming the instance, to standard error
// or a file, and a log file that cannot be opened never stops the plug-in.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_files.h"

namespace velora::tools {
namespace {

using namespace test;

constexpr const char* kConverted =
    "velora[1]: sample rate 1000000 Hz: the sound is rendered at 44100 Hz and converted, with a latency of 1587 "
    "samples";

std::string text(const std::string& path) {
    const Bytes bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

std::string shortSong() {
    const std::string path = scratchPath("log-song.mid");
    writeFile(path, concat({midiHeader(0, 1, 480),
                            trackChunk({event(0, {0x90, 60, 100}), event(48, {0x80, 60, 0}), endOfTrack()})}));
    return path;
}

struct LogCase {
    const char* name;
    std::string setting;  // VELORA_LOG; empty: unset
    bool inStderr;
    bool inFile;
    const char* stderrNote;  // also expected on stderr, or null
};

class LogSwitch : public testing::TestWithParam<LogCase> {};

TEST_P(LogSwitch, WritesWhereAskedAndNowhereElse) {
    const LogCase& c = GetParam();
    const std::string file = scratchPath("velora.log"), err = scratchPath("log-stderr.txt");
    std::filesystem::remove(file);
    std::string setting = c.setting == "FILE" ? file : c.setting;
    const std::string command =
        (setting.empty() ? std::string("env -u VELORA_LOG ") : "VELORA_LOG='" + setting + "' ") + VELORA_HOST_EXE +
        " --plugin " + VELORA_PLUGIN_PATH + " render " + shortSong() + " " + scratchPath("log.wav") +
        " --rate 1000000 --tail 0.01 >/dev/null 2>" + err;
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    const std::string errors = text(err);
    EXPECT_EQ(errors.find(kConverted) != std::string::npos, c.inStderr) << errors;
    EXPECT_EQ(std::filesystem::exists(file) && text(file).find(kConverted) != std::string::npos, c.inFile);
    if (c.stderrNote) {
        EXPECT_NE(errors.find(c.stderrNote), std::string::npos) << errors;
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, LogSwitch,
                         testing::Values(LogCase{"Unset", "", false, false, nullptr},
                                         LogCase{"Zero", "0", false, false, nullptr},
                                         LogCase{"One", "1", true, false, nullptr},
                                         LogCase{"Stderr", "stderr", true, false, nullptr},
                                         LogCase{"File", "FILE", false, true, nullptr},
                                         LogCase{"UnwritableFile", "/nonexistent-folder/velora.log", false, false,
                                                 "velora: cannot open the log file '/nonexistent-folder/velora.log'"}),
                         [](const testing::TestParamInfo<LogCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velora::tools
