// SPDX-License-Identifier: MIT
// .fxp/.fxb files: the reader against files laid out by hand here, every
// refusal, and the round trip of the factory bank through the built plug-in.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>

#include "fx_file.h"
#include "plugin_host.h"
#include "preset_transfer.h"
#include "test_files.h"

namespace velora::tools {
namespace {

using namespace test;
using presets::FxFile;
using presets::FxProgram;

constexpr std::int32_t kVelora = presets::fourCC("KrVl");
constexpr int kParams = 109;
constexpr int kPrograms = 64;

// The published layout, written field by field without our writer.
void putInt(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
void putText(Bytes& out, const char* text, std::size_t size) {
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < size; ++i) out.push_back(i < length ? static_cast<std::uint8_t>(text[i]) : 0);
}
Bytes handProgram(const char* name, const std::vector<float>& values, std::uint32_t id = 0x4B72566C) {
    Bytes out;
    putText(out, "CcnK", 4);
    putInt(out, static_cast<std::uint32_t>(48 + 4 * values.size()));
    putText(out, "FxCk", 4);
    putInt(out, 1);   // format version
    putInt(out, id);  // 'KrVl'
    putInt(out, 1);   // plug-in version
    putInt(out, static_cast<std::uint32_t>(values.size()));
    putText(out, name, 28);
    for (float v : values) putInt(out, std::bit_cast<std::uint32_t>(v));
    return out;
}
Bytes handBank(const std::vector<Bytes>& programs, std::uint32_t version = 2) {
    Bytes body;
    for (const Bytes& p : programs) body.insert(body.end(), p.begin(), p.end());
    Bytes out;
    putText(out, "CcnK", 4);
    putInt(out, static_cast<std::uint32_t>(148 + body.size()));
    putText(out, "FxBk", 4);
    putInt(out, version);
    putInt(out, 0x4B72566C);
    putInt(out, 1);
    putInt(out, static_cast<std::uint32_t>(programs.size()));
    putInt(out, 1);  // current program (version 2), then reserved bytes
    out.insert(out.end(), 124, 0);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
std::vector<float> someValues() {
    std::vector<float> values;
    for (int i = 0; i < kParams; ++i) values.push_back(static_cast<float>(i % 11) / 10.0f);
    return values;
}
void putFloatAt(Bytes& bytes, std::size_t offset, float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

TEST(PresetFiles, HandWrittenFilesReadAndOurWriterLaysThemOutTheSame) {
    const std::vector<float> values = someValues();
    const Bytes program = handProgram("29: piano velora", values);
    ASSERT_EQ(program.size(), 492u);
    std::string error;
    const auto file = presets::readProgramFile(program, error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->owner.pluginId, kVelora);
    EXPECT_EQ(file->programs[0].name, "29: piano velora");
    EXPECT_EQ(file->programs[0].values, values);
    EXPECT_EQ(presets::writeProgramFile(file->owner, file->programs[0]), program);

    const Bytes bank = handBank({program, handProgram("two", values)});
    const auto banked = presets::readBankFile(bank, error);
    ASSERT_TRUE(banked) << error;
    ASSERT_EQ(banked->programs.size(), 2u);
    EXPECT_EQ(banked->programs[1].name, "two");
    // We write the version 1 header (no current program), otherwise the same.
    Bytes versionOne = handBank({program, handProgram("two", values)}, 1);
    versionOne[31] = 0;
    EXPECT_EQ(presets::writeBankFile(banked->owner, banked->programs), versionOne);
}

TEST(PresetFiles, EveryDamagedFileIsRefusedWithItsReason) {
    const Bytes good = handProgram("p", someValues());
    const Bytes goodBank = handBank({good, good});
    auto changed = [](Bytes bytes, std::size_t at, std::initializer_list<std::uint8_t> with) {
        std::copy(with.begin(), with.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return bytes;
    };
    auto cut = [](Bytes bytes, std::size_t size) {
        bytes.resize(size);
        return bytes;
    };
    Bytes nan = good, inf = good, bankNan = goodBank;
    putFloatAt(nan, 56 + 4 * 7, std::numeric_limits<float>::quiet_NaN());
    putFloatAt(inf, 56, -std::numeric_limits<float>::infinity());
    putFloatAt(bankNan, 156 + 492 + 60, std::numeric_limits<float>::quiet_NaN());
    Bytes longer = good;
    longer.push_back(0);
    const struct {
        const char* what;
        bool bank;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"empty", false, {}, "truncated"},
        {"wrong magic", false, changed(good, 0, {'R', 'I', 'F', 'F'}), "no 'CcnK' header"},
        {"truncated body", false, cut(good, 300), "truncated"},
        {"size field too small", false, changed(good, 4, {0, 0, 1, 0}), "wrong size"},
        {"extra byte", false, longer, "wrong size"},
        {"value count does not fill", false, changed(good, 24, {0, 0, 0, 100}), "wrong size"},
        {"NaN value", false, nan, "parameter 7 is not a finite number"},
        {"infinite value", false, inf, "parameter 0 is not a finite number"},
        {"opaque chunk", false, changed(good, 8, {'F', 'P', 'C', 'h'}), "opaque"},
        {"bank as preset", false, goodBank, "is a bank"},
        {"unknown version", false, changed(good, 15, {7}), "version 7"},
        {"preset as bank", true, good, "not a bank"},
        {"truncated bank", true, cut(goodBank, 700), "truncated"},
        {"bank program NaN", true, bankNan, "program 1 \"p\": the value of parameter 1 is not"},
        {"bank count too high", true, changed(goodBank, 27, {3}), "program 2: truncated"},
        {"bank count zero", true, changed(goodBank, 27, {0}), "program count 0"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto file = c.bank ? presets::readBankFile(c.bytes, error) : presets::readProgramFile(c.bytes, error);
        EXPECT_FALSE(file) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    }
}

TEST(PresetFiles, ValuesOutsideZeroToOneAreRefusedNamingProgramAndParameter) {
    const struct {
        float value;
        bool accepted;
        const char* shown;
    } cases[] = {
        {0.0f, true, ""},
        {1.0f, true, ""},
        {-0.0f, true, ""},
        {2.0f, false, "is 2, outside 0..1"},
        {1e6f, false, "is 1e+06"},
        {-1e-7f, false, "is -1e-07"},
        {1.0000001f, false, "is 1, outside"},
    };
    for (const auto& c : cases) {
        std::vector<float> values = someValues();
        values[36] = c.value;
        std::string error;
        const auto preset = presets::readProgramFile(handProgram("Soft Keys", values), error);
        EXPECT_EQ(bool(preset), c.accepted) << c.value;
        if (!c.accepted) {
            EXPECT_EQ(error.rfind("program \"Soft Keys\": the value of parameter 36 ", 0), 0u) << error;
            EXPECT_NE(error.find(c.shown), std::string::npos) << error;
        }
        const auto bank =
            presets::readBankFile(handBank({handProgram("a", someValues()), handProgram("b", values)}), error);
        EXPECT_EQ(bool(bank), c.accepted) << c.value;
        if (!c.accepted) {
            EXPECT_EQ(error.rfind("program 1 \"b\": the value of parameter 36 ", 0), 0u) << error;
        }
    }
}

// Sizes near 4 GB are reported as they are, on 32-bit systems too.
TEST(PresetFiles, SizeFieldsAreNotWrapped) {
    Bytes program = handProgram("p", someValues());
    std::copy_n(Bytes{0xFF, 0xFF, 0xFF, 0xFF}.begin(), 4, program.begin() + 4);
    Bytes bank = handBank({handProgram("p", someValues())});
    std::copy_n(Bytes{0xFF, 0xFF, 0xFF, 0xF8}.begin(), 4, bank.begin() + 156 + 4);
    std::string error;
    EXPECT_FALSE(presets::readProgramFile(program, error));
    EXPECT_NE(error.find("announces 4294967303 bytes, only 492"), std::string::npos) << error;
    EXPECT_FALSE(presets::readBankFile(bank, error));
    EXPECT_NE(error.find("program 0: truncated: the header announces 4294967296 bytes, only 492"), std::string::npos)
        << error;
}

TEST(PresetFiles, BankCurrentProgramAndPartialBanks) {
    const Bytes p = handProgram("p", someValues());
    const struct {
        std::uint32_t version;
        std::uint32_t current;
        std::optional<std::int32_t> chosen;
        const char* warning;
    } cases[] = {
        {2, 1, 1, ""},
        {2, 0, 0, ""},
        {2, 2, std::nullopt, "current program 2 is not one of its 2 programs; ignored"},
        {2, 0xFFFFFFFF, std::nullopt, "current program -1 is not"},
        {1, 7, std::nullopt, ""},  // version 1 keeps the field reserved
    };
    for (const auto& c : cases) {
        Bytes bank = handBank({p, p}, c.version);
        for (int i = 0; i < 4; ++i) bank[28 + i] = static_cast<std::uint8_t>(c.current >> (24 - 8 * i));
        std::string error;
        const auto file = presets::readBankFile(bank, error);
        ASSERT_TRUE(file) << error;
        EXPECT_EQ(file->currentProgram, c.chosen) << c.current;
        EXPECT_EQ(file->warnings.size(), *c.warning ? 1u : 0u) << c.current;
        if (*c.warning) {
            EXPECT_EQ(file->warnings[0].rfind(c.warning, 0), 0u) << file->warnings[0];
        }
    }
    std::string error;
    const auto two = presets::readBankFile(handBank({p, p}), error);
    ASSERT_TRUE(two);
    EXPECT_EQ(presets::partialBankNote(*two, 2), "");
    EXPECT_EQ(presets::partialBankNote(*two, 3), "holds 2 of the plug-in's 3 programs; program 2 is left as it is");
    EXPECT_EQ(presets::partialBankNote(*two, 64),
              "holds 2 of the plug-in's 64 programs; programs 2..63 are left as they are");
}

TEST(PresetFiles, FilesOfAnotherShapeDoNotFit) {
    std::string error;
    const auto velora = presets::readProgramFile(handProgram("p", someValues()), error);
    const auto other = presets::readProgramFile(handProgram("p", someValues(), 0x41626364), error);
    const auto fewer = presets::readProgramFile(handProgram("p", std::vector<float>(100, 0.5f)), error);
    ASSERT_TRUE(velora && other && fewer);
    EXPECT_EQ(presets::mismatchWith(*velora, kVelora, kParams, kPrograms), "");
    EXPECT_NE(presets::mismatchWith(*other, kVelora, kParams, kPrograms).find("another plug-in (id 'Abcd'"),
              std::string::npos);
    EXPECT_NE(presets::mismatchWith(*fewer, kVelora, kParams, kPrograms).find("holds 100 parameter values"),
              std::string::npos);
    EXPECT_NE(presets::mismatchWith(*velora, kVelora, kParams, 0).find("holds 1 programs"), std::string::npos);
}

// Through the built plug-in.
std::unique_ptr<host::PluginInstance> openedVelora() {
    std::string error;
    auto plugin = host::PluginInstance::load(VELORA_PLUGIN_PATH, error);
    EXPECT_TRUE(plugin) << error;
    if (plugin) plugin->open();
    return plugin;
}

TEST(PresetTransfer, EveryFactoryProgramAndTheBankRoundTripToTheSameBytes) {
    auto source = openedVelora(), target = openedVelora();
    ASSERT_TRUE(source && target);
    const presets::FxOwner owner = host::ownerOf(*source);
    EXPECT_EQ(owner.pluginId, kVelora);
    std::string error;
    for (int i = 0; i < kPrograms; ++i) {
        const Bytes exported = presets::writeProgramFile(owner, host::exportProgram(*source, i));
        const auto file = presets::readProgramFile(exported, error);
        ASSERT_TRUE(file) << error;
        target->setProgram(0);
        ASSERT_TRUE(host::loadPreset(*target, *file, error)) << error;
        EXPECT_EQ(presets::writeProgramFile(owner, host::exportProgram(*target, 0)), exported) << "program " << i;
    }
    const Bytes bank = presets::writeBankFile(owner, host::exportBank(*source));
    EXPECT_EQ(bank.size(), 156u + 64u * 492u);
    const auto file = presets::readBankFile(bank, error);
    ASSERT_TRUE(file) << error;
    auto fresh = openedVelora();
    ASSERT_TRUE(host::loadBank(*fresh, *file, 5, error)) << error;
    EXPECT_EQ(fresh->dispatch(vst::effGetProgram), 5);
    EXPECT_EQ(presets::writeBankFile(owner, host::exportBank(*fresh)), bank);
}

TEST(PresetTransfer, HandWrittenPresetLoadsItsValuesAndName) {
    auto plugin = openedVelora();
    ASSERT_TRUE(plugin);
    // A factory sound with every value replaced by a hand-picked one where
    // the parameter stores what it is given.
    std::vector<float> values = host::exportProgram(*plugin, 12).values;
    for (int i : {0, 2, 8, 12, 20, 34, 48, 56, 66, 78, 92}) values[static_cast<std::size_t>(i)] = 0.125f * (i % 7 + 1);
    plugin->setProgram(3);
    std::string error;
    const auto file = presets::readProgramFile(handProgram("by hand", values), error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(host::loadPreset(*plugin, *file, error)) << error;
    for (int i = 0; i < kParams; ++i) EXPECT_EQ(plugin->getParameter(i), values[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(plugin->programName(3), "by hand");
}

TEST(PresetTransfer, AFileThatDoesNotFitChangesNothing) {
    auto plugin = openedVelora();
    ASSERT_TRUE(plugin);
    const Bytes before = presets::writeBankFile(host::ownerOf(*plugin), host::exportBank(*plugin));
    plugin->setProgram(0);
    std::string error;
    const auto other = presets::readProgramFile(handProgram("x", someValues(), 0x41626364), error);
    const auto shorter = presets::readBankFile(handBank({handProgram("x", std::vector<float>(108, 0.5f))}), error);
    ASSERT_TRUE(other && shorter);
    EXPECT_FALSE(host::loadPreset(*plugin, *other, error));
    EXPECT_FALSE(host::loadBank(*plugin, *shorter, 0, error));
    EXPECT_EQ(presets::writeBankFile(host::ownerOf(*plugin), host::exportBank(*plugin)), before);
}

// velora-host: one line and a non-zero exit for every refused file, no WAV.
int runHost(const std::string& arguments, std::string& err) {
    const std::string errPath = scratchPath("stderr.txt");
    const std::string command = std::string(VELORA_HOST_EXE) + " --plugin " + VELORA_PLUGIN_PATH + " " + arguments +
                                " >/dev/null 2>" + errPath + " </dev/null";
    const int status = std::system(command.c_str());
    const Bytes e = readFile(errPath);
    err.assign(e.begin(), e.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(VeloraHostPresets, ExportsLoadAndRefusalsAreOneLine) {
    const std::string bank = scratchPath("factory.fxb"), preset = scratchPath("p.fxp");
    std::string err;
    ASSERT_EQ(runHost("export-bank " + bank, err), 0) << err;
    ASSERT_EQ(runHost("export-program 'piano velora' " + preset, err), 0) << err;
    const Bytes presetBytes = readFile(preset);
    const Bytes bankBytes = readFile(bank);
    // Program 28 of the bank file is the exported preset.
    ASSERT_EQ(bankBytes.size(), 156u + 64u * 492u);
    EXPECT_TRUE(std::equal(presetBytes.begin(), presetBytes.end(), bankBytes.begin() + 156 + 28 * 492));

    Bytes nan = presetBytes;
    putFloatAt(nan, 56, std::numeric_limits<float>::quiet_NaN());
    const std::string nanFile = scratchPath("nan.fxp"), otherFile = scratchPath("other.fxp");
    writeFile(nanFile, nan);
    writeFile(otherFile, handProgram("x", someValues(), 0x41626364));
    const std::string song = std::string(DEMO_MIDI_FILE);
    for (const std::string& load : {"--preset " + nanFile, "--preset " + otherFile, "--preset " + bank,
                                    "--bank " + preset, "--bank " + scratchPath("missing.fxb")}) {
        const std::string wav = scratchPath("refused.wav");
        EXPECT_EQ(runHost("render " + song + " " + wav + " --tail 0 " + load, err), 1) << load;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << load << ": " << err;
        EXPECT_FALSE(std::filesystem::exists(wav)) << load;
    }
}

// Loading an exported program, or the exported bank, renders exactly as the
// factory program: the preset goes over program 0, whose delay is synced.
// At 240 BPM every first echo comes within a second of the note.
TEST(VeloraHostPresets, EveryExportedProgramRendersAsTheFactoryProgram) {
    const std::string bank = scratchPath("bank.fxb"), song = scratchPath("note.mid");
    writeFile(song, concat({midiHeader(0, 1, 480),
                            trackChunk({event(0, {0x90, 60, 100}), event(240, {0x80, 60, 0}), endOfTrack()})}));
    std::string err;
    ASSERT_EQ(runHost("export-bank " + bank, err), 0) << err;
    const std::string factory = scratchPath("factory"), fromBank = scratchPath("from-bank");
    const std::string render = "--tempo 240 render " + song + " --tail 1.3 --format float --all-programs ";
    ASSERT_EQ(runHost(render + factory, err), 0) << err;
    ASSERT_EQ(runHost(render + fromBank + " --bank " + bank, err), 0) << err;

    std::vector<std::filesystem::path> renders;
    for (const auto& entry : std::filesystem::directory_iterator(factory)) renders.push_back(entry.path());
    std::sort(renders.begin(), renders.end());  // numbered 01.. in program order
    ASSERT_EQ(renders.size(), static_cast<std::size_t>(kPrograms));
    const Bytes bankBytes = readFile(bank);
    for (int i = 0; i < kPrograms; ++i) {
        const std::filesystem::path& expected = renders[static_cast<std::size_t>(i)];
        const Bytes wanted = readFile(expected.string());
        EXPECT_EQ(readFile((std::filesystem::path(fromBank) / expected.filename()).string()), wanted) << expected;
        const auto begin = bankBytes.begin() + 156 + 492 * i;
        const std::string preset = scratchPath("p.fxp"), wav = scratchPath("p.wav");
        writeFile(preset, Bytes(begin, begin + 492));
        ASSERT_EQ(
            runHost("--tempo 240 render " + song + " " + wav + " --tail 1.3 --format float --preset " + preset, err), 0)
            << err;
        EXPECT_EQ(readFile(wav), wanted) << expected;
    }
}

}  // namespace
}  // namespace velora::tools
