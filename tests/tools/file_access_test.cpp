// SPDX-License-Identifier: MIT
// Bounded input reading and outputs that replace their destination only
// when complete.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "input_file.h"
#include "output_file.h"
#include "test_files.h"
#include "wav_writer.h"

namespace velora::tools {
namespace {

using namespace test;
namespace fs = std::filesystem;

// Everything in the folder of `path`: no temporary may be left behind.
std::vector<std::string> folderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(InputFile, OnlyRegularFilesWithinTheBoundAreRead) {
    const std::string small = scratchPath("small.bin"), exact = scratchPath("exact.bin"),
                      sparse = scratchPath("big.mid");
    writeFile(small, {1, 2, 3});
    writeFile(exact, Bytes(100, 7));
    writeFile(sparse, {});
    fs::resize_file(sparse, 3ull << 30);  // a 3 GB file that takes no room
    const struct {
        std::string path;
        std::size_t size;  // read when the reason is empty
        const char* reason;
    } cases[] = {
        {small, 3, ""},
        {exact, 100, ""},
        {scratchPath("missing.bin"), 0, "cannot open '"},
        {fs::path(small).parent_path().string(), 0, "is a folder, not a file"},
        {"/dev/zero", 0, "is not a regular file"},
        {sparse, 0, "holds 3.0 GB, more than a test file may (at most 100 bytes)"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        const bool read = readInputFile(c.path, 100, "a test file", bytes, error);
        EXPECT_EQ(read, *c.reason == '\0') << c.path << ": " << error;
        EXPECT_EQ(bytes.size(), c.size) << c.path;
        if (*c.reason) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
            EXPECT_NE(error.find(c.path), std::string::npos) << error;
        }
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(readInputFile(scratchPath("missing.bin"), 100, "a test file", bytes, error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST(OutputFile, TheDestinationChangesOnlyOnCommit) {
    const std::string path = scratchPath("out.bin");
    writeFile(path, {'o', 'l', 'd'});
    const std::vector<std::string> before = folderEntries(path);
    std::string error;
    {
        OutputFile file;
        ASSERT_TRUE(file.open(path, error)) << error;
        ASSERT_TRUE(file.write("new", 3, error)) << error;
        EXPECT_EQ(readFile(path), (Bytes{'o', 'l', 'd'}));  // still the old file while writing
    }                                                       // destroyed without commit
    EXPECT_EQ(readFile(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(folderEntries(path), before);

    OutputFile file;
    ASSERT_TRUE(file.open(path, error)) << error;
    ASSERT_TRUE(file.write("new", 3, error)) << error;
    ASSERT_TRUE(file.commit(error)) << error;
    EXPECT_EQ(readFile(path), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(folderEntries(path), before);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);  // not the temporary file's private mode
}

TEST(OutputFile, ALinkKeepsPointingAtTheReplacedFile) {
    const std::string target = scratchPath("target.bin");
    const std::string link = fs::path(target).parent_path() / "link.bin";
    writeFile(target, {1});
    fs::create_symlink(target, link);
    std::string error;
    ASSERT_TRUE(writeWholeFile(link, {2, 2}, error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(target), (Bytes{2, 2}));
}

TEST(OutputFile, FailuresNameTheFileAndTheSystemsReason) {
    const std::string folder = fs::path(scratchPath("x")).parent_path().string();
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {"/dev/full", "cannot write '/dev/full': No space left on device"},
        {folder, "is a folder, not a file"},
        {"/nonexistent/folder/out.bin", "cannot create '/nonexistent/folder/out.bin': No such file or directory"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(writeWholeFile(c.path, Bytes(10000, 1), error)) << c.path;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    std::string error;
    EXPECT_TRUE(writeWholeFile("/dev/null", {1, 2, 3}, error)) << error;  // written directly, not replaced
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(OutputFile, AnUnfinishedWavFileLeavesTheOldOneInPlace) {
    const std::string path = scratchPath("song.wav");
    writeFile(path, {'o', 'l', 'd'});
    const std::vector<float> samples(1000, 0.5f);
    const float* planes[2] = {samples.data(), samples.data()};
    std::string error;
    {
        WavWriter writer;
        ASSERT_TRUE(writer.open(path, 2, 44100, WavFormat::pcm16, error)) << error;
        ASSERT_TRUE(writer.write(planes, samples.size(), error)) << error;
    }
    EXPECT_EQ(readFile(path), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(folderEntries(path), std::vector<std::string>{"song.wav"});
    WavWriter full;
    const bool written = full.open("/dev/full", 2, 44100, WavFormat::pcm16, error) &&
                         full.write(planes, samples.size(), error) && full.close(error);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("cannot write '/dev/full': No space left on device"), std::string::npos) << error;
}

}  // namespace
}  // namespace velora::tools
